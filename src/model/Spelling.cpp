#include "model/Spelling.h"

#include <QStringList>

#include <array>
#include <vector>

namespace model {

namespace {

// The note roles in rising order for every chord the table holds, so the last
// one present is the chord's highest note.
enum Role { Root, Sus2, Third, Sus4, Fifth, Sixth, Seventh, Ninth, Eleventh, Thirteenth, RoleCount };

constexpr std::array<int, RoleCount> SlotOfRole = {1, 2, 3, 4, 5, 6, 7, 9, 11, 13};

struct Step {
    Role role;
    int offset; // semitones above the root
};

// One symbol test. Every test is tried, in order; a later match replaces the
// caption and overwrites the roles it names, keeping the others.
struct SymbolTest {
    QStringList symbols;
    std::vector<Step> steps;
    QStringList suffixes; // each follows the root name; joined by ", "
};

const std::vector<SymbolTest> &symbolTests()
{
    static const std::vector<SymbolTest> tests = {
        {{""}, {{Third, 4}, {Fifth, 7}}, {"", "Major", "M"}},
        {{"5"}, {{Fifth, 7}}, {"5", " Power Chord"}},
        {{"-5"}, {{Third, 4}, {Fifth, 6}}, {"-5", "(b5)", " flattened 5th"}},
        {{"6"}, {{Third, 4}, {Fifth, 7}, {Sixth, 9}}, {"6", "Maj6", "M6"}},
        {{"6/9"}, {{Third, 4}, {Fifth, 7}, {Sixth, 9}, {Ninth, 14}}, {"6add9", "6(add9)", "Maj6(add9)", "M6(add9)"}},
        {{"7"}, {{Third, 4}, {Fifth, 7}, {Seventh, 10}}, {"7", " dominant seventh", "dom"}},
        {{"add9"}, {{Third, 4}, {Fifth, 7}, {Ninth, 14}}, {" added 9th"}},
        {{"M7"}, {{Third, 4}, {Fifth, 7}, {Seventh, 11}}, {QString(DeltaSign), "Maj7", "M7"}},
        {{"M7+5"}, {{Third, 4}, {Fifth, 8}, {Seventh, 11}}, {"M7+5", "Maj7#5", "Maj7+5"}},
        {{"M7 add9"}, {{Third, 4}, {Fifth, 7}, {Seventh, 11}, {Ninth, 14}}, {"Maj9", "Maj7(add9)", "M7(add9)"}},
        {{"M11"},
         {{Third, 4}, {Fifth, 7}, {Seventh, 11}, {Ninth, 14}, {Eleventh, 17}},
         {"Maj11", "Maj7(add11)", "M7(add11)"}},
        {{"M13"},
         {{Third, 4}, {Fifth, 7}, {Seventh, 11}, {Ninth, 14}, {Eleventh, 17}, {Thirteenth, 21}},
         {"maj13", "Maj7(add13)", "M7(add13)"}},
        {{"m"}, {{Third, 3}, {Fifth, 7}}, {"m", "min", "minor", "-"}},
        {{"m6"}, {{Third, 3}, {Fifth, 7}, {Sixth, 9}}, {"m6", "minor6", "min6"}},
        {{"m6/9"}, {{Third, 3}, {Fifth, 7}, {Sixth, 9}, {Ninth, 14}}, {"m6/9"}},
        {{"min/Maj7"},
         {{Third, 3}, {Fifth, 7}, {Seventh, 11}},
         {"m" + QString(DeltaSign), "mMaj7", "min/Maj7", "m(addM7)", "m(+7)", "-(M7)"}},
        {{"min/Maj9"},
         {{Third, 3}, {Fifth, 7}, {Seventh, 11}, {Ninth, 14}},
         {"mMaj9", "min/Maj9", "mM9", "m(addM9)", "m(+9)", "-(M9)"}},
        {{"m add9"}, {{Third, 3}, {Fifth, 7}, {Ninth, 14}}, {"madd9", "minor(add9)", "-(add9)"}},
        {{"m7"}, {{Third, 3}, {Fifth, 7}, {Seventh, 10}}, {"m7", "minor7", "min7", "-7"}},
        {{"m9"}, {{Third, 3}, {Fifth, 7}, {Seventh, 10}, {Ninth, 14}}, {"m9", "minor9", "min9", "-9"}},
        {{"m11"},
         {{Third, 3}, {Fifth, 7}, {Seventh, 10}, {Ninth, 14}, {Eleventh, 17}},
         {"m11", "minor11", "min11", "-11"}},
        {{"m13"},
         {{Third, 3}, {Fifth, 7}, {Seventh, 10}, {Ninth, 14}, {Eleventh, 17}, {Thirteenth, 21}},
         {"m13", "minor13", "min13", "-13"}},
        {{"m-5"}, {{Third, 3}, {Fifth, 6}}, {"m-5", "m(b5)"}},
        {{"dim"}, {{Third, 3}, {Fifth, 6}}, {"dim", "°"}},
        {{"dim7"}, {{Third, 3}, {Fifth, 6}, {Seventh, 9}}, {"dim7", "°7"}},
        {{"Ø"}, {{Third, 3}, {Fifth, 6}, {Seventh, 10}}, {"Ø", "Ø7", "m7-5", "½dim", "½dim7", "m(b7)", "minor7b5"}},
        {{"7-5"}, {{Third, 4}, {Fifth, 6}, {Seventh, 10}}, {"7-5", "7b5"}},
        {{"7+5"}, {{Third, 4}, {Fifth, 8}, {Seventh, 10}}, {"7+5", "7+", "7#5"}},
        {{"7-9", "-9"}, {{Third, 4}, {Fifth, 7}, {Seventh, 10}, {Ninth, 13}}, {"7-9", "7b9", "7(add b9)"}},
        {{"7+9"}, {{Third, 4}, {Fifth, 7}, {Seventh, 10}, {Ninth, 15}}, {"7+9", "7(add#9)"}},
        {{"7/6"}, {{Third, 4}, {Fifth, 7}, {Sixth, 9}, {Seventh, 10}}, {"7/6", "7 added 6th"}},
        {{"9"}, {{Third, 4}, {Fifth, 7}, {Seventh, 10}, {Ninth, 14}}, {"9", "7(add9)"}},
        {{"9-5"}, {{Third, 4}, {Fifth, 6}, {Seventh, 10}, {Ninth, 14}}, {"9-5", "9b5"}},
        {{"9+5"}, {{Third, 4}, {Fifth, 8}, {Seventh, 10}, {Ninth, 14}}, {"9+5", "9#5"}},
        {{"add9"}, {{Third, 4}, {Fifth, 7}, {Ninth, 14}}, {"add9", " added 9th"}},
        {{"9/6"}, {{Third, 4}, {Fifth, 7}, {Sixth, 9}, {Seventh, 10}, {Ninth, 14}}, {"9/6", "9 added 6th"}},
        {{"9+11"},
         {{Third, 4}, {Fifth, 7}, {Seventh, 10}, {Ninth, 14}, {Eleventh, 18}},
         {"9+11", "9aug11", " ninth augmented 11th"}},
        {{"11"}, {{Third, 4}, {Fifth, 7}, {Seventh, 10}, {Ninth, 14}, {Eleventh, 17}}, {"11", "7(add11)"}},
        {{"11-9"},
         {{Third, 4}, {Fifth, 7}, {Seventh, 10}, {Ninth, 13}, {Eleventh, 17}},
         {"11-9", "11(b9)", "11(flattened 9th)"}},
        {{"13"},
         {{Third, 4}, {Fifth, 7}, {Seventh, 10}, {Ninth, 14}, {Eleventh, 17}, {Thirteenth, 21}},
         {"13", "7(add13)"}},
        {{"13-9"},
         {{Third, 4}, {Fifth, 7}, {Seventh, 10}, {Ninth, 13}, {Eleventh, 17}, {Thirteenth, 21}},
         {"13-9", "13b9"}},
        {{"13-9-5"},
         {{Third, 4}, {Fifth, 6}, {Seventh, 10}, {Ninth, 13}, {Eleventh, 17}, {Thirteenth, 21}},
         {"13-9-5", "13b9b5"}},
        {{"13-9+11"},
         {{Third, 4}, {Fifth, 7}, {Seventh, 10}, {Ninth, 13}, {Eleventh, 18}, {Thirteenth, 21}},
         {"13-9+11", "13b9#11"}},
        {{"13+11"},
         {{Third, 4}, {Fifth, 7}, {Seventh, 10}, {Ninth, 14}, {Eleventh, 18}, {Thirteenth, 21}},
         {"13+11", "13 augmented 11th"}},
        {{"7/13"}, {{Third, 4}, {Fifth, 7}, {Seventh, 10}, {Thirteenth, 21}}, {"7/13", "7/6"}},
        {{"aug"}, {{Third, 4}, {Fifth, 8}}, {"aug", "+", "+5", "(#5)", "augmented"}},
        {{"sus2"}, {{Sus2, 2}, {Fifth, 7}}, {"Sus2"}},
        {{"sus4"}, {{Sus4, 5}, {Fifth, 7}}, {"Sus4"}},
        {{"7sus4"}, {{Sus4, 5}, {Fifth, 7}, {Seventh, 10}}, {"7sus4", "7sus", "7sus11"}},
        {{"-9"}, {{Third, 4}, {Fifth, 7}, {Seventh, 10}, {Ninth, 13}}, {"-9", "b9", " flattened 9th"}},
        {{"-9+5"},
         {{Third, 4}, {Fifth, 8}, {Seventh, 10}, {Ninth, 13}},
         {"-9+5", "b9#5", " flattened 9th augmented 5th"}},
        {{"-9+11"},
         {{Third, 4}, {Fifth, 7}, {Seventh, 10}, {Ninth, 13}, {Eleventh, 18}},
         {"-9+11", "b9#11", " flattened 9th augmented 11th"}},
        {{"-9-5"},
         {{Third, 4}, {Fifth, 6}, {Seventh, 10}, {Ninth, 13}},
         {"-9-5", "b9b5", " flattened 9th flattened 5th"}},
        {{"+5"}, {{Third, 4}, {Fifth, 8}}, {"+5", "aug5", " augmented 5th"}},
        {{"+9"}, {{Third, 4}, {Fifth, 7}, {Seventh, 10}, {Ninth, 15}}, {"+9", "aug9", " augmented 9th"}},
        {{"+11"},
         {{Third, 4}, {Fifth, 7}, {Seventh, 10}, {Ninth, 14}, {Eleventh, 18}},
         {"+11", "aug11", " augmented 11th"}},
        {{"6sus4"}, {{Sus4, 5}, {Fifth, 7}, {Sixth, 9}}, {"6sus4", "6sus"}},
        {{"6sus4 add9"}, {{Sus4, 5}, {Fifth, 7}, {Sixth, 9}, {Ninth, 14}}, {"6sus4add9"}},
        {{"9sus4"}, {{Sus4, 5}, {Fifth, 7}, {Seventh, 10}, {Ninth, 14}}, {"9sus4"}},
        {{"M7sus4"}, {{Sus4, 5}, {Fifth, 7}, {Seventh, 11}}, {"M7 sus4"}},
        {{"M9sus4"}, {{Sus4, 5}, {Fifth, 7}, {Seventh, 11}, {Ninth, 14}}, {"M9 sus4"}},
    };
    return tests;
}

QString captionOf(const QString &rootName, const QStringList &suffixes)
{
    QStringList spellings;
    for (const QString &suffix : suffixes)
        spellings << rootName + suffix;
    return spellings.join(QStringLiteral(", "));
}

using Roles = std::array<int, RoleCount>;

int topNote(const Roles &roles)
{
    for (int r = Thirteenth; r >= Sus2; --r)
        if (roles[r] != 0)
            return roles[r];
    return roles[Root];
}

// The root and sus2 stay where they are: only notes from the third up move.
void invert(Roles &roles, int inversion)
{
    const int top = topNote(roles);
    if (inversion == -1 || inversion == -2) {
        for (int r = Third; r <= Thirteenth; ++r)
            if (roles[r] == top)
                roles[r] -= 12;
    } else if (inversion == 1) {
        for (int r = Third; r <= Thirteenth; ++r)
            if (roles[r] == top) {
                roles[Root] += 12;
                break;
            }
    }
}

} // namespace

TChordSpelling SpellChord(const QString &rootName, const QString &symbol, int root, int inversion)
{
    Octave = 2;
    const int base = (Octave - 1) * 12 + root;

    Roles roles{};
    roles[Root] = base;
    TChordSpelling spelling;
    for (const SymbolTest &test : symbolTests()) {
        if (!test.symbols.contains(symbol))
            continue;
        for (const Step &step : test.steps)
            roles[step.role] = base + step.offset;
        spelling.Caption = captionOf(rootName, test.suffixes);
    }

    invert(roles, inversion);

    for (int r = Root; r < RoleCount; ++r) {
        if (roles[r] == 0)
            continue;
        spelling.Notes[SlotOfRole[r]].Note = roles[r];
        spelling.KeyOrder << roles[r];
    }
    return spelling;
}

QString PatternChordLabel(const QString &caption)
{
    const qsizetype comma = caption.indexOf(u',');
    return comma < 0 ? caption : caption.left(comma);
}

} // namespace model
