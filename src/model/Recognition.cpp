#include "model/Recognition.h"

#include "model/ChordTable.h"

#include <QStringList>

namespace model {

namespace {

const QString Separator = QStringLiteral(" <OR> ");
constexpr int MaxSymbolParts = 6;

bool maskMatches(const QString &mask, const TPitchClassCounts &counts, int root)
{
    for (int k = 0; k < 12; ++k) {
        const bool held = counts[(root - 1 + k) % 12] != 0;
        const bool inChord = mask.at(k).digitValue() >= 1;
        if (held != inChord)
            return false;
    }
    return true;
}

int totalHeld(const TPitchClassCounts &counts)
{
    int total = 0;
    for (const int count : counts)
        total += count;
    return total;
}

} // namespace

QList<TChordMatch> MatchChords(const TPitchClassCounts &counts, const TChordTable &table)
{
    QList<TChordMatch> matches;
    if (totalHeld(counts) < 2)
        return matches;
    for (int root = 1; root <= 12; ++root)
        for (int chord = TChordTable::Low; chord <= TChordTable::High; ++chord)
            if (maskMatches(table[chord].Mask, counts, root))
                matches.append({root, chord});
    return matches;
}

QString ResultSymbols(const TChordEntry &entry)
{
    if (entry.AltSymbols.isEmpty())
        return entry.Symbol;
    return entry.Symbol + QStringLiteral(" | ") + entry.AltSymbols;
}

void AddChordResult(TChordResultTexts &texts, const QString &rootName, const QString &name, const QString &symbols)
{
    if (!texts.Names.isEmpty())
        texts.Names += Separator;
    texts.Names += rootName + name;

    if (!texts.Symbols.isEmpty())
        texts.Symbols += Separator;
    const QStringList parts = symbols.split(u'|').mid(0, MaxSymbolParts);
    for (const QString &part : parts)
        texts.Symbols += u' ' + rootName + WithDeltaSign(part.trimmed());
}

TChordResultTexts ChordResultTexts(const QList<TChordMatch> &matches, const TChordTable &table, const TNoteNames &names)
{
    TChordResultTexts texts;
    for (const TChordMatch &match : matches) {
        const TChordEntry &entry = table[match.Chord];
        AddChordResult(texts, names[match.Root - 1], entry.Name, ResultSymbols(entry));
    }
    return texts;
}

} // namespace model
