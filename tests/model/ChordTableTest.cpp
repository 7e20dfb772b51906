#include "model/ChordTable.h"
#include "ModelPrinters.h"
#include "model/Spelling.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

using namespace model;

namespace {

// The intervals a mask holds, as semitones 0..11; '1' and '2' alike.
std::set<int> maskIntervals(const QString &mask)
{
    std::set<int> intervals;
    for (int k = 0; k < mask.size(); ++k)
        if (mask.at(k) != u'0')
            intervals.insert(k);
    return intervals;
}

} // namespace

TEST(ChordTable, EveryMaskHasTwelveDigitsAndHoldsTheRoot)
{
    const TChordTable table = MakeChordTable(1);
    for (int i = 1; i <= 60; ++i) {
        SCOPED_TRACE(i);
        const QString &mask = table[i].Mask;
        ASSERT_EQ(mask.size(), 12);
        for (const QChar c : mask)
            EXPECT_TRUE(c == u'0' || c == u'1' || c == u'2') << int(c.unicode());
        EXPECT_NE(mask.at(0), u'0');
        EXPECT_GE(maskIntervals(mask).size(), 2u);
    }
}

TEST(ChordTable, SymbolsAreUniqueAndTheMajorChordHasNone)
{
    const TChordTable table = MakeChordTable(1);
    EXPECT_TRUE(table[1].Symbol.isEmpty());
    std::set<QString> symbols;
    for (const TChordEntry &entry : table)
        EXPECT_TRUE(symbols.insert(entry.Symbol).second) << entry.Symbol.toStdString();
}

// The recognition finds a chord by its mask, the main window builds it from its
// symbol: both must describe the same notes, on every row.
TEST(ChordTable, EveryMaskAgreesWithTheNotesItsSymbolSpells)
{
    const TChordTable table = MakeChordTable(1);
    for (int i = 1; i <= 60; ++i) {
        SCOPED_TRACE(i);
        const TChordSpelling spelling = SpellChord("C", table[i].Symbol, 1, 0);
        ASSERT_TRUE(spelling.Caption.has_value()) << "no spelling for " << table[i].Symbol.toStdString();
        std::set<int> spelled;
        for (const int key : spelling.KeyOrder)
            spelled.insert((key - 13) % 12);
        EXPECT_EQ(spelled, maskIntervals(table[i].Mask)) << table[i].Symbol.toStdString();
    }
}

// Exactly these rows share their notes with another; a typo in a mask would
// either break one of these pairs or create a new one.
TEST(ChordTable, OnlyTheKnownRowPairsShareTheirIntervals)
{
    const TChordTable table = MakeChordTable(1);
    std::set<std::pair<int, int>> sharing;
    for (int i = 1; i <= 60; ++i)
        for (int j = i + 1; j <= 60; ++j)
            if (maskIntervals(table[i].Mask) == maskIntervals(table[j].Mask))
                sharing.insert({i, j});
    const std::set<std::pair<int, int>> expected = {{4, 46}, {24, 25}, {28, 50}, {29, 54}, {32, 45}, {37, 55}};
    EXPECT_EQ(sharing, expected);
}

struct NameCase {
    int language;
    int row;
    const char *name;
};

class ChordTableNames : public testing::TestWithParam<NameCase> {};

TEST_P(ChordTableNames, FollowTheLanguageAtBuildTime)
{
    const NameCase c = GetParam();
    Language = c.language;
    BuildChordTable();
    EXPECT_EQ(ChordTable[c.row].Name, QString::fromUtf8(c.name));
}

INSTANTIATE_TEST_SUITE_P(Rows, ChordTableNames,
                         testing::Values(NameCase{1, 1, "Major"}, NameCase{2, 1, " majeur"}, NameCase{3, 1, " majeur"},
                                         NameCase{0, 1, " majeur"}, NameCase{1, 4, " augmented"},
                                         NameCase{2, 8, "add9"}, NameCase{2, 24, " mineur 5te diminuée"},
                                         NameCase{1, 27, "min 7th flat 5th"}, NameCase{2, 27, " 1/2 diminué"},
                                         NameCase{2, 44, " 13ième 11ème augmentée"},
                                         NameCase{1, 53, "flat 9th flat 5th"},
                                         NameCase{2, 53, " 9ème bémol 5te diminuée"},
                                         NameCase{3, 60, " 9ème majeure sus4"}));

// Displays put the root name straight in front of the name, so the leading
// blank is part of the text: only these rows go without one.
TEST(ChordTable, LeadingBlanksOfTheNames)
{
    const TChordTable english = MakeChordTable(1);
    const TChordTable french = MakeChordTable(2);
    for (int i = 1; i <= 60; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(english[i].Name.startsWith(u' '), i == 4 || i == 46);
        EXPECT_EQ(french[i].Name.startsWith(u' '), i != 8 && i != 47 && i != 48);
    }
}

TEST(ChordTable, SymbolsAndAlternativesKeepTheirCharacters)
{
    const TChordTable table = MakeChordTable(1);
    EXPECT_EQ(table[1].AltSymbols, "Maj");
    EXPECT_EQ(table[4].AltSymbols, "+ | (#5) | aug");
    EXPECT_EQ(table[9].AltSymbols, "?");
    EXPECT_EQ(table[10].AltSymbols, "M7(#5]");
    EXPECT_EQ(table[17].AltSymbols, "m? | m(addM7) | m(+7) | -(M7)");
    EXPECT_EQ(table[24].AltSymbols, QString::fromUtf8("° | dim"));
    EXPECT_EQ(table[27].Symbol, QString(QChar(0x00D8)));
    EXPECT_EQ(table[27].AltSymbols, QString::fromUtf8("½dim |Ø7 | m7(b5)"));
    EXPECT_EQ(table[26].AltSymbols, QString(QChar(0x00B0)) + u'7');
    EXPECT_EQ(table[46].AltSymbols, "+5 | + | (#5)");
    EXPECT_TRUE(table[2].AltSymbols.isEmpty());
}

TEST(ChordTable, QuestionMarkShowsAsTheTriangle)
{
    EXPECT_EQ(WithDeltaSign("?"), QString(DeltaSign));
    EXPECT_EQ(WithDeltaSign("m?"), QString("m") + QChar(0x0394));
    EXPECT_EQ(WithDeltaSign("M7"), "M7");
    EXPECT_EQ(WithDeltaSign(""), "");
}
