// The package reader on packages built by our packer, well-formed and
// damaged on purpose.
#include "skin/SkinReader.h"
#include "SkinTestSupport.h"

#include <gtest/gtest.h>

#include <QtEndian>

namespace skin {
namespace {

QByteArray Int32(int32_t v)
{
    char b[4];
    qToLittleEndian(v, b);
    return QByteArray(b, 4);
}

// A package whose archive is given byte for byte.
QByteArray RawPackage(const QByteArray &archive)
{
    return PackArchive(archive);
}

class SkinReaderTest : public testing::Test {
protected:
    test::ShownMessages shown;
    TSkinReader reader;
};

TEST_F(SkinReaderTest, ServesEntriesByNameFromOnePackage)
{
    ASSERT_TRUE(reader.LoadPackage(PackSkin({{"Skin.ini", "[Personality]\r\n"},
                                             {"Top.bmp", "top picture"},
                                             {"empty.bmp", ""},
                                             {"top.bmp", "second of the same name"},
                                             {"left.BMP", QByteArray(5000, 'L')}})));
    EXPECT_TRUE(shown.messages.isEmpty());
    EXPECT_EQ(reader.Names, QStringList({"skin.ini", "top.bmp", "empty.bmp", "top.bmp", "left.bmp"}));
    EXPECT_EQ(reader.Count, 5);
    EXPECT_EQ(reader.Header[0], 20000);
    EXPECT_EQ(reader.Sizes[4], 5000);

    QByteArray dest = "old";
    reader.ExtractEntry("TOP.Bmp", dest);
    EXPECT_EQ(dest, "top picture") << "capitals find the lower-case name; the first of two is served";
    reader.ExtractEntry("left.bmp", dest);
    EXPECT_EQ(dest, QByteArray(5000, 'L'));
    reader.ExtractEntry("empty.bmp", dest);
    EXPECT_TRUE(dest.isEmpty());
    dest = "old";
    reader.ExtractEntry("missing.bmp", dest);
    EXPECT_TRUE(dest.isEmpty());

    QString found = "unchanged";
    reader.ExtractFirstMatching(".INI", dest, found);
    EXPECT_TRUE(dest.isEmpty()) << "fragments compare as given";
    EXPECT_EQ(found, "unchanged");
    reader.ExtractFirstMatching(".ini", dest, found);
    EXPECT_EQ(dest, "[Personality]\r\n");
    EXPECT_EQ(found, "skin.ini");
    reader.ExtractFirstMatching(".bmp", dest, found);
    EXPECT_EQ(found, "top.bmp");
}

struct NameText {
    const char *name;
    QByteArray text;
    QStringList names;
};

class NameTextTest : public testing::TestWithParam<NameText> {};

TEST_P(NameTextTest, SplitsNamesAtEveryLineEnd)
{
    test::ShownMessages shown;
    TSkinReader reader;
    const NameText &c = GetParam();
    QList<QByteArray> contents;
    for (int i = 0; i < c.names.size(); ++i)
        contents.append(QByteArray(i + 1, char('0' + i)));
    ASSERT_TRUE(reader.LoadPackage(RawPackage(BuildArchive(c.text, contents))));
    EXPECT_EQ(reader.Names, c.names);
    for (int i = 0; i < c.names.size(); ++i) {
        QByteArray dest;
        reader.ExtractEntry(c.names[i], dest);
        if (c.names.indexOf(c.names[i]) == i) {
            EXPECT_EQ(dest, contents[i]) << qPrintable(c.names[i]);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    LineEnds, NameTextTest,
    testing::Values(NameText{"CR", "a.bmp\rb.bmp\r", {"a.bmp", "b.bmp"}},
                    NameText{"LF", "a.bmp\nb.bmp\n", {"a.bmp", "b.bmp"}},
                    NameText{"CRLF", "a.bmp\r\nb.bmp\r\n", {"a.bmp", "b.bmp"}},
                    NameText{"LastLineUnended", "a.bmp\r\nB.BMP", {"a.bmp", "b.bmp"}},
                    NameText{"EmptyLineInTheMiddle", "a.bmp\r\n\r\nc.bmp\r\n", {"a.bmp", "", "c.bmp"}},
                    NameText{"LfThenCrIsTwoEnds", "a.bmp\n\rc.bmp", {"a.bmp", "", "c.bmp"}},
                    // The zero ends the names; its line still counts, and the
                    // size table follows the full name text.
                    NameText{"ZeroByteEndsTheText", QByteArray("a.bmp\r\nb.bmp\0c.bmp\r\n", 20), {"a.bmp", "b.bmp"}},
                    NameText{"NoNames", "", {}}),
    [](const testing::TestParamInfo<NameText> &info) { return info.param.name; });

TEST_F(SkinReaderTest, ForeignPackagesAreRefusedWithTheOldSkinMessage)
{
    const QByteArray foreign[] = {QByteArray(4, '\0'), QByteArray(),
                                  RawPackage(BuildArchive("a.bmp\r\n", {"x"}, 19999))};
    for (const QByteArray &package : foreign) {
        shown.messages.clear();
        EXPECT_FALSE(reader.LoadPackage(package));
        EXPECT_EQ(shown.messages, QStringList({"This is Older Skin File\nPlease update to new version !"}));
        EXPECT_EQ(reader.Count, 0);
    }
}

// Headers made by hand that would send a trusting reader past its tables.
struct Damage {
    const char *name;
    QByteArray package;
    const char *fault; // a word the message must hold
};

QByteArray Header(int32_t nameLength)
{
    return Int32(20000) + Int32(nameLength) + Int32(0) + Int32(0);
}

QByteArray ManyNames(int count)
{
    QByteArray names;
    for (int i = 0; i < count; ++i)
        names += "n" + QByteArray::number(i) + ".bmp\r\n";
    return names;
}

class DamagedPackageTest : public testing::TestWithParam<Damage> {};

TEST_P(DamagedPackageTest, IsRefusedWithAMessageNamingTheFault)
{
    test::ShownMessages shown;
    TSkinReader reader;
    EXPECT_FALSE(reader.LoadPackage(GetParam().package));
    ASSERT_EQ(shown.messages.size(), 1);
    EXPECT_TRUE(shown.messages[0].contains(GetParam().fault)) << qPrintable(shown.messages[0]);
    EXPECT_EQ(reader.Count, 0);
    EXPECT_TRUE(reader.Names.isEmpty());
    EXPECT_TRUE(reader.Data.isEmpty());
}

// Read apart, on a thread that must show nothing, the same fault is kept for
// whoever takes the package to say.
TEST_P(DamagedPackageTest, IsRefusedInSilenceWhenReadApartKeepingTheFaultToSay)
{
    test::ShownMessages shown;
    TSkinReader told;
    told.LoadPackage(GetParam().package);
    ASSERT_EQ(shown.messages.size(), 1);
    TSkinReader reader;
    EXPECT_FALSE(reader.ReadPackage(GetParam().package));
    EXPECT_EQ(shown.messages.size(), 1) << "nothing more shown";
    EXPECT_EQ(reader.Fault(), shown.messages[0]);
    EXPECT_EQ(reader.Count, 0);
    EXPECT_TRUE(reader.Data.isEmpty());
    // A package that reads leaves no fault behind.
    EXPECT_TRUE(reader.ReadPackage(PackSkin({{"a.bmp", "x"}})));
    EXPECT_TRUE(reader.Fault().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Headers, DamagedPackageTest,
    testing::Values(
        Damage{"NegativeLength", Int32(-1) + QByteArray(100, 'x'), "claims"},
        Damage{"LargestLength", Int32(0x7FFFFFFF) + QByteArray(100, 'x'), "claims"},
        Damage{"LengthBeyondWhatTheStreamCarries", Int32(48 * 100 + 61) + QByteArray(100, 'x'), "claims"},
        Damage{"NegativeNameLength", RawPackage(Header(-5) + "a.bmp\r\n" + Int32(1) + "x"), "names"},
        Damage{"HugeNameLength", RawPackage(Header(0x7FFFFF00) + "a.bmp\r\n" + Int32(1) + "x"), "names"},
        Damage{"NameLengthPastTheEnd", RawPackage(Header(8) + "a.bmp\r\n"), "names"},
        Damage{"TooManyNames", RawPackage(BuildArchive(ManyNames(1002), QList<QByteArray>(1002))), "1002"},
        Damage{"SizeTablePastTheEnd", RawPackage(Header(7) + "a.bmp\r\n" + "xy"), "sizes"},
        Damage{"NegativeSize", RawPackage(Header(14) + "a.bmp\r\nb.bmp\r\n" + Int32(-1) + Int32(1) + "x"), "negative"},
        Damage{"SizeOverlong", RawPackage(Header(7) + "a.bmp\r\n" + Int32(0x7FFFFFFF) + "x"), "past"},
        Damage{"SizesAddUpPastTheEnd",
               RawPackage(Header(14) + "a.bmp\r\nb.bmp\r\n" + Int32(0x40000000) + Int32(0x40000000) + "x"), "past"}),
    [](const testing::TestParamInfo<Damage> &info) { return info.param.name; });

TEST_F(SkinReaderTest, AThousandAndOneEntriesAreAccepted)
{
    EXPECT_TRUE(reader.LoadPackage(RawPackage(BuildArchive(ManyNames(1001), QList<QByteArray>(1001, "z")))));
    EXPECT_EQ(reader.Count, 1001);
    QByteArray dest;
    reader.ExtractEntry("n1000.bmp", dest);
    EXPECT_EQ(dest, "z");
}

TEST_F(SkinReaderTest, ALoadAfterAFailureStartsClean)
{
    ASSERT_TRUE(reader.LoadPackage(PackSkin({{"a.bmp", "x"}})));
    EXPECT_FALSE(reader.LoadPackage(QByteArray(4, '\0')));
    QByteArray dest;
    reader.ExtractEntry("a.bmp", dest);
    EXPECT_TRUE(dest.isEmpty());
}

} // namespace
} // namespace skin
