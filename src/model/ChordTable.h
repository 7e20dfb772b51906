#pragma once

// The 60 chord types, in the order every list, pattern file and search uses.
#include "model/Declare.h"

#include <QChar>
#include <QString>

namespace model {

// The major-seventh triangle. The tables hold a plain '?' where it belongs,
// because their text stays 8-bit; the triangle only appears on screen.
inline constexpr QChar DeltaSign{u'\u0394'};

// The table with its names in the given language: 1 English, any other value French.
TChordTable MakeChordTable(int language);

// Fills ChordTable in the current Language. Called once at start-up: the names
// keep that language for the rest of the run.
void BuildChordTable();

// A symbol as it is shown: a '?' stands for the triangle and ends the symbol.
QString WithDeltaSign(const QString &symbol);

} // namespace model
