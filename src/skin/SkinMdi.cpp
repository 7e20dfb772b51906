// A skinned window that holds child windows (a QMdiArea). The frame watches
// its child-window area as it would the area's own window procedure: the
// children are skinned as they come, the active child's state shows in the
// frame's menu bar, where its buttons stand while it is maximised, and the
// frame's commands and menu keys reach the child.
#include "skin/RadEzarArov.h"
#include "skin/RuzOzodOvez.h"
#include "skin/SkinDraw.h"
#include "skin/SkinFrame.h"
#include "skin/SkinManage.h"
#include "skin/SkinMenuBar.h"

#include <QChildEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QTimer>

namespace skin {

QMdiSubWindow *TRuzOzodOvez::ChildWindow() const
{
    return MDIKind == 2 ? qobject_cast<QMdiSubWindow *>(Handle.data()) : nullptr;
}

void TRuzOzodOvez::FindMDIClient()
{
    MDIKind = 0;
    MDIClient = Handle ? Handle->findChild<QMdiArea *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!MDIClient)
        return;
    MDIKind = 1;
    if (SkinManager) {
        SkinManager->MDIClientHandle = MDIClient;
        SkinManager->MDIParentForm = Form;
    }
}

void TRuzOzodOvez::SubclassClient()
{
    if (!MDIClient || FClientSaved.Saved)
        return;
    FClientSaved = {true, MDIClient->horizontalScrollBarPolicy(), MDIClient->verticalScrollBarPolicy()};
    // The skinned frame draws no scroll bars for the area.
    if (SkinMainMenu) {
        MDIClient->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        MDIClient->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    FClientArea = MDIClient.data();
    FClientViewport = MDIClient->viewport();
    MDIClient->installEventFilter(this);
    MDIClient->viewport()->installEventFilter(this);
    connect(MDIClient, &QMdiArea::subWindowActivated, this, [this] {
        SkinNewChild();
        ChildrenChanged();
    });
    // The children already there are skinned once the frame is.
    QTimer::singleShot(0, this, [this] {
        if (!MDIClient)
            return;
        for (QMdiSubWindow *child : MDIClient->subWindowList()) {
            connect(child, &QMdiSubWindow::windowStateChanged, this, &TRuzOzodOvez::ChildrenChanged,
                    Qt::UniqueConnection);
            NewMDIChild = child;
            SkinNewChild();
        }
        ChildrenChanged();
    });
}

void TRuzOzodOvez::UnsubclassClient()
{
    if (!FClientSaved.Saved)
        return;
    if (MDIClient) {
        MDIClient->removeEventFilter(this);
        if (FClientViewport)
            FClientViewport->removeEventFilter(this);
        disconnect(MDIClient, nullptr, this, nullptr);
        for (QMdiSubWindow *child : MDIClient->subWindowList())
            disconnect(child, nullptr, this, nullptr);
        MDIClient->setHorizontalScrollBarPolicy(FClientSaved.Horizontal);
        MDIClient->setVerticalScrollBarPolicy(FClientSaved.Vertical);
    }
    FClientSaved = {};
    FClientArea = nullptr;
    FClientViewport = nullptr;
    NewMDIChild = nullptr;
}

bool TRuzOzodOvez::ClientWndProc(QObject *watched, QEvent *event)
{
    if (watched != FClientViewport)
        return false;
    switch (event->type()) {
    case QEvent::ChildPolished:
        // A child window made: skinned when it is first activated.
        if (auto *child = qobject_cast<QMdiSubWindow *>(static_cast<QChildEvent *>(event)->child())) {
            NewMDIChild = child;
            connect(child, &QMdiSubWindow::windowStateChanged, this, &TRuzOzodOvez::ChildrenChanged,
                    Qt::UniqueConnection);
        }
        break;
    case QEvent::ChildRemoved:
        // A child window gone: the area knows its new active child only
        // once it has handled the removal.
        ChildrenChanged();
        break;
    default:
        break;
    }
    return false;
}

void TRuzOzodOvez::SkinNewChild()
{
    const QPointer<QMdiSubWindow> child = NewMDIChild;
    NewMDIChild = nullptr;
    if (!child || !child->isVisible() || !SkinManager)
        return;
    // The manager skins a child window only while it sweeps the windows.
    const bool sweeping = SkinManager->Sweeping;
    SkinManager->Sweeping = true;
    SkinManager->SkinWindow(child);
    SkinManager->Sweeping = sweeping;
    RedrawFrame();
}

void TRuzOzodOvez::ChildrenChanged()
{
    if (FChildrenChangeQueued)
        return;
    FChildrenChangeQueued = true;
    QTimer::singleShot(0, this, [this] {
        FChildrenChangeQueued = false;
        if (!MDIClient)
            return;
        if (SkinManager)
            SkinManager->SetMaximizedState(ActiveChildMaximized());
        RedrawFrame();
    });
}

bool TRuzOzodOvez::ActiveChildMaximized() const
{
    if (MDIKind != 1 || !MDIClient)
        return false;
    const QMdiSubWindow *child = MDIClient->currentSubWindow();
    return child && child->isMaximized();
}

void TRuzOzodOvez::MDIChildCommand(int command)
{
    if (MDIKind != 1 || !MDIClient)
        return;
    QMdiSubWindow *child = MDIClient->currentSubWindow();
    if (!child)
        return;
    switch (command) {
    case SC_MINIMIZE:
        child->showMinimized();
        break;
    case SC_RESTORE:
        child->showNormal();
        break;
    case SC_CLOSE:
        child->close();
        break;
    default:
        break;
    }
    if (SkinManager && SkinManager->MaximizedState && !ActiveChildMaximized())
        SkinManager->SetMaximizedState(false);
    RedrawFrame();
}

void TRuzOzodOvez::PaintMDIButtons(QPainter &bar, const QRect &barRect)
{
    if (!ActiveChildMaximized())
        return;
    for (const auto &button : SysButtons) {
        const TDataSkinSysButton &e = *button->Element;
        if (e.Visibility != 100 || !button->Visible || e.Image.isNull())
            continue;
        // Under the mouse a child window's button shows its fourth frame.
        const int frame = button->State == TNCObject::StatePressed ? 2 : button->State == TNCObject::StateHot ? 4 : 1;
        DrawImageFrame(bar, button->Rect.translated(-barRect.topLeft()), e.Image, 1, e.FrameCount,
                       ClampedFrame(frame, e.FrameCount));
    }
    if (SkinManager && !SkinManager->MaximizedState)
        SkinManager->SetMaximizedState(true);
}

TWinSkinMenu *TRuzOzodOvez::AccelMenuBar(QChar c) const
{
    if (MenuBar && MenuBar->FindAccelButton(c))
        return MenuBar;
    if (MDIKind == 2 && SkinManager && SkinManager->MDIParentForm)
        if (const TRuzOzodOvez *frame = SkinManager->FindSkinner(SkinManager->MDIParentForm); frame && frame != this)
            return frame->AccelMenuBar(c);
    return nullptr;
}

bool TRuzOzodOvez::DialogChar(QChar c)
{
    TWinSkinMenu *bar = AccelMenuBar(c);
    return bar && bar->DialogChar(c);
}

} // namespace skin
