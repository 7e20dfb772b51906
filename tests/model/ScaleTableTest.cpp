#include "model/ScaleTable.h"
#include "ModelPrinters.h"

#include <gtest/gtest.h>

#include <vector>

using namespace model;

TEST(ScaleTable, EveryScaleClimbsExactlyOneOctave)
{
    const TScaleTable table = MakeScaleTable(1);
    for (int i = 1; i <= 16; ++i) {
        SCOPED_TRACE(i);
        const QString &steps = table[i].Steps;
        EXPECT_GE(steps.size(), 5);
        EXPECT_LE(steps.size(), 7);
        int sum = 0;
        for (const QChar step : steps) {
            EXPECT_TRUE(step >= u'1' && step <= u'3') << int(step.unicode());
            sum += step.digitValue();
        }
        EXPECT_EQ(sum, 12);
    }
}

TEST(ScaleTable, NamesFollowTheLanguageAtBuildTime)
{
    struct Case {
        int language;
        int row;
        const char *name;
    };
    const Case cases[] = {
        {1, 1, "Major"},
        {2, 1, "Majeure"},
        {3, 1, "Majeure"},
        {1, 6, "Pentatonic  minor"},
        {2, 4, "Mineure Mélodique"},
        {1, 16, "Diatonic"},
        {2, 16, "Diatonique"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Language = c.language;
        BuildScaleTable();
        EXPECT_EQ(ScaleTable[c.row].Name, QString::fromUtf8(c.name));
    }
}

class ScaleSpelling : public testing::Test {
protected:
    void SetUp() override
    {
        Language = 1;
        BuildScaleTable();
    }

    static std::vector<int> keys(const TScaleSpelling &spelling)
    {
        std::vector<int> result;
        for (int slot = 1; slot <= 13; ++slot)
            result.push_back(spelling.Notes[slot].Note);
        return result;
    }
};

TEST_F(ScaleSpelling, LaysTheStepsOutFromTheRootInAllSlots)
{
    struct Case {
        int root;
        int scale;
        std::vector<int> allSlots; // all 13
    };
    const Case cases[] = {
        {1, 1, {13, 15, 17, 18, 20, 22, 24, 25, 0, 0, 0, 0, 0}},  // C major
        {12, 2, {24, 26, 27, 29, 31, 32, 34, 36, 0, 0, 0, 0, 0}}, // B minor: the highest key a scale reaches
        {1, 5, {13, 15, 17, 20, 22, 25, 0, 0, 0, 0, 0, 0, 0}},    // five steps fill six slots
        {10, 7, {22, 25, 27, 28, 29, 32, 34, 0, 0, 0, 0, 0, 0}},  // six steps fill seven slots
        {3, 12, {15, 16, 18, 20, 22, 23, 25, 27, 0, 0, 0, 0, 0}}, // D phrygian
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "root " << c.root << " scale " << c.scale);
        const auto spelling = SpellScale(c.root, c.scale, 2, "X");
        ASSERT_TRUE(spelling.has_value());
        EXPECT_EQ(keys(*spelling), c.allSlots);
    }
}

TEST_F(ScaleSpelling, SevenStepScalesOnBEndOnKey36)
{
    for (int scale = 1; scale <= 16; ++scale) {
        if (ScaleTable[scale].Steps.size() != 7)
            continue;
        SCOPED_TRACE(scale);
        const auto spelling = SpellScale(12, scale, 2, "B");
        ASSERT_TRUE(spelling.has_value());
        EXPECT_EQ(spelling->Notes[8].Note, 36);
    }
}

TEST_F(ScaleSpelling, BuildsOnTheGivenOctave)
{
    const auto spelling = SpellScale(1, 1, 3, "C");
    ASSERT_TRUE(spelling.has_value());
    EXPECT_EQ(spelling->Notes[1].Note, 25);
    EXPECT_EQ(spelling->Notes[8].Note, 37);
}

TEST_F(ScaleSpelling, LabelIsTheRootNameABlankAndTheName)
{
    EXPECT_EQ(SpellScale(1, 1, 2, "C")->Label, "C Major");
    EXPECT_EQ(SpellScale(10, 6, 2, "A")->Label, "A Pentatonic  minor");

    Language = 2;
    BuildScaleTable();
    EXPECT_EQ(SpellScale(1, 1, 2, "Do")->Label, "Do Majeure");
    EXPECT_EQ(SpellScale(3, 4, 2, QString::fromUtf8("Ré"))->Label, QString::fromUtf8("Ré Mineure Mélodique"));
}

TEST_F(ScaleSpelling, NothingSelectedSpellsNothing)
{
    EXPECT_FALSE(SpellScale(1, 0, 2, "C").has_value());
    EXPECT_FALSE(SpellScale(1, -1, 2, "C").has_value());
    EXPECT_FALSE(SpellScale(1, 17, 2, "C").has_value());
}
