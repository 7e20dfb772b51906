// A skinned window that holds child windows (a QMdiArea): the children get
// skinned frames of their own, a maximised child shows none and its
// minimise, restore and close buttons stand in the frame's menu bar, and
// Alt with a letter typed in a child opens the frame's menu.
#include "FrameSkin.h"
#include "MenuScript.h"

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace skin;
using namespace skintest;

namespace {

class SkinMdi : public SkinFrame {
protected:
    void SetUp() override
    {
        SkinFrame::SetUp();
        auto window = std::make_unique<TTestForm>();
        auto *layout = new QVBoxLayout(window.get());
        layout->setContentsMargins(QMargins());
        bar = new QMenuBar(window.get());
        tools = bar->addMenu("&Tools");
        tools->addAction("&Open");
        layout->setMenuBar(bar);
        area = new QMdiArea(window.get());
        layout->addWidget(area);
        for (const char *name : {"First", "Second"}) {
            auto *child = new TTestForm;
            child->setWindowTitle(name);
            auto *inner = new QVBoxLayout(child);
            inner->addWidget(new QLabel(name, child));
            inner->addWidget(new QPushButton("&Tune", child));
            area->addSubWindow(child)->resize(160, 100);
        }
        Skin({360, 260}, false, true, FullFrame, std::move(window));
        ASSERT_TRUE(WaitFor([&] {
            for (QMdiSubWindow *sub : area->subWindowList()) {
                const TRuzOzodOvez *s = Manager().FindSkinner(sub);
                if (!s || !s->FirstLayoutSeen || s->State != TRuzOzodOvez::StateSkinned)
                    return false;
            }
            return true;
        }));
        area->setActiveSubWindow(Sub(0));
        ASSERT_TRUE(WaitFor([&] { return area->currentSubWindow() == Sub(0) && Child(0)->Active; }));
    }

    QMdiSubWindow *Sub(int i) const { return area->subWindowList().at(i); }
    TRuzOzodOvez *Child(int i) const { return SkinManager->FindSkinner(Sub(i)); }
    TWinSysButton *MdiButton(int action) const
    {
        for (const auto &button : skinner->SysButtons)
            if (button->Element->Visibility == 100 && button->Element->Action == action)
                return button.get();
        return nullptr;
    }
    QChar LetterOn(QWidget *window, QPoint at) const { return LetterOf(window->grab().toImage().pixel(at)); }
    QChar LetterAt(QPoint at) const { return LetterOn(form.get(), at); }

    QMenuBar *bar = nullptr;
    QMenu *tools = nullptr;
    QMdiArea *area = nullptr;
};

TEST_F(SkinMdi, TheChildWindowsAreSkinnedWithFramesOfTheirOwnAroundTheirForms)
{
    EXPECT_EQ(skinner->MDIKind, 1);
    EXPECT_EQ(skinner->MDIClient, area);
    EXPECT_EQ(SkinManager->MDIParentForm, form.get());
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        TRuzOzodOvez *child = Child(i);
        EXPECT_EQ(child->MDIKind, 2);
        EXPECT_EQ(child->Form, Sub(i)->widget()) << "the child's own form is skinned";
        EXPECT_EQ(child->FrameKind, TRuzOzodOvez::fkSizeable);
        EXPECT_TRUE(Sub(i)->windowFlags().testFlag(Qt::FramelessWindowHint)) << "Qt draws no title bar";
        EXPECT_EQ(Sub(i)->widget()->geometry().topLeft(), QPoint(FrameSide, FrameTop));
        EXPECT_EQ(Sub(i)->widget()->size(), Sub(i)->size().shrunkBy({FrameSide, FrameTop, FrameSide, FrameBottom}));
        EXPECT_TRUE(Sub(i)->mask().contains(QPoint(Sub(i)->width() / 2, 1)));
        EXPECT_FALSE(Sub(i)->mask().contains(QPoint(0, 0))) << "its rounded corners cut out";
    }
    // The active child's borders are lit, the other's are not.
    EXPECT_EQ(LetterOn(Sub(0), {1, 40}), 'L');
    EXPECT_EQ(LetterOn(Sub(1), {1, 40}), 'l');
}

TEST_F(SkinMdi, AMaximisedChildShowsNoFrameAndItsButtonsStandInTheMenuBarWhereTheyMinimiseRestoreAndClose)
{
    ASSERT_NE(MdiButton(7), nullptr);
    Sub(0)->showMaximized();
    ASSERT_TRUE(WaitFor([&] { return MdiButton(9)->Visible; })) << "the buttons follow the child's state";
    EXPECT_TRUE(SkinManager->MaximizedState);
    EXPECT_EQ(Sub(0)->widget()->geometry(), Sub(0)->rect()) << "no frame around a maximised child";
    EXPECT_EQ(Sub(0)->rect(), area->viewport()->rect());
    // Minimise, restore, close, from the right of the bar.
    const QRect close = MdiButton(9)->Rect, restore = MdiButton(8)->Rect, minimise = MdiButton(7)->Rect;
    EXPECT_EQ(close.right() + 1, form->width() - FrameSide - 14 + MdiSize);
    EXPECT_LT(restore.right(), close.left());
    EXPECT_LT(minimise.right(), restore.left());
    EXPECT_GE(close.top(), FrameTop) << "in the bar under the caption";
    EXPECT_LE(close.bottom(), FrameTop + skinner->MenuHeight);
    EXPECT_EQ(LetterAt(close.center()), 'I');
    EXPECT_EQ(LetterAt(restore.center()), 'E');
    Mouse(QEvent::MouseMove, minimise.center());
    EXPECT_EQ(LetterAt(minimise.center()), 'D') << "hot";

    Click(restore.center());
    ASSERT_TRUE(WaitFor([&] { return !Sub(0)->isMaximized(); }));
    EXPECT_FALSE(SkinManager->MaximizedState);
    form->grab();
    EXPECT_FALSE(MdiButton(9)->Visible);
    EXPECT_TRUE(WaitFor([&] { return Sub(0)->widget()->geometry().topLeft() == QPoint(FrameSide, FrameTop); }))
        << "its frame is back";
    // Their outlines again: rounded, also once resized.
    Sub(1)->resize(Sub(1)->size() + QSize(10, 10));
    for (QMdiSubWindow *sub : {Sub(0), Sub(1)}) {
        EXPECT_TRUE(WaitFor([&] { return sub->mask().contains(QPoint(sub->width() / 2, 1)); }));
        EXPECT_FALSE(sub->mask().contains(QPoint(0, 0)));
        EXPECT_TRUE(sub->mask().contains(QPoint(sub->width() - 4, sub->height() - 4)));
    }

    Sub(0)->showMaximized();
    ASSERT_TRUE(WaitFor([&] { return MdiButton(9)->Visible; }));
    QPointer<QMdiSubWindow> first = Sub(0);
    Click(MdiButton(9)->Rect.center());
    ASSERT_TRUE(WaitFor([&] { return !first || !first->isVisible(); }));
    EXPECT_EQ(area->subWindowList().size(), 1);

    Sub(0)->showMaximized();
    ASSERT_TRUE(WaitFor([&] { return MdiButton(7)->Visible; }));
    Click(MdiButton(7)->Rect.center());
    ASSERT_TRUE(WaitFor([&] { return Sub(0)->isMinimized(); }));
    form->grab();
    EXPECT_FALSE(MdiButton(7)->Visible);
}

TEST_F(SkinMdi, AltWithALetterTypedInAChildOpensTheFramesMenuBeforeTheChildsOwnButton)
{
    auto *tune = Sub(0)->widget()->findChild<QPushButton *>();
    QSignalSpy clicked(tune, &QPushButton::clicked);
    tune->setFocus();
    ASSERT_TRUE(WaitFor([&] { return tune->hasFocus(); }));
    // The menu's loop holds the test while it is open: a script closes it.
    tools->setObjectName("tools");
    MenuScript script({{"tools", MenuScript::CloseAll}});
    QTest::keyClick(tune, Qt::Key_T, Qt::AltModifier);
    ASSERT_TRUE(WaitFor([&] { return script.Done(); }));
    EXPECT_EQ(script.seen, QStringList{"tools"});
    EXPECT_EQ(clicked.count(), 0);
    // A letter the frame's menu does not know is the child's own.
    tune->setText("T&une");
    // Back in the child, as a click into it would bring the user.
    ASSERT_TRUE(ShowActive(form.get()));
    tune->setFocus();
    ASSERT_TRUE(WaitFor([&] { return tune->hasFocus(); }));
    QTest::keyClick(tune, Qt::Key_U, Qt::AltModifier);
    EXPECT_TRUE(WaitFor([&] { return clicked.count() == 1; }));
}

TEST_F(SkinMdi, UnskinningGivesTheChildrenTheirOwnFramesBackAroundFormsOfTheSameSize)
{
    const QSize inner = Sub(1)->widget()->size();
    data->SetActive(false);
    ASSERT_TRUE(WaitFor([&] { return Manager().SkinnedForms.isEmpty(); }));
    EXPECT_FALSE(Sub(1)->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(Sub(1)->widget()->size(), inner);
    EXPECT_EQ(Sub(1)->layout()->contentsMargins(), QMargins());
    EXPECT_TRUE(bar->isVisible());
}

} // namespace
