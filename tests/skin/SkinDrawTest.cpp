#include "skin/SkinDraw.h"

#include "SkinPictures.h"

#include <QElapsedTimer>
#include <QPainter>
#include <gtest/gtest.h>

#include <optional>

using namespace skin;
using namespace skintest;

namespace {

// A 6 x 6 frame cut by margins of 2 into nine zones, one letter each.
const QStringList Zones = {"aabbcc", "aabbcc", "ddeeff", "ddeeff", "gghhii", "gghhii"};

// The zones as the first of two frames; the second is all 'z', so a piece
// that reads past the first frame shows.
QStringList ZonesThenZ()
{
    QStringList rows;
    for (const QString &row : Zones)
        rows << row + "zzzzzz";
    return rows;
}

struct FramedCase {
    const char *name;
    QStringList image;
    int vertical;
    int frameCount;
    int frame;
    QSize target;
    QMargins margins;
    int tile;
    QStringList expected; // empty: no picture
};

void PrintTo(const FramedCase &c, std::ostream *os)
{
    *os << c.name;
}

class MakeFramedBitmapCases : public testing::TestWithParam<FramedCase> {};

TEST_P(MakeFramedBitmapCases, ComposesTheFrame)
{
    const FramedCase &c = GetParam();
    const QImage result = MakeFramedBitmap(QRect(QPoint(5, 7), c.target), Picture(c.image), c.margins, c.vertical,
                                           c.tile, c.frameCount, c.frame);
    if (c.expected.isEmpty()) {
        EXPECT_TRUE(result.isNull());
        return;
    }
    ASSERT_EQ(result.size(), c.target);
    EXPECT_EQ(Letters(result), c.expected);
}

const QString Alphabet30 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcd";

INSTANTIATE_TEST_SUITE_P(
    Geometry, MakeFramedBitmapCases,
    testing::Values(FramedCase{"SecondOfThreeSideBySide",
                               {Alphabet30, Alphabet30.toLower()},
                               0,
                               3,
                               2,
                               {10, 2},
                               {},
                               0,
                               {"KLMNOPQRST", "klmnopqrst"}},
                    FramedCase{"SecondOfTwoStacked", {"ab", "cd", "ef", "gh"}, 1, 2, 2, {2, 2}, {}, 0, {"ef", "gh"}},
                    FramedCase{"FrameZeroIsTheFirst", {"abcdef"}, 0, 3, 0, {2, 1}, {}, 0, {"ab"}},
                    FramedCase{"FramePastTheCountIsTheLast", {"abcdef"}, 0, 3, 7, {2, 1}, {}, 0, {"ef"}},
                    FramedCase{"NegativeFrameIsTheFirst", {"abcdef"}, 1, 1, -4, {6, 1}, {}, 0, {"abcdef"}},
                    FramedCase{"NoFrameCountNoPicture", {"abcdef"}, 0, 0, 1, {6, 1}, {}, 0, {}},
                    FramedCase{"NegativeFrameCountNoPicture", {"abcdef"}, 0, -2, 1, {6, 1}, {}, 0, {}},
                    FramedCase{"MoreFramesThanColumnsNoPicture", {"abcdef"}, 0, 7, 1, {6, 1}, {}, 0, {}},
                    FramedCase{"EmptyTargetNoPicture", {"abcdef"}, 0, 1, 1, {0, 4}, {}, 0, {}}),
    [](const auto &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    NinePart, MakeFramedBitmapCases,
    testing::Values(
        FramedCase{"CornersKeepTheirSizeEdgesAndMiddleStretch",
                   Zones,
                   0,
                   1,
                   1,
                   {8, 8},
                   {2, 2, 2, 2},
                   0,
                   Rows("aabbbbcc", 2) + Rows("ddeeeeff", 4) + Rows("gghhhhii", 2)},
        FramedCase{"SideMarginsWiderThanTheTargetAreDropped",
                   Zones,
                   0,
                   1,
                   1,
                   {3, 8},
                   {2, 2, 2, 2},
                   0,
                   Rows("abc", 2) + Rows("def", 4) + Rows("ghi", 2)},
        FramedCase{"TopAndBottomTallerThanTheTargetAreDropped",
                   Zones,
                   0,
                   1,
                   1,
                   {8, 3},
                   {2, 2, 2, 2},
                   0,
                   {"aabbbbcc", "ddeeeeff", "gghhhhii"}},
        FramedCase{"MarginsWiderThanTheFrameAreDropped",
                   ZonesThenZ(),
                   0,
                   2,
                   1,
                   {12, 6},
                   {8, 0, 0, 0},
                   0,
                   Rows("aaaabbbbcccc", 2) + Rows("ddddeeeeffff", 2) + Rows("gggghhhhiiii", 2)},
        FramedCase{
            "NoMarginsStretchTheWholeFrame", Zones, 0, 1, 1, {9, 3}, {}, 0, {"aaabbbccc", "dddeeefff", "ggghhhiii"}},
        FramedCase{"NegativeMarginsCountAsNone", Zones, 0, 1, 1, {6, 6}, {-2, -2, -2, -2}, 0, Zones},
        FramedCase{"TilesStartEveryFivePixelsAndTheRightEdgeCoversTheOverrun",
                   {"amnnnnc", "apqqqqc"},
                   0,
                   1,
                   1,
                   {14, 5},
                   {1, 0, 1, 0},
                   1,
                   {"amnnnnmnnnnmnc", "apqqqqpqqqqpqc", "amnnnnmnnnnmnc", "apqqqqpqqqqpqc", "amnnnnmnnnnmnc"}},
        FramedCase{"WithoutARightEdgeTheLastTileIsCutAtTheSide",
                   {"amnnnn"},
                   0,
                   1,
                   1,
                   {13, 1},
                   {1, 0, 0, 0},
                   1,
                   {"amnnnnmnnnnmn"}},
        FramedCase{
            "TilingATileWiderThanTheMiddleCopiesItOnce", {"amnnnnc"}, 0, 1, 1, {5, 1}, {1, 0, 1, 0}, 1, {"amnnc"}}),
    [](const auto &info) { return std::string(info.param.name); });

// A frame with the key colour in it: transparent drawing leaves the canvas
// showing where the frame is magenta.
const QStringList Keyed = {"aM", "Mb"};

struct PaintCase {
    const char *name;
    QSize canvas;
    std::function<void(QPainter &)> draw;
    QStringList expected;
};

void PrintTo(const PaintCase &c, std::ostream *os)
{
    *os << c.name;
}

class PaintCases : public testing::TestWithParam<PaintCase> {};

TEST_P(PaintCases, Draws)
{
    const PaintCase &c = GetParam();
    EXPECT_EQ(Painted(c.canvas.width(), c.canvas.height(), c.draw), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    DrawSkinImage, PaintCases,
    testing::Values(
        PaintCase{"PlainAtItsPlace",
                  {8, 4},
                  [](QPainter &p) {
                      DrawSkinImage(p, QRect(2, 1, 4, 2), Picture({"ab", "cd"}), 0, 0, 0, 1, 1, {});
                  },
                  {"________", "__aabb__", "__ccdd__", "________"}},
        PaintCase{"TransparentLeavesTheKeyOut",
                  {8, 4},
                  [](QPainter &p) { DrawSkinImage(p, QRect(2, 1, 4, 2), Picture(Keyed), 0, 0, 1, 1, 1, {}); },
                  {"________", "__aa____", "____bb__", "________"}},
        PaintCase{"OpaqueDrawsTheKeyColour",
                  {4, 2},
                  [](QPainter &p) { DrawSkinImage(p, QRect(0, 0, 2, 2), Picture(Keyed), 0, 0, 0, 1, 1, {}); },
                  {"aM__", "Mb__"}},
        PaintCase{"InvertedRectDrawsNothing",
                  {4, 2},
                  [](QPainter &p) { DrawSkinImage(p, WinRect(3, 0, 1, 2), Picture(Keyed), 0, 0, 0, 1, 1, {}); },
                  Rows("____", 2)},
        PaintCase{"NoFrameCountDrawsNothing",
                  {4, 2},
                  [](QPainter &p) { DrawSkinImage(p, QRect(0, 0, 4, 2), Picture(Keyed), 0, 0, 0, 0, 1, {}); },
                  Rows("____", 2)}),
    [](const auto &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    DrawFrameEdges, PaintCases,
    testing::Values(PaintCase{"TheMiddleKeepsWhatWasThere",
                              {10, 10},
                              [](QPainter &p) {
                                  DrawFrameEdges(p, QRect(1, 1, 8, 8), Picture(Zones), 0, 1, 1, {2, 2, 2, 2});
                              },
                              QStringList{"__________"} + Rows("_aabbbbcc_", 2) + Rows("_dd____ff_", 4) +
                                  Rows("_gghhhhii_", 2) + QStringList{"__________"}},
                    PaintCase{"NoFrameCountDrawsNothing",
                              {4, 4},
                              [](QPainter &p) {
                                  DrawFrameEdges(p, QRect(0, 0, 4, 4), Picture(Zones), 0, 0, 1, {1, 1, 1, 1});
                              },
                              Rows("____", 4)}),
    [](const auto &info) { return std::string(info.param.name); });

// A strip frame: ends "ab"/"yz" of 2 columns, middle "mn" of 2, two rows.
const QStringList Strip = {"abmnyz", "cdopwx"};

void DrawStripAt(QPainter &p, int width, int height, QMargins margins = {2, 0, 2, 0}, int transparent = 0,
                 const QStringList &image = Strip)
{
    DrawStrip(p, QRect(1, 0, width, height), Picture(image), 0, transparent, 1, 1, margins);
}

INSTANTIATE_TEST_SUITE_P(
    DrawStrip, PaintCases,
    testing::Values(
        PaintCase{"TheMiddleRepeatsAtItsOwnWidth",
                  {12, 2},
                  [](QPainter &p) { DrawStripAt(p, 10, 2); },
                  {"_abmnmnmnyz_", "_cdopopopwx_"}},
        PaintCase{
            "TheRightEndCoversTheLastRepeat", {11, 1}, [](QPainter &p) { DrawStripAt(p, 9, 1); }, {"_abmnmnmyz_"}},
        PaintCase{"AWidthOfBothEndsHasNoMiddle", {6, 1}, [](QPainter &p) { DrawStripAt(p, 4, 1); }, {"_abyz_"}},
        PaintCase{
            "ANarrowerStripDrawsTheRightEndOverTheLeft", {5, 1}, [](QPainter &p) { DrawStripAt(p, 3, 1); }, {"_ayz_"}},
        PaintCase{"TheFrameHeightIsStretched",
                  {12, 4},
                  [](QPainter &p) { DrawStripAt(p, 10, 4); },
                  Rows("_abmnmnmnyz_", 2) + Rows("_cdopopopwx_", 2)},
        PaintCase{"EndsFillingTheFrameLeaveTheMiddleBlack",
                  {12, 1},
                  [](QPainter &p) {
                      DrawStripAt(p, 10, 1, {3, 0, 3, 0});
                  },
                  {"_abm....nyz_"}},
        PaintCase{"EndsWiderThanTheFrameTogetherStillEnd",
                  {12, 1},
                  [](QPainter &p) {
                      DrawStripAt(p, 10, 1, {4, 0, 4, 0});
                  },
                  {"_abmn..mnyz_"}},
        PaintCase{"AnEndWiderThanTheFrameReadsOnlyTheFrame",
                  {12, 1},
                  [](QPainter &p) {
                      DrawStrip(p, QRect(1, 0, 10, 1), Picture({"abmnyzZZZZZZ"}), 0, 0, 2, 1, {9, 0, 0, 0});
                  },
                  {"_abmnyz...._"}},
        PaintCase{"TransparentLeavesTheKeyOut",
                  {8, 1},
                  [](QPainter &p) {
                      DrawStripAt(p, 6, 1, {1, 0, 1, 0}, 1, {"aMnz"});
                  },
                  {"_a_n_nz_"}},
        PaintCase{"InvertedRectDrawsNothing",
                  {4, 1},
                  [](QPainter &p) { DrawStrip(p, WinRect(3, 0, 1, 1), Picture(Strip), 0, 0, 1, 1, {}); },
                  {"____"}}),
    [](const auto &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    DrawImageFrame, PaintCases,
    testing::Values(
        PaintCase{"TheFrameIsStretchedWhole",
                  {8, 2},
                  [](QPainter &p) { DrawImageFrame(p, QRect(1, 0, 6, 2), Picture({"abcdefghi"}), 0, 3, 2); },
                  Rows("_ddeeff_", 2)},
        PaintCase{"AFramePastTheCountIsTheLast",
                  {5, 1},
                  [](QPainter &p) { DrawImageFrame(p, QRect(1, 0, 3, 1), Picture({"abcdefghi"}), 0, 3, 9); },
                  {"_ghi_"}},
        PaintCase{"NoFrameCountDrawsNothing",
                  {5, 1},
                  [](QPainter &p) { DrawImageFrame(p, QRect(1, 0, 3, 1), Picture({"abcdefghi"}), 0, 0, 1); },
                  {"_____"}},
        PaintCase{"TransparentLeavesTheKeyOut",
                  {6, 2},
                  [](QPainter &p) {
                      DrawImageFrame(p, QRect(1, 0, 4, 2), Picture({"xxaM", "xxMb"}), 1, 2, 2);
                  },
                  {"_aa___", "___bb_"}},
        PaintCase{"InvertedRectDrawsNothing",
                  {5, 1},
                  [](QPainter &p) { DrawImageFrame(p, WinRect(1, 1, 4, 0), Picture({"abc"}), 0, 1, 1); },
                  {"_____"}}),
    [](const auto &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    DrawTransparent, PaintCases,
    testing::Values(PaintCase{"OnlyTheTopLeftPartWithoutTheKey",
                              {5, 3},
                              [](QPainter &p) {
                                  DrawTransparent(p, QRect(1, 1, 2, 2), Picture({"aMb", "Mcd", "efg"}), KeyColour);
                              },
                              {"_____", "_a___", "__c__"}},
                    PaintCase{
                        "AnotherKeyLeavesThatColourOut",
                        {3, 1},
                        [](QPainter &p) { DrawTransparent(p, QRect(0, 0, 3, 1), Picture({"aMa"}), ColourOf('a')); },
                        {"_M_"}},
                    PaintCase{"AKeyWithAnAlphaByteStillMatches",
                              {3, 1},
                              [](QPainter &p) { DrawTransparent(p, QRect(0, 0, 3, 1), Picture({"aMb"}), 0x00FF00FF); },
                              {"a_b"}},
                    PaintCase{"ARectLargerThanThePictureDrawsThePicture",
                              {4, 2},
                              [](QPainter &p) { DrawTransparent(p, QRect(1, 0, 9, 9), Picture({"ab"}), KeyColour); },
                              {"_ab_", "____"}},
                    PaintCase{"InvertedRectDrawsNothing",
                              {3, 1},
                              [](QPainter &p) { DrawTransparent(p, WinRect(2, 0, 0, 1), Picture({"abc"}), KeyColour); },
                              {"___"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TileRect, AnEmptyOrInvertedSourceDrawsNothing)
{
    for (const QRect &source : {QRect(0, 0, 0, 1), QRect(0, 0, 1, 0), WinRect(2, 0, 1, 1), WinRect(0, 1, 1, 0)}) {
        QImage canvas = Picture({"____"});
        TileRect(canvas, QRect(0, 0, 4, 1), Picture({"abc"}), source);
        EXPECT_EQ(Letters(canvas), QStringList{"____"});
    }
}

TEST(TileRect, AHugeDestinationCostsNoMoreThanTheCanvas)
{
    QImage canvas = Picture({"____"});
    QElapsedTimer clock;
    clock.start();
    TileRect(canvas, QRect(0, 0, 2000000000, 2000000000), Picture({"ab"}), QRect(0, 0, 1, 1));
    EXPECT_EQ(Letters(canvas), QStringList{"aaaa"});
    EXPECT_LT(clock.elapsed(), 5000);
}

// A picture of opaque letters and the key, with the region its opaque pixels
// make, each row's runs written as rectangles.
QRegion RunsOf(const QStringList &rows, int x, int y)
{
    QRegion region;
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            if (rows[r][c] != 'M')
                region += QRect(x + c, y + r, 1, 1);
    return region;
}

// Regions cover the same pixels, however their rectangles are cut.
bool SameArea(const QRegion &a, const QRegion &b)
{
    return a.xored(b).isEmpty();
}

TEST(BitmapToRegion, KeepsThePixelsThatAreNotTheKey)
{
    const QList<QStringList> pictures = {
        {"MMMM", "MMMM", "MMMM"},
        {"abcde", "fghij", "klmno"},
        {"aMMb", "MabM", "MMMM", "cccc"},
    };
    for (const QStringList &rows : pictures) {
        const QRegion region = BitmapToRegion(Picture(rows), 10, 20, KeyColour, 1, 1, 1);
        EXPECT_TRUE(SameArea(region, RunsOf(rows, 10, 20))) << rows.join('/').toStdString();
    }
    EXPECT_TRUE(BitmapToRegion(Picture({"MMMM", "MMMM"}), 0, 0, KeyColour, 1, 1, 1).isEmpty());
    // Without the key, one rectangle a row, as wide as the row.
    const QRegion whole = BitmapToRegion(Picture({"abcde", "fghij"}), 3, 4, KeyColour, 0, 0, 0);
    EXPECT_EQ(whole.rectCount(), 2);
    EXPECT_EQ(whole.boundingRect(), QRect(3, 4, 5, 2));
    EXPECT_TRUE(SameArea(whole, QRegion(3, 4, 5, 2)));
}

TEST(BitmapToRegion, TolerancesReachAboveTheKeyOnly)
{
    struct Pixel {
        QRgb colour;
        bool transparent;
    };
    const Pixel pixels[] = {
        {qRgb(255, 0, 255), true},  {qRgb(255, 1, 255), true},  {qRgb(255, 2, 255), false},
        {qRgb(254, 0, 255), false}, {qRgb(255, 0, 254), false}, {qRgb(0, 0, 0), false},
    };
    for (const Pixel &p : pixels) {
        QImage image(1, 2, QImage::Format_RGB32);
        image.fill(p.colour);
        const QRegion region = BitmapToRegion(image, 0, 0, KeyColour, 1, 1, 1);
        EXPECT_EQ(region.isEmpty(), p.transparent) << std::hex << p.colour;
    }
    // A key near white: the tolerance stops at 255.
    QImage white(1, 2, QImage::Format_RGB32);
    white.fill(qRgb(255, 255, 255));
    EXPECT_TRUE(BitmapToRegion(white, 0, 0, qRgb(250, 250, 250), 100, 100, 100).isEmpty());
}

TEST(BitmapToRegion, ManyRowsGiveTheSameRegionAsOneBatch)
{
    constexpr int Height = 3000;
    QImage image(10, Height, QImage::Format_RGB32);
    image.fill(KeyColour);
    QList<QRect> runs;
    for (int y = 0; y < Height; ++y) {
        const int start = y % 5;
        for (int x = start; x < start + 3; ++x)
            image.setPixel(x, y, qRgb(1, 2, 3));
        runs << QRect(7 + start, 9 + y, 3, 1);
    }
    QRegion expected;
    expected.setRects(runs.constData(), int(runs.size()));
    const QRegion region = BitmapToRegion(image, 7, 9, KeyColour, 1, 1, 1);
    EXPECT_EQ(region, expected);
    EXPECT_EQ(region.rectCount(), Height);
}

TEST(BitmapToRegion, ReadsPicturesOfAnyFormat)
{
    const QStringList rows = {"aMb", "MMc"};
    for (QImage::Format format : {QImage::Format_RGB888, QImage::Format_ARGB32, QImage::Format_RGB16})
        EXPECT_TRUE(SameArea(BitmapToRegion(Picture(rows, format), 0, 0, KeyColour, 1, 1, 1), RunsOf(rows, 0, 0)))
            << format;
}

TEST(SharedBitmap, IsOnePictureForTheWholeProgram)
{
    SharedBitmap() = QImage(3, 2, QImage::Format_RGB32);
    EXPECT_EQ(&SharedBitmap(), &SharedBitmap());
    EXPECT_EQ(SharedBitmap().size(), QSize(3, 2));
    SharedBitmap() = QImage();
}

} // namespace
