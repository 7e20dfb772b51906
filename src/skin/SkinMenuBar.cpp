#include "skin/SkinMenuBar.h"

#include "skin/BitmapHelpers.h"
#include "skin/RadEzarArov.h"
#include "skin/RuzOzodOvez.h"
#include "skin/SkinDraw.h"
#include "skin/SkinManage.h"
#include "skin/SkinMenuItem.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QShortcut>
#include <QTimer>

namespace skin {

namespace {

QFont MenuBarFont()
{
    QFont font = QApplication::font("QMenuBar");
    font.setBold(false);
    font.setItalic(false);
    font.setUnderline(false);
    return font;
}

// The caption centred in rect, its accelerator underlined.
void DrawCentredCaption(QPainter &canvas, const QRect &rect, const QString &text)
{
    canvas.setBackgroundMode(Qt::TransparentMode);
    canvas.setBrush(Qt::NoBrush);
    QRect measured(rect.topLeft(), QSize(0, 0));
    SkinDrawText(canvas, text, measured, DT_SINGLELINE | DT_CALCRECT | DT_NOCLIP);
    measured.moveTo(rect.left() + (rect.width() - measured.width()) / 2,
                    rect.top() + (rect.height() - measured.height()) / 2);
    SkinDrawText(canvas, text, measured, DT_SINGLELINE);
}

// The letter after a single "&", or none.
QChar AcceleratorOf(const QString &caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] != u'&')
            return caption[i + 1];
        ++i;
    }
    return QChar();
}

int CaptionWidth(const QFontMetrics &metrics, const QString &caption)
{
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i;
        shown += caption[i];
    }
    return metrics.horizontalAdvance(shown);
}

// Every action reached from the widget through the menus of its actions,
// and those menus; each menu once.
void ReachableActions(const QWidget *from, QList<QAction *> &actions, QList<QMenu *> &menus)
{
    for (QAction *action : from->actions()) {
        if (!actions.contains(action))
            actions << action;
        QMenu *menu = action->menu();
        if (menu && !menus.contains(menu)) {
            menus << menu;
            ReachableActions(menu, actions, menus);
        }
    }
}

bool IsActionEvent(const QEvent *event)
{
    return event->type() == QEvent::ActionAdded || event->type() == QEvent::ActionRemoved ||
           event->type() == QEvent::ActionChanged;
}

bool IsHotkeyCandidate(QChar c)
{
    const QChar u = c.toUpper();
    return (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
}

} // namespace

QStringList AutoHotkeys(const QStringList &captions)
{
    QString used;
    for (const QString &caption : captions)
        if (const QChar c = AcceleratorOf(caption); !c.isNull())
            used += c.toUpper();
    QStringList result = captions;
    for (QString &caption : result) {
        if (!AcceleratorOf(caption).isNull() || caption == QLatin1String("-"))
            continue;
        for (qsizetype i = 0; i < caption.size(); ++i) {
            const QChar c = caption[i];
            if (IsHotkeyCandidate(c) && !used.contains(c.toUpper())) {
                used += c.toUpper();
                caption.insert(i, u'&');
                break;
            }
        }
    }
    return result;
}

// ---------------------------------------------------------------------------
// Frame elements

void TNCObject::Press()
{
    TakeHot(StatePressed);
}

void TNCObject::Release()
{
    if (!Visible)
        return;
    State = StateHot;
    Paint();
}

void TNCObject::MouseOver()
{
    if (Form->HotObject == this)
        return;
    TakeHot(StateHot);
}

void TNCObject::TakeHot(int state)
{
    if (Form->HotObject && Form->HotObject != this)
        Form->HotObject->Leave();
    if (!Visible)
        return;
    Form->HotObject = this;
    State = state;
    Paint();
}

void TNCObject::Leave()
{
    if (!Visible)
        return;
    if (Form->HotObject == this)
        Form->HotObject = nullptr;
    State = StateNormal;
    Paint();
}

void TWinSysButton::Paint()
{
    Form->PaintTitleButton(this, State);
}

void TMenuBtn::Paint()
{
    // Painting happens in the window's paint, where the frame painter asks
    // the bar to paint itself with its buttons in their states.
    if (Form->Handle && !Rect.isEmpty())
        Form->Handle->update(Rect);
}

void TMenuBtn::PaintOn(QPainter &painter, const QImage &background, const QRect &barRect) const
{
    if (!SkinData || Rect.isEmpty())
        return;
    const TSkin &skin = SkinData->Skin;
    const QRect slice(Rect.left() - barRect.left(), 0, Rect.width(), background.height());
    painter.drawImage(QPoint(Rect.left(), barRect.top()), background, slice);
    if (State == StatePressed || State == StateHot) {
        painter.setPen(ResolveColor(skin.ButtonHilightColor));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(Rect.adjusted(0, 0, -1, -1));
    }
    painter.setFont(MenuBarFont());
    painter.setPen(Enabled ? ResolveColor(skin.MenuBarTextColor)
                           : DisabledTextColour(skin, skin.MenuBarTextColor, skin.MenubarColor));
    DrawCentredCaption(painter, Rect, Caption);
}

// ---------------------------------------------------------------------------
// The bar

TWinSkinMenu::TWinSkinMenu(TRuzOzodOvez *owner) : QObject(owner), Form(owner) {}

TWinSkinMenu::~TWinSkinMenu()
{
    RemoveMenuHook();
    FreeButtons();
    TakeShortcutsBack();
}

void TWinSkinMenu::FreeButtons()
{
    EndBarLoop();
    // The hot element must not outlive the button it is.
    if (Form && Form->HotObject)
        for (TMenuBtn *button : std::as_const(Buttons))
            if (Form->HotObject == button)
                Form->HotObject = nullptr;
    qDeleteAll(Buttons);
    Buttons.clear();
    qDeleteAll(FShortcuts);
    FShortcuts.clear();
}

void TWinSkinMenu::LoadFromForm()
{
    if (!MenuHandle || !Menu)
        return;
    FreeButtons();
    const QList<QAction *> actions = Menu->actions();
    Count = int(actions.size());
    QStringList captions;
    for (const QAction *action : actions)
        captions << (action->isSeparator() ? QString() : action->text());
    captions = AutoHotkeys(captions);
    for (int i = 0; i < Count; ++i) {
        QAction *action = actions[i];
        auto *button = new TMenuBtn(Form);
        button->SkinData = SkinData;
        button->Index = i;
        button->Visible = action->isVisible();
        button->Enabled = action->isEnabled();
        button->Caption = captions[i];
        button->MenuItem = action;
        QMenu *sub = action->menu();
        button->SubMenu = sub && !sub->actions().isEmpty() ? sub : nullptr;
        Buttons << button;
    }
    HideMenuBar();
    MakeShortcuts();
}

void TWinSkinMenu::LoadFromHandle(QMenuBar *menu)
{
    if (menu)
        MenuHandle = menu;
    if (!MenuHandle)
        return;
    FreeButtons();
    const QList<QAction *> actions = MenuHandle->actions();
    Count = int(actions.size());
    if (Count <= 0)
        return;
    QStringList captions;
    for (const QAction *action : actions)
        captions << (action->isSeparator() ? QString() : action->text());
    captions = AutoHotkeys(captions);
    for (int i = 0; i < Count; ++i) {
        QAction *action = actions[i];
        auto *button = new TMenuBtn(Form);
        button->SkinData = SkinData;
        button->Index = i;
        button->SubMenu = action->menu();
        button->Enabled = action->isEnabled();
        button->Visible = true;
        button->Caption = captions[i];
        button->MenuItem = action;
        Buttons << button;
    }
    HideMenuBar();
    MakeShortcuts();
}

void TWinSkinMenu::HideMenuBar()
{
    if (!MenuHandle)
        return;
    FBar = MenuHandle;
    MenuHandle->installEventFilter(this);
    MenuHandle->hide();
}

void TWinSkinMenu::GiveMenuBack()
{
    EndBarLoop();
    RemoveMenuHook();
    if (MenuHandle) {
        MenuHandle->removeEventFilter(this);
        MenuHandle->show();
    }
    FBar = nullptr;
    if (Form)
        Form->HotObject = nullptr;
    FreeButtons();
    TakeShortcutsBack();
    MenuHandle = nullptr;
    Menu = nullptr;
}

void TWinSkinMenu::MakeShortcuts()
{
    if (!Form || !Form->Handle)
        return;
    for (const TMenuBtn *button : std::as_const(Buttons)) {
        const QChar c = AcceleratorOf(button->Caption);
        if (c.isNull())
            continue;
        auto *shortcut = new QShortcut(QKeySequence(QStringLiteral("Alt+") + c.toUpper()), Form->Handle);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, c] { DialogChar(c); });
        FShortcuts << shortcut;
    }
    LendShortcuts();
}

void TWinSkinMenu::LendShortcuts()
{
    QWidget *window = Form ? Form->Handle.data() : nullptr;
    if (!window || !MenuHandle)
        return;
    QList<QAction *> actions;
    QList<QMenu *> menus;
    ReachableActions(MenuHandle, actions, menus);
    for (QMenu *menu : std::as_const(menus))
        if (!FWatchedMenus.contains(menu)) {
            FWatchedMenus << menu;
            menu->installEventFilter(this);
        }
    for (qsizetype i = FLent.size() - 1; i >= 0; --i) {
        QAction *action = FLent[i];
        if (action && actions.contains(action) && !action->shortcuts().isEmpty())
            continue;
        if (action)
            window->removeAction(action);
        FLent.removeAt(i);
    }
    const QList<QAction *> own = window->actions();
    for (QAction *action : std::as_const(actions))
        if (!action->shortcuts().isEmpty() && !own.contains(action)) {
            window->addAction(action);
            FLent << action;
        }
}

void TWinSkinMenu::QueueOnce(bool &queued, void (TWinSkinMenu::*step)())
{
    if (queued)
        return;
    queued = true;
    QTimer::singleShot(0, this, [this, &queued, step] {
        queued = false;
        (this->*step)();
    });
}

void TWinSkinMenu::TakeShortcutsBack()
{
    for (const QPointer<QMenu> &menu : std::as_const(FWatchedMenus))
        if (menu)
            menu->removeEventFilter(this);
    FWatchedMenus.clear();
    QWidget *window = Form ? Form->Handle.data() : nullptr;
    for (const QPointer<QAction> &action : std::as_const(FLent))
        if (action && window)
            window->removeAction(action);
    FLent.clear();
}

void TWinSkinMenu::PaintBar(QPainter &painter, const QRect &barRect)
{
    if (!SkinData || barRect.width() <= 0 || barRect.height() <= 0)
        return;
    const TSkin &skin = SkinData->Skin;
    const int w = barRect.width(), h = barRect.height();
    QImage &bitmap = SharedBitmap();
    if (bitmap.size() != QSize(w, h) || bitmap.format() != QImage::Format_RGB32)
        bitmap = QImage(w, h, QImage::Format_RGB32);
    const bool rtl = Menu ? Menu->isRightToLeft() : (Form && Form->Handle && Form->Handle->isRightToLeft());
    int x0 = 6;
    {
        QPainter p(&bitmap);
        const TDataSkinObject *element = skin.MenuBar.get();
        if (element && !element->Image.isNull()) {
            const int frame = Form && Form->Active ? 1 : 2;
            const QMargins margins(element->LeftWidth, element->TopHeight, element->RightWidth, element->BottomHeight);
            if (element->Tile == 1)
                DrawSkinImage(p, QRect(0, 0, w, h), element->Image, 1, 0, 0, 2, frame, margins);
            else
                DrawStrip(p, QRect(0, 0, w, h), element->Image, 1, 0, 2, frame, margins);
            x0 = rtl ? element->RightWidth + 8 : element->LeftWidth + 4;
            if (x0 > w)
                x0 = 12;
        } else {
            bitmap.fill(ResolveColor(skin.MenubarColor));
        }
    }
    BarRect = barRect;
    Background = bitmap.copy();

    QPainter p(&bitmap);
    p.setFont(MenuBarFont());
    p.setBackgroundMode(Qt::TransparentMode);
    Painting = true;
    const QFontMetrics metrics(p.font());
    int x = rtl ? w - x0 : x0;
    for (TMenuBtn *button : std::as_const(Buttons)) {
        if (!button->Visible) {
            button->Rect = QRect();
            continue;
        }
        int width = CaptionWidth(metrics, button->Caption);
        if (width > 0)
            width += 10;
        p.setPen(button->Enabled ? ResolveColor(skin.MenuBarTextColor)
                                 : DisabledTextColour(skin, skin.MenuBarTextColor, skin.MenubarColor));
        const QRect r = rtl ? WinRect(x - width, 0, x, h - 1) : WinRect(x, 0, x + width, h - 1);
        if (width > 0)
            DrawCentredCaption(p, r, button->Caption);
        button->Rect = width > 0 ? r.translated(barRect.topLeft()) : QRect();
        x += rtl ? -width : width;
    }
    Painting = false;
    // The buttons' mouse states: in Qt every change repaints the bar.
    for (const TMenuBtn *button : std::as_const(Buttons))
        if (button->Visible && button->State != TNCObject::StateNormal && !button->Rect.isEmpty()) {
            p.save();
            p.translate(-barRect.topLeft());
            button->PaintOn(p, Background, QRect(barRect.left(), barRect.top(), w, h));
            p.restore();
        }
    // A maximised child window's buttons stand at the bar's end.
    if (Form)
        Form->PaintMDIButtons(p, barRect);
    p.end();
    painter.drawImage(barRect.topLeft(), bitmap);
}

TMenuBtn *TWinSkinMenu::HitTest(const QPoint &point) const
{
    for (TMenuBtn *button : Buttons)
        if (button->Rect.contains(point) && !button->Caption.isEmpty())
            return button;
    return nullptr;
}

bool TWinSkinMenu::MouseMove(const QPoint &point)
{
    TMenuBtn *button = HitTest(point);
    if (!button)
        return false;
    button->MouseOver();
    return true;
}

bool TWinSkinMenu::MouseDown(const QPoint &point)
{
    TMenuBtn *button = HitTest(point);
    if (!button)
        return false;
    if (Form && !Form->Active && Form->Handle)
        Form->Handle->activateWindow();
    button->Press();
    TrackButton(button);
    return true;
}

bool TWinSkinMenu::MouseUp(const QPoint &point)
{
    return HitTest(point) != nullptr;
}

void TWinSkinMenu::RunCommand(TMenuBtn *button)
{
    if (QAction *action = button->MenuItem)
        QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
}

bool TWinSkinMenu::TrackButton(TMenuBtn *button)
{
    if (!button)
        return false;
    RunCommand(button);
    QPointer<QMenu> menu = button->SubMenu;
    if (!menu)
        return false;
    const QPointer<TWinSkinMenu> self(this);
    FOpenIndex = button->Index;
    if (Form->MenuStyle)
        Form->MenuStyle->OwnerDrawItems(menu, true);
    Form->InMenuLoop = 1;
    const QPoint position =
        Form->Handle->mapToGlobal(QPoint(button->Rect.left(), button->Rect.top() + button->Rect.height()));
    if (SkinManager)
        SkinManager->MenuKind = 1;
    Form->TrackedMenu = menu;
    InstallMenuHook(menu);
    if (button->Enabled)
        menu->exec(position);
    if (!self)
        return true;
    RemoveMenuHook();
    Form->InMenuLoop = 0;
    if (FReloadPending) {
        FReloadPending = false;
        MenuChanged();
    }
    if (FPressPending) {
        FPressPending = false;
        QueuePress(FPendingPress);
    }
    if (FSelectPending >= 0) {
        SelectButton(ButtonAt(FSelectPending));
        FSelectPending = -1;
    }
    return true;
}

TMenuBtn *TWinSkinMenu::ButtonAt(int index) const
{
    return index >= 0 && index < Buttons.size() ? Buttons[index] : nullptr;
}

void TWinSkinMenu::MoveTo(TMenuBtn *button)
{
    if (!button)
        return;
    if (button->SubMenu) {
        OpenButton(button);
        return;
    }
    if (FOpenIndex >= 0) {
        // The open menu closes first; its loop ends inside TrackButton.
        FSelectPending = button->Index;
        while (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
        return;
    }
    SelectButton(button);
}

void TWinSkinMenu::SelectButton(TMenuBtn *button)
{
    if (!button || !Form)
        return;
    if (FSelectedIndex < 0 && qApp)
        qApp->installEventFilter(this);
    FSelectedIndex = button->Index;
    // Shown as a button whose menu is open.
    button->Press();
    Form->InMenuLoop = 1;
}

void TWinSkinMenu::EndBarLoop()
{
    if (FSelectedIndex < 0)
        return;
    TMenuBtn *button = ButtonAt(FSelectedIndex);
    FSelectedIndex = -1;
    if (qApp)
        qApp->removeEventFilter(this);
    if (Form) {
        Form->InMenuLoop = 0;
        if (button && Form->HotObject == button)
            button->Leave();
    }
}

bool TWinSkinMenu::BarLoopEvent(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // The loop has the keys: no shortcut of the window runs meanwhile.
        event->accept();
        return true;
    case QEvent::KeyPress: {
        int key = static_cast<QKeyEvent *>(event)->key();
        if (Menu && Menu->isRightToLeft() && (key == Qt::Key_Left || key == Qt::Key_Right))
            key = key == Qt::Key_Left ? Qt::Key_Right : Qt::Key_Left;
        TMenuBtn *selected = ButtonAt(FSelectedIndex);
        switch (key) {
        case Qt::Key_Left:
        case Qt::Key_Right:
            MoveTo(NextButton(key == Qt::Key_Right));
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            EndBarLoop();
            if (selected && selected->Enabled)
                RunCommand(selected);
            break;
        case Qt::Key_Escape:
        case Qt::Key_Alt:
            EndBarLoop();
            break;
        default:
            break;
        }
        return true;
    }
    case QEvent::MouseMove:
        if (Form && watched == Form->Handle) {
            const QPoint global = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
            TMenuBtn *button = HitTest(Form->ScreenToWindow(global));
            if (button && button->Index != FSelectedIndex)
                MoveTo(button);
            return true;
        }
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // The click itself goes on: on a bar button it runs or opens it.
        EndBarLoop();
        return false;
    case QEvent::WindowDeactivate:
        if (Form && watched == Form->Handle)
            EndBarLoop();
        return false;
    default:
        return false;
    }
}

void TWinSkinMenu::OpenButton(TMenuBtn *button)
{
    if (!button || !Form || !Form->Handle)
        return;
    EndBarLoop();
    // As a click on the button would: it closes the open menu first, and
    // once that menu's loop has ended the bar tracks the button under it.
    const QPoint point = button->Rect.topLeft() + QPoint(1, 1);
    if (FOpenIndex >= 0) {
        FPendingPress = point;
        FPressPending = true;
        while (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
        return;
    }
    QueuePress(point);
}

void TWinSkinMenu::QueuePress(const QPoint &point)
{
    const QPointer<TWinSkinMenu> self(this);
    QTimer::singleShot(0, this, [self, point] {
        if (self)
            self->MouseDown(point);
    });
}

TMenuBtn *TWinSkinMenu::FindAccelButton(QChar c) const
{
    const QChar wanted = c.toUpper();
    for (TMenuBtn *button : Buttons)
        if (button->Enabled && button->Visible && AcceleratorOf(button->Caption).toUpper() == wanted)
            return button;
    return nullptr;
}

bool TWinSkinMenu::DialogChar(QChar c)
{
    TMenuBtn *button = FindAccelButton(c);
    if (!button)
        return false;
    OpenButton(button);
    return true;
}

void TWinSkinMenu::EndMenuLoop()
{
    if (Form)
        Form->InMenuLoop = 0;
}

TMenuBtn *TWinSkinMenu::NextButton(bool forward) const
{
    if (Buttons.isEmpty())
        return nullptr;
    const int n = int(Buttons.size());
    const int current = FOpenIndex >= 0 ? FOpenIndex : FSelectedIndex;
    const int i = forward ? (current + 1) % n : (current - 1 + n) % n;
    return Buttons[std::clamp(i, 0, n - 1)];
}

void TWinSkinMenu::InstallMenuHook(QMenu *menu)
{
    FSwitching = false;
    FFirstMessage = true;
    FLastMouse = QCursor::pos();
    // The menu and every submenu it may open.
    const std::function<void(QMenu *)> hook = [&](QMenu *m) {
        if (!m || FHooked.contains(m))
            return;
        FHooked << m;
        m->installEventFilter(this);
        connect(m, &QMenu::hovered, this, [this](QAction *action) { FSelectedItem = action; });
        for (QAction *action : m->actions())
            hook(action->menu());
    };
    hook(menu);
    connect(menu, &QMenu::aboutToHide, this, [this] {
        if (!FSwitching)
            EndMenuLoop();
    });
}

void TWinSkinMenu::RemoveMenuHook()
{
    for (const QPointer<QMenu> &m : std::as_const(FHooked))
        if (m) {
            m->removeEventFilter(this);
            disconnect(m, nullptr, this, nullptr);
        }
    FHooked.clear();
    FSelectedItem = nullptr;
    FOpenIndex = -1;
    FFirstMessage = false;
}

bool TWinSkinMenu::eventFilter(QObject *watched, QEvent *event)
{
    if (FSelectedIndex >= 0 && BarLoopEvent(watched, event))
        return true;
    if (watched == FBar) {
        switch (event->type()) {
        case QEvent::ActionAdded:
        case QEvent::ActionRemoved:
        case QEvent::ActionChanged:
            // Rebuilt once the change is complete (a change of language
            // touches several items), and never from within the bar's own
            // destruction.
            QueueOnce(FChangeQueued, &TWinSkinMenu::MenuChanged);
            break;
        default:
            break;
        }
        return false;
    }
    // Compared as objects: a menu may be part way through its destruction.
    if (IsActionEvent(event) && std::any_of(FWatchedMenus.cbegin(), FWatchedMenus.cend(),
                                            [watched](const QPointer<QMenu> &m) { return m.data() == watched; }))
        QueueOnce(FLendQueued, &TWinSkinMenu::LendShortcuts);
    if (auto *menu = qobject_cast<QMenu *>(watched); menu && FHooked.contains(menu))
        return MenuHook(menu, event);
    return QObject::eventFilter(watched, event);
}

bool TWinSkinMenu::MenuHook(QMenu *menu, QEvent *event)
{
    if (FFirstMessage && Form->TrackedMenu) {
        // The menu opens with its first item selected.
        FFirstMessage = false;
        QCoreApplication::postEvent(Form->TrackedMenu, new QKeyEvent(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier));
    }
    TMenuBtn *target = nullptr;
    switch (event->type()) {
    case QEvent::KeyPress: {
        int key = static_cast<QKeyEvent *>(event)->key();
        // In a right-to-left menu the keys point the other way.
        if (FSelectedItem && menu->isRightToLeft()) {
            if (key == Qt::Key_Left)
                key = Qt::Key_Right;
            else if (key == Qt::Key_Right)
                key = Qt::Key_Left;
        }
        switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            FSwitching = false;
            break;
        case Qt::Key_Left:
            // Inside a submenu Left closes it; in the bar's menu it moves on.
            if (!menu->activeAction() || menu == Form->TrackedMenu)
                target = NextButton(false);
            break;
        case Qt::Key_Right:
            if (!menu->activeAction() || !menu->activeAction()->menu())
                target = NextButton(true);
            break;
        case Qt::Key_Alt:
            EndMenuLoop();
            while (QWidget *popup = QApplication::activePopupWidget())
                popup->close();
            return true;
        default:
            break;
        }
        break;
    }
    case QEvent::MouseMove: {
        const QPoint global = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
        if (global != FLastMouse) {
            target = HitTest(Form->ScreenToWindow(global));
            FLastMouse = global;
        }
        break;
    }
    default:
        break;
    }
    if (target && target->Index != FOpenIndex) {
        FSwitching = true;
        MoveTo(target);
        return true;
    }
    return false;
}

void TWinSkinMenu::MenuChanged()
{
    if (!SkinData || !SkinData->MenuUpdate || !MenuHandle)
        return;
    // Rebuilding would free the button whose menu is open: it waits until
    // the menu has closed.
    if ((Form && Form->InMenuLoop) || FOpenIndex >= 0) {
        FReloadPending = true;
        return;
    }
    if (SkinData->MenuMerge)
        LoadFromHandle();
    else
        LoadFromForm();
    if (Form && Form->Handle)
        Form->Handle->update();
}

} // namespace skin
