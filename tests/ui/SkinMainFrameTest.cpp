// The main window with its whole skin: the skin's frame in place of the
// system's around the same client, in the full and the compact layout, its
// caption buttons acting as the system's, and switching the skin off giving
// back frame, flags, size and outline.
#include "MainWindowFixture.h"

#include "skin/RadEzarArov.h"
#include "skin/RuzOzodOvez.h"
#include "skin/SkinFrame.h"
#include "skin/SkinManage.h"
#include "skin/SkinPackage.h"

#include <QMenuBar>

namespace {

class SkinMainFrame : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        skin::FreeSkinManager();
    }
    void TearDown() override
    {
        w.reset();
        skin::FreeSkinManager();
        MainWindowTest::TearDown();
    }

    // Opens the main window as the program does and switches its skin on,
    // with every kind of control it skins by default.
    void OpenSkinned()
    {
        Open();
        data = w->SkinData1;
        ASSERT_NE(data, nullptr);
        if (!data->SkinReady())
            data->ReadSkinStream(skin::EmbeddedSkinStream());
        ASSERT_TRUE(data->SkinReady());
        ASSERT_TRUE(data->SkinControls.contains(skin::xcMainMenu));
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        flagsBefore = w->windowFlags();
        sizeBefore = w->size();
        data->SetActive(true);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                skinner = skin::SkinManager ? skin::SkinManager->FindSkinner(w.get()) : nullptr;
                return skinner && skinner->FirstLayoutSeen && skinner->State == skin::TRuzOzodOvez::StateSkinned;
            },
            10000));
    }

    // A click on the frame, where the window itself gets the mouse.
    void ClickFrame(QPoint at)
    {
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, w->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(w.get(), &event);
        }
    }
    QPoint ButtonOfAction(int action)
    {
        w->grab(); // lays the caption buttons out
        for (const auto &button : skinner->SysButtons)
            if (button->Visible && button->Element->Action == action)
                return button->Rect.center();
        ADD_FAILURE() << "no caption button of action " << action;
        return {};
    }

    skin::TSkinData *data = nullptr;
    skin::TRuzOzodOvez *skinner = nullptr;
    Qt::WindowFlags flagsBefore;
    QSize sizeBefore;
};

TEST_F(SkinMainFrame, TheSkinsFrameTakesThePlaceOfTheSystemsAroundTheSameClientInBothLayouts)
{
    OpenSkinned();
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(w->isVisible());
    const QMargins frame = w->contentsMargins();
    EXPECT_EQ(frame, QMargins(skinner->BorderLeft, skinner->BorderTop + skinner->MenuHeight, skinner->BorderRight,
                              skinner->BorderBottom));
    EXPECT_GT(skinner->BorderLeft, 0);
    EXPECT_GT(skinner->BorderTop, 0);
    EXPECT_EQ(w->ClientArea->size(), QSize(638, 500));
    // The skinned menu bar lies in the frame, in place of Qt's.
    EXPECT_GT(skinner->MenuHeight, 0);
    EXPECT_TRUE(w->menuBar()->isHidden());
    EXPECT_EQ(w->size(), QSize(638, 500).grownBy(frame));
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    // Our skin's sides are round at their outer corners.
    const QRegion outline = w->mask();
    EXPECT_FALSE(outline.contains(QPoint(0, 0)));
    EXPECT_FALSE(outline.contains(QPoint(w->width() - 1, w->height() - 1)));
    EXPECT_TRUE(outline.contains(QPoint(w->width() / 2, w->height() / 2)));
    EXPECT_TRUE(outline.contains(QPoint(w->width() / 2, 1)));

    // The compact layout: the client shrinks, the frame stays around it.
    const int menu = w->menuBar()->isHidden() ? 0 : w->menuBar()->heightForWidth(638);
    for (const auto &[compact, height] : {std::pair{true, 236}, std::pair{false, 500}}) {
        model::WindowCompact = compact;
        w->ApplyLayout();
        EXPECT_EQ(w->ClientArea->size(), QSize(638, height));
        EXPECT_EQ(w->size(), QSize(638, menu + height).grownBy(frame)) << "compact " << compact;
        ASSERT_TRUE(QTest::qWaitFor([&] { return w->mask().boundingRect() == w->rect(); }, 5000));
    }
}

TEST_F(SkinMainFrame, SwitchingTheSkinOffGivesBackFrameFlagsSizeOutlineAndMenuBar)
{
    OpenSkinned();
    data->SetActive(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return skin::SkinManager->FindSkinner(w.get()) == nullptr; }, 10000));
    EXPECT_EQ(w->windowFlags(), flagsBefore);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->contentsMargins(), QMargins());
    EXPECT_EQ(w->size(), sizeBefore);
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    EXPECT_TRUE(w->mask().isEmpty());
    EXPECT_TRUE(w->menuBar()->isVisible());
    EXPECT_EQ(w->ClientArea->size(), QSize(638, 500));
}

TEST_F(SkinMainFrame, TheCaptionButtonsMinimiseRestoreAndCloseWithTheSettingsSaved)
{
    OpenSkinned();
    // No maximise box on this window: neither maximise nor restore shows.
    w->grab();
    for (const auto &button : skinner->SysButtons) {
        if (button->Element->Action == 1) {
            EXPECT_FALSE(button->Visible) << button->Element->Name.toStdString();
        }
    }

    ClickFrame(ButtonOfAction(2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->isMinimized(); }, 5000));
    skinner->SysMenuItemClick(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->isMinimized(); }, 5000));

    Click(w->BtnAccordDown);
    ClickFrame(ButtonOfAction(0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->isVisible(); }, 5000));
    platform::TRegistry registry;
    registry.OpenKey("Software\\Harmonova", false);
    EXPECT_EQ(registry.ReadInteger("ListenType"), 2);
}

} // namespace
