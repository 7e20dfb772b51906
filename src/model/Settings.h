#pragma once

// The settings of Declare.h, kept between runs under HKEY_CURRENT_USER in the
// key "Software\Harmonova".
namespace model {

// Reads the settings once at start-up, before anything that depends on them
// is built. A missing Boolean is given its default and written back; the help
// file follows Language. A value that cannot be read takes its default (a
// device keeps what it held) and the load goes on, so one bad line never
// costs the others: the next save then writes the default in its place. What
// went wrong is thrown at the end as one platform::Exception, one line per
// value, in load order.
void LoadSettings();

// Writes the settings back, except RemindMe, which only the reminder writes,
// in one replacement of the registry file. A failure throws the write error
// naming the first value (platform::Exception) and leaves the file as it was.
void SaveSettings();

} // namespace model
