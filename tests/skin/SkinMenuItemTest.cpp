// Owner-drawn menu items and skinned popup menus: what an item measures,
// the pixels of its face, glyph, caption and shortcut, both separators, and
// popups opened in a skinned window.
#include "skin/SkinMenuItem.h"

#include "SkinMenus.h"
#include "skin/SkinManage.h"
#include "skin/SkinPackage.h"
#include "skin/SkinPopMenu.h"

#include <QLineEdit>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

using namespace skin;
using namespace skintest;

namespace {

QRgb SystemRgb(int index)
{
    return ResolveColor(SystemColor(index)).rgb();
}

// A skinner with a component of the menu skin, and its menu style.
class MenuItems : public FreshManager {
protected:
    void Use(const MenuSkinOptions &options = {})
    {
        data = StoredComponent(&form, TSkinData::sfMainform, false, MenuSkinPackage(options));
        ASSERT_TRUE(data->SkinReady());
        skinner.SkinData = data;
        skinner.Handle = &form;
        style = std::make_unique<TSkinMenuStyle>(&skinner);
    }

    static TSkinMenuItem Item(const QString &caption, bool enabled = true, bool checked = false,
                              const QString &shortcut = QString())
    {
        TSkinMenuItem item;
        item.Caption = caption;
        item.Enabled = enabled;
        item.Checked = checked;
        item.ShortCut = shortcut;
        return item;
    }

    QImage Drawn(const TSkinMenuItem &item, QSize size, bool selected = false, bool byHandle = false)
    {
        QImage canvas(size, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        if (byHandle)
            style->DrawHandleMenuItem(nullptr, item, painter, canvas.rect(), selected);
        else
            style->DrawSkinnedMenuItem(item, painter, canvas.rect(), selected);
        return canvas;
    }

    CrispMenuFonts fonts;
    TTestForm form;
    TSkinData *data = nullptr;
    TRuzOzodOvez skinner;
    std::unique_ptr<TSkinMenuStyle> style;
};

struct MeasureCase {
    TMenuItemKind kind;
    bool images;
    bool menuItem; // the skin has a MenuItem element
    int leftWidth;
    int added;
};

class MenuItemMeasure : public MenuItems, public testing::WithParamInterface<MeasureCase> {};

TEST_P(MenuItemMeasure, WidensTheItemForItsGlyphAndTheSkinsMargin)
{
    const MeasureCase &c = GetParam();
    Use({.menuItem = c.menuItem, .leftWidth = c.leftWidth});
    TSkinMenuItem item = Item("Open");
    item.HasImageList = c.images;
    int width = 100, height = 18;
    if (c.kind == TMenuItemKind::MainMenu)
        style->MeasureMainMenuItem(item, width, height);
    else
        style->MeasureSysMenuItem(item, width, height);
    EXPECT_EQ(width, 100 + c.added);
    EXPECT_EQ(height, 18);
}

INSTANTIATE_TEST_SUITE_P(Cases, MenuItemMeasure,
                         testing::Values(MeasureCase{TMenuItemKind::MainMenu, true, false, 0, 10},
                                         MeasureCase{TMenuItemKind::PopupMenu, true, false, 0, 12},
                                         MeasureCase{TMenuItemKind::MainMenu, false, false, 0, 35},
                                         MeasureCase{TMenuItemKind::PopupMenu, false, false, 0, 35},
                                         MeasureCase{TMenuItemKind::MainMenu, false, true, 20, 55},
                                         MeasureCase{TMenuItemKind::PopupMenu, true, true, 20, 32}));

TEST_F(MenuItems, WithoutASkinComponentAPopupItemKeepsItsMeasure)
{
    Use();
    skinner.SkinData = nullptr;
    int width = 100, height = 18;
    style->MeasureSysMenuItem(Item("Open"), width, height);
    EXPECT_EQ(width, 100);
}

TEST_F(MenuItems, AnOwnerDrawnMenuIsWiderByItsMeasureAndShowsItsItemsSkinned)
{
    // Without a popup background the menu keeps its frame, so only the
    // items' measure changes its width.
    Use({.menuBackground = false, .leftWidth = 20});
    QMenu plain, skinned;
    for (QMenu *menu : {&plain, &skinned}) {
        menu->addAction("Chord analysis...");
        menu->addAction("Setup...");
    }
    style->OwnerDrawItems(&skinned, true);
    EXPECT_EQ(skinned.sizeHint().width() - plain.sizeHint().width(), 35 + 20);

    const QImage picture = skinned.grab().toImage();
    const QRect first = skinned.actionGeometry(skinned.actions().first());
    EXPECT_EQ(picture.pixel(first.right() - 3, first.top() + 1) & 0xFFFFFF, ItemNormal & 0xFFFFFF);

    // Given back, it measures as before.
    style->OwnerDrawItems(&skinned, false);
    EXPECT_EQ(skinned.sizeHint().width(), plain.sizeHint().width());
}

TEST_F(MenuItems, TheFaceIsFrameOneOrWhenSelectedFrameFour)
{
    Use();
    EXPECT_EQ(Drawn(Item("Open"), {160, 22}).pixel(150, 2) & 0xFFFFFF, ItemNormal & 0xFFFFFF);
    EXPECT_EQ(Drawn(Item("Open"), {160, 22}, true).pixel(150, 2) & 0xFFFFFF, ItemSelected & 0xFFFFFF);
    // The caption's colour follows the selection.
    EXPECT_TRUE(HasColour(Drawn(Item("Open"), {160, 22}), MenuTextRgb));
    EXPECT_TRUE(HasColour(Drawn(Item("Open"), {160, 22}, true), HilightTextRgb));
}

TEST_F(MenuItems, WithoutAMenuItemPictureAnItemIsFilledWithTheMenuOrHighlightColour)
{
    Use({.menuItem = false});
    EXPECT_EQ(Drawn(Item("Open"), {160, 22}).pixel(150, 2) & 0xFFFFFF, MenuColourRgb & 0xFFFFFF);
    EXPECT_EQ(Drawn(Item("Open"), {160, 22}, true).pixel(150, 2) & 0xFFFFFF, qRgb(0, 0, 128) & 0xFFFFFF);
}

class CheckMark : public MenuItems, public testing::WithParamInterface<int> {};

TEST_P(CheckMark, SitsCentredInTheGlyphBoxOnePixelRightAndDownAfterTheSkinsMargin)
{
    const int leftWidth = GetParam();
    Use({.leftWidth = leftWidth});
    const QImage checked = Drawn(Item("X", true, true), {160, 22});
    const QImage unchecked = Drawn(Item("X", true, false), {160, 22});
    // The box is 16 x 16 one pixel in from the corner (after the margin);
    // the 13-pixel mark is centred in it, then moved one pixel right and down.
    const int markLeft = 1 + leftWidth + (16 - 13) / 2 + 1, markTop = 1 + (16 - 13) / 2 + 1;
    const QImage mark = CheckMarkImage();
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 13; ++x) {
            const bool ink = qAlpha(mark.pixel(x, y)) != 0;
            const QRgb got = checked.pixel(markLeft + x, markTop + y) & 0xFFFFFF;
            ASSERT_EQ(got, (ink ? SystemRgb(COLOR_BTNTEXT) : ItemNormal) & 0xFFFFFF) << x << "," << y;
        }
    EXPECT_FALSE(HasColour(unchecked, SystemRgb(COLOR_BTNTEXT), QRect(0, 0, markLeft + 13, 22)));
}

INSTANTIATE_TEST_SUITE_P(Margins, CheckMark, testing::Values(0, 20));

struct DisabledCase {
    const char *name;
    QByteArray buttonShadow;
    QByteArray menuText;
    std::function<QRgb()> expected;
};

void PrintTo(const DisabledCase &c, std::ostream *os)
{
    *os << c.name;
}

class DisabledItem : public MenuItems, public testing::WithParamInterface<DisabledCase> {};

TEST_P(DisabledItem, IsDrawnInTheShadowColourThatStandsOutFromTheTextAndTheMenu)
{
    const DisabledCase &c = GetParam();
    Use({.buttonShadow = c.buttonShadow, .menuText = c.menuText});
    const QImage picture = Drawn(Item("Disabled", false), {160, 22});
    const QRgb expected = c.expected();
    ASSERT_NE(expected & 0xFFFFFF, MenuTextRgb & 0xFFFFFF);
    EXPECT_TRUE(HasColour(picture, expected));
    EXPECT_FALSE(HasColour(picture, MenuTextRgb));
}

INSTANTIATE_TEST_SUITE_P(Skins, DisabledItem,
                         testing::Values(DisabledCase{"TheSkinsShadow", "128 128 128", "230 230 230",
                                                      [] { return ShadowRgb; }},
                                         DisabledCase{"TheDesktopsShadowWhenTheSkinsIsTheText", "230 230 230",
                                                      "230 230 230", [] { return SystemRgb(COLOR_BTNSHADOW); }},
                                         // The menu's colour is 10 60 110: the text dimmed halfway to it.
                                         DisabledCase{"TheTextDimmedWhenTheShadowIsLostOnTheMenu", "14 62 108",
                                                      "230 230 230", [] { return qRgb(120, 145, 170); }}),
                         [](const auto &info) { return std::string(info.param.name); });

// The right-most column holding a pixel of the colour, or -1.
int RightmostOf(const QImage &image, QRgb colour)
{
    for (int x = image.width() - 1; x >= 0; --x)
        for (int y = 0; y < image.height(); ++y)
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                return x;
    return -1;
}

int CountOf(const QImage &image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return n;
}

TEST_F(MenuItems, TheShortcutEndsElevenPixelsBeforeTheRightEdgeAndTheAcceleratorIsUnderlined)
{
    Use();
    const int width = 220;
    const QImage withShortcut = Drawn(Item("&Open", true, false, "Ctrl+O"), {width, 22});
    const int right = RightmostOf(withShortcut, MenuTextRgb);
    EXPECT_LE(right, width - 11 - 1);
    EXPECT_GE(right, width - 11 - 4);
    // The shortcut is right of the caption, not over it.
    const QImage captionOnly = Drawn(Item("&Open"), {width, 22});
    EXPECT_LT(RightmostOf(captionOnly, MenuTextRgb), width / 2);

    const QImage plain = Drawn(Item("Open"), {width, 22});
    EXPECT_GT(CountOf(captionOnly, MenuTextRgb), CountOf(plain, MenuTextRgb));
    // Centred on the item's height: as much room above the text as below.
    int top = -1, bottom = -1;
    for (int y = 0; y < 22; ++y)
        for (int x = 0; x < width / 2; ++x)
            if ((plain.pixel(x, y) & 0xFFFFFF) == (MenuTextRgb & 0xFFFFFF)) {
                if (top < 0)
                    top = y;
                bottom = y;
            }
    ASSERT_GE(top, 0);
    EXPECT_LE(std::abs(top - (21 - bottom)), 4);
}

TEST_F(MenuItems, ADefaultItemIsBold)
{
    Use();
    TSkinMenuItem normal = Item("Open"), bold = Item("Open");
    bold.Default = true;
    EXPECT_GT(CountOf(Drawn(bold, {160, 22}), MenuTextRgb), CountOf(Drawn(normal, {160, 22}), MenuTextRgb));
}

TEST_F(MenuItems, AFormsSeparatorIsFrameTwoOverTheBackground)
{
    Use();
    const QImage picture = Drawn(Item("-"), {100, 8});
    // The bottom 8 rows of frame 2: 4 magenta rows show the menu's colour,
    // then the separator's line.
    for (int y = 0; y < 8; ++y)
        EXPECT_EQ(picture.pixel(50, y) & 0xFFFFFF, (y < 4 ? MenuColourRgb : ItemSeparator) & 0xFFFFFF) << y;
}

TEST_F(MenuItems, ASeparatorKnownOnlyByItsMenuIsTheItemFaceWithAnEtchedLineFourPixelsDown)
{
    Use();
    const QImage picture = Drawn(Item("-"), {100, 10}, false, true);
    EXPECT_EQ(picture.pixel(50, 2) & 0xFFFFFF, ItemNormal & 0xFFFFFF);
    EXPECT_EQ(picture.pixel(50, 4) & 0xFFFFFF, SystemRgb(COLOR_BTNSHADOW) & 0xFFFFFF);
    EXPECT_EQ(picture.pixel(50, 5) & 0xFFFFFF, SystemRgb(COLOR_BTNHIGHLIGHT) & 0xFFFFFF);
    EXPECT_EQ(picture.pixel(50, 7) & 0xFFFFFF, ItemNormal & 0xFFFFFF);
}

TEST_F(MenuItems, ARightToLeftMenuPutsTheGlyphOnTheRight)
{
    Use();
    QMenu menu;
    menu.setLayoutDirection(Qt::RightToLeft);
    TSkinMenuItem item = Item("X", true, true);
    item.ParentMenu = &menu;
    const QImage picture = Drawn(item, {160, 22});
    EXPECT_TRUE(HasColour(picture, SystemRgb(COLOR_BTNTEXT), QRect(160 - 18, 0, 18, 22)));
    EXPECT_FALSE(HasColour(picture, SystemRgb(COLOR_BTNTEXT), QRect(0, 0, 20, 22)));
}

struct ArrowCase {
    const char *name;
    bool selected;
    bool rtl;
    bool enabled;
    QRgb colour;
};

void PrintTo(const ArrowCase &c, std::ostream *os)
{
    *os << c.name;
}

class SubMenuArrow : public MenuItems, public testing::WithParamInterface<ArrowCase> {};

TEST_P(SubMenuArrow, PointsOutOfTheItemAtItsFarSideInTheCaptionsColour)
{
    const ArrowCase &c = GetParam();
    Use();
    QMenu menu;
    menu.setLayoutDirection(c.rtl ? Qt::RightToLeft : Qt::LeftToRight);
    TSkinMenuItem item = Item("More", c.enabled);
    item.ParentMenu = &menu;
    const int w = 160, h = 22;
    const QRect farSide = c.rtl ? QRect(0, 0, 10, h) : QRect(w - 10, 0, 10, h);
    EXPECT_FALSE(HasColour(Drawn(item, {w, h}, c.selected), c.colour, farSide));

    item.HasSubMenu = true;
    const QImage picture = Drawn(item, {w, h}, c.selected);
    // A solid triangle of 1 + 3 + 5 + 7 pixels, its point on the middle row,
    // four pixels in from the side.
    EXPECT_EQ(CountOf(picture.copy(farSide), c.colour), 16);
    const int point = c.rtl ? 4 : w - 1 - 4;
    EXPECT_EQ(picture.pixel(point, h / 2) & 0xFFFFFF, c.colour & 0xFFFFFF);
    EXPECT_NE(picture.pixel(point, h / 2 - 1) & 0xFFFFFF, c.colour & 0xFFFFFF);
    const int base = c.rtl ? point + 3 : point - 3;
    EXPECT_EQ(picture.pixel(base, h / 2 - 3) & 0xFFFFFF, c.colour & 0xFFFFFF);
    EXPECT_EQ(picture.pixel(base, h / 2 + 3) & 0xFFFFFF, c.colour & 0xFFFFFF);
}

INSTANTIATE_TEST_SUITE_P(Cases, SubMenuArrow,
                         testing::Values(ArrowCase{"Plain", false, false, true, MenuTextRgb},
                                         ArrowCase{"Selected", true, false, true, HilightTextRgb},
                                         ArrowCase{"RightToLeft", false, true, true, MenuTextRgb},
                                         ArrowCase{"Disabled", false, false, false, ShadowRgb}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(MenuItems, AToolButtonGetsAFaceOnlyWhenPressedHotOrDefault)
{
    Use({.buttons = true});
    skinner.State = TRuzOzodOvez::StateSkinned;
    QToolBar toolBar;
    struct Case {
        bool down, hot, enabled, isDefault;
        QRgb face; // 0: none
    };
    for (const Case &c : {Case{true, false, true, false, KeyMagenta}, Case{false, true, true, false, ItemSelected},
                          Case{false, false, false, true, 0}, Case{false, false, true, true, ItemNormal},
                          Case{false, false, true, false, 0}}) {
        QImage canvas(30, 30, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        EXPECT_EQ(style->PaintToolButton(&toolBar, painter, canvas.rect(), c.down, c.hot, c.enabled, c.isDefault),
                  c.face != 0);
        painter.end();
        EXPECT_EQ(canvas.pixel(15, 3) & 0xFFFFFF, (c.face ? c.face : qRgb(255, 255, 255)) & 0xFFFFFF);
        // The face leaves one pixel all round.
        EXPECT_EQ(canvas.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    }
    // Not while the window is still being laid out.
    skinner.State = TRuzOzodOvez::StateNew;
    QImage canvas(30, 30, QImage::Format_RGB32);
    QPainter painter(&canvas);
    EXPECT_FALSE(style->PaintToolButton(&toolBar, painter, canvas.rect(), true, false, true, false));
}

TEST_F(MenuItems, OurSkinShowsAPlainItemOnTheMenusBackgroundAndTheSelectedOneAsGlass)
{
    data = new TSkinData(&form);
    data->ReadSkinStream(EmbeddedSkinStream());
    ASSERT_TRUE(data->SkinReady());
    skinner.SkinData = data;
    style = std::make_unique<TSkinMenuStyle>(&skinner);
    const TDataSkinObject &element = *data->Skin.MenuItem;
    const QImage &faces = element.Image;
    const int fw = faces.width() / 5;
    ASSERT_EQ(faces.height(), 20);
    const QRgb menu = ResolveColor(data->Skin.MenuColor).rgb() & 0xFFFFFF;

    // A plain item is see-through: without a popup picture, the menu's colour.
    EXPECT_EQ(Drawn(Item(""), {160, 20}).pixel(150, 10) & 0xFFFFFF, menu);
    // The selected item is frame 4, its middle stretched along the item.
    const QImage selected = Drawn(Item(""), {160, 20}, true);
    for (int y : {5, 10, 14})
        EXPECT_EQ(selected.pixel(150, y) & 0xFFFFFF, faces.pixel(3 * fw + fw / 2, y) & 0xFFFFFF) << y;
    EXPECT_NE(selected.pixel(150, 10) & 0xFFFFFF, menu);
    // A separator of eight rows: the bottom rows of frame 2, its groove.
    const QImage separator = Drawn(Item("-"), {160, 8});
    EXPECT_EQ(separator.pixel(80, 1) & 0xFFFFFF, menu);
    int groove = 0;
    for (int y = 0; y < 8; ++y) {
        const QRgb face = faces.pixel(fw + fw / 2, 12 + y) & 0xFFFFFF;
        if (face == 0xFF00FFu)
            continue;
        ++groove;
        EXPECT_EQ(separator.pixel(80, y) & 0xFFFFFF, face) << y;
    }
    EXPECT_GE(groove, 2);
}

// ---------------------------------------------------------------------------
// Popup menus of a skinned window

class SkinnedPopups : public FreshManager {
protected:
    void SkinForm(const MenuSkinOptions &options = {})
    {
        StoredComponent(&form, TSkinData::sfMainform, true, MenuSkinPackage(options));
        ASSERT_TRUE(ShowActive(&form));
        skinner = Manager().FindSkinner(&form);
        ASSERT_NE(skinner, nullptr);
    }

    // Opens the menu and gives its picture once it is skinned.
    QImage Opened(QMenu &menu)
    {
        menu.popup(form.mapToGlobal(QPoint(10, 10)));
        EXPECT_TRUE(WaitFor([&] { return menu.isVisible(); }));
        return menu.grab().toImage();
    }

    CrispMenuFonts fonts;
    TTestForm form;
    TRuzOzodOvez *skinner = nullptr;
};

TEST_F(SkinnedPopups, AFormsPopupMenuShowsTheBackgroundFrameAndItemFaces)
{
    QMenu menu(&form);
    menu.addAction("Insert a chord");
    menu.addSeparator();
    menu.addAction("Clear");
    SkinForm();
    ASSERT_TRUE(skinner->MenuStyle);
    EXPECT_EQ(skinner->MenuStyle->KindOf(&menu), TMenuItemKind::PopupMenu);
    const QImage picture = Opened(menu);
    EXPECT_EQ(picture.pixel(0, 0) & 0xFFFFFF, PopupEdge & 0xFFFFFF);
    EXPECT_EQ(picture.pixel(picture.width() - 2, picture.height() / 2) & 0xFFFFFF, PopupEdge & 0xFFFFFF);
    const QRect first = menu.actionGeometry(menu.actions().first());
    EXPECT_GE(first.left(), TWinSkinPopMenu::FrameWidth);
    EXPECT_EQ(picture.pixel(first.right() - 3, first.center().y()) & 0xFFFFFF, ItemNormal & 0xFFFFFF);
    // The separator shows its line over the popup's own background.
    const QRect separator = menu.actionGeometry(menu.actions().at(1));
    EXPECT_TRUE(HasColour(picture, PopupMiddle, separator) || HasColour(picture, ItemSeparator, separator));
    EXPECT_FALSE(HasColour(picture, ItemNormal, separator));
}

TEST_F(SkinnedPopups, AnItemThatOpensAMenuShowsItsArrowInTheFormsMenusAndInMenusMadeLater)
{
    const auto withSubmenu = [](QMenu *menu) {
        menu->addAction("Insert a chord");
        menu->addMenu("Markers")->addAction("End of pattern");
        return menu->actions().last();
    };
    QMenu own(&form);
    QAction *ownMarkers = withSubmenu(&own);
    SkinForm();
    std::unique_ptr<QMenu> later(new QMenu(&form));
    QAction *laterMarkers = withSubmenu(later.get());
    for (auto [menu, markers, kind] : {std::tuple{&own, ownMarkers, TMenuItemKind::PopupMenu},
                                       std::tuple{later.get(), laterMarkers, TMenuItemKind::Handle}}) {
        const QImage picture = Opened(*menu);
        EXPECT_EQ(skinner->MenuStyle->KindOf(menu), kind);
        const QRect item = menu->actionGeometry(markers);
        const QRect first = menu->actionGeometry(menu->actions().first());
        const auto farSide = [](const QRect &r) { return QRect(r.right() - 9, r.top(), 10, r.height()); };
        EXPECT_TRUE(HasColour(picture, MenuTextRgb, farSide(item)));
        EXPECT_FALSE(HasColour(picture, MenuTextRgb, farSide(first)));
        menu->close();
    }
}

class OwnerlessPopup : public SkinnedPopups, public testing::WithParamInterface<bool> {};

TEST_P(OwnerlessPopup, DrawsItsItemsInTheSkinsMenuColoursWhereTheSkinPaintsItsPanel)
{
    const bool panel = GetParam();
    SkinForm({.menuBackground = panel});
    // Made by nobody the skin knows, while the window is skinned.
    QMenu menu;
    menu.addAction("Insert a chord");
    menu.addAction("Clear")->setEnabled(false);
    menu.addAction("Paste");
    const QImage picture = Opened(menu);
    ASSERT_EQ(Manager().PopupMenus.size(), 1);
    EXPECT_FALSE(skinner->MenuStyle->IsOwnerDrawn(&menu));
    const QRect first = menu.actionGeometry(menu.actions().at(0));
    const QRect disabled = menu.actionGeometry(menu.actions().at(1));
    EXPECT_EQ(HasColour(picture, PopupEdge, QRect(0, 0, 2, 2)), panel);
    EXPECT_EQ(HasColour(picture, MenuTextRgb, first), panel);
    EXPECT_EQ(HasColour(picture, ShadowRgb, disabled), panel);
    // The selected item: the skin's highlight behind the highlighted text.
    menu.setActiveAction(menu.actions().at(2));
    const QImage selected = menu.grab().toImage();
    const QRect third = menu.actionGeometry(menu.actions().at(2));
    EXPECT_EQ(HasColour(selected, HilightTextRgb, third), panel);
    EXPECT_EQ(HasColour(selected, qRgb(0, 0, 128), third), panel);
    menu.close();
}

INSTANTIATE_TEST_SUITE_P(SkinPanel, OwnerlessPopup, testing::Bool());

TEST_F(SkinnedPopups, AMenuTaggedWithTheDisableTagIsLeftToTheStyle)
{
    QMenu menu(&form);
    menu.setProperty("Tag", 199);
    menu.addAction("Insert a chord");
    SkinForm();
    EXPECT_FALSE(skinner->MenuStyle->IsOwnerDrawn(&menu));
}

TEST_F(SkinnedPopups, AContextMenuQtMakesIsDrawnAsAMenuKnownOnlyByItself)
{
    auto *edit = new QLineEdit(&form);
    edit->setText("C major");
    SkinForm();
    QMenu *menu = edit->createStandardContextMenu();
    const QImage picture = Opened(*menu);
    EXPECT_EQ(skinner->MenuStyle->KindOf(menu), TMenuItemKind::Handle);
    EXPECT_EQ(picture.pixel(0, 0) & 0xFFFFFF, PopupEdge & 0xFFFFFF);
    QAction *first = nullptr;
    for (QAction *a : menu->actions())
        if (!a->isSeparator()) {
            first = a;
            break;
        }
    ASSERT_NE(first, nullptr);
    const QRect r = menu->actionGeometry(first);
    EXPECT_EQ(picture.pixel(r.right() - 3, r.center().y()) & 0xFFFFFF, ItemNormal & 0xFFFFFF);
    delete menu;
}

TEST_F(SkinnedPopups, WithoutAMenuBackgroundThePopupDrawsItsOwnPanel)
{
    QMenu menu(&form);
    menu.addAction("Insert a chord");
    SkinForm({.menuBackground = false});
    const QImage picture = Opened(menu);
    ASSERT_EQ(Manager().PopupMenus.size(), 1);
    EXPECT_NE(picture.pixel(0, 0) & 0xFFFFFF, PopupEdge & 0xFFFFFF);
    EXPECT_NE(picture.pixel(1, picture.height() - 2) & 0xFFFFFF, PopupEdge & 0xFFFFFF);
}

TEST_F(SkinnedPopups, SwitchedOffWhileOpenTheMenuDrawsItselfAgain)
{
    QMenu menu(&form);
    menu.addAction("Insert a chord");
    SkinForm();
    EXPECT_EQ(Opened(menu).pixel(0, 0) & 0xFFFFFF, PopupEdge & 0xFFFFFF);
    Manager().SkinningOn = false;
    EXPECT_NE(menu.grab().toImage().pixel(0, 0) & 0xFFFFFF, PopupEdge & 0xFFFFFF);
}

TEST_F(SkinnedPopups, UnskinningGivesEveryMenuTheApplicationsStyleBack)
{
    QMenu menu(&form);
    menu.addAction("Insert a chord");
    SkinForm();
    EXPECT_EQ(menu.style(), skinner->MenuStyle);
    QPointer<TRuzOzodOvez> gone = skinner;
    form.findChild<TSkinData *>()->SetActive(false);
    ASSERT_TRUE(WaitFor([&] { return gone.isNull(); }));
    EXPECT_EQ(menu.style(), QApplication::style());
    EXPECT_FALSE(menu.testAttribute(Qt::WA_SetStyle));
}

} // namespace
