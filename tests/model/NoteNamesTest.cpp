#include "model/NoteNames.h"
#include "ModelPrinters.h"

#include <gtest/gtest.h>

using namespace model;

namespace {

struct NamingCase {
    bool letters;
    bool sharps;
    const char *names[12];
};

const NamingCase namings[] = {
    {true, true, {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"}},
    {true, false, {"C", "Db", "D", "Eb", "E", "F", "Gb", "G", "Ab", "A", "Bb", "B"}},
    {false, true, {"Do", "Do#", "Ré", "Ré#", "Mi", "Fa", "Fa#", "Sol", "Sol#", "La", "La#", "Si"}},
    {false, false, {"Do", "Réb", "Ré", "Mib", "Mi", "Fa", "Solb", "Sol", "Lab", "La", "Sib", "Si"}},
};

} // namespace

TEST(NoteNames, EveryNamingGivesItsTwelveNames)
{
    for (const NamingCase &c : namings) {
        SCOPED_TRACE(testing::Message() << "letters " << c.letters << " sharps " << c.sharps);
        const TNoteNames names = NoteNamesFor(c.letters, c.sharps);
        for (int pc = 0; pc < 12; ++pc)
            EXPECT_EQ(names[pc], QString::fromUtf8(c.names[pc])) << "pitch class " << pc;
    }
}

TEST(NoteNames, TogglingSharpsRenamesOnlyTheBlackKeys)
{
    const bool black[12] = {false, true, false, true, false, false, true, false, true, false, true, false};
    for (const bool letters : {true, false}) {
        const TNoteNames sharps = NoteNamesFor(letters, true);
        const TNoteNames flats = NoteNamesFor(letters, false);
        for (int pc = 0; pc < 12; ++pc)
            EXPECT_EQ(sharps[pc] != flats[pc], black[pc]) << "letters " << letters << " pitch class " << pc;
    }
}

TEST(NoteNames, FillFollowsTheSettings)
{
    Notation = false;
    AlterationsEnDiese = false;
    FillNoteNames();
    EXPECT_EQ(NoteNames[1], QString::fromUtf8("Réb"));
    EXPECT_EQ(NoteNames[3], "Mib");

    AlterationsEnDiese = true;
    FillNoteNames();
    EXPECT_EQ(NoteNames[1], "Do#");
    EXPECT_EQ(NoteNames[3], QString::fromUtf8("Ré#"));

    Notation = true;
    FillNoteNames();
    EXPECT_EQ(NoteNames, NoteNamesFor(true, true));
}
