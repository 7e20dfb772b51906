#pragma once

// Chord playback. The notes held in ChordNotes go out on the program's MIDI
// output after the notes still sounding from the last playback are switched
// off. Every playback starts a short-lived thread whose only work is to hand
// the playback body to the user-interface thread and wait for it there, so
// a body always runs between two window events, never beside another one.
// The body decides what goes out; the notes of an arpeggio after its first
// go out at their moments from the timekeeper's thread (Timekeeper.h).
#include "midi/Timekeeper.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class TMidiOutput;
class TMidiThread;

// How the next playback plays. Written by whoever starts a playback, read
// by the body when it runs, not when its thread starts.
extern bool PlayAtOnce;
extern QString ArpeggioDirection; // "up" ascends; anything else descends
// The thread most recently started; empty once it has ended and freed itself.
extern std::weak_ptr<TMidiThread> LastMidiThread;

// The playback body, on the user-interface thread. Note-offs for the notes
// still sounding (the slots of SoundingNotes, each as its note-on went out),
// then note-ons for those of ChordNotes (slots 1 to 13 when
// ArpeggioDirection is "up", else 13 to 1), each followed by a wait of Speed
// milliseconds unless PlayAtOnce. What is due at once goes out before it
// returns or waits; it waits until the wait after the last note has ended,
// handling window events, so anything may run meanwhile: ChordNotes,
// PlayAtOnce and Speed are read afresh after every event, and the notes
// still to come follow them, each Speed after the one before. Every note-on
// is recorded in SoundingNotes as it goes out, and every note-off clears its
// slot, so SoundingNotes holds what sounds once events are handled.
// A playback started after this one (a new playback thread, or a direct call)
// or a stop of the playback threads overtakes it: it sends nothing more, and
// the newest playback alone decides what sounds. When the output refuses a
// message its EmidioutputError ends the playback there. Without an output
// (the set-up dialog not made yet) nothing happens.
void PlayChordNotes(TMidiOutput *output);

// A playback planned ahead of its moment, so that its first notes go out
// right on it whatever the user-interface thread is doing then: the pattern
// editor plans each beat a beat ahead. Plans, or plans anew, the playback of
// the given notes, as ChordNotes will hold them, in the given manner (as
// PlayAtOnce and ArpeggioDirection), to start at the given moment. A plan
// that plans the same is kept; one that has started is its moment's and is
// left alone; without an open output nothing is planned.
void PlanPlayback(std::shared_ptr<TPlayback> &planned, TMidiOutput *output, const model::TNoteSlots &notes, bool atOnce,
                  const QString &direction, TPlaybackClock::time_point start);
// Forgets a planned playback: one whose moment has not come never plays, one
// whose moment has come plays on.
void CancelPlannedPlayback(std::shared_ptr<TPlayback> &planned);
// True once a planned playback's moment has come and it has gone out.
bool PlannedPlaybackStarted(const std::shared_ptr<TPlayback> &planned);
// While it lives, the next playback thread started stands for the planned
// playback: its body goes on from what the plan sent on time when it finds
// ChordNotes and the manner as planned, and otherwise plays now.
class TPlannedPlaybackExpected {
public:
    explicit TPlannedPlaybackExpected(std::shared_ptr<TPlayback> planned);
    ~TPlannedPlaybackExpected();
    TPlannedPlaybackExpected(const TPlannedPlaybackExpected &) = delete;
    TPlannedPlaybackExpected &operator=(const TPlannedPlaybackExpected &) = delete;
};

// How the timekeeper's thread is scheduled, for figures.
QString TimekeeperScheduling();

// Note-offs for every note a playback left sounding, as each went out, when
// the output is open. The program's end calls it before the output closes,
// so that an external synthesizer is not left holding the last chord.
void SwitchOffSoundingNotes(TMidiOutput *output);

class TMidiThread : public std::enable_shared_from_this<TMidiThread> {
public:
    // Starts a thread that hands body to the user-interface thread and waits
    // until it has run there. Every start is a new playback that overtakes
    // the ones started before. Bodies run in the order their threads were
    // started. An exception of the body ends the thread without a word. The
    // thread frees itself when it ends.
    static std::shared_ptr<TMidiThread> Start(std::function<void()> body);

    TMidiThread(const TMidiThread &) = delete;
    TMidiThread &operator=(const TMidiThread &) = delete;

private:
    struct TPrivate {};

public:
    TMidiThread(TPrivate, std::function<void()> body, uint64_t generation, uint64_t ticket, uint64_t playback,
                std::shared_ptr<TPlayback> planned);

private:
    void Execute();
    void Synchronized();
    bool Abandoned() const;

    const std::function<void()> FBody;
    const uint64_t FGeneration;                // the stop generation the thread was started in
    const uint64_t FTicket;                    // its place in the order of starts
    const uint64_t FPlayback;                  // the number its playback was started with
    const std::shared_ptr<TPlayback> FPlanned; // the planned playback it stands for, if any
    bool FDone = false;                        // guarded by the threads' lock
};

// Ends every playback thread, from the user-interface thread: a body not run
// yet never runs, a body running right now returns from its wait at once and
// sends nothing more, nothing planned goes out, and the call returns once
// every thread, the timekeeper's too, has ended. The program calls it at its
// end, before its windows go; it also runs when the application object goes.
// Playbacks started afterwards work as before.
void StopMidiThreads();

// Threads started and not yet ended.
int LiveMidiThreads();
