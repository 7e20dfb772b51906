#pragma once

// The clock the playbacks' MIDI messages keep. A playback is a start, at
// which it switches off what sounds, then note-ons, each at its moment. A
// thread of the timekeeper's own sends each at its moment, at real-time
// priority where the system grants it, so that neither the windows' painting
// nor the rest of the machine holds a note back; whoever adds or changes a
// playback sends what is due by then at once itself.
//
// The playbacks and what sounds belong to the timekeeper's lock: hold Lock()
// around every call that reaches them (all but SetOnChange, Stop and
// ThreadId).
#include "model/Declare.h"
#include "platform/MidiApi.h"
#include "platform/Realtime.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

using TPlaybackClock = std::chrono::steady_clock;

// A note-on as it went out: its note-off is the same note on the same channel.
struct TSentNote {
    int key = 0; // 0: nothing sounds in the slot
    int channel = 0;
    int note = 0;
    bool operator==(const TSentNote &) const = default;
};

using TSentNotes = model::Array<TSentNote, model::TNoteSlots::Low, model::TNoteSlots::High>;

// One note-on of a playback as planned.
struct TPlannedNote {
    int visited = 0; // its place in the order the slots are visited, from 0
    int slot = 0;
    TSentNote sent;
    TPlaybackClock::time_point at;
    TPlaybackClock::duration waitAfter{};
    bool operator==(const TPlannedNote &) const = default;
};

// A playback's notes from some place in its order on, and the moment the
// wait after the last of them ends.
struct TNotePlan {
    std::vector<TPlannedNote> notes;
    TPlaybackClock::time_point end;
    bool operator==(const TNotePlan &) const = default;
};

// One playback on the clock.
struct TPlayback {
    platform::HMIDIOUT device = nullptr;
    bool ascending = false;
    TPlaybackClock::time_point start;
    TNotePlan whole; // as first planned, to recognise the playback by
    std::deque<TPlannedNote> pending;
    TPlaybackClock::time_point end;
    // Where a new plan of the notes still to come begins.
    int resumeVisited = 0;
    TPlaybackClock::time_point resumeAt;
    // A playback started now rather than on a beat: its notes follow its
    // start wherever the start falls, so that a start held up by a busy
    // thread stretches no gap.
    bool followsItsStart = false;
    bool started = false;
    bool finished = false;  // its last wait has ended
    bool cancelled = false; // overtaken or dropped: the rest never goes out
    platform::MMRESULT refusal = platform::MMSYSERR_NOERROR;
    uint64_t order = 0;

    // A playback planned whole from its start.
    TPlayback(platform::HMIDIOUT output, bool up, TPlaybackClock::time_point moment, TNotePlan plan);
    bool Over() const { return finished || cancelled || refusal != platform::MMSYSERR_NOERROR; }
    // Every moment still to come later by the given time.
    void Postpone(TPlaybackClock::duration by);
};

class TTimekeeper {
public:
    // The program's one timekeeper, whose thread starts with the first
    // playback that needs it.
    static TTimekeeper &Instance();

    platform::TRealtimeMutex &Lock() { return FLock; }

    // Called on the timekeeper's thread, outside the lock, after it has sent
    // something or ended a playback.
    void SetOnChange(std::function<void()> onChange) { FOnChange = std::move(onChange); }

    void Add(const std::shared_ptr<TPlayback> &playback);
    // The notes still to come planned anew; nothing changes while the plan
    // is the same.
    void Revise(TPlayback &playback, TNotePlan plan);
    void Cancel(TPlayback &playback);
    // Every playback that has started, but the one given, sends nothing more.
    void OvertakeStarted(const TPlayback *except);
    // Sends, on the calling thread, everything due by now. False when
    // nothing was.
    bool RunDue();

    // Every note-on as it went out, by slot, for as long as its note sounds.
    TSentNotes &Sounding() { return FSounding; }
    // Note-offs for the notes that sound, each forgotten as it goes out; the
    // first the output refuses ends it with the output's answer.
    platform::MMRESULT SwitchOff(platform::HMIDIOUT device);
    // The slots whose notes went on or off since the last call, in order.
    std::vector<std::pair<int, int>> TakeChanges() { return std::exchange(FChanges, {}); }

    // Ends every playback and the thread; without the lock. A later
    // playback starts the thread again.
    void Stop();
    // The thread's kernel id, 0 while it does not run.
    pid_t ThreadId() const { return FThreadId.load(); }

private:
    enum class TStep { Start, Note, End };
    struct TDue {
        TPlayback *playback = nullptr;
        TStep step = TStep::End;
        TPlaybackClock::time_point at;
    };

    TTimekeeper() = default;
    bool Next(TDue &due) const;
    void Take(const TDue &due, TPlaybackClock::time_point now);
    void Send(TPlayback &playback, const TPlannedNote &note);
    void Prune();
    void Wake();
    void Run();

    platform::TRealtimeMutex FLock;
    platform::TRealtimeCondition FChanged;
    std::vector<std::shared_ptr<TPlayback>> FPlaybacks; // with something still to do
    TSentNotes FSounding;
    std::vector<std::pair<int, int>> FChanges;
    uint64_t FAdded = 0;
    std::function<void()> FOnChange;
    std::thread FThread;
    bool FStopping = false;
    std::atomic<pid_t> FThreadId{0};
};
