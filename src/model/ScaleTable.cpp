#include "model/ScaleTable.h"

namespace model {

namespace {

struct ScaleRow {
    const char *english;
    const char *french;
    const char *steps; // semitones between successive notes, adding up to 12
};

constexpr ScaleRow Rows[TScaleTable::Count] = {
    {"Major", "Majeure", "2212221"},
    {"Minor", "Mineure", "2122122"},
    {"Harmonic minor", "Mineure harmonique", "2122131"},
    {"Melodic minor", "Mineure Mélodique", "2122221"},
    {"Pentatonic major", "Pentatonique majeure", "22323"},
    {"Pentatonic  minor", "Pentatonique mineure", "32232"},
    {"Pentatonic blues", "Pentatonique Blues", "321132"},
    {"Ionian", "Ionien", "2212221"},
    {"Aeolian", "Aeolien", "2122122"},
    {"Dorian", "Dorien", "2122212"},
    {"Mixolydian", "Mixolydien", "2212212"},
    {"Phrygian", "Phrygien", "1222122"},
    {"Lydian", "Lydien", "2221221"},
    {"Locrian", "Locrien", "1221222"},
    {"Blues", "Blues", "321132"},
    {"Diatonic", "Diatonique", "22323"},
};

} // namespace

TScaleTable MakeScaleTable(int language)
{
    TScaleTable table;
    int i = TScaleTable::Low;
    for (const ScaleRow &row : Rows) {
        TScaleEntry &entry = table[i++];
        entry.Name = QString::fromUtf8(language == 1 ? row.english : row.french);
        entry.Steps = QString::fromUtf8(row.steps);
    }
    return table;
}

void BuildScaleTable()
{
    ScaleTable = MakeScaleTable(Language);
}

std::optional<TScaleSpelling> SpellScale(int root, int scale, int octave, const QString &rootName)
{
    if (scale < TScaleTable::Low || scale > TScaleTable::High)
        return std::nullopt;
    const TScaleEntry &entry = ScaleTable[scale];

    TScaleSpelling spelling;
    int note = root + (octave - 1) * 12;
    int slot = TNoteSlots::Low;
    spelling.Notes[slot].Note = note;
    // A scale has at most seven steps, so it never runs past the 13 slots.
    for (const QChar step : entry.Steps) {
        note += step.digitValue();
        spelling.Notes[++slot].Note = note;
    }
    spelling.Label = rootName + u' ' + entry.Name;
    return spelling;
}

} // namespace model
