#include "platform/HelpViewer.h"

#include "platform/ErrorHandler.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QScrollBar>
#include <QTextBrowser>

namespace platform {

namespace {

QPointer<QTextBrowser> &viewer()
{
    static QPointer<QTextBrowser> v;
    return v;
}

QStringList searchFolders()
{
    return {QCoreApplication::applicationDirPath(), QDir::currentPath()};
}

QTextBrowser *makeViewer(QWidget *parent)
{
    // A window of its own beside the caller's; it goes with its parent and
    // never keeps the program running once the other windows are closed.
    auto *browser = new QTextBrowser(parent ? parent->window() : nullptr);
    browser->setObjectName("HelpViewer");
    browser->setWindowFlag(Qt::Window);
    browser->setAttribute(Qt::WA_QuitOnClose, false);
    browser->setOpenExternalLinks(true);
    browser->document()->setDocumentMargin(12);
    browser->resize(640, 560);
    return browser;
}

void showTop(QTextBrowser *browser, int context)
{
    browser->moveCursor(QTextCursor::Start);
    browser->verticalScrollBar()->setValue(0);
    browser->horizontalScrollBar()->setValue(0);
    if (context != 0)
        browser->scrollToAnchor(QStringLiteral("context-%1").arg(context));
}

QString notFoundMessage(const QString &helpFile)
{
    QStringList places;
    for (const QString &folder : searchFolders())
        places << QDir::toNativeSeparators(folder);
    places.removeDuplicates();
    return QStringLiteral("The help file \"%1\" was not found.\nLooked in: %2")
        .arg(helpFile, places.join(QStringLiteral(", ")));
}

} // namespace

QString FindHelpFile(const QString &helpFile)
{
    if (helpFile.isEmpty())
        return {};
    for (const QString &folder : searchFolders()) {
        const QFileInfo file(QDir(folder).filePath(helpFile));
        if (file.isFile())
            return file.absoluteFilePath();
    }
    return {};
}

QTextBrowser *HelpWindow()
{
    return viewer();
}

bool ShowHelp(QWidget *parent, const QString &helpFile, int context)
{
    if (helpFile.isEmpty()) {
        Application::ShowException(QStringLiteral("No help file is set, so there is no help to show."));
        return false;
    }
    const QString path = FindHelpFile(helpFile);
    if (path.isEmpty()) {
        Application::ShowException(notFoundMessage(helpFile));
        return false;
    }
    if (!QFileInfo(path).isReadable()) {
        Application::ShowException(
            QStringLiteral("The help file \"%1\" cannot be read.").arg(QDir::toNativeSeparators(path)));
        return false;
    }

    if (!viewer())
        viewer() = makeViewer(parent);
    QTextBrowser *browser = viewer();
    const QUrl url = QUrl::fromLocalFile(path);
    if (browser->source() == url)
        browser->reload();
    else
        browser->setSource(url, QTextDocument::HtmlResource);
    browser->clearHistory();
    const QString title = browser->documentTitle();
    browser->setWindowTitle(title.isEmpty() ? QApplication::applicationName() : title);
    showTop(browser, context);
    browser->show();
    browser->raise();
    browser->activateWindow();
    return true;
}

} // namespace platform
