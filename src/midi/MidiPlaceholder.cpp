// MIDI devices and playback live here.
