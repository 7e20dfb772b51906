#include "platform/HelpViewer.h"
#include "platform/ErrorHandler.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <gtest/gtest.h>

using platform::HelpWindow;
using platform::ShowHelp;

namespace {

// A page long enough to scroll, whose first line names it, with one anchor far down.
QByteArray Page(const QString &title, const QString &firstLine)
{
    QString html = QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title></head><body>"
                                  "<h1>%2</h1>")
                       .arg(title, firstLine);
    for (int i = 0; i < 150; ++i) {
        if (i == 120)
            html += QStringLiteral("<h2><a name=\"context-7\"></a>Far down</h2>");
        html += QStringLiteral("<p>Paragraph %1 – énoncé.</p>").arg(i);
    }
    return (html + QStringLiteral("</body></html>")).toUtf8();
}

void Write(const QString &path, const QByteArray &data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(data);
}

// Removes what a test put beside the test program.
struct RemoveAtEnd {
    QString path;
    ~RemoveAtEnd() { QFile::remove(path); }
};

class HelpViewer : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        previousFolder_ = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(folder_.path()));
        platform::Application::SetPresenter([this](const QString &m) { messages_ << m; });
    }
    void TearDown() override
    {
        platform::Application::SetPresenter(nullptr);
        QDir::setCurrent(previousFolder_);
        if (QTextBrowser *window = HelpWindow())
            window->hide();
    }

    static int ScrollPosition() { return HelpWindow()->verticalScrollBar()->value(); }
    static void ScrollToEnd()
    {
        QScrollBar *bar = HelpWindow()->verticalScrollBar();
        bar->setValue(bar->maximum());
    }

    QTemporaryDir folder_;
    QString previousFolder_;
    QStringList messages_;
};

} // namespace

TEST_F(HelpViewer, ShowsTheTopOfAFileInTheCurrentFolderAndReusesItsWindow)
{
    Write(folder_.filePath("guide.hlp"), Page("Test guide", "First line of the guide"));

    ASSERT_TRUE(ShowHelp(nullptr, "guide.hlp"));
    QTextBrowser *window = HelpWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(window->windowTitle(), QString("Test guide"));
    EXPECT_EQ(window->source(), QUrl::fromLocalFile(QDir(folder_.path()).absoluteFilePath("guide.hlp")));
    EXPECT_TRUE(window->toPlainText().startsWith("First line of the guide"));
    EXPECT_TRUE(window->toPlainText().contains(QString::fromUtf8("énoncé"))) << "read as UTF-8";
    EXPECT_EQ(ScrollPosition(), 0);

    // Asked again after the reader scrolled and the file changed: the same
    // window, the file read afresh, back at its top.
    ScrollToEnd();
    ASSERT_GT(ScrollPosition(), 0) << "the page must be long enough to scroll";
    Write(folder_.filePath("guide.hlp"), Page("Test guide, second edition", "First line, second edition"));
    ASSERT_TRUE(ShowHelp(nullptr, "guide.hlp"));
    EXPECT_EQ(HelpWindow(), window);
    EXPECT_EQ(window->windowTitle(), QString("Test guide, second edition"));
    EXPECT_TRUE(window->toPlainText().startsWith("First line, second edition"));
    EXPECT_EQ(ScrollPosition(), 0);

    // Another file (the other language) in the same window, named with its full path.
    const QString other = QDir(folder_.path()).absoluteFilePath("other.hlp");
    Write(other, Page("Guide de test", "Première ligne"));
    ScrollToEnd();
    ASSERT_TRUE(ShowHelp(nullptr, other));
    EXPECT_EQ(HelpWindow(), window);
    EXPECT_EQ(window->windowTitle(), QString("Guide de test"));
    EXPECT_EQ(ScrollPosition(), 0);
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join('\n').toStdString();
}

TEST_F(HelpViewer, LooksBesideTheProgramBeforeTheCurrentFolder)
{
    const QString name = QStringLiteral("help-viewer-test-%1.hlp").arg(QCoreApplication::applicationPid());
    const RemoveAtEnd beside{QDir(QCoreApplication::applicationDirPath()).filePath(name)};
    Write(beside.path, Page("Beside the program", "Beside"));
    Write(folder_.filePath(name), Page("In the current folder", "Current"));

    EXPECT_EQ(platform::FindHelpFile(name), QFileInfo(beside.path).absoluteFilePath());
    ASSERT_TRUE(ShowHelp(nullptr, name));
    EXPECT_EQ(HelpWindow()->windowTitle(), QString("Beside the program"));
}

TEST_F(HelpViewer, ShowsANumberedContextAtItsAnchorAndAnUnknownOneAtTheTop)
{
    Write(folder_.filePath("guide.hlp"), Page("Test guide", "First line"));

    ASSERT_TRUE(ShowHelp(nullptr, "guide.hlp", 7));
    EXPECT_GT(ScrollPosition(), 0);
    ASSERT_TRUE(ShowHelp(nullptr, "guide.hlp", 8));
    EXPECT_EQ(ScrollPosition(), 0);
    ASSERT_TRUE(ShowHelp(nullptr, "guide.hlp", 0));
    EXPECT_EQ(ScrollPosition(), 0);
}

namespace {

struct Unshowable {
    const char *what;
    const char *helpFile;
    const char *message; // part of the message shown
};

void PrintTo(const Unshowable &value, std::ostream *os)
{
    *os << value.what;
}

const Unshowable unshowable[] = {
    {"NoFileName", "", "No help file is set"},
    {"MissingFile", "NOWHERE.ARI", "The help file \"NOWHERE.ARI\" was not found."},
    {"FolderOfThatName", "folder.hlp", "The help file \"folder.hlp\" was not found."},
};

class UnshowableHelp : public HelpViewer, public testing::WithParamInterface<Unshowable> {};

} // namespace

TEST_P(UnshowableHelp, IsReportedAndNothingIsShown)
{
    QDir(folder_.path()).mkdir("folder.hlp");
    const Unshowable &c = GetParam();

    EXPECT_FALSE(ShowHelp(nullptr, QString::fromUtf8(c.helpFile)));

    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_[0].contains(QString::fromUtf8(c.message))) << messages_[0].toStdString();
    if (*c.helpFile) {
        EXPECT_TRUE(messages_[0].contains(QDir::toNativeSeparators(QCoreApplication::applicationDirPath())));
        EXPECT_TRUE(messages_[0].contains(QDir::toNativeSeparators(QDir::currentPath())));
    }
    EXPECT_TRUE(HelpWindow() == nullptr || !HelpWindow()->isVisible());
}

INSTANTIATE_TEST_SUITE_P(HelpViewer, UnshowableHelp, testing::ValuesIn(unshowable),
                         [](const testing::TestParamInfo<Unshowable> &info) { return std::string(info.param.what); });
