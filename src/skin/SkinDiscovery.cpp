// Control discovery: which control gets which skinner, in the order the
// rules are tried. The first rule that applies decides.
#include "skin/RadEzarArov.h"
#include "skin/RuzOzodOvez.h"
#include "skin/SkinControls.h"
#include "skin/SkinMenuItem.h"

#include <QAction>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimeEdit>
#include <QToolBar>
#include <QToolButton>

namespace skin {

namespace {

template <typename T> T *NewAttached(TRuzOzodOvez *self, QWidget *c, bool setColour)
{
    auto *skinner = new T(c);
    skinner->AttachControl(self, self->SkinData, &self->ControlCanvas, setColour);
    return skinner;
}

template <typename T> T *AttachByHandle(TRuzOzodOvez *self, QWidget *c, QObject *owner)
{
    auto *skinner = new T(owner);
    skinner->AttachWindow(c, self->SkinData, self, &self->ControlCanvas);
    return skinner;
}

template <typename T> T *ScrollAttach(TRuzOzodOvez *self, QWidget *c, bool trackClicks)
{
    auto *skinner = new T(c);
    skinner->AttachScrolled(c, self->SkinData, trackClicks, self, &self->ControlCanvas);
    return skinner;
}

void SetTrue(QWidget *c, const char *name)
{
    // Only a property the control has is set; the name alone adds nothing.
    if (c->metaObject()->indexOfProperty(name) >= 0)
        c->setProperty(name, true);
}

// The menus' and the tool bars' drawing, made when first needed.
TSkinMenuStyle *MenuStyleOf(TRuzOzodOvez *self)
{
    if (!self->MenuStyle)
        self->MenuStyle = new TSkinMenuStyle(self);
    return self->MenuStyle;
}

bool NameIs(const QString &upper, const QObject *c, const char *name)
{
    return upper == QLatin1String(name) || IsControlClass(c, name);
}

} // namespace

void TRuzOzodOvez::SkinComponent(QWidget *c, QWidget *parent)
{
    if (!c || !SkinData)
        return;
    const int tag = c->property("Tag").toInt();
    if (tag % 100 == SkinData->DisableTag || IsSkinned(c))
        return;
    const QString name = QString::fromLatin1(c->metaObject()->className()).toUpper();
    const TSkinControls &set = SkinData->SkinControls;

    if (SkinData->OnSkinControl) {
        QObject *made = nullptr;
        SkinData->OnSkinControl(SkinData, SkinData, parent, c, name, made);
        if (auto *skinner = qobject_cast<TSkinControl *>(made)) {
            if (!AddSkinner(skinner))
                skinner->AttachControl(this, SkinData, &ControlCanvas, skinner->SetColour);
            if (IsControlClass(c, "TCustomPanel"))
                SkinChildren(c);
            return;
        }
    }
    if (MatchSkin3rd(name, c))
        return;
    for (const char *stop : {"TDBCOMBOBOXEH", "TQRPREVIEW", "TFRDESIGNERPAGE", "TFRPBOX"})
        if (name == QLatin1String(stop))
            return;

    const bool tabs = set.contains(xcTab) && SkinData->Skin.Tabs;
    if (IsControlClass(c, "TCustomTabControl") && tabs) {
        AttachByHandle<TSkinTab>(this, c, c);
        return;
    }
    if (IsToolBarButton(c) && set.contains(xcMainMenu)) {
        // The bar draws its buttons; a button's menu is drawn as the form's.
        auto *button = static_cast<QToolButton *>(c);
        QMenu *menu = button->menu();
        if (!menu && button->defaultAction())
            menu = button->defaultAction()->menu();
        if (menu)
            MenuStyleOf(this)->OwnerDrawItems(menu, true);
        return;
    }
    if (auto *toolBar = qobject_cast<QToolBar *>(c); toolBar && set.contains(xcToolbar)) {
        // A flat bar of the face colour, whose buttons the skin draws.
        NewAttached<TSkinBox>(this, c, true);
        MenuStyleOf(this)->OwnerDrawToolBar(toolBar, true);
        return;
    }
    if (NameIs(name, c, "TTABSET") && tabs) {
        NewAttached<TSkinTab31>(this, c, false);
        return;
    }
    if (NameIs(name, c, "TTABBEDNOTEBOOK") && tabs) {
        AttachByHandle<TSkinTab>(this, c, c);
        return;
    }
    if (NameIs(name, c, "TMVCPANEL")) {
        SkinChildren(c);
        return;
    }
    if (IsControlClass(c, "TCustomCheckBox") && set.contains(xcCheckBox)) {
        NewAttached<TSkinCheckBox>(this, c, false);
        return;
    }
    if (NameIs(name, c, "TTRACKBAR") && set.contains(xcButton)) {
        NewAttached<TSkinTrackBar>(this, c, false);
        return;
    }
    if (NameIs(name, c, "TUPDOWN") && set.contains(xcButton)) {
        NewAttached<TSkinUpDown>(this, c, false);
        return;
    }
    if (NameIs(name, c, "TDBNAVIGATOR") && set.contains(xcPanel)) {
        SetTrue(c, "Flat");
        NewAttached<TSkinBox>(this, c, true);
        return;
    }
    if (IsControlClass(c, "TCustomGroupBox") && set.contains(xcPanel)) {
        NewAttached<TSkinGroupBox>(this, c, true);
        SkinChildren(c);
        return;
    }
    if (IsControlClass(c, "TRadioButton") && set.contains(xcRadioButton)) {
        NewAttached<TSkinRadioButton>(this, c, false);
        return;
    }
    if (IsControlClass(c, "TCustomStatusBar") && set.contains(xcStatusBar)) {
        static_cast<QStatusBar *>(c)->setSizeGripEnabled(false);
        NewAttached<TSkinStatusBar>(this, c, false);
        return;
    }
    if (IsControlClass(c, "TProgressBar") && set.contains(xcProgress)) {
        NewAttached<TSkinProgress>(this, c, false);
        return;
    }
    if (IsControlClass(c, "TScrollBar") && set.contains(xcScrollbar)) {
        NewAttached<TSkinScControl>(this, c, false);
        return;
    }
    if (IsControlClass(c, "TCustomComboBox") && set.contains(xcCombo)) {
        NewAttached<TSkinComBox>(this, c, false);
        return;
    }
    if (NameIs(name, c, "TDATETIMEPICKER") && set.contains(xcEdit)) {
        // Up-down pickers and time pickers are edits; a picker that drops a
        // calendar down looks like a combo box.
        auto *picker = qobject_cast<QDateTimeEdit *>(c);
        if (!picker || !picker->calendarPopup() || qobject_cast<QTimeEdit *>(c))
            NewAttached<TSkinEdit>(this, c, false);
        else
            NewAttached<TSkinComBox>(this, c, false);
        return;
    }
    if ((NameIs(name, c, "TRICHEDIT") || NameIs(name, c, "TWWDBRICHEDIT") || NameIs(name, c, "TDXDBMEMO")) &&
        set.contains(xcScrollbar)) {
        ScrollAttach<TSkinScrollbar>(this, c, true);
        return;
    }
    if (IsControlClass(c, "TSpeedButton") && set.contains(xcSpeedButton)) {
        auto *skinner = new TSkinSpeedButton(c);
        skinner->AttachGraphic(this, SkinData, &ControlCanvas);
        return;
    }
    if (IsControlClass(c, "TCustomPanel") && set.contains(xcPanel)) {
        NewAttached<TSkinBox>(this, c, true);
        SkinChildren(c);
        return;
    }
    if ((NameIs(name, c, "TDXTREELIST") || NameIs(name, c, "TDXDBTREELIST") || NameIs(name, c, "TDXDBGRID")) &&
        set.contains(xcScrollbar)) {
        ScrollAttach<TSkinScrollbar>(this, c, false);
        return;
    }
    if (IsControlClass(c, "TCustomListView") && set.contains(xcScrollbar)) {
        ScrollAttach<TSkinListView>(this, c, false);
        return;
    }
    if (IsControlClass(c, "TCustomGrid") && set.contains(xcScrollbar)) {
        ScrollAttach<TSkinScrollbar>(this, c, true)->SetFixedColour();
        return;
    }
    if (HasScrollBars(c) && set.contains(xcScrollbar)) {
        ScrollAttach<TSkinScrollbar>(this, c, true);
        return;
    }
    if (IsControlClass(c, "TButton") && set.contains(xcButton)) {
        NewAttached<TSkinButton>(this, c, false);
        return;
    }
    if (IsControlClass(c, "TCustomEdit") && set.contains(xcEdit)) {
        AttachByHandle<TSkinEdit>(this, c, c);
        return;
    }
    if (IsControlClass(c, "TCustomForm")) {
        NewAttached<TSkinBox>(this, c, true);
        SkinChildren(c);
    }
}

bool TRuzOzodOvez::MatchSkin3rd(const QString &className, QWidget *c)
{
    const QString key = className.toLower() + QLatin1Char('=');
    QString kind;
    bool found = false;
    for (const QString &line : SkinData->Skin3rd())
        if (line.toLower().startsWith(key)) {
            kind = line.mid(line.indexOf(QLatin1Char('=')) + 1, 50).toLower();
            found = true;
            break;
        }
    if (!found)
        return false;
    const TSkinControls &set = SkinData->SkinControls;
    const auto children = [c] {
        QList<QWidget *> list;
        for (QWidget *child : c->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (!child->isWindow())
                list << child;
        return list;
    };
    if (kind == QLatin1String("nil"))
        return true;
    if (kind == QLatin1String("combobox") && set.contains(xcCombo))
        NewAttached<TSkinComBox>(this, c, false);
    else if (kind == QLatin1String("edit") && set.contains(xcEdit))
        AttachByHandle<TSkinEdit>(this, c, c);
    else if (kind == QLatin1String("radiobutton") && set.contains(xcRadioButton))
        NewAttached<TSkinRadioButton>(this, c, false);
    else if (kind == QLatin1String("panel") && set.contains(xcPanel)) {
        SetTrue(c, "Transparent");
        NewAttached<TSkinBox>(this, c, true);
    } else if (kind == QLatin1String("trackbar") && set.contains(xcButton)) {
        SetTrue(c, "Transparent");
        NewAttached<TSkinTrackBar>(this, c, false);
    } else if (kind == QLatin1String("button") && set.contains(xcButton))
        NewAttached<TSkinButton>(this, c, false);
    else if (kind == QLatin1String("bitbtn") && set.contains(xcButton))
        NewAttached<TSkinBitButton>(this, c, false);
    else if (kind == QLatin1String("speedbutton") && set.contains(xcSpeedButton)) {
        auto *skinner = new TSkinSpeedButton(c);
        skinner->AttachGraphic(this, SkinData, &ControlCanvas);
    } else if (kind == QLatin1String("tab") && set.contains(xcTab) && SkinData->Skin.Tabs)
        AttachByHandle<TSkinTab>(this, c, c);
    else if (kind == QLatin1String("progress") && set.contains(xcProgress))
        NewAttached<TSkinProgress>(this, c, false);
    else if (kind == QLatin1String("scrollbar") && set.contains(xcScrollbar)) {
        ScrollAttach<TSkinScrollbar>(this, c, true);
        SkinChildren(c);
    } else if (kind == QLatin1String("groupbox") && set.contains(xcGroupBox))
        NewAttached<TSkinGroupBox>(this, c, true);
    else if (kind == QLatin1String("radiogroup") && set.contains(xcGroupBox)) {
        if (set.contains(xcRadioButton))
            for (QWidget *child : children())
                NewAttached<TSkinRadioButton>(this, child, false);
        NewAttached<TSkinGroupBox>(this, c, true);
    } else if (kind == QLatin1String("checkgroup") && set.contains(xcPanel)) {
        if (set.contains(xcRadioButton))
            for (QWidget *child : children())
                NewAttached<TSkinCheckBox>(this, child, false);
        if (set.contains(xcGroupBox))
            NewAttached<TSkinGroupBox>(this, c, true);
    } else if (kind == QLatin1String("checkbox") && set.contains(xcCheckBox))
        NewAttached<TSkinCheckBox>(this, c, false);
    return true;
}

void TRuzOzodOvez::SkinForeignChildren()
{
    if (!Handle)
        return;
    for (QWidget *child : Components(Handle))
        if (WindowStyle(child) & WS_CHILD)
            SkinForeignChild(child);
}

void TRuzOzodOvez::SkinForeignChild(QWidget *window)
{
    if (!window || FindSkinner(window))
        return;
    uint32_t s = 0;
    const QString cls = ForeignClassName(window, &s).left(100);
    TSkinControl *skinner = nullptr;
    if (cls == QLatin1String("button")) {
        // The button's type is its low four style bits.
        const uint32_t type = s & 0xF;
        if (type == 7)
            return;
        if (type == 2 || type == 3 || type == 5 || type == 6)
            skinner = new TSkinCheckBox(this);
        else if (type == 4 || type == 9)
            skinner = new TSkinRadioButton(this);
        else
            skinner = new TSkinButton(this);
    } else if (cls == QLatin1String("combobox")) {
        if ((s & 3) == 1)
            return;
        skinner = new TSkinComBox(this);
    } else if (cls == QLatin1String("scrollbar")) {
        skinner = new TSkinSizer(this);
    } else if (cls == QLatin1String("systabcontrol32")) {
        if (s & 0x2000)
            return;
        skinner = new TSkinTab(this);
    } else if (cls == QLatin1String("edit")) {
        skinner = new TSkinEdit(this);
    }
    if (skinner)
        skinner->AttachWindow(window, SkinData, this, &ControlCanvas);
}

} // namespace skin
