#pragma once

// The main window's keyboard as the rest of the program sees it: the chord
// and scale spelling press and release keys through it.
#include "model/OneBased.h"

class TShapePiano;

struct TKeyEntry {
    TShapePiano *Key = nullptr; // owned by the window that shows it
    bool Pressed = false;       // true while the key is shown pressed
};

using TKeyTable = model::Array<TKeyEntry, 1, 48>;

// Keys 1 to 48 of the main window, bound once when the window is created.
extern TKeyTable KeyTable;

// The analysis window's keys 1 to 48 as entries 0 to 47, bound to the newest
// analysis window. The MIDI input presses and releases them too.
using TAnalyserKeys = model::Array<TKeyEntry, 0, 47>;
extern TAnalyserKeys AnalyserKeys;
