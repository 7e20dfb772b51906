// The whole program with the loopback driver: the start-up order that lets
// the first chord reach the output once events are handled, a click that
// plays the next chord, and an end that neither hangs nor leaves a device
// open while playbacks still wait.
#include "MainWindowFixture.h"

#include "midi/ThreadUnit.h"
#include "platform/MidiApi.h"
#include "ui/Midi_Setup.h"
#include "ui/Startup.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>
#include <functional>

namespace {

// Handles events until the condition holds. The bound only keeps a broken
// build from hanging; nothing here measures how long anything took.
bool WaitFor(const std::function<bool()> &condition)
{
    QDeadlineTimer deadline(10000);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

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

TEST_F(Program, ClosingTheMainWindowStopsAnArpeggioAtItsNextNote)
{
    Start();
    TFormMain &main = program->FormMain();
    main.show();
    ASSERT_TRUE(WaitForLogged(4));
    model::ListenType = 1;
    model::Speed = 1000;
    model::SoundingNotes = {};

    // The user closes the window while the arpeggio waits after its first note.
    QTimer closer;
    closer.setInterval(1);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (Logged().size() > 4)
            main.close();
    });
    closer.start();
    main.PlayCurrent();
    ASSERT_TRUE(WaitFor([] { return LiveMidiThreads() == 0; }));
    HandlePostedEvents();

    EXPECT_EQ(Logged().mid(4), QStringList{"91 30 40"});
    EXPECT_FALSE(platform::loopback::Feed({0xFE})) << "the input is closed";
    EXPECT_TRUE(errors.isEmpty());
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
