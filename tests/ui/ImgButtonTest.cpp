#include "ui/ImgButton.h"
#include "ui/Colors.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr QRgb Backdrop = 0xFFFF00FF;
// One solid colour per frame, so a pixel tells which frame is on show.
const QRgb FrameColours[4] = {qRgb(200, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 200), qRgb(128, 128, 128)};

// A 128 x 32 strip whose frames have white top-left corners, the way the
// play button's strip marks what is not to be drawn.
QImage Strip()
{
    QImage strip(128, 32, QImage::Format_RGB32);
    QPainter p(&strip);
    for (int i = 0; i < 4; ++i) {
        p.fillRect(32 * i, 0, 32, 32, QColor::fromRgb(FrameColours[i]));
        p.fillRect(32 * i, 0, 3, 3, Qt::white);
    }
    return strip;
}

class ImgButton : public testing::Test {
protected:
    QWidget panel;
    TImgBtn *button = new TImgBtn(&panel);
    QStringList events;

    void SetUp() override
    {
        panel.resize(60, 60);
        QPalette palette;
        palette.setColor(QPalette::Window, QColor::fromRgb(Backdrop));
        panel.setPalette(palette);
        panel.setAutoFillBackground(true);
        button->move(10, 10);
        button->setGlyph(Strip());
        QObject::connect(button, &TImgBtn::OnMouseEnter, [this](TImgBtn *) { events << "enter"; });
        QObject::connect(button, &TImgBtn::OnMouseLeave, [this](TImgBtn *) { events << "leave"; });
        QObject::connect(button, &TImgBtn::OnClick, [this](TImgBtn *) { events << "click"; });
        QObject::connect(button, &TImgBtn::OnMouseDown,
                         [this](TImgBtn *, Qt::MouseButton b, Qt::KeyboardModifiers, int, int) {
                             events << QString("down %1").arg(int(b));
                         });
        QObject::connect(button, &TImgBtn::OnMouseUp,
                         [this](TImgBtn *, Qt::MouseButton b, Qt::KeyboardModifiers, int, int) {
                             events << QString("up %1").arg(int(b));
                         });
    }

    void Enter()
    {
        QEnterEvent enter(QPointF(16, 16), QPointF(16, 16), QPointF(16, 16));
        QCoreApplication::sendEvent(button, &enter);
    }
    void Leave()
    {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(button, &leave);
    }
    QImage Shot() { return panel.grab().toImage(); }
    // The frame the picture shows, told by its colour, or -1.
    int FrameOnScreen()
    {
        const QRgb centre = Shot().pixel(10 + 16, 10 + 16);
        for (int i = 0; i < 4; ++i)
            if (centre == FrameColours[i])
                return i;
        return -1;
    }
};

TEST_F(ImgButton, TakesTheSizeOfOneFrameAndTheTransparentColourOfTheCorner)
{
    EXPECT_EQ(button->size(), QSize(32, 32));
    EXPECT_EQ(button->TransparentColor(), 0xFFFFFFu);
    // A stored colour does not survive the next paint: the strip's corner wins.
    button->setTransparentColor(0x00FF00);
    const QImage shot = Shot();
    EXPECT_EQ(button->TransparentColor(), 0xFFFFFFu);
    EXPECT_EQ(shot.pixel(10, 10), Backdrop) << "white corner drawn";
    EXPECT_EQ(shot.pixel(12, 12), Backdrop);
    EXPECT_EQ(shot.pixel(13, 13), FrameColours[0]);
}

TEST_F(ImgButton, WithoutTransparencyTheCornerIsDrawn)
{
    button->setTransparent(false);
    EXPECT_EQ(Shot().pixel(10, 10), qRgb(255, 255, 255));
}

TEST_F(ImgButton, ShowsTheFrameOfEachState)
{
    struct Step {
        const char *action;
        int frame;
    };
    const Step steps[] = {
        {"start", TImgBtn::FrameNormal},   {"enter", TImgBtn::FrameHover}, {"press", TImgBtn::FramePressed},
        {"release", TImgBtn::FrameNormal}, // still over the button, yet back to normal
        {"leave", TImgBtn::FrameNormal},   {"enter", TImgBtn::FrameHover}, {"leave", TImgBtn::FrameNormal},
    };
    for (const Step &s : steps) {
        const QString action = s.action;
        if (action == "enter")
            Enter();
        else if (action == "leave")
            Leave();
        else if (action == "press")
            QTest::mousePress(button, Qt::LeftButton);
        else if (action == "release")
            QTest::mouseRelease(button, Qt::LeftButton);
        EXPECT_EQ(button->ShownFrame(), s.frame) << s.action;
        EXPECT_EQ(FrameOnScreen(), s.frame) << s.action;
    }
    EXPECT_EQ(events, QStringList({"enter", "down 1", "up 1", "click", "leave", "enter", "leave"}));
}

TEST_F(ImgButton, DisabledShowsFrameThreeAndIgnoresTheMouse)
{
    button->setEnabled(false);
    EXPECT_EQ(button->ShownFrame(), TImgBtn::FrameDisabled);
    EXPECT_EQ(FrameOnScreen(), TImgBtn::FrameDisabled);
    Enter();
    EXPECT_EQ(FrameOnScreen(), TImgBtn::FrameDisabled);
    Leave();
    EXPECT_TRUE(events.isEmpty()) << events.join("; ").toStdString();

    button->setEnabled(true);
    EXPECT_EQ(button->ShownFrame(), TImgBtn::FrameNormal);
    EXPECT_EQ(FrameOnScreen(), TImgBtn::FrameNormal);
}

TEST_F(ImgButton, ARightClickIsReportedButLeavesTheFrame)
{
    Enter();
    events.clear();
    QTest::mousePress(button, Qt::RightButton);
    EXPECT_EQ(button->ShownFrame(), TImgBtn::FrameHover);
    QTest::mouseRelease(button, Qt::RightButton);
    EXPECT_EQ(button->ShownFrame(), TImgBtn::FrameHover);
    EXPECT_EQ(FrameOnScreen(), TImgBtn::FrameHover);
    EXPECT_EQ(events, QStringList({"down 2", "up 2"}));
}

TEST_F(ImgButton, ReleasingOutsideIsNoClick)
{
    QTest::mousePress(button, Qt::LeftButton);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(50, 16));
    EXPECT_EQ(button->ShownFrame(), TImgBtn::FrameNormal);
    EXPECT_EQ(events, QStringList({"down 1", "up 1"}));
}

TEST_F(ImgButton, WithoutAGlyphNothingIsDrawn)
{
    TImgBtn *bare = new TImgBtn(&panel);
    bare->move(0, 0);
    button->hide();
    EXPECT_EQ(bare->size(), QSize(25, 25));
    EXPECT_EQ(bare->TransparentColor(), 0xFF00FFu);
    EXPECT_TRUE(bare->Transparent());
    EXPECT_EQ(Shot().pixel(12, 12), Backdrop);
}

} // namespace
