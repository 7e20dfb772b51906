// The skin the build draws and packs, as the program embeds it.
#include "SkinLoading.h"
#include "SkinTestSupport.h"
#include "skin/SkinPackage.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>
#include <QRegularExpression>
#include <QtEndian>

namespace skin {
namespace {

class OurSkin : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        stream = new QByteArray(EmbeddedSkinStream());
        loaded = new test::LoadedSkin;
        test::LoadWholeSkin(test::PackageOf(*stream), *loaded);
    }
    static void TearDownTestSuite()
    {
        delete loaded;
        delete stream;
    }
    static QByteArray *stream;
    static test::LoadedSkin *loaded;
};
QByteArray *OurSkin::stream = nullptr;
test::LoadedSkin *OurSkin::loaded = nullptr;

TEST_F(OurSkin, IsStoredAsAByteCountAndThePackage)
{
    ASSERT_GT(stream->size(), 4);
    EXPECT_EQ(qFromLittleEndian<int32_t>(stream->constData()), stream->size() - 4);
    ASSERT_TRUE(loaded->loaded);
    const int32_t decoded = qFromLittleEndian<int32_t>(stream->constData() + 4);
    EXPECT_GT(decoded, 600 * 1000);
    EXPECT_LT(decoded, 800 * 1000);
    EXPECT_EQ(loaded->reader.Names.first(), "graphite.ini");
}

TEST_F(OurSkin, RepackingItsEntriesGivesTheSameBytes)
{
    QList<TSkinEntry> entries;
    for (const QString &name : loaded->reader.Names) {
        QByteArray content;
        loaded->reader.ExtractEntry(name, content);
        entries.append({name.toLatin1(), content});
    }
    EXPECT_TRUE(PackSkin(entries) == test::PackageOf(*stream));
}

TEST_F(OurSkin, EveryPictureIsATwentyFourBitBitmapTheDescriptionNames)
{
    const TSkinReader &reader = loaded->reader;
    QByteArray text;
    reader.ExtractEntry("graphite.ini", text);
    for (const QString &name : reader.Names) {
        if (!name.endsWith(".bmp"))
            continue;
        QByteArray bytes;
        reader.ExtractEntry(name, bytes);
        ASSERT_GE(bytes.size(), 54) << qPrintable(name);
        EXPECT_TRUE(bytes.startsWith("BM")) << qPrintable(name);
        EXPECT_EQ(qFromLittleEndian<uint16_t>(bytes.constData() + 28), 24) << qPrintable(name);
        EXPECT_TRUE(text.toLower().contains(name.toLatin1())) << qPrintable(name) << " is never named";
    }
}

TEST_F(OurSkin, EveryPictureLoadsAsQtsReaderReadsIt)
{
    const TSkinReader &reader = loaded->reader;
    int pictures = 0;
    for (const QString &name : reader.Names) {
        if (!name.endsWith(".bmp"))
            continue;
        QByteArray bytes;
        reader.ExtractEntry(name, bytes);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader qt(&buffer, "BMP");
        const QImage expected = qt.read();
        const QImage image = LoadSkinImage(reader, name);
        ASSERT_FALSE(expected.isNull()) << qPrintable(name);
        EXPECT_EQ(image.format(), expected.format()) << qPrintable(name);
        EXPECT_TRUE(image == expected) << qPrintable(name);
        EXPECT_EQ(image.dotsPerMeterX(), expected.dotsPerMeterX()) << qPrintable(name);
        EXPECT_EQ(image.dotsPerMeterY(), expected.dotsPerMeterY()) << qPrintable(name);
        ++pictures;
    }
    EXPECT_GT(pictures, 10);
}

TEST_F(OurSkin, FillsEveryElementWithItsFrameCount)
{
    const TSkin &s = loaded->skin;
    EXPECT_EQ(s.SkinName, "Graphite Panel");
    const struct {
        const char *name;
        const TDataSkinObject *element;
        int frames;
        bool stacked; // frames one above the other
    } elements[] = {
        {"top", s.TopBorder.get(), 2, true},
        {"bottom", s.BottomBorder.get(), 2, true},
        {"left", s.LeftBorder.get(), 2, false},
        {"right", s.RightBorder.get(), 2, false},
        {"buttons", s.ButtonData.get(), 5, false},
        {"title", s.TitleData.get(), 2, true},
        {"progress", s.Progress.get(), 2, false},
        {"menu bar", s.MenuBar.get(), 2, true},
        {"group box edge", s.GroupBoxEdge.get(), 2, false},
        {"group box", s.GroupBox.get(), 1, false},
        {"tool bars", s.Toolbars.get(), 5, false},
        {"tabs", s.Tabs.get(), 5, false},
        {"status bar", s.StatusBarEdges.get(), 3, false},
        {"combo button", s.ComboButton.get(), 4, false},
        {"sunk edge", s.SunkEdge.get(), 4, false},
        {"extra images", s.ExtraImages.get(), 5, false},
        {"header", s.Headerbar.get(), 5, false},
        {"menu item", s.MenuItem.get(), 5, false},
        {"menu background", s.MenuBackground.get(), 1, false},
        {"scroll bar", s.Scrollbar.get(), 23, false},
        {"horizontal scroll", s.HorzScroll.get(), 4, false},
        {"vertical scroll", s.VertScroll.get(), 4, false},
        {"horizontal thumb", s.HorzScrollThumb.get(), 3, false},
        {"vertical thumb", s.VertScrollThumb.get(), 3, false},
        {"thumb horz", s.TrackbarThumbHorz.get(), 5, false},
        {"thumb vert", s.TrackbarThumbVert.get(), 5, false},
        {"thumb left", s.TrackbarThumbLeft.get(), 5, false},
        {"thumb right", s.TrackbarThumbRight.get(), 5, false},
        {"thumb up", s.TrackbarThumbUp.get(), 5, false},
        {"thumb down", s.TrackbarThumbDown.get(), 5, false},
        {"up-down horz", s.UpDownHorz.get(), 8, false},
        {"up-down vert", s.UpDownVert.get(), 8, false},
    };
    for (const auto &e : elements) {
        ASSERT_NE(e.element, nullptr) << e.name;
        EXPECT_EQ(e.element->FrameCount, e.frames) << e.name;
        ASSERT_FALSE(e.element->Image.isNull()) << e.name;
        const int extent = e.stacked ? e.element->Image.height() : e.element->Image.width();
        EXPECT_EQ(extent % e.frames, 0) << e.name << " does not split into equal frames";
    }
    EXPECT_FALSE(s.Progress->Image2.isNull());
    EXPECT_FALSE(s.Tabs->Image2.isNull());
    EXPECT_FALSE(s.ComboButton->Image2.isNull());
    EXPECT_EQ(s.UpDownVert->Image2.width(), s.UpDownVert->Image.width() / 2);
    EXPECT_FALSE(s.ButtonData->CheckImage.isNull());
    EXPECT_EQ(s.ButtonData->RadioButtonFrame, 8);
    EXPECT_EQ(s.ButtonData->CheckButtonFrame, 8);
    EXPECT_TRUE(s.ButtonData->HasPressedColour2);
    EXPECT_EQ(s.TitleData->FontHeight, 15);
    EXPECT_EQ(s.TitleData->ActiveTextColor, RgbColor(150, 246, 172));
    EXPECT_EQ(s.ButtonFaceColor, RgbColor(56, 59, 64));
    EXPECT_EQ(s.Colors.size(), 3);
    EXPECT_EQ(s.TopBorder->LeftWidth, 2);
    EXPECT_EQ(s.LeftBorder->TopHeight, 30);
    EXPECT_EQ(s.TopBorder->Image.height() / 2, s.LeftBorder->TopHeight) << "the caption rows meet the side borders";

    QStringList buttons;
    for (const auto &b : s.TitleButtons)
        buttons << QStringLiteral("%1:%2:%3").arg(b->Name).arg(b->Action).arg(b->FrameCount);
    EXPECT_EQ(buttons, QStringList({"BUTTONCLOSE:0:4", "BUTTONMAX:1:4", "BUTTONRESTORE:1:4", "BUTTONMIN:2:4",
                                    "BUTTONSYSMENU:3:6", "BUTTONLAMP:-1:6", "MDICONTROLS:7:4", "MDICONTROLS:8:4",
                                    "MDICONTROLS:9:4"}));
    EXPECT_EQ(s.TitleButtons[6]->Image.size(), QSize(64, 16));
}

// Our description gives every key the loading reads at least once, so a
// reader that lost one would be caught by the tests above.
TEST_F(OurSkin, TheDescriptionGivesEveryKeyTheLoadingReads)
{
    const TQuickIni &ini = loaded->ini;
    const struct {
        const char *section;
        QStringList keys;
    } wanted[] = {
        {"TitlebarSkin", {"SkinName"}},
        {"Personality",
         {"Top",           "TopFrame",      "TopStretch",    "TopTrans",      "TopTopHeight",    "TopBotHeight",
          "Bottom",        "BottomFrame",   "BottomStretch", "BottomTrans",   "BottomTopHeight", "BottomBotHeight",
          "Left",          "LeftFrame",     "LeftStretch",   "LeftTrans",     "LeftTopHeight",   "LeftBotHeight",
          "Right",         "RightFrame",    "RightStretch",  "RightTrans",    "RightTopHeight",  "RightBotHeight",
          "TextBack",      "TextShift",     "TextShiftVert", "TextRightClip", "TextAlignment",   "Textbackground",
          "TXTBackleft",   "TXTBackRight",  "ActiveTextR",   "ActiveTextG",   "ActiveTextB",     "InActiveTextR",
          "InActiveTextG", "InActiveTextB", "menuBar",       "TileMenu",      "TileLeftMenu",    "TileRightMenu"}},
        {"Fonts", {"FontHeight"}},
        {"Colours",
         {"WindowText", "ButtonFace", "Scrollbar", "HilightText", "Hilight", "Menubar", "Menu", "MenuText",
          "ButtonText", "ButtonHilight", "Buttonlight", "ButtonShadow", "ButtonDkShadow", "MenuBarText",
          "TitleTextActive", "TitleTextNoActive"}},
        {"Colour1", {"color"}},
        {"Customcolors",
         {"Color0", "Color1", "Color2", "Color3", "Color4", "Color5", "Color6", "Color7", "Color8", "Color9"}},
        {"ButtonClose", {"Action", "Align", "Xcoord", "Ycoord", "frame", "ButtonImage", "Visibility", "CombineOp"}},
        {"ButtonLamp", {"Visibility1"}},
        {"MDICONTROLS", {"Image"}},
        {"Buttons",
         {"Bitmap", "LeftWidth", "RightWidth", "TopHeight", "BottomHeight", "Trans", "Tile", "NormalColour",
          "MouseOverColour", "PressedColour", "NormalColour2", "MouseOverColour2", "PressedColour2", "CheckButton",
          "RadioButton", "RadioButtonFrame", "CheckButtonFrame"}},
        {"Progress",
         {"Bitmap", "Chunk", "Style", "LeftWidth", "RightWidth", "TopHeight", "BottomHeight", "Trans", "Tile"}},
        {"GroupBox", {"Image", "NormalColour2", "BackgroundAlignment", "BackgroundLeftShift", "BackgroundRightShift"}},
        {"Tabs", {"Image", "Border", "MouseOverColour2"}},
        {"MenuItem", {"Style"}},
        {"HorzScrollThumb", {"FrameCount"}},
        {"UpDown.Horz", {"GlyphImage"}},
    };
    for (const auto &w : wanted)
        for (const QString &key : w.keys)
            EXPECT_FALSE(ini.ReadString(w.section, key, QString()).isEmpty()) << w.section << "/" << qPrintable(key);
    for (const char *section : {"GroupBoxEdge", "Toolbars", "StatusBarEdges", "ComboButton", "SunkEdge", "ExtraImages",
                                "Headerbar", "MenuBackground", "Scrollbar", "HorzScroll", "VertScroll",
                                "VertScrollThumb", "Trackbar.ThumbHorz", "Trackbar.ThumbVert", "Trackbar.ThumbLeft",
                                "Trackbar.ThumbRight", "Trackbar.ThumbUp", "Trackbar.ThumbDown", "UpDown.Vert"})
        EXPECT_GE(ini.SectionIndex(section), 0) << section;
}

TEST_F(OurSkin, MagentaMarksTheRoundedCorners)
{
    const QImage &left = loaded->skin.LeftBorder->Image;
    EXPECT_EQ(left.pixel(0, 0) & RGB_MASK, 0xFF00FFu);
    EXPECT_EQ(left.pixel(0, left.height() - 1) & RGB_MASK, 0xFF00FFu);
    EXPECT_NE(left.pixel(5, 15) & RGB_MASK, 0xFF00FFu);
}

TEST(MenuGlyphs, FourSixteenPixelGlyphsOnWhite)
{
    const QImage strip = MenuGlyphStrip();
    ASSERT_EQ(strip.size(), QSize(64, 16));
    for (int g = 0; g < 4; ++g) {
        EXPECT_EQ(strip.pixel(16 * g, 0) & RGB_MASK, 0xFFFFFFu);
        int ink = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                ink += (strip.pixel(16 * g + x, y) & RGB_MASK) != 0xFFFFFFu;
        EXPECT_GT(ink, 10) << "glyph " << g;
    }
}

// The system menu shows the glyphs in the column its background keeps for
// them: every glyph must stand out from that column, not merely differ from
// white.
TEST_F(OurSkin, TheSystemMenuGlyphsStandOutFromTheMenusGlyphColumn)
{
    ASSERT_TRUE(loaded->skin.MenuBackground);
    const QImage &background = loaded->skin.MenuBackground->Image;
    const int column = loaded->skin.MenuBackground->LeftWidth;
    ASSERT_GT(column, 16);
    // The column's colour, grain and all, as its mean grey.
    double sum = 0;
    int count = 0;
    for (int y = 2; y < background.height() - 2; ++y)
        for (int x = 2; x < column - 4; ++x, ++count)
            sum += qGray(background.pixel(x, y));
    const double columnGrey = sum / count;
    const QImage strip = MenuGlyphStrip();
    for (int g = 0; g < 4; ++g) {
        int standingOut = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const QRgb ink = strip.pixel(16 * g + x, y);
                if ((ink & RGB_MASK) != 0xFFFFFFu && std::abs(qGray(ink) - columnGrey) > 100)
                    ++standingOut;
            }
        EXPECT_GT(standingOut, 10) << "glyph " << g << " on a column of grey " << columnGrey;
    }
}

} // namespace
} // namespace skin
