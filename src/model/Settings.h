#pragma once

// The settings of Declare.h, kept between runs under HKEY_CURRENT_USER in the
// key "Software\Harmonova".
namespace model {

// What the set-up dialog's controls offer; the settings never hold more.
constexpr int DetuneRange = 12; // semitones either way
constexpr int FirstSpeed = 100; // milliseconds between the notes of an arpeggio
constexpr int LastSpeed = 1000;
constexpr int Channels = 16;
constexpr int Programs = 128; // the General MIDI sound set

// Reads the settings once at start-up, before anything that depends on them
// is built. A missing Boolean is given its default and written back; the help
// file follows Language. A value that cannot be read takes its default (a
// device keeps what it held) and the load goes on, so one bad line never
// costs the others: the next save then writes the default in its place. A
// value its control cannot show is brought to one it can, as the control
// itself shows it. What went wrong is thrown at the end as one
// platform::Exception, one line per value, in load order.
void LoadSettings();

// Writes the settings back in one replacement of the registry file. RemindMe
// is the reminder's to write: it is written only when the stored value
// cannot be read, and then with its default. A failure throws the write
// error naming the first value (platform::Exception) and leaves the file as
// it was.
void SaveSettings();

} // namespace model
