#pragma once

// Small operations other parts of the program call: the system's HTTP proxy
// for the version check, whether an output device is chosen, and the wait
// between the notes of an arpeggio.
#include <functional>

namespace model {

// Fills ProxyEnabled, ProxyHost and ProxyPort from the current user's
// Internet settings. Only the "http=" entry of "ProxyServer" gives a host and
// a port; without one, host and port keep their values. Throws
// platform::Exception for a value of the wrong type or a port that is not a
// whole number ("'%s' n'est pas une valeur entière correcte"), having set the
// host by then.
void ReadProxySettings();

// True when an output device name is set, whether or not the device exists.
bool MidiOutConfigured();

// Returns after at least the given milliseconds, processing the thread's
// events meanwhile (so any handler may run, even another playback); events
// are processed at least once, also for 0 or less. Between events it sleeps.
// The time is measured on a monotonic clock finer than a millisecond, so the
// wait overshoots by a fraction of a millisecond, not by a whole one.
void Delay(int milliseconds);

// Processes the thread's events until done holds, which is asked first and
// after every pass; between passes it sleeps until an event comes. False
// when CancelDelays ended the wait first.
bool ProcessEventsUntil(const std::function<bool()> &done);

// Makes every Delay and ProcessEventsUntil waiting now return at once,
// however much of its time is left, also when called from another thread;
// later waits run their full time. For the program's end: a long arpeggio must not keep it alive.
void CancelDelays();

} // namespace model
