#pragma once

// A skin whose pictures are frames of plain, distinct colours, so that a
// grabbed control shows by one pixel which frame it was drawn from; and a
// form with one control of each kind.
#include "SkinWindows.h"
#include "skin/RadEzarArov.h"
#include "skin/SkinPacker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <vector>

// The program's dark panel class, as discovery knows it by name.
class TPanel : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
};

namespace skintest {

// Frame n of a strip has colour Frame(base, n).
inline QRgb FrameColour(int base, int frame)
{
    return qRgb(base, 10 * frame, 255 - 10 * frame);
}

constexpr int ButtonBase = 40;
constexpr int CheckBase = 60;
constexpr int RadioBase = 80;
constexpr int SunkBase = 100;
constexpr int StatusBase = 120;
constexpr int ScrollBase = 140;
constexpr int TrackBase = 160;
constexpr int ThumbBase = 180;
constexpr int ExtraBase = 200;
constexpr int TabBase = 220;
constexpr int UpDownBase = 20;
const QRgb Face = qRgb(90, 91, 92);
const QRgb ScrollGround = qRgb(5, 6, 7);
const QRgb HeaderText = qRgb(250, 250, 0);
// The combo button's frames hold two colours side by side, so a mirrored
// button shows.
inline QRgb ComboLeft(int frame)
{
    return qRgb(230, frame * 20, 0);
}
inline QRgb ComboRight(int frame)
{
    return qRgb(0, frame * 20, 230);
}

inline QImage Strip(int base, int frames, int width, int height)
{
    QImage image(width * frames, height, QImage::Format_RGB32);
    for (int f = 0; f < frames; ++f)
        for (int x = 0; x < width; ++x)
            for (int y = 0; y < height; ++y)
                image.setPixel(f * width + x, y, FrameColour(base, f + 1));
    return image;
}

// A strip whose frames have key-coloured corners, as rounded pictures have.
inline QImage CorneredStrip(int base, int frames, int width, int height)
{
    QImage image = Strip(base, frames, width, height);
    for (int f = 0; f < frames; ++f)
        for (const QPoint corner :
             {QPoint(0, 0), QPoint(width - 1, 0), QPoint(0, height - 1), QPoint(width - 1, height - 1)})
            image.setPixel(corner + QPoint(f * width, 0), qRgb(255, 0, 255));
    return image;
}

inline QImage ComboStrip()
{
    QImage image(4 * 20, 20, QImage::Format_RGB32);
    for (int f = 0; f < 4; ++f)
        for (int x = 0; x < 20; ++x)
            for (int y = 0; y < 20; ++y)
                image.setPixel(f * 20 + x, y, x < 10 ? ComboLeft(f + 1) : ComboRight(f + 1));
    return image;
}

// The colour-frame skin. chunk: whether the progress bar's chunk picture
// exists (it names a missing entry otherwise).
inline QByteArray ControlSkinPackage()
{
    const QByteArray ini = "[TitlebarSkin]\r\nSkinName=Frames\r\n"
                           "[Colours]\r\nButtonFace=90 91 92\r\nScrollbar=5 6 7\r\nButtonText=255 255 255\r\n"
                           "[Buttons]\r\nBitmap=buttons.bmp\r\nCheckButton=check.bmp\r\nRadioButton=radio.bmp\r\n"
                           "LeftWidth=2\r\nRightWidth=2\r\nTopHeight=2\r\nBottomHeight=2\r\n"
                           "[SunkEdge]\r\nImage=sunk.bmp\r\nLeftWidth=2\r\nRightWidth=2\r\nTopHeight=2\r\n"
                           "BottomHeight=2\r\n"
                           "[ComboButton]\r\nImage=combo.bmp\r\n"
                           "[ExtraImages]\r\nImage=extra.bmp\r\n"
                           "[StatusBarEdges]\r\nImage=status.bmp\r\nNormalColour2=1 2 3\r\n"
                           "[Scrollbar]\r\nImage=scroll.bmp\r\n"
                           "[HorzScroll]\r\nImage=htrack.bmp\r\n[VertScroll]\r\nImage=vtrack.bmp\r\n"
                           "[HorzScrollThumb]\r\nImage=hthumb.bmp\r\nFrameCount=3\r\n"
                           "[VertScrollThumb]\r\nImage=vthumb.bmp\r\nFrameCount=3\r\n"
                           "[Progress]\r\nBitmap=progress.bmp\r\nStyle=1\r\nChunk=missing.bmp\r\n"
                           "[Tabs]\r\nImage=tabs.bmp\r\nBorder=border.bmp\r\n"
                           "[Headerbar]\r\nImage=header.bmp\r\nNormalColour2=250 250 0\r\n"
                           "[UpDown.Horz]\r\nImage=updownh.bmp\r\n";
    return skin::PackSkin({{"skin.ini", ini},
                           {"buttons.bmp", BmpOf(Strip(ButtonBase, 5, 12, 12))},
                           {"check.bmp", BmpOf(Strip(CheckBase, 4, 13, 13))},
                           {"radio.bmp", BmpOf(Strip(RadioBase, 4, 13, 13))},
                           {"sunk.bmp", BmpOf(Strip(SunkBase, 4, 8, 8))},
                           {"combo.bmp", BmpOf(ComboStrip())},
                           {"extra.bmp", BmpOf(Strip(ExtraBase, 5, 6, 6))},
                           {"status.bmp", BmpOf(Strip(StatusBase, 3, 8, 8))},
                           {"scroll.bmp", BmpOf(Strip(ScrollBase, 23, 16, 16))},
                           {"htrack.bmp", BmpOf(Strip(TrackBase, 4, 16, 16))},
                           {"vtrack.bmp", BmpOf(Strip(TrackBase, 4, 16, 16))},
                           {"hthumb.bmp", BmpOf(Strip(ThumbBase, 3, 16, 16))},
                           {"vthumb.bmp", BmpOf(Strip(ThumbBase, 3, 16, 16))},
                           {"progress.bmp", BmpOf(Strip(ExtraBase, 2, 8, 8))},
                           {"tabs.bmp", BmpOf(Strip(TabBase, 5, 12, 12))},
                           {"border.bmp", BmpOf(Strip(TabBase, 1, 12, 12))},
                           {"header.bmp", BmpOf(CorneredStrip(TabBase, 5, 12, 12))},
                           {"updownh.bmp", BmpOf(Strip(UpDownBase, 8, 8, 8))}});
}

// A form with one control of each kind, laid out by hand.
class TControlForm : public TTestForm {
    Q_OBJECT
public:
    TControlForm() : TTestForm(0)
    {
        resize(640, 480);
        int y = 4;
        const auto place = [&y](QWidget *w, int height, int width = 140) {
            w->setGeometry(4, y, width, height);
            y += height + 4;
        };
        Button1 = new QPushButton(this);
        Button1->setObjectName("Button1");
        place(Button1, 24, 80);
        Button2 = new QPushButton(this);
        Button2->setObjectName("Button2");
        place(Button2, 24, 80);
        Check = new QCheckBox("Check", this);
        place(Check, 20);
        Radio = new QRadioButton("Radio", this);
        place(Radio, 20);
        Combo = new QComboBox(this);
        Combo->addItems({"One", "Two"});
        place(Combo, 24);
        Group = new QGroupBox("Group", this);
        place(Group, 50);
        GroupCheck = new QCheckBox("Inside", Group);
        GroupCheck->setGeometry(8, 20, 100, 20);
        Progress = new QProgressBar(this);
        Progress->setValue(50);
        place(Progress, 16);
        Slider = new QSlider(Qt::Horizontal, this);
        place(Slider, 20);
        Edit = new QLineEdit(this);
        place(Edit, 22);
        Spin = new QSpinBox(this);
        place(Spin, 22);
        ScrollBar = new QScrollBar(Qt::Horizontal, this);
        ScrollBar->setRange(0, 100);
        ScrollBar->setPageStep(20);
        place(ScrollBar, 16, 200);
        List = new QListWidget(this);
        for (int i = 0; i < 40; ++i)
            List->addItem(QString::number(i));
        place(List, 60);
        Label = new QLabel("Label", this);
        place(Label, 16);

        y = 4;
        const auto right = [&y](QWidget *w, int height, int width = 200) {
            w->setGeometry(300, y, width, height);
            y += height + 4;
        };
        Tree = new QTreeWidget(this);
        Tree->setHeaderLabels({"Name", "Value"});
        right(Tree, 60);
        Tabs = new QTabWidget(this);
        Tabs->addTab(new QWidget, "First");
        Tabs->addTab(new QWidget, "Second");
        right(Tabs, 80);
        TabBar = new QTabBar(this);
        TabBar->addTab("A");
        TabBar->addTab("B");
        right(TabBar, 24);
        Tool = new QToolButton(this);
        Tool->setText("Tool");
        right(Tool, 24, 60);
        Panel = new TPanel(this);
        right(Panel, 30);
        Picker = new QDateTimeEdit(this);
        right(Picker, 22);
        PopupPicker = new QDateTimeEdit(this);
        PopupPicker->setCalendarPopup(true);
        right(PopupPicker, 22);
        Text = new QTextEdit(this);
        right(Text, 40);
        Table = new QTableWidget(3, 3, this);
        right(Table, 60);
        Status = new QStatusBar(this);
        Panel0 = new QLabel("P0", Status);
        Panel1 = new QLabel("Panel one", Status);
        Status->addWidget(Panel0);
        Status->addWidget(Panel1, 1);
        Status->setGeometry(0, 456, 640, 24);
    }

    QPushButton *Button1, *Button2;
    QCheckBox *Check, *GroupCheck;
    QRadioButton *Radio;
    QComboBox *Combo;
    QGroupBox *Group;
    QProgressBar *Progress;
    QSlider *Slider;
    QLineEdit *Edit;
    QSpinBox *Spin;
    QScrollBar *ScrollBar;
    QListWidget *List;
    QLabel *Label;
    QTreeWidget *Tree;
    QTabWidget *Tabs;
    QTabBar *TabBar;
    QToolButton *Tool;
    TPanel *Panel;
    QDateTimeEdit *Picker, *PopupPicker;
    QTextEdit *Text;
    QTableWidget *Table;
    QStatusBar *Status;
    QLabel *Panel0, *Panel1;
};

// A main window of ours with a tool bar, whose buttons are its actions'.
class TToolBarForm : public QMainWindow {
    Q_OBJECT
public:
    TToolBarForm()
    {
        resize(400, 200);
        Bar = addToolBar("Tools");
        Plain = ButtonOf(Bar->addAction("Plain"));
        Chosen = ButtonOf(Bar->addAction("Chosen"));
        Chosen->setProperty("default", true);
        QAction *opens = Bar->addAction("Opens");
        Menu = new QMenu(this);
        Menu->addAction("One");
        opens->setMenu(Menu);
        setCentralWidget(new QLabel("Centre"));
    }

    QToolBar *Bar;
    QToolButton *Plain, *Chosen;
    QMenu *Menu;

private:
    QToolButton *ButtonOf(QAction *action) { return qobject_cast<QToolButton *>(Bar->widgetForAction(action)); }
};

} // namespace skintest
