#include "model/Spelling.h"
#include "ModelPrinters.h"
#include "model/ChordTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace model;

namespace {

std::vector<int> keyOrder(const TChordSpelling &spelling)
{
    return {spelling.KeyOrder.begin(), spelling.KeyOrder.end()};
}

// The filled slots, read from 1 to 13: the roles in rising order.
std::vector<int> filledSlots(const TChordSpelling &spelling)
{
    std::vector<int> keys;
    for (int slot = 1; slot <= 13; ++slot)
        if (spelling.Notes[slot].Note != 0)
            keys.push_back(spelling.Notes[slot].Note);
    return keys;
}

struct ChainCase {
    const char *symbol;
    std::vector<int> keys; // in pressing order: root, sus2, 3rd, sus4, 5th, 6th, 7th, 9th, 11th, 13th
    const char *caption;
};

// Every chord symbol on C (key 13), with letter names. "add9" and "-9" are
// matched by two tests each: the later caption stands.
const ChainCase chainCases[] = {
    {"", {13, 17, 20}, "C, CMajor, CM"},
    {"5", {13, 20}, "C5, C Power Chord"},
    {"-5", {13, 17, 19}, "C-5, C(b5), C flattened 5th"},
    {"+5", {13, 17, 21}, "C+5, Caug5, C augmented 5th"},
    {"6", {13, 17, 20, 22}, "C6, CMaj6, CM6"},
    {"6/9", {13, 17, 20, 22, 27}, "C6add9, C6(add9), CMaj6(add9), CM6(add9)"},
    {"7", {13, 17, 20, 23}, "C7, C dominant seventh, Cdom"},
    {"add9", {13, 17, 20, 27}, "Cadd9, C added 9th"},
    {"M7", {13, 17, 20, 24}, "CΔ, CMaj7, CM7"},
    {"M7+5", {13, 17, 21, 24}, "CM7+5, CMaj7#5, CMaj7+5"},
    {"M7 add9", {13, 17, 20, 24, 27}, "CMaj9, CMaj7(add9), CM7(add9)"},
    {"M11", {13, 17, 20, 24, 27, 30}, "CMaj11, CMaj7(add11), CM7(add11)"},
    {"M13", {13, 17, 20, 24, 27, 30, 34}, "Cmaj13, CMaj7(add13), CM7(add13)"},
    {"m", {13, 16, 20}, "Cm, Cmin, Cminor, C-"},
    {"m6", {13, 16, 20, 22}, "Cm6, Cminor6, Cmin6"},
    {"m6/9", {13, 16, 20, 22, 27}, "Cm6/9"},
    {"min/Maj7", {13, 16, 20, 24}, "CmΔ, CmMaj7, Cmin/Maj7, Cm(addM7), Cm(+7), C-(M7)"},
    {"min/Maj9", {13, 16, 20, 24, 27}, "CmMaj9, Cmin/Maj9, CmM9, Cm(addM9), Cm(+9), C-(M9)"},
    {"m add9", {13, 16, 20, 27}, "Cmadd9, Cminor(add9), C-(add9)"},
    {"m7", {13, 16, 20, 23}, "Cm7, Cminor7, Cmin7, C-7"},
    {"m9", {13, 16, 20, 23, 27}, "Cm9, Cminor9, Cmin9, C-9"},
    {"m11", {13, 16, 20, 23, 27, 30}, "Cm11, Cminor11, Cmin11, C-11"},
    {"m13", {13, 16, 20, 23, 27, 30, 34}, "Cm13, Cminor13, Cmin13, C-13"},
    {"m-5", {13, 16, 19}, "Cm-5, Cm(b5)"},
    {"dim", {13, 16, 19}, "Cdim, C°"},
    {"dim7", {13, 16, 19, 22}, "Cdim7, C°7"},
    {"Ø", {13, 16, 19, 23}, "CØ, CØ7, Cm7-5, C½dim, C½dim7, Cm(b7), Cminor7b5"},
    {"7-9", {13, 17, 20, 23, 26}, "C7-9, C7b9, C7(add b9)"},
    {"7+9", {13, 17, 20, 23, 28}, "C7+9, C7(add#9)"},
    {"7-5", {13, 17, 19, 23}, "C7-5, C7b5"},
    {"7+5", {13, 17, 21, 23}, "C7+5, C7+, C7#5"},
    {"7/6", {13, 17, 20, 22, 23}, "C7/6, C7 added 6th"},
    {"9", {13, 17, 20, 23, 27}, "C9, C7(add9)"},
    {"9-5", {13, 17, 19, 23, 27}, "C9-5, C9b5"},
    {"9+5", {13, 17, 21, 23, 27}, "C9+5, C9#5"},
    {"9/6", {13, 17, 20, 22, 23, 27}, "C9/6, C9 added 6th"},
    {"9+11", {13, 17, 20, 23, 27, 31}, "C9+11, C9aug11, C ninth augmented 11th"},
    {"11", {13, 17, 20, 23, 27, 30}, "C11, C7(add11)"},
    {"11-9", {13, 17, 20, 23, 26, 30}, "C11-9, C11(b9), C11(flattened 9th)"},
    {"13", {13, 17, 20, 23, 27, 30, 34}, "C13, C7(add13)"},
    {"13-9", {13, 17, 20, 23, 26, 30, 34}, "C13-9, C13b9"},
    {"13-9-5", {13, 17, 19, 23, 26, 30, 34}, "C13-9-5, C13b9b5"},
    {"13-9+11", {13, 17, 20, 23, 26, 31, 34}, "C13-9+11, C13b9#11"},
    {"13+11", {13, 17, 20, 23, 27, 31, 34}, "C13+11, C13 augmented 11th"},
    {"7/13", {13, 17, 20, 23, 34}, "C7/13, C7/6"},
    {"aug", {13, 17, 21}, "Caug, C+, C+5, C(#5), Caugmented"},
    {"sus2", {13, 15, 20}, "CSus2"},
    {"sus4", {13, 18, 20}, "CSus4"},
    {"7sus4", {13, 18, 20, 23}, "C7sus4, C7sus, C7sus11"},
    {"-9", {13, 17, 20, 23, 26}, "C-9, Cb9, C flattened 9th"},
    {"-9+5", {13, 17, 21, 23, 26}, "C-9+5, Cb9#5, C flattened 9th augmented 5th"},
    {"-9+11", {13, 17, 20, 23, 26, 31}, "C-9+11, Cb9#11, C flattened 9th augmented 11th"},
    {"-9-5", {13, 17, 19, 23, 26}, "C-9-5, Cb9b5, C flattened 9th flattened 5th"},
    {"+9", {13, 17, 20, 23, 28}, "C+9, Caug9, C augmented 9th"},
    {"+11", {13, 17, 20, 23, 27, 31}, "C+11, Caug11, C augmented 11th"},
    {"6sus4", {13, 18, 20, 22}, "C6sus4, C6sus"},
    {"6sus4 add9", {13, 18, 20, 22, 27}, "C6sus4add9"},
    {"9sus4", {13, 18, 20, 23, 27}, "C9sus4"},
    {"M7sus4", {13, 18, 20, 24}, "CM7 sus4"},
    {"M9sus4", {13, 18, 20, 24, 27}, "CM9 sus4"},
};

} // namespace

TEST(ChordSpelling, EverySymbolOnC)
{
    for (const ChainCase &c : chainCases) {
        SCOPED_TRACE(c.symbol);
        const TChordSpelling spelling = SpellChord("C", QString::fromUtf8(c.symbol), 1, 0);
        EXPECT_EQ(keyOrder(spelling), c.keys);
        EXPECT_EQ(filledSlots(spelling), c.keys);
        ASSERT_TRUE(spelling.Caption.has_value());
        EXPECT_EQ(*spelling.Caption, QString::fromUtf8(c.caption));
    }
}

TEST(ChordSpelling, TheCasesCoverEveryRowOfTheTable)
{
    const TChordTable table = MakeChordTable(1);
    ASSERT_EQ(std::size(chainCases), 60u);
    for (int i = 1; i <= 60; ++i)
        EXPECT_EQ(QString::fromUtf8(chainCases[i - 1].symbol), table[i].Symbol) << i;
}

TEST(ChordSpelling, EachRoleHasItsOwnSlot)
{
    const TChordSpelling sus = SpellChord("C", "6sus4 add9", 1, 0);
    EXPECT_EQ(sus.Notes[1].Note, 13);
    EXPECT_EQ(sus.Notes[4].Note, 18);
    EXPECT_EQ(sus.Notes[5].Note, 20);
    EXPECT_EQ(sus.Notes[6].Note, 22);
    EXPECT_EQ(sus.Notes[9].Note, 27);

    const TChordSpelling thirteenth = SpellChord("C", "13", 1, 0);
    EXPECT_EQ(thirteenth.Notes[2].Note, 0);
    EXPECT_EQ(thirteenth.Notes[3].Note, 17);
    EXPECT_EQ(thirteenth.Notes[7].Note, 23);
    EXPECT_EQ(thirteenth.Notes[11].Note, 30);
    EXPECT_EQ(thirteenth.Notes[13].Note, 34);
    for (const int unused : {8, 10, 12})
        EXPECT_EQ(thirteenth.Notes[unused].Note, 0);

    EXPECT_EQ(SpellChord("C", "sus2", 1, 0).Notes[2].Note, 15);
}

TEST(ChordSpelling, TheRootNameStartsEverySpelling)
{
    EXPECT_EQ(SpellChord("Do", "", 1, 0).Caption, QString("Do, DoMajor, DoM"));
    EXPECT_EQ(SpellChord("F#", "M7", 7, 0).Caption, QString("F#") + DeltaSign + ", F#Maj7, F#M7");
    EXPECT_EQ(keyOrder(SpellChord("F#", "M7", 7, 0)), (std::vector<int>{19, 23, 26, 30}));
}

// Both "-9" and "7-9" go through the same test first; only "-9" meets a second one.
TEST(ChordSpelling, SymbolsMatchedTwiceKeepTheLaterCaption)
{
    const TChordSpelling flat9 = SpellChord("C", "-9", 1, 0);
    const TChordSpelling seventhFlat9 = SpellChord("C", "7-9", 1, 0);
    EXPECT_EQ(keyOrder(flat9), keyOrder(seventhFlat9));
    EXPECT_EQ(flat9.Caption, QString("C-9, Cb9, C flattened 9th"));
    EXPECT_EQ(seventhFlat9.Caption, QString("C7-9, C7b9, C7(add b9)"));
    EXPECT_EQ(SpellChord("C", "add9", 1, 0).Caption, QString("Cadd9, C added 9th"));
}

TEST(ChordSpelling, AnUnknownSymbolPressesTheRootAloneAndLeavesTheCaption)
{
    for (const char *symbol : {"Sus2", "maj7", "M", " ", "m7 "}) {
        SCOPED_TRACE(symbol);
        const TChordSpelling spelling = SpellChord("C", symbol, 1, 0);
        EXPECT_FALSE(spelling.Caption.has_value());
        EXPECT_EQ(keyOrder(spelling), std::vector<int>{13});
        EXPECT_EQ(spelling.Notes[1].Note, 13);
        for (const int inversion : {-1, 1})
            EXPECT_EQ(keyOrder(SpellChord("C", symbol, 1, inversion)), std::vector<int>{13});
    }
}

TEST(ChordSpelling, SetsTheOctaveTheScalesBuildOn)
{
    Octave = 4;
    SpellChord("C", "", 1, 0);
    EXPECT_EQ(Octave, 2);
}

struct InversionCase {
    int root;
    const char *symbol;
    int inversion;
    std::vector<int> keys;
    int slot;     // a slot to look at
    int slotNote; // what it holds
};

class ChordInversion : public testing::TestWithParam<InversionCase> {};

TEST_P(ChordInversion, MovesTheRightNote)
{
    const InversionCase c = GetParam();
    const TChordSpelling spelling = SpellChord("X", c.symbol, c.root, c.inversion);
    EXPECT_EQ(keyOrder(spelling), c.keys);
    EXPECT_EQ(spelling.Notes[c.slot].Note, c.slotNote);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChordInversion,
    testing::Values(InversionCase{1, "", -1, {13, 17, 8}, 5, 8},                      // the fifth drops below
                    InversionCase{1, "", 1, {25, 17, 20}, 1, 25},                     // the root goes up
                    InversionCase{1, "9", -1, {13, 17, 20, 23, 15}, 9, 15},           // ninth a tone above the root
                    InversionCase{1, "sus2", -1, {13, 15, 8}, 2, 15},                 // sus2 stays, the fifth drops
                    InversionCase{1, "sus2", 1, {25, 15, 20}, 1, 25},                 // sus2 stays below the root
                    InversionCase{1, "-5", -1, {13, 17, 7}, 5, 7},                    // the lowest key reached
                    InversionCase{1, "13", 1, {25, 17, 20, 23, 27, 30, 34}, 13, 34},  // root stays under the top
                    InversionCase{1, "13", -1, {13, 17, 20, 23, 27, 30, 22}, 13, 22}, // the thirteenth drops
                    InversionCase{12, "13", 0, {24, 28, 31, 34, 38, 41, 45}, 13, 45}, // the highest key reached
                    InversionCase{12, "5", -1, {24, 19}, 5, 19},                      // power chord, fifth dropped
                    InversionCase{12, "dim7", 1, {36, 27, 30, 33}, 1, 36}));          // B dim7, root up

TEST(ChordInversion, MinusTwoIsMinusOneAndOtherValuesAreNone)
{
    const TChordTable table = MakeChordTable(1);
    for (int root = 1; root <= 12; ++root)
        for (int chord = 1; chord <= 60; ++chord) {
            SCOPED_TRACE(testing::Message() << "root " << root << " chord " << chord);
            const QString &symbol = table[chord].Symbol;
            EXPECT_EQ(SpellChord("X", symbol, root, -2).Notes, SpellChord("X", symbol, root, -1).Notes);
            const TNoteSlots plain = SpellChord("X", symbol, root, 0).Notes;
            for (const int other : {5, 2, -3, 100})
                EXPECT_EQ(SpellChord("X", symbol, root, other).Notes, plain) << "inversion " << other;
        }
}

// Every chord on every root with every inversion stays on the 48 keys, and
// moves exactly one note by exactly an octave.
TEST(ChordInversion, AllChordsStayOnTheKeyboard)
{
    const TChordTable table = MakeChordTable(1);
    int lowest = 48;
    int highest = 1;
    for (int root = 1; root <= 12; ++root)
        for (int chord = 1; chord <= 60; ++chord)
            for (const int inversion : {-1, 0, 1}) {
                SCOPED_TRACE(testing::Message() << "root " << root << " chord " << chord << " inv " << inversion);
                const TChordSpelling spelling = SpellChord("X", table[chord].Symbol, root, inversion);
                const TChordSpelling plain = SpellChord("X", table[chord].Symbol, root, 0);
                int moved = 0;
                for (int slot = 1; slot <= 13; ++slot) {
                    const int note = spelling.Notes[slot].Note;
                    if (note == 0)
                        continue;
                    lowest = std::min(lowest, note);
                    highest = std::max(highest, note);
                    const int shift = note - plain.Notes[slot].Note;
                    if (shift != 0) {
                        EXPECT_EQ(shift, 12 * inversion);
                        ++moved;
                    }
                }
                EXPECT_EQ(moved, inversion == 0 ? 0 : 1);
            }
    EXPECT_EQ(lowest, 7);
    EXPECT_EQ(highest, 45);
}

TEST(PatternChordLabel, IsTheFirstSpelling)
{
    EXPECT_EQ(PatternChordLabel(*SpellChord("C", "M7", 1, 0).Caption), QString("C") + DeltaSign);
    EXPECT_EQ(PatternChordLabel(*SpellChord("C", "m6/9", 1, 0).Caption), "Cm6/9");
    EXPECT_EQ(PatternChordLabel(*SpellChord("C", "", 1, 0).Caption), "C");
    EXPECT_EQ(PatternChordLabel(""), "");
}
