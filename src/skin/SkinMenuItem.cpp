#include "skin/SkinMenuItem.h"

#include "skin/BitmapHelpers.h"
#include "skin/RadEzarArov.h"
#include "skin/RuzOzodOvez.h"
#include "skin/SkinDraw.h"
#include "skin/SkinManage.h"
#include "skin/SkinMenuBar.h"
#include "skin/SkinPopMenu.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStyleOptionMenuItem>
#include <QStyleOptionToolButton>
#include <QToolBar>
#include <QToolButton>

namespace skin {

namespace {

constexpr int MenuItemFrames = 5;
constexpr int NormalFrame = 1;
constexpr int SeparatorFrame = 2;
constexpr int SelectedFrame = 4;
constexpr int SmallestGlyph = 16;
constexpr int GlyphGap = 3;
constexpr int ShortcutGap = 10;
constexpr int EtchDepth = 4;
constexpr int CheckMarkRoom = 15;
constexpr int SeparatorHeight = 8;
// A submenu's arrow: a solid triangle this many columns deep, its point this
// far in from the item's far side.
constexpr int ArrowDepth = 4;
constexpr int ArrowInset = 4;

// A tool button has no default state of its own; one that says it is the
// default, as a push button does, is drawn as one.
bool IsDefaultButton(const QWidget *widget)
{
    return widget->property("default").toBool();
}

QMargins MarginsOf(const TDataSkinObject &e)
{
    return QMargins(e.LeftWidth, e.TopHeight, e.RightWidth, e.BottomHeight);
}

// A menu shows images when any of its items has one.
bool MenuHasImages(const QMenu *menu)
{
    if (!menu)
        return false;
    const QList<QAction *> actions = menu->actions();
    return std::any_of(actions.cbegin(), actions.cend(), [](const QAction *a) { return !a->icon().isNull(); });
}

// An etched line along the top of rect: shadow over highlight.
void EtchedTop(QPainter &canvas, const QRect &rect)
{
    canvas.save();
    canvas.setPen(ResolveColor(SystemColor(COLOR_BTNSHADOW)));
    canvas.drawLine(rect.left(), rect.top(), rect.right(), rect.top());
    canvas.setPen(ResolveColor(SystemColor(COLOR_BTNHIGHLIGHT)));
    canvas.drawLine(rect.left(), rect.top() + 1, rect.right(), rect.top() + 1);
    canvas.restore();
}

// A sunken edge around rect: shadow on the top and left, highlight on the
// bottom and right.
void SunkenEdge(QPainter &canvas, const QRect &rect)
{
    canvas.save();
    canvas.setPen(ResolveColor(SystemColor(COLOR_BTNSHADOW)));
    canvas.drawLine(rect.topLeft(), rect.topRight());
    canvas.drawLine(rect.topLeft(), rect.bottomLeft());
    canvas.setPen(ResolveColor(SystemColor(COLOR_BTNHIGHLIGHT)));
    canvas.drawLine(rect.bottomLeft(), rect.bottomRight());
    canvas.drawLine(rect.topRight(), rect.bottomRight());
    canvas.restore();
}

// The checked look of an item with an image: a checkerboard of the button
// face and highlight.
QBrush CheckerBrush()
{
    QImage pattern(2, 2, QImage::Format_RGB32);
    const QRgb face = ResolveColor(SystemColor(COLOR_BTNFACE)).rgb();
    const QRgb light = ResolveColor(SystemColor(COLOR_BTNHIGHLIGHT)).rgb();
    pattern.setPixel(0, 0, face);
    pattern.setPixel(1, 1, face);
    pattern.setPixel(1, 0, light);
    pattern.setPixel(0, 1, light);
    return QBrush(pattern);
}

// An item of a menu the form does not know, from what the menu's style
// option tells: an empty caption is a separator.
TSkinMenuItem ItemFromOption(const QStyleOptionMenuItem &option, QMenu *menu)
{
    TSkinMenuItem item;
    QString text = option.text;
    const qsizetype tab = text.indexOf(u'\t');
    if (tab >= 0) {
        item.ShortCut = text.mid(tab + 1);
        text.truncate(tab);
    }
    item.Caption =
        option.menuItemType == QStyleOptionMenuItem::Separator || text.isEmpty() ? QStringLiteral("-") : text;
    item.Enabled = option.state & QStyle::State_Enabled;
    item.Checked = option.checkType != QStyleOptionMenuItem::NotCheckable && option.checked;
    item.Default = option.menuItemType == QStyleOptionMenuItem::DefaultItem;
    item.HasSubMenu = option.menuItemType == QStyleOptionMenuItem::SubMenu;
    item.Icon = option.icon;
    item.HasImageList = option.maxIconWidth > 0 && MenuHasImages(menu);
    item.ParentMenu = menu;
    return item;
}

} // namespace

TSkinMenuItem TSkinMenuItem::FromAction(QAction *action, QMenu *menu)
{
    TSkinMenuItem item;
    item.Action = action;
    item.ParentMenu = menu;
    if (action->isSeparator()) {
        item.Caption = QStringLiteral("-");
    } else {
        QString text = action->text();
        const qsizetype tab = text.indexOf(u'\t');
        if (tab >= 0) {
            item.ShortCut = text.mid(tab + 1);
            text.truncate(tab);
        }
        item.Caption = text;
    }
    if (item.ShortCut.isEmpty() && !action->shortcut().isEmpty())
        item.ShortCut = action->shortcut().toString(QKeySequence::NativeText);
    item.Checked = action->isCheckable() && action->isChecked();
    item.Enabled = action->isEnabled();
    item.Default = menu && menu->defaultAction() == action;
    item.HasSubMenu = action->menu() != nullptr;
    item.Icon = action->icon();
    item.HasImageList = MenuHasImages(menu);
    return item;
}

QImage CheckMarkImage()
{
    // A tick in a 13 x 13 box, two pixels thick, as menus have always shown.
    static const char *const rows[] = {
        ".............", ".............", ".............", "..........X..", ".........XX..",
        "..X.....XXX..", "..XX...XXX...", "..XXX.XXX....", "...XXXXX.....", "....XXX......",
        ".....X.......", ".............", ".............",
    };
    QImage image(13, 13, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 13; ++x)
            if (rows[y][x] == 'X')
                image.setPixel(x, y, 0xFF000000u);
    return image;
}

bool IsToolBarButton(const QWidget *widget)
{
    return qobject_cast<const QToolButton *>(widget) && qobject_cast<const QToolBar *>(widget->parentWidget());
}

TSkinMenuStyle::TSkinMenuStyle(TRuzOzodOvez *skinner) : QProxyStyle(), FSkinner(skinner) {}

TSkinMenuStyle::~TSkinMenuStyle()
{
    WatchNewMenus(false);
    for (const QPointer<QMenu> &menu : std::as_const(FStyled))
        if (menu && menu->style() == this)
            menu->setStyle(nullptr);
    for (const QPointer<QWidget> &button : std::as_const(FStyledWidgets))
        if (button && button->style() == this)
            button->setStyle(nullptr);
}

QFont TSkinMenuStyle::MenuFont()
{
    return QApplication::font("QMenu");
}

TSkinData *TSkinMenuStyle::SkinData() const
{
    return FSkinner ? FSkinner->SkinData.data() : nullptr;
}

bool TSkinMenuStyle::IsOwnerDrawn(const QMenu *menu) const
{
    return FMenus.contains(menu);
}

TMenuItemKind TSkinMenuStyle::KindOf(const QMenu *menu) const
{
    return FMenus.value(menu, TMenuItemKind::Handle);
}

void TSkinMenuStyle::Forget(QObject *menu)
{
    // Called as the menu is destroyed: it is only a QObject by now.
    FMenus.remove(menu);
    FStyled.removeIf([](const QPointer<QMenu> &m) { return m.isNull(); });
}

void TSkinMenuStyle::OwnerDrawItems(QMenu *menu, bool on, TMenuItemKind kind)
{
    if (!menu)
        return;
    if (on) {
        if (!FMenus.contains(menu)) {
            FMenus.insert(menu, kind);
            FStyled.append(menu);
            connect(menu, &QObject::destroyed, this, &TSkinMenuStyle::Forget, Qt::UniqueConnection);
            menu->setStyle(this);
        }
    } else if (FMenus.contains(menu)) {
        disconnect(menu, &QObject::destroyed, this, &TSkinMenuStyle::Forget);
        Forget(menu);
        if (menu->style() == this)
            menu->setStyle(nullptr);
    }
    for (QAction *action : menu->actions())
        if (QMenu *sub = action->menu(); sub && sub != menu)
            OwnerDrawItems(sub, on, kind);
}

void TSkinMenuStyle::OwnerDrawMainMenus(QWidget *form, bool on)
{
    if (!form)
        return;
    for (QMenuBar *bar : form->findChildren<QMenuBar *>())
        for (QAction *action : bar->actions())
            if (action->menu())
                OwnerDrawItems(action->menu(), on, TMenuItemKind::MainMenu);
}

void TSkinMenuStyle::OwnerDrawPopupMenus(QWidget *form, bool on)
{
    TSkinData *skinData = SkinData();
    if (!form || !skinData || !skinData->SkinControls.contains(xcPopupMenu))
        return;
    for (QMenu *menu : form->findChildren<QMenu *>()) {
        // The menu bar's menus are drawn as the bar's.
        bool ofBar = false;
        for (QWidget *w = menu->parentWidget(); w && !ofBar; w = w->parentWidget())
            ofBar = qobject_cast<QMenuBar *>(w) != nullptr;
        if (ofBar || (on && FMenus.contains(menu)))
            continue;
        if (menu->property("Tag").toInt() % 100 == skinData->DisableTag)
            continue;
        if (on) {
            FMenus.insert(menu, TMenuItemKind::PopupMenu);
            FStyled.append(menu);
            connect(menu, &QObject::destroyed, this, &TSkinMenuStyle::Forget, Qt::UniqueConnection);
            menu->setStyle(this);
        } else if (FMenus.value(menu) == TMenuItemKind::PopupMenu) {
            OwnerDrawItems(menu, false);
        }
    }
}

void TSkinMenuStyle::OwnerDrawToolBar(QToolBar *toolBar, bool on)
{
    if (!toolBar)
        return;
    for (QWidget *button : toolBar->findChildren<QToolButton *>()) {
        // A button drawn by a style of its own keeps it.
        if (on && button->style() != this && !button->testAttribute(Qt::WA_SetStyle)) {
            FStyledWidgets.append(button);
            button->setStyle(this);
        } else if (!on && button->style() == this) {
            button->setStyle(nullptr);
        }
    }
}

void TSkinMenuStyle::WatchNewMenus(bool on)
{
    if (on == FWatching || !qApp)
        return;
    FWatching = on;
    if (on)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool TSkinMenuStyle::eventFilter(QObject *watched, QEvent *event)
{
    // A menu is readied (polished) before Qt measures it for its first
    // showing: the moment to give it our measure and draw handlers.
    if (event->type() == QEvent::Polish && watched->isWidgetType() && FSkinner && FSkinner->Handle) {
        auto *menu = qobject_cast<QMenu *>(watched);
        if (menu && !FMenus.contains(menu) && !menu->testAttribute(Qt::WA_SetStyle)) {
            const QWidget *owner = menu->parentWidget();
            if (owner && owner->window() == FSkinner->Handle) {
                FMenus.insert(menu, TMenuItemKind::Handle);
                FStyled.append(menu);
                connect(menu, &QObject::destroyed, this, &TSkinMenuStyle::Forget, Qt::UniqueConnection);
                menu->setStyle(this);
            }
        }
    }
    return QProxyStyle::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Measuring

void TSkinMenuStyle::MeasureMainMenuItem(const TSkinMenuItem &item, int &width, int &height) const
{
    Q_UNUSED(height);
    const TSkinData *skinData = SkinData();
    if (skinData && skinData->Skin.MenuItem)
        width += skinData->Skin.MenuItem->LeftWidth;
    width += item.HasImageList ? 10 : 35;
}

void TSkinMenuStyle::MeasureSysMenuItem(const TSkinMenuItem &item, int &width, int &height) const
{
    Q_UNUSED(height);
    const TSkinData *skinData = SkinData();
    if (!skinData)
        return;
    if (skinData->Skin.MenuItem)
        width += skinData->Skin.MenuItem->LeftWidth;
    width += item.HasImageList ? 12 : 35;
}

void TSkinMenuStyle::MeasureHandleMenuItem(const TSkinMenuItem &item, int &width, int &height) const
{
    const QFontMetrics metrics(MenuFont());
    const QString text = item.IsSeparator() ? QString() : item.Caption;
    // The desktop adds the room of a check mark to every owner-drawn item;
    // Qt adds only the shortcut's column, so the room is added here.
    width = metrics.horizontalAdvance(QString(text).remove(u'&')) + 26 + CheckMarkRoom;
    const TSkinData *skinData = SkinData();
    if (skinData && skinData->Skin.MenuItem)
        width += skinData->Skin.MenuItem->LeftWidth;
    height = text.isEmpty() ? SeparatorHeight : metrics.height() + 4;
}

QSize TSkinMenuStyle::sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                                       const QWidget *widget) const
{
    QSize measured = QProxyStyle::sizeFromContents(type, option, size, widget);
    const auto *menu = qobject_cast<const QMenu *>(widget);
    const auto *menuOption = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (type != CT_MenuItem || !menu || !menuOption || !FMenus.contains(menu) || !SkinData())
        return measured;
    auto *mutableMenu = const_cast<QMenu *>(menu);
    int width = measured.width(), height = measured.height();
    // Qt's styles give a separator two pixels, too thin for the skin's
    // separator picture; the desktop's menus give it eight.
    if (menuOption->menuItemType == QStyleOptionMenuItem::Separator)
        height = std::max(height, SeparatorHeight);
    switch (FMenus.value(menu)) {
    case TMenuItemKind::MainMenu:
        MeasureMainMenuItem(ItemFromOption(*menuOption, mutableMenu), width, height);
        break;
    case TMenuItemKind::PopupMenu:
        MeasureSysMenuItem(ItemFromOption(*menuOption, mutableMenu), width, height);
        break;
    case TMenuItemKind::Handle:
        MeasureHandleMenuItem(ItemFromOption(*menuOption, mutableMenu), width, height);
        break;
    }
    return QSize(width, height);
}

int TSkinMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const
{
    // The popup skinner draws a frame this wide around the items.
    if (metric == PM_MenuPanelWidth && qobject_cast<const QMenu *>(widget) && SkinData() &&
        SkinData()->Skin.MenuBackground && !SkinData()->Skin.MenuBackground->Image.isNull())
        return PopupFrameWidth;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

// ---------------------------------------------------------------------------
// Drawing

void TSkinMenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                                   const QWidget *widget) const
{
    // The popup skinner has painted the panel and paints the frame.
    if ((element == PE_PanelMenu || element == PE_FrameMenu) && TWinSkinPopMenu::PaintsPanel(widget))
        return;
    // A tool bar's button: the skin's face, then the button's own picture
    // and text over it. The bar is flat: a button the skin gives no face
    // shows the bar under it.
    if (element == PE_PanelButtonTool && widget && option && ToolButtonFace() && IsToolBarButton(widget)) {
        const QStyle::State state = option->state;
        PaintToolButton(static_cast<const QToolBar *>(widget->parentWidget()), *painter, option->rect,
                        state & (State_Sunken | State_On), state & (State_MouseOver | State_HasFocus),
                        state & State_Enabled, IsDefaultButton(widget));
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void TSkinMenuStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                                 const QWidget *widget) const
{
    if (element == CE_MenuEmptyArea && TWinSkinPopMenu::PaintsPanel(widget))
        return;
    const auto *menu = qobject_cast<const QMenu *>(widget);
    const auto *menuOption = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (element != CE_MenuItem || !menu || !menuOption || !FMenus.contains(menu) || !SkinData() ||
        menuOption->menuItemType == QStyleOptionMenuItem::Scroller ||
        menuOption->menuItemType == QStyleOptionMenuItem::TearOff ||
        menuOption->menuItemType == QStyleOptionMenuItem::EmptyArea) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    auto *mutableMenu = const_cast<QMenu *>(menu);
    const bool selected = menuOption->state & State_Selected;
    const QRect rect = menuOption->rect;
    const bool skinned = SkinData()->Skin.MenuItem != nullptr;
    if (FMenus.value(menu) == TMenuItemKind::Handle) {
        // The popup being painted now is the one this item's menu shows.
        if (TWinSkinPopMenu *current = TWinSkinPopMenu::Current()) {
            current->MenuKey = menu;
            TWinSkinPopMenu::SetCurrent(nullptr);
        }
        const TSkinMenuItem item = ItemFromOption(*menuOption, mutableMenu);
        if (skinned)
            DrawHandleMenuItem(menu, item, *painter, rect, selected);
        else
            DrawPlainMenuItem(item, *painter, rect, selected);
        return;
    }
    QAction *action = mutableMenu->actionAt(rect.center());
    const TSkinMenuItem item =
        action ? TSkinMenuItem::FromAction(action, mutableMenu) : ItemFromOption(*menuOption, mutableMenu);
    DrawSkinnedMenuItem(item, *painter, rect, selected);
}

void TSkinMenuStyle::DrawSkinnedMenuItem(const TSkinMenuItem &item, QPainter &canvas, const QRect &rect,
                                         bool selected) const
{
    const TSkinData *skinData = SkinData();
    if (!skinData)
        return;
    if (SkinManager)
        SkinManager->MarkPopupMenus();
    const TDataSkinObject *element = skinData->Skin.MenuItem.get();
    if (!element) {
        DrawPlainMenuItem(item, canvas, rect, selected);
        return;
    }
    if (TWinSkinPopMenu *current = TWinSkinPopMenu::Current(); current && item.ParentMenu) {
        current->MenuKey = item.ParentMenu;
        TWinSkinPopMenu::SetCurrent(nullptr);
    }
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    QImage bitmap(rect.size(), QImage::Format_RGB32);
    const QImage *background = SkinManager ? SkinManager->FindPopupBitmap(item.ParentMenu) : nullptr;
    {
        QPainter p(&bitmap);
        // The item's place in the menu window is its place in the popup's
        // picture: Qt gives item rectangles in the window's coordinates.
        if (background && !background->isNull()) {
            bitmap.fill(ResolveColor(skinData->Skin.MenuColor));
            p.drawImage(QPoint(0, 0), *background, rect);
        } else {
            bitmap.fill(ResolveColor(skinData->Skin.MenuColor));
        }
        if (!item.IsSeparator()) {
            DrawSkinImage(p, QRect(QPoint(0, 0), rect.size()), element->Image, 0, element->Tile, element->Trans,
                          MenuItemFrames, selected ? SelectedFrame : NormalFrame, MarginsOf(*element));
            p.setFont(MenuFont());
            DrawMenuItemContent(item, p, selected, QRect(QPoint(0, 0), rect.size()));
        }
    }
    canvas.drawImage(rect.topLeft(), bitmap);
    if (item.IsSeparator())
        DrawMenuSeparator(canvas, rect);
}

void TSkinMenuStyle::DrawHandleMenuItem(const QMenu *menu, const TSkinMenuItem &item, QPainter &canvas,
                                        const QRect &rect, bool selected) const
{
    const TSkinData *skinData = SkinData();
    if (!skinData)
        return;
    const TDataSkinObject *element = skinData->Skin.MenuItem.get();
    if (!element) {
        DrawPlainMenuItem(item, canvas, rect, selected);
        return;
    }
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    QImage bitmap(rect.size(), QImage::Format_RGB32);
    bitmap.fill(ResolveColor(skinData->Skin.MenuColor));
    const QImage *background = SkinManager ? SkinManager->FindPopupBitmap(menu) : nullptr;
    {
        QPainter p(&bitmap);
        if (background && !background->isNull())
            p.drawImage(QPoint(0, 0), *background, rect);
        // A separator gets the item's face too, and its etched line over it.
        DrawSkinImage(p, QRect(QPoint(0, 0), rect.size()), element->Image, 0, element->Tile, element->Trans,
                      MenuItemFrames, selected ? SelectedFrame : NormalFrame, MarginsOf(*element));
        p.setFont(MenuFont());
        DrawMenuItemContent(item, p, selected, QRect(QPoint(0, 0), rect.size()));
    }
    canvas.drawImage(rect.topLeft(), bitmap);
}

void TSkinMenuStyle::DrawPlainMenuItem(const TSkinMenuItem &item, QPainter &canvas, const QRect &rect,
                                       bool selected) const
{
    const TSkinData *skinData = SkinData();
    if (!skinData || rect.width() <= 0 || rect.height() <= 0)
        return;
    QImage bitmap(rect.size(), QImage::Format_RGB32);
    bitmap.fill(ResolveColor(selected ? skinData->Skin.HilightColor : skinData->Skin.MenuColor));
    {
        QPainter p(&bitmap);
        p.setFont(MenuFont());
        DrawMenuItemContent(item, p, selected, QRect(QPoint(0, 0), rect.size()));
    }
    canvas.drawImage(rect.topLeft(), bitmap);
}

void TSkinMenuStyle::DrawMenuSeparator(QPainter &canvas, const QRect &rect) const
{
    const TSkinData *skinData = SkinData();
    if (!skinData || !skinData->Skin.MenuItem)
        return;
    const TDataSkinObject &element = *skinData->Skin.MenuItem;
    const QImage &image = element.Image;
    const int w = rect.width(), h = rect.height();
    const int fw = image.width() / MenuItemFrames;
    if (w <= 0 || h <= 0 || fw <= 0)
        return;
    const int ih = image.height();
    // The bottom h rows of the frame, or the whole frame stretched to h.
    const int top = ih > h ? ih - h : 0;
    const int rows = ih > h ? h : ih;
    const int l = element.LeftWidth, r = element.RightWidth;
    const int x0 = (SeparatorFrame - 1) * fw, x1 = SeparatorFrame * fw;
    QImage bitmap(w, h, QImage::Format_RGB32);
    bitmap.fill(KeyColour);
    {
        QPainter p(&bitmap);
        const auto piece = [&](const QRect &dest, int from, int to) {
            if (dest.width() > 0 && to > from)
                p.drawImage(dest, image, QRect(from, top, to - from, rows));
        };
        piece(WinRect(0, 0, l, h), x0, x0 + l);
        piece(WinRect(w - r, 0, w, h), x1 - r, x1);
        piece(WinRect(l, 0, w - r, h), x0 + l, x1 - r);
    }
    DrawTransparent(canvas, rect, bitmap, KeyColour);
}

void TSkinMenuStyle::DrawMenuItemContent(const TSkinMenuItem &item, QPainter &canvas, bool selected,
                                         const QRect &rect) const
{
    const TSkinData *skinData = SkinData();
    if (!skinData)
        return;
    const TDataSkinObject *element = skinData->Skin.MenuItem.get();
    const QString text = item.Caption;
    const QWidget *menu = item.ParentMenu;
    if (!menu && FSkinner && FSkinner->MenuBar)
        menu = FSkinner->MenuBar->Menu;
    const bool hasImage = !item.Icon.isNull();
    const bool separator = item.IsSeparator();
    int s = hasImage ? pixelMetric(PM_SmallIconSize, nullptr, nullptr) : SmallestGlyph;
    if (item.Checked)
        s = std::max(s, SmallestGlyph);
    const bool mirrored = menu && menu->isRightToLeft();

    // The glyph box.
    QRect g;
    if (!mirrored) {
        const int left = rect.left() + 1 + (element ? element->LeftWidth : 0);
        g = separator ? WinRect(0, rect.top() + 1, 0, rect.top() + 1 + s)
                      : WinRect(left, rect.top() + 1, left + s, rect.top() + 1 + s);
    } else {
        const int right = rect.right() + 1 - 1 - (element ? element->LeftWidth : 0);
        g = separator ? WinRect(rect.right() + 1, rect.top() + 1, rect.right() + 1, rect.top() + 1 + s)
                      : WinRect(right - s, rect.top() + 1, right, rect.top() + 1 + s);
    }
    if (!separator) {
        if (hasImage && item.HasImageList) {
            if (item.Checked) {
                canvas.fillRect(g, CheckerBrush());
                SunkenEdge(canvas, g);
            }
            const QPixmap pixmap = item.Icon.pixmap(QSize(s, s), item.Enabled ? QIcon::Normal : QIcon::Disabled);
            canvas.drawPixmap(g.topLeft(), pixmap);
        } else if (item.Checked) {
            const QImage mark = CheckMarkImage();
            QImage tinted = mark;
            {
                QPainter tint(&tinted);
                tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
                tint.fillRect(tinted.rect(), ResolveColor(SystemColor(COLOR_BTNTEXT)));
            }
            const int x = g.left() + (g.width() - mark.width()) / 2 + 1;
            const int y = g.top() + (g.height() - mark.height()) / 2 + 1;
            canvas.drawImage(QPoint(x, y), tinted);
        }
    }

    // The caption, centred on the item's height, and the shortcut.
    const int bottom = rect.top() + rect.height();
    if (!mirrored) {
        QRect t = WinRect(g.left() + g.width() + GlyphGap, rect.top(), rect.left() + rect.width() - 1, bottom);
        const QRect s0 = t;
        DrawMenuText(item, canvas, text, t, selected, DT_EXPANDTABS | DT_SINGLELINE | DT_CALCRECT | DT_NOCLIP);
        t.translate(0, (s0.height() - t.height()) / 2);
        DrawMenuText(item, canvas, text, t, selected, DT_EXPANDTABS | DT_SINGLELINE);
        if (!item.ShortCut.isEmpty() && !separator) {
            QRect k =
                WinRect(t.left() + t.width(), t.top(), s0.left() + s0.width() - ShortcutGap, t.top() + t.height());
            DrawMenuText(item, canvas, item.ShortCut, k, selected, DT_RIGHT);
        }
    } else {
        QRect t = WinRect(rect.left() + 1, rect.top(), g.left() - GlyphGap, bottom);
        const QRect s0 = t;
        DrawMenuText(item, canvas, text, t, selected,
                     DT_EXPANDTABS | DT_SINGLELINE | DT_CALCRECT | DT_NOCLIP | DT_RIGHT);
        t.translate(0, (s0.height() - t.height()) / 2);
        t = WinRect(s0.left(), t.top(), s0.left() + s0.width(), t.top() + t.height());
        DrawMenuText(item, canvas, text, t, selected, DT_EXPANDTABS | DT_SINGLELINE | DT_RIGHT);
        if (!item.ShortCut.isEmpty() && !separator) {
            QRect k = WinRect(s0.left() + ShortcutGap, t.top(), t.left() + t.width(), t.top() + t.height());
            DrawMenuText(item, canvas, item.ShortCut, k, selected, 0);
        }
    }
    if (item.HasSubMenu && !separator)
        DrawSubMenuArrow(item, canvas, rect, selected, mirrored);
}

void TSkinMenuStyle::DrawSubMenuArrow(const TSkinMenuItem &item, QPainter &canvas, const QRect &rect, bool selected,
                                      bool mirrored) const
{
    const QColor colour = MenuTextColour(item, selected);
    if (!colour.isValid())
        return;
    canvas.save();
    canvas.setPen(colour);
    const int middle = rect.top() + rect.height() / 2;
    const int point = mirrored ? rect.left() + ArrowInset : rect.left() + rect.width() - 1 - ArrowInset;
    // Column by column from the point back: one pixel, then two more each.
    for (int i = 0; i < ArrowDepth; ++i) {
        const int x = mirrored ? point + i : point - i;
        canvas.drawLine(x, middle - i, x, middle + i);
    }
    canvas.restore();
}

QColor TSkinMenuStyle::MenuTextColour(const TSkinMenuItem &item, bool selected) const
{
    const TSkinData *skinData = SkinData();
    return skinData ? skin::MenuTextColour(skinData->Skin, item.Enabled, selected) : QColor();
}

QColor MenuTextColour(const TSkin &skin, bool enabled, bool selected)
{
    if (!enabled)
        return DisabledTextColour(skin, skin.MenuTextColor, skin.MenuColor);
    return ResolveColor(selected ? skin.HilightTextColor : skin.MenuTextColor);
}

QColor DisabledTextColour(const TSkin &skin, TColor text, TColor background)
{
    // Less apart in brightness than this, a text is lost on its background.
    constexpr int LeastContrast = 48;
    const QColor shadow =
        ResolveColor(skin.ButtonShadowColor == text ? SystemColor(COLOR_BTNSHADOW) : skin.ButtonShadowColor);
    const QColor under = ResolveColor(background);
    const QColor enabled = ResolveColor(text);
    if (!under.isValid() || !enabled.isValid() || std::abs(qGray(shadow.rgb()) - qGray(under.rgb())) >= LeastContrast)
        return shadow;
    return QColor((enabled.red() + under.red()) / 2, (enabled.green() + under.green()) / 2,
                  (enabled.blue() + under.blue()) / 2);
}

void TSkinMenuStyle::DrawMenuText(const TSkinMenuItem &item, QPainter &canvas, const QString &text, QRect &rect,
                                  bool selected, unsigned flags) const
{
    const TSkinData *skinData = SkinData();
    if (!skinData)
        return;
    QString shown = text;
    if ((flags & DT_CALCRECT) && (shown.isEmpty() || shown == QLatin1String("&")))
        shown += u' ';
    if (shown == QLatin1String("-")) {
        if (!(flags & DT_CALCRECT))
            EtchedTop(canvas, QRect(rect.left(), rect.top() + EtchDepth, rect.width(), 2));
        return;
    }
    canvas.setBrush(Qt::NoBrush);
    QFont font = canvas.font();
    font.setBold(item.Default);
    canvas.setFont(font);
    canvas.setPen(MenuTextColour(item, selected));
    SkinDrawText(canvas, shown, rect, flags);
}

const TDataSkinButton *TSkinMenuStyle::ToolButtonFace() const
{
    const TSkinData *skinData = SkinData();
    if (!skinData || !FSkinner || FSkinner->State != TRuzOzodOvez::StateSkinned)
        return nullptr;
    const TDataSkinButton *face = skinData->Skin.ButtonData.get();
    return face && !face->Image.isNull() ? face : nullptr;
}

int TSkinMenuStyle::ToolButtonFrame(bool down, bool hot, bool enabled, bool isDefault)
{
    if (down)
        return 2;
    if (hot)
        return 4;
    if (!enabled)
        return 0;
    return isDefault ? 1 : 0;
}

bool TSkinMenuStyle::PaintToolButton(const QToolBar *toolBar, QPainter &canvas, const QRect &bounds, bool down,
                                     bool hot, bool enabled, bool isDefault) const
{
    const TDataSkinButton *face = ToolButtonFace();
    const int frame = ToolButtonFrame(down, hot, enabled, isDefault);
    if (!toolBar || !face || frame == 0)
        return false;
    DrawSkinImage(canvas, bounds.adjusted(1, 1, -1, -1), face->Image, 0, 0, face->Trans, MenuItemFrames, frame,
                  MarginsOf(*face));
    return true;
}

void TSkinMenuStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                                        const QWidget *widget) const
{
    const auto *tool = qstyleoption_cast<const QStyleOptionToolButton *>(option);
    const TDataSkinButton *face = ToolButtonFace();
    if (control != CC_ToolButton || !tool || !face || !IsToolBarButton(widget)) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    QStyleOptionToolButton button(*tool);
    const bool isDefault = IsDefaultButton(widget);
    // A flat button is drawn without a face at rest; a default one has its
    // face then too.
    if (isDefault && button.state & State_Enabled) {
        button.state &= ~State_AutoRaise;
        button.state |= State_Raised;
    }
    // The text in the skin's colour for the face under it: the button's
    // face, or the bar's.
    const int frame =
        ToolButtonFrame(button.state & (State_Sunken | State_On), button.state & (State_MouseOver | State_HasFocus),
                        button.state & State_Enabled, isDefault);
    TColor text = SkinData()->Skin.ButtonTextColor;
    if (frame == 1 && face->HasNormalColour2)
        text = face->NormalColour2;
    else if (frame == 4 && face->HasMouseOverColour2)
        text = face->MouseOverColour2;
    else if (frame == 2 && face->HasPressedColour2)
        text = face->PressedColour2;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        button.palette.setColor(group, QPalette::ButtonText, ResolveColor(text));
    button.palette.setColor(QPalette::Disabled, QPalette::ButtonText, ResolveColor(SystemColor(COLOR_BTNSHADOW)));
    QProxyStyle::drawComplexControl(control, &button, painter, widget);
}

} // namespace skin
