// The whole program with the loopback driver: the start-up order that lets
// the first chord reach the output once events are handled, a click that
// plays the next chord, clicks that interrupt arpeggios, and an end that
// neither hangs nor leaves a device open or a note sounding while playbacks
// still wait.
#include "EventWait.h"
#include "MainWindowFixture.h"

#include "midi/ThreadUnit.h"
#include "platform/MidiApi.h"
#include "ui/Midi_Setup.h"
#include "ui/Pattern.h"
#include "ui/ShapePiano.h"
#include "ui/Startup.h"
#include "ui/analyse.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <array>
#include <climits>
#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace {

using hntest::WaitFor;

void HandlePostedEvents()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

class Program : public MainWindowTest {
protected:
    QTemporaryDir folder;
    QString log;
    std::unique_ptr<ui::TProgramWindows> program;

    void SetUp() override
    {
        MainWindowTest::SetUp();
        log = folder.filePath("midi.log");
        setenv("HARMONOVA_MIDI_LOG", QFile::encodeName(log).constData(), 1);
        platform::MidiDriverResetForTest();
        StoreText("MidiIFIn", "Loopback In");
        StoreText("MidiIFOut", "Loopback Out");
        Store("ListenType", 0);
        model::SoundingNotes = {};
    }

    void TearDown() override
    {
        program.reset();
        unsetenv("HARMONOVA_MIDI_LOG");
        platform::MidiDriverResetForTest();
        MainWindowTest::TearDown();
    }

    void Start() { program = std::make_unique<ui::TProgramWindows>(); }

    // The log's messages without their time stamps.
    QStringList Logged() const
    {
        QFile file(log);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList messages;
        for (const QByteArray &line : file.readAll().split('\n'))
            if (const qsizetype blank = line.indexOf(' '); blank > 0)
                messages << QString::fromLatin1(line.mid(blank + 1));
        return messages;
    }

    bool WaitForLogged(int count) const
    {
        return WaitFor([&] { return Logged().size() >= count; });
    }
};

TEST_F(Program, TheFirstChordSoundsOnceEventsAreHandledAndAClickOnARootPlaysTheNext)
{
    Start();
    // The dialog has opened the output and set the instrument; the first
    // chord, started while the main window was created, still waits.
    EXPECT_EQ(Logged(), QStringList{"C1 00"});

    program->FormMain().show();
    ASSERT_TRUE(WaitForLogged(4));
    EXPECT_EQ(Logged(), QStringList({"C1 00", "91 37 40", "91 34 40", "91 30 40"}));

    TOwnerDrawList *roots = program->FormMain().ChordRoot;
    QTest::mouseClick(roots->viewport(), Qt::LeftButton, {}, roots->visualItemRect(roots->item(2)).center());
    ASSERT_TRUE(WaitForLogged(10));
    EXPECT_EQ(Logged().mid(4), QStringList({"81 30 40", "81 34 40", "81 37 40", "91 39 40", "91 36 40", "91 32 40"}));
    EXPECT_EQ(program->FormMain().LabelChord->text(), "D, DMajor, DM");
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_TRUE(messages.isEmpty());

    // At the end the devices are closed.
    ASSERT_TRUE(platform::loopback::Feed({0xFE}));
    program.reset();
    EXPECT_FALSE(platform::loopback::Feed({0xFE}));
    EXPECT_EQ(FrmMidiSetup, nullptr);
}

TEST_F(Program, EndsWhilePlaybacksStillWaitAndNoneOfThemPlaysAfterwards)
{
    Store("ListenType", 1);
    Start();
    for (int i = 0; i < 5; ++i)
        program->FormMain().StartPlayback(false, QStringLiteral("up"));
    EXPECT_GT(LiveMidiThreads(), 0);
    EXPECT_FALSE(LastMidiThread.expired());
    EXPECT_FALSE(PlayAtOnce);
    EXPECT_EQ(ArpeggioDirection, "up");

    // The event loop has ended without handling them.
    program.reset();

    EXPECT_EQ(LiveMidiThreads(), 0);
    HandlePostedEvents();
    EXPECT_EQ(Logged(), QStringList{"C1 00"});
}

// The longest Speed there is would hold the program for 24 days after its
// window closed.
TEST_F(Program, ClosingTheMainWindowDuringTheLongestWaitEndsAtOnceAndSwitchesItsNoteOff)
{
    Store("ListenType", 1);
    Store("Speed", INT_MAX);
    Start();
    TFormMain &main = program->FormMain();

    // The user closes the window while the first chord's arpeggio waits
    // after its first note.
    QElapsedTimer sinceClose;
    QTimer closer;
    closer.setInterval(1);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (Logged().size() < 2)
            return;
        closer.stop();
        sinceClose.start();
        main.close();
    });
    closer.start();
    main.show();
    ASSERT_TRUE(WaitFor([&] { return sinceClose.isValid() && LiveMidiThreads() == 0; }));
    // Far below Speed: the bound only allows for a busy machine.
    EXPECT_LT(sinceClose.elapsed(), 5000);
    HandlePostedEvents();

    EXPECT_EQ(Logged(), QStringList({"C1 00", "91 30 40", "81 30 40"}));
    EXPECT_FALSE(platform::loopback::Feed({0xFE})) << "the input is closed";
    EXPECT_TRUE(errors.isEmpty());
}

// A synthesizer left holding a chord after the program has gone sounds until
// it is switched off by hand.
TEST_F(Program, TheEndSwitchesOffWhatAnAnalysisWindowPlayed)
{
    Store("ListenType", -1);
    Start();
    TFormMain &main = program->FormMain();
    main.show();
    main.mnuChordanalysis->trigger();
    ASSERT_NE(FormAnalyse, nullptr);
    FormAnalyse->BtnClear->click(); // keys held earlier in the run belong to the program
    for (const char *key : {"ShapePiano13", "ShapePiano20"})
        Click(FormAnalyse->findChild<TShapePiano *>(key));
    FormAnalyse->BtnChord->click();
    ASSERT_TRUE(WaitForLogged(3));

    main.close();
    HandlePostedEvents();
    EXPECT_EQ(Logged(), QStringList({"C1 00", "91 30 40", "91 37 40", "81 30 40", "81 37 40"}));
    EXPECT_TRUE(errors.isEmpty());
}

// ---------------------------------------------------------------------------
// Clicks while chords play

// What a click script does to the main window, and when.
struct ClickStep {
    int atMs;
    std::function<void(TFormMain &)> act;
};

struct ClickScript {
    const char *name;
    int listenType;
    int speed;
    std::vector<ClickStep> steps;
};

[[maybe_unused]] void PrintTo(const ClickScript &script, std::ostream *os)
{
    *os << script.name;
}

void ClickLine(TOwnerDrawList *list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

ClickStep Root(int atMs, int row)
{
    return {atMs, [row](TFormMain &main) { ClickLine(main.ChordRoot, row); }};
}

ClickStep Chord(int atMs, int row)
{
    return {atMs, [row](TFormMain &main) { ClickLine(main.ChordName, row); }};
}

// A press on a playback switch that is off turns it on and plays the chord
// in its manner.
ClickStep Switch(int atMs, TImgSwitch *TFormMain::*which)
{
    return {atMs, [which](TFormMain &main) {
                TImgSwitch *playback = main.*which;
                if (!playback->StateOn())
                    QTest::mouseClick(playback, Qt::LeftButton, {}, playback->rect().center());
            }};
}

// Sixty clicks on roots, chord types and playback switches, a few tens of
// milliseconds apart, as a user trying chords quickly makes them.
std::vector<ClickStep> RandomClicks()
{
    std::mt19937 random(20261210);
    std::vector<ClickStep> steps;
    int at = 0;
    for (int i = 0; i < 60; ++i) {
        at += static_cast<int>(random() % 80);
        switch (random() % 6) {
        case 0:
            steps.push_back(Switch(at, std::array{&TFormMain::BtnAccord, &TFormMain::BtnAccordUp,
                                                  &TFormMain::BtnAccordDown}[random() % 3]));
            break;
        case 1:
        case 2:
            steps.push_back(Chord(at, static_cast<int>(random() % 12)));
            break;
        default:
            steps.push_back(Root(at, static_cast<int>(random() % 12)));
        }
    }
    return steps;
}

class ProgramClicks : public Program, public testing::WithParamInterface<ClickScript> {
protected:
    using Notes = std::multiset<std::pair<int, int>>; // channel, note

    // Replays the log as a synthesizer hears it: the notes left sounding,
    // and every note-on that came while its note already sounded.
    void Replay(Notes &sounding, QStringList &sentTwice) const
    {
        for (const QString &message : Logged()) {
            const QStringList bytes = message.split(' ');
            if (bytes.size() != 3)
                continue;
            const int status = bytes[0].toInt(nullptr, 16);
            const std::pair<int, int> note{status & 0x0F, bytes[1].toInt(nullptr, 16)};
            if ((status & 0xF0) == 0x90) {
                if (sounding.count(note))
                    sentTwice << message;
                sounding.insert(note);
            } else if ((status & 0xF0) == 0x80 && sounding.count(note)) {
                sounding.erase(sounding.find(note));
            }
        }
    }

    static Notes ShownChord()
    {
        Notes notes;
        for (const model::TNoteSlot &slot : model::ChordNotes)
            if (slot.Note != 0)
                notes.insert({model::MidiChannel & 0x0F, (slot.Note + 35 + model::Detune) & 0xFF});
        return notes;
    }
};

// However the clicks fall into the waits of the arpeggios they interrupt,
// every note-on gets its note-off except the chord on show, no note is sent
// again while it sounds, and the program's end switches the last chord off.
TEST_P(ProgramClicks, LeaveExactlyTheChordOnShowSoundingEachNoteOnce)
{
    const ClickScript &script = GetParam();
    Store("ListenType", script.listenType);
    Store("Speed", script.speed);
    Start();
    TFormMain &main = program->FormMain();
    main.show();

    std::size_t done = 0;
    for (const ClickStep &step : script.steps)
        QTimer::singleShot(step.atMs, &main, [&] {
            step.act(main);
            ++done;
        });
    ASSERT_TRUE(WaitFor([&] { return done == script.steps.size() && LiveMidiThreads() == 0; }));
    HandlePostedEvents();

    Notes sounding;
    QStringList sentTwice;
    Replay(sounding, sentTwice);
    EXPECT_EQ(sounding, ShownChord()) << main.LabelChord->text().toStdString();
    EXPECT_EQ(sentTwice, QStringList());
    EXPECT_TRUE(errors.isEmpty());

    program.reset();
    sounding.clear();
    Replay(sounding, sentTwice);
    EXPECT_EQ(sounding, Notes()) << "left sounding after the end";
}

INSTANTIATE_TEST_SUITE_P(
    Playback, ProgramClicks,
    testing::Values(
        // C, D a quarter second later, E 50 ms after that, during an
        // ascending arpeggio of 200 ms a note.
        ClickScript{"RootsDuringAnAscendingArpeggio", 1, 200, {Root(0, 0), Root(250, 2), Root(300, 4)}},
        ClickScript{"DescendingArpeggiosWithABlockChordBetween",
                    2,
                    150,
                    {Root(0, 2), Switch(100, &TFormMain::BtnAccord), Switch(150, &TFormMain::BtnAccordDown),
                     Root(200, 4), Chord(230, 5), Root(420, 9)}},
        ClickScript{"SixtyQuickClicks", 1, 40, RandomClicks()}),
    [](const testing::TestParamInfo<ClickScript> &info) { return info.param.name; });

// Cancels each dialog that comes on top, writing down its buttons' texts
// without their mnemonics, by the kind of dialog.
class TDialogCanceller {
public:
    std::map<QString, QStringList> Buttons;

    TDialogCanceller()
    {
        FTimer.setInterval(10);
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            QStringList &texts = Buttons[QString::fromLatin1(dialog->metaObject()->className())];
            for (const QPushButton *button : dialog->findChildren<QPushButton *>())
                texts << button->text().remove(u'&');
            dialog->reject();
        });
        FTimer.start();
    }

private:
    QTimer FTimer;
};

TEST_F(Program, QtsOwnDialogsSpeakTheLanguageOfTheProgramAndFollowItsChange)
{
    Store("Language", 2);
    program = std::make_unique<ui::TProgramWindows>();
    TFrmPattern &pattern = program->Pattern();
    // The comment box, then the file dialog, both cancelled.
    const auto save = [&] {
        TDialogCanceller canceller;
        pattern.BtnSaveClick();
        return std::pair(canceller.Buttons["QInputDialog"], canceller.Buttons["QFileDialog"]);
    };

    auto [comment, file] = save();
    EXPECT_TRUE(comment.contains("Annuler")) << comment.join('|').toStdString();
    EXPECT_TRUE(file.contains("Annuler")) << file.join('|').toStdString();
    EXPECT_TRUE(file.contains("Enregistrer")) << file.join('|').toStdString();

    TFrmMidiSetup &setup = program->MidiSetup();
    setup.FormActivate();
    setup.RadioEnglish->setChecked(true);
    setup.BtnOkClick();
    std::tie(comment, file) = save();
    EXPECT_TRUE(comment.contains("Cancel")) << comment.join('|').toStdString();
    EXPECT_TRUE(file.contains("Save")) << file.join('|').toStdString();
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).filter(".hnv").isEmpty());
}

TEST_F(Program, PlaybackModesOfTheMainWindowReachTheOutput)
{
    struct Mode {
        int listenType;
        QStringList notes;
    };
    const Mode modes[] = {
        {0, {"91 37 40", "91 34 40", "91 30 40"}},
        {1, {"91 30 40", "91 34 40", "91 37 40"}},
        {2, {"91 37 40", "91 34 40", "91 30 40"}},
        {-1, {}},
    };
    Start();
    ASSERT_TRUE(WaitForLogged(4));
    model::Speed = 1;
    for (const Mode &mode : modes) {
        // The next playback first switches off the chord left sounding.
        model::SoundingNotes = {};
        platform::loopback::ClearSent();
        model::ListenType = mode.listenType;
        program->FormMain().PlayCurrent();
        EXPECT_TRUE(WaitFor([] { return LiveMidiThreads() == 0; }));
        QStringList sent;
        for (const auto &bytes : platform::loopback::Sent())
            sent << QStringLiteral("%1 %2 %3")
                        .arg(bytes[0], 2, 16, QLatin1Char('0'))
                        .arg(bytes[1], 2, 16, QLatin1Char('0'))
                        .arg(bytes[2], 2, 16, QLatin1Char('0'))
                        .toUpper();
        EXPECT_EQ(sent, mode.notes) << "ListenType " << mode.listenType;
    }

    // Without an output chosen nothing is started, whatever the mode.
    model::MidiIFOut.clear();
    model::ListenType = 0;
    program->FormMain().PlayCurrent();
    program->FormMain().StartPlayback(true, QString());
    EXPECT_EQ(LiveMidiThreads(), 0);
}

} // namespace
