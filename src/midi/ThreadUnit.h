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
// by the body when it runs, not when its thread starts.
extern bool PlayAtOnce;
extern QString ArpeggioDirection; // "up" ascends; anything else descends
// The thread most recently started; empty once it has ended and freed itself.
extern std::weak_ptr<TMidiThread> LastMidiThread;

// The playback body, on the user-interface thread. Note-offs for the notes
// still sounding (the slots of SoundingNotes, each as its note-on went out),
// then note-ons for those of ChordNotes (slots 1 to 13 when
// ArpeggioDirection is "up", else 13 to 1), each followed by a wait of Speed
// milliseconds unless PlayAtOnce. The waits handle window events, so anything
// may run meanwhile: ChordNotes, PlayAtOnce and Speed are read afresh at
// every slot. Every note-on is recorded in SoundingNotes as it goes out, and
// every note-off clears its slot, so SoundingNotes always holds what sounds.
// A playback started after this one (a new playback thread, or a direct call)
// or a stop of the playback threads overtakes it: it sends nothing more after
// its current wait, and the newest playback alone decides what sounds. When
// the output refuses a message its EmidioutputError ends the playback there.
// Without an output (the set-up dialog not made yet) nothing happens.
void PlayChordNotes(TMidiOutput *output);

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
    TMidiThread(TPrivate, std::function<void()> body, uint64_t generation, uint64_t ticket, uint64_t playback);

private:
    void Execute();
    void Synchronized();
    bool Abandoned() const;

    const std::function<void()> FBody;
    const uint64_t FGeneration; // the stop generation the thread was started in
    const uint64_t FTicket;     // its place in the order of starts
    const uint64_t FPlayback;   // the number its playback was started with
    bool FDone = false;         // guarded by the threads' lock
};

// Ends every playback thread, from the user-interface thread: a body not run
// yet never runs, a body running right now returns from its wait at once and
// sends nothing more, and the call returns once every thread has ended. The
// program calls it at its end, before its windows go; it also runs when the
// application object goes. Playbacks started afterwards work as before.
void StopMidiThreads();

// Threads started and not yet ended.
int LiveMidiThreads();
