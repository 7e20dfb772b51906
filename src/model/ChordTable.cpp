#include "model/ChordTable.h"

namespace model {

namespace {

struct ChordRow {
    const char *symbol;
    const char *mask;
    const char *english;
    const char *french;
    const char *alternatives;
};

// Masks: one digit per semitone above the root, the root first. A '2' marks an
// interval sounding above the octave; readers treat it like '1'.
constexpr ChordRow Rows[TChordTable::Count] = {
    {"", "100010010000", "Major", " majeur", "Maj"},
    {"5", "100000010000", "Power chord", " 5te juste", ""},
    {"-5", "100010100000", "flat 5th", " 5te diminuée", "(b5)"},
    {"+5", "100010001000", " augmented", " 5te augmentée", "+ | (#5) | aug"},
    {"6", "100010010100", "6th", " 6te", ""},
    {"6/9", "102010010100", "6th add 9th", " 6te add9", ""},
    {"7", "100010010010", "7th", " 7ème", ""},
    {"add9", "102010010000", "add 9th", "add9", ""},
    {"M7", "100010010001", "Major 7th", " 7ème majeure", "?"},
    {"M7+5", "100010001001", "Maj 7th augmented", " 7ème majeure augmentée", "M7(#5]"},
    {"M7 add9", "102010010001", "Maj 7th add 9th", " 7ème majeure add9", ""},
    {"M11", "102012010001", "Maj 11th", " 11ème majeure", ""},
    {"M13", "102012010201", "Maj 13th", " 13ème majeure", ""},
    {"m", "100100010000", "minor", " mineur", ""},
    {"m6", "100100010100", "min 6th", " mineur 6te", ""},
    {"m6/9", "102100010100", "min 6th add 9th", " mineur 6te add9", "m6 add9"},
    {"min/Maj7", "100100010001", "min Maj7th", " mineur 7ème majeure", "m? | m(addM7) | m(+7) | -(M7)"},
    {"min/Maj9", "101100010001", "min Maj9th", " mineur 9ème majeur", "mM9 | m(addM9) | m(+9) | -(M9)"},
    {"m add9", "102100010000", "min add 9th", " mineur add9", ""},
    {"m7", "100100010010", "min 7th", " mineur 7ème", "-7 | min7"},
    {"m9", "102100010010", "min 9th", " mineur 9ème", ""},
    {"m11", "102102010010", "min 11th", " mineur 11ème", ""},
    {"m13", "102102010210", "min 13th", " mineur 13ème", ""},
    {"m-5", "100100100000", "min flat 5th", " mineur 5te diminuée", "° | dim"},
    {"dim", "100100100000", "dim", " diminué", "° | m-5"},
    {"dim7", "100100100100", "dim7", " 7ème diminuée", "°7"},
    {"Ø", "100100100010", "min 7th flat 5th", " 1/2 diminué", "½dim |Ø7 | m7(b5)"},
    {"7-9", "120010010010", "7th flat 9th", " 7ème 9ème bémol", ""},
    {"7+9", "100210010010", "7th sharp 9th", " 7ème 9ème augmentée", ""},
    {"7-5", "100010100010", "7th flat 5th", " 7ème 5te diminuée", ""},
    {"7+5", "100010001010", "7th augmented", " 7ème 5te augmentée", "7+"},
    {"7/6", "100010010110", "7th add 6th", " 7ème add6", ""},
    {"9", "102010010010", "7th add 9th", " 7ème add9", ""},
    {"9-5", "102010100010", "9th flat 5th", " 9ème 5te diminuée", "9(b5)"},
    {"9+5", "102010001010", "9th sharp 5th", " 9ème 5te augmentée", "9(#5)"},
    {"9/6", "102010010110", "9 add 6th", " 9ème add6", ""},
    {"9+11", "102010210010", "9th aug 11th", " 9ème aug11", ""},
    {"11", "102012010010", "11th", " 11ème", ""},
    {"11-9", "120012010010", "11th flat 9th", " 11ème,9ème bémol", ""},
    {"13", "102012010210", "13th", " 13ème", ""},
    {"13-9", "110011010110", "13th flat 9th", " 13ème,9ème bémol", ""},
    {"13-9-5", "120012100210", "13th flat 5th flat 9th", " 13ème 5te bémole,9ème bémole", ""},
    {"13-9+11", "120010210210", "13th b9 #11", " 13ème 9ème bémol,11ème augmentée", ""},
    {"13+11", "102010210210", "13 aug 11th", " 13ième 11ème augmentée", ""},
    {"7/13", "100010010210", "7th add 13th", " 7ème add13", ""},
    {"aug", "100010001000", " augmented", " augmenté", "+5 | + | (#5)"},
    {"sus2", "101000010000", "Sus 2nd", "sus2", ""},
    {"sus4", "100001010000", "Sus 4th", "sus4", ""},
    {"7sus4", "100001010010", "7th sus 4th", " 7ème sus4", "7sus11"},
    {"-9", "120010010010", "flat 9th", " 9ème bémol", "b9"},
    {"-9+5", "120010001010", "flat 9th aug 5th", " 9ème bémol 5te augmentée", ""},
    {"-9+11", "120010210010", "flat 9th aug 11th", " 9ème bémole onzième augmentée", ""},
    {"-9-5", "120010100010", "flat 9th flat 5th", " 9ème bémol 5te diminuée", ""},
    {"+9", "100210010010", "augmented 9th", " augmenté 9", "aug9"},
    {"+11", "102010210010", "aug 11th", " augmenté 11", ""},
    {"6sus4", "100001010100", "6th sus 4th", " 6te sus4", ""},
    {"6sus4 add9", "102001010100", "6th sus 4th add 9th", " 6te sus4 add9", ""},
    {"9sus4", "102001010010", "9th sus 4th", " 9ème sus4", ""},
    {"M7sus4", "100001010001", "Maj 7th sus 4th", " 7ème majeure sus4", ""},
    {"M9sus4", "102001010001", "Maj 9th sus 4th", " 9ème majeure sus4", ""},
};

} // namespace

TChordTable MakeChordTable(int language)
{
    TChordTable table;
    int i = TChordTable::Low;
    for (const ChordRow &row : Rows) {
        TChordEntry &entry = table[i++];
        entry.Name = QString::fromUtf8(language == 1 ? row.english : row.french);
        entry.AltSymbols = QString::fromUtf8(row.alternatives);
        entry.Symbol = QString::fromUtf8(row.symbol);
        entry.Mask = QString::fromUtf8(row.mask);
    }
    return table;
}

void BuildChordTable()
{
    ChordTable = MakeChordTable(Language);
}

QString WithDeltaSign(const QString &symbol)
{
    const qsizetype question = symbol.indexOf(u'?');
    if (question < 0)
        return symbol;
    return symbol.left(question) + DeltaSign;
}

} // namespace model
