// The main window's menu bar with the skin on: its Tools and ? menus become
// buttons of the skinned bar, Alt+T and the arrow keys work on them, a
// change of language re-labels them, and switching the skin off gives the
// window its own menu bar back.
#include "MenuScript.h"
#include "SkinProgramFixture.h"

#include "skin/RadEzarArov.h"
#include "skin/RuzOzodOvez.h"
#include "skin/SkinManage.h"
#include "skin/SkinMenuBar.h"
#include "skin/SkinMenuItem.h"
#include "skin/SkinPackage.h"
#include "ui/Startup.h"

#include <QMenuBar>
#include <QPainter>

namespace {

class SkinMainMenu : public SkinProgramTest {
protected:
    void TearDown() override
    {
        SkinProgramTest::TearDown();
        model::Language = 1;
    }

    QStringList Captions() const
    {
        QStringList captions;
        for (const skin::TMenuBtn *b : skinner->MenuBar->Buttons)
            captions << b->Caption;
        return captions;
    }

    skin::TRuzOzodOvez *skinner = nullptr;
};

TEST_F(SkinMainMenu, TheSkinnedBarOpensItsMenusFromTheKeyboardAndGivesTheBarBackWhenSwitchedOff)
{
    program = std::make_unique<ui::TProgramWindows>();
    TFormMain &main = program->FormMain();
    skin::TSkinData *data = main.SkinData1;
    if (!data->SkinReady())
        data->ReadSkinStream(skin::EmbeddedSkinStream());
    ASSERT_TRUE(data->SkinReady());
    ASSERT_TRUE(data->SkinControls.contains(skin::xcMainMenu));
    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    const int menuHeight = main.menuBar()->height();

    data->SetActive(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return skin::SkinManager->FindSkinner(&main) != nullptr; }, 10000));
    skinner = skin::SkinManager->FindSkinner(&main);
    ASSERT_NE(skinner->MenuBar, nullptr);
    // The frame's first layout shows the window anew, frameless.
    ASSERT_TRUE(QTest::qWaitFor([&] { return skinner->FirstLayoutSeen == 1; }, 10000));
    EXPECT_FALSE(main.menuBar()->isVisible());
    EXPECT_EQ(skinner->MenuHeight, menuHeight);
    EXPECT_EQ(Captions(), QStringList({"&Tools...", "?"}));
    // The frame painter lays the buttons out as it paints the bar.
    QImage bar(main.width(), skinner->MenuHeight, QImage::Format_RGB32);
    {
        QPainter painter(&bar);
        skinner->MenuBar->PaintBar(painter, bar.rect());
    }
    EXPECT_FALSE(skinner->MenuBar->Buttons[0]->Rect.isEmpty());

    // Alt+T opens Tools with its first item selected; Left there goes round
    // to the last button.
    QAction *selected = nullptr;
    MenuScript script({{"mnuToolsPopup",
                        [&](QMenu *menu) {
                            selected = menu->activeAction();
                            QTest::keyClick(menu, Qt::Key_Left);
                        }},
                       {"mnuWhatPopup", MenuScript::CloseAll}});
    // Made frameless by the skin, the window is shown anew: Alt+T reaches it
    // once it is the active window again.
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QTest::keyClick(&main, Qt::Key_T, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return script.Done(); }, 10000));
    EXPECT_EQ(script.seen, QStringList({"mnuToolsPopup", "mnuWhatPopup"}));
    EXPECT_EQ(selected, main.mnuChordanalysis);
    EXPECT_TRUE(skinner->MenuStyle->IsOwnerDrawn(main.findChild<QMenu *>("mnuToolsPopup")));

    // A change of language re-labels the skinned bar.
    model::Language = 2;
    main.ApplyLanguage();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Captions() == QStringList({"&Outils...", "?"}); }));

    QPointer<skin::TRuzOzodOvez> gone = skinner;
    data->SetActive(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return gone.isNull(); }, 10000));
    EXPECT_TRUE(main.menuBar()->isVisible());
    EXPECT_EQ(main.menuBar()->actions().first()->text(), "Outils...");
    EXPECT_FALSE(main.findChild<QMenu *>("mnuToolsPopup")->testAttribute(Qt::WA_SetStyle));
}

} // namespace
