// The skinned frame of a window: frameless, its borders in the window's
// contents margins, its caption and caption buttons drawn by the skinner,
// its outline cut from the borders' magenta, and the mouse over it acting
// as on a window's frame.
#include "FrameSkin.h"
#include "skin/BitmapHelpers.h"
#include "skin/SkinMenuItem.h"
#include "skin/SkinMessages.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using namespace skin;
using namespace skintest;

namespace {

TEST_F(SkinFrame, TheWindowLosesItsSystemFrameAndCarriesTheBordersAroundAClientOfItsOldSize)
{
    Skin({200, 120}, true);
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(form->isVisible()) << "a change of flags hides the window; it is shown again";
    // In the same place: where its frame or its client was (a system frame
    // may lie around it on this platform).
    EXPECT_LE((form->pos() - QPoint(40, 30)).manhattanLength(), 4) << form->pos().x() << "," << form->pos().y();
    EXPECT_EQ(form->contentsMargins(), QMargins(FrameSide, FrameTop, FrameSide, FrameBottom));
    EXPECT_EQ(form->contentsRect().size(), QSize(200, 120));
    EXPECT_EQ(form->size(), QSize(200 + 2 * FrameSide, 120 + FrameTop + FrameBottom));
    EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "a fixed window stays fixed";
    EXPECT_EQ(placed->pos(), QPoint(10 + FrameSide, 10 + FrameTop)) << "controls move with the client";

    // The borders in their active frames, the client untouched.
    const QImage shot = Shot();
    EXPECT_EQ(LetterOf(shot.pixel(2, 60)), 'L');
    EXPECT_EQ(LetterOf(shot.pixel(form->width() - 3, 60)), 'R');
    EXPECT_EQ(LetterOf(shot.pixel(100, form->height() - 2)), 'B');
    EXPECT_EQ(LetterOf(shot.pixel(100, 2)), 'T');
}

TEST_F(SkinFrame, ItsBordersAndCaptionTurnToTheirInactiveFramesWithTheWindow)
{
    Skin({200, 120}, true);
    TTestForm other;
    ASSERT_TRUE(ShowActive(&other));
    ASSERT_TRUE(WaitFor([&] { return skinner->Active == 0; }));
    const QImage shot = Shot();
    EXPECT_EQ(LetterOf(shot.pixel(2, 60)), 'l');
    EXPECT_EQ(LetterOf(shot.pixel(100, 2)), 't');
}

TEST_F(SkinFrame, UnskinningGivesTheWindowBackItsFrameFlagsSizeAndOutline)
{
    Skin({200, 120}, true);
    ASSERT_FALSE(form->mask().isEmpty());
    data->SetActive(false);
    ASSERT_TRUE(WaitFor([&] { return Manager().SkinnedForms.isEmpty(); }));
    EXPECT_EQ(form->windowFlags(), FullFrame);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->contentsMargins(), QMargins());
    EXPECT_EQ(form->size(), QSize(200, 120));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_TRUE(form->mask().isEmpty());
    EXPECT_FALSE(form->hasMouseTracking());
    EXPECT_EQ(placed->pos(), QPoint(10, 10));
}

TEST_F(SkinFrame, RoundedCornersAreCutOutOfTheOutlineAndASkinWithoutTransparencyKeepsTheRectangle)
{
    for (const bool round : {true, false}) {
        SCOPED_TRACE(round ? "round" : "square");
        Skin({200, 120}, false, round);
        const QRegion mask = form->mask();
        const int w = form->width(), h = form->height();
        if (!round) {
            EXPECT_EQ(mask, QRegion(form->rect()));
            continue;
        }
        for (const QPoint corner :
             {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1), QPoint(1, 1), QPoint(2, 0)})
            EXPECT_FALSE(mask.contains(corner)) << corner.x() << "," << corner.y();
        for (const QPoint kept : {QPoint(3, 0), QPoint(0, 3), QPoint(2, 1), QPoint(w / 2, 0), QPoint(w / 2, h / 2),
                                  QPoint(w - 1, h / 2), QPoint(w - 4, h - 1)})
            EXPECT_TRUE(mask.contains(kept)) << kept.x() << "," << kept.y();
        // A new size, a new outline.
        form->resize(300, 200);
        ASSERT_TRUE(WaitFor([&] { return form->mask().boundingRect() == form->rect(); }));
        EXPECT_FALSE(form->mask().contains(QPoint(form->width() - 1, form->height() - 1)));
        form.reset();
        FreeSkinManager();
    }
}

TEST_F(SkinFrame, ACaptionTooLongForItsRoomEndsInAnEllipsis)
{
    Skin({200, 120}, false);
    for (const QString &title : {QStringLiteral("Short"), QStringLiteral("A caption far too long for its window")}) {
        SCOPED_TRACE(title.toStdString());
        form->setWindowTitle(title);
        form->grab();
        const QRect room = skinner->CaptionRect;
        // The caption ends before the room the skin keeps for the buttons.
        EXPECT_LE(room.right(), form->width() - FrameSide - 80);
        const QString full = "  " + title + " ";
        QImage expected(skinner->TitleBitmap.size(), QImage::Format_RGB32);
        expected.fill(ColourOf('T'));
        const QString shown = QFontMetrics(skinner->CaptionFont, &expected)
                                  .elidedText(full, Qt::ElideRight, room.width(), Qt::TextSingleLine);
        EXPECT_EQ(shown.endsWith(QChar(0x2026)), title.size() > 10) << shown.toStdString();
        // The title bar shows just that text on the caption's background.
        {
            QPainter p(&expected);
            // The caption font in its own size, not the picture's default.
            QFont font(skinner->CaptionFont.family());
            font.setPointSizeF(skinner->CaptionFont.pointSizeF());
            p.setFont(font);
            p.setPen(Qt::white);
            QRect r = room;
            SkinDrawText(p, shown, r, DT_SINGLELINE);
        }
        EXPECT_EQ(skinner->TitleBitmap.copy(room), expected.copy(room));
    }
}

TEST_F(SkinFrame, ADialogsCaptionTakesTheRoomOfTheIconItLacksButNeverCoversTheLampBesideIt)
{
    Skin({200, 120}, true, true, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint,
         std::make_unique<QDialog>());
    ASSERT_EQ(skinner->FrameKind, TRuzOzodOvez::fkDialog);
    // Active, the lamp shows: the caption stays right of it.
    form->grab();
    const TWinSysButton *lamp = Button("BUTTONLAMP");
    ASSERT_TRUE(lamp->Visible);
    EXPECT_FALSE(Button("BUTTONSYSMENU")->Visible) << "a dialog shows no icon";
    EXPECT_GT(skinner->CaptionRect.left(), lamp->Rect.right());
    EXPECT_EQ(LetterOf(Shot().pixel(lamp->Rect.center())), 'o');
    // Inactive, the lamp is out and the caption moves into the icon's room.
    TTestForm other;
    ASSERT_TRUE(ShowActive(&other));
    ASSERT_TRUE(WaitFor([&] { return skinner->Active == 0; }));
    form->grab();
    EXPECT_FALSE(lamp->Visible);
    EXPECT_EQ(skinner->CaptionRect.left(), FrameSide + 30 - 16);
}

TEST_F(SkinFrame, AMessageBoxSkinnedWhileItWaitsForItsAnswerStaysOpenUntilItIsAnswered)
{
    Skin({200, 120}, false);
    QMessageBox box(QMessageBox::Question, "Question", "Go on?", QMessageBox::Yes | QMessageBox::No, form.get());
    bool skinnedWhileOpen = false;
    QTimer::singleShot(0, &box, [&] {
        // The frame is taken over while the box waits; then it is answered.
        skinnedWhileOpen = WaitFor([&] {
            const TRuzOzodOvez *s = Manager().FindSkinner(&box);
            return s && s->FirstLayoutSeen && s->State == TRuzOzodOvez::StateSkinned && box.isVisible() &&
                   box.windowFlags().testFlag(Qt::FramelessWindowHint);
        });
        QTimer::singleShot(100, &box, [&] {
            if (box.isVisible())
                QTest::mouseClick(box.button(QMessageBox::No), Qt::LeftButton);
        });
    });
    EXPECT_EQ(box.exec(), QMessageBox::No);
    EXPECT_TRUE(skinnedWhileOpen);
}

// Windows known only as windows: a dialog of Qt's and a message box.
class ForeignWindow : public SkinFrame, public testing::WithParamInterface<int> {
protected:
    static std::unique_ptr<QWidget> Make(int kind)
    {
        if (kind == 1)
            return std::make_unique<QMessageBox>(QMessageBox::Information, "Information", "Text");
        auto dialog = std::make_unique<QDialog>();
        new QLabel("A label", dialog.get());
        return dialog;
    }
};

TEST_P(ForeignWindow, IsSkinnedWholeItsClientOnTheFaceItsTextsInTheSkinsTextColourAndGivenBackUnskinned)
{
    Skin({200, 120}, false, true, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint, Make(GetParam()));
    ASSERT_EQ(skinner->Form, nullptr);
    const QPalette before = QApplication::palette(form.get());
    EXPECT_EQ(LetterOf(Shot().pixel(form->width() - 20, form->height() - 10)), FaceLetter) << "the client's face";
    auto *label = form->findChild<QLabel *>();
    ASSERT_NE(label, nullptr);
    EXPECT_FALSE(label->autoFillBackground()) << "a static shows the face through";
    EXPECT_EQ(LetterOf(label->palette().color(QPalette::WindowText).rgb()), TextLetter);

    data->SetActive(false);
    ASSERT_TRUE(WaitFor([&] { return Manager().SkinnedForms.isEmpty(); }));
    EXPECT_EQ(form->palette().color(QPalette::Window), before.color(QPalette::Window));
    EXPECT_EQ(label->palette().color(QPalette::WindowText), before.color(QPalette::WindowText));
    EXPECT_NE(LetterOf(Shot().pixel(form->width() - 20, form->height() - 10)), FaceLetter);
}

TEST_P(ForeignWindow, IsWidenedUntilItsCaptionShowsWholeEvenWhenItSizesItselfAgain)
{
    const QString title = "Information on this chord";
    constexpr Qt::WindowFlags dialog = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    Skin({100, 60}, true, true, dialog, Make(GetParam()), title);
    const auto captionShowsWhole = [&] {
        // As it is seen: laid out as it asked.
        QCoreApplication::sendPostedEvents(form.get(), QEvent::LayoutRequest);
        form->grab();
        const int text =
            QFontMetrics(skinner->CaptionFont, &skinner->TitleBitmap).horizontalAdvance("  " + title + " ");
        EXPECT_GE(skinner->CaptionRect.width(), text) << "at " << form->width() << " wide";
        // Clear of the close button on its right.
        EXPECT_LT(skinner->CaptionRect.right(), Button("BUTTONCLOSE")->Rect.left());
        EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "a fixed window stays fixed";
        for (auto *button : form->findChildren<QPushButton *>())
            EXPECT_TRUE(form->contentsRect().contains(QRect(button->mapTo(form.get(), QPoint()), button->size())))
                << button->text().toStdString();
    };
    captionShowsWhole();
    // A message box sizes itself to its contents again with a new text.
    if (auto *box = qobject_cast<QMessageBox *>(form.get())) {
        box->setText("Later");
        captionShowsWhole();
    }
}

INSTANTIATE_TEST_SUITE_P(DialogAndMessageBox, ForeignWindow, testing::Values(0, 1));

TEST_F(SkinFrame, ASecondSkinLoadedIsAppliedWholeFaceMenusAndFocusAlike)
{
    Skin({200, 120}, false);
    auto *edit = new QLineEdit(form.get());
    edit->setGeometry(40, 40, 100, 24);
    edit->show();
    QMenu *popup = new QMenu(form.get());
    popup->addAction("An item of the window's own menu");
    // The popup is the form's: its skinner draws it.
    popup->ensurePolished();
    ASSERT_EQ(popup->style(), skinner->MenuStyle);
    const int narrow = popup->sizeHint().width();
    const int system = skinner->SysMenuPopup->sizeHint().width();
    edit->setFocus();
    ASSERT_TRUE(WaitFor([&] { return edit->hasFocus(); }));

    // Another face, and menu items whose picture keeps a wide margin.
    QTemporaryDir folder;
    const QString file = folder.filePath("second.skn");
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(FramePackage(true, 'G', "[MenuItem]\r\nImage=menuitem.bmp\r\nLeftWidth=60\r\n"));
    }
    data->SetSkinFile(file);
    ASSERT_TRUE(WaitFor([&] { return LetterOf(Shot().pixel(form->width() - 20, form->height() - 10)) == 'G'; }))
        << "the form's face";
    EXPECT_EQ(LetterOf(TRuzOzodOvez::ColorWidget(form.get())->palette().color(QPalette::Window).rgb()), 'G');
    EXPECT_EQ(popup->sizeHint().width(), narrow + 60) << "the window's menus measured in the new skin";
    EXPECT_EQ(skinner->SysMenuPopup->sizeHint().width(), system + 60) << "and its system menu";
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(skinner->State, TRuzOzodOvez::StateSkinned);
    EXPECT_EQ(form->contentsRect().size(), QSize(200, 120)) << "the client keeps its size";
}

TEST_F(SkinFrame, CaptionButtonsShowByTheirVisibility)
{
    Skin({200, 120}, false);
    struct Case {
        int showState;
        uint8_t active;
        uint8_t icons;
        QStringList shown;
    };
    const uint8_t all = TRuzOzodOvez::fiMaximize | TRuzOzodOvez::fiMinimize | TRuzOzodOvez::fiSysMenu;
    const Case cases[] = {
        {0, 1, all, {"BUTTONCLOSE", "BUTTONMAX", "BUTTONMIN", "BUTTONSYSMENU", "BUTTONLAMP", "BUTTONHELP"}},
        {1, 1, all, {"BUTTONCLOSE", "BUTTONRESTORE", "BUTTONMIN", "BUTTONSYSMENU", "BUTTONLAMP", "BUTTONHELP"}},
        {0, 0, all, {"BUTTONCLOSE", "BUTTONMAX", "BUTTONMIN", "BUTTONSYSMENU", "BUTTONHELP"}},
        // No maximise box: neither maximise nor restore; no system menu: no close.
        {1, 1, TRuzOzodOvez::fiMinimize, {"BUTTONMIN", "BUTTONSYSMENU", "BUTTONLAMP", "BUTTONHELP"}},
    };
    for (const Case &c : cases) {
        skinner->ShowState = c.showState;
        skinner->Active = c.active;
        skinner->FrameIcons = c.icons;
        QStringList shown;
        for (int i = 0; i < int(skinner->SysButtons.size()); ++i)
            if (skinner->IsTitleButtonVisible(i))
                shown << skinner->SysButtons[size_t(i)]->Element->Name;
        EXPECT_EQ(shown, c.shown) << "show state " << c.showState << ", active " << int(c.active);
    }
}

TEST_F(SkinFrame, ACaptionButtonShowsItsFrameForTheMouseNeverOnePastItsLast)
{
    Skin({200, 120}, false);
    // At rest, hot, pressed; the minimise button has two frames only.
    EXPECT_EQ(LetterAt("BUTTONCLOSE"), '1');
    EXPECT_EQ(LetterAt("BUTTONMIN"), 'm');
    Mouse(QEvent::MouseMove, Centre("BUTTONCLOSE"));
    EXPECT_EQ(LetterAt("BUTTONCLOSE"), '3');
    Mouse(QEvent::MouseMove, Centre("BUTTONMIN"));
    EXPECT_EQ(LetterAt("BUTTONCLOSE"), '1') << "only one element is hot";
    EXPECT_EQ(LetterAt("BUTTONMIN"), 'n') << "frame 3 of two is the last";
    Mouse(QEvent::MouseButtonPress, Centre("BUTTONMIN"));
    EXPECT_EQ(LetterAt("BUTTONMIN"), 'n');
    Mouse(QEvent::MouseMove, QPoint(100, 60));
    Mouse(QEvent::MouseButtonRelease, QPoint(100, 60));
    // Released elsewhere: no action. The hover timer lets the button go.
    ASSERT_TRUE(WaitFor([&] { return skinner->HotObject == nullptr; }));
    EXPECT_FALSE(form->isMinimized());
    EXPECT_EQ(LetterAt("BUTTONMIN"), 'm');
    // Inactive: frame 4, or 1 for a button of fewer frames.
    TTestForm other;
    ASSERT_TRUE(ShowActive(&other));
    ASSERT_TRUE(WaitFor([&] { return skinner->Active == 0; }));
    EXPECT_EQ(LetterAt("BUTTONCLOSE"), '4');
    EXPECT_EQ(LetterAt("BUTTONMIN"), 'm');
}

TEST_F(SkinFrame, TheCaptionButtonsMinimiseRestoreMaximiseCloseAndPostTheirOwnActions)
{
    Skin({200, 120}, false);
    QList<uintptr_t> actions;
    struct Spy : QObject {
        QList<uintptr_t> *actions;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (int(event->type()) == 0x3514)
                *actions << static_cast<TSkinMessage *>(event)->WParam;
            return false;
        }
    } spy;
    spy.actions = &actions;
    form->installEventFilter(&spy);
    Click(Centre("BUTTONHELP"));
    ASSERT_TRUE(WaitFor([&] { return !actions.isEmpty(); }));
    EXPECT_EQ(actions, QList<uintptr_t>{5});

    Click(Centre("BUTTONMIN"));
    ASSERT_TRUE(WaitFor([&] { return form->isMinimized(); }));
    EXPECT_EQ(skinner->ShowState, 2);
    skinner->SysMenuItemClick(0);
    ASSERT_TRUE(WaitFor([&] { return !form->isMinimized(); }));
    EXPECT_EQ(skinner->ShowState, 0);

    Click(Centre("BUTTONMAX"));
    ASSERT_TRUE(WaitFor([&] { return form->isMaximized(); }));
    EXPECT_EQ(skinner->ShowState, 1);
    ASSERT_TRUE(WaitFor([&] { return Button("BUTTONRESTORE")->Visible; }));
    EXPECT_FALSE(Button("BUTTONMAX")->Visible);
    Click(Centre("BUTTONRESTORE"));
    ASSERT_TRUE(WaitFor([&] { return !form->isMaximized(); }));

    Click(Centre("BUTTONCLOSE"));
    ASSERT_TRUE(WaitFor([&] { return !form->isVisible(); }));
}

TEST_F(SkinFrame, ADragOnTheCaptionMovesTheWindowUnlessItIsMaximised)
{
    Skin({200, 120}, false);
    const QPoint start = form->pos();
    Mouse(QEvent::MouseButtonPress, QPoint(100, 10));
    ASSERT_TRUE(skinner->Dragging()) << "no window system here to carry the move out";
    QMouseEvent move(QEvent::MouseMove, QPointF(100, 10), form->mapToGlobal(QPoint(100, 10)) + QPoint(25, 15),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &move);
    EXPECT_EQ(form->pos(), start + QPoint(25, 15));
    Mouse(QEvent::MouseButtonRelease, QPoint(100, 10));
    EXPECT_FALSE(skinner->Dragging());

    // Not in the top three rows, nor on the client.
    Mouse(QEvent::MouseButtonPress, QPoint(100, 2));
    EXPECT_FALSE(skinner->Dragging());
    Mouse(QEvent::MouseButtonRelease, QPoint(100, 2));
    Mouse(QEvent::MouseButtonPress, QPoint(100, 60));
    EXPECT_FALSE(skinner->Dragging());
    Mouse(QEvent::MouseButtonRelease, QPoint(100, 60));

    form->showMaximized();
    ASSERT_TRUE(WaitFor([&] { return skinner->ShowState == 1; }));
    const QPoint maximised = form->pos();
    Mouse(QEvent::MouseButtonPress, QPoint(100, 10));
    EXPECT_FALSE(skinner->Dragging());
    Mouse(QEvent::MouseButtonRelease, QPoint(100, 10));
    EXPECT_EQ(form->pos(), maximised);
}

TEST_F(SkinFrame, TheBordersAndCornersOfASizeableFrameAreItsSizingEdgesAndNoOtherFramesAre)
{
    using R = TRuzOzodOvez;
    struct Case {
        QPoint at;
        int sizeable, fixed;
    };
    // The window is 212 x 148: borders of 6, a caption of 24, a bottom of 4.
    const Case cases[] = {
        {{0, 60}, R::HTLEFT, R::HTMENU},           {{3, 60}, R::HTLEFT, R::HTMENU},
        {{4, 60}, R::HTMENU, R::HTMENU},           {{211, 60}, R::HTRIGHT, R::HTMENU},
        {{100, 0}, R::HTTOP, R::HTNOWHERE},        {{100, 3}, R::HTTOP, R::HTNOWHERE},
        {{100, 4}, R::HTCAPTION, R::HTCAPTION},    {{100, 147}, R::HTBOTTOM, R::HTMENU},
        {{100, 144}, R::HTBOTTOM, R::HTMENU},      {{1, 1}, R::HTTOPLEFT, R::HTNOWHERE},
        {{15, 0}, R::HTTOPLEFT, R::HTNOWHERE},     {{0, 15}, R::HTTOPLEFT, R::HTCAPTION},
        {{16, 0}, R::HTTOP, R::HTNOWHERE},         {{200, 2}, R::HTTOPRIGHT, R::HTNOWHERE},
        {{211, 10}, R::HTTOPRIGHT, R::HTCAPTION},  {{2, 140}, R::HTBOTTOMLEFT, R::HTMENU},
        {{210, 146}, R::HTBOTTOMRIGHT, R::HTMENU}, {{100, 60}, R::HTCLIENT, R::HTCLIENT},
    };
    for (const bool fixed : {false, true}) {
        Skin({200, 120}, fixed);
        ASSERT_EQ(form->size(), QSize(212, 148));
        for (const Case &c : cases)
            EXPECT_EQ(skinner->HitTest(c.at), fixed ? c.fixed : c.sizeable)
                << (fixed ? "fixed " : "sizeable ") << c.at.x() << "," << c.at.y();
        form.reset();
        FreeSkinManager();
    }
    // Maximised, a window has no edges to size.
    Skin({200, 120}, false);
    form->showMaximized();
    ASSERT_TRUE(WaitFor([&] { return skinner->ShowState == 1; }));
    EXPECT_EQ(skinner->HitTest({0, 60}), TRuzOzodOvez::HTMENU);
    EXPECT_EQ(skinner->HitTest({100, 0}), TRuzOzodOvez::HTNOWHERE);
}

TEST_F(SkinFrame, TheMouseOverASizingEdgeShowsItsResizeCursorAndTheWindowsOwnElsewhere)
{
    Skin({200, 120}, false);
    const struct {
        QPoint at;
        Qt::CursorShape shape;
    } path[] = {
        {{0, 60}, Qt::SizeHorCursor},  {{100, 10}, Qt::ArrowCursor},      {{100, 147}, Qt::SizeVerCursor},
        {{1, 1}, Qt::SizeFDiagCursor}, {{211, 146}, Qt::SizeFDiagCursor}, {{211, 1}, Qt::SizeBDiagCursor},
        {{100, 60}, Qt::ArrowCursor},
    };
    for (const auto &step : path) {
        Mouse(QEvent::MouseMove, step.at);
        EXPECT_EQ(form->windowHandle()->cursor().shape(), step.shape) << step.at.x() << "," << step.at.y();
    }
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor) << "the window's own cursor, which its controls inherit";
    // Unskinned, the window's own cursor.
    Mouse(QEvent::MouseMove, {0, 60});
    data->SetActive(false);
    ASSERT_TRUE(WaitFor([&] { return Manager().SkinnedForms.isEmpty(); }));
    EXPECT_EQ(form->windowHandle()->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(SkinFrame, ADragOnABorderOrCornerResizesTheWindowWithinItsLimits)
{
    Skin({200, 120}, false);
    form->setMinimumSize(100, 90);
    QWindow *window = form->windowHandle();
    const auto drag = [&](QPoint from, QPoint by) {
        // The mouse stays where it went while the window moves under it.
        const QPoint to = window->mapToGlobal(from + by);
        QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(window, from + by);
        QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, window->mapFromGlobal(to));
    };
    const QRect start = form->geometry();
    drag({211, 147}, {30, 20});
    EXPECT_EQ(form->geometry(), start.adjusted(0, 0, 30, 20)) << "the bottom right corner";
    EXPECT_FALSE(skinner->Resizing());
    EXPECT_EQ(form->contentsRect().size(), QSize(230, 140)) << "the client grows with it";

    const QRect wider = form->geometry();
    drag({0, 80}, {10, 0});
    EXPECT_EQ(form->geometry(), wider.adjusted(10, 0, 0, 0)) << "the left border, its right edge kept";

    const QRect before = form->geometry();
    drag({1, 1}, {400, 400});
    EXPECT_EQ(form->size(), QSize(100, 90)) << "never below the window's least size";
    EXPECT_EQ(form->geometry().bottomRight(), before.bottomRight());

    // A press on the caption still moves the window, never sizes it.
    const QSize size = form->size();
    drag({50, 10}, {5, 5});
    EXPECT_EQ(form->size(), size);
}

TEST_F(SkinFrame, ADoubleClickOnTheCaptionMaximisesAndRestores)
{
    Skin({200, 120}, false);
    Mouse(QEvent::MouseButtonPress, QPoint(100, 10));
    Mouse(QEvent::MouseButtonRelease, QPoint(100, 10));
    Mouse(QEvent::MouseButtonDblClick, QPoint(100, 10));
    Mouse(QEvent::MouseButtonRelease, QPoint(100, 10));
    ASSERT_TRUE(WaitFor([&] { return form->isMaximized(); }));
    Mouse(QEvent::MouseButtonDblClick, QPoint(100, 10));
    Mouse(QEvent::MouseButtonRelease, QPoint(100, 10));
    ASSERT_TRUE(WaitFor([&] { return !form->isMaximized(); }));
    EXPECT_EQ(skinner->ShowState, 0);
}

TEST_F(SkinFrame, ARightClickOnTheCaptionOpensTheSystemMenuAndASecondRequestSoonAfterClosesOnlyWhileAButtonIsHot)
{
    Skin({200, 120}, false);
    QMenu *menu = skinner->SysMenuPopup;
    ASSERT_NE(menu, nullptr);
    Mouse(QEvent::MouseButtonPress, QPoint(100, 10), Qt::RightButton);
    Mouse(QEvent::MouseButtonRelease, QPoint(100, 10), Qt::RightButton);
    ASSERT_TRUE(WaitFor([&] { return menu->isVisible(); }));
    EXPECT_FALSE(menu->actions().at(0)->isEnabled()) << "restore, on a normal window";
    menu->hide();
    // A second request within the double-click time: no menu, and with no
    // element hot the window stays.
    skinner->ShowSysMenu(form->mapToGlobal(QPoint(100, 10)));
    QTest::qWait(50);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_TRUE(form->isVisible());
    // Later, the menu again.
    skinner->LastMenuTick -= uint32_t(skinner->DoubleClickTime) + 1;
    skinner->ShowSysMenu(form->mapToGlobal(QPoint(100, 10)));
    ASSERT_TRUE(WaitFor([&] { return menu->isVisible(); }));
    menu->hide();
}

TEST_F(SkinFrame, ADoubleClickOnTheWindowIconClosesTheWindowAndASlowSecondClickOnlyClosesTheMenu)
{
    Skin({200, 120}, false);
    QMenu *menu = skinner->SysMenuPopup;
    ASSERT_FALSE(Button("BUTTONSYSMENU")->Rect.isEmpty());
    const QPoint icon = Centre("BUTTONSYSMENU");
    // Slow: the menu opens again at the first click, and the second only
    // closes it.
    SystemClick(icon);
    ASSERT_TRUE(WaitFor([&] { return menu->isVisible(); }));
    skinner->LastMenuTick -= uint32_t(skinner->DoubleClickTime) + 1;
    MenuClick(menu, icon);
    ASSERT_TRUE(WaitFor([&] { return !menu->isVisible(); }));
    QTest::qWait(50);
    EXPECT_TRUE(form->isVisible());

    // Quick: the window closes.
    skinner->LastMenuTick -= uint32_t(skinner->DoubleClickTime) + 1;
    SystemClick(icon);
    ASSERT_TRUE(WaitFor([&] { return menu->isVisible(); }));
    MenuClick(menu, icon);
    ASSERT_TRUE(WaitFor([&] { return !form->isVisible(); }));
    EXPECT_FALSE(menu->isVisible());
}

TEST_F(SkinFrame, ARightClickOnTheCaptionOfAWindowWithAContextMenuOpensOnlyTheSystemMenu)
{
    Skin({200, 120}, false);
    QMenu context;
    context.addAction("Context");
    form->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(form.get(), &QWidget::customContextMenuRequested, &context,
                     [&](QPoint at) { context.popup(form->mapToGlobal(at)); });
    QMenu *menu = skinner->SysMenuPopup;
    // On the client the window's own menu opens.
    SystemClick(QPoint(100, 60), Qt::RightButton);
    ASSERT_TRUE(WaitFor([&] { return context.isVisible(); }));
    EXPECT_FALSE(menu->isVisible());
    context.hide();
    // On the caption only the system menu.
    SystemClick(QPoint(100, 10), Qt::RightButton);
    ASSERT_TRUE(WaitFor([&] { return menu->isVisible(); }));
    QTest::qWait(50);
    EXPECT_FALSE(context.isVisible());
    menu->hide();
}

} // namespace
