#include "midi/ThreadUnit.h"

#include "midi/MidiOut.h"
#include "model/Declare.h"
#include "model/Helpers.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

bool PlayAtOnce = false;
QString ArpeggioDirection;
std::weak_ptr<TMidiThread> LastMidiThread;

namespace {

// Playbacks are numbered as they are started; a stop takes a number too. A
// playback whose number is no longer the newest has been overtaken and sends
// nothing more: the newest playback alone decides what sounds.
std::atomic<uint64_t> NewestPlayback{0};
// The number of the playback whose body the user-interface thread is about
// to run, 0 outside a body; the body's PlayChordNotes takes it.
uint64_t PlaybackToRun = 0;

bool Overtaken(uint64_t playback)
{
    return NewestPlayback.load() != playback;
}

constexpr int NoteOff = 0x80;
constexpr int NoteOn = 0x90;
constexpr int Velocity = 64;
constexpr int KeyToNote = 35; // key 13, the C chords are built on, is MIDI note 48

// What the playback threads share. Left alive at exit: a thread that has
// just ended may still be on its way out.
struct TThreads {
    std::mutex mutex;
    std::condition_variable changed;
    int live = 0;
    // Raised by every stop: threads started before it are abandoned.
    uint64_t generation = 0;
    // Threads hand over in the order they were started, so that the chord
    // chosen last is the one left sounding: tickets are taken at the start,
    // and a thread posts once the ticket before its own has.
    uint64_t nextTicket = 0;
    uint64_t nextToPost = 0;
    std::set<uint64_t> unstarted; // tickets whose threads could not be started
    // The application whose end stops the threads, once one is started.
    const QCoreApplication *stopsWith = nullptr;
};

TThreads &Threads()
{
    static auto *threads = new TThreads;
    return *threads;
}

// Gives the turn to post to the next ticket whose thread runs. Called under
// the threads' lock.
void PassTurn(TThreads &threads)
{
    ++threads.nextToPost;
    while (threads.unstarted.erase(threads.nextToPost))
        ++threads.nextToPost;
}

void StopAtApplicationEnd()
{
    {
        std::lock_guard lock(Threads().mutex);
        Threads().stopsWith = nullptr;
    }
    StopMidiThreads();
}

// A thread waiting for an event loop that has ended would wait for ever, and
// one posting to an application being destroyed would crash it: the
// application's end stops them first. Called under the threads' lock.
void StopWhenApplicationEnds(TThreads &threads)
{
    const QCoreApplication *application = QCoreApplication::instance();
    if (!application || threads.stopsWith == application)
        return;
    threads.stopsWith = application;
    qAddPostRoutine(StopAtApplicationEnd);
}

// Note and status arithmetic is on bytes: whatever the settings hold, the
// values wrap as a byte does.
int Byte(int value)
{
    return static_cast<uint8_t>(value);
}

int MidiNote(int key)
{
    return Byte(key + KeyToNote + model::Detune);
}

// Every note-on as it went out, by slot, for as long as its note sounds. A
// note-off goes out as its note-on did, so that changing the channel or the
// transposition in Setup while a chord sounds cannot leave that chord hanging.
struct TSentNote {
    int key = 0; // 0: nothing known for the slot
    int channel = 0;
    int note = 0;
};
using TSentNotes = model::Array<TSentNote, model::TNoteSlots::Low, model::TNoteSlots::High>;
TSentNotes SentSounding; // the note-ons of the notes in SoundingNotes, by slot

// Each note is forgotten as its note-off goes out, so an output that
// refuses one leaves the rest to the next playback.
void SwitchOffNotes(TMidiOutput &output)
{
    for (int slot = model::TNoteSlots::Low; slot <= model::TNoteSlots::High; ++slot) {
        const int key = model::SoundingNotes[slot].Note;
        if (key == 0)
            continue;
        const TSentNote &sent = SentSounding[slot];
        if (sent.key == key)
            output.SendShort(Byte(NoteOff + sent.channel), sent.note, Velocity);
        else
            output.SendShort(Byte(NoteOff + model::MidiChannel), MidiNote(key), Velocity);
        model::SoundingNotes[slot].Note = 0;
        SentSounding[slot] = {};
    }
}

void PlayNotes(TMidiOutput &output, bool ascending, uint64_t playback)
{
    constexpr int First = model::TNoteSlots::Low;
    constexpr int Last = model::TNoteSlots::High;
    for (int visited = 0; visited <= Last - First; ++visited) {
        // A playback started during the last wait, or the program's end,
        // has taken over.
        if (Overtaken(playback))
            return;
        const int slot = ascending ? First + visited : Last - visited;
        // Read afresh: something run during the last wait may have changed them.
        const int key = model::ChordNotes[slot].Note;
        if (key == 0)
            continue;
        const TSentNote sent{key, model::MidiChannel, MidiNote(key)};
        output.SendShort(Byte(NoteOn + sent.channel), sent.note, Velocity);
        model::SoundingNotes[slot].Note = key;
        SentSounding[slot] = sent;
        if (!PlayAtOnce)
            model::Delay(model::Speed);
    }
}

} // namespace

void PlayChordNotes(TMidiOutput *output)
{
    const uint64_t started = std::exchange(PlaybackToRun, 0);
    if (!output)
        return;
    // Called outside a playback thread's body, it is a playback started now.
    const uint64_t playback = started != 0 ? started : ++NewestPlayback;
    if (Overtaken(playback))
        return;
    SwitchOffNotes(*output);
    PlayNotes(*output, ArpeggioDirection == QLatin1String("up"), playback);
}

void SwitchOffSoundingNotes(TMidiOutput *output)
{
    if (output && output->DeviceHandle())
        SwitchOffNotes(*output);
}

// ---------------------------------------------------------------------------
// The playback thread

TMidiThread::TMidiThread(TPrivate, std::function<void()> body, uint64_t generation, uint64_t ticket, uint64_t playback)
    : FBody(std::move(body)), FGeneration(generation), FTicket(ticket), FPlayback(playback)
{
}

std::shared_ptr<TMidiThread> TMidiThread::Start(std::function<void()> body)
{
    TThreads &threads = Threads();
    std::shared_ptr<TMidiThread> thread;
    {
        std::lock_guard lock(threads.mutex);
        StopWhenApplicationEnds(threads);
        thread = std::make_shared<TMidiThread>(TPrivate{}, std::move(body), threads.generation, threads.nextTicket++,
                                               ++NewestPlayback);
        ++threads.live;
    }
    try {
        // The thread holds its object and frees it when it ends.
        std::thread([thread] { thread->Execute(); }).detach();
    } catch (...) {
        std::lock_guard lock(threads.mutex);
        --threads.live;
        if (threads.nextToPost == thread->FTicket)
            PassTurn(threads);
        else
            threads.unstarted.insert(thread->FTicket);
        threads.changed.notify_all();
        throw;
    }
    return thread;
}

bool TMidiThread::Abandoned() const
{
    return FGeneration != Threads().generation;
}

void TMidiThread::Execute()
{
    TThreads &threads = Threads();
    std::unique_lock lock(threads.mutex);
    threads.changed.wait(lock, [this, &threads] { return threads.nextToPost == FTicket || Abandoned(); });
    if (!Abandoned()) {
        // Posted under the lock, so that once the threads are stopped
        // nothing more reaches the event queue.
        QCoreApplication *application = QCoreApplication::instance();
        const bool posted = application && QMetaObject::invokeMethod(
                                               application, [self = shared_from_this()] { self->Synchronized(); },
                                               Qt::QueuedConnection);
        PassTurn(threads);
        threads.changed.notify_all();
        if (posted)
            threads.changed.wait(lock, [this] { return FDone || Abandoned(); });
    }
    --threads.live;
    threads.changed.notify_all();
}

void TMidiThread::Synchronized()
{
    {
        std::lock_guard lock(Threads().mutex);
        if (Abandoned())
            return;
    }
    const uint64_t outer = std::exchange(PlaybackToRun, FPlayback);
    try {
        FBody();
    } catch (const std::exception &) {
        // It goes back to the thread, which ends with it: a playback the
        // output refused is silent.
    }
    PlaybackToRun = outer;
    {
        std::lock_guard lock(Threads().mutex);
        FDone = true;
    }
    Threads().changed.notify_all();
}

void StopMidiThreads()
{
    TThreads &threads = Threads();
    // A playback waiting between two notes returns from its wait at once
    // and, overtaken, sends nothing more.
    ++NewestPlayback;
    model::CancelDelays();
    std::unique_lock lock(threads.mutex);
    ++threads.generation;
    // The abandoned threads never post: the next thread started has the turn.
    threads.nextToPost = threads.nextTicket;
    threads.unstarted.clear();
    threads.changed.notify_all();
    threads.changed.wait(lock, [&threads] { return threads.live == 0; });
}

int LiveMidiThreads()
{
    std::lock_guard lock(Threads().mutex);
    return Threads().live;
}
