#include "model/NoteNames.h"

namespace model {

namespace {

// Per pitch class: the white-key name, or for a black key its sharp and its flat name.
struct NameRow {
    const char *sharp;
    const char *flat;
};

constexpr NameRow Letters[TNoteNames::Count] = {
    {"C", "C"},   {"C#", "Db"}, {"D", "D"},   {"D#", "Eb"}, {"E", "E"},   {"F", "F"},
    {"F#", "Gb"}, {"G", "G"},   {"G#", "Ab"}, {"A", "A"},   {"A#", "Bb"}, {"B", "B"},
};

constexpr NameRow Solfege[TNoteNames::Count] = {
    {"Do", "Do"},    {"Do#", "Réb"}, {"Ré", "Ré"},    {"Ré#", "Mib"}, {"Mi", "Mi"},   {"Fa", "Fa"},
    {"Fa#", "Solb"}, {"Sol", "Sol"}, {"Sol#", "Lab"}, {"La", "La"},   {"La#", "Sib"}, {"Si", "Si"},
};

} // namespace

TNoteNames NoteNamesFor(bool letters, bool sharps)
{
    const NameRow *rows = letters ? Letters : Solfege;
    TNoteNames names;
    for (int pc = TNoteNames::Low; pc <= TNoteNames::High; ++pc) {
        const NameRow &row = rows[pc - TNoteNames::Low];
        names[pc] = QString::fromUtf8(sharps ? row.sharp : row.flat);
    }
    return names;
}

void FillNoteNames()
{
    NoteNames = NoteNamesFor(Notation, AlterationsEnDiese);
}

} // namespace model
