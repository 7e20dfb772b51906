// The description parser on small descriptions.
#include "skin/QuickIni.h"

#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <QBuffer>

namespace skin {
namespace {

TQuickIni Parse(const QByteArray &text)
{
    QByteArray copy = text;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    TQuickIni ini;
    ini.LoadFromStream(&buffer);
    return ini;
}

const QByteArray Description = "; a skin for tests\r\n"
                               "\r\n"
                               "  [Buttons]  \r\n"
                               "Tile = 1\n"
                               "  ; indented comment=9\r"
                               "LeftWidth=\r\n"
                               "leftwidth=7\r\n"
                               "no equals sign\r\n"
                               "Bitmap= a=b.bmp \r\n"
                               "[BUTTONS]\r\n"
                               "Tile=2\r\n"
                               "[ Buttons ]\r\n"
                               "Tile=3\r\n"
                               "[Numbers]\r\n"
                               "Hex=0x1F\r\n"
                               "Dollar=$ff000008\r\n"
                               "Bare=0x\r\n"
                               "Letters=12ab\r\n"
                               "Negative=-42\r\n"
                               "TooBig=2147483648\r\n"
                               "Lowest=-2147483648\r\n"
                               "Caf\xe9=\x80 5\r\n";

TEST(QuickIni, KeepsTrimmedLinesAndSectionHeaders)
{
    const TQuickIni ini = Parse(Description);
    EXPECT_EQ(ini.Lines.first(), "[Buttons]");
    EXPECT_EQ(ini.Sections, QStringList({"[Buttons]", "[BUTTONS]", "[ Buttons ]", "[Numbers]"}));
    EXPECT_EQ(ini.SectionLines.first(), 0);
    EXPECT_FALSE(ini.Lines.contains("; indented comment=9"));
    EXPECT_EQ(ini.SectionIndex("bUTTONS"), 0);
    EXPECT_EQ(ini.SectionIndex(" Buttons "), ini.SectionLines[2]);
    EXPECT_EQ(ini.SectionIndex("Missing"), -1);
}

struct Lookup {
    const char *section;
    const char *key;
    const char *expected; // with the default "dflt"
};

TEST(QuickIni, ReadStringFollowsTheFirstSectionAndTheFirstKey)
{
    const TQuickIni ini = Parse(Description);
    const Lookup cases[] = {
        {"Buttons", "TILE", "1"},         // blanks around "=" and any case
        {"buttons", "tile", "1"},         // the repeated header in capitals is never seen
        {" Buttons ", "Tile", "3"},       // blanks inside brackets name another section
        {"Buttons", "LeftWidth", "dflt"}, // an empty value ends the search
        {"Buttons", "Bitmap", "a=b.bmp"}, // split at the first "="
        {"Buttons", "indented comment", "dflt"},
        {"Buttons", "no equals sign", "dflt"},
        {"Buttons", "", "dflt"},
        {"Numbers", "Tile", "dflt"},
        {"Nowhere", "Tile", "dflt"},
        {"Numbers", "caf\xc3\xa9", "\xe2\x82\xac 5"}, // code page 1252
    };
    for (const Lookup &c : cases) {
        EXPECT_EQ(ini.ReadString(QString::fromUtf8(c.section), QString::fromUtf8(c.key), "dflt"),
                  QString::fromUtf8(c.expected))
            << c.section << "/" << c.key;
    }
}

TEST(QuickIni, ReadIntegerTakesDecimalAndHexadecimal)
{
    const TQuickIni ini = Parse(Description);
    const std::pair<const char *, int> cases[] = {
        {"Hex", 31},    {"Dollar", int(0xFF000008u)}, {"Bare", -9},    {"Letters", -9}, {"Negative", -42},
        {"TooBig", -9}, {"Lowest", INT32_MIN},        {"Missing", -9},
    };
    for (const auto &[key, expected] : cases)
        EXPECT_EQ(ini.ReadInteger("Numbers", key, -9), expected) << key;
    EXPECT_EQ(ini.ReadInteger("Buttons", "Tile", -9), 1);
}

TEST(QuickIni, LineEndsAndTheZeroByte)
{
    static const char text[] = "[A]\rk1=1\nk2=2\r\nk3=3\n\rk4=4\0[B]\r\nk5=5\r\n";
    const TQuickIni ini = Parse(QByteArray(text, sizeof text - 1)); // all of it, the zero byte within too
    EXPECT_EQ(ini.Lines, QStringList({"[A]", "k1=1", "k2=2", "k3=3", "k4=4"}));
    EXPECT_EQ(ini.ReadString("A", "k4", ""), "4");
    EXPECT_EQ(ini.SectionIndex("B"), -1) << "text after a zero byte is ignored";
}

TEST(QuickIni, ReadSectionsGivesBareNamesInTextOrder)
{
    const TQuickIni ini = Parse(Description);
    QStringList names = {"stale"};
    ini.ReadSections(&names);
    EXPECT_EQ(names, QStringList({"Buttons", "BUTTONS", "Buttons", "Numbers"}));
    EXPECT_THROW(ini.ReadSections(nullptr), platform::Exception);
}

TEST(QuickIni, ReloadingReplacesAndNoStreamChangesNothing)
{
    TQuickIni ini = Parse(Description);
    ini.LoadFromStream(nullptr);
    EXPECT_EQ(ini.Sections.size(), 4);
    QByteArray other = "[Other]\r\nx=1";
    QBuffer buffer(&other);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(9); // reads from the stream's position on
    ini.LoadFromStream(&buffer);
    EXPECT_EQ(ini.Lines, QStringList({"x=1"}));
    EXPECT_TRUE(ini.Sections.isEmpty());
    EXPECT_EQ(ini.ReadString("Other", "x", "d"), "d");
}

} // namespace
} // namespace skin
