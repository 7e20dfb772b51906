// The skinned menu bar: its buttons from the window's menu bar, their
// layout and pictures, clicks, Alt with a letter, and moving along the bar
// with the keys and the mouse while one of its menus is open.
#include "skin/SkinMenuBar.h"

#include "MenuScript.h"
#include "SkinMenus.h"
#include "skin/SkinManage.h"

#include <QElapsedTimer>
#include <QShortcut>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using namespace skin;
using namespace skintest;

namespace {

void CloseAll(QMenu *menu)
{
    MenuScript::CloseAll(menu);
}

class MenuBar : public FreshManager {
protected:
    void SkinIt(bool extras = false, const MenuSkinOptions &options = {},
                const std::function<void(TMenuForm &)> &prepare = {})
    {
        form = std::make_unique<TMenuForm>(extras);
        if (prepare)
            prepare(*form);
        StoredComponent(form.get(), TSkinData::sfMainform, true, MenuSkinPackage(options));
        ASSERT_TRUE(ShowActive(form.get()));
        skinner = Manager().FindSkinner(form.get());
        ASSERT_NE(skinner, nullptr);
        bar = skinner->MenuBar;
        ASSERT_NE(bar, nullptr);
        // The window takes its skinned frame at its first layout.
        ASSERT_TRUE(WaitFor([&] { return skinner->FirstLayoutSeen && form->isActiveWindow(); }));
        Layout();
    }

    // Paints the bar as the frame painter does, which lays its buttons out.
    QImage Layout(int width = 0)
    {
        const QRect rect(0, 0, width > 0 ? width : form->width(), skinner->MenuHeight);
        QImage image(rect.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        bar->PaintBar(painter, rect);
        return image;
    }

    TMenuBtn *Button(const QString &caption) const
    {
        for (TMenuBtn *b : bar->Buttons)
            if (b->Caption == caption)
                return b;
        return nullptr;
    }

    // Clicks the button and handles events until the script has run.
    void Click(const QString &caption, MenuScript &script)
    {
        TMenuBtn *button = Button(caption);
        ASSERT_NE(button, nullptr) << caption.toStdString();
        bar->MouseDown(button->Rect.center());
        EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
        EXPECT_TRUE(WaitFor([&] { return skinner->InMenuLoop == 0 && bar->OpenIndex() < 0; }));
    }

    CrispMenuFonts fonts;
    std::unique_ptr<TMenuForm> form;
    TRuzOzodOvez *skinner = nullptr;
    TWinSkinMenu *bar = nullptr;
};

TEST_F(MenuBar, TakesTheTopItemsWithAcceleratorsAndHidesTheWindowsOwnBar)
{
    SkinIt(true);
    QStringList captions;
    for (const TMenuBtn *b : bar->Buttons)
        captions << b->Caption;
    EXPECT_EQ(captions, QStringList({"&Tools...", "", "&Hidden", "&Go", "?"}));
    EXPECT_FALSE(form->menuBar()->isVisible());
    EXPECT_GT(skinner->MenuHeight, 0);
    EXPECT_EQ(bar->Buttons[0]->SubMenu, form->Tools);
    EXPECT_EQ(bar->Buttons[3]->SubMenu, nullptr);
    EXPECT_FALSE(bar->Buttons[2]->Visible);
}

TEST_F(MenuBar, AnEmptyCaptionOrAHiddenItemTakesNoSpaceAndIsNeverHit)
{
    SkinIt(true);
    const QRect tools = Button("&Tools...")->Rect, go = Button("&Go")->Rect;
    EXPECT_EQ(tools.left(), 5 + 4);
    EXPECT_EQ(go.left(), tools.right() + 1);
    EXPECT_TRUE(bar->Buttons[1]->Rect.isEmpty());
    EXPECT_TRUE(bar->Buttons[2]->Rect.isEmpty());
    for (int x = 0; x < form->width(); ++x) {
        TMenuBtn *hit = bar->HitTest(QPoint(x, 3));
        EXPECT_TRUE(hit != bar->Buttons[1] && hit != bar->Buttons[2]) << x;
    }
}

struct StartCase {
    bool element;
    int width;
    bool rtl;
    int edge; // the first button's left edge, or its right edge (exclusive) from the right
};

class BarStart : public MenuBar, public testing::WithParamInterface<StartCase> {};

TEST_P(BarStart, TheFirstButtonStartsAfterTheBarsMargin)
{
    const StartCase &c = GetParam();
    SkinIt(false, {.menuBar = c.element});
    if (c.rtl)
        form->setLayoutDirection(Qt::RightToLeft);
    Layout(c.width);
    const QRect first = bar->Buttons[0]->Rect;
    if (c.rtl)
        EXPECT_EQ(c.width - (first.right() + 1), c.edge);
    else
        EXPECT_EQ(first.left(), c.edge);
}

INSTANTIATE_TEST_SUITE_P(Cases, BarStart,
                         testing::Values(StartCase{true, 400, false, 5 + 4}, StartCase{false, 400, false, 6},
                                         StartCase{true, 8, false, 12}, StartCase{true, 400, true, 2 + 8},
                                         StartCase{false, 400, true, 6}));

TEST_F(MenuBar, PaintsTheActiveOrInactiveFrameTheCaptionsAndTheHotButton)
{
    SkinIt();
    form->Edit->setEnabled(false);
    Layout();
    bar->LoadFromForm();
    QImage active = Layout();
    EXPECT_EQ(active.pixel(active.width() - 4, 2) & 0xFFFFFF, BarActive & 0xFFFFFF);
    EXPECT_TRUE(HasColour(active, BarTextRgb, Button("&Tools...")->Rect));
    EXPECT_TRUE(HasColour(active, ShadowRgb, Button("&Edit")->Rect));
    EXPECT_FALSE(HasColour(active, BarTextRgb, Button("&Edit")->Rect));

    Button("?")->MouseOver();
    EXPECT_EQ(skinner->HotObject, Button("?"));
    const QImage hot = Layout();
    const QRect what = Button("?")->Rect;
    EXPECT_EQ(hot.pixel(what.left(), what.top()) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(hot.pixel(what.center().x(), what.bottom()) & 0xFFFFFF, 0xFFFFFFu);

    skinner->Active = 0;
    const QImage inactive = Layout();
    EXPECT_EQ(inactive.pixel(inactive.width() - 4, 2) & 0xFFFFFF, BarInactive & 0xFFFFFF);
}

TEST_F(MenuBar, ADisabledButtonWhoseShadowIsLostOnTheBarShowsItsTextDimmed)
{
    // The bar's colour is 60 60 60, its text 250 240 200.
    SkinIt(false, {.menuBar = false, .buttonShadow = "62 62 62"});
    form->Edit->menuAction()->setEnabled(false);
    ASSERT_TRUE(WaitFor([&] { return Button("&Edit") && !Button("&Edit")->Enabled; }));
    const QImage image = Layout();
    const QRect edit = Button("&Edit")->Rect;
    EXPECT_TRUE(HasColour(image, qRgb(155, 150, 130), edit));
    EXPECT_FALSE(HasColour(image, qRgb(62, 62, 62), edit));
}

TEST_F(MenuBar, WithoutAPictureTheBarIsFilledWithTheMenuBarColour)
{
    SkinIt(false, {.menuBar = false});
    const QImage image = Layout();
    EXPECT_EQ(image.pixel(image.width() - 4, 2) & 0xFFFFFF, BarColourRgb & 0xFFFFFF);
}

TEST_F(MenuBar, AClickOpensTheButtonsMenuBelowItWithItsFirstItemSelected)
{
    SkinIt();
    TMenuBtn *tools = Button("&Tools...");
    QPoint at;
    QAction *selected = nullptr;
    int stateWhileOpen = 0, loopWhileOpen = 0;
    MenuScript script({{"ToolsPopup", [&](QMenu *menu) {
                            at = menu->pos();
                            selected = menu->activeAction();
                            stateWhileOpen = tools->State;
                            loopWhileOpen = skinner->InMenuLoop;
                            CloseAll(menu);
                        }}});
    Click("&Tools...", script);
    EXPECT_EQ(at, form->mapToGlobal(QPoint(tools->Rect.left(), tools->Rect.bottom() + 1)));
    EXPECT_EQ(selected, form->Analysis);
    EXPECT_EQ(stateWhileOpen, TNCObject::StatePressed);
    EXPECT_EQ(loopWhileOpen, 1);
    EXPECT_EQ(skinner->TrackedMenu, form->Tools);
    // Its items are drawn by the skin.
    EXPECT_TRUE(skinner->MenuStyle->IsOwnerDrawn(form->Tools));
    EXPECT_TRUE(skinner->MenuStyle->IsOwnerDrawn(form->More));
}

struct MoveCase {
    bool rtl;
    QString start;
    QString select; // the item to select first, empty for the first item
    int key;
    QString opened;
};

void PrintTo(const MoveCase &c, std::ostream *os)
{
    *os << (c.rtl ? "right-to-left " : "") << c.start.toStdString() << " + key " << c.key << " -> "
        << c.opened.toStdString();
}

class BarKeys : public MenuBar, public testing::WithParamInterface<MoveCase> {};

TEST_P(BarKeys, LeftAndRightMoveAlongTheBarOrIntoASubmenu)
{
    const MoveCase &c = GetParam();
    SkinIt();
    if (c.rtl) {
        form->setLayoutDirection(Qt::RightToLeft);
        for (QMenu *m : form->findChildren<QMenu *>())
            m->setLayoutDirection(Qt::RightToLeft);
    }
    Layout();
    MenuScript script({{c.start + "Popup",
                        [&](QMenu *menu) {
                            if (!c.select.isEmpty())
                                for (QAction *a : menu->actions())
                                    if (a->text() == c.select)
                                        menu->setActiveAction(a);
                            QTest::keyClick(menu, Qt::Key(c.key));
                        }},
                       {c.opened + "Popup", CloseAll}});
    const QString caption = c.start == "What" ? "?" : "&" + c.start + (c.start == "Tools" ? "..." : "");
    Click(caption, script);
    EXPECT_EQ(script.seen, QStringList({c.start + "Popup", c.opened + "Popup"}));
}

INSTANTIATE_TEST_SUITE_P(Cases, BarKeys,
                         testing::Values(MoveCase{false, "Tools", "", Qt::Key_Left, "What"},
                                         MoveCase{false, "Tools", "", Qt::Key_Right, "Edit"},
                                         MoveCase{false, "What", "", Qt::Key_Right, "Tools"},
                                         MoveCase{false, "Tools", "More", Qt::Key_Right, "More"},
                                         MoveCase{true, "Tools", "", Qt::Key_Left, "Edit"},
                                         MoveCase{true, "Tools", "", Qt::Key_Right, "What"}));

TEST_F(MenuBar, LeftInASubmenuOnlyClosesTheSubmenu)
{
    SkinIt();
    MenuScript script({{"ToolsPopup",
                        [&](QMenu *menu) {
                            menu->setActiveAction(form->More->menuAction());
                            QTest::keyClick(menu, Qt::Key_Right);
                        }},
                       {"MorePopup", [](QMenu *menu) { QTest::keyClick(menu, Qt::Key_Left); }},
                       {"ToolsPopup", CloseAll}});
    Click("&Tools...", script);
    EXPECT_EQ(script.seen, QStringList({"ToolsPopup", "MorePopup", "ToolsPopup"}));
}

TEST_F(MenuBar, TheMouseOverAnotherButtonOpensItsMenu)
{
    SkinIt();
    QPoint over = form->mapToGlobal(Button("?")->Rect.center());
    MenuScript script({{"ToolsPopup",
                        [&](QMenu *menu) {
                            // Over its own button nothing changes.
                            QMouseEvent same(QEvent::MouseMove, QPointF(-1, -1),
                                             QPointF(form->mapToGlobal(Button("&Tools...")->Rect.center())),
                                             Qt::NoButton, Qt::NoButton, Qt::NoModifier);
                            QApplication::sendEvent(menu, &same);
                            EXPECT_EQ(QApplication::activePopupWidget(), menu);
                            QMouseEvent move(QEvent::MouseMove, QPointF(-1, -1), QPointF(over), Qt::NoButton,
                                             Qt::NoButton, Qt::NoModifier);
                            QApplication::sendEvent(menu, &move);
                        }},
                       {"WhatPopup", CloseAll}});
    Click("&Tools...", script);
    EXPECT_EQ(script.seen, QStringList({"ToolsPopup", "WhatPopup"}));
}

TEST_F(MenuBar, AltClosesTheMenuAndOpensNothing)
{
    SkinIt();
    MenuScript script({{"ToolsPopup", [](QMenu *menu) { QTest::keyClick(menu, Qt::Key_Alt); }}});
    Click("&Tools...", script);
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(skinner->InMenuLoop, 0);
}

TEST_F(MenuBar, AltWithTheAcceleratorOpensItsMenu)
{
    SkinIt();
    MenuScript script({{"ToolsPopup", CloseAll}});
    // Shortcuts reach the active window only.
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_T, Qt::AltModifier);
    EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
    EXPECT_EQ(script.seen, QStringList({"ToolsPopup"}));
    // A letter that is nobody's accelerator opens nothing.
    EXPECT_FALSE(bar->DialogChar(u'Z'));
}

TEST_F(MenuBar, ATopItemWithoutChildrenStillTriggersAndOpensNothing)
{
    SkinIt(true);
    int triggered = 0;
    QObject::connect(form->Go, &QAction::triggered, [&] { ++triggered; });
    EXPECT_TRUE(bar->MouseDown(Button("&Go")->Rect.center()));
    EXPECT_TRUE(WaitFor([&] { return triggered == 1; }));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(skinner->InMenuLoop, 0);
    EXPECT_FALSE(bar->MouseDown(QPoint(form->width() - 2, 3)));
}

struct SelectCase {
    const char *name;
    bool byMouse; // the mouse moves onto the item from the open Tools menu; else Left from the ? menu
    int endKey;   // 0: a click on the window's client
    int runs;     // times the item's command runs
    QStringList menus;
};

void PrintTo(const SelectCase &c, std::ostream *os)
{
    *os << c.name;
}

class SelectedTopItem : public MenuBar, public testing::WithParamInterface<SelectCase> {};

TEST_P(SelectedTopItem, IsReachedFromAnOpenMenuWithoutRunningItsCommandWhichOnlyReturnRuns)
{
    const SelectCase &c = GetParam();
    SkinIt(true);
    TMenuBtn *go = Button("&Go");
    ASSERT_NE(go, nullptr);
    int triggered = 0;
    QObject::connect(form->Go, &QAction::triggered, [&] { ++triggered; });
    const QPoint overGo = form->mapToGlobal(go->Rect.center());
    QList<MenuScript::Step> steps{{c.menus.first(), [&](QMenu *menu) {
                                       if (!c.byMouse) {
                                           QTest::keyClick(menu, Qt::Key_Left);
                                           return;
                                       }
                                       QMouseEvent move(QEvent::MouseMove, QPointF(-1, -1), QPointF(overGo),
                                                        Qt::NoButton, Qt::NoButton, Qt::NoModifier);
                                       QApplication::sendEvent(menu, &move);
                                   }}};
    // Right from the selected item opens the next button's menu.
    if (c.menus.size() > 1)
        steps.append({c.menus.last(), CloseAll});
    MenuScript script(steps);
    bar->MouseDown(Button(c.byMouse ? "&Tools..." : "?")->Rect.center());
    ASSERT_TRUE(WaitFor([&] { return go->State == TNCObject::StatePressed && !QApplication::activePopupWidget(); }));
    QCoreApplication::processEvents();
    // Selected, shown as pressed, with no menu open and nothing run.
    EXPECT_EQ(triggered, 0);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(go->State, TNCObject::StatePressed);
    EXPECT_EQ(skinner->InMenuLoop, 1);
    // Other keys are the loop's: they neither run it nor reach the window.
    QTest::keyClick(form.get(), Qt::Key_Down);
    EXPECT_EQ(go->State, TNCObject::StatePressed);
    EXPECT_EQ(skinner->InMenuLoop, 1);

    if (c.endKey)
        QTest::keyClick(form.get(), Qt::Key(c.endKey));
    else
        QTest::mouseClick(form->centralWidget(), Qt::LeftButton);
    EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
    EXPECT_TRUE(WaitFor([&] { return triggered == c.runs && skinner->InMenuLoop == 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(triggered, c.runs);
    EXPECT_EQ(go->State, TNCObject::StateNormal);
    EXPECT_EQ(script.seen, c.menus);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SelectedTopItem,
    testing::Values(SelectCase{"ByTheMouseThenReturn", true, Qt::Key_Return, 1, {"ToolsPopup"}},
                    SelectCase{"ByTheMouseThenEscape", true, Qt::Key_Escape, 0, {"ToolsPopup"}},
                    SelectCase{"ByLeftThenEnter", false, Qt::Key_Enter, 1, {"WhatPopup"}},
                    SelectCase{"ByLeftThenAClickElsewhere", false, 0, 0, {"WhatPopup"}},
                    SelectCase{
                        "ByTheMouseThenRightOpensTheNextMenu", true, Qt::Key_Right, 0, {"ToolsPopup", "WhatPopup"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(MenuBar, ARebuildLetsGoOfTheHotButton)
{
    SkinIt();
    ASSERT_TRUE(bar->MouseMove(Button("?")->Rect.center()));
    EXPECT_EQ(skinner->HotObject, Button("?"));
    form->Tools->setTitle("Outils...");
    ASSERT_TRUE(WaitFor([&] { return bar->Buttons[0]->Caption == "&Outils..."; }));
    EXPECT_EQ(skinner->HotObject, nullptr);
    // The next move finds the new buttons.
    Layout();
    EXPECT_TRUE(bar->MouseMove(bar->Buttons[0]->Rect.center()));
    EXPECT_EQ(skinner->HotObject, bar->Buttons[0]);
}

TEST_F(MenuBar, AMenuChangeWhileABarMenuIsOpenWaitsUntilItCloses)
{
    SkinIt();
    const QList<TMenuBtn *> before = bar->Buttons;
    QList<TMenuBtn *> during;
    MenuScript script({{"ToolsPopup", [&](QMenu *menu) {
                            form->What->setTitle("Aide");
                            during = bar->Buttons;
                            CloseAll(menu);
                        }}});
    Click("&Tools...", script);
    EXPECT_EQ(during, before);
    EXPECT_TRUE(WaitFor([&] { return bar->Buttons.last()->Caption == "&Aide"; }));
}

TEST_F(MenuBar, UnskinningGivesTheWindowItsMenuBarBack)
{
    SkinIt();
    ASSERT_FALSE(form->menuBar()->isVisible());
    QPointer<TRuzOzodOvez> gone = skinner;
    form->findChild<TSkinData *>()->SetActive(false);
    ASSERT_TRUE(WaitFor([&] { return gone.isNull(); }));
    EXPECT_TRUE(form->menuBar()->isVisible());
    // Its own shortcuts are the bar's again: ours are gone with the buttons.
    EXPECT_TRUE(form->findChildren<QShortcut *>().isEmpty());
}

TEST_F(MenuBar, SwitchingTheSkinOffWhileABarMenuIsOpenLeavesAWorkingWindow)
{
    SkinIt();
    QPointer<TRuzOzodOvez> gone = skinner;
    QPointer<TWinSkinMenu> barGone = bar;
    bool closedAfterUnskin = false;
    MenuScript script({{"ToolsPopup", [&](QMenu *menu) {
                            form->findChild<TSkinData *>()->SetActive(false);
                            QTimer::singleShot(0, menu, [&, menu] {
                                closedAfterUnskin = WaitFor([&] { return gone.isNull(); });
                                CloseAll(menu);
                            });
                        }}});
    TMenuBtn *tools = Button("&Tools...");
    bar->MouseDown(tools->Rect.center());
    EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
    EXPECT_TRUE(closedAfterUnskin);
    EXPECT_TRUE(barGone.isNull());
    EXPECT_TRUE(form->menuBar()->isVisible());
    EXPECT_FALSE(form->Tools->testAttribute(Qt::WA_SetStyle));
}

TEST_F(MenuBar, PressReleaseAndLeaveFollowTheMouse)
{
    SkinIt();
    TMenuBtn *what = Button("?"), *tools = Button("&Tools...");
    what->MouseOver();
    EXPECT_EQ(what->State, TNCObject::StateHot);
    tools->MouseOver();
    EXPECT_EQ(what->State, TNCObject::StateNormal);
    EXPECT_EQ(skinner->HotObject, tools);
    what->Press();
    EXPECT_EQ(tools->State, TNCObject::StateNormal);
    EXPECT_EQ(what->State, TNCObject::StatePressed);
    what->Release();
    EXPECT_EQ(what->State, TNCObject::StateHot);
    EXPECT_EQ(skinner->HotObject, what);
    what->Leave();
    EXPECT_EQ(skinner->HotObject, nullptr);
    // A hidden element keeps its state.
    what->Visible = false;
    what->MouseOver();
    EXPECT_EQ(what->State, TNCObject::StateNormal);
    EXPECT_EQ(skinner->HotObject, nullptr);
}

struct ShortcutCase {
    const char *name;
    bool later; // the action is added once the bar is skinned
    std::function<QAction *(TMenuForm &)> add;
};

void PrintTo(const ShortcutCase &c, std::ostream *os)
{
    *os << c.name;
}

class MenuShortcuts : public MenuBar, public testing::WithParamInterface<ShortcutCase> {};

TEST_P(MenuShortcuts, WorkSkinnedAndUnskinnedAndRunTheirCommandOnce)
{
    const ShortcutCase &c = GetParam();
    QAction *action = nullptr;
    SkinIt(true, {}, [&](TMenuForm &f) {
        if (!c.later)
            action = c.add(f);
    });
    if (c.later)
        action = c.add(*form);
    action->setShortcut(QKeySequence("Ctrl+O"));
    int triggered = 0;
    QObject::connect(action, &QAction::triggered, [&] { ++triggered; });
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QCoreApplication::processEvents();
    QTest::keyClick(form.get(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(triggered, 1);

    QPointer<TRuzOzodOvez> gone = skinner;
    form->findChild<TSkinData *>()->SetActive(false);
    ASSERT_TRUE(WaitFor([&] { return gone.isNull(); }));
    // The window has only its own actions back.
    EXPECT_TRUE(form->actions().isEmpty());
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(triggered, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MenuShortcuts,
    testing::Values(ShortcutCase{"InABarMenu", false, [](TMenuForm &f) { return f.Tools->addAction("Open..."); }},
                    ShortcutCase{"InASubmenu", false, [](TMenuForm &f) { return f.More->addAction("Open..."); }},
                    ShortcutCase{"ATopItem", false, [](TMenuForm &f) { return f.Go; }},
                    ShortcutCase{"AddedWhileSkinned", true, [](TMenuForm &f) { return f.Tools->addAction("Open..."); }},
                    ShortcutCase{"InASubmenuAddedWhileSkinned", true,
                                 [](TMenuForm &f) {
                                     QMenu *sub = f.Tools->addMenu("Files");
                                     return sub->addAction("Open...");
                                 }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(MenuAccelerators, EachCaptionWithoutOneGetsItsFirstFreeLetter)
{
    EXPECT_EQ(AutoHotkeys({"Tools...", "?"}), QStringList({"&Tools...", "?"}));
    EXPECT_EQ(AutoHotkeys({"Tools", "Tempo", "&Time"}), QStringList({"T&ools", "T&empo", "&Time"}));
    EXPECT_EQ(AutoHotkeys({"Save && quit", ""}), QStringList({"&Save && quit", ""}));
}

} // namespace
