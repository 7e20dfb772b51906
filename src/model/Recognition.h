#pragma once

// Finding every chord, on every root, whose intervals are exactly the pitch
// classes held, and the two result texts the analysis window shows.
#include "model/Declare.h"

#include <QList>
#include <QString>

namespace model {

struct TChordMatch {
    int Root;  // 1..12, C first
    int Chord; // ChordTable index 1..60
    bool operator==(const TChordMatch &) const = default;
};

// Root by root from C to B, and within a root in table order. Any non-zero
// count, negative too, makes its pitch class present; fewer than two held keys
// in all (their counts summed) give no match at all.
QList<TChordMatch> MatchChords(const TPitchClassCounts &counts, const TChordTable &table);

// A chord's symbols for the results: its symbol, then its alternatives after " | ".
QString ResultSymbols(const TChordEntry &entry);

// The analysis window's two result texts: chord names, and chord symbols.
struct TChordResultTexts {
    QString Names;
    QString Symbols;
    bool operator==(const TChordResultTexts &) const = default;
};

// Appends one match. `symbols` is split at '|' into at most six trimmed parts,
// each written after a blank and the root name.
void AddChordResult(TChordResultTexts &texts, const QString &rootName, const QString &name, const QString &symbols);

// The texts for a whole list of matches.
TChordResultTexts ChordResultTexts(const QList<TChordMatch> &matches, const TChordTable &table,
                                   const TNoteNames &names);

} // namespace model
