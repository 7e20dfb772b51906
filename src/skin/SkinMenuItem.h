#pragma once

// Owner-drawn menu items and tool buttons of a skinned window. Qt draws a
// menu through its style, so the window skinner gives its menus a style of
// its own that keeps the application's style for everything but the menus'
// items and panel: measuring an item (CT_MenuItem) is the measure handler,
// drawing one (CE_MenuItem) the draw handler. An item of one of the form's
// own menus is drawn with the skin's MenuItem face over the popup's
// background picture; an item known only by its menu (a context menu Qt
// makes on the fly) is drawn the same way from what the menu tells of it.
#include "skin/SkinColor.h"

#include <QHash>
#include <QIcon>
#include <QPointer>
#include <QProxyStyle>
#include <QString>

class QAction;
class QMenu;
class QPainter;
class QToolBar;

namespace skin {

class TDataSkinButton;
class TRuzOzodOvez;
class TSkin;
class TSkinData;

// A menu item as the painters read it: from one of the form's actions, or
// made from what a menu's style option tells (caption "-" for a separator).
struct TSkinMenuItem {
    QString Caption;  // with its "&" accelerator mark, without the shortcut
    QString ShortCut; // the shortcut's text, empty for none
    bool Checked = false;
    bool Enabled = true;
    bool Default = false;
    bool HasSubMenu = false;     // it opens a menu of its own
    QIcon Icon;                  // its image, when it has one
    bool HasImageList = false;   // its menu shows images
    QMenu *ParentMenu = nullptr; // the menu it is an item of
    QAction *Action = nullptr;   // none for an item known only by its menu

    bool IsSeparator() const { return Caption == QLatin1String("-"); }
    static TSkinMenuItem FromAction(QAction *action, QMenu *menu);
};

// A button of a tool bar: the bar draws it, with the skin's button face.
bool IsToolBarButton(const QWidget *widget);

// Which measure handler a menu's items get.
enum class TMenuItemKind {
    MainMenu,  // the menu bar's menus and menus made owner-drawn item by item
    PopupMenu, // the form's own popup menus
    Handle     // menus the form does not know: items known only by their menu
};

class TSkinMenuStyle : public QProxyStyle {
    Q_OBJECT
public:
    // Baseless: whatever style the application has stays the base.
    explicit TSkinMenuStyle(TRuzOzodOvez *skinner);
    // Every menu gets the application's style back.
    ~TSkinMenuStyle() override;

    // Gives the menu and every submenu reached through its items this style.
    void OwnerDrawItems(QMenu *menu, bool on, TMenuItemKind kind = TMenuItemKind::MainMenu);
    // The form's popup menus that are not the menu bar's and whose Tag mod
    // 100 is not the component's DisableTag.
    void OwnerDrawPopupMenus(QWidget *form, bool on);
    // The menus of the form's menu bar.
    void OwnerDrawMainMenus(QWidget *form, bool on);
    // The tool bar's buttons get the skin's button face.
    void OwnerDrawToolBar(QToolBar *toolBar, bool on);
    // Menus made later in the window, Qt's context menus among them, get the
    // style as they are readied for their first showing.
    void WatchNewMenus(bool on);
    bool IsOwnerDrawn(const QMenu *menu) const;
    TMenuItemKind KindOf(const QMenu *menu) const;

    // The measure handlers: width and height come in as the application's
    // style measured them.
    void MeasureMainMenuItem(const TSkinMenuItem &item, int &width, int &height) const;
    void MeasureSysMenuItem(const TSkinMenuItem &item, int &width, int &height) const;
    void MeasureHandleMenuItem(const TSkinMenuItem &item, int &width, int &height) const;
    // The draw handlers.
    void DrawSkinnedMenuItem(const TSkinMenuItem &item, QPainter &canvas, const QRect &rect, bool selected) const;
    void DrawHandleMenuItem(const QMenu *menu, const TSkinMenuItem &item, QPainter &canvas, const QRect &rect,
                            bool selected) const;
    void DrawPlainMenuItem(const TSkinMenuItem &item, QPainter &canvas, const QRect &rect, bool selected) const;
    void DrawMenuSeparator(QPainter &canvas, const QRect &rect) const;
    void DrawMenuItemContent(const TSkinMenuItem &item, QPainter &canvas, bool selected, const QRect &rect) const;
    void DrawMenuText(const TSkinMenuItem &item, QPainter &canvas, const QString &text, QRect &rect, bool selected,
                      unsigned flags) const;
    // The arrow of an item that opens a menu, in the room after its shortcut
    // (before it in a right-to-left menu).
    void DrawSubMenuArrow(const TSkinMenuItem &item, QPainter &canvas, const QRect &rect, bool selected,
                          bool mirrored) const;
    // The colour of an item's caption, shortcut and arrow.
    QColor MenuTextColour(const TSkinMenuItem &item, bool selected) const;
    // The skin's button face under a tool bar's button; the button's own
    // icon and text are drawn over it. False when the skin gives none.
    bool PaintToolButton(const QToolBar *toolBar, QPainter &canvas, const QRect &bounds, bool down, bool hot,
                         bool enabled, bool isDefault) const;
    // The frame of the skin's button face a tool bar's button shows in its
    // state: 2 pressed, 4 hot, 1 default at rest; 0 for no face.
    static int ToolButtonFrame(bool down, bool hot, bool enabled, bool isDefault);

    // QStyle
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override;

    // The screen's menu font.
    static QFont MenuFont();
    // Room from the menu window's edge to its items: the popup skinner's frame.
    static constexpr int PopupFrameWidth = 3;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TSkinData *SkinData() const;
    // The skin's face for tool bar buttons while the window is skinned.
    const TDataSkinButton *ToolButtonFace() const;
    void Forget(QObject *menu);

    TRuzOzodOvez *FSkinner;
    QHash<const QObject *, TMenuItemKind> FMenus; // keyed by the menu, also while it is being destroyed
    QList<QPointer<QMenu>> FStyled;               // to be given their style back
    QList<QPointer<QWidget>> FStyledWidgets;
    bool FWatching = false;
};

// A check mark of our own, black on transparent, drawn in the pen's colour
// by the painters.
QImage CheckMarkImage();

// The colour of a menu item's text in the skin: the menu's text colour, the
// highlighted text's when selected, and for a disabled item the one
// DisabledTextColour gives over the menu's colour.
QColor MenuTextColour(const TSkin &skin, bool enabled, bool selected);
// The colour of a disabled text over a background of the skin: the skin's
// shadow colour, or the desktop's shadow when the skin's is the enabled
// text's colour; and when that would hardly show on the background, the
// enabled text dimmed halfway to the background, so it is still read.
QColor DisabledTextColour(const TSkin &skin, TColor text, TColor background);

} // namespace skin
