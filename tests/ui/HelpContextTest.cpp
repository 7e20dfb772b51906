// Context help: F1 in each window opens the help file at that window's
// section, the set-up dialog's pages at their own; "Help" in the menu opens
// the top of the file.
#include "MainWindowFixture.h"

#include "midi/ThreadUnit.h"
#include "platform/HelpViewer.h"
#include "ui/HelpContext.h"
#include "ui/Midi_Setup.h"
#include "ui/Pattern.h"
#include "ui/analyse.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>

namespace {

QString HelpSource(const char *name)
{
    return QDir::cleanPath(QStringLiteral(HN_FIXTURES_DIR "/../../src/ui/help/") + QString::fromUtf8(name));
}

// The first line of text the help window shows at its top.
QString TopLine()
{
    QTextBrowser *viewer = platform::HelpWindow();
    const QTextBlock block = viewer->cursorForPosition(QPoint(4, 4)).block();
    return block.text().trimmed();
}

class HelpKey : public MainWindowTest {
protected:
    std::unique_ptr<TFrmMidiSetup> dlg;

    void SetUp() override
    {
        MainWindowTest::SetUp();
        Open();
        dlg = std::make_unique<TFrmMidiSetup>(w.get());
    }

    void TearDown() override
    {
        if (QTextBrowser *viewer = platform::HelpWindow())
            delete viewer;
        dlg.reset();
        StopMidiThreads();
        MainWindowTest::TearDown();
    }

    // Where the window's keys go first: its focused control, else itself.
    static QWidget *FocusIn(QWidget *window)
    {
        QWidget *focus = window->focusWidget();
        return focus && focus->isVisible() ? focus : window;
    }

    // Shows window with the focus on control (nullptr: on no control) and
    // presses F1 in it, as a user does.
    static void PressF1(QWidget *window, QWidget *control)
    {
        window->show();
        window->activateWindow();
        if (control)
            control->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(FocusIn(window), Qt::Key_F1);
    }
};

struct Language {
    int language;
    const char *helpFile;
    const char *main, *program, *midi, *analysis, *pattern;
};

void PrintTo(const Language &value, std::ostream *os)
{
    *os << value.helpFile;
}

class HelpKeyInEachWindow : public HelpKey, public testing::WithParamInterface<Language> {};

TEST_P(HelpKeyInEachWindow, OpensTheHelpAtTheSectionOfTheWindowOrPage)
{
    const Language &l = GetParam();
    model::Language = l.language;
    model::HelpFile = HelpSource(l.helpFile);
    auto *analyser = new TFormAnalyse(w.get());
    TFrmPattern editor(w.get());

    struct Case {
        const char *where;
        QWidget *window;
        QWidget *focus;
        int page; // the set-up dialog's page on show, or -1
        int context;
        const char *heading;
    };
    const Case cases[] = {
        {"main window", w.get(), nullptr, -1, 2, l.main},
        {"set-up, Program page", dlg.get(), dlg->RadioLatin, 0, 42, l.program},
        {"set-up, MIDI page", dlg.get(), dlg->SpinChannel, 1, 41, l.midi},
        {"set-up, tabs with MIDI on show", dlg.get(), dlg->PageControl1->tabBar(), 1, 41, l.midi},
        {"set-up, tabs with Program on show", dlg.get(), dlg->PageControl1->tabBar(), 0, 42, l.program},
        {"analysis window", analyser, nullptr, -1, 51, l.analysis},
        {"pattern editor", &editor, editor.Grille, -1, 52, l.pattern},
        {"main window again", w.get(), nullptr, -1, 2, l.main},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.where);
        if (c.page >= 0)
            dlg->PageControl1->setCurrentIndex(c.page);
        PressF1(c.window, c.focus);
        EXPECT_EQ(ui::HelpContextAt(FocusIn(c.window)), c.context);
        QTextBrowser *viewer = platform::HelpWindow();
        ASSERT_NE(viewer, nullptr);
        EXPECT_TRUE(viewer->isVisible());
        EXPECT_EQ(viewer->source(), QUrl::fromLocalFile(model::HelpFile));
        EXPECT_EQ(TopLine(), QString::fromUtf8(c.heading));
        viewer->hide();
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    delete analyser;
}

INSTANTIATE_TEST_SUITE_P(
    Languages, HelpKeyInEachWindow,
    testing::Values(Language{1, "ZADIVIZIRAZ.ARI", "1. The main window", "11. The set-up dialog", "MIDI page",
                             "9. Chord analysis", "10. The chord pattern editor"},
                    Language{2, "ZUVIVODADOZ.IDI", "1. La fenêtre principale", "11. La configuration", "Page MIDI",
                             "9. L'analyse d'accord", "10. La grille d'accords"}),
    [](const testing::TestParamInfo<Language> &info) { return info.param.language == 1 ? "English" : "French"; });

TEST_F(HelpKey, HelpInTheMenuOpensTheTopEvenAfterF1ScrolledDown)
{
    model::HelpFile = HelpSource("ZADIVIZIRAZ.ARI");
    PressF1(dlg.get(), dlg->SpinChannel);
    ASSERT_NE(platform::HelpWindow(), nullptr);
    ASSERT_GT(platform::HelpWindow()->verticalScrollBar()->value(), 0);

    w->mnuHelp->trigger();
    EXPECT_TRUE(platform::HelpWindow()->isVisible());
    EXPECT_EQ(platform::HelpWindow()->verticalScrollBar()->value(), 0);
    EXPECT_EQ(TopLine(), "Harmonova");
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(HelpKey, AnotherWindowGetsItsOwnSectionWithOneCall)
{
    // As the chord pattern editor does.
    model::HelpFile = HelpSource("ZADIVIZIRAZ.ARI");
    QWidget editor;
    ui::InstallHelpKey(&editor, 52);
    PressF1(&editor, nullptr);
    ASSERT_NE(platform::HelpWindow(), nullptr);
    EXPECT_EQ(TopLine(), "10. The chord pattern editor");
}

TEST_F(HelpKey, WithoutItsHelpFileF1SaysSoAndTheWindowGoesOn)
{
    model::HelpFile = QStringLiteral("no-such-help-file.ARI");
    PressF1(w.get(), nullptr);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith("The help file \"no-such-help-file.ARI\" was not found."))
        << errors[0].toStdString();
    EXPECT_TRUE(platform::HelpWindow() == nullptr || !platform::HelpWindow()->isVisible());

    // F1 is no key of the window's own: no chord changes.
    EXPECT_EQ(w->ChordRoot->ItemIndex(), 0);
}

} // namespace
