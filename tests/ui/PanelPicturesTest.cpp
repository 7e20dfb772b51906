#include "ui/PanelResources.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

// The pictures live inside the ui library; a library's embedded files are
// lost silently unless registered, so load each one as the windows will.
TEST(PanelPictures, AreEmbeddedWithTheSizesTheWindowsPlaceThemAt)
{
    InitPanelResources();
    InitPanelResources(); // harmless twice
    struct Case {
        const char *path;
        QSize size;
    };
    const Case cases[] = {
        {PanelKeyboardPicture, {616, 105}}, {PanelPlayPicture, {128, 32}},        {PanelSwitchOnPicture, {30, 18}},
        {PanelSwitchOffPicture, {30, 18}},  {PanelDefaultBackground, {409, 257}}, {PanelIcon, {64, 64}},
        {PanelAboutPicture, {255, 261}},    {PanelMailPicture, {18, 9}},          {PanelHomepagePicture, {16, 17}},
        {PanelMenuPictures, {7 * 16, 16}},
    };
    for (const Case &c : cases) {
        const QImage image(QString::fromLatin1(c.path));
        EXPECT_EQ(image.size(), c.size) << c.path;
    }
}

TEST(PanelPictures, PlayStripHasWhiteCornersAndAFaceInEveryFrame)
{
    InitPanelResources();
    const QImage strip(QString::fromLatin1(PanelPlayPicture));
    ASSERT_EQ(strip.size(), QSize(128, 32));
    const QRgb white = qRgb(255, 255, 255);
    for (int frame = 0; frame < 4; ++frame) {
        const int left = frame * 32;
        SCOPED_TRACE(frame);
        for (const QPoint corner : {QPoint(0, 0), QPoint(31, 0), QPoint(0, 31), QPoint(31, 31)})
            EXPECT_EQ(strip.pixel(left + corner.x(), corner.y()) & RGB_MASK, white & RGB_MASK);
        EXPECT_NE(strip.pixel(left + 16, 16) & RGB_MASK, white & RGB_MASK);
    }
}

} // namespace
