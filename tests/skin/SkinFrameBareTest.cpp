// The skinned frame on a platform that leaves every window where and as
// large as the program puts it, as a desktop without a window manager does:
// what such a manager would do for a frame, the frame does itself.
#include "FrameSkin.h"

#include <QScreen>
#include <gtest/gtest.h>

using namespace skin;
using namespace skintest;

namespace {

// Chosen before the test program makes its application.
const bool BarePlatform = qputenv("QT_QPA_PLATFORM", "minimal:enable_fonts");

using SkinFrameWithoutWindowManager = SkinFrame;

TEST_F(SkinFrameWithoutWindowManager, AMaximisedWindowTakesTheScreensRoomAndGetsItsOwnPlaceBackOnRestore)
{
    ASSERT_TRUE(BarePlatform);
    Skin({150, 100}, false);
    const QRect normal = form->geometry();
    const QRect room = form->screen()->availableGeometry();
    ASSERT_NE(normal, room);
    // By the caption buttons, by the system menu, and by the program.
    const std::function<void()> maximise[] = {[&] { Click(Centre("BUTTONMAX")); },
                                              [&] { skinner->SysMenuItemClick(1); }, [&] { form->showMaximized(); }};
    const std::function<void()> restore[] = {[&] { Click(Centre("BUTTONRESTORE")); },
                                             [&] { skinner->SysMenuItemClick(0); }, [&] { form->showNormal(); }};
    for (size_t i = 0; i < std::size(maximise); ++i) {
        SCOPED_TRACE(i);
        maximise[i]();
        ASSERT_TRUE(WaitFor([&] { return form->isMaximized(); }));
        EXPECT_TRUE(WaitFor([&] { return form->geometry() == room; }))
            << form->geometry().x() << "," << form->geometry().y() << " " << form->width() << "x" << form->height();
        EXPECT_EQ(skinner->ShowState, 1);
        EXPECT_EQ(form->contentsRect().size(), room.size().shrunkBy(form->contentsMargins()));
        form->grab();
        restore[i]();
        ASSERT_TRUE(WaitFor([&] { return !form->isMaximized(); }));
        EXPECT_TRUE(WaitFor([&] { return form->geometry() == normal; }))
            << form->geometry().x() << "," << form->geometry().y() << " " << form->width() << "x" << form->height();
        EXPECT_EQ(skinner->ShowState, 0);
    }
}

} // namespace
