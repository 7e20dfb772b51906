#pragma once

// Small operations other parts of the program call: the system's HTTP proxy
// for the version check, whether an output device is chosen, and the wait
// between the notes of an arpeggio.
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
void Delay(int milliseconds);

} // namespace model
