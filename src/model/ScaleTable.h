#pragma once

// The 16 scales of the main window's scale mode, and how one is laid out on the keyboard.
#include "model/Declare.h"

#include <QString>

#include <optional>

namespace model {

// The table with its names in the given language: 1 English, any other value French.
TScaleTable MakeScaleTable(int language);

// Fills ScaleTable in the current Language, once at start-up.
void BuildScaleTable();

// A scale laid out from its root up to the root an octave higher.
struct TScaleSpelling {
    TNoteSlots Notes; // slots 1.. in rising order; the keys to press, in that order
    QString Label;    // root name, a blank, the scale's name
};

// Spells ScaleTable[scale] on root 1..12 in the given octave (the main window
// uses Octave). A scale index below 1 means the list has no selection: there
// is nothing to spell. Indexes past the table are treated the same way.
std::optional<TScaleSpelling> SpellScale(int root, int scale, int octave, const QString &rootName);

} // namespace model
