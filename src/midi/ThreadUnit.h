#pragma once

// Chord playback. The notes held in ChordNotes go out on the program's MIDI
// output after the notes still sounding from the last playback are switched
// off. Every playback starts a short-lived thread whose only work is to hand
// the playback body to the user-interface thread and wait for it there, so
// a body always runs between two window events, never beside another one.
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class TMidiOutput;
class TMidiThread;

// How the next playback plays. Written by whoever starts a playback, read
// by the body when it runs (not when its thread starts), so a later start
// changes how an earlier playback that has not run yet plays.
extern bool PlayAtOnce;
extern QString ArpeggioDirection; // "up" ascends; anything else descends
// The thread most recently started; empty once it has ended and freed itself.
extern std::weak_ptr<TMidiThread> LastMidiThread;

// The playback body, on the user-interface thread. Note-offs for the notes of
// SoundingNotes (slots 1 to 13), then note-ons for those of ChordNotes
// (slots 1 to 13 when ArpeggioDirection is "up", else 13 to 1), each
// followed by a wait of Speed milliseconds unless PlayAtOnce; the waits
// handle window events, so anything may run meanwhile, even another
// playback: ChordNotes, PlayAtOnce and Speed are read afresh at every slot.
// Last, ChordNotes is remembered as SoundingNotes. When the output refuses a
// message its EmidioutputError ends the playback there, SoundingNotes as it
// was. Without an output (the set-up dialog not made yet) nothing happens.
void PlayChordNotes(TMidiOutput *output);

class TMidiThread : public std::enable_shared_from_this<TMidiThread> {
public:
    // Starts a thread that hands body to the user-interface thread and waits
    // until it has run there. Bodies run in the order their threads were
    // started. An exception of the body ends the thread without a word. The
    // thread frees itself when it ends.
    static std::shared_ptr<TMidiThread> Start(std::function<void()> body);

    TMidiThread(const TMidiThread &) = delete;
    TMidiThread &operator=(const TMidiThread &) = delete;

private:
    struct TPrivate {};

public:
    TMidiThread(TPrivate, std::function<void()> body, uint64_t generation, uint64_t ticket);

private:
    void Execute();
    void Synchronized();
    bool Abandoned() const;

    const std::function<void()> FBody;
    const uint64_t FGeneration; // the stop generation the thread was started in
    const uint64_t FTicket;     // its place in the order of starts
    bool FDone = false;         // guarded by the threads' lock
};

// Ends every playback thread, from the user-interface thread: a body not run
// yet never runs, a body running right now finishes on its own, and the call
// returns once every thread has ended. The program calls it at its end,
// before its windows go; it also runs when the application object goes.
// Playbacks started afterwards work as before.
void StopMidiThreads();

// Threads started and not yet ended.
int LiveMidiThreads();
