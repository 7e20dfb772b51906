// The picture transforms, the text routines and the colour lookup.
#include "skin/BitmapHelpers.h"
#include "skin/SkinColor.h"

#include <gtest/gtest.h>

#include <QPainter>

namespace skin {
namespace {

// Every pixel different, so any misplaced one shows.
QImage Numbered(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 10, y * 10, x + y));
    return image;
}

TEST(BitmapTransforms, GreyIsTheMeanOfTheThreeColours)
{
    QImage image(1, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(31, 20, 10));
    GrayBitmap(image);
    EXPECT_EQ(image.format(), Bitmap24);
    EXPECT_EQ(image.pixel(0, 0), qRgb(20, 20, 20));
}

TEST(BitmapTransforms, PixelsLandWhereEachTransformSends)
{
    const QImage source = Numbered(3, 2);
    const struct {
        const char *name;
        void (*transform)(QImage &);
        QSize size;
        QPoint (*where)(int x, int y); // where source pixel (x, y) goes
    } cases[] = {
        {"mirror", MirrorBitmap, {3, 2}, [](int x, int y) { return QPoint(2 - x, y); }},
        {"flip", FlipBitmap, {3, 2}, [](int x, int y) { return QPoint(x, 1 - y); }},
        {"left", RotateLeft, {2, 3}, [](int x, int y) { return QPoint(y, 2 - x); }},
        {"right", RotateRight, {2, 3}, [](int x, int y) { return QPoint(1 - y, x); }},
    };
    for (const auto &c : cases) {
        QImage image = source;
        c.transform(image);
        ASSERT_EQ(image.size(), c.size) << c.name;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(image.pixel(c.where(x, y)), source.pixel(x, y)) << c.name << " " << x << "," << y;
    }
}

TEST(BitmapTransforms, TurnsAndMirrorsUndoThemselves)
{
    const QImage source = Numbered(1, 7).convertToFormat(Bitmap24);
    QImage image = source;
    RotateLeft(image);
    EXPECT_EQ(image.size(), QSize(7, 1));
    RotateRight(image);
    EXPECT_EQ(image, source);
    MirrorBitmap(image);
    MirrorBitmap(image);
    EXPECT_EQ(image, source);
    QImage empty;
    RotateLeft(empty);
    GrayBitmap(empty);
    EXPECT_TRUE(empty.isNull());
}

TEST(SkinText, AnsiTextIsCodePage1252)
{
    EXPECT_EQ(AnsiToWide("Caf\xe9 \x80 \x93x\x94 \x81"), QString::fromUtf8("Café € “x” \xc2\x81"));
    const char16_t buffer[] = u"Chord\0junk";
    EXPECT_EQ(WideCopy(buffer, -1), "Chord");
    EXPECT_EQ(WideCopy(buffer, 3), "Cho");
    EXPECT_EQ(WideCopy(buffer, 50), "Chord");
    EXPECT_EQ(AsciiLower(QString::fromUtf8("Top.BMP É")), QString::fromUtf8("top.bmp É"));
}

class SkinDrawTextTest : public testing::Test {
protected:
    SkinDrawTextTest() : image(200, 40, QImage::Format_RGB32), painter(&image)
    {
        image.fill(Qt::white);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(14);
        painter.setFont(font);
        painter.setPen(Qt::black);
    }
    int InkLeft() const
    {
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                if (image.pixel(x, y) != qRgb(255, 255, 255))
                    return x;
        return -1;
    }
    QImage image;
    QPainter painter;
};

TEST_F(SkinDrawTextTest, MeasuringKeepsTheCornerAndDrawsNothing)
{
    QRect plain(10, 5, 0, 0);
    const int height = SkinDrawText(painter, "File", plain, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(plain.topLeft(), QPoint(10, 5));
    EXPECT_GT(plain.width(), 10);
    EXPECT_EQ(plain.height(), height);
    EXPECT_EQ(InkLeft(), -1);

    QRect marked(10, 5, 0, 0);
    SkinDrawText(painter, "&File", marked, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(marked.width(), plain.width()) << "the accelerator mark takes no room";
    QRect literal(10, 5, 0, 0);
    SkinDrawText(painter, "&File", literal, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_GT(literal.width(), plain.width());

    QRect tabbed(0, 0, 0, 0);
    SkinDrawText(painter, "a\tb", tabbed, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
    EXPECT_GT(tabbed.width(), 3 * plain.width() / 2);
}

TEST_F(SkinDrawTextTest, AlignsAndEndsLongTextWithAnEllipsis)
{
    QRect right(0, 0, 200, 40);
    SkinDrawText(painter, "Chord", right, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
    EXPECT_GT(InkLeft(), 140);

    image.fill(Qt::white);
    QRect narrow(0, 0, 60, 40);
    QRect full(0, 0, 0, 0);
    const QString caption = "Harmonova - chords and scales";
    SkinDrawText(painter, caption, full, DT_CALCRECT | DT_SINGLELINE);
    ASSERT_GT(full.width(), 60);
    SkinDrawText(painter, caption, narrow, DT_SINGLELINE | DT_END_ELLIPSIS);
    for (int y = 0; y < 40; ++y)
        for (int x = 60; x < 200; ++x)
            ASSERT_EQ(image.pixel(x, y), qRgb(255, 255, 255)) << "ink past the rectangle at " << x;
}

TEST(SkinColors, SchemeColoursComeFromThePaletteWhenDrawn)
{
    QPalette palette;
    palette.setColor(QPalette::Active, QPalette::Button, QColor(1, 2, 3));
    palette.setColor(QPalette::Active, QPalette::Text, QColor(4, 5, 6));
    EXPECT_EQ(ResolveColor(SystemColor(COLOR_BTNFACE), palette), QColor(1, 2, 3));
    EXPECT_EQ(ResolveColor(SystemColor(COLOR_WINDOWTEXT), palette), QColor(4, 5, 6));
    EXPECT_EQ(ResolveColor(RgbColor(10, 20, 30), palette), QColor(10, 20, 30));
    EXPECT_FALSE(ResolveColor(NoColor, palette).isValid());
    EXPECT_FALSE(ResolveColor(0xFFFFFFFFu, palette).isValid()) << "-1: no colour";
    EXPECT_FALSE(ResolveColor(SystemColor(25), palette).isValid());
}

} // namespace
} // namespace skin
