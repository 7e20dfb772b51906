#include "skin/RuzOzodOvez.h"

#include "skin/RadEzarArov.h"
#include "skin/SkinControl.h"
#include "skin/SkinControls.h"
#include "skin/SkinFrame.h"
#include "skin/SkinManage.h"
#include "skin/SkinMenuBar.h"
#include "skin/SkinMenuItem.h"
#include "skin/SkinMessages.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSizeGrip>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

namespace skin {

namespace {

// The caption and frame a window's flags ask for.
uint32_t CaptionStyle(const QWidget *window)
{
    const Qt::WindowFlags flags = window->windowFlags();
    uint32_t style = 0;
    if (flags.testFlag(Qt::WindowTitleHint))
        style |= WS_CAPTION;
    if (flags.testFlag(Qt::WindowSystemMenuHint))
        style |= WS_SYSMENU;
    if (flags.testFlag(Qt::WindowMinimizeButtonHint))
        style |= WS_MINIMIZEBOX;
    if (flags.testFlag(Qt::WindowMaximizeButtonHint))
        style |= WS_MAXIMIZEBOX;
    const bool fixed =
        flags.testFlag(Qt::MSWindowsFixedSizeDialogHint) || (window->minimumSize() == window->maximumSize());
    if (!fixed)
        style |= WS_THICKFRAME;
    return style;
}

} // namespace

uint32_t WindowStyle(const QWidget *window)
{
    if (!window)
        return 0;
    uint32_t style = 0;
    if (!window->isEnabled())
        style |= WS_DISABLED;
    if (!window->isWindow()) {
        style |= WS_CHILD;
        // A child window has its caption and frame within its frame window.
        if (qobject_cast<const QMdiSubWindow *>(window) && !window->windowFlags().testFlag(Qt::FramelessWindowHint))
            return style | CaptionStyle(window);
        if (const auto *area = qobject_cast<const QAbstractScrollArea *>(window)) {
            if (area->horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
                style |= WS_HSCROLL;
            if (area->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
                style |= WS_VSCROLL;
        }
        return style;
    }
    const Qt::WindowType type = window->windowType();
    const bool frameless = window->windowFlags().testFlag(Qt::FramelessWindowHint) || type == Qt::Popup ||
                           type == Qt::ToolTip || type == Qt::SplashScreen;
    if (frameless)
        return style | WS_POPUP;
    // Owned windows are pop-ups with a caption.
    if (type == Qt::Dialog || type == Qt::Sheet || type == Qt::Tool)
        style |= WS_POPUP;
    style |= CaptionStyle(window);
    if (qobject_cast<const QDialog *>(window))
        style |= DS_MODALFRAME;
    return style;
}

uint32_t WindowExStyle(const QWidget *window)
{
    uint32_t style = 0;
    if (!window)
        return style;
    if (window->layoutDirection() == Qt::RightToLeft)
        style |= WS_EX_LEFTSCROLLBAR;
    if (qobject_cast<const QMdiSubWindow *>(window))
        style |= WS_EX_MDICHILD;
    return style;
}

QString ForeignClassName(const QWidget *control, uint32_t *style)
{
    uint32_t s = WindowStyle(control);
    QString name;
    if (const auto *push = qobject_cast<const QPushButton *>(control)) {
        name = QStringLiteral("button");
        s |= push->isDefault() ? 1 : 0;
    } else if (const auto *check = qobject_cast<const QCheckBox *>(control)) {
        name = QStringLiteral("button");
        s |= check->isTristate() ? 6 : 3;
    } else if (qobject_cast<const QRadioButton *>(control)) {
        name = QStringLiteral("button");
        s |= 9;
    } else if (qobject_cast<const QGroupBox *>(control)) {
        name = QStringLiteral("button");
        s |= 7;
    } else if (const auto *combo = qobject_cast<const QComboBox *>(control)) {
        name = QStringLiteral("combobox");
        s |= combo->isEditable() ? 2 : 3;
    } else if (qobject_cast<const QSizeGrip *>(control)) {
        name = QStringLiteral("scrollbar");
    } else if (qobject_cast<const QTabWidget *>(control)) {
        name = QStringLiteral("systabcontrol32");
    } else if (qobject_cast<const QLineEdit *>(control) || qobject_cast<const QAbstractSpinBox *>(control) ||
               qobject_cast<const QTextEdit *>(control) || qobject_cast<const QPlainTextEdit *>(control)) {
        name = QStringLiteral("edit");
    } else if (control) {
        name = QString::fromLatin1(control->metaObject()->className()).toLower();
    }
    if (style)
        *style = s;
    return name;
}

namespace {

// The class-library control classes the discovery tests for, and the Qt
// classes that play their part here. A class with no Qt class is one this
// program has no counterpart of: its test never holds.
struct TClassPart {
    const char *name;
    std::initializer_list<const char *> qt;
};
const TClassPart ClassParts[] = {
    {"TCustomTabControl", {"QTabWidget"}},
    {"TToolButton", {}},
    {"TTABSET", {"QTabBar"}},
    {"TTABBEDNOTEBOOK", {}},
    {"TMVCPANEL", {}},
    {"TCustomCheckBox", {"QCheckBox"}},
    {"TTRACKBAR", {"QSlider"}},
    {"TUPDOWN", {}},
    {"TDBNAVIGATOR", {}},
    {"TCustomGroupBox", {"QGroupBox"}},
    {"TRadioButton", {"QRadioButton"}},
    {"TCustomStatusBar", {"QStatusBar"}},
    {"TProgressBar", {"QProgressBar"}},
    {"TScrollBar", {"QScrollBar"}},
    {"TCustomComboBox", {"QComboBox"}},
    {"TDATETIMEPICKER", {"QDateTimeEdit"}},
    {"TRICHEDIT", {"QTextEdit"}},
    {"TWWDBRICHEDIT", {}},
    {"TDXDBMEMO", {}},
    {"TSpeedButton", {"QToolButton"}},
    {"TCustomPanel", {"TPanel"}},
    {"TDXTREELIST", {}},
    {"TDXDBTREELIST", {}},
    {"TDXDBGRID", {}},
    {"TCustomListView", {"QTreeView"}},
    {"TCustomGrid", {"QTableView"}},
    {"TButton", {"QPushButton"}},
    {"TCustomEdit", {"QLineEdit", "QAbstractSpinBox", "QPlainTextEdit", "QTextEdit"}},
    {"TCustomForm", {"QDialog", "QMainWindow"}},
    {"TCustomListBox", {"QListView"}},
};

// Compound controls whose inner widgets are parts of one control.
bool IsCompound(const QWidget *w)
{
    return (qobject_cast<const QAbstractScrollArea *>(w) && !qobject_cast<const QScrollArea *>(w)) ||
           qobject_cast<const QComboBox *>(w) || qobject_cast<const QAbstractSpinBox *>(w) ||
           qobject_cast<const QTabBar *>(w) || qobject_cast<const QMenuBar *>(w) ||
           qobject_cast<const QToolButton *>(w);
}

bool IsInnerPart(const QWidget *w)
{
    const QWidget *parent = w->parentWidget();
    if (const auto *tabs = qobject_cast<const QTabWidget *>(parent))
        return w == tabs->tabBar();
    return qobject_cast<const QMenuBar *>(w) != nullptr;
}

void CollectComponents(QWidget *parent, QList<QWidget *> &out)
{
    for (QObject *object : parent->children()) {
        auto *w = qobject_cast<QWidget *>(object);
        if (!w || w->isWindow() || IsInnerPart(w))
            continue;
        out << w;
        if (auto *scroll = qobject_cast<QScrollArea *>(w)) {
            if (scroll->widget())
                CollectComponents(scroll->widget(), out);
        } else if (!IsCompound(w)) {
            CollectComponents(w, out);
        }
    }
}

int TagOf(const QObject *c)
{
    return c->property("Tag").toInt();
}

} // namespace

bool IsControlClass(const QObject *control, const char *className)
{
    if (!control)
        return false;
    for (const TClassPart &part : ClassParts)
        if (qstrcmp(part.name, className) == 0) {
            for (const char *qt : part.qt)
                if (control->inherits(qt))
                    return true;
            return false;
        }
    return false;
}

TRuzOzodOvez::TRuzOzodOvez(QObject *owner)
    : QObject(owner), CaptionText(QStringLiteral("  ")), CaptionSuffix(QStringLiteral(" "))
{
    DoubleClickTime = QApplication::doubleClickInterval();
    LoadCaptionFont();
    Active = 1;
    State = StateNew;
}

TRuzOzodOvez::~TRuzOzodOvez()
{
    UnsubclassClient();
    DetachMenus();
    FreeSkinners();
    FreeTitleButtons();
    delete SysMenuPopup.data();
    if (Handle)
        Handle->removeEventFilter(this);
    if (SkinManager)
        SkinManager->RemoveSkinner(this);
}

void TRuzOzodOvez::LoadCaptionFont()
{
    CaptionFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
}

QWidget *TRuzOzodOvez::ColorWidget(QWidget *form)
{
    if (auto *main = qobject_cast<QMainWindow *>(form); main && main->centralWidget())
        return main->centralWidget();
    return form;
}

void TRuzOzodOvez::AttachForm(TSkinData *skinData, QWidget *form)
{
    if (FAttached || !form)
        return;
    Form = form;
    if (!Handle)
        Handle = form;
    Attach(skinData);
    if (!SkinData)
        return;
    PaintFace(ColorWidget(form));
    AttachMenus();
}

void TRuzOzodOvez::PaintFace(QWidget *colour)
{
    if (!colour || !SkinData)
        return;
    if (FaceWidget != colour) {
        FaceWidget = colour;
        OldColor = colour->palette();
        OldColorOwn = colour->testAttribute(Qt::WA_SetPalette);
        OldAutoFill = colour->autoFillBackground();
    }
    // The skin's colours stand in for the desktop's: the face, and the text
    // drawn on it, so that a control that keeps the desktop's text colour
    // can still be read on the skin's face. Labels and the like show the
    // face through.
    QPalette face = colour->palette();
    face.setColor(QPalette::Window, ResolveColor(SkinData->Skin.ButtonFaceColor));
    face.setColor(QPalette::WindowText, ResolveColor(SkinData->Skin.WindowTextColor));
    face.setColor(QPalette::ButtonText, ResolveColor(SkinData->Skin.ButtonTextColor));
    colour->setPalette(face);
    colour->setAutoFillBackground(true);
    // The headers of its item views paint their own faces under the text
    // colour the window passes on: they take the skin's face, as a grid's
    // fixed parts do. A form's item views have skinners of their own.
    if (!Form && colour == Handle)
        for (QWidget *c : Components(Handle))
            SetFixedColours(c, *SkinData, FixedParts);
}

void TRuzOzodOvez::RestoreFace()
{
    if (QWidget *colour = FaceWidget) {
        colour->setPalette(OldColorOwn ? OldColor : QPalette());
        colour->setAutoFillBackground(OldAutoFill);
    }
    FaceWidget = nullptr;
    for (const TKeptPalette &kept : std::as_const(FixedParts))
        kept.GiveBack();
    FixedParts.clear();
}

void TRuzOzodOvez::Attach(TSkinData *skinData)
{
    if (FAttached || !Handle || !skinData)
        return;
    FAttached = true;
    SkinData = skinData;
    HoverTimer = new QTimer(this);
    HoverTimer->setInterval(250);
    connect(HoverTimer, &QTimer::timeout, this, &TRuzOzodOvez::HoverTimerTick);

    SkinMainMenu = SkinData->SkinControls.contains(xcMainMenu) ? 1 : 0;
    OldStyle = WindowStyle(Handle);
    const uint32_t exStyle = WindowExStyle(Handle);
    LeftScrollBar = exStyle & WS_EX_LEFTSCROLLBAR ? 1 : 0;

    LoadIcon(IconBitmap);
    WindowClass = ReadClassName(Handle);
    OwnerWindow = Handle->isWindow() ? Handle->parentWidget() : nullptr;
    // A child window's client is its form, within the frame Qt draws.
    ClientRect = WindowExStyle(Handle) & WS_EX_MDICHILD ? Handle->contentsRect() : Handle->rect();
    const QRect frame = Handle->frameGeometry();
    FrameExtra = QRect(0, 0, frame.width() - Handle->width(), frame.height() - Handle->height());

    FrameIcons = 0;
    if (OldStyle & WS_SYSMENU)
        FrameIcons |= fiSysMenu;
    if (OldStyle & WS_MINIMIZEBOX)
        FrameIcons |= fiMinimize;
    if (OldStyle & WS_MAXIMIZEBOX)
        FrameIcons |= fiMaximize;

    BuildSysMenu();
    ReadShowState();
    Sizeable = OldStyle & WS_THICKFRAME ? 1 : 0;
    FindMDIClient();
    if (exStyle & WS_EX_MDICHILD)
        MDIKind = 2;

    FrameKind = fkFixed;
    if ((OldStyle & WS_POPUP) && (OldStyle & WS_CAPTION) != WS_CAPTION)
        FrameKind = fkPopup;
    else if (OldStyle & WS_THICKFRAME)
        FrameKind = fkSizeable;
    else if (OldStyle & DS_MODALFRAME)
        FrameKind = fkDialog;
    if (WindowClass == QLatin1String("#32770") || WindowClass == QLatin1String("TMessageForm"))
        FrameKind = fkDialog;

    UnicodeWindow = WindowClass.contains(QLatin1String(".UnicodeClass")) ? 1 : 0;
    if (MDIKind == 1) {
        MDIMenuUpdate = SkinData->MenuUpdate ? 1 : 0;
        SubclassClient();
    }
    if (QMdiSubWindow *child = ChildWindow()) {
        // A child window is active while it is its frame's active child.
        Active = child->windowState().testFlag(Qt::WindowActive) ? 1 : 0;
        connect(child, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates, Qt::WindowStates now) {
            Active = now.testFlag(Qt::WindowActive) ? 1 : 0;
            RedrawFrame();
        });
    }
    if (SkinData->SkinControls.contains(xcMainMenu))
        AttachMenuBar();

    // A window whose frame the skin draws is skinned at its first layout,
    // where it also loses the system's frame: a window must not lose its
    // native window inside the activation that skins it.
    if (SkinMainMenu)
        LayoutBorders();
    else
        State = StateSkinned;

    Handle->installEventFilter(this);
    // The manager frees a skinner whose window has gone at its next purge.
    connect(Handle.data(), &QObject::destroyed, this, [this] { State = StateDestroyed; });

    if (MDIKind == 2 && ShowState == 1 && SkinManager && !SkinManager->MaximizedState)
        SkinManager->SetMaximizedState(true);
    if (Form) {
        SkinChildren(Form);
    } else {
        // A window of another kind is filled with the face as a form is.
        PaintFace(Handle);
        SkinForeignChildren();
    }
    Invalidate(Handle);
}

void TRuzOzodOvez::DetachPlain()
{
    if (HoverTimer)
        HoverTimer->stop();
    FreeSkinners();
    if (State != StateDestroying)
        RestoreFace();
    if (Handle)
        Handle->removeEventFilter(this);
    if (Handle && State != StateDestroying) {
        Handle->update();
        for (QWidget *child : Handle->findChildren<QWidget *>())
            child->update();
    }
}

void TRuzOzodOvez::Unskin()
{
    if (!FAttached)
        return;
    DetachMenus();
    delete SysMenuPopup.data();
    UnsubclassClient();
    if (SkinMainMenu)
        UnskinFrame();
    DetachPlain();
    FAttached = false;
    if (Handle)
        disconnect(Handle.data(), nullptr, this, nullptr);
}

void TRuzOzodOvez::Invalidate(QWidget *window)
{
    if (window)
        window->update();
}

void TRuzOzodOvez::LayoutBorders()
{
    if (!SkinData || !SkinData->SkinReady())
        return;
    const TSkin &skin = SkinData->Skin;
    if (FrameKind == fkPopup) {
        BorderLeft = BorderTop = BorderRight = BorderBottom = MenuHeight = 0;
    } else {
        const auto part = [](int size, int frames) { return frames > 0 ? size / frames : 0; };
        BorderTop = part(skin.TopBorder->Image.height(), skin.TopBorder->FrameCount);
        BorderLeft = part(skin.LeftBorder->Image.width(), skin.LeftBorder->FrameCount);
        BorderRight = part(skin.RightBorder->Image.width(), skin.RightBorder->FrameCount);
        BorderBottom = part(skin.BottomBorder->Image.height(), skin.BottomBorder->FrameCount);
    }
    FreeTitleButtons();
    TitleButtonCount = int(skin.TitleButtons.size());
    MakeTitleButtons();
    // A caption button that shows the window's icon takes the icon when the
    // skin draws none of its own.
    for (const auto &button : skin.TitleButtons) {
        if (button->Action != 3 && button->Action != 11)
            continue;
        if (button->Image.isNull())
            button->Image = IconBitmap;
        if (SkinData->IconImage.isNull())
            SkinData->IconImage = IconBitmap;
        button->FrameCount = 1;
    }
}

void TRuzOzodOvez::Reskin()
{
    // Restyling controls may take the focus from the one that had it.
    const QPointer<QWidget> focused = Handle ? Handle->focusWidget() : nullptr;
    State = StateReskin;
    // The new face: the window's own here; the child forms' and the grids'
    // fixed parts with their control skinners.
    PaintFace(Form ? ColorWidget(Form) : Handle.data());
    PurgeSkinners();
    for (const QPointer<TSkinControl> &skinner : std::as_const(Skinners))
        if (skinner)
            skinner->Refresh();
    if (SkinMainMenu) {
        RemeasureMenus();
        // The new skin's borders around the same client, and its outline.
        FPieces = {};
        FitWindow(true);
        UpdateRegion();
    }
    if (focused && Handle && Handle->focusWidget() != focused)
        focused->setFocus();
    State = StateSkinned;
    Invalidate(Handle);
}

void TRuzOzodOvez::RemeasureMenus()
{
    if (!MenuStyle || !Handle)
        return;
    MenuStyle->OwnerDrawPopupMenus(Form, true);
    // A menu measures its items once: those drawn in the skin measure them
    // again in the new one.
    QList<QMenu *> menus = Handle->findChildren<QMenu *>();
    if (SysMenuPopup)
        menus << SysMenuPopup;
    for (QMenu *menu : std::as_const(menus))
        if (menu->style() == MenuStyle) {
            QEvent change(QEvent::StyleChange);
            QCoreApplication::sendEvent(menu, &change);
        }
}

void TRuzOzodOvez::LoadIcon(QImage &bitmap)
{
    constexpr int Small = 16;
    IconSize = Small;
    QImage picture(Small, Small, QImage::Format_RGB32);
    picture.fill(QColor(255, 0, 255));
    const QIcon icon = Handle ? Handle->windowIcon() : QIcon();
    if (!icon.isNull()) {
        QPainter painter(&picture);
        painter.drawPixmap(0, 0, icon.pixmap(Small, Small));
        bitmap = picture;
        return;
    }
    if (SkinData && !SkinData->IconImage.isNull()) {
        bitmap = SkinData->IconImage;
        return;
    }
    if (SkinManager)
        for (const QPointer<TSkinData> &d : std::as_const(SkinManager->SkinDatas))
            if (d && d->SkinFormtype == TSkinData::sfMainform && !d->IconImage.isNull())
                bitmap = d->IconImage;
}

void TRuzOzodOvez::BuildSysMenu()
{
    delete SysMenuPopup.data();
    SysMenuPopup = new QMenu;
    SysMenuPopup->setProperty("Tag", 33333);
    SysMenuPopup->installEventFilter(this);
    AddSysMenuItem(QStringLiteral(" Restore "), 0);
    if (FrameIcons & fiMaximize)
        AddSysMenuItem(QStringLiteral(" Maximize "), 1);
    if (FrameIcons & fiMinimize)
        AddSysMenuItem(QStringLiteral(" Minimize "), 2);
    AddSysMenuItem(QStringLiteral("-"), 100);
    AddSysMenuItem(QStringLiteral(" Close "), 3);
}

void TRuzOzodOvez::AddSysMenuItem(const QString &caption, int index)
{
    if (!SysMenuPopup)
        return;
    QAction *item = caption == QLatin1String("-") ? SysMenuPopup->addSeparator() : SysMenuPopup->addAction(caption);
    item->setData(index);
    item->setProperty("Tag", index);
    item->setProperty("ImageIndex", index);
    if (SkinData && index >= 0 && index < SkinData->MenuGlyphs.size())
        item->setIcon(QIcon(QPixmap::fromImage(SkinData->MenuGlyphs[index])));
    if (index == 3)
        item->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F4));
    connect(item, &QAction::triggered, this, [this, index] { SysMenuItemClick(index); });
}

void TRuzOzodOvez::SysMenuItemClick(int tag)
{
    if (!Handle)
        return;
    switch (tag) {
    case 0:
        Handle->showNormal();
        break;
    case 1:
        Handle->isMaximized() ? Handle->showNormal() : Handle->showMaximized();
        break;
    case 2:
        Handle->isMinimized() ? Handle->showNormal() : Handle->showMinimized();
        break;
    case 3:
        if (HoverTimer)
            HoverTimer->stop();
        QMetaObject::invokeMethod(Handle, &QWidget::close, Qt::QueuedConnection);
        break;
    default:
        break;
    }
}

void TRuzOzodOvez::ReadShowState()
{
    ShowState = !Handle ? 0 : Handle->isMinimized() ? 2 : Handle->isMaximized() ? 1 : 0;
}

QString TRuzOzodOvez::ReadWindowText(const QWidget *window) const
{
    return window ? window->windowTitle() : QString();
}

QString TRuzOzodOvez::ReadClassName(const QWidget *window) const
{
    return window ? WindowClassName(window).left(100) : QString();
}

void TRuzOzodOvez::HoverTimerTick()
{
    if (InMenuLoop)
        return;
    FrameHoverTick();
    if (Form || !HotControl)
        return;
    QWidget *control = HotControl->Window();
    if (!control) {
        HotControl = nullptr;
        return;
    }
    const QRect screen(control->mapToGlobal(QPoint(0, 0)), control->size());
    if (!screen.contains(QCursor::pos())) {
        TSkinControl *hot = HotControl;
        HotControl = nullptr;
        SendControlMessage(hot->Window(), CM_MOUSELEAVE);
    }
}

bool TRuzOzodOvez::eventFilter(QObject *watched, QEvent *event)
{
    // The menu's last events come from its QWidget destructor, when it is a
    // QMenu no more: it is then not read through the typed pointer.
    if (qobject_cast<QMenu *>(watched) && watched == SysMenuPopup)
        return SysMenuEvent(event);
    if (FClientSaved.Saved && (watched == FClientArea || watched == FClientViewport))
        return ClientWndProc(watched, event);
    if (watched != Handle)
        return false;
    return FrameWndProc(event);
}

bool TRuzOzodOvez::FrameWndProc(QEvent *event)
{
    Handled = 0;
    const int type = int(event->type());
    if (type == SkinMsgQuery) {
        static_cast<TSkinMessage *>(event)->Result = 1;
        Handled = 1;
        return true;
    }
    if (type == SkinMsgStart) {
        FirstLayoutSeen = 1;
        if (SkinMainMenu)
            FirstLayout();
        State = StateSkinned;
        if (HoverTimer)
            HoverTimer->start();
        Handled = 1;
        return true;
    }
    switch (event->type()) {
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        // A child window's activity is its own, not its frame window's.
        if (MDIKind != 2)
            Active = event->type() == QEvent::WindowActivate ? 1 : 0;
        if (HoverTimer && Active && FirstLayoutSeen) {
            HoverTimer->start();
        } else if (HoverTimer && !Active) {
            HoverTimer->stop();
            if (HotControl) {
                TSkinControl *hot = HotControl;
                HotControl = nullptr;
                SendControlMessage(hot->Window(), CM_MOUSELEAVE);
            }
        }
        break;
    case QEvent::WindowStateChange:
        ReadShowState();
        FollowChildState();
        break;
    case QEvent::Destroy:
        State = StateDestroyed;
        break;
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
        if (ChildKeyEvent(event))
            return true;
        break;
    default:
        break;
    }
    return SkinMainMenu ? FrameEvent(event) : false;
}

bool TRuzOzodOvez::ChildKeyEvent(QEvent *event)
{
    if (MDIKind != 2)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    const int k = key->key();
    if (key->modifiers() != Qt::AltModifier ||
        !((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9)))
        return false;
    const QChar c(k);
    // Alt with a letter of the frame's menu bar opens the frame's menu,
    // before the child's own controls: the key must come as a key, not as
    // the shortcut of one of them.
    if (!AccelMenuBar(c))
        return false;
    key->accept();
    if (event->type() == QEvent::KeyPress)
        DialogChar(c);
    return true;
}

// ------------------------------------------------------------------ menus

void TRuzOzodOvez::AttachMenus()
{
    if (!SkinData || !Form)
        return;
    const TSkinControls controls = SkinData->SkinControls;
    if (!controls.contains(xcMainMenu) && !controls.contains(xcPopupMenu) && !controls.contains(xcMenuItem))
        return;
    if (!MenuStyle)
        MenuStyle = new TSkinMenuStyle(this);
    if (controls.contains(xcPopupMenu))
        MenuStyle->OwnerDrawPopupMenus(Form, true);
    if (controls.contains(xcMenuItem))
        MenuStyle->OwnerDrawMainMenus(Form, true);
    // The system menu's replacement is drawn as a popup menu of the form.
    if (SysMenuPopup)
        MenuStyle->OwnerDrawItems(SysMenuPopup, true, TMenuItemKind::PopupMenu);
    // Menus the window makes later, Qt's context menus among them.
    MenuStyle->WatchNewMenus(true);
}

void TRuzOzodOvez::AttachMenuBar()
{
    if (!SkinData || !Handle || MenuBar || MDIKind == 2)
        return;
    QMenuBar *bar = nullptr;
    if (auto *main = qobject_cast<QMainWindow *>(Handle.data()))
        bar = qobject_cast<QMenuBar *>(main->menuWidget());
    else
        bar = Handle->findChild<QMenuBar *>(QString(), Qt::FindDirectChildrenOnly);
    if (!bar)
        return;
    // The bar's height as the desktop lays it out.
    MenuHeight = bar->isVisible() ? bar->height() : bar->sizeHint().height();
    MenuBar = new TWinSkinMenu(this);
    MenuBar->SkinData = SkinData;
    MenuBar->Menu = Form ? bar : nullptr;
    MenuBar->MenuHandle = bar;
    MenuBar->LoadFromForm();
    if (!MenuStyle)
        MenuStyle = new TSkinMenuStyle(this);
}

void TRuzOzodOvez::DetachMenus()
{
    // The hot element goes before the buttons it may be one of.
    HotObject = nullptr;
    if (MenuBar) {
        MenuBar->GiveMenuBack();
        delete MenuBar;
        MenuBar = nullptr;
        MenuHeight = 0;
    }
    delete MenuStyle;
    MenuStyle = nullptr;
}

void TRuzOzodOvez::PaintTitleButton(TWinSysButton *button, int)
{
    if (button && Handle)
        Handle->update(button->Rect);
}

QPoint TRuzOzodOvez::ScreenToWindow(const QPoint &global) const
{
    return Handle ? Handle->mapFromGlobal(global) : global;
}

// ------------------------------------------------------------- discovery

QList<QWidget *> TRuzOzodOvez::Components(QWidget *form)
{
    QList<QWidget *> out;
    if (form)
        CollectComponents(form, out);
    return out;
}

void TRuzOzodOvez::SkinChildren(QWidget *parent)
{
    PurgeSkinners();
    // Only a form owns components; a panel or group box owns none of its own.
    if (!parent || parent != Form)
        return;
    // Skinning one control may make or free widgets of another (a style
    // change rebuilds a box's parts): each is looked at only while it lives.
    QList<QPointer<QWidget>> components;
    for (QWidget *c : Components(parent))
        components << c;
    for (const QPointer<QWidget> &c : std::as_const(components))
        if (c)
            SkinComponent(c, parent);
}

bool TRuzOzodOvez::HasScrollBars(const QWidget *c) const
{
    return (WindowStyle(c) & (WS_HSCROLL | WS_VSCROLL)) || TagOf(c) == 55 || IsControlClass(c, "TCustomListBox");
}

bool TRuzOzodOvez::IsSkinned(const QWidget *c) const
{
    for (const QPointer<TSkinControl> &skinner : Skinners) {
        if (!skinner)
            continue;
        if (skinner->Control || skinner->GraphicControl) {
            if (skinner->Control == c || skinner->GraphicControl == c)
                return true;
        } else if (skinner->Handle == c) {
            return true;
        }
    }
    return false;
}

TSkinControl *TRuzOzodOvez::FindSkinner(const QWidget *window) const
{
    for (const QPointer<TSkinControl> &skinner : Skinners)
        if (skinner && skinner->Handle == window)
            return skinner;
    return nullptr;
}

bool TRuzOzodOvez::AddSkinner(TSkinControl *skinner)
{
    if (Skinners.contains(skinner))
        return true;
    Skinners.append(skinner);
    return false;
}

void TRuzOzodOvez::RemoveSkinner(TSkinControl *skinner)
{
    for (qsizetype i = Skinners.size() - 1; i >= 0; --i)
        if (Skinners[i] == skinner) {
            Skinners.removeAt(i);
            break;
        }
    if (HotControl == skinner)
        HotControl = nullptr;
}

void TRuzOzodOvez::PurgeSkinners()
{
    for (qsizetype i = Skinners.size() - 1; i >= 0; --i) {
        TSkinControl *skinner = Skinners[i];
        if (!skinner) {
            Skinners.removeAt(i);
        } else if (skinner->Stage == TSkinControl::StageDestroyed) {
            Skinners.removeAt(i);
            delete skinner;
        }
    }
}

void TRuzOzodOvez::FreeSkinners()
{
    while (!Skinners.isEmpty()) {
        TSkinControl *skinner = Skinners.takeFirst();
        if (!skinner)
            continue;
        if (skinner->Stage != TSkinControl::StageDestroyed)
            skinner->RestoreColour();
        skinner->WindowSkinner = nullptr;
        delete skinner;
    }
    Skinners.clear();
    HotControl = nullptr;
}

} // namespace skin
