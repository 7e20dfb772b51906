#pragma once

// A chord type laid out on the keyboard from its symbol, with its inversion and
// its comma-separated spellings.
#include "model/ChordTable.h"
#include "model/Declare.h"

#include <QList>
#include <QString>

#include <optional>

namespace model {

struct TChordSpelling {
    TNoteSlots Notes;               // root 1, sus2 2, 3rd 3, sus4 4, 5th 5, 6th 6, 7th 7, 9th 9, 11th 11, 13th 13
    std::optional<QString> Caption; // empty when the symbol is unknown: the label keeps its text
    QList<int> KeyOrder;            // root first, then the other notes in role order
};

// Spells `symbol` on root 1..12 (named `rootName`) in the keyboard's second
// octave, C = key 13. Inversion -1 (or -2, which pattern data may hold) drops
// the highest note an octave, +1 lifts the root an octave, anything else
// leaves the chord as it is. Sets Octave to 2, which the scale spelling builds on.
TChordSpelling SpellChord(const QString &rootName, const QString &symbol, int root, int inversion);

// The pattern editor shows only the first spelling of a caption.
QString PatternChordLabel(const QString &caption);

} // namespace model
