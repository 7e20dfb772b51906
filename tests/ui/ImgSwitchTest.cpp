#include "ui/ImgSwitch.h"

#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <ostream>

namespace {

// A switch with every event it raises written down, and the state a
// mouse-down handler sees.
class ImgSwitch : public testing::Test {
protected:
    TImgSwitch sw;
    QStringList events;

    void SetUp() override
    {
        QObject::connect(&sw, &TImgSwitch::OnOn, [this] { events << "on"; });
        QObject::connect(&sw, &TImgSwitch::OnOff, [this] { events << "off"; });
        QObject::connect(&sw, &TImgSwitch::OnClick, [this] { events << "click"; });
        QObject::connect(&sw, &TImgSwitch::OnMouseDown, [this](Qt::MouseButton b, Qt::KeyboardModifiers, int, int) {
            events << QString("down %1 sees %2").arg(int(b)).arg(sw.StateOn() ? "on" : "off");
        });
        QObject::connect(&sw, &TImgSwitch::OnMouseUp, [this](Qt::MouseButton b, Qt::KeyboardModifiers, int, int) {
            events << QString("up %1").arg(int(b));
        });
    }
};

TEST_F(ImgSwitch, ALeftPressTogglesBeforeTheMouseDown)
{
    QTest::mouseClick(&sw, Qt::LeftButton);
    EXPECT_TRUE(sw.StateOn());
    QTest::mouseClick(&sw, Qt::LeftButton);
    EXPECT_FALSE(sw.StateOn());
    EXPECT_EQ(events,
              QStringList({"on", "down 1 sees on", "up 1", "click", "off", "down 1 sees off", "up 1", "click"}));
}

TEST_F(ImgSwitch, OtherButtonsOnlyReportTheMouse)
{
    QTest::mouseClick(&sw, Qt::RightButton);
    QTest::mouseClick(&sw, Qt::MiddleButton);
    EXPECT_FALSE(sw.StateOn());
    EXPECT_EQ(events, QStringList({"down 2 sees off", "up 2", "down 4 sees off", "up 4"}));
}

TEST_F(ImgSwitch, SettingTheStateFromCodeRaisesOnOrOffOnlyOnAChange)
{
    struct Step {
        bool state;
        QStringList expected;
    };
    const Step steps[] = {{false, {}}, {true, {"on"}}, {true, {}}, {false, {"off"}}};
    for (const Step &s : steps) {
        events.clear();
        sw.setStateOn(s.state);
        EXPECT_EQ(sw.StateOn(), s.state);
        EXPECT_EQ(events, s.expected) << "to " << s.state;
    }
}

// A left press, the places the mouse moves to with the button held, and
// the place it is let go.
struct Gesture {
    const char *name;
    QList<QPoint> moves;
    QPoint release;
    bool on; // the state after the release
    QStringList events;
};

void PrintTo(const Gesture &g, std::ostream *os)
{
    *os << g.name;
}

class ImgSwitchGestures : public ImgSwitch, public testing::WithParamInterface<Gesture> {
protected:
    void Mouse(QEvent::Type type, QPoint at)
    {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(at), sw.mapToGlobal(QPointF(at)), button, held, {});
        QCoreApplication::sendEvent(&sw, &event);
    }
};

TEST_P(ImgSwitchGestures, OnlyACompletedClickChangesTheState)
{
    const Gesture &g = GetParam();
    const QImage off = sw.grab().toImage();
    Mouse(QEvent::MouseButtonPress, {5, 5});
    EXPECT_FALSE(sw.StateOn()) << "nothing changes while the button is held";
    EXPECT_TRUE(events.isEmpty());
    EXPECT_NE(sw.grab().toImage(), off) << "the held switch shows the state a release gives";
    for (const QPoint at : g.moves)
        Mouse(QEvent::MouseMove, at);
    EXPECT_EQ(sw.grab().toImage() == off, !sw.rect().contains(g.release))
        << "off the switch the held press shows the switch's own state again";
    Mouse(QEvent::MouseButtonRelease, g.release);
    EXPECT_EQ(sw.StateOn(), g.on);
    EXPECT_EQ(events, g.events);
    EXPECT_EQ(sw.grab().toImage() == off, !g.on) << "the picture shows the state";
}

INSTANTIATE_TEST_SUITE_P(
    ImgSwitch, ImgSwitchGestures,
    testing::Values(
        Gesture{"LetGoWhereItWasPressed", {{6, 6}}, {6, 6}, true, {"on", "down 1 sees on", "up 1", "click"}},
        Gesture{"DraggedOffAndLetGo", {{20, 5}, {60, 5}}, {60, 5}, false, {"up 1"}},
        Gesture{"DraggedOffAndBack", {{60, 5}, {6, 5}}, {6, 5}, true, {"on", "down 1 sees on", "up 1", "click"}}),
    [](const testing::TestParamInfo<Gesture> &info) { return std::string(info.param.name); });

TEST_F(ImgSwitch, ShowsThePanelPicturesOfItsStateAndItsCaption)
{
    ASSERT_FALSE(sw.GlyphOn().isNull());
    ASSERT_FALSE(sw.GlyphOff().isNull());
    EXPECT_EQ(sw.size(), sw.GlyphOn().size());
    EXPECT_EQ(sw.cursor().shape(), Qt::PointingHandCursor);

    const QImage off = sw.grab().toImage();
    sw.setStateOn(true);
    const QImage on = sw.grab().toImage();
    EXPECT_NE(on, off);

    const int bare = sw.width();
    sw.setCaption(QString::fromUtf8("Altérations"));
    EXPECT_GT(sw.width(), bare + 20);
    EXPECT_GE(sw.height(), sw.GlyphOn().height());
}

} // namespace
