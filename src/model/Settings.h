#pragma once

// The settings of Declare.h, kept between runs under HKEY_CURRENT_USER in the
// key "Software\Harmonova". Neither operation catches errors: a failing value
// ends the operation there and the error (platform::Exception) goes to the
// caller; the variables read before it keep their new values.
namespace model {

// Reads the settings once at start-up, before anything that depends on them
// is built. A missing Boolean is given its default and written back at once;
// the help file follows Language.
void LoadSettings();

// Writes the settings back, except RemindMe, which only the reminder writes.
void SaveSettings();

} // namespace model
