#pragma once

// The window skinner: one per top-level window that the skin manager skins.
// It watches its window through an event filter, reads the window's frame
// (its kind, caption icons, show state, border sizes, icon and caption
// font), builds the system-menu replacement, and walks the window's
// controls to put a control skinner on each one the skin component allows.
//
// A form of ours is walked by its components: every widget below it, in
// creation order, leaving out the inner parts of Qt's compound controls and
// the windows of its own. A window known only as a window (one of Qt's
// standard dialogs) is walked by the Qt classes of its widgets.
#include "skin/SkinColor.h"

#include <QFont>
#include <QImage>
#include <QList>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPainter;
class QTimer;

namespace skin {

class TDataSkinSysButton;
class TNCObject;
class TSkinControl;
class TSkinData;
class TSkinMenuStyle;
class TWinSkinMenu;
class TWinSysButton;

// The window-style bits the frame analysis reads, taken from a Qt window's
// flags and state.
enum : uint32_t {
    WS_POPUP = 0x80000000u,
    WS_CHILD = 0x40000000u,
    WS_DISABLED = 0x08000000u,
    WS_CAPTION = 0x00C00000u,
    WS_BORDER = 0x00800000u,
    WS_DLGFRAME = 0x00400000u,
    WS_VSCROLL = 0x00200000u,
    WS_HSCROLL = 0x00100000u,
    WS_SYSMENU = 0x00080000u,
    WS_THICKFRAME = 0x00040000u,
    WS_MINIMIZEBOX = 0x00020000u,
    WS_MAXIMIZEBOX = 0x00010000u,
    DS_MODALFRAME = 0x80u,
    WS_EX_MDICHILD = 0x40u,
    WS_EX_LEFTSCROLLBAR = 0x4000u,
};
uint32_t WindowStyle(const QWidget *window);
uint32_t WindowExStyle(const QWidget *window);
// The window class a control of a foreign window stands for ("button",
// "combobox", "edit", ...), with its style bits.
QString ForeignClassName(const QWidget *control, uint32_t *style = nullptr);
// The Qt classes that play the part of a class-library control class; none
// for a class this program has no counterpart of.
bool IsControlClass(const QObject *control, const char *className);

class TRuzOzodOvez : public QObject {
    Q_OBJECT
public:
    // Life states.
    enum { StateNew = 0, StateSkinned = 1, StateDestroying = 4, StateDestroyed = 6 };
    // Frame kinds.
    enum { fkSizeable = 0, fkFixed = 1, fkPopup = 2, fkDialog = 3 };
    // Caption icons.
    enum : uint8_t { fiMaximize = 1, fiMinimize = 2, fiSysMenu = 8, fiNoCaption = 0x10 };

    // Owner: the form being skinned, or none for a window known only as a
    // window (a system dialog, a message box).
    explicit TRuzOzodOvez(QObject *owner = nullptr);
    // Frees the control skinners and takes itself off the manager's list.
    ~TRuzOzodOvez() override;

    // Attaches to a form of ours; Handle is the form.
    void AttachForm(TSkinData *skinData, QWidget *form);
    // Attaches to Handle, set beforehand. Attaching twice changes nothing.
    void Attach(TSkinData *skinData);
    // Gives the window back as it was before it was skinned.
    void Unskin();
    // Has the window drawn again.
    void Invalidate(QWidget *window);
    // The caption buttons go, to be made again from a new skin by
    // LayoutBorders; Reskin applies the new skin to the window.
    void FreeTitleButtons();
    void LayoutBorders();
    void Reskin();
    // The menus drawn in the skin take a new skin's measures.
    void RemeasureMenus();
    // The frame styles and region of a child window inside a multiple-document
    // frame as it is maximised and given back.
    void SetFrameStyles(bool on);
    void RedrawFrame();
    void UpdateRegion();
    void DropRegion();
    bool HasRegion() const { return RegionSet != 0; }

    void LoadCaptionFont();
    void LoadIcon(QImage &bitmap);
    void BuildSysMenu();
    void AddSysMenuItem(const QString &caption, int index);
    void SysMenuItemClick(int tag);
    void ReadShowState();
    QString ReadWindowText(const QWidget *window) const;
    QString ReadClassName(const QWidget *window) const;
    void HoverTimerTick();

    // Control discovery.
    void SkinChildren(QWidget *parent);
    void SkinComponent(QWidget *c, QWidget *parent);
    bool MatchSkin3rd(const QString &className, QWidget *c);
    bool IsSkinned(const QWidget *c) const;
    void SkinForeignChildren();
    void SkinForeignChild(QWidget *window);
    TSkinControl *FindSkinner(const QWidget *window) const;
    bool HasScrollBars(const QWidget *c) const;
    // A form's components: its widgets below it in creation order, without
    // the parts of compound controls and without windows of their own.
    static QList<QWidget *> Components(QWidget *form);

    // The skinner list. AddSkinner answers whether it was listed already.
    bool AddSkinner(TSkinControl *skinner);
    void RemoveSkinner(TSkinControl *skinner);
    void PurgeSkinners();
    void FreeSkinners();

    uint8_t Handled = 0;
    uint8_t RefreshDone = 0;
    QFont CaptionFont;
    QTimer *HoverTimer = nullptr;
    int DisableTag = 0;
    QString CaptionText;
    QString CaptionSuffix;
    QString WindowClass;
    uint8_t CaptionsOn = 0;
    uint8_t MDIMenuUpdate = 0;
    uint8_t SkinMainMenu = 0;
    QRect ClientRect;
    int DoubleClickTime = 0;
    int CaptionWidth = 0;
    QPointer<QWidget> OwnerWindow;
    int IconSize = 0;
    int BorderLeft = 0;
    int BorderTop = 0;
    int BorderRight = 0;
    int BorderBottom = 0;
    QRect WindowRect;
    QRect FrameExtra;
    int MenuHeight = 0;
    int TitleButtonCount = 0;
    uint8_t InMenuLoop = 0;
    uint8_t LeftScrollBar = 0;
    uint8_t Sizeable = 0;
    uint8_t UnicodeWindow = 0;
    QPointer<QMenu> SysMenuPopup;
    QPointer<QWidget> FaceWidget; // the widget PaintFace coloured
    QPalette OldColor;
    bool OldColorOwn = false;
    bool OldAutoFill = false;
    QList<TKeptPalette> FixedParts; // a foreign window's headers PaintFace coloured
    uint32_t OldStyle = 0;
    QPointer<QWidget> Form;   // none for a foreign window
    QPointer<QWidget> Handle; // the skinned window
    QImage ControlCanvas;     // handed to every control skinner
    QPointer<TSkinData> SkinData;
    QImage IconBitmap;
    QImage TitleBitmap;
    QList<QPointer<TSkinControl>> Skinners;
    // The control skinner under the mouse, or none.
    QPointer<TSkinControl> HotControl;
    uint8_t Active = 1;
    int MDIKind = 0; // 0 plain, 1 frame of child windows, 2 such a child
    uint8_t FrameKind = fkFixed;
    uint8_t FrameIcons = 0;
    int ShowState = 0; // 0 normal, 1 maximised, 2 minimised
    int State = StateNew;
    uint8_t FirstLayoutSeen = 0;

    // Where a form keeps its colour: its client area when it has one.
    static QWidget *ColorWidget(QWidget *form);
    // The skin's face and text colours on the widget that keeps the window's
    // colour (for a foreign window, also on its item views' headers), and
    // their own back.
    void PaintFace(QWidget *colour);
    void RestoreFace();

    // ---- Menus: the skinned menu bar and the owner-drawn menu items.
    // The form's menus get their measure and draw handlers.
    void AttachMenus();
    // The window's menu bar becomes a skinned one.
    void AttachMenuBar();
    // The menus get their own drawing back, the window its menu bar.
    void DetachMenus();
    // A caption button is painted again in the given state.
    void PaintTitleButton(TWinSysButton *button, int frame);
    // A point on the screen in the window's coordinates.
    QPoint ScreenToWindow(const QPoint &global) const;

    TWinSkinMenu *MenuBar = nullptr;     // none without a skinned menu bar
    TSkinMenuStyle *MenuStyle = nullptr; // the menus' measure and draw handlers
    TNCObject *HotObject = nullptr;      // the frame element under the mouse
    QPointer<QMenu> TrackedMenu;         // the bar menu open

    // ---- The drawn frame (SkinFrame.cpp: painting and region;
    // SkinFrameProc.cpp: the frame's events, caption buttons, system menu) ----

    // Frame states besides the life states: a re-skin and the first layout.
    enum { StateReskin = 3, StateFirstLayout = 5 };
    // Where a point of the window lies, as the frame's mouse handling sees it.
    enum THitTest {
        HTNOWHERE = 0,
        HTCLIENT = 1,
        HTCAPTION = 2,
        HTMENU = 5,
        HTLEFT = 10,
        HTRIGHT = 11,
        HTTOP = 12,
        HTTOPLEFT = 13,
        HTTOPRIGHT = 14,
        HTBOTTOM = 15,
        HTBOTTOMLEFT = 16,
        HTBOTTOMRIGHT = 17
    };
    // The edges a border or corner code moves; none for another code.
    static Qt::Edges SizingEdges(int hit);

    // The frame around the client: the borders, the menu bar under the top.
    QMargins FrameMargins() const;
    // Sets the window's fixed size so that its client keeps its size inside
    // the frame; FromClient takes the client's present size, otherwise the
    // size it had under the system's frame.
    void FitWindow(bool fromClient);
    // The least width at which a window's caption shows whole in its frame.
    int CaptionRoom();
    // A width widened, for one of Qt's dialogs, to its caption's room.
    int WidenForCaption(int width);
    // Widens a dialog of fixed size that its own code made too narrow for
    // its caption; true when it did.
    bool KeepCaptionRoom();
    void MakeTitleButtons();

    void PaintNonClient(QPainter &dc);
    void PaintTitleBar(QPainter &dc);
    void PaintCaptionText(QPainter &canvas, const QRect &area);
    // The caption's text as the title bar shows it.
    QString CaptionLine();
    // The caption's text measured from the area's top-left corner in the
    // caption font, which the canvas takes, widened by the ends of its plate.
    QRect MeasureCaption(QPainter &canvas, const QString &text, const QRect &area) const;
    void LayoutTitleButtons();
    void PaintTitleButtons(QPainter &canvas);
    bool IsTitleButtonVisible(int index);
    // Where a dialog's caption starts, given where it would start with an icon.
    int DialogCaptionLeft(int left);
    // One frame of a caption button's picture.
    static int ButtonWidth(const TDataSkinSysButton &e);
    void PaintBorder(int piece, const QRect &rect, QPainter &dc);
    // The region of the window's outline at its present size.
    QRegion BuildRegion();

    int HitTest(const QPoint &point) const;
    // The border or corner code of a point on a sizeable frame, or 0.
    int SizingHitTest(const QPoint &point) const;
    TWinSysButton *HitTitleButton(const QPoint &point) const;
    void DoTitleButtonAction(int x, int y);
    void ToggleMaximize();
    void RestoreWindow();
    void ToggleMinimize();
    void ShowSysMenu(const QPoint &global);
    // The caption-button actions that open the system menu.
    static bool IsSysMenuAction(int action) { return action == 3 || action == 11 || action == 12; }
    // The frame's share of the window's events; true when it took the event.
    bool FrameEvent(QEvent *event);
    void FirstLayout();
    // The frame around a child window's form follows the child's state.
    void FollowChildState();
    void FrameHoverTick();
    void UnskinFrame();

    // ---- Windows that hold child windows (SkinMdi.cpp) ----

    // The commands a frame sends its active child window.
    enum TChildCommand { SC_MINIMIZE = 0xF020, SC_CLOSE = 0xF060, SC_RESTORE = 0xF120 };
    // The child-window area among the window's direct children: it makes the
    // window a frame of child windows.
    void FindMDIClient();
    // The frame watches its child-window area: children made, activated,
    // changing state and closed.
    void SubclassClient();
    void UnsubclassClient();
    bool ClientWndProc(QObject *watched, QEvent *event);
    void MDIChildCommand(int command);
    bool ActiveChildMaximized() const;
    // The active child's buttons, in the menu bar's picture while the child
    // is maximised.
    void PaintMDIButtons(QPainter &bar, const QRect &barRect);
    // Alt with a letter: the menu bar button it is the accelerator of opens,
    // the frame's when the letter is typed in one of its child windows.
    bool DialogChar(QChar c);
    TWinSkinMenu *AccelMenuBar(QChar c) const;
    // The child window skinned, its form within.
    QMdiSubWindow *ChildWindow() const;

    QPointer<QMdiArea> MDIClient;
    QPointer<QMdiSubWindow> NewMDIChild; // made, not skinned yet

    std::vector<std::unique_ptr<TWinSysButton>> SysButtons;
    QRect CaptionRect;
    int RightButtonsLeft = 0;
    uint8_t RegionSet = 0;
    QRegion Region;
    int WindowWidth = 0;
    int WindowHeight = 0;
    int RegionWidth = 0;
    int RegionHeight = 0;
    uint32_t LastMenuTick = 0;
    // True while the window follows the mouse after a caption press that the
    // window system would not turn into a move.
    bool Dragging() const { return FDragging; }
    // The edges the window follows the mouse by, after a press on its
    // border that the window system would not turn into a resize.
    Qt::Edges Resizing() const { return FResizeEdges; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool FrameWndProc(QEvent *event);
    void DetachPlain();
    // A child window's events from its form's keys, as the frame's.
    bool ChildKeyEvent(QEvent *event);
    // The client area and the margins that frame it: a child window's frame
    // lies in its layout's margins, as Qt keeps the widget's own for its.
    QRect ClientArea() const;
    QMargins HeldMargins() const;
    void HoldMargins(const QMargins &margins);
    // What the child-window area had before it was watched.
    struct TClientSaved {
        bool Saved = false;
        Qt::ScrollBarPolicy Horizontal = Qt::ScrollBarAlwaysOff, Vertical = Qt::ScrollBarAlwaysOff;
    } FClientSaved;
    // The area and its viewport as plain objects: their last events, while
    // they are destroyed, are told apart without reading them as widgets.
    QPointer<QObject> FClientArea, FClientViewport;
    void SkinNewChild();
    void ChildrenChanged();
    bool FChildrenChangeQueued = false;
    bool Attached() const { return FAttached; }
    bool FAttached = false;

    // ---- The drawn frame
    void ChangeFlagsInPlace(Qt::WindowFlags flags);
    // The window's contents margins, its hand-placed controls moved along.
    void ApplyMargins(const QMargins &margins);
    void DropHotObject();
    void StartCaptionMove(const QPoint &global);
    void StartBorderResize(Qt::Edges edges, const QPoint &global);
    // A window maximised takes the screen's room, and its own place back
    // when it is restored.
    void FollowMaximise(Qt::WindowStates old);
    void ResizeByHand(const QPoint &global);
    // The resize cursor over a border or corner, the window's own elsewhere.
    void ShowFrameCursor(int hit);
    // The system menu's share of its events; true when it took the event.
    bool SysMenuEvent(QEvent *event);

    // What the window was before its frame was taken over.
    struct TFrameSaved {
        bool Saved = false;
        Qt::WindowFlags Flags;
        QMargins Margins;
        QSize MinimumSize, MaximumSize, Size;
        bool MouseTracking = false;
        QRegion Mask;
        // The height of Qt's menu bar, counted in the client before the
        // frame's menu bar took its place.
        int ReplacedBar = 0;
    } FSaved;
    // The border pictures at the size and in the state last painted.
    struct TPieceCache {
        QSize Size;
        int Frame = 0;
        QImage Image;
    };
    std::array<TPieceCache, 4> FPieces;
    bool FMenuShown = false;
    bool FPainting = false;
    // A caption drag that the window system refused to carry out.
    bool FDragging = false;
    QPoint FDragOffset;
    // A border drag that the window system refused to carry out.
    Qt::Edges FResizeEdges;
    QPoint FResizeStart;
    QRect FResizeGeometry;
    // Where the window was before it was maximised.
    QRect FNormalGeometry;
    bool FFollowingMaximise = false;
};

} // namespace skin
