// Chord playback: the messages PlayChordNotes sends for the note slots and
// the settings, its waits, what it does when the output refuses, and the
// playback threads that hand it to the user-interface thread.
#include "MidiTestSupport.h"

#include "midi/MidiOut.h"
#include "midi/ThreadUnit.h"
#include "model/Declare.h"
#include "platform/MidiApi.h"
#include "platform/Realtime.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using SlotKeys = std::vector<std::pair<int, int>>; // slot, key

model::TNoteSlots Slots(const SlotKeys &keys)
{
    model::TNoteSlots notes;
    for (const auto &[slot, key] : keys)
        notes[slot].Note = key;
    return notes;
}

const SlotKeys CMajor = {{1, 13}, {3, 17}, {5, 20}}; // C E G on the C chords are built on
const SlotKeys DMinor = {{1, 15}, {3, 18}, {5, 22}};

class PlayChordNotesTest : public testing::Test {
protected:
    std::unique_ptr<TMidiOutput> output;

    void SetUp() override
    {
        platform::MidiDriverResetForTest();
        model::ChordNotes = {};
        model::SoundingNotes = {};
        model::MidiChannel = 0;
        model::Detune = 0;
        model::Speed = 1;
        PlayAtOnce = true;
        ArpeggioDirection.clear();
        output = std::make_unique<TMidiOutput>();
        output->setProductName("Loopback Out");
        ASSERT_TRUE(output->Open());
        platform::loopback::ClearSent();
    }

    void TearDown() override
    {
        output.reset();
        StopMidiThreads();
    }

    // The loopback log's time stamps, in milliseconds, of the messages the
    // work sends.
    std::vector<double> LogTimes(const std::function<void()> &work)
    {
        QTemporaryDir folder;
        const QString log = folder.filePath("midi.log");
        output.reset();
        setenv("HARMONOVA_MIDI_LOG", QFile::encodeName(log).constData(), 1);
        platform::MidiDriverResetForTest();
        output = std::make_unique<TMidiOutput>();
        output->setProductName("Loopback Out");
        output->Open();
        work();
        output.reset();
        unsetenv("HARMONOVA_MIDI_LOG");
        platform::MidiDriverResetForTest();
        std::vector<double> times;
        QFile file(log);
        if (file.open(QIODevice::ReadOnly))
            for (const QByteArray &line : file.readAll().split('\n'))
                if (!line.isEmpty())
                    times.push_back(line.split(' ').first().toDouble());
        return times;
    }

    // Plays with a probe that notes how many messages were out each time
    // window events were handled during the playback.
    std::vector<std::size_t> PlayProbingWaits(const std::function<void(int wait)> &duringWait = {})
    {
        std::vector<std::size_t> sentAtWaits;
        QTimer probe;
        probe.setInterval(0);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const std::size_t sent = platform::loopback::Sent().size();
            if (!sentAtWaits.empty() && sentAtWaits.back() == sent)
                return; // the same wait
            sentAtWaits.push_back(sent);
            if (duringWait)
                duringWait(static_cast<int>(sentAtWaits.size()));
        });
        probe.start();
        PlayChordNotes(output.get());
        probe.stop();
        return sentAtWaits;
    }
};

// ---------------------------------------------------------------------------
// The messages

struct NotesCase {
    const char *name;
    SlotKeys chord;
    int channel;
    int detune;
    bool atOnce;
    const char *direction;
    Messages expected;
};

class PlayChordNotesMessages : public PlayChordNotesTest, public testing::WithParamInterface<NotesCase> {};

TEST_P(PlayChordNotesMessages, SendsTheNoteOnsOfTheSlotsInTheirOrder)
{
    const NotesCase &c = GetParam();
    model::ChordNotes = Slots(c.chord);
    model::MidiChannel = c.channel;
    model::Detune = c.detune;
    PlayAtOnce = c.atOnce;
    ArpeggioDirection = QString::fromLatin1(c.direction);

    PlayChordNotes(output.get());

    EXPECT_EQ(Sent(), c.expected);
    EXPECT_EQ(model::SoundingNotes, model::ChordNotes);
}

const SlotKeys ScaleOfCMajor = {{1, 13}, {2, 15}, {3, 17}, {4, 18}, {5, 20}, {6, 22}, {7, 24}};

INSTANTIATE_TEST_SUITE_P(
    Playback, PlayChordNotesMessages,
    testing::Values(
        // The slots are sorted by pitch, so a block chord sounds from the top down.
        NotesCase{"BlockChordFromTheTop", CMajor, 0, 0, true, "", {"90 37 40", "90 34 40", "90 30 40"}},
        NotesCase{"UpAscends", CMajor, 0, 0, false, "up", {"90 30 40", "90 34 40", "90 37 40"}},
        NotesCase{"DownDescends", CMajor, 0, 0, false, "down", {"90 37 40", "90 34 40", "90 30 40"}},
        NotesCase{"OnlyLowerCaseUpAscends", CMajor, 0, 0, false, "Up", {"90 37 40", "90 34 40", "90 30 40"}},
        NotesCase{"AScaleUp",
                  ScaleOfCMajor,
                  0,
                  0,
                  false,
                  "up",
                  {"90 30 40", "90 32 40", "90 34 40", "90 35 40", "90 37 40", "90 39 40", "90 3B 40"}},
        NotesCase{"DetuneAnOctaveDownOnTheLowestKey", {{1, 1}}, 0, -12, true, "", {"90 18 40"}},
        NotesCase{"DetuneAnOctaveUpOnTheHighestKey", {{1, 48}}, 0, 12, true, "", {"90 5F 40"}},
        NotesCase{"LastChannel", {{1, 13}}, 15, 0, true, "", {"9F 30 40"}},
        NotesCase{"ChannelWrapsAsAByte", {{1, 13}}, 257, 0, true, "", {"91 30 40"}},
        NotesCase{"NoteWrapsAsAByteUpwards", {{1, 48}}, 0, 200, true, "", {"90 1B 40"}},
        NotesCase{"NothingToPlay", {}, 0, 0, true, "", {}}),
    [](const testing::TestParamInfo<NotesCase> &info) { return info.param.name; });

// A note that wraps below 0 would go out as a status byte (0xFC, a Stop to
// a sequencer): the output refuses it and the playback ends there.
TEST_F(PlayChordNotesTest, ANoteThatWrapsToAStatusByteIsRefusedNotSent)
{
    model::ChordNotes = Slots({{1, 1}});
    model::Detune = -40;
    PlayAtOnce = true;
    EXPECT_THROW(PlayChordNotes(output.get()), EmidioutputError);
    EXPECT_EQ(Sent(), Messages{});
    EXPECT_EQ(model::SoundingNotes, model::TNoteSlots{});
}

TEST_F(PlayChordNotesTest, ASecondPlaybackSwitchesOffExactlyTheNotesOfTheFirstThenPlaysItsOwn)
{
    model::MidiChannel = 15;
    model::ChordNotes = Slots(CMajor);
    PlayChordNotes(output.get());
    platform::loopback::ClearSent();

    model::ChordNotes = Slots(DMinor);
    PlayChordNotes(output.get());

    const Messages expected = {"8F 30 40", "8F 34 40", "8F 37 40", "9F 39 40", "9F 35 40", "9F 32 40"};
    EXPECT_EQ(Sent(), expected);
    EXPECT_EQ(model::SoundingNotes, Slots(DMinor));
}

TEST_F(PlayChordNotesTest, NotesSwitchOffAsTheyWereSentAfterTheChannelOrTranspositionChanged)
{
    model::ChordNotes = Slots(CMajor);
    PlayChordNotes(output.get());
    platform::loopback::ClearSent();

    // Setup accepted another channel and transposition while C major sounds.
    model::MidiChannel = 5;
    model::Detune = 2;
    model::ChordNotes = Slots(DMinor);
    PlayChordNotes(output.get());
    model::ChordNotes = {};
    PlayChordNotes(output.get());

    const Messages expected = {"80 30 40", "80 34 40", "80 37 40", "95 3B 40", "95 37 40",
                               "95 34 40", "85 34 40", "85 37 40", "85 3B 40"};
    EXPECT_EQ(Sent(), expected);
}

// ---------------------------------------------------------------------------
// The waits

struct WaitCase {
    const char *name;
    bool atOnce;
    const char *direction;
    Messages expected;
};

class PlayChordNotesWaits : public PlayChordNotesTest, public testing::WithParamInterface<WaitCase> {};

// A block chord is out before the call returns, with no event handled; an
// arpeggio's call handles events from its first note on and returns once
// the wait after its last note has ended.
TEST_P(PlayChordNotesWaits, WaitAfterEveryNoteOfAnArpeggioOnly)
{
    const WaitCase &c = GetParam();
    model::Speed = 20;
    model::ChordNotes = Slots(CMajor);
    PlayAtOnce = c.atOnce;
    ArpeggioDirection = QString::fromLatin1(c.direction);

    const auto started = std::chrono::steady_clock::now();
    const std::vector<std::size_t> sentAtWaits = PlayProbingWaits();
    const auto took = std::chrono::steady_clock::now() - started;

    EXPECT_EQ(Sent(), c.expected);
    EXPECT_EQ(model::SoundingNotes, model::ChordNotes);
    if (c.atOnce) {
        EXPECT_EQ(sentAtWaits, std::vector<std::size_t>{});
    } else {
        ASSERT_FALSE(sentAtWaits.empty());
        EXPECT_EQ(sentAtWaits.front(), 1u);
        EXPECT_EQ(sentAtWaits.back(), 3u);
        EXPECT_GE(took, std::chrono::milliseconds(3 * model::Speed)) << "the last note is followed by a wait too";
    }
}

INSTANTIATE_TEST_SUITE_P(Playback, PlayChordNotesWaits,
                         testing::Values(WaitCase{"Ascending", false, "up", {"90 30 40", "90 34 40", "90 37 40"}},
                                         WaitCase{"Descending", false, "down", {"90 37 40", "90 34 40", "90 30 40"}},
                                         WaitCase{"AtOnce", true, "", {"90 37 40", "90 34 40", "90 30 40"}},
                                         WaitCase{"AtOnceUp", true, "up", {"90 30 40", "90 34 40", "90 37 40"}}),
                         [](const testing::TestParamInfo<WaitCase> &info) { return info.param.name; });

// A window busy painting or opening a file between two notes of an arpeggio
// holds none of them back.
TEST_F(PlayChordNotesTest, AnArpeggiosNotesGoOutWhileTheThreadIsBusy)
{
    model::Speed = 20;
    model::ChordNotes = Slots(CMajor);
    PlayAtOnce = false;
    ArpeggioDirection = "up";

    bool outWhileBusy = false;
    PlayProbingWaits([&](int wait) {
        if (wait == 1)
            outWhileBusy = WaitWithoutHandling([] { return platform::loopback::Sent().size() == 3; });
    });

    EXPECT_TRUE(outWhileBusy);
    EXPECT_EQ(Sent(), (Messages{"90 30 40", "90 34 40", "90 37 40"}));
    EXPECT_EQ(model::SoundingNotes, Slots(CMajor));
}

TEST_F(PlayChordNotesTest, AnArpeggioGoesOnOverWhateverTheSlotsHoldAndTheNextSwitchesOffWhatWentOut)
{
    model::ChordNotes = Slots(CMajor);
    PlayAtOnce = false;
    ArpeggioDirection = "up";

    // During the first wait the chord on show and the way of playing change
    // without a new playback; the direction was read once, before the notes.
    PlayProbingWaits([](int wait) {
        if (wait != 1)
            return;
        model::ChordNotes = Slots(DMinor);
        ArpeggioDirection = "down";
    });
    EXPECT_EQ(Sent(), (Messages{"90 30 40", "90 35 40", "90 39 40"}));
    EXPECT_EQ(model::SoundingNotes, Slots({{1, 13}, {3, 18}, {5, 22}}));

    // The C that went out is switched off, not the D the slot holds now.
    platform::loopback::ClearSent();
    PlayAtOnce = true;
    model::ChordNotes = {};
    PlayChordNotes(output.get());
    EXPECT_EQ(Sent(), (Messages{"80 30 40", "80 35 40", "80 39 40"}));
    EXPECT_EQ(model::SoundingNotes, model::TNoteSlots{});
}

// The wait that follows the note just sent keeps its length; the notes after
// it go out together.
TEST_F(PlayChordNotesTest, PlayingAtOnceTakesEffectAtTheNextNote)
{
    const std::vector<double> times = LogTimes([&] {
        model::Speed = 300;
        model::ChordNotes = Slots(CMajor);
        PlayAtOnce = false;
        ArpeggioDirection = "up";
        PlayProbingWaits([](int) { PlayAtOnce = true; });
    });

    ASSERT_EQ(times.size(), 3u);
    EXPECT_GE(times[1] - times[0], 250.0);
    EXPECT_LT(times[2] - times[1], 150.0) << "no wait of Speed between them";
}

// ---------------------------------------------------------------------------
// A playback overtaken during its wait

const SlotKeys DMajor = {{1, 15}, {3, 19}, {5, 22}};

struct OvertakeCase {
    const char *name;
    const char *firstDirection;
    int overtakenInWait;
    bool secondAtOnce;
    const char *secondDirection;
    Messages expected;
};

class PlaybackOvertaken : public PlayChordNotesTest, public testing::WithParamInterface<OvertakeCase> {};

// A click during an arpeggio starts a playback that runs inside the
// arpeggio's wait, or just after it when its thread is slow to hand over:
// either way the arpeggio sends nothing more, the notes that went out are
// switched off once, and the newest chord alone is left sounding.
TEST_P(PlaybackOvertaken, SendsNothingAfterItsWaitAndTheNewestChordAloneSounds)
{
    const OvertakeCase &c = GetParam();
    model::Speed = 20;
    model::ChordNotes = Slots(CMajor);
    PlayAtOnce = false;
    ArpeggioDirection = QString::fromLatin1(c.firstDirection);

    PlayProbingWaits([&](int wait) {
        if (wait != c.overtakenInWait)
            return;
        model::ChordNotes = Slots(DMajor);
        PlayAtOnce = c.secondAtOnce;
        ArpeggioDirection = QString::fromLatin1(c.secondDirection);
        TMidiThread::Start([this] { PlayChordNotes(output.get()); });
    });
    ASSERT_TRUE(WaitFor([] { return LiveMidiThreads() == 0; }));

    EXPECT_EQ(Sent(), c.expected);
    EXPECT_EQ(model::SoundingNotes, Slots(DMajor));
}

INSTANTIATE_TEST_SUITE_P(
    Playback, PlaybackOvertaken,
    testing::Values(
        OvertakeCase{"UpByUp", "up", 1, false, "up", {"90 30 40", "80 30 40", "90 32 40", "90 36 40", "90 39 40"}},
        OvertakeCase{"DownByDown",
                     "down",
                     2,
                     false,
                     "down",
                     {"90 37 40", "90 34 40", "80 34 40", "80 37 40", "90 39 40", "90 36 40", "90 32 40"}},
        OvertakeCase{
            "DownByABlockChord", "down", 1, true, "", {"90 37 40", "80 37 40", "90 39 40", "90 36 40", "90 32 40"}},
        // Overtaken in the wait after its last note: it had nothing more to send.
        OvertakeCase{"UpAfterItsLastNote",
                     "up",
                     3,
                     true,
                     "",
                     {"90 30 40", "90 34 40", "90 37 40", "80 30 40", "80 34 40", "80 37 40", "90 39 40", "90 36 40",
                      "90 32 40"}}),
    [](const testing::TestParamInfo<OvertakeCase> &info) { return info.param.name; });

TEST_F(PlayChordNotesTest, AStopDuringTheLongestWaitEndsTheArpeggioAtOnceAndItsNotesCanBeSwitchedOff)
{
    // The program ends while the arpeggio waits 2^31 - 1 ms after its first note.
    model::Speed = INT_MAX;
    model::ChordNotes = Slots(CMajor);
    PlayAtOnce = false;
    ArpeggioDirection = "up";

    PlayProbingWaits([](int) { StopMidiThreads(); });
    EXPECT_EQ(Sent(), (Messages{"90 30 40"}));
    EXPECT_EQ(model::SoundingNotes, Slots({{1, 13}}));

    SwitchOffSoundingNotes(output.get());
    EXPECT_EQ(Sent(), (Messages{"90 30 40", "80 30 40"}));
    EXPECT_EQ(model::SoundingNotes, model::TNoteSlots{});

    // Nothing sounds any more: a second call sends nothing.
    SwitchOffSoundingNotes(output.get());
    EXPECT_EQ(Sent().size(), 2u);
}

TEST_F(PlayChordNotesTest, SwitchingOffAtTheEndSendsNothingToAClosedOutputOrWithoutOne)
{
    model::ChordNotes = Slots(CMajor);
    PlayChordNotes(output.get());
    platform::loopback::ClearSent();
    output->Close();

    SwitchOffSoundingNotes(output.get());
    SwitchOffSoundingNotes(nullptr);

    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(model::SoundingNotes, Slots(CMajor));
}

// ---------------------------------------------------------------------------
// A playback planned ahead of its moment

class PlannedPlayback : public PlayChordNotesTest {
protected:
    std::shared_ptr<TPlayback> planned;

    void TearDown() override
    {
        CancelPlannedPlayback(planned);
        PlayChordNotesTest::TearDown();
    }

    void Plan(const SlotKeys &notes, std::chrono::milliseconds ahead)
    {
        PlanPlayback(planned, output.get(), Slots(notes), true, QString(), std::chrono::steady_clock::now() + ahead);
    }

    // The playback the plan stands for, started as the program starts one.
    void PlayItsPlayback()
    {
        {
            const TPlannedPlaybackExpected expected(planned);
            TMidiThread::Start([this] { PlayChordNotes(output.get()); });
        }
        ASSERT_TRUE(WaitFor([] { return LiveMidiThreads() == 0; }));
    }
};

TEST_F(PlannedPlayback, GoesOutOnItsMomentWithNoEventHandledAndItsPlaybackGoesOnFromIt)
{
    model::ChordNotes = Slots(CMajor);
    Plan(CMajor, std::chrono::milliseconds(30));
    EXPECT_TRUE(Sent().empty());

    // This thread is busy: the notes go out all the same.
    ASSERT_TRUE(WaitWithoutHandling([] { return platform::loopback::Sent().size() == 3; }));
    EXPECT_TRUE(PlannedPlaybackStarted(planned));

    PlayItsPlayback();
    EXPECT_EQ(Sent(), (Messages{"90 37 40", "90 34 40", "90 30 40"})) << "nothing twice";
    EXPECT_EQ(model::SoundingNotes, Slots(CMajor));
}

TEST_F(PlannedPlayback, APlaybackThatFindsOtherNotesThanPlannedPlaysItsOwnAfterIt)
{
    Plan(CMajor, std::chrono::milliseconds(5));
    ASSERT_TRUE(WaitWithoutHandling([] { return platform::loopback::Sent().size() == 3; }));

    // The chord changed between the plan and the playback.
    model::ChordNotes = Slots(DMinor);
    PlayItsPlayback();
    EXPECT_EQ(Sent(), (Messages{"90 37 40", "90 34 40", "90 30 40", "80 30 40", "80 34 40", "80 37 40", "90 39 40",
                                "90 35 40", "90 32 40"}));
    EXPECT_EQ(model::SoundingNotes, Slots(DMinor));
}

TEST_F(PlannedPlayback, APlaybackBeforeThePlansMomentPlaysNowAndThePlanNever)
{
    model::ChordNotes = Slots(CMajor);
    Plan(CMajor, std::chrono::hours(1));
    const std::shared_ptr<TPlayback> plan = planned;

    PlayItsPlayback();
    EXPECT_EQ(Sent(), (Messages{"90 37 40", "90 34 40", "90 30 40"}));
    EXPECT_FALSE(PlannedPlaybackStarted(plan));
    std::lock_guard lock(TTimekeeper::Instance().Lock());
    EXPECT_TRUE(plan->cancelled);
}

TEST_F(PlannedPlayback, ACancelledPlanNeverPlaysAndAPlanAnewReplacesTheOld)
{
    Plan(CMajor, std::chrono::milliseconds(10));
    CancelPlannedPlayback(planned);
    EXPECT_EQ(planned, nullptr);

    // The same chord planned twice is one plan; another chord replaces it.
    Plan(CMajor, std::chrono::milliseconds(20));
    const std::shared_ptr<TPlayback> first = planned;
    PlanPlayback(planned, output.get(), Slots(CMajor), true, QString(), first->start);
    EXPECT_EQ(planned, first);
    Plan(DMinor, std::chrono::milliseconds(40));
    ASSERT_TRUE(WaitWithoutHandling([] { return platform::loopback::Sent().size() >= 3; }));
    EXPECT_EQ(Sent(), (Messages{"90 39 40", "90 35 40", "90 32 40"}));
}

TEST_F(PlannedPlayback, TheTimekeepersThreadRunsAtRealTimePriorityWhereTheProcessMayHaveIt)
{
    bool mayHaveIt = false;
    std::thread([&] { mayHaveIt = platform::MakeThisThreadRealtime(platform::TimekeepingPriority); }).join();
    Plan(CMajor, std::chrono::hours(1));
    ASSERT_TRUE(WaitFor([] { return TimekeeperScheduling() != "not running"; }));
    if (mayHaveIt)
        EXPECT_EQ(TimekeeperScheduling(), "SCHED_FIFO priority 20");
    else
        EXPECT_TRUE(TimekeeperScheduling().startsWith("normal")) << TimekeeperScheduling().toStdString();

    StopMidiThreads();
    EXPECT_EQ(TimekeeperScheduling(), "not running") << "it ends with the playbacks";
}

// ---------------------------------------------------------------------------
// Failures

TEST_F(PlayChordNotesTest, AClosedOutputEndsThePlaybackWithTheSoundingNotesKept)
{
    model::SoundingNotes = Slots(CMajor);
    model::ChordNotes = Slots(DMinor);
    output->Close();

    EXPECT_THROW(PlayChordNotes(output.get()), EmidioutputError);

    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(model::SoundingNotes, Slots(CMajor));
}

TEST_F(PlayChordNotesTest, AnOutputClosedDuringAnArpeggioEndsItThereWithItsFirstNoteKnownToSound)
{
    model::ChordNotes = Slots(CMajor);
    PlayAtOnce = false;
    ArpeggioDirection = "up";

    EXPECT_THROW(PlayProbingWaits([this](int) { output->Close(); }), EmidioutputError);

    EXPECT_EQ(Sent(), (Messages{"90 30 40"}));
    EXPECT_EQ(model::SoundingNotes, Slots({{1, 13}}));
}

TEST_F(PlayChordNotesTest, WithoutAnOutputNothingHappens)
{
    model::SoundingNotes = Slots(CMajor);
    model::ChordNotes = Slots(DMinor);

    PlayChordNotes(nullptr);

    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(model::SoundingNotes, Slots(CMajor));
}

// ---------------------------------------------------------------------------
// The playback threads

class MidiThreadTest : public testing::Test {
protected:
    void TearDown() override { StopMidiThreads(); }

    // Until the threads have ended; a broken hand-over fails instead of hanging.
    static bool AllEnded()
    {
        return WaitFor([] { return LiveMidiThreads() == 0; });
    }
};

TEST_F(MidiThreadTest, TheBodyRunsOnTheUserInterfaceThreadOnceEventsAreHandled)
{
    std::vector<std::thread::id> ranOn;
    const std::weak_ptr<TMidiThread> thread = TMidiThread::Start([&] { ranOn.push_back(std::this_thread::get_id()); });

    // The thread waits for its body, however long the events take to come.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(ranOn.empty());
    EXPECT_EQ(LiveMidiThreads(), 1);

    ASSERT_TRUE(AllEnded());
    EXPECT_EQ(ranOn, std::vector<std::thread::id>{std::this_thread::get_id()});
    // It freed itself.
    EXPECT_TRUE(WaitFor([&] { return thread.expired(); }));
}

TEST_F(MidiThreadTest, BodiesRunInTheOrderTheirThreadsWereStarted)
{
    // The chord chosen last must be the one left sounding.
    std::vector<int> order;
    std::vector<int> expected;
    for (int i = 0; i < 40; ++i) {
        TMidiThread::Start([&order, i] { order.push_back(i); });
        expected.push_back(i);
    }
    ASSERT_TRUE(AllEnded());
    EXPECT_EQ(order, expected);
}

TEST_F(MidiThreadTest, AFailingBodyEndsItsThreadWithoutAWord)
{
    bool after = false;
    TMidiThread::Start([] { throw EmidioutputError(QStringLiteral("The specified device handle is invalid.")); });
    TMidiThread::Start([&] { after = true; });

    ASSERT_TRUE(AllEnded());
    EXPECT_TRUE(after);
}

TEST_F(MidiThreadTest, StoppingEndsWaitingThreadsAndTheirBodiesNeverRun)
{
    std::atomic<int> ran = 0;
    for (int i = 0; i < 8; ++i)
        TMidiThread::Start([&] { ++ran; });

    StopMidiThreads();

    EXPECT_EQ(LiveMidiThreads(), 0);
    HandlePostedEvents();
    EXPECT_EQ(ran, 0);
}

TEST_F(MidiThreadTest, StoppingInsideARunningBodyLetsItFinish)
{
    // The program may end while a playback waits between two notes.
    std::vector<int> ran;
    TMidiThread::Start([&] {
        ran.push_back(1);
        StopMidiThreads();
        ran.push_back(2);
    });
    TMidiThread::Start([&] { ran.push_back(3); });

    ASSERT_TRUE(WaitFor([&] { return ran.size() >= 2; }));
    HandlePostedEvents();
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_EQ(LiveMidiThreads(), 0);
}

TEST_F(MidiThreadTest, PlaybackStartsAgainAfterAStop)
{
    TMidiThread::Start([] {});
    StopMidiThreads();

    bool ran = false;
    TMidiThread::Start([&] { ran = true; });
    ASSERT_TRUE(AllEnded());
    EXPECT_TRUE(ran);
}

} // namespace
