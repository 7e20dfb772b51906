#include "ui/ShapePiano.h"
#include "ui/Colors.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <vector>

namespace {

// ---------------------------------------------------------------- colours

TEST(Colors, RedSitsInTheLowByteBothWays)
{
    struct Case {
        uint32_t bgr;
        QColor color;
    };
    const Case cases[] = {
        {0x0000FF, QColor(255, 0, 0)},        {0xFF0000, QColor(0, 0, 255)},        {0x00FF00, QColor(0, 255, 0)},
        {0xEFFBFD, QColor(0xFD, 0xFB, 0xEF)}, {0xA6CAF0, QColor(0xF0, 0xCA, 0xA6)}, {0x000000, QColor(0, 0, 0)},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ColorFromBgr(c.bgr), c.color) << std::hex << c.bgr;
        EXPECT_EQ(BgrFromColor(c.color), c.bgr) << std::hex << c.bgr;
    }
}

// --------------------------------------------------------------- geometry

struct PolygonCase {
    const char *name;
    TShapePianoType shape;
    int width, height, penWidth;
    std::vector<QPoint> points;
};

class KeyPolygon : public testing::TestWithParam<PolygonCase> {};

TEST_P(KeyPolygon, FollowsTheCutsOfTheKey)
{
    const PolygonCase &c = GetParam();
    const ShapePianoOutline outline = ShapePianoGeometry(c.shape, c.width, c.height, c.penWidth);
    EXPECT_EQ(std::vector<QPoint>(outline.points.begin(), outline.points.end()), c.points);
}

// With the keys' pen (width 1) the right and bottom edges are Width - 1 and
// Height - 1 and the notch sits at 22/35 of the height; a thick pen insets
// the top-left by half its width.
INSTANTIATE_TEST_SUITE_P(
    Shapes, KeyPolygon,
    testing::Values(
        PolygonCase{"C_20x102", Piano_C, 20, 102, 1, {{0, 0}, {10, 0}, {10, 63}, {19, 63}, {19, 101}, {0, 101}}},
        PolygonCase{"D_21x102",
                    Piano_D,
                    21,
                    102,
                    1,
                    {{5, 0}, {14, 0}, {14, 63}, {20, 63}, {20, 101}, {0, 101}, {0, 63}, {5, 63}}},
        PolygonCase{"E_19x102", Piano_E, 19, 102, 1, {{8, 0}, {18, 0}, {18, 101}, {0, 101}, {0, 63}, {8, 63}}},
        PolygonCase{"A_20x102",
                    Piano_A,
                    20,
                    102,
                    1,
                    {{6, 0}, {13, 0}, {13, 63}, {19, 63}, {19, 101}, {0, 101}, {0, 63}, {6, 63}}},
        PolygonCase{"B_20x102", Piano_B, 20, 102, 1, {{9, 0}, {19, 0}, {19, 101}, {0, 101}, {0, 63}, {9, 63}}},
        // A hairline pen covers one pixel like a pen of width 1, so the outline is the same.
        PolygonCase{"C_pen0", Piano_C, 20, 102, 0, {{0, 0}, {10, 0}, {10, 63}, {19, 63}, {19, 101}, {0, 101}}},
        PolygonCase{"C_pen2", Piano_C, 20, 102, 2, {{1, 1}, {11, 1}, {11, 64}, {20, 64}, {20, 102}, {1, 102}}},
        PolygonCase{"rectangle_has_none", jstRectangle, 20, 102, 1, {}}),
    [](const testing::TestParamInfo<PolygonCase> &info) { return std::string(info.param.name); });

TEST(KeyRectangle, CornersAndRoundingFollowThePen)
{
    struct Case {
        TShapePianoType shape;
        int width, height, penWidth;
        QPoint topLeft, bottomRight;
        int corner;
    };
    const Case cases[] = {
        {jstRoundRect, 10, 58, 1, {0, 0}, {10, 58}, 2}, // a black key: S = 10
        {jstRoundRect, 11, 58, 1, {0, 0}, {11, 58}, 2},   {jstRoundRect, 22, 105, 3, {1, 1}, {21, 104}, 5}, // S = 20
        {jstRectangle, 20, 102, 0, {0, 0}, {20, 102}, 0}, {jstRectangle, 22, 105, 1, {0, 0}, {22, 105}, 0},
    };
    for (const Case &c : cases) {
        const ShapePianoOutline o = ShapePianoGeometry(c.shape, c.width, c.height, c.penWidth);
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " pen " << c.penWidth);
        EXPECT_EQ(o.topLeft, c.topLeft);
        EXPECT_EQ(o.bottomRight, c.bottomRight);
        EXPECT_EQ(o.corner, c.corner);
    }
}

// --------------------------------------------------------------- painting

constexpr QRgb Backdrop = 0xFFFF00FF;

// A key on a magenta panel: what the key does not paint shows magenta.
struct KeyOnPanel {
    QWidget panel;
    TShapePiano *key;
    explicit KeyOnPanel(TShapePianoType shape, QSize size, uint32_t fill)
    {
        panel.resize(size + QSize(10, 10));
        QPalette palette;
        palette.setColor(QPalette::Window, QColor::fromRgb(Backdrop));
        panel.setPalette(palette);
        panel.setAutoFillBackground(true);
        key = new TShapePiano(&panel);
        key->setGeometry(QRect(QPoint(5, 5), size));
        key->setShape(shape);
        key->setBrushColor(fill);
    }
    QRgb Pixel(int x, int y) { return panel.grab().toImage().pixel(x + 5, y + 5); }
};

TEST(KeyPainting, WhiteKeyLeavesItsNotchAndOuterEdgesToTheCase)
{
    KeyOnPanel k(Piano_C, {20, 102}, 0xEFFBFD);
    const QRgb ivory = ColorFromBgr(0xEFFBFD).rgb();
    struct Probe {
        int x, y;
        QRgb expected;
    };
    const Probe probes[] = {
        {0, 0, ivory},      {9, 62, ivory},      // the narrow top part, up to its cut
        {10, 10, Backdrop}, {18, 62, Backdrop},  // the notch beside the black key
        {18, 63, ivory},    {0, 100, ivory},     // the full-width front part
        {19, 80, Backdrop}, {10, 101, Backdrop}, // the right and bottom edges stay open
    };
    const QImage image = k.panel.grab().toImage();
    for (const Probe &p : probes)
        EXPECT_EQ(image.pixel(p.x + 5, p.y + 5), p.expected) << p.x << "," << p.y;
}

TEST(KeyPainting, EveryBrushChangeRepaintsAndAPenOutlinesTheShape)
{
    KeyOnPanel k(jstRoundRect, {10, 58}, 0x000000);
    EXPECT_EQ(k.Pixel(4, 30), qRgb(0, 0, 0));
    EXPECT_EQ(k.Pixel(9, 30), Backdrop);
    k.key->setBrushColor(0xC0DCC0);
    EXPECT_EQ(k.Pixel(4, 30), ColorFromBgr(0xC0DCC0).rgb());

    k.key->setPenStyle(Qt::SolidLine);
    k.key->setPenColor(0x0000FF);
    EXPECT_EQ(k.Pixel(9, 30), qRgb(255, 0, 0)); // a drawn pen closes the right edge
    EXPECT_EQ(k.Pixel(4, 30), ColorFromBgr(0xC0DCC0).rgb());
}

// ------------------------------------------------------------------ mouse

// A hovering, selecting key like those of the middle octave, with every
// event it raises written down.
class KeyMouse : public testing::Test {
protected:
    static constexpr uint32_t Ivory = 0xEFFBFD;
    static constexpr uint32_t HoverBlue = 0xA6CAF0;
    static constexpr uint32_t Green = 0xC0DCC0;
    static constexpr uint32_t Unselect = 0x123456;

    TShapePiano key;
    QStringList events;

    void SetUp() override
    {
        key.setShape(Piano_C);
        key.resize(20, 102);
        key.setBrushColor(Ivory);
        key.setOnHoverColor(HoverBlue);
        key.setOnClickSelectColor(Green);
        key.setOnClickUnselectColor(Unselect);
        QObject::connect(&key, &TShapePiano::OnEnter, [this](TShapePiano *k) { Log("enter", k); });
        QObject::connect(&key, &TShapePiano::OnLeave, [this](TShapePiano *k) { Log("leave", k); });
        QObject::connect(&key, &TShapePiano::OnClick, [this](TShapePiano *k) { Log("click", k); });
        QObject::connect(&key, &TShapePiano::OnMouseDown,
                         [this](TShapePiano *k, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
                             Log(QString("down %1 %2,%3").arg(int(b)).arg(x).arg(y), k);
                         });
        QObject::connect(&key, &TShapePiano::OnMouseUp,
                         [this](TShapePiano *k, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
                             // The selection is already on show when the window hears of the release.
                             Log(QString("up %1 %2,%3 value %4 fill %5")
                                     .arg(int(b))
                                     .arg(x)
                                     .arg(y)
                                     .arg(k->Value())
                                     .arg(k->brushColor(), 0, 16),
                                 k);
                         });
    }

    void Log(const QString &what, TShapePiano *sender)
    {
        events << what;
        EXPECT_EQ(sender, &key);
    }
    void Enter()
    {
        QEnterEvent enter(QPointF(5, 80), QPointF(5, 80), QPointF(5, 80));
        QCoreApplication::sendEvent(&key, &enter);
    }
    void Leave()
    {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&key, &leave);
    }
    void Click(Qt::MouseButton button = Qt::LeftButton) { QTest::mouseClick(&key, button, {}, QPoint(5, 80)); }
};

TEST_F(KeyMouse, TheDefaultsOfANewKey)
{
    TShapePiano fresh;
    EXPECT_EQ(fresh.size(), QSize(22, 105));
    EXPECT_EQ(fresh.Shape(), jstRectangle);
    EXPECT_EQ(fresh.penStyle(), Qt::NoPen);
    EXPECT_EQ(fresh.penWidth(), 1);
    EXPECT_EQ(fresh.brushColor(), 0xFFFFFFu);
    EXPECT_EQ(fresh.SavedColor(), 0xFFFFFFu);
    EXPECT_EQ(fresh.OnHoverColor(), 0x0000FFu);
    EXPECT_EQ(fresh.OnClickSelectColor(), 0xFF0000u);
    EXPECT_EQ(fresh.OnClickUnselectColor(), 0u);
    EXPECT_TRUE(fresh.Hover());
    EXPECT_TRUE(fresh.ClickSelect());
    EXPECT_FALSE(fresh.Switch());
    EXPECT_FALSE(fresh.Value());
    EXPECT_TRUE(fresh.hasMouseTracking());
}

TEST_F(KeyMouse, HoverShowsItsColourAndLeavingRestoresTheFill)
{
    Enter();
    EXPECT_EQ(key.brushColor(), HoverBlue);
    EXPECT_EQ(key.SavedColor(), Ivory);
    Leave();
    EXPECT_EQ(key.brushColor(), Ivory);
    EXPECT_EQ(events, QStringList({"enter", "leave"}));
}

TEST_F(KeyMouse, WithoutHoverNothingChangesAndNoEventIsRaised)
{
    key.setHover(false);
    Enter();
    EXPECT_EQ(key.brushColor(), Ivory);
    Leave();
    EXPECT_EQ(key.brushColor(), Ivory);
    EXPECT_TRUE(events.isEmpty()) << events.join("; ").toStdString();
}

TEST_F(KeyMouse, AClickWhileHoveringKeepsTheSelectionAfterLeaving)
{
    Enter();
    Click();
    EXPECT_EQ(key.brushColor(), Green);
    EXPECT_EQ(key.SavedColor(), Green);
    Leave();
    EXPECT_EQ(key.brushColor(), Green);
    EXPECT_TRUE(key.Value());
    EXPECT_EQ(events, QStringList({"enter", "down 1 5,80", "up 1 5,80 value 1 fill c0dcc0", "click", "leave"}));
}

TEST_F(KeyMouse, ABrushSetWhileHoveringIsTheColourLeavingShows)
{
    // A window pressing or releasing the key under the mouse: the key shows
    // its new state at once and keeps it when the mouse goes.
    struct Case {
        const char *what;
        uint32_t before, set;
    };
    const Case cases[] = {{"pressed under the mouse", Ivory, Green}, {"released under the mouse", Green, Ivory}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        key.setBrushColor(c.before);
        Enter();
        key.setBrushColor(c.set);
        EXPECT_EQ(key.brushColor(), c.set);
        Leave();
        EXPECT_EQ(key.brushColor(), c.set);
        // Away from the key a set colour is simply shown; the next hover starts from it.
        key.setBrushColor(c.before);
        Enter();
        Leave();
        EXPECT_EQ(key.brushColor(), c.before);
    }
}

TEST_F(KeyMouse, TwoClicksSelectTwiceOrToggleWithSwitch)
{
    struct Case {
        bool switchOn;
        bool valueAfterFirst, valueAfterSecond;
        uint32_t fillAfterSecond;
    };
    const Case cases[] = {{false, true, true, Green}, {true, true, false, Unselect}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.switchOn ? "switch" : "select");
        key.setValue(false);
        key.setBrushColor(Ivory);
        key.setSwitch(c.switchOn);
        Click();
        EXPECT_EQ(key.Value(), c.valueAfterFirst);
        EXPECT_EQ(key.brushColor(), Green);
        Click();
        EXPECT_EQ(key.Value(), c.valueAfterSecond);
        EXPECT_EQ(key.brushColor(), c.fillAfterSecond);
        EXPECT_EQ(key.SavedColor(), c.fillAfterSecond);
    }
}

TEST_F(KeyMouse, WithoutClickSelectTheReleaseIsReportedButNothingIsSelected)
{
    key.setClickSelect(false);
    key.setSwitch(true);
    Click();
    EXPECT_FALSE(key.Value());
    EXPECT_EQ(key.brushColor(), Ivory);
    EXPECT_EQ(events, QStringList({"down 1 5,80", "up 1 5,80 value 0 fill effbfd", "click"}));
}

TEST_F(KeyMouse, OtherButtonsAndADisabledKeyChangeNothingAndRaiseNoMouseUp)
{
    struct Case {
        const char *name;
        Qt::MouseButton button;
        bool enabled;
        QStringList expected;
    };
    const Case cases[] = {
        {"right", Qt::RightButton, true, {"down 2 5,80"}},
        {"middle", Qt::MiddleButton, true, {"down 4 5,80"}},
        {"left on a disabled key", Qt::LeftButton, false, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        events.clear();
        key.setEnabled(c.enabled);
        Click(c.button);
        EXPECT_FALSE(key.Value());
        EXPECT_EQ(key.brushColor(), Ivory);
        EXPECT_EQ(key.SavedColor(), 0xFFFFFFu);
        EXPECT_EQ(events, c.expected);
    }
}

TEST_F(KeyMouse, ReleasingOutsideTheKeySelectsButIsNoClick)
{
    QTest::mousePress(&key, Qt::LeftButton, {}, QPoint(5, 80));
    QTest::mouseRelease(&key, Qt::LeftButton, {}, QPoint(40, 80));
    EXPECT_TRUE(key.Value());
    EXPECT_FALSE(events.contains("click"));
}

} // namespace
