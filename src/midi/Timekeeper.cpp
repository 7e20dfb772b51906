#include "midi/Timekeeper.h"

#include "midi/Miditype.h"

#include <algorithm>
#include <tuple>

namespace {

constexpr int NoteOff = 0x80;
constexpr int NoteOn = 0x90;
constexpr int Velocity = 64;

platform::MMRESULT SendShort(platform::HMIDIOUT device, int status, int note)
{
    return platform::midiOutShortMsg(device, PackShortMessage(static_cast<uint8_t>(status), static_cast<uint8_t>(note),
                                                              static_cast<uint8_t>(Velocity)));
}

} // namespace

TPlayback::TPlayback(platform::HMIDIOUT output, bool up, TPlaybackClock::time_point moment, TNotePlan plan)
    : device(output), ascending(up), start(moment), whole(std::move(plan)),
      pending(whole.notes.begin(), whole.notes.end()), end(whole.end), resumeAt(moment)
{
}

void TPlayback::Postpone(TPlaybackClock::duration by)
{
    for (TPlannedNote &note : pending)
        note.at += by;
    end += by;
    resumeAt += by;
}

TTimekeeper &TTimekeeper::Instance()
{
    // Left alive at exit: its thread is stopped with the application, and a
    // program without one never starts it.
    static auto *keeper = new TTimekeeper;
    return *keeper;
}

void TTimekeeper::Add(const std::shared_ptr<TPlayback> &playback)
{
    playback->order = ++FAdded;
    FPlaybacks.push_back(playback);
    Wake();
}

void TTimekeeper::Revise(TPlayback &playback, TNotePlan plan)
{
    if (playback.Over() ||
        (std::equal(playback.pending.begin(), playback.pending.end(), plan.notes.begin(), plan.notes.end()) &&
         playback.end == plan.end))
        return;
    playback.pending.assign(plan.notes.begin(), plan.notes.end());
    playback.end = plan.end;
    Wake();
}

void TTimekeeper::Cancel(TPlayback &playback)
{
    playback.cancelled = true;
    playback.pending.clear();
    Prune();
}

void TTimekeeper::OvertakeStarted(const TPlayback *except)
{
    for (const auto &playback : FPlaybacks)
        if (playback.get() != except && playback->started) {
            playback->cancelled = true;
            playback->pending.clear();
        }
    Prune();
}

platform::MMRESULT TTimekeeper::SwitchOff(platform::HMIDIOUT device)
{
    for (int slot = TSentNotes::Low; slot <= TSentNotes::High; ++slot) {
        TSentNote &sent = FSounding[slot];
        if (sent.key == 0)
            continue;
        if (const platform::MMRESULT refusal = SendShort(device, NoteOff + sent.channel, sent.note))
            return refusal;
        sent = {};
        FChanges.emplace_back(slot, 0);
    }
    return platform::MMSYSERR_NOERROR;
}

// The earliest step of any playback: its start, its next note, or the end of
// its last wait. A start comes before a note of the same moment, which it
// overtakes; among equals the playback added first goes first.
bool TTimekeeper::Next(TDue &due) const
{
    bool found = false;
    for (const auto &playback : FPlaybacks) {
        TDue candidate{playback.get(), TStep::End, playback->end};
        if (!playback->started)
            candidate = {playback.get(), TStep::Start, playback->start};
        else if (!playback->pending.empty())
            candidate = {playback.get(), TStep::Note, playback->pending.front().at};
        const auto rank = [](const TDue &d) { return std::tuple(d.at, d.step, d.playback->order); };
        if (!found || rank(candidate) < rank(due)) {
            due = candidate;
            found = true;
        }
    }
    return found;
}

void TTimekeeper::Take(const TDue &due, TPlaybackClock::time_point now)
{
    TPlayback &playback = *due.playback;
    switch (due.step) {
    case TStep::Start:
        if (playback.followsItsStart)
            playback.Postpone(now - playback.start);
        // Whatever started before it has been overtaken.
        OvertakeStarted(&playback);
        playback.started = true;
        playback.refusal = SwitchOff(playback.device);
        break;
    case TStep::Note:
        Send(playback, playback.pending.front());
        break;
    case TStep::End:
        playback.finished = true;
        break;
    }
}

void TTimekeeper::Send(TPlayback &playback, const TPlannedNote &planned)
{
    const TPlannedNote note = planned;
    playback.pending.pop_front();
    playback.refusal = SendShort(playback.device, NoteOn + note.sent.channel, note.sent.note);
    if (playback.refusal != platform::MMSYSERR_NOERROR) {
        playback.pending.clear();
        return;
    }
    FSounding[note.slot] = note.sent;
    FChanges.emplace_back(note.slot, note.sent.key);
    playback.resumeVisited = note.visited + 1;
    playback.resumeAt = note.at + note.waitAfter;
}

bool TTimekeeper::RunDue()
{
    const TPlaybackClock::time_point now = TPlaybackClock::now();
    bool taken = false;
    TDue due;
    while (Next(due) && due.at <= now) {
        Take(due, now);
        Prune();
        taken = true;
    }
    return taken;
}

void TTimekeeper::Prune()
{
    std::erase_if(FPlaybacks, [](const auto &playback) { return playback->Over(); });
}

void TTimekeeper::Wake()
{
    if (!FThread.joinable()) {
        FStopping = false;
        FThread = std::thread([this] { Run(); });
    }
    FChanged.notify_all();
}

void TTimekeeper::Run()
{
    platform::NameThisThread("hn-timekeeper");
    platform::RequestRealtime(platform::TimekeepingPriority);
    FThreadId = platform::ThisThreadId();
    std::unique_lock lock(FLock);
    while (!FStopping) {
        if (RunDue()) {
            if (FOnChange) {
                lock.unlock();
                FOnChange();
                lock.lock();
            }
            continue;
        }
        TDue due;
        if (Next(due))
            FChanged.wait_until(lock, due.at);
        else
            FChanged.wait(lock);
    }
    FThreadId = 0;
}

void TTimekeeper::Stop()
{
    {
        std::lock_guard lock(FLock);
        for (const auto &playback : FPlaybacks) {
            playback->cancelled = true;
            playback->pending.clear();
        }
        FPlaybacks.clear();
        FStopping = true;
        FChanged.notify_all();
    }
    if (FThread.joinable())
        FThread.join();
}
