// The timekeeper: the order in which the playbacks' starts and notes go out,
// what a start switches off and whom it overtakes, a refused note, notes
// planned anew, and its thread, which sends on its own and stops at once.
#include "MidiTestSupport.h"

#include "midi/MidiOut.h"
#include "midi/Timekeeper.h"
#include "platform/MidiApi.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = TPlaybackClock;

class Timekeeper : public testing::Test {
protected:
    TTimekeeper &keeper = TTimekeeper::Instance();
    std::unique_ptr<TMidiOutput> output;
    // Long gone and far ahead: a step at the one is due, at the other never.
    const Clock::time_point past = Clock::now() - 1s;
    const Clock::time_point later = Clock::now() + 1h;

    void SetUp() override
    {
        platform::MidiDriverResetForTest();
        output = std::make_unique<TMidiOutput>();
        output->setProductName("Loopback Out");
        ASSERT_TRUE(output->Open());
        platform::loopback::ClearSent();
        ForgetSounding();
    }

    void TearDown() override
    {
        keeper.Stop();
        ForgetSounding();
    }

    // Nothing sounds, whatever the playbacks before left.
    void ForgetSounding()
    {
        std::lock_guard lock(keeper.Lock());
        keeper.Sounding() = {};
        keeper.TakeChanges();
    }

    // Key k of slot s as channel 0 plays it.
    static TPlannedNote Note(int slot, int key, Clock::time_point at)
    {
        return {slot - 1, slot, {key, 0, key + 35}, at, {}};
    }

    std::shared_ptr<TPlayback> Playback(Clock::time_point start, std::vector<TPlannedNote> notes)
    {
        const Clock::time_point end = notes.empty() ? start : notes.back().at;
        return std::make_shared<TPlayback>(output->DeviceHandle(), true, start, TNotePlan{std::move(notes), end});
    }

    void Add(const std::shared_ptr<TPlayback> &playback)
    {
        std::lock_guard lock(keeper.Lock());
        keeper.Add(playback);
    }

    void RunDue()
    {
        std::lock_guard lock(keeper.Lock());
        keeper.RunDue();
    }
};

TEST_F(Timekeeper, AStartSwitchesOffWhatSoundsAsItWentOutThenTheDueNotesGoOutInTheirOrder)
{
    {
        std::lock_guard lock(keeper.Lock());
        keeper.Sounding()[2] = {17, 5, 52}; // went out on channel 6
    }
    const auto playback = Playback(past, {Note(1, 13, past), Note(3, 20, past + 1ms), Note(5, 24, later)});
    Add(playback);
    RunDue();

    EXPECT_EQ(Sent(), (Messages{"85 34 40", "90 30 40", "90 37 40"}));
    std::lock_guard lock(keeper.Lock());
    EXPECT_EQ(keeper.TakeChanges(), (std::vector<std::pair<int, int>>{{2, 0}, {1, 13}, {3, 20}}));
    EXPECT_TRUE(playback->started);
    EXPECT_EQ(playback->pending.size(), 1u) << "the note of an hour ahead";
    EXPECT_FALSE(playback->Over());
}

TEST_F(Timekeeper, AStartOvertakesWhatStartedBeforeItButNotWhatIsPlannedAfterIt)
{
    const auto first = Playback(past, {Note(1, 13, past), Note(3, 17, later)});
    const auto planned = Playback(later + 1h, {Note(1, 20, later + 1h)});
    const auto second = Playback(past + 1ms, {Note(1, 15, past + 1ms)});
    Add(first);
    Add(planned);
    RunDue();
    Add(second);
    RunDue();

    EXPECT_EQ(Sent(), (Messages{"90 30 40", "80 30 40", "90 32 40"}));
    std::lock_guard lock(keeper.Lock());
    EXPECT_TRUE(first->cancelled);
    EXPECT_TRUE(first->pending.empty());
    EXPECT_FALSE(planned->started);
    EXPECT_FALSE(planned->Over());
}

TEST_F(Timekeeper, AStartGoesBeforeTheNoteAnotherPlaybackHasAtTheSameMoment)
{
    const Clock::time_point beat = past + 10ms;
    const auto arpeggio = Playback(past, {Note(1, 13, past), Note(3, 17, beat)});
    const auto next = Playback(beat, {Note(1, 15, beat)});
    {
        // Both on the clock before anything of theirs goes out.
        std::lock_guard lock(keeper.Lock());
        keeper.Add(arpeggio);
        keeper.Add(next);
        keeper.RunDue();
    }

    EXPECT_EQ(Sent(), (Messages{"90 30 40", "80 30 40", "90 32 40"}));
}

TEST_F(Timekeeper, ARefusedNoteEndsItsPlaybackAndWhatWentOutBeforeStillSounds)
{
    // Key 100 would go out as note 135, a status byte to a device.
    const auto playback = Playback(past, {Note(1, 13, past), Note(2, 100, past), Note(3, 17, past)});
    Add(playback);
    RunDue();

    EXPECT_EQ(Sent(), Messages{"90 30 40"});
    std::lock_guard lock(keeper.Lock());
    EXPECT_EQ(playback->refusal, platform::MMSYSERR_INVALPARAM);
    EXPECT_TRUE(playback->Over());
    EXPECT_EQ(keeper.Sounding()[1].key, 13);
    EXPECT_EQ(keeper.Sounding()[3].key, 0);
}

// A playback started now whose start was held up (its thread kept waiting
// for a processor) keeps its gaps; one planned for a beat keeps to the beat.
TEST_F(Timekeeper, APlaybackThatFollowsItsStartKeepsItsGapsWhenItStartsLate)
{
    const auto late = Playback(past, {Note(1, 13, past), Note(3, 17, past + 500ms)});
    late->followsItsStart = true;
    const auto onTheBeat = Playback(past + 1ms, {Note(1, 15, past + 1ms), Note(3, 18, past + 501ms)});
    Add(late);
    RunDue();
    EXPECT_EQ(Sent(), Messages{"90 30 40"});
    {
        std::lock_guard lock(keeper.Lock());
        ASSERT_EQ(late->pending.size(), 1u);
        EXPECT_GT(late->pending.front().at, Clock::now() + 400ms);
    }
    platform::loopback::ClearSent();
    Add(onTheBeat);
    RunDue();
    EXPECT_EQ(Sent(), (Messages{"80 30 40", "90 32 40", "90 35 40"}));
}

TEST_F(Timekeeper, NotesPlannedAnewReplaceThoseStillToComeAndAPlaybackEndsAfterItsLastWait)
{
    const auto playback = Playback(past, {Note(1, 13, past), Note(3, 17, later)});
    Add(playback);
    RunDue();
    {
        std::lock_guard lock(keeper.Lock());
        keeper.Revise(*playback, TNotePlan{{Note(3, 18, past + 1ms)}, past + 2ms});
    }
    RunDue();

    EXPECT_EQ(Sent(), (Messages{"90 30 40", "90 35 40"}));
    std::lock_guard lock(keeper.Lock());
    EXPECT_TRUE(playback->finished);
    EXPECT_EQ(playback->resumeVisited, 3);
}

TEST_F(Timekeeper, ItsThreadSendsEachNoteAtItsMomentWhileNobodyElseDoesAnything)
{
    const Clock::time_point soon = Clock::now() + 20ms;
    const auto playback = Playback(soon, {Note(1, 13, soon), Note(3, 17, soon + 20ms)});
    Add(playback);

    ASSERT_TRUE(WaitWithoutHandling([&] {
        std::lock_guard lock(keeper.Lock());
        return playback->finished;
    }));
    EXPECT_EQ(Sent(), (Messages{"90 30 40", "90 34 40"}));
    EXPECT_NE(keeper.ThreadId(), 0);
}

TEST_F(Timekeeper, AStopEndsTheThreadAtOnceAndNothingPlannedGoesOutButALaterPlaybackDoes)
{
    const auto planned = Playback(later, {Note(1, 13, later)});
    Add(planned);
    ASSERT_TRUE(WaitWithoutHandling([&] { return keeper.ThreadId() != 0; }));

    keeper.Stop();
    EXPECT_EQ(keeper.ThreadId(), 0);
    {
        std::lock_guard lock(keeper.Lock());
        EXPECT_TRUE(planned->cancelled);
    }

    const auto next = Playback(Clock::now() + 5ms, {Note(1, 15, Clock::now() + 5ms)});
    Add(next);
    ASSERT_TRUE(WaitWithoutHandling([] { return !platform::loopback::Sent().empty(); }));
    EXPECT_EQ(Sent(), Messages{"90 32 40"});
}

} // namespace
