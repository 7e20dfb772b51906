#include "model/Recognition.h"
#include "ModelPrinters.h"
#include "model/ChordTable.h"
#include "model/NoteNames.h"

#include <gtest/gtest.h>

#include <initializer_list>

using namespace model;

namespace model {
[[maybe_unused]] static void PrintTo(const TChordMatch &m, std::ostream *os)
{
    *os << "{root " << m.Root << ", chord " << m.Chord << "}";
}
} // namespace model

namespace {

class Recognition : public testing::Test {
protected:
    TChordTable table = MakeChordTable(1);
    TNoteNames names = NoteNamesFor(true, true);

    // Counts of held keys from a list of pitch classes; a class listed twice is held twice.
    static TPitchClassCounts held(std::initializer_list<int> pitchClasses)
    {
        TPitchClassCounts counts;
        for (const int pc : pitchClasses)
            ++counts[pc];
        return counts;
    }

    QList<TChordMatch> match(std::initializer_list<int> pitchClasses) const
    {
        return MatchChords(held(pitchClasses), table);
    }

    TChordResultTexts texts(std::initializer_list<int> pitchClasses) const
    {
        return ChordResultTexts(match(pitchClasses), table, names);
    }
};

} // namespace

TEST_F(Recognition, FewerThanTwoKeysOrOneRepeatedClassFindNothing)
{
    EXPECT_TRUE(match({}).isEmpty());
    EXPECT_TRUE(match({0}).isEmpty());
    EXPECT_TRUE(match({7, 7}).isEmpty()); // two keys an octave apart
    EXPECT_EQ(texts({0}), TChordResultTexts{});
}

TEST_F(Recognition, FindsEveryMatchRootByRootInTableOrder)
{
    struct Case {
        const char *what;
        std::initializer_list<int> pitchClasses;
        QList<TChordMatch> expected;
    };
    const Case cases[] = {
        {"C G", {0, 7}, {{1, 2}}},
        {"C E G", {0, 4, 7}, {{1, 1}}},
        {"C E G doubled", {0, 4, 7, 0, 7}, {{1, 1}}},
        {"C Eb Gb A", {0, 3, 6, 9}, {{1, 26}, {4, 26}, {7, 26}, {10, 26}}},
        {"C E G#", {0, 4, 8}, {{1, 4}, {1, 46}, {5, 4}, {5, 46}, {9, 4}, {9, 46}}},
        {"C Eb Gb", {0, 3, 6}, {{1, 24}, {1, 25}}},
        {"C D G", {0, 2, 7}, {{1, 47}, {8, 48}}}, // sus2 on C is sus4 on G
        {"C E G Bb Db", {0, 4, 7, 10, 1}, {{1, 28}, {1, 50}}},
        {"C C# D", {0, 1, 2}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(match(c.pitchClasses), c.expected);
    }
}

TEST_F(Recognition, EveryChordIsFoundOnEveryRootFromItsOwnMask)
{
    for (int root = 1; root <= 12; ++root)
        for (int chord = 1; chord <= 60; ++chord) {
            TPitchClassCounts counts;
            for (int k = 0; k < 12; ++k)
                counts[(root - 1 + k) % 12] = table[chord].Mask.at(k) == u'0' ? 0 : 1;
            EXPECT_TRUE(MatchChords(counts, table).contains(TChordMatch{root, chord}))
                << "root " << root << " chord " << chord;
        }
}

TEST_F(Recognition, NegativeCountsArePresentButLowerTheTotal)
{
    TPitchClassCounts counts;
    counts[0] = 3;
    counts[7] = -1;
    EXPECT_EQ(MatchChords(counts, table), (QList<TChordMatch>{{1, 2}}));

    counts[0] = -1;
    counts[4] = 1;
    counts[7] = 1; // C E G present, but the total is 1
    EXPECT_TRUE(MatchChords(counts, table).isEmpty());
}

TEST_F(Recognition, MajorChordTexts)
{
    const TChordResultTexts result = texts({0, 4, 7});
    EXPECT_EQ(result.Names, "CMajor");
    EXPECT_EQ(result.Symbols, " C CMaj");

    names = NoteNamesFor(false, true);
    table = MakeChordTable(2);
    EXPECT_EQ(texts({0, 4, 7}).Names, "Do majeur");
}

TEST_F(Recognition, SeveralMatchesAreJoinedByOr)
{
    const TChordResultTexts result = texts({0, 4, 8});
    EXPECT_EQ(result.Names, "C augmented <OR> C augmented <OR> E augmented <OR> E augmented"
                            " <OR> G# augmented <OR> G# augmented");
    EXPECT_EQ(result.Symbols, " C+5 C+ C(#5) Caug <OR>  Caug C+5 C+ C(#5)"
                              " <OR>  E+5 E+ E(#5) Eaug <OR>  Eaug E+5 E+ E(#5)"
                              " <OR>  G#+5 G#+ G#(#5) G#aug <OR>  G#aug G#+5 G#+ G#(#5)");

    names = NoteNamesFor(true, false);
    EXPECT_EQ(texts({0, 3, 6, 9}).Names, "Cdim7 <OR> Ebdim7 <OR> Gbdim7 <OR> Adim7");
}

TEST_F(Recognition, QuestionMarkPartsShowTheTriangle)
{
    const QString delta(DeltaSign);
    EXPECT_EQ(texts({0, 4, 7, 11}).Symbols, " CM7 C" + delta);
    EXPECT_EQ(texts({0, 3, 7, 11}).Symbols, " Cmin/Maj7 Cm" + delta + " Cm(addM7) Cm(+7) C-(M7)");
}

TEST_F(Recognition, SymbolPartsAreTrimmed)
{
    TChordResultTexts result;
    AddChordResult(result, "C", table[27].Name, ResultSymbols(table[27]));
    EXPECT_EQ(result.Symbols, QString::fromUtf8(" CØ C½dim CØ7 Cm7(b5)"));
}

TEST_F(Recognition, ResultSymbolsAddTheAlternativesWhenThereAreAny)
{
    EXPECT_EQ(ResultSymbols(table[1]), " | Maj");
    EXPECT_EQ(ResultSymbols(table[2]), "5");
    EXPECT_EQ(ResultSymbols(table[20]), "m7 | -7 | min7");
}

TEST(ChordResult, AppendsAtMostSixParts)
{
    TChordResultTexts result;
    AddChordResult(result, "D", " x", "a|b|c|d|e|f|g|h");
    EXPECT_EQ(result.Names, "D x");
    EXPECT_EQ(result.Symbols, " Da Db Dc Dd De Df");
}

TEST(ChordResult, TextAfterTheQuestionMarkIsDropped)
{
    TChordResultTexts result;
    AddChordResult(result, "E", "n", " M? |x?y");
    EXPECT_EQ(result.Symbols, QString(" EM") + DeltaSign + " Ex" + DeltaSign);
}

TEST(ChordResult, SeparatesFromEarlierResults)
{
    TChordResultTexts result{"A", "B"};
    AddChordResult(result, "C", "x", "");
    EXPECT_EQ(result.Names, "A <OR> Cx");
    EXPECT_EQ(result.Symbols, "B <OR>  C");
}
