// Control skinners on real Qt widgets: which control gets which skinner,
// the frames they draw, and how they follow the mouse, the keyboard and
// their controls' lives.
#include "Contrast.h"
#include "SkinControlFixture.h"
#include "skin/RuzOzodOvez.h"
#include "skin/SkinControls.h"
#include "skin/SkinMenuItem.h"
#include "skin/SkinMessages.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QEnterEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QSignalSpy>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

#include <memory>

using namespace skin;
using namespace skintest;

namespace {

QRgb PixelOf(QWidget *w, QPoint at)
{
    return w->grab().toImage().pixel(at) | 0xFF000000u;
}

// Moves the mouse onto a widget as the window system reports it: the widget
// it was over hears it leave, the new one hears it enter, then the move.
QPointer<QWidget> Under;
void MoveTo(QWidget *w, QPoint at)
{
    if (Under && Under != w) {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(Under, &leave);
    }
    if (Under != w) {
        QEnterEvent enter(at, at, w->mapToGlobal(at));
        QApplication::sendEvent(w, &enter);
    }
    Under = w;
    QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

std::string Hex(QRgb c)
{
    return QString::number(c & 0xFFFFFF, 16).toStdString();
}

// Text a reader can make out, at the least contrast asked of body text.
constexpr double Readable = 4.5;

// The inside of a header's section, in the header's coordinates: within
// its edges only its text stands out.
QRect SectionInside(const QHeaderView *header, int logical = 0)
{
    const QPoint at = header->viewport()->mapTo(header, QPoint(0, 0));
    const int start = header->sectionViewportPosition(logical), size = header->sectionSize(logical);
    const QRect section = header->orientation() == Qt::Horizontal
                              ? QRect(at.x() + start, at.y(), size, header->viewport()->height())
                              : QRect(at.x(), at.y() + start, header->viewport()->width(), size);
    return section.adjusted(3, 3, -3, -3);
}

// A colour shaded from another, as a style shades a face: nearly the same.
bool ShadedFrom(QRgb colour, QRgb from)
{
    return Contrast(colour, from) < 1.5;
}

// A skin component with the colour-frame skin, a form with one control of
// each kind, shown, and a window skinner attached to it.
class SkinnedForm : public FreshManager {
protected:
    void SetUp() override
    {
        FreshManager::SetUp();
        data = StoredComponent(nullptr, TSkinData::sfMainform, false, ControlSkinPackage());
        ASSERT_TRUE(data->SkinReady());
        form = std::make_unique<TControlForm>();
        Under = nullptr;
    }
    void TearDown() override
    {
        delete skinner.data();
        form.reset();
        delete data;
        FreshManager::TearDown();
    }
    void Attach()
    {
        skinner = new TRuzOzodOvez(form.get());
        skinner->Handle = form.get();
        skinner->AttachForm(data, form.get());
    }
    void ShowAndAttach()
    {
        ASSERT_TRUE(ShowActive(form.get()));
        Attach();
    }
    TSkinControl *SkinnerOf(const QWidget *w) const
    {
        for (const QPointer<TSkinControl> &s : skinner->Skinners)
            if (s && (s->Control == w || s->Handle == w || s->GraphicControl == w))
                return s;
        return nullptr;
    }
    QString KindOf(const QWidget *w) const
    {
        const TSkinControl *s = SkinnerOf(w);
        return s ? QString::fromLatin1(s->metaObject()->className()).section("::", -1) : QString("none");
    }

    TSkinData *data = nullptr;
    std::unique_ptr<TControlForm> form;
    QPointer<TRuzOzodOvez> skinner;
};

TEST_F(SkinnedForm, EachControlGetsTheSkinnerOfItsKind)
{
    Attach();
    const struct {
        QWidget *control;
        const char *skinner;
    } table[] = {
        {form->Button1, "TSkinButton"},
        {form->Check, "TSkinCheckBox"},
        {form->GroupCheck, "TSkinCheckBox"},
        {form->Radio, "TSkinRadioButton"},
        {form->Combo, "TSkinComBox"},
        {form->Group, "TSkinGroupBox"},
        {form->Progress, "TSkinProgress"},
        {form->Slider, "TSkinTrackBar"},
        {form->Edit, "TSkinEdit"},
        {form->Spin, "TSkinEdit"},
        {form->ScrollBar, "TSkinScControl"},
        {form->List, "TSkinScrollbar"},
        {form->Label, "none"},
        {form->Tree, "TSkinListView"},
        {form->Tabs, "TSkinTab"},
        {form->TabBar, "TSkinTab31"},
        {form->Tool, "TSkinSpeedButton"},
        {form->Panel, "TSkinBox"},
        {form->Picker, "TSkinEdit"},
        {form->PopupPicker, "TSkinComBox"},
        {form->Text, "TSkinScrollbar"},
        {form->Table, "TSkinScrollbar"},
        {form->Status, "TSkinStatusBar"},
        {form->Panel0, "none"},
        {form->Tree->header()->viewport(), "TSkinHeader"},
        // Inner parts of compound controls are not controls of their own.
        {form->List->verticalScrollBar(), "none"},
        {form->Tabs->tabBar(), "none"},
    };
    for (const auto &row : table)
        EXPECT_EQ(KindOf(row.control), row.skinner) << row.control->metaObject()->className();
    // The status bar gives up its size grip before it is skinned.
    EXPECT_FALSE(form->Status->isSizeGripEnabled());
}

TEST_F(SkinnedForm, ATagEndingIn99LeavesTheControlAsItIs)
{
    const struct {
        int tag;
        bool skinned;
    } table[] = {{99, false}, {199, false}, {-1, true}, {-99, true}, {0, true}};
    for (const auto &row : table) {
        delete skinner.data();
        form = std::make_unique<TControlForm>();
        form->Button1->setProperty("Tag", row.tag);
        Attach();
        EXPECT_EQ(SkinnerOf(form->Button1) != nullptr, row.skinned) << row.tag;
    }
}

TEST_F(SkinnedForm, ClassMappingLinesDecideBeforeTheBuiltInRules)
{
    QStringList lines = data->Skin3rd();
    // Unskinned by name; a member switched off ends the matching with no
    // skinner at all; a line for a shorter name does not match a longer one.
    lines << "QPushButton=nil"
          << "QRadioButton=radiobutton"
          << "QCheck=nil"
          << "qcombobox=BitBtn";
    data->SetSkin3rd(lines);
    data->SkinControls.remove(xcRadioButton);
    Attach();
    EXPECT_EQ(KindOf(form->Button1), "none");
    EXPECT_EQ(KindOf(form->Radio), "none");
    EXPECT_EQ(KindOf(form->Check), "TSkinCheckBox");
    EXPECT_EQ(KindOf(form->Combo), "TSkinBitButton");
}

TEST_F(SkinnedForm, TheProgramsOwnChoiceComesFirst)
{
    QStringList classes;
    data->OnSkinControl = [&](TSkinData *, TSkinData *, QWidget *owner, QWidget *control, const QString &cls,
                              QObject *&made) {
        classes << cls;
        EXPECT_EQ(owner, form.get());
        if (control == form->Check)
            made = new TSkinButton(control);
    };
    Attach();
    EXPECT_EQ(KindOf(form->Check), "TSkinButton");
    EXPECT_EQ(KindOf(form->Radio), "TSkinRadioButton");
    EXPECT_TRUE(classes.contains("QCHECKBOX"));
}

TEST_F(SkinnedForm, AttachingTwiceChangesNothingAndTheColoursComeBack)
{
    const QColor panelBefore = form->Panel->palette().color(QPalette::Window);
    const QColor formBefore = form->palette().color(QPalette::Window);
    const bool ownBefore = form->Panel->testAttribute(Qt::WA_SetPalette);
    Attach();
    TSkinControl *box = SkinnerOf(form->Panel);
    ASSERT_NE(box, nullptr);
    const qsizetype count = skinner->Skinners.size();
    box->AttachControl(skinner, data, &skinner->ControlCanvas, true);
    skinner->Attach(data);
    EXPECT_EQ(skinner->Skinners.size(), count);
    EXPECT_EQ(form->Panel->palette().color(QPalette::Window), QColor(Face));
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(Face));

    skinner->Unskin();
    EXPECT_TRUE(skinner->Skinners.isEmpty());
    EXPECT_EQ(form->Panel->palette().color(QPalette::Window), panelBefore);
    EXPECT_EQ(form->Panel->testAttribute(Qt::WA_SetPalette), ownBefore);
    EXPECT_EQ(form->palette().color(QPalette::Window), formBefore);
    EXPECT_EQ(form->Combo->style(), qApp->style());
    EXPECT_EQ(form->List->verticalScrollBar()->style(), qApp->style());
    EXPECT_EQ(form->Spin->style(), qApp->style());
    EXPECT_EQ(form->Slider->style(), qApp->style());
}

TEST_F(SkinnedForm, ControlsWorkOnAfterTheSkinIsGone)
{
    ShowAndAttach();
    // Open the list once while skinned, so it is made with the skin's style.
    form->Combo->showPopup();
    ASSERT_TRUE(WaitFor([&] { return form->Combo->view()->isVisible(); }));
    form->Combo->hidePopup();
    skinner->Unskin();
    QTest::mouseClick(form->Combo, Qt::LeftButton, {}, form->Combo->rect().center());
    ASSERT_TRUE(WaitFor([&] { return form->Combo->view()->isVisible(); }));
    QTest::keyClick(form->Combo->view(), Qt::Key_Down);
    QTest::keyClick(form->Combo->view(), Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return !form->Combo->view()->isVisible(); }));
    EXPECT_EQ(form->Combo->currentIndex(), 1);
    form->Spin->stepUp();
    form->ScrollBar->setValue(30);
    form->grab();
}

TEST_F(SkinnedForm, APushButtonShowsTheFrameOfItsState)
{
    ShowAndAttach();
    QPushButton *b = form->Button1;
    form->Edit->setFocus();
    ASSERT_TRUE(WaitFor([&] { return form->Edit->hasFocus(); }));
    const auto frame = [&](int n) { return Hex(FrameColour(ButtonBase, n)); };
    EXPECT_EQ(Hex(PixelOf(b, {1, 1})), frame(1)) << "at rest";

    b->setDefault(true);
    EXPECT_EQ(Hex(PixelOf(b, {1, 1})), frame(5)) << "default";
    b->setFocus();
    ASSERT_TRUE(WaitFor([&] { return b->hasFocus(); }));
    EXPECT_EQ(Hex(PixelOf(b, {1, 1})), frame(4)) << "default with the focus";
    b->setDefault(false);
    form->Button2->setFocus();

    MoveTo(b, {10, 10});
    ASSERT_TRUE(WaitFor([&] { return Hex(PixelOf(b, {1, 1})) == frame(4); })) << "hot";
    QSignalSpy clicked(b, &QPushButton::clicked);
    QTest::mousePress(b, Qt::LeftButton, {}, {10, 10});
    EXPECT_EQ(Hex(PixelOf(b, {1, 1})), frame(2)) << "pressed";
    EXPECT_TRUE(b->hasFocus());
    QTest::mouseRelease(b, Qt::LeftButton, {}, {10, 10});
    EXPECT_EQ(clicked.count(), 1);

    // A right click neither presses nor clicks it.
    QTest::mouseClick(b, Qt::RightButton, {}, {10, 10});
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(Hex(PixelOf(b, {1, 1})), frame(4));

    // Let go outside, the press is cancelled.
    QTest::mousePress(b, Qt::LeftButton, {}, {10, 10});
    QTest::mouseRelease(b, Qt::LeftButton, {}, {200, 10});
    EXPECT_EQ(clicked.count(), 1);

    // Space presses it and clicks it, once.
    QTest::keyPress(b, Qt::Key_Space);
    EXPECT_EQ(Hex(PixelOf(b, {1, 1})), frame(2)) << "space held";
    QTest::keyRelease(b, Qt::Key_Space);
    EXPECT_EQ(clicked.count(), 2);

    b->setEnabled(false);
    EXPECT_EQ(Hex(PixelOf(b, {1, 1})), frame(3)) << "disabled";
}

TEST_F(SkinnedForm, HotPassesFromOneButtonToTheNext)
{
    ShowAndAttach();
    QPushButton *a = form->Button1, *b = form->Button2;
    form->Edit->setFocus();
    ASSERT_TRUE(WaitFor([&] { return form->Edit->hasFocus(); }));
    const std::string rest = Hex(FrameColour(ButtonBase, 1)), hot = Hex(FrameColour(ButtonBase, 4));
    MoveTo(a, {10, 10});
    ASSERT_TRUE(WaitFor([&] { return skinner->HotControl == SkinnerOf(a); }));
    MoveTo(b, {10, 10});
    ASSERT_TRUE(WaitFor([&] { return skinner->HotControl == SkinnerOf(b); }));
    EXPECT_EQ(Hex(PixelOf(a, {1, 1})), rest);
    EXPECT_EQ(Hex(PixelOf(b, {1, 1})), hot);
}

TEST_F(SkinnedForm, AButtonDeletedWhileHotIsNeverTouchedAgain)
{
    ShowAndAttach();
    MoveTo(form->Button1, {10, 10});
    ASSERT_TRUE(WaitFor([&] { return skinner->HotControl == SkinnerOf(form->Button1); }));
    delete form->Button1;
    EXPECT_EQ(skinner->HotControl, nullptr);
    MoveTo(form->Button2, {10, 10});
    ASSERT_TRUE(WaitFor([&] { return skinner->HotControl == SkinnerOf(form->Button2); }));
    skinner->HoverTimerTick();
    EXPECT_EQ(Hex(PixelOf(form->Button2, {1, 1})), Hex(FrameColour(ButtonBase, 4)));
}

TEST_F(SkinnedForm, CheckBoxStatesTakeTheirFramesWithinThePicture)
{
    ShowAndAttach();
    QCheckBox *c = form->Check;
    const QPoint mark(2 + 6, (c->height() - 13) / 2 + 6);
    const struct {
        Qt::CheckState state;
        bool enabled;
        int frame;
    } table[] = {
        {Qt::Unchecked, true, 1},
        {Qt::Checked, true, 2},
        {Qt::Unchecked, false, 3},
        {Qt::Checked, false, 4},
        {Qt::PartiallyChecked, true, 4},
        // Greyed and disabled asks for frame 6 of a picture of 4.
        {Qt::PartiallyChecked, false, 4},
    };
    c->setTristate(true);
    for (const auto &row : table) {
        c->setCheckState(row.state);
        c->setEnabled(row.enabled);
        EXPECT_EQ(Hex(PixelOf(c, mark)), Hex(FrameColour(CheckBase, row.frame))) << row.state << row.enabled;
    }
    // A click checks it and the picture follows at once.
    c->setEnabled(true);
    c->setCheckState(Qt::Unchecked);
    c->setTristate(false);
    QTest::mouseClick(c, Qt::LeftButton, {}, mark);
    EXPECT_TRUE(c->isChecked());
    EXPECT_EQ(Hex(PixelOf(c, mark)), Hex(FrameColour(CheckBase, 2)));
}

TEST_F(SkinnedForm, ALeftHandComboBoxDrawsItsButtonMirrored)
{
    form->Combo->setLayoutDirection(Qt::RightToLeft);
    ShowAndAttach();
    auto *combo = static_cast<TSkinComBox *>(SkinnerOf(form->Combo));
    ASSERT_NE(combo, nullptr);
    const QRect button = combo->ButtonRect(form->Combo->rect());
    EXPECT_EQ(button.left(), 2);
    EXPECT_EQ(Hex(PixelOf(form->Combo, {button.left() + 1, button.top() + 1})), Hex(ComboRight(1)));
    EXPECT_EQ(Hex(PixelOf(form->Combo, {button.right() - 1, button.top() + 1})), Hex(ComboLeft(1)));
    // The style places the list's button where the skin draws it.
    QStyleOptionComboBox option;
    option.initFrom(form->Combo);
    EXPECT_EQ(form->Combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, form->Combo),
              button);

    form->Combo->setLayoutDirection(Qt::LeftToRight);
    const QRect right = combo->ButtonRect(form->Combo->rect());
    EXPECT_EQ(Hex(PixelOf(form->Combo, {right.left() + 1, right.top() + 1})), Hex(ComboLeft(1)));

    // A click on the button opens the list; Escape closes it and the button
    // is no longer drawn pressed.
    QTest::mouseClick(form->Combo, Qt::LeftButton, {}, right.center());
    ASSERT_TRUE(WaitFor([&] { return form->Combo->view()->isVisible(); }));
    QTest::keyClick(form->Combo->view(), Qt::Key_Escape);
    ASSERT_TRUE(WaitFor([&] { return !form->Combo->view()->isVisible(); }));
    EXPECT_NE(combo->ButtonFrame(), 2);
    EXPECT_EQ(form->Combo->currentIndex(), 0);
}

TEST_F(SkinnedForm, StatusPanelsAndTheGroupBoxAreDrawnFromTheSkin)
{
    ShowAndAttach();
    const std::string lowered = Hex(FrameColour(StatusBase, 1));
    const QRect p0 = form->Panel0->geometry();
    EXPECT_EQ(Hex(PixelOf(form->Status, p0.topLeft() + QPoint(1, 1))), lowered);
    // The last panel reaches the bar's right edge.
    EXPECT_EQ(Hex(PixelOf(form->Status, {form->Status->width() - 2, form->Panel1->y() + 1})), lowered);
    // A panel's own paint shows its part of the bar.
    EXPECT_EQ(Hex(PixelOf(form->Panel1, {1, 1})), Hex(PixelOf(form->Status, form->Panel1->pos() + QPoint(1, 1))));

    QGroupBox *g = form->Group;
    const int top = QFontMetrics(g->font()).height() / 2 - 1;
    const QColor shadow = ResolveColor(data->Skin.ButtonShadowColor);
    EXPECT_EQ(Hex(PixelOf(g, {g->width() / 2, top})), Hex(shadow.rgb()));
    EXPECT_EQ(Hex(PixelOf(g, {g->width() / 2, top + 8})), Hex(Face));
}

// The first column of an area that holds a pixel other than the area's
// background (its top-left pixel); -1 when there is none.
int FirstInkColumn(const QImage &picture, const QRect &area)
{
    const QRgb background = picture.pixel(area.topLeft());
    for (int x = area.left(); x <= area.right(); ++x)
        for (int y = area.top(); y <= area.bottom(); ++y)
            if (picture.pixel(x, y) != background)
                return x;
    return -1;
}

TEST_F(SkinnedForm, AStatusMessageLeavesThePermanentPanelShowingItsWholeText)
{
    auto *permanent = new QLabel("Permanent");
    form->Status->addPermanentWidget(permanent);
    // Where the label draws its text by itself.
    permanent->adjustSize();
    const int ownText = FirstInkColumn(permanent->grab().toImage(), permanent->rect().adjusted(0, 2, 0, -2));
    ASSERT_GE(ownText, 0);
    ShowAndAttach();
    form->Status->showMessage("Saved");
    ASSERT_TRUE(WaitFor([&] { return !form->Panel0->isVisible(); }));
    ASSERT_TRUE(permanent->isVisible());

    const QImage bar = form->Status->grab().toImage();
    const QRect label = permanent->geometry();
    const QRgb text = qRgb(1, 2, 3);
    int inks = 0, messageInks = 0;
    for (int y = 0; y < bar.height(); ++y)
        for (int x = 0; x < bar.width(); ++x)
            if ((bar.pixel(x, y) | 0xFF000000u) == text)
                ++(label.contains(x, y) ? inks : messageInks);
    EXPECT_GT(inks, 0) << "the permanent panel's text";
    EXPECT_GT(messageInks, 0) << "the message";
    // Its text stands where the label itself puts it, so none is cut off.
    EXPECT_NEAR(FirstInkColumn(bar, label.adjusted(0, 2, 0, -2)) - label.left(), ownText, 1);
    // The label shows its part of the bar.
    EXPECT_EQ(Hex(PixelOf(permanent, {1, 1})), Hex(bar.pixel(label.topLeft() + QPoint(1, 1))));
}

TEST(ScrollGeometry, ThumbFollowsRangePageAndValueWithoutDividingByZero)
{
    const struct {
        int length, min, max, page, value;
        int thumbPos, thumbLength;
        bool draggable;
    } table[] = {
        {200, 0, 100, 20, 0, 0, 28, true},
        {200, 0, 100, 20, 50, 70, 28, true},
        {200, 0, 100, 20, 100, 140, 28, true},
        {200, 0, 100, 0, 50, 76, 16, true}, // no page: a thumb of one arrow
        {200, 0, 100, 1, 0, 0, 8, true},    // never below 8 pixels
        {200, 0, 0, 20, 0, 0, 167, false},  // the page covers all: at 0
        {200, 10, 10, 0, 10, 0, 0, false},  // nothing to scroll
        {30, 0, 100, 20, 50, 0, 0, false},  // no track at all
        {40, 0, 100, 20, 50, 0, 8, false},  // a track no longer than the thumb
        {200, 0, 2000000000, 1000, 2000000000, 160, 8, true},
    };
    for (const auto &row : table) {
        const TScrollGeometry g = ScrollGeometry(row.length, 16, row.min, row.max, row.page, row.value);
        EXPECT_EQ(g.ThumbPos, row.thumbPos) << row.length << " " << row.max << " " << row.page << " " << row.value;
        EXPECT_EQ(g.ThumbLength, row.thumbLength) << row.length << " " << row.max << " " << row.page;
        EXPECT_EQ(g.Draggable, row.draggable) << row.length << " " << row.max << " " << row.page;
    }
    const TScrollGeometry g = ScrollGeometry(200, 16, 0, 100, 20, 50);
    const int parts[][2] = {{0, 0}, {15, 0}, {16, 2}, {86, 5}, {113, 5}, {114, 3}, {184, 1}, {199, 1}, {200, -1}};
    for (const auto &part : parts)
        EXPECT_EQ(ScrollHitTest(g, part[0]), part[1]) << part[0];
}

TEST_F(SkinnedForm, ScrollThumbsStandWhereTheBarsValuesPutThem)
{
    ShowAndAttach();
    QScrollBar *bar = form->ScrollBar;
    const std::string thumb = Hex(FrameColour(ThumbBase, 1)), track = Hex(FrameColour(TrackBase, 1));
    const struct {
        int value, thumbStart;
    } table[] = {{0, 16}, {50, 16 + 70}, {100, 16 + 140}};
    for (const auto &row : table) {
        bar->setValue(row.value);
        const QImage image = bar->grab().toImage();
        EXPECT_EQ(Hex(image.pixel(row.thumbStart + 1, 8)), thumb) << row.value;
        EXPECT_EQ(Hex(image.pixel(row.thumbStart + 26, 8)), thumb) << row.value;
        if (row.thumbStart > 16) {
            EXPECT_EQ(Hex(image.pixel(row.thumbStart - 1, 8)), track) << row.value;
        }
    }
    EXPECT_EQ(Hex(bar->grab().toImage().pixel(2, 8)), Hex(FrameColour(ScrollBase, 1)));

    // A press on the thumb grabs it, drawn in its second frame; the drag
    // ends when the bar hides even though no release came.
    bar->setValue(0);
    auto *skin = static_cast<TSkinScrollbar *>(SkinnerOf(bar));
    QTest::mousePress(bar, Qt::LeftButton, {}, {30, 8});
    EXPECT_EQ(skin->HotPart, 5);
    EXPECT_TRUE(bar->isSliderDown());
    EXPECT_EQ(Hex(bar->grab().toImage().pixel(17, 8)), Hex(FrameColour(ThumbBase, 2)));
    QMouseEvent drag(QEvent::MouseMove, QPointF(100, 8), bar->mapToGlobal(QPointF(100, 8)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &drag);
    EXPECT_GT(bar->value(), 0);
    bar->hide();
    EXPECT_EQ(skin->HotPart, 0);
    bar->show();
    QTest::mouseRelease(bar, Qt::LeftButton, {}, {100, 8});
    // Or when it loses the mouse.
    bar->setValue(0);
    QTest::mousePress(bar, Qt::LeftButton, {}, {30, 8});
    ASSERT_EQ(skin->HotPart, 5);
    // The release goes to another widget: the bar no longer holds the mouse.
    QTest::mouseRelease(form->Edit, Qt::LeftButton, {}, {5, 5});
    bar->grab();
    EXPECT_EQ(skin->HotPart, 0);
    // The left arrow, pressed, shows its pressed frame while held.
    bar->setValue(50);
    const int before = bar->value();
    QTest::mousePress(bar, Qt::LeftButton, {}, {4, 8});
    EXPECT_EQ(skin->HotPart, 1);
    EXPECT_LT(bar->value(), before);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, {4, 8});
    EXPECT_EQ(skin->HotPart, 0);
}

TEST_F(SkinnedForm, SpinBoxButtonsAnswerWhereTheSkinDrawsThem)
{
    ShowAndAttach();
    QSpinBox *spin = form->Spin;
    spin->setRange(0, 10);
    spin->setValue(5);
    TSkinUpDown *upDown = nullptr;
    for (const QPointer<TSkinControl> &s : skinner->Skinners)
        if (auto *u = qobject_cast<TSkinUpDown *>(s.data()); u && u->Handle == spin)
            upDown = u;
    ASSERT_NE(upDown, nullptr);
    const QRect area = upDown->ButtonArea();
    EXPECT_EQ(area.right(), spin->width() - 2);
    QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(area.center().x(), area.top() + 2));
    EXPECT_EQ(spin->value(), 6);
    QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(area.center().x(), area.bottom() - 2));
    QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(area.center().x(), area.bottom() - 2));
    EXPECT_EQ(spin->value(), 4);
    // Left of the buttons is the edit: a click there steps nothing.
    QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(area.left() - 3, area.top() + 2));
    EXPECT_EQ(spin->value(), 4);
}

TEST_F(SkinnedForm, TabsAreDrawnFromTheSkinOnEverySide)
{
    for (QTabWidget::TabPosition side : {QTabWidget::North, QTabWidget::West, QTabWidget::South}) {
        delete skinner.data();
        form = std::make_unique<TControlForm>();
        form->Tabs->setTabPosition(side);
        form->Tabs->resize(200, 180);
        ShowAndAttach();
        QTabBar *bar = form->Tabs->tabBar();
        const QImage strip = bar->grab().toImage();
        EXPECT_EQ(Hex(strip.pixel(bar->tabRect(0).topLeft() + QPoint(1, 1))), Hex(FrameColour(TabBase, 2))) << side;
        EXPECT_EQ(Hex(strip.pixel(bar->tabRect(1).topLeft() + QPoint(1, 1))), Hex(FrameColour(TabBase, 1))) << side;
        // The page within the skin's border is face colour.
        QWidget *page = form->Tabs->currentWidget();
        EXPECT_EQ(Hex(PixelOf(form->Tabs, page->mapTo(form->Tabs, page->rect().center()))), Hex(Face)) << side;
    }
}

TEST_F(SkinnedForm, ATabBarsTabIsDrawnWhereItTakesItsClicks)
{
    QTabBar *bar = form->TabBar;
    bar->addTab("Third");
    bar->addTab("Fourth one");
    bar->resize(330, bar->height());
    ShowAndAttach();
    ASSERT_LE(bar->tabRect(bar->count() - 1).right(), bar->width());
    // Clicked on the tab drawn there, each tab in turn is the one drawn
    // selected, across the whole of the place the bar gives it.
    for (int i = bar->count() - 1; i >= 0; --i) {
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
        ASSERT_EQ(bar->currentIndex(), i);
        const QImage picture = bar->grab().toImage();
        for (int j = 0; j < bar->count(); ++j) {
            const QRect r = bar->tabRect(j);
            const std::string frame = Hex(FrameColour(TabBase, j == i ? 2 : 1));
            EXPECT_EQ(Hex(picture.pixel(r.left() + 1, r.top() + 1)), frame) << "selected " << i << ", tab " << j;
            EXPECT_EQ(Hex(picture.pixel(r.right() - 1, r.top() + 1)), frame) << "selected " << i << ", tab " << j;
        }
    }
}

TEST_F(SkinnedForm, TabScrollButtonsAreTheHalvesOfAnUpDown)
{
    for (int i = 0; i < 8; ++i) {
        form->Tabs->addTab(new QWidget, QString("Tab number %1").arg(i));
        form->TabBar->addTab(QString("Tab number %1").arg(i));
    }
    ShowAndAttach();
    const auto frame = [](int n) { return Hex(FrameColour(UpDownBase, n)); };
    for (QTabBar *bar : {form->Tabs->tabBar(), form->TabBar}) {
        auto *left = bar->findChild<QToolButton *>("ScrollLeftButton");
        auto *right = bar->findChild<QToolButton *>("ScrollRightButton");
        ASSERT_TRUE(left && right);
        ASSERT_TRUE(WaitFor([&] { return left->isVisible() && right->isVisible(); }));
        const QPoint inside(2, 2);
        // At the start the bar cannot scroll back: that arrow is drawn
        // disabled, the other at rest.
        EXPECT_EQ(Hex(PixelOf(left, inside)), frame(3));
        EXPECT_EQ(Hex(PixelOf(right, inside)), frame(1 + 4));
        QTest::mousePress(right, Qt::LeftButton, {}, right->rect().center());
        EXPECT_EQ(Hex(PixelOf(right, inside)), frame(2 + 4)) << "pressed";
        QTest::mouseRelease(right, Qt::LeftButton, {}, right->rect().center());
        // The click scrolled the tabs: the way back opens.
        ASSERT_TRUE(WaitFor([&] { return left->isEnabled(); }));
        EXPECT_EQ(Hex(PixelOf(left, inside)), frame(1));
        EXPECT_EQ(Hex(PixelOf(right, inside)), frame(1 + 4));
    }
}

TEST_F(SkinnedForm, AGridsHeadersAndCornerTakeTheSkinsColoursAndGiveThemBack)
{
    QTableWidget *table = form->Table;
    QHeaderView *top = table->horizontalHeader();
    QHeaderView *side = table->verticalHeader();
    auto *corner = table->findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(corner, nullptr);
    const QColor before = top->palette().color(QPalette::Button);
    const bool ownBefore = top->testAttribute(Qt::WA_SetPalette);
    ShowAndAttach();
    for (QHeaderView *header : {top, side})
        EXPECT_GE(StrongestContrast(header->grab().toImage(), SectionInside(header)), Readable)
            << header->orientation();
    // The corner is shaded from the skin's face.
    const QRgb middle = PixelOf(corner, corner->rect().center());
    EXPECT_TRUE(ShadedFrom(middle, Face)) << Hex(middle);

    skinner->Unskin();
    for (QWidget *part : {static_cast<QWidget *>(top), static_cast<QWidget *>(side), static_cast<QWidget *>(corner)}) {
        EXPECT_EQ(part->palette().color(QPalette::Button), before) << part->metaObject()->className();
        EXPECT_EQ(part->testAttribute(Qt::WA_SetPalette), ownBefore) << part->metaObject()->className();
    }
}

TEST_F(SkinnedForm, AComboBoxsOwnFieldKeepsItsOwnTextColour)
{
    form->Combo->setCurrentIndex(1);
    ShowAndAttach();
    auto *combo = static_cast<TSkinComBox *>(SkinnerOf(form->Combo));
    ASSERT_NE(combo, nullptr);
    const QImage picture = form->Combo->grab().toImage();
    EXPECT_GE(StrongestContrast(picture, combo->EditRect(form->Combo->rect())), Readable);
    skinner->Unskin();
    EXPECT_FALSE(form->Combo->testAttribute(Qt::WA_SetPalette));
}

TEST_F(SkinnedForm, HeaderSectionsShowTheFaceForTheKeyColourAndTheSkinsText)
{
    ShowAndAttach();
    QWidget *header = form->Tree->header()->viewport();
    const QImage picture = header->grab().toImage();
    bool key = false, text = false;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb pixel = picture.pixel(x, y) | 0xFF000000u;
            key = key || pixel == qRgb(255, 0, 255);
            text = text || pixel == HeaderText;
        }
    EXPECT_FALSE(key);
    EXPECT_TRUE(text);
    EXPECT_EQ(Hex(picture.pixel(0, 0)), Hex(Face));
}

TEST_F(SkinnedForm, AToolBarIsFlatAndItsButtonsShowTheSkinsFaceByTheirState)
{
    TSkinManage &manager = Manager();
    manager.InstallHook();
    auto *d = StoredComponent(nullptr, TSkinData::sfMainform, true, ControlSkinPackage());
    TToolBarForm window;
    ASSERT_TRUE(window.Plain && window.Chosen);
    ASSERT_TRUE(ShowActive(&window));
    ASSERT_TRUE(WaitFor([&] { return manager.FindSkinner(&window) != nullptr; }));
    TRuzOzodOvez *s = manager.FindSkinner(&window);
    ASSERT_TRUE(WaitFor([&] { return s->State == TRuzOzodOvez::StateSkinned; }));

    QToolButton *plain = window.Plain;
    const auto frame = [](int n) { return Hex(FrameColour(ButtonBase, n)); };
    const QPoint inside(3, 3);
    QToolBar *bar = window.Bar;
    const QPoint empty(bar->width() - 4, bar->height() / 2);
    EXPECT_TRUE(ShadedFrom(PixelOf(bar, empty), Face)) << "the bar";
    EXPECT_EQ(Hex(PixelOf(plain, inside)), Hex(Face)) << "at rest, flat";
    EXPECT_EQ(Hex(PixelOf(window.Chosen, inside)), frame(1)) << "the default one at rest";
    // Its text, on the bar's face, is the skin's and stands out.
    EXPECT_GE(StrongestContrast(plain->grab().toImage(), plain->rect()), Readable);

    QTest::mouseMove(plain, plain->rect().center());
    ASSERT_TRUE(WaitFor([&] { return plain->underMouse(); }));
    EXPECT_EQ(Hex(PixelOf(plain, inside)), frame(4)) << "hot";
    QSignalSpy clicked(plain, &QToolButton::clicked);
    QTest::mousePress(plain, Qt::LeftButton, {}, plain->rect().center());
    EXPECT_EQ(Hex(PixelOf(plain, inside)), frame(2)) << "pressed";
    QTest::mouseRelease(plain, Qt::LeftButton, {}, plain->rect().center());
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_TRUE(s->MenuStyle->IsOwnerDrawn(window.Menu)) << "a button's menu";

    // Unskinned, the bar and its buttons draw themselves again.
    s->Unskin();
    EXPECT_EQ(plain->style(), qApp->style());
    EXPECT_FALSE(ShadedFrom(PixelOf(bar, empty), Face));
    delete d;
}

TEST_F(SkinnedForm, ProgressWithoutAChunkPictureDrawsNoChunks)
{
    ShowAndAttach();
    ASSERT_TRUE(data->Skin.Progress->Image2.isNull());
    const QImage image = form->Progress->grab().toImage();
    // The bar's picture is drawn whole, as one frame, and nothing over it.
    EXPECT_EQ(Hex(image.pixel(form->Progress->width() - 2, 8)), Hex(FrameColour(ExtraBase, 2)));
    EXPECT_EQ(Hex(image.pixel(2, 8)), Hex(FrameColour(ExtraBase, 1)));
}

// A button that counts what reaches it, and a skinner that counts its paints.
class CountingButton : public QPushButton {
public:
    using QPushButton::QPushButton;
    int switches = 0;

protected:
    bool event(QEvent *e) override
    {
        if (int(e->type()) == SkinMsgControl)
            ++switches;
        return QPushButton::event(e);
    }
};

class CountingSkinner : public TSkinButton {
public:
    using TSkinButton::TSkinButton;
    int draws = 0;
    void Draw(QPainter &dc, const QRect &rect) override
    {
        ++draws;
        TSkinButton::Draw(dc, rect);
    }
};

TEST_F(SkinnedForm, SwitchingOneControlsSkinOffAndOnAgain)
{
    auto *button = new CountingButton(form.get());
    button->setGeometry(200, 200, 80, 24);
    data->OnSkinControl = [&](TSkinData *, TSkinData *, QWidget *, QWidget *control, const QString &, QObject *&made) {
        if (control == button)
            made = new CountingSkinner(control);
    };
    ShowAndAttach();
    auto *s = static_cast<CountingSkinner *>(SkinnerOf(button));
    ASSERT_NE(s, nullptr);
    const std::string skinned = Hex(FrameColour(ButtonBase, 1));
    EXPECT_EQ(Hex(PixelOf(button, {1, 1})), skinned);

    SendControlMessage(button, SkinMsgControl, 0);
    EXPECT_EQ(button->switches, 1);
    EXPECT_FALSE(s->SkinActive);
    EXPECT_NE(Hex(PixelOf(button, {1, 1})), skinned);

    const int draws = s->draws;
    SendControlMessage(button, SkinMsgControl, 1);
    EXPECT_EQ(button->switches, 1) << "the switch on never reaches the control";
    EXPECT_TRUE(s->SkinActive);
    EXPECT_GT(s->draws, draws) << "repainted at once";
    EXPECT_EQ(Hex(PixelOf(button, {1, 1})), skinned);
}

TEST_F(SkinnedForm, ASkinnedFormClosesAndGoesCleanly)
{
    TSkinManage &manager = Manager();
    manager.InstallHook();
    auto *d = StoredComponent(nullptr, TSkinData::sfMainform, true, ControlSkinPackage());
    auto *f = new TControlForm;
    f->setAttribute(Qt::WA_DeleteOnClose);
    const QPointer<TControlForm> guard(f);
    ASSERT_TRUE(ShowActive(f));
    ASSERT_TRUE(WaitFor([&] { return manager.FindSkinner(f) != nullptr; }));
    const QPointer<TRuzOzodOvez> s = manager.FindSkinner(f);
    // The skin draws the frame: skinned at the window's first layout.
    ASSERT_TRUE(WaitFor([&] { return s->State == TRuzOzodOvez::StateSkinned; }));
    EXPECT_EQ(SendSkinMessage(f, SkinMsgQuery), 1);
    EXPECT_FALSE(s->Skinners.isEmpty());
    MoveTo(f->Button1, {5, 5});
    f->close();
    ASSERT_TRUE(WaitFor([&] { return guard.isNull(); }));
    ASSERT_TRUE(WaitFor([&] { return s.isNull(); }));
    manager.PurgeSkinners();
    EXPECT_EQ(manager.FindSkinner(f), nullptr);
    delete d;
}

TEST_F(SkinnedForm, AMessageBoxButtonIsSkinnedAndStillAnswers)
{
    TSkinManage &manager = Manager();
    manager.InstallHook();
    auto *d = StoredComponent(nullptr, TSkinData::sfMainform, true, ControlSkinPackage());
    QMessageBox box(QMessageBox::Question, "Question", "Go on?", QMessageBox::Yes | QMessageBox::No);
    box.show();
    box.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    ASSERT_TRUE(WaitFor([&] { return manager.FindSkinner(&box) != nullptr; }));
    TRuzOzodOvez *s = manager.FindSkinner(&box);
    EXPECT_EQ(s->Form, nullptr);
    EXPECT_EQ(s->FrameKind, TRuzOzodOvez::fkDialog);
    auto *no = static_cast<QPushButton *>(box.button(QMessageBox::No));
    TSkinControl *buttonSkinner = s->FindSkinner(no);
    ASSERT_NE(buttonSkinner, nullptr);
    EXPECT_STREQ(buttonSkinner->metaObject()->className(), "skin::TSkinButton");
    EXPECT_EQ(Hex(PixelOf(no, {1, 1})), Hex(FrameColour(ButtonBase, no->isDefault() ? 5 : 1)));
    QTest::mouseClick(no, Qt::LeftButton, {}, {5, 5});
    ASSERT_TRUE(WaitFor([&] { return !box.isVisible(); }));
    EXPECT_EQ(box.result(), QMessageBox::No);
    delete d;
}

TEST_F(SkinnedForm, AStandardFileDialogIsSkinnedTypedInAndCancelled)
{
    TSkinManage &manager = Manager();
    manager.InstallHook();
    auto *d = StoredComponent(nullptr, TSkinData::sfMainform, true, ControlSkinPackage());
    QFileDialog dialog(nullptr, "Picture", QDir::tempPath(), "Pictures (*.bmp *.jpg)");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    ASSERT_TRUE(WaitFor([&] { return manager.FindSkinner(&dialog) != nullptr; }));
    TRuzOzodOvez *s = manager.FindSkinner(&dialog);
    EXPECT_EQ(s->Form, nullptr);
    EXPECT_FALSE(s->Skinners.isEmpty());
    auto *name = dialog.findChild<QLineEdit *>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    EXPECT_NE(s->FindSkinner(name), nullptr);
    QTest::keyClicks(name, "nothing-here.bmp");
    EXPECT_EQ(name->text(), "nothing-here.bmp");
    dialog.grab();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    ASSERT_TRUE(WaitFor([&] { return !dialog.isVisible(); }));
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    delete d;
}

TEST_F(SkinnedForm, TheHeadersOfAForeignWindowsItemViewsTakeTheSkinsColoursAndGetTheirOwnBack)
{
    TSkinManage &manager = Manager();
    manager.InstallHook();
    auto *d = StoredComponent(nullptr, TSkinData::sfMainform, true, ControlSkinPackage());
    // Qt's file dialog with its list of files in detail, and a dialog
    // holding a table.
    QFileDialog files(nullptr, "Picture", QDir::tempPath());
    files.setOption(QFileDialog::DontUseNativeDialog);
    files.setViewMode(QFileDialog::Detail);
    QDialog tableDialog;
    tableDialog.resize(240, 140);
    auto *table = new QTableWidget(2, 2, &tableDialog);
    table->setHorizontalHeaderLabels({"Name", "Size"});
    table->setGeometry(10, 10, 220, 120);
    const struct {
        QDialog *window;
        QAbstractItemView *view;
    } rows[] = {{&files, files.findChild<QTreeView *>("treeView")}, {&tableDialog, table}};
    struct TBefore {
        QPointer<QWidget> part;
        QColor button;
        bool own;
    };
    std::vector<TBefore> before;
    for (const auto &row : rows) {
        ASSERT_NE(row.view, nullptr) << row.window->metaObject()->className();
        for (QWidget *part : row.view->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (qobject_cast<QHeaderView *>(part) || qobject_cast<QAbstractButton *>(part))
                before.push_back(
                    {part, part->palette().color(QPalette::Button), part->testAttribute(Qt::WA_SetPalette)});
        ASSERT_TRUE(ShowActive(row.window));
        ASSERT_TRUE(WaitFor([&] { return manager.FindSkinner(row.window) != nullptr; }));
        for (QHeaderView *header : row.view->findChildren<QHeaderView *>(Qt::FindDirectChildrenOnly)) {
            if (!header->isVisible())
                continue;
            const QImage picture = header->grab().toImage();
            // Every section's text, but for the one whose sort arrow stands
            // out on its own.
            for (int logical = 0; logical < header->count(); ++logical) {
                const QRect inside = SectionInside(header, logical);
                if ((header->isSortIndicatorShown() && header->sortIndicatorSection() == logical) ||
                    !inside.intersects(picture.rect()))
                    continue;
                EXPECT_GE(StrongestContrast(picture, inside), Readable)
                    << row.window->metaObject()->className() << " " << header->orientation() << " " << logical;
            }
        }
    }
    ASSERT_EQ(before.size(), 4u) << "the tree's header, the table's two and its corner";

    d->SetActive(false);
    ASSERT_TRUE(WaitFor([&] { return manager.SkinnedForms.isEmpty(); }));
    for (const TBefore &part : before) {
        ASSERT_FALSE(part.part.isNull());
        EXPECT_EQ(part.part->palette().color(QPalette::Button), part.button) << part.part->metaObject()->className();
        EXPECT_EQ(part.part->testAttribute(Qt::WA_SetPalette), part.own) << part.part->metaObject()->className();
    }
    delete d;
}

TEST(WindowFrame, TheFrameKindFollowsTheStyle)
{
    TTestForm plain;
    QDialog dialog;
    QWidget frameless(nullptr, Qt::FramelessWindowHint);
    QWidget fixed;
    fixed.setFixedSize(100, 100);
    QMessageBox message;
    const struct {
        QWidget *window;
        int kind;
    } table[] = {{&plain, TRuzOzodOvez::fkSizeable},
                 {&dialog, TRuzOzodOvez::fkDialog},
                 {&frameless, TRuzOzodOvez::fkPopup},
                 {&fixed, TRuzOzodOvez::fkFixed},
                 {&message, TRuzOzodOvez::fkDialog}};
    auto *data = StoredComponent(nullptr, TSkinData::sfMainform);
    for (const auto &row : table) {
        TRuzOzodOvez s;
        s.Handle = row.window;
        s.Attach(data);
        EXPECT_EQ(s.FrameKind, row.kind) << row.window->metaObject()->className();
        // The skin draws the frame: the window is skinned at its first layout.
        EXPECT_EQ(s.State, TRuzOzodOvez::StateNew);
    }
    QDialog fixedDialog;
    fixedDialog.setFixedSize(50, 50);
    TRuzOzodOvez s;
    s.Handle = &fixedDialog;
    s.Attach(data);
    EXPECT_EQ(s.FrameKind, TRuzOzodOvez::fkDialog);
    EXPECT_TRUE(s.FrameIcons & TRuzOzodOvez::fiSysMenu);
    ASSERT_NE(s.SysMenuPopup, nullptr);
    QStringList items;
    for (QAction *a : s.SysMenuPopup->actions())
        items << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(items, QStringList({" Restore ", "-", " Close "}));
    EXPECT_EQ(s.SysMenuPopup->property("Tag").toInt(), 33333);
    delete data;
}

} // namespace
