#include "midi/ThreadUnit.h"

#include "midi/MidiOut.h"
#include "model/Declare.h"
#include "model/Helpers.h"
#include "platform/Realtime.h"

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

TTimekeeper &Keeper()
{
    return TTimekeeper::Instance();
}

// The planned playback the body about to run stands for, if any.
std::shared_ptr<TPlayback> PlannedToRun;
// The planned playback the next playback thread started stands for.
std::shared_ptr<TPlayback> ExpectedPlayback;

// A slot of SoundingNotes that no longer holds the note that went out (the
// program's end or a test set it) is switched off as it holds it now.
// Called under the timekeeper's lock.
void TakeSoundingNotes()
{
    TSentNotes &sounding = Keeper().Sounding();
    for (int slot = model::TNoteSlots::Low; slot <= model::TNoteSlots::High; ++slot) {
        const int key = model::SoundingNotes[slot].Note;
        if (sounding[slot].key != key)
            sounding[slot] = key == 0 ? TSentNote{} : TSentNote{key, model::MidiChannel, MidiNote(key)};
    }
}

// Brings SoundingNotes up to what went out, the notes switched on or off
// since it last was, in order; and what it says then is what the next
// playback switches off.
void SyncSoundingNotes()
{
    std::lock_guard lock(Keeper().Lock());
    for (const auto &[slot, key] : Keeper().TakeChanges())
        model::SoundingNotes[slot].Note = key;
    TakeSoundingNotes();
}

// The timekeeper's thread tells the user-interface thread once of what it
// sent, however much it sends before the news is read.
std::atomic<bool> SyncPosted{false};

void PostSync()
{
    if (SyncPosted.exchange(true))
        return;
    QCoreApplication *application = QCoreApplication::instance();
    const bool posted = application && QMetaObject::invokeMethod(
                                           application,
                                           [] {
                                               SyncPosted = false;
                                               SyncSoundingNotes();
                                           },
                                           Qt::QueuedConnection);
    if (!posted)
        SyncPosted = false;
}

// The timekeeper reaches the user-interface thread, and stops with the
// application, from the first playback on.
void PrepareKeeper()
{
    static const bool prepared = [] {
        Keeper().SetOnChange(PostSync);
        return true;
    }();
    (void)prepared;
    std::lock_guard lock(Threads().mutex);
    StopWhenApplicationEnds(Threads());
}

// The note-ons of the slots from the given place in the visiting order on,
// each at its moment: the first at the moment given, each other one the
// wait after the one before it.
TNotePlan PlanNotes(const model::TNoteSlots &notes, bool atOnce, bool ascending, int fromVisited,
                    TPlaybackClock::time_point at)
{
    constexpr int First = model::TNoteSlots::Low;
    constexpr int Last = model::TNoteSlots::High;
    const TPlaybackClock::duration wait =
        atOnce ? TPlaybackClock::duration::zero() : std::chrono::milliseconds(std::max(model::Speed, 0));
    TNotePlan plan;
    for (int visited = fromVisited; visited <= Last - First; ++visited) {
        const int slot = ascending ? First + visited : Last - visited;
        const int key = notes[slot].Note;
        if (key == 0)
            continue;
        plan.notes.push_back({visited, slot, {key, model::MidiChannel, MidiNote(key)}, at, wait});
        at += wait;
    }
    plan.end = at;
    return plan;
}

// The playback planned for this moment, when it plays what this body would
// play now: its start has gone out, or goes out now. A plan whose moment has
// not come, or that plays something else, is dropped if it has not started.
std::shared_ptr<TPlayback> TakePlanned(std::shared_ptr<TPlayback> planned, const TMidiOutput &output, bool ascending)
{
    if (!planned)
        return nullptr;
    std::lock_guard lock(Keeper().Lock());
    const TPlaybackClock::time_point now = TPlaybackClock::now();
    const bool same = planned->start <= now && !planned->cancelled && planned->refusal == platform::MMSYSERR_NOERROR &&
                      planned->device == output.DeviceHandle() && planned->ascending == ascending &&
                      planned->whole == PlanNotes(model::ChordNotes, PlayAtOnce, ascending, 0, planned->start);
    if (!same) {
        if (!planned->started)
            Keeper().Cancel(*planned);
        return nullptr;
    }
    Keeper().RunDue();
    return planned;
}

// A playback starting now: what is due at once goes out before it returns.
std::shared_ptr<TPlayback> Begin(const TMidiOutput &output, bool ascending)
{
    PrepareKeeper();
    SyncSoundingNotes();
    const TPlaybackClock::time_point now = TPlaybackClock::now();
    auto playback = std::make_shared<TPlayback>(output.DeviceHandle(), ascending, now,
                                                PlanNotes(model::ChordNotes, PlayAtOnce, ascending, 0, now));
    playback->followsItsStart = true;
    std::lock_guard lock(Keeper().Lock());
    Keeper().Add(playback);
    Keeper().RunDue();
    return playback;
}

// Waits, handling events, until the playback is over, planning the notes
// still to come anew after every event, since anything may have changed
// ChordNotes, PlayAtOnce or Speed.
void Follow(TPlayback &playback, uint64_t number)
{
    model::ProcessEventsUntil([&] {
        SyncSoundingNotes();
        std::lock_guard lock(Keeper().Lock());
        if (playback.refusal != platform::MMSYSERR_NOERROR)
            throw EmidioutputError(MidiOutputErrorText(playback.refusal));
        if (Overtaken(number))
            Keeper().Cancel(playback);
        if (playback.Over())
            return true;
        Keeper().Revise(playback, PlanNotes(model::ChordNotes, PlayAtOnce, playback.ascending, playback.resumeVisited,
                                            playback.resumeAt));
        return false;
    });
}

} // namespace

void PlayChordNotes(TMidiOutput *output)
{
    const uint64_t started = std::exchange(PlaybackToRun, 0);
    const std::shared_ptr<TPlayback> planned = std::exchange(PlannedToRun, nullptr);
    if (!output)
        return;
    // Called outside a playback thread's body, it is a playback started now.
    const uint64_t playback = started != 0 ? started : ++NewestPlayback;
    if (Overtaken(playback))
        return;
    const bool ascending = ArpeggioDirection == QLatin1String("up");
    std::shared_ptr<TPlayback> sounding = TakePlanned(planned, *output, ascending);
    if (!sounding)
        sounding = Begin(*output, ascending);
    Follow(*sounding, playback);
}

void SwitchOffSoundingNotes(TMidiOutput *output)
{
    if (!output || !output->DeviceHandle())
        return;
    SyncSoundingNotes();
    platform::MMRESULT refusal = platform::MMSYSERR_NOERROR;
    {
        std::lock_guard lock(Keeper().Lock());
        refusal = Keeper().SwitchOff(output->DeviceHandle());
    }
    SyncSoundingNotes();
    if (refusal != platform::MMSYSERR_NOERROR)
        throw EmidioutputError(MidiOutputErrorText(refusal));
}

void PlanPlayback(std::shared_ptr<TPlayback> &planned, TMidiOutput *output, const model::TNoteSlots &notes, bool atOnce,
                  const QString &direction, TPlaybackClock::time_point start)
{
    if (!output || !output->DeviceHandle()) {
        CancelPlannedPlayback(planned);
        return;
    }
    PrepareKeeper();
    SyncSoundingNotes();
    const bool ascending = direction == QLatin1String("up");
    TNotePlan plan = PlanNotes(notes, atOnce, ascending, 0, start);
    std::lock_guard lock(Keeper().Lock());
    if (planned && (planned->started ||
                    (!planned->Over() && planned->start == start && planned->device == output->DeviceHandle() &&
                     planned->ascending == ascending && planned->whole == plan)))
        return;
    if (planned)
        Keeper().Cancel(*planned);
    planned = std::make_shared<TPlayback>(output->DeviceHandle(), ascending, start, std::move(plan));
    Keeper().Add(planned);
}

void CancelPlannedPlayback(std::shared_ptr<TPlayback> &planned)
{
    if (!planned)
        return;
    {
        std::lock_guard lock(Keeper().Lock());
        if (planned->start > TPlaybackClock::now())
            Keeper().Cancel(*planned);
        else
            Keeper().RunDue(); // its moment has come, whether or not the timekeeper got there yet
    }
    planned.reset();
}

bool PlannedPlaybackStarted(const std::shared_ptr<TPlayback> &planned)
{
    if (!planned)
        return false;
    std::lock_guard lock(Keeper().Lock());
    return planned->started;
}

TPlannedPlaybackExpected::TPlannedPlaybackExpected(std::shared_ptr<TPlayback> planned)
{
    ExpectedPlayback = std::move(planned);
}

TPlannedPlaybackExpected::~TPlannedPlaybackExpected()
{
    ExpectedPlayback.reset();
}

QString TimekeeperScheduling()
{
    const pid_t thread = Keeper().ThreadId();
    return thread == 0 ? QStringLiteral("not running") : platform::DescribeScheduling(thread);
}

// ---------------------------------------------------------------------------
// The playback thread

TMidiThread::TMidiThread(TPrivate, std::function<void()> body, uint64_t generation, uint64_t ticket, uint64_t playback,
                         std::shared_ptr<TPlayback> planned)
    : FBody(std::move(body)), FGeneration(generation), FTicket(ticket), FPlayback(playback),
      FPlanned(std::move(planned))
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
                                               ++NewestPlayback, std::exchange(ExpectedPlayback, nullptr));
        ++threads.live;
    }
    {
        // What plays now stops at once, as its body would after its wait;
        // only the playback this one stands for goes on.
        std::lock_guard lock(Keeper().Lock());
        Keeper().OvertakeStarted(thread->FPlanned.get());
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
    std::shared_ptr<TPlayback> outerPlanned = std::exchange(PlannedToRun, FPlanned);
    try {
        FBody();
    } catch (const std::exception &) {
        // It goes back to the thread, which ends with it: a playback the
        // output refused is silent.
    }
    PlaybackToRun = outer;
    PlannedToRun = std::move(outerPlanned);
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
    Keeper().Stop();
    // What went out before the stop is what sounds now.
    SyncSoundingNotes();
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
