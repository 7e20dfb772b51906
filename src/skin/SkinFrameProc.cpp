// The skinned frame's share of its window's events. The frame lies in the
// window's contents margins, so the mouse over it is the window's own mouse
// (nothing of the client lies there): these are the frame's non-client
// events. Its paint follows the window's own.
#include "skin/RadEzarArov.h"
#include "skin/RuzOzodOvez.h"
#include "skin/SkinFrame.h"
#include "skin/SkinManage.h"
#include "skin/SkinMessages.h"

#include "platform/TickCount.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace skin {

// A caption button's action the engine leaves to the window.
constexpr int SkinMsgCaptionAction = 0x3514;

int TRuzOzodOvez::HitTest(const QPoint &point) const
{
    if (!Handle || ClientArea().contains(point))
        return HTCLIENT;
    if (const int border = SizingHitTest(point))
        return border;
    if (point.y() > BorderTop)
        return HTMENU;
    if (point.y() > 3)
        return HTCAPTION;
    return HTNOWHERE;
}

int TRuzOzodOvez::SizingHitTest(const QPoint &point) const
{
    // The outer pixels of a sizeable frame that is not maximised, with
    // longer stretches at the corners that move two edges.
    constexpr int Band = 4, Corner = 16;
    if (!Handle || !Sizeable || ShowState != 0)
        return 0;
    const int x = point.x(), y = point.y(), w = Handle->width(), h = Handle->height();
    const bool left = x < Band, right = x >= w - Band, top = y < Band, bottom = y >= h - Band;
    const bool nearLeft = x < Corner, nearRight = x >= w - Corner, nearTop = y < Corner, nearBottom = y >= h - Corner;
    if ((top && nearLeft) || (left && nearTop))
        return HTTOPLEFT;
    if ((top && nearRight) || (right && nearTop))
        return HTTOPRIGHT;
    if ((bottom && nearLeft) || (left && nearBottom))
        return HTBOTTOMLEFT;
    if ((bottom && nearRight) || (right && nearBottom))
        return HTBOTTOMRIGHT;
    return left ? HTLEFT : right ? HTRIGHT : top ? HTTOP : bottom ? HTBOTTOM : 0;
}

Qt::Edges TRuzOzodOvez::SizingEdges(int hit)
{
    switch (hit) {
    case HTLEFT:
        return Qt::LeftEdge;
    case HTRIGHT:
        return Qt::RightEdge;
    case HTTOP:
        return Qt::TopEdge;
    case HTBOTTOM:
        return Qt::BottomEdge;
    case HTTOPLEFT:
        return Qt::TopEdge | Qt::LeftEdge;
    case HTTOPRIGHT:
        return Qt::TopEdge | Qt::RightEdge;
    case HTBOTTOMLEFT:
        return Qt::BottomEdge | Qt::LeftEdge;
    case HTBOTTOMRIGHT:
        return Qt::BottomEdge | Qt::RightEdge;
    default:
        return {};
    }
}

void TRuzOzodOvez::ShowFrameCursor(int hit)
{
    QWindow *window = Handle ? Handle->windowHandle() : nullptr;
    if (!window)
        return;
    // Set on the native window only: the window's controls keep their own
    // cursors, and Qt gives each its own back as the mouse enters it.
    const Qt::Edges edges = SizingEdges(hit);
    Qt::CursorShape shape = Handle->cursor().shape();
    if (edges == Qt::LeftEdge || edges == Qt::RightEdge)
        shape = Qt::SizeHorCursor;
    else if (edges == Qt::TopEdge || edges == Qt::BottomEdge)
        shape = Qt::SizeVerCursor;
    else if (edges == (Qt::TopEdge | Qt::LeftEdge) || edges == (Qt::BottomEdge | Qt::RightEdge))
        shape = Qt::SizeFDiagCursor;
    else if (edges)
        shape = Qt::SizeBDiagCursor;
    if (window->cursor().shape() != shape)
        window->setCursor(shape);
}

TWinSysButton *TRuzOzodOvez::HitTitleButton(const QPoint &point) const
{
    for (const auto &button : SysButtons)
        if (button->Visible && button->Element->Action >= 0 && button->Rect.contains(point))
            return button.get();
    return nullptr;
}

void TRuzOzodOvez::DropHotObject()
{
    // Its picture goes back to rest with it.
    if (HotObject)
        HotObject->State = 1;
    HotObject = nullptr;
}

void TRuzOzodOvez::DoTitleButtonAction(int x, int y)
{
    auto *button = dynamic_cast<TWinSysButton *>(HotObject);
    if (!button || !Handle)
        return;
    switch (const int action = button->Element->Action) {
    case 0:
        if (HoverTimer)
            HoverTimer->stop();
        QMetaObject::invokeMethod(Handle, &QWidget::close, Qt::QueuedConnection);
        break;
    case 1:
    case 22:
        ToggleMaximize();
        break;
    case 2:
    case 23:
        ToggleMinimize();
        break;
    case 3:
    case 11:
    case 12:
        ShowSysMenu(QPoint(x + 1, y + 1));
        break;
    case 7:
    case 60:
        MDIChildCommand(SC_MINIMIZE);
        break;
    case 8:
    case 61:
        MDIChildCommand(SC_RESTORE);
        break;
    case 9:
    case 62:
        MDIChildCommand(SC_CLOSE);
        break;
    default:
        PostSkinMessage(Handle, SkinMsgCaptionAction, uintptr_t(action), 0);
        break;
    }
}

void TRuzOzodOvez::ToggleMaximize()
{
    if (ShowState == 1) {
        RestoreWindow();
        return;
    }
    ShowState = 1;
    // Its frame window's other children are shown maximised with it.
    if (MDIKind == 2 && SkinManager)
        SkinManager->SetMaximizedState(true);
    QMetaObject::invokeMethod(Handle, &QWidget::showMaximized, Qt::QueuedConnection);
    DropHotObject();
}

void TRuzOzodOvez::RestoreWindow()
{
    ShowState = 0;
    QMetaObject::invokeMethod(Handle, &QWidget::showNormal, Qt::QueuedConnection);
}

void TRuzOzodOvez::ToggleMinimize()
{
    if (ShowState == 2) {
        RestoreWindow();
        return;
    }
    ShowState = 2;
    QMetaObject::invokeMethod(Handle, &QWidget::showMinimized, Qt::QueuedConnection);
}

void TRuzOzodOvez::ShowSysMenu(const QPoint &global)
{
    if (!SysMenuPopup || !Handle)
        return;
    for (QAction *item : SysMenuPopup->actions()) {
        const int tag = item->property("Tag").toInt();
        if (tag >= 0 && tag <= 2)
            item->setEnabled(ShowState != tag);
    }
    const uint32_t now = platform::GetTickCount();
    if (!FMenuShown || now - LastMenuTick > uint32_t(DoubleClickTime)) {
        FMenuShown = true;
        if (SkinManager)
            SkinManager->MenuKind = 2;
        LastMenuTick = now;
        SysMenuPopup->setAttribute(Qt::WA_NoMouseReplay, false);
        SysMenuPopup->popup(global);
    } else if (HotObject) {
        // A double click on the window's icon closes the window.
        if (HoverTimer)
            HoverTimer->stop();
        SysMenuPopup->hide();
        QMetaObject::invokeMethod(Handle, &QWidget::close, Qt::QueuedConnection);
    }
}

bool TRuzOzodOvez::SysMenuEvent(QEvent *event)
{
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton || !Handle || !SysMenuPopup)
        return false;
    // While the menu is open it has the mouse: the second click of a double
    // click on the window's icon reaches the menu, not the frame.
    const QPoint point = ScreenToWindow(mouse->globalPosition().toPoint());
    TWinSysButton *button = HitTitleButton(point);
    if (!button || !IsSysMenuAction(button->Element->Action) ||
        platform::GetTickCount() - LastMenuTick > uint32_t(DoubleClickTime))
        return false;
    // No replay of the press on the frame once the menu has gone.
    SysMenuPopup->setAttribute(Qt::WA_NoMouseReplay);
    SysMenuPopup->hide();
    button->Press();
    ShowSysMenu(mouse->globalPosition().toPoint());
    return true;
}

void TRuzOzodOvez::StartCaptionMove(const QPoint &global)
{
    QWindow *window = Handle->windowHandle();
    if (window && window->startSystemMove())
        return;
    // No window manager to carry the move out: the window follows the
    // mouse until the button comes up.
    FDragging = true;
    FDragOffset = global - Handle->pos();
}

void TRuzOzodOvez::StartBorderResize(Qt::Edges edges, const QPoint &global)
{
    QWindow *window = Handle->windowHandle();
    if (window && window->startSystemResize(edges))
        return;
    // No window manager to carry the resize out: the edges follow the mouse
    // until the button comes up.
    FResizeEdges = edges;
    FResizeStart = global;
    FResizeGeometry = Handle->geometry();
}

void TRuzOzodOvez::ResizeByHand(const QPoint &global)
{
    const QPoint d = global - FResizeStart;
    const QRect g = FResizeGeometry;
    const QSize least = Handle->minimumSize().expandedTo(QSize(BorderLeft + BorderRight, BorderTop + BorderBottom));
    const QSize most = Handle->maximumSize();
    const auto span = [](int size, int change, int low, int high) { return std::clamp(size + change, low, high); };
    int left = g.left(), top = g.top(), width = g.width(), height = g.height();
    if (FResizeEdges & Qt::LeftEdge) {
        width = span(g.width(), -d.x(), least.width(), most.width());
        left = g.right() + 1 - width;
    } else if (FResizeEdges & Qt::RightEdge) {
        width = span(g.width(), d.x(), least.width(), most.width());
    }
    if (FResizeEdges & Qt::TopEdge) {
        height = span(g.height(), -d.y(), least.height(), most.height());
        top = g.bottom() + 1 - height;
    } else if (FResizeEdges & Qt::BottomEdge) {
        height = span(g.height(), d.y(), least.height(), most.height());
    }
    Handle->setGeometry(left, top, width, height);
}

void TRuzOzodOvez::FollowMaximise(Qt::WindowStates old)
{
    // The frame is ours, and so is its maximised size: the screen's room.
    // A window manager gives the same room; without one the window would
    // stay as it was.
    if (FFollowingMaximise || !Handle->isWindow())
        return;
    const Qt::WindowStates now = Handle->windowState();
    const bool maximised = (now & Qt::WindowMaximized) && !(now & Qt::WindowMinimized);
    if (maximised && !(old & Qt::WindowMaximized)) {
        if (!(old & Qt::WindowMinimized))
            FNormalGeometry = Handle->geometry();
        const QScreen *screen = Handle->screen();
        if (!screen || Handle->geometry() == screen->availableGeometry())
            return;
        // Qt takes a new geometry for the end of the maximised state: the
        // state is given again once the window has its room.
        FFollowingMaximise = true;
        Handle->setGeometry(screen->availableGeometry());
        Handle->setWindowState(now);
        FFollowingMaximise = false;
    } else if (!(now & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) &&
               FNormalGeometry.isValid()) {
        // Back to normal: its own place and size again.
        if (Handle->geometry() != FNormalGeometry)
            Handle->setGeometry(FNormalGeometry);
        FNormalGeometry = QRect();
    }
}

void TRuzOzodOvez::FirstLayout()
{
    if (State != StateNew)
        return;
    if (MDIKind == 2 && SkinManager && SkinManager->MaximizedState) {
        // A child window that comes while its siblings are maximised.
        SetFrameStyles(true);
        RedrawFrame();
        return;
    }
    if (ShowState != 2)
        SetFrameStyles(false);
    if (ShowState != 2 && FrameKind != fkPopup) {
        State = StateFirstLayout;
        FitWindow(false);
        State = StateSkinned;
        UpdateRegion();
    }
}

void TRuzOzodOvez::FollowChildState()
{
    // As the window system asks a child window for its sizes at every
    // change of its state: minimised it shows Qt's small title bar,
    // maximised no frame, normal the skin's.
    if (MDIKind != 2 || !SkinMainMenu || State == StateNew)
        return;
    if (ShowState != 0) {
        DropRegion();
        SetFrameStyles(true);
    } else {
        SetFrameStyles(false);
        UpdateRegion();
    }
    RedrawFrame();
}

void TRuzOzodOvez::FrameHoverTick()
{
    if (!HotObject || !Handle)
        return;
    if (!HotObject->Rect.contains(ScreenToWindow(QCursor::pos())))
        HotObject->Leave();
}

bool TRuzOzodOvez::FrameEvent(QEvent *event)
{
    if (!Handle || State == StateNew || FrameKind == fkPopup || (MDIKind == 2 && ShowState != 0))
        return false;
    switch (event->type()) {
    case QEvent::Paint: {
        if (FPainting)
            return false;
        // The window paints itself first; the frame goes over its margins.
        FPainting = true;
        static_cast<QObject *>(Handle.data())->event(event);
        FPainting = false;
        QPainter dc(Handle);
        dc.setClipRegion(static_cast<QPaintEvent *>(event)->region());
        PaintNonClient(dc);
        return true;
    }
    case QEvent::Resize: {
        // A window that made itself too narrow for its caption is widened
        // at once; the resize to the new width is the one handled.
        if ((State == StateSkinned || State == StateReskin) && KeepCaptionRoom())
            return true;
        // Qt cuts a child window's outline to its own frame at every
        // resize: the window handles its resize first, then takes ours.
        const bool child = MDIKind == 2;
        if (child)
            static_cast<QObject *>(Handle.data())->event(event);
        if (ShowState != 2 && (State == StateSkinned || State == StateReskin))
            UpdateRegion();
        return child;
    }
    case QEvent::WindowStateChange:
        FollowMaximise(static_cast<QWindowStateChangeEvent *>(event)->oldState());
        RedrawFrame();
        return false;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
    case QEvent::WindowTitleChange:
        RedrawFrame();
        return false;
    case QEvent::ContextMenu: {
        // A right click on the frame has opened the system menu: the
        // window's own menu is for its client.
        const auto *menu = static_cast<QContextMenuEvent *>(event);
        return menu->reason() == QContextMenuEvent::Mouse && HitTest(menu->pos()) != HTCLIENT;
    }
    case QEvent::Leave:
        // A bar menu opening takes the mouse from the window: its button
        // stays pressed.
        if (HotObject && !FDragging && !InMenuLoop && !(QGuiApplication::mouseButtons() & Qt::LeftButton))
            HotObject->Leave();
        return false;
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (FDragging) {
            Handle->move(mouse->globalPosition().toPoint() - FDragOffset);
            return true;
        }
        if (FResizeEdges) {
            ResizeByHand(mouse->globalPosition().toPoint());
            return true;
        }
        const QPoint point = mouse->position().toPoint();
        const int hit = HitTest(point);
        ShowFrameCursor(hit);
        if (hit == HTCLIENT || !Active)
            return false;
        if (TNCObject *element = HitTitleButton(point)) {
            element->MouseOver();
            return true;
        }
        if (MenuBar && MenuBar->MouseMove(point))
            return true;
        if (HotObject)
            HotObject->Leave();
        return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint point = mouse->position().toPoint();
        const QPoint global = mouse->globalPosition().toPoint();
        const int hit = HitTest(point);
        if (hit == HTCLIENT)
            return false;
        if (mouse->button() == Qt::RightButton) {
            if (hit == HTCAPTION && MDIKind != 2)
                ShowSysMenu(global);
            return true;
        }
        if (mouse->button() != Qt::LeftButton)
            return true;
        // A press on a child window's frame makes it its frame's active child.
        if (QMdiSubWindow *child = ChildWindow(); child && !Active && child->mdiArea())
            child->mdiArea()->setActiveSubWindow(child);
        if (TNCObject *element = HitTitleButton(point)) {
            if (!Active)
                Handle->activateWindow();
            element->Press();
            return true;
        }
        // A bar button opens its menu, and the call returns once it closed.
        if (MenuBar && MenuBar->MouseDown(point))
            return true;
        if (event->type() == QEvent::MouseButtonDblClick) {
            if (ShowState == 1 || ShowState == 2)
                RestoreWindow();
            else if (FrameIcons & fiMaximize)
                ToggleMaximize();
            return true;
        }
        if (const Qt::Edges edges = SizingEdges(hit))
            StartBorderResize(edges, global);
        // A maximised window stays where it is.
        else if (hit == HTCAPTION && !(ShowState == 1 && Active))
            StartCaptionMove(global);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            return HitTest(mouse->position().toPoint()) != HTCLIENT;
        if (FDragging || FResizeEdges) {
            FDragging = false;
            FResizeEdges = {};
            return true;
        }
        const QPoint point = mouse->position().toPoint();
        TWinSysButton *button = HitTitleButton(point);
        if (button && HotObject == button) {
            button->Release();
            const QPoint global = mouse->globalPosition().toPoint();
            DoTitleButtonAction(global.x(), global.y());
            return true;
        }
        return button != nullptr || (MenuBar && MenuBar->MouseUp(point));
    }
    default:
        return false;
    }
}

} // namespace skin
