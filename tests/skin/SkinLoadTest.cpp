// Loading skin elements from small descriptions and pictures made here.
#include "SkinTestSupport.h"
#include "skin/QuickIni.h"
#include "skin/Skin.h"
#include "skin/SkinReader.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <iterator>

namespace skin {
namespace {

// A 24-bit Windows bitmap file of the given size, striped so a copy of the
// wrong part shows.
QByteArray Bmp(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y)
            image.setPixel(x, y, qRgb(x * 7 % 256, y * 11 % 256, 99));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

// Packs the description with the pictures, reads the package back and
// loads a skin from it.
class SkinLoad : public testing::Test {
protected:
    void Load(const QByteArray &description, QList<TSkinEntry> pictures = {})
    {
        pictures.prepend({"skin.ini", description});
        ASSERT_TRUE(reader.LoadPackage(PackSkin(pictures)));
        QByteArray text;
        QString found;
        reader.ExtractFirstMatching(".ini", text, found);
        QBuffer buffer(&text);
        buffer.open(QIODevice::ReadOnly);
        ini.LoadFromStream(&buffer);
        skin.LoadSkinElements(ini, reader);
    }

    test::ShownMessages shown;
    TSkinReader reader;
    TQuickIni ini;
    TSkin skin;
};

TEST_F(SkinLoad, AnEmptyDescriptionGivesTheDefaults)
{
    Load("");
    EXPECT_EQ(skin.SkinName, "");
    for (auto *b : {skin.LeftBorder.get(), skin.RightBorder.get(), skin.TopBorder.get(), skin.BottomBorder.get()}) {
        EXPECT_TRUE(b->Image.isNull());
        EXPECT_EQ(b->FrameCount, 1);
        EXPECT_EQ(b->Tile, 1);
        EXPECT_EQ(b->Trans, 1);
    }
    EXPECT_EQ(skin.WindowTextColor, SystemColor(8));
    EXPECT_EQ(skin.ButtonFaceColor, SystemColor(15));
    EXPECT_EQ(skin.MenubarColor, SystemColor(15));
    EXPECT_EQ(skin.ButtonDkShadowColor, SystemColor(21));
    EXPECT_EQ(skin.TitleTextNoActiveColor, SystemColor(19));
    EXPECT_TRUE(skin.Colors.isEmpty());
    EXPECT_EQ(skin.CustomColors[9], 0xFFFFFFu);
    ASSERT_EQ(skin.TitleButtons.size(), 3u) << "only the child window's three buttons";
    EXPECT_EQ(skin.TitleButtons[0]->Action, 7);
    EXPECT_EQ(skin.TitleButtons[2]->FrameCount, 4);
    EXPECT_EQ(skin.ButtonData->FrameCount, 5);
    EXPECT_EQ(skin.ButtonData->NormalColour, -1);
    EXPECT_EQ(skin.ButtonData->NormalColour2, SystemColor(18));
    EXPECT_EQ(skin.ButtonData->RadioButtonFrame, 4);
    EXPECT_EQ(skin.TitleData->FontHeight, 14);
    EXPECT_EQ(skin.TitleData->ActiveTextColor, NoColor);
    EXPECT_EQ(skin.TitleData->FrameCount, 2);
    for (const void *optional :
         {(const void *)skin.Progress.get(), (const void *)skin.MenuBar.get(), (const void *)skin.GroupBox.get(),
          (const void *)skin.Tabs.get(), (const void *)skin.ComboButton.get(), (const void *)skin.Scrollbar.get(),
          (const void *)skin.TrackbarThumbDown.get(), (const void *)skin.UpDownVert.get()})
        EXPECT_EQ(optional, nullptr);
    EXPECT_EQ(skin.FaceBrush.style(), Qt::SolidPattern);
}

TEST_F(SkinLoad, ImageValuesNameEntriesByTheirFileName)
{
    Load("[Personality]\r\n"
         "Top=C:\\Skins\\Panel\\TOP.bmp\r\n"
         "Bottom=top.BMP\r\n"
         "Left=D:left.bmp\r\n"
         "Right=nothing-here.bmp\r\n"
         "TextBack=broken.bmp\r\n",
         {{"top.bmp", Bmp(30, 8)}, {"left.bmp", Bmp(4, 20)}, {"broken.bmp", Bmp(8, 8).left(30)}});
    EXPECT_EQ(skin.TopBorder->Image.size(), QSize(30, 8)) << "a folder and capitals in front";
    EXPECT_TRUE(skin.BottomBorder->Image.isNull()) << "the extension must be lower case";
    EXPECT_EQ(skin.LeftBorder->Image.size(), QSize(4, 20));
    EXPECT_TRUE(skin.RightBorder->Image.isNull());
    EXPECT_TRUE(skin.TitleData->Image.isNull()) << "a damaged picture is empty";
    EXPECT_TRUE(shown.messages.isEmpty());
}

// What Qt's own reader makes of a bitmap file.
QImage QtRead(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "BMP");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QByteArray Saved(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

QByteArray WithInt(QByteArray bytes, int at, int32_t value)
{
    qToLittleEndian(value, bytes.data() + at);
    return bytes;
}

TEST_F(SkinLoad, PicturesComeOutAsQtsReaderGivesThem)
{
    QImage resolved(5, 3, QImage::Format_RGB888);
    resolved.fill(qRgb(1, 2, 3));
    resolved.setDotsPerMeterX(3780);
    resolved.setDotsPerMeterY(2000);
    QImage indexed(7, 4, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(10, 20, 30), qRgb(200, 100, 0)});
    for (int y = 0; y < indexed.height(); ++y)
        for (int x = 0; x < indexed.width(); ++x)
            indexed.setPixel(x, y, uint((x + y) % 2));
    QImage alpha(6, 5, QImage::Format_ARGB32);
    alpha.fill(qRgba(40, 50, 60, 128));
    const struct {
        const char *what;
        QByteArray bytes;
        bool complete = true; // Qt leaves the rows a short file lacks unset
    } cases[] = {
        {"one pixel", Bmp(1, 1)},
        {"a row of two pixels", Bmp(2, 3)},
        {"a row of three pixels", Bmp(3, 2)},
        {"a row of five pixels", Bmp(5, 7)},
        {"rows needing no padding", Bmp(4, 9)},
        {"a large strip", Bmp(301, 40)},
        {"a resolution in the header", Saved(resolved)},
        {"a palette", Saved(indexed)},
        {"an alpha channel", Saved(alpha)},
        {"missing its last row", Bmp(5, 4).chopped(16), false},
        {"pixels further on", WithInt(Bmp(5, 4), 10, 58) + QByteArray(4, 'x')},
        {"run-length compressed", WithInt(Bmp(5, 4), 30, 1)},
        {"a zero width", WithInt(Bmp(5, 4), 18, 0)},
    };
    QList<TSkinEntry> pictures;
    for (int i = 0; i < int(std::size(cases)); ++i)
        pictures.append({QByteArray("p") + QByteArray::number(i) + ".bmp", cases[i].bytes});
    Load("[Personality]\r\n", pictures);
    for (int i = 0; i < int(std::size(cases)); ++i) {
        const QImage expected = QtRead(cases[i].bytes);
        const QImage image = LoadSkinImage(reader, QStringLiteral("p%1.bmp").arg(i));
        EXPECT_EQ(image.format(), expected.format()) << cases[i].what;
        EXPECT_EQ(image.size(), expected.size()) << cases[i].what;
        EXPECT_TRUE(!cases[i].complete || image == expected) << cases[i].what;
        EXPECT_EQ(image.dotsPerMeterX(), expected.dotsPerMeterX()) << cases[i].what;
        EXPECT_EQ(image.dotsPerMeterY(), expected.dotsPerMeterY()) << cases[i].what;
    }
    EXPECT_TRUE(shown.messages.isEmpty());
}

TEST_F(SkinLoad, SideBordersTakeTheirMarginsAcrossOrAlong)
{
    Load("[Personality]\r\nTopTopHeight=12\r\nTopBotHeight=13\r\nLeftTopHeight=5\r\nLeftBotHeight=6\r\n"
         "TopFrame=2\r\nLeftFrame=0\r\nRightFrame=-3\r\nBottomStretch=0\r\nBottomTrans=0\r\n");
    EXPECT_EQ(skin.TopBorder->LeftWidth, 12);
    EXPECT_EQ(skin.TopBorder->RightWidth, 13);
    EXPECT_EQ(skin.TopBorder->TopHeight, 0);
    EXPECT_EQ(skin.LeftBorder->TopHeight, 5);
    EXPECT_EQ(skin.LeftBorder->BottomHeight, 6);
    EXPECT_EQ(skin.LeftBorder->LeftWidth, 0);
    EXPECT_EQ(skin.TopBorder->FrameCount, 2);
    EXPECT_EQ(skin.LeftBorder->FrameCount, 1) << "no frames would divide by zero when drawn";
    EXPECT_EQ(skin.RightBorder->FrameCount, 1);
    EXPECT_EQ(skin.BottomBorder->Tile, 0);
    EXPECT_EQ(skin.BottomBorder->Trans, 0);
}

TEST(SkinColorText, ThreeNumbersMakeAColour)
{
    const struct {
        const char *text;
        TColor expected;
    } cases[] = {
        {"10 20 30", RgbColor(10, 20, 30)},
        {"  10   20   30  ", RgbColor(10, 20, 30)},
        {"1,2,3", RgbColor(1, 2, 3)},
        {"10 20", RgbColor(10, 0, 0)}, // a last run counts only as blue
        {"10", 0},
        {"10 20 30 40", RgbColor(10, 20, 30)},
        {"300 256 511", RgbColor(44, 0, 255)},
        {"99999999999999999999999999999 1 2", RgbColor(255, 1, 2)},
        {"   ", 0},
        {"", 0xABCDEFu}, // the default
    };
    for (const auto &c : cases)
        EXPECT_EQ(ColorFromText(c.text, 0xABCDEFu), c.expected) << '"' << c.text << '"';
}

TEST_F(SkinLoad, ColoursTablesAndCaptionTextColours)
{
    Load("[Colours]\r\nWindowText=1 2 3\r\nButtonFace=200 200 200\r\nMenuText=\r\n"
         "[Colour3]\r\ncolor=3 3 3\r\n[colour1]\r\nColor=1 1 1\r\n[Colour2]\r\n[COLOURS]\r\n"
         "[Customcolors]\r\nColor0=9 9 9\r\nColor9=0 0 0\r\n"
         "[Personality]\r\nActiveTextR=255\r\nActiveTextG=300\r\nActiveTextB=0\r\nInActiveTextR=1\r\nInActiveTextG="
         "2\r\n");
    EXPECT_EQ(skin.WindowTextColor, RgbColor(1, 2, 3));
    EXPECT_EQ(skin.MenubarColor, RgbColor(200, 200, 200)) << "the menu bar follows the face";
    EXPECT_EQ(skin.MenuTextColor, SystemColor(7));
    EXPECT_EQ(skin.Colors, QList<TColor>({RgbColor(3, 3, 3), RgbColor(1, 1, 1), SystemColor(8)}))
        << "in text order, not by number";
    EXPECT_EQ(skin.CustomColors[0], RgbColor(9, 9, 9));
    EXPECT_EQ(skin.CustomColors[1], 0xFFFFFFu);
    EXPECT_EQ(skin.CustomColors[9], 0u);
    EXPECT_EQ(skin.TitleData->ActiveTextColor, RgbColor(255, 44, 0));
    EXPECT_EQ(skin.TitleData->InActiveTextColor, NoColor) << "blue is missing";
    EXPECT_EQ(skin.FaceBrush.color(), QColor(200, 200, 200));
}

TEST_F(SkinLoad, TitleButtonsAndTheirFrames)
{
    Load("[Buttons]\r\n[BUTTON]\r\n[Button.Radio]\r\n[BUTTON.CHECKBOX]\r\nButtonImage=wide.bmp\r\n"
         "[ButtonClose]\r\nAction=0\r\nButtonImage=wide.bmp\r\nAlign=1\r\nXcoord=20\r\nYcoord=4\r\n"
         "[ButtonMax]\r\nAction=1\r\nButtonImage=narrow.bmp\r\n"
         "[ButtonIcon]\r\nAction=3\r\nButtonImage=narrow.bmp\r\n"
         "[ButtonHidden]\r\nAction=-1\r\nButtonImage=narrow.bmp\r\n"
         "[ButtonShown]\r\nAction=-1\r\nVisibility=0\r\nButtonImage=narrow.bmp\r\n"
         "[ButtonFramed]\r\nAction=2\r\nframe=-2\r\nButtonImage=wide.bmp\r\n"
         "[MDICONTROLS]\r\nImage=mdi.bmp\r\n",
         {{"wide.bmp", Bmp(40, 10)}, {"narrow.bmp", Bmp(30, 10)}, {"mdi.bmp", Bmp(48, 9)}});
    ASSERT_EQ(skin.TitleButtons.size(), 8u);
    const struct {
        const char *name;
        int action;
        int frames;
        bool image;
        int visibility1;
    } expected[] = {
        {"BUTTONCLOSE", 0, 6, true, 0},   {"BUTTONMAX", 1, 3, true, 0},    {"BUTTONICON", 3, 3, false, 0},
        {"BUTTONSHOWN", -1, 6, true, -1}, {"BUTTONFRAMED", 2, 1, true, 0},
    };
    for (size_t i = 0; i < std::size(expected); ++i) {
        const TDataSkinSysButton &b = *skin.TitleButtons[i];
        EXPECT_EQ(b.Name, expected[i].name);
        EXPECT_EQ(b.Action, expected[i].action) << b.Name.toStdString();
        EXPECT_EQ(b.FrameCount, expected[i].frames) << b.Name.toStdString();
        EXPECT_EQ(!b.Image.isNull(), expected[i].image) << b.Name.toStdString();
        EXPECT_EQ(b.Visibility1, expected[i].visibility1) << b.Name.toStdString();
        EXPECT_EQ(b.CombineOp, -1);
    }
    EXPECT_EQ(skin.TitleButtons[0]->Align, 1);
    EXPECT_EQ(skin.TitleButtons[0]->XCoord, 20);
    EXPECT_EQ(skin.TitleButtons[0]->YCoord, 4);
    for (int i = 0; i < 3; ++i) {
        const TDataSkinSysButton &m = *skin.TitleButtons[5 + i];
        EXPECT_EQ(m.Action, 7 + i);
        EXPECT_EQ(m.Image.size(), QSize(16, 9));
        EXPECT_EQ(m.Image.pixel(0, 0), QImage::fromData(Bmp(48, 9)).pixel(16 * i, 0));
        EXPECT_EQ(m.XCoord, 8 * (3 - i));
        EXPECT_EQ(m.Align, 100);
        EXPECT_EQ(m.Visibility1, 100);
    }
}

TEST_F(SkinLoad, ButtonsAndTheirMarkPictures)
{
    Load("[Buttons]\r\nBitmap=face.bmp\r\nLeftWidth=3\r\nTrans=1\r\nNormalColour=255\r\nPressedColour2=1 2 3\r\n"
         "RadioButton=radio.bmp\r\nCheckButton=check.bmp\r\nCheckButtonFrame=7\r\n",
         {{"face.bmp", Bmp(50, 20)}, {"radio.bmp", Bmp(39, 15)}, {"check.bmp", Bmp(96, 16)}});
    const TDataSkinButton &b = *skin.ButtonData;
    EXPECT_EQ(b.Image.size(), QSize(50, 20));
    EXPECT_EQ(b.LeftWidth, 3);
    EXPECT_EQ(b.Trans, 1);
    EXPECT_EQ(b.NormalColour, 255);
    EXPECT_EQ(b.MouseOverColour, -1);
    EXPECT_TRUE(b.HasPressedColour2);
    EXPECT_FALSE(b.HasNormalColour2);
    EXPECT_EQ(b.PressedColour2, RgbColor(1, 2, 3));
    EXPECT_EQ(b.RadioButtonFrame, 4) << "39 / 13 = 3, raised to 4";
    EXPECT_EQ(b.CheckButtonFrame, 7) << "a frame count given stays";
}

TEST_F(SkinLoad, OptionalElementsOfEachKind)
{
    Load("[Progress]\r\nBitmap=bar.bmp\r\nChunk=chunk.bmp\r\nTile=5\r\nStyle=2\r\n"
         "[Personality]\r\nmenuBar=bar.bmp\r\n"
         "[Tabs]\r\nImage=bar.bmp\r\nBorder=chunk.bmp\r\nTile=2\r\n"
         "[ComboButton]\r\nImage=combo.bmp\r\n"
         "[GroupBox]\r\nImage=bar.bmp\r\nBackgroundLeftShift=4\r\nStyle=1\r\n"
         "[Scrollbar]\r\nImage=missing.bmp\r\n"
         "[HorzScrollThumb]\r\nImage=bar.bmp\r\nFrameCount=0\r\n"
         "[VertScrollThumb]\r\nImage=bar.bmp\r\n"
         "[Trackbar.ThumbUp]\r\nImage=bar.bmp\r\n"
         "[UpDown.Horz]\r\nImage=bar.bmp\r\nGlyphImage=chunk.bmp\r\nNormalColour2=5 5 5\r\n"
         "[SunkEdge]\r\nImage=\r\n",
         {{"bar.bmp", Bmp(40, 10)}, {"chunk.bmp", Bmp(6, 10)}, {"combo.bmp", Bmp(3, 2)}});
    ASSERT_TRUE(skin.Progress);
    EXPECT_EQ(skin.Progress->Tile, 5) << "no limit on a progress bar's tiling";
    EXPECT_EQ(skin.Progress->Image2.size(), QSize(6, 10));
    EXPECT_EQ(skin.Progress->FrameCount, 2);
    ASSERT_TRUE(skin.MenuBar);
    EXPECT_EQ(skin.MenuBar->LeftWidth, 1);
    EXPECT_EQ(skin.MenuBar->FrameCount, 2);
    ASSERT_TRUE(skin.Tabs);
    EXPECT_EQ(skin.Tabs->Tile, 0) << "tiling above 1 means stretch";
    EXPECT_EQ(skin.Tabs->Image2.size(), QSize(6, 10));
    EXPECT_EQ(skin.Tabs->FrameCount, 5);
    ASSERT_TRUE(skin.ComboButton);
    EXPECT_EQ(skin.ComboButton->FrameCount, 4);
    EXPECT_EQ(skin.ComboButton->Image2.pixel(0, 1), skin.ComboButton->Image.pixel(2, 1)) << "mirrored";
    ASSERT_TRUE(skin.GroupBox);
    EXPECT_EQ(skin.GroupBox->BackgroundLeftShift, 4);
    EXPECT_EQ(skin.GroupBox->Style, 1);
    EXPECT_EQ(skin.GroupBox->FrameCount, 1);
    ASSERT_TRUE(skin.Scrollbar) << "the key names a picture, even a missing one";
    EXPECT_TRUE(skin.Scrollbar->Image.isNull());
    EXPECT_EQ(skin.Scrollbar->FrameCount, 23);
    EXPECT_EQ(skin.HorzScrollThumb->FrameCount, 1);
    EXPECT_EQ(skin.VertScrollThumb->FrameCount, 3);
    EXPECT_EQ(skin.TrackbarThumbUp->FrameCount, 5);
    EXPECT_EQ(skin.TrackbarThumbUp->Name, "Trackbar.ThumbUp");
    ASSERT_TRUE(skin.UpDownHorz);
    EXPECT_EQ(skin.UpDownHorz->FrameCount, 8);
    EXPECT_EQ(skin.UpDownHorz->NormalColour2, RgbColor(5, 5, 5));
    EXPECT_EQ(skin.UpDownHorz->MouseOverColour2, SystemColor(18));
    EXPECT_FALSE(skin.SunkEdge) << "an empty image key makes no element";
    EXPECT_FALSE(skin.UpDownVert);
}

TEST_F(SkinLoad, ALaterLoadReplacesTheElements)
{
    Load("[Tabs]\r\nImage=bar.bmp\r\n[ButtonClose]\r\nButtonImage=bar.bmp\r\n", {{"bar.bmp", Bmp(40, 10)}});
    ASSERT_TRUE(skin.Tabs);
    ASSERT_EQ(skin.TitleButtons.size(), 4u);
    TDataSkinButton *buttons = skin.ButtonData.get();
    Load("[Personality]\r\n");
    EXPECT_FALSE(skin.Tabs);
    EXPECT_EQ(skin.TitleButtons.size(), 3u);
    EXPECT_EQ(skin.ButtonData.get(), buttons) << "the always-present elements are refilled";
}

} // namespace
} // namespace skin
