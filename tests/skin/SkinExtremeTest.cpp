// Our skin with the largest and the least 32-bit numbers written into its
// description, a few keys at a time: loading brings every margin, offset
// and frame count into the range the painters can add up, and a window
// with a menu bar and every common control is then skinned, painted and
// its menus measured and drawn. .ci/run runs this under the sanitizers too,
// where any overflow left in a painter stops the test.
#include "SkinMenus.h"
#include "skin/SkinPackage.h"
#include "skin/SkinReader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <limits>

using namespace skin;
using namespace skintest;

namespace {

struct ExtremeCase {
    const char *section;
    QList<const char *> keys;
};

void PrintTo(const ExtremeCase &c, std::ostream *os)
{
    *os << "[" << c.section << "]";
    for (const char *key : c.keys)
        *os << " " << key;
}

// Our description with every key given set to value in its section: the
// line goes first in the section, where the parser finds it before the
// skin's own.
QByteArray DescriptionWith(QByteArray ini, const ExtremeCase &c, qint64 value)
{
    QByteArray lines;
    for (const char *key : c.keys)
        lines += QByteArray(key) + "=" + QByteArray::number(value) + "\r\n";
    const QByteArray header = "[" + QByteArray(c.section) + "]";
    const qsizetype at = ini.toLower().indexOf(header.toLower());
    if (at < 0)
        return ini + "\r\n" + header + "\r\n" + lines;
    const qsizetype lineEnd = ini.indexOf('\n', at);
    return ini.insert(lineEnd + 1, lines);
}

QByteArray OurSkinWith(const ExtremeCase &c, qint64 value)
{
    TSkinReader reader;
    EXPECT_TRUE(reader.LoadPackage(EmbeddedSkinStream().mid(4)));
    QList<TSkinEntry> entries;
    for (const QString &name : reader.Names) {
        QByteArray content;
        reader.ExtractEntry(name, content);
        if (name.endsWith(".ini"))
            content = DescriptionWith(content, c, value);
        entries.append({name.toLatin1(), content});
    }
    return PackSkin(entries);
}

void ExpectSize(int32_t value, const char *what)
{
    EXPECT_GE(value, 0) << what;
    EXPECT_LE(value, MaxSkinExtent) << what;
}

void ExpectOffset(int32_t value, const char *what)
{
    EXPECT_GE(value, -MaxSkinExtent) << what;
    EXPECT_LE(value, MaxSkinExtent) << what;
}

void ExpectInRange(const TDataSkinObject *e)
{
    if (!e)
        return;
    SCOPED_TRACE(e->Name.toStdString());
    ExpectSize(e->LeftWidth, "LeftWidth");
    ExpectSize(e->TopHeight, "TopHeight");
    ExpectSize(e->RightWidth, "RightWidth");
    ExpectSize(e->BottomHeight, "BottomHeight");
    EXPECT_GE(e->FrameCount, 1);
    EXPECT_LE(e->FrameCount, MaxSkinExtent);
}

void ExpectEveryNumberInRange(const TSkin &s)
{
    for (const TDataSkinObject *e : std::initializer_list<const TDataSkinObject *>{s.LeftBorder.get(),
                                                                                   s.RightBorder.get(),
                                                                                   s.TopBorder.get(),
                                                                                   s.BottomBorder.get(),
                                                                                   s.ButtonData.get(),
                                                                                   s.Progress.get(),
                                                                                   s.MenuBar.get(),
                                                                                   s.GroupBoxEdge.get(),
                                                                                   s.GroupBox.get(),
                                                                                   s.Toolbars.get(),
                                                                                   s.Tabs.get(),
                                                                                   s.StatusBarEdges.get(),
                                                                                   s.ComboButton.get(),
                                                                                   s.SunkEdge.get(),
                                                                                   s.ExtraImages.get(),
                                                                                   s.Headerbar.get(),
                                                                                   s.MenuItem.get(),
                                                                                   s.MenuBackground.get(),
                                                                                   s.Scrollbar.get(),
                                                                                   s.HorzScroll.get(),
                                                                                   s.VertScroll.get(),
                                                                                   s.HorzScrollThumb.get(),
                                                                                   s.VertScrollThumb.get(),
                                                                                   s.TrackbarThumbHorz.get(),
                                                                                   s.UpDownHorz.get(),
                                                                                   s.UpDownVert.get()})
        ExpectInRange(e);
    const TDataSkinTitle &t = *s.TitleData;
    ExpectOffset(t.TextShift(), "TextShift");
    ExpectOffset(t.TextShiftVert(), "TextShiftVert");
    ExpectOffset(t.TextRightClip(), "TextRightClip");
    ExpectSize(t.TXTBackleft, "TXTBackleft");
    ExpectSize(t.TXTBackRight, "TXTBackRight");
    ExpectSize(t.FontHeight, "FontHeight");
    EXPECT_GE(s.ButtonData->RadioButtonFrame, 1);
    EXPECT_LE(s.ButtonData->RadioButtonFrame, MaxSkinExtent);
    EXPECT_GE(s.ButtonData->CheckButtonFrame, 1);
    EXPECT_LE(s.ButtonData->CheckButtonFrame, MaxSkinExtent);
    if (s.GroupBox) {
        ExpectOffset(s.GroupBox->BackgroundLeftShift, "BackgroundLeftShift");
        ExpectOffset(s.GroupBox->BackgroundRightShift, "BackgroundRightShift");
    }
    for (const auto &b : s.TitleButtons) {
        SCOPED_TRACE(b->Name.toStdString());
        ExpectOffset(b->XCoord, "Xcoord");
        ExpectOffset(b->YCoord, "Ycoord");
        EXPECT_GE(b->FrameCount, 1);
        EXPECT_LE(b->FrameCount, MaxSkinExtent);
    }
}

// The main window's kind of form with a control of every kind the skin
// draws, a tool bar, a status bar and a popup menu of its own.
void AddEveryControl(TMenuForm &form)
{
    auto *client = new QWidget(&form);
    auto *layout = new QVBoxLayout(client);
    auto *combo = new QComboBox(client);
    combo->addItems({"Major", "Minor"});
    layout->addWidget(combo);
    auto *editable = new QComboBox(client);
    editable->setEditable(true);
    layout->addWidget(editable);
    layout->addWidget(new QCheckBox("Sharps", client));
    layout->addWidget(new QRadioButton("Letters", client));
    layout->addWidget(new QPushButton("Play", client));
    layout->addWidget(new QLineEdit("C major", client));
    auto *progress = new QProgressBar(client);
    progress->setValue(40);
    layout->addWidget(progress);
    layout->addWidget(new QScrollBar(Qt::Horizontal, client));
    layout->addWidget(new QSlider(Qt::Horizontal, client));
    layout->addWidget(new QSpinBox(client));
    auto *group = new QGroupBox("Output", client);
    new QVBoxLayout(group);
    group->layout()->addWidget(new QCheckBox("Stay on top", group));
    layout->addWidget(group);
    auto *tabs = new QTabWidget(client);
    for (const char *name : {"First", "Second", "Third", "Fourth one", "Fifth", "Sixth"})
        tabs->addTab(new QWidget(tabs), name);
    layout->addWidget(tabs);
    auto *table = new QTableWidget(3, 3, client);
    layout->addWidget(table);
    form.setCentralWidget(client);
    QToolBar *tools = form.addToolBar("Tools");
    tools->addAction("Play");
    tools->addAction("Stop");
    form.statusBar()->showMessage("Ready");
    auto *popup = new QMenu(&form);
    popup->setObjectName("GridPopup");
    popup->addAction("Insert a chord");
    popup->addSeparator();
    popup->addAction("Clear")->setShortcut(QKeySequence("Ctrl+Del"));
    form.resize(420, 640);
}

class SkinExtremes : public FreshManager, public testing::WithParamInterface<std::tuple<ExtremeCase, qint64>> {};

TEST_P(SkinExtremes, AreBroughtIntoRangeAsTheSkinLoadsAndPaintWithoutOverflow)
{
    const auto &[c, value] = GetParam();
    TMenuForm form(true);
    AddEveryControl(form);
    TSkinData *data = StoredComponent(&form, TSkinData::sfMainform, true, OurSkinWith(c, value));
    ASSERT_TRUE(data->SkinReady());
    ExpectEveryNumberInRange(data->Skin);

    ASSERT_TRUE(ShowActive(&form));
    TRuzOzodOvez *skinner = Manager().FindSkinner(&form);
    ASSERT_NE(skinner, nullptr);
    ASSERT_TRUE(WaitFor([&] { return skinner->FirstLayoutSeen == 1; }));
    // The frame, the bar, the caption and every control paint.
    EXPECT_FALSE(form.grab().isNull());
    // The bar's menu, a submenu and the form's own popup menu are measured
    // and drawn as they open.
    for (QMenu *menu : {form.Tools, form.More, form.findChild<QMenu *>("GridPopup")}) {
        menu->popup(form.mapToGlobal(QPoint(20, 20)));
        ASSERT_TRUE(WaitFor([&] { return menu->isVisible(); }));
        EXPECT_FALSE(menu->grab().isNull());
        menu->close();
    }
}

const ExtremeCase Cases[] = {
    {"Personality",
     {"TopTopHeight", "TopBotHeight", "BottomTopHeight", "BottomBotHeight", "LeftTopHeight", "LeftBotHeight",
      "RightTopHeight", "RightBotHeight"}},
    {"Personality", {"LeftTopHeight"}},
    {"Personality", {"TopFrame", "BottomFrame", "LeftFrame", "RightFrame"}},
    {"Personality", {"TextShift"}},
    {"Personality", {"TextShiftVert"}},
    {"Personality", {"TextRightClip"}},
    {"Personality", {"TextShift", "TextRightClip"}},
    {"Personality", {"TXTBackleft", "TXTBackRight"}},
    {"Personality", {"TileLeftMenu"}},
    {"Personality", {"TileRightMenu"}},
    {"Fonts", {"FontHeight"}},
    {"ButtonClose", {"Xcoord", "Ycoord"}},
    {"ButtonClose", {"frame"}},
    {"ButtonLamp", {"Xcoord", "Ycoord"}},
    {"Buttons", {"LeftWidth", "RightWidth", "TopHeight", "BottomHeight"}},
    {"Buttons", {"LeftWidth"}},
    {"Buttons", {"RadioButtonFrame", "CheckButtonFrame"}},
    {"MenuItem", {"LeftWidth"}},
    {"MenuItem", {"RightWidth"}},
    {"MenuItem", {"TopHeight", "BottomHeight"}},
    {"MenuBackground", {"LeftWidth", "TopHeight", "RightWidth", "BottomHeight"}},
    {"Progress", {"LeftWidth", "TopHeight", "RightWidth", "BottomHeight"}},
    {"GroupBoxEdge", {"LeftWidth", "TopHeight", "RightWidth", "BottomHeight"}},
    {"GroupBox", {"LeftWidth", "RightWidth", "BackgroundLeftShift", "BackgroundRightShift"}},
    {"Toolbars", {"LeftWidth", "TopHeight", "RightWidth", "BottomHeight"}},
    {"Tabs", {"LeftWidth", "TopHeight", "RightWidth", "BottomHeight"}},
    {"StatusBarEdges", {"LeftWidth", "TopHeight", "RightWidth", "BottomHeight"}},
    {"ComboButton", {"LeftWidth", "TopHeight", "RightWidth", "BottomHeight"}},
    {"SunkEdge", {"LeftWidth", "TopHeight", "RightWidth", "BottomHeight"}},
    {"Headerbar", {"LeftWidth", "TopHeight", "RightWidth", "BottomHeight"}},
    {"Scrollbar", {"LeftWidth", "TopHeight", "RightWidth", "BottomHeight"}},
    {"HorzScroll", {"LeftWidth", "TopHeight", "RightWidth", "BottomHeight"}},
    {"HorzScrollThumb", {"LeftWidth", "RightWidth", "FrameCount"}},
    {"Trackbar.ThumbHorz", {"LeftWidth", "TopHeight", "RightWidth", "BottomHeight"}},
    {"UpDown.Vert", {"LeftWidth", "TopHeight", "RightWidth", "BottomHeight"}},
};

std::string CaseName(const testing::TestParamInfo<std::tuple<ExtremeCase, qint64>> &info)
{
    const auto &[c, value] = info.param;
    std::string name;
    for (const char ch : std::string(c.section) + "_" + QByteArray(c.keys.first()).toStdString())
        name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    name += "_" + std::to_string(info.index);
    return name + (value < 0 ? "_Least" : "_Largest");
}

INSTANTIATE_TEST_SUITE_P(Cases, SkinExtremes,
                         testing::Combine(testing::ValuesIn(Cases),
                                          testing::Values(qint64(std::numeric_limits<int32_t>::max()),
                                                          qint64(std::numeric_limits<int32_t>::min()))),
                         CaseName);

} // namespace
