#include "ui/ImgSwitch.h"

#include <QTest>
#include <gtest/gtest.h>

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

TEST_F(ImgSwitch, ReleasingOutsideIsNoClickButTheToggleStays)
{
    sw.resize(30, 18);
    QTest::mousePress(&sw, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&sw, Qt::LeftButton, {}, QPoint(60, 5));
    EXPECT_TRUE(sw.StateOn());
    EXPECT_EQ(events, QStringList({"on", "down 1 sees on", "up 1"}));
}

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
