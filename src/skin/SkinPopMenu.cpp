#include "skin/SkinPopMenu.h"

#include "skin/RadEzarArov.h"
#include "skin/SkinDraw.h"
#include "skin/SkinManage.h"
#include "skin/SkinMenuItem.h"
#include "skin/SkinMessages.h"

#include <QPaintEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

namespace skin {

namespace {

QPointer<TWinSkinPopMenu> CurrentPopup;

// The colours the application's style draws a menu's items in, over the
// skin's menu background: the skin's, as its own item painters use them.
QPalette SkinMenuPalette(QPalette palette, const TSkin &skin)
{
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor text = MenuTextColour(skin, group != QPalette::Disabled, false);
        for (const QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
            palette.setColor(group, role, text);
        palette.setColor(group, QPalette::Highlight, ResolveColor(skin.HilightColor));
        palette.setColor(group, QPalette::HighlightedText, MenuTextColour(skin, true, true));
    }
    // An etched disabled text would show its light copy on the dark panel.
    palette.setColor(QPalette::Disabled, QPalette::Light, Qt::transparent);
    return palette;
}

// The style a skinned menu gets when nobody gave it ours: the application's
// own, but without the panel and frame the popup skinner paints.
class TPopupPanelStyle : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if ((element == PE_PanelMenu || element == PE_FrameMenu) && TWinSkinPopMenu::PaintsPanel(widget))
            return;
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        if (element == CE_MenuEmptyArea && TWinSkinPopMenu::PaintsPanel(widget))
            return;
        const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
        if (const TSkin *skin = TWinSkinPopMenu::PanelSkin(widget); item && skin) {
            QStyleOptionMenuItem readable(*item);
            readable.palette = SkinMenuPalette(item->palette, *skin);
            QProxyStyle::drawControl(element, &readable, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        if (metric == PM_MenuPanelWidth && TWinSkinPopMenu::SkinsPanel(widget))
            return TWinSkinPopMenu::FrameWidth;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

TWinSkinPopMenu::~TWinSkinPopMenu()
{
    Detach();
    if (CurrentPopup == this)
        CurrentPopup = nullptr;
}

TWinSkinPopMenu *TWinSkinPopMenu::Current()
{
    return CurrentPopup;
}

void TWinSkinPopMenu::SetCurrent(TWinSkinPopMenu *popup)
{
    CurrentPopup = popup;
}

const TWinSkinPopMenu *TWinSkinPopMenu::Find(const QWidget *menuWindow)
{
    if (!menuWindow || !SkinManager || !SkinManager->SkinningOn)
        return nullptr;
    for (const QPointer<TWinSkinPopMenu> &popup : std::as_const(SkinManager->PopupMenus))
        if (popup && popup->MenuWindow == menuWindow)
            return popup;
    return nullptr;
}

bool TWinSkinPopMenu::PaintsPanel(const QWidget *menuWindow)
{
    const TWinSkinPopMenu *popup = Find(menuWindow);
    return popup && popup->FPainting;
}

bool TWinSkinPopMenu::SkinsPanel(const QWidget *menuWindow)
{
    return PanelSkin(menuWindow) != nullptr;
}

const TSkin *TWinSkinPopMenu::PanelSkin(const QWidget *menuWindow)
{
    const TWinSkinPopMenu *popup = Find(menuWindow);
    return popup && popup->Ready() ? &popup->SkinData->Skin : nullptr;
}

void TWinSkinPopMenu::Attach(QWidget *menuWindow, TSkinData *skinData, const QObject *menuKey)
{
    MenuWindow = menuWindow;
    FWindow = menuWindow;
    SkinData = skinData;
    MenuKey = menuKey;
    if (!menuWindow)
        return;
    menuWindow->installEventFilter(this);
    FAttached = true;
    // A menu drawn entirely by the application's style would paint its own
    // panel over ours.
    if (!menuWindow->testAttribute(Qt::WA_SetStyle)) {
        FPanelStyle = new TPopupPanelStyle;
        FPanelStyle->setParent(this);
        menuWindow->setStyle(FPanelStyle);
    }
}

void TWinSkinPopMenu::Detach()
{
    if (!FAttached)
        return;
    FAttached = false;
    if (MenuWindow) {
        MenuWindow->removeEventFilter(this);
        if (FPanelStyle && MenuWindow->style() == FPanelStyle.data())
            MenuWindow->setStyle(nullptr);
    }
    delete FPanelStyle.data();
    Bitmap = QImage();
}

bool TWinSkinPopMenu::Ready() const
{
    return SkinData && SkinData->SkinReady() && SkinData->Skin.MenuBackground &&
           !SkinData->Skin.MenuBackground->Image.isNull();
}

bool TWinSkinPopMenu::Render()
{
    if (!MenuWindow || !Ready())
        return false;
    const TDataSkinObject &e = *SkinData->Skin.MenuBackground;
    Bitmap = MakeFramedBitmap(QRect(QPoint(0, 0), MenuWindow->size()), e.Image,
                              QMargins(e.LeftWidth, e.TopHeight, e.RightWidth, e.BottomHeight), 0, e.Tile, 1, 1);
    if (!MenuKey)
        CurrentPopup = this;
    return !Bitmap.isNull();
}

void TWinSkinPopMenu::Paint(QEvent *event)
{
    QWidget *menu = MenuWindow;
    // The background first, then the menu's items over it, clipped inside
    // the frame, then the frame itself.
    {
        QPainter painter(menu);
        painter.drawImage(0, 0, Bitmap);
    }
    FPainting = true;
    static_cast<QObject *>(menu)->event(event);
    FPainting = false;
    if (!MenuWindow)
        return;
    const int w = Bitmap.width(), h = Bitmap.height();
    QRegion band(0, 0, w, h);
    band -= QRegion(FrameWidth, FrameWidth, w - 2 * FrameWidth, h - 2 * FrameWidth);
    QPainter painter(menu);
    painter.setClipRegion(band);
    painter.drawImage(0, 0, Bitmap);
}

bool TWinSkinPopMenu::eventFilter(QObject *watched, QEvent *event)
{
    // Compared as objects: the window may be part way through its destruction.
    if (watched != FWindow || !MenuWindow)
        return QObject::eventFilter(watched, event);
    if (event->type() == static_cast<QEvent::Type>(SkinMsgQuery)) {
        static_cast<TSkinMessage *>(event)->Result = 1;
        return true;
    }
    // Switched off while the menu is open: the menu draws itself.
    if (!SkinManager || !SkinManager->SkinningOn)
        return false;
    if (event->type() == QEvent::Paint && !FPainting && Render()) {
        Paint(event);
        return true;
    }
    return false;
}

} // namespace skin
