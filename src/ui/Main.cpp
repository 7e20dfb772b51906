#include "ui/Main.h"

#include "midi/MidiOut.h"
#include "midi/ThreadUnit.h"
#include "model/ChordTable.h"
#include "model/Declare.h"
#include "model/Helpers.h"
#include "model/NoteNames.h"
#include "model/ScaleTable.h"
#include "model/Settings.h"
#include "model/Spelling.h"
#include "platform/ErrorHandler.h"
#include "platform/Exception.h"
#include "platform/StartMarks.h"
#include "skin/RadEzarArov.h"
#include "skin/SkinPackage.h"
#include "ui/About.h"
#include "ui/BalloonHint.h"
#include "ui/Colors.h"
#include "ui/Controls.h"
#include "ui/HelpContext.h"
#include "ui/ImgButton.h"
#include "ui/ImgSwitch.h"
#include "ui/Keys.h"
#include "ui/MessageDlg.h"
#include "ui/Midi_Setup.h"
#include "ui/MsgBoxMidi.h"
#include "ui/PanelResources.h"
#include "ui/Pattern.h"
#include "ui/ShapePiano.h"
#include "ui/Staff.h"
#include "ui/analyse.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

#include <array>

uint8_t Clef = 1;

namespace {

// ---------------------------------------------------------------------------
// The window's definition: its controls, menu, keyboard and texts.

constexpr int ClientWidth = 638;
constexpr int DesignedClientHeight = 500;
constexpr int StatusBarHeight = 19;
constexpr int MainHelpContext = 2;

enum class TKind {
    Panel,
    Label,
    Display,
    Picture,
    HiddenPicture,
    Bitmap,
    Combo,
    Group,
    Switch,
    ImageButton,
    List,
    StatusBar
};

struct TPlacement {
    const char *name;
    const char *parent; // "" for the client area
    TKind kind;
    int x, y, width, height; // a width of 0 leaves the control its own size
    const char *text;        // designed caption, if any
};

// Everything below the keyboard (the four switch groups, the play button,
// the compact layout's combo boxes) sits on Panel2 between y 140 and 212.
const TPlacement Placements[] = {
    {"Panel2", "", TKind::Panel, 0, 0, 633, 217, nullptr},
    {"LabelChord", "Panel2", TKind::Display, 8, 9, 617, 20, nullptr},
    {"ImgClavier", "Panel2", TKind::Picture, 9, 32, 616, 105, nullptr},
    {"TntLabel1", "Panel2", TKind::Label, 8, 141, 140, 24, "Harmonova"},
    {"ComboChord", "Panel2", TKind::Combo, 8, 168, 140, 22, nullptr},
    {"ComboScales", "Panel2", TKind::Combo, 8, 168, 140, 22, nullptr},

    {"GroupPlayBack", "Panel2", TKind::Group, 154, 140, 172, 72, "Playback"},
    {"LabelAccord", "GroupPlayBack", TKind::Label, 12, 20, 30, 16, "\u25A0"},
    {"LabelAccordUp", "GroupPlayBack", TKind::Label, 52, 20, 30, 16, "\u25B2"},
    {"LabelAccordDown", "GroupPlayBack", TKind::Label, 92, 20, 30, 16, "\u25BC"},
    {"BtnAccord", "GroupPlayBack", TKind::Switch, 12, 40, 0, 0, nullptr},
    {"BtnAccordUp", "GroupPlayBack", TKind::Switch, 52, 40, 0, 0, nullptr},
    {"BtnAccordDown", "GroupPlayBack", TKind::Switch, 92, 40, 0, 0, nullptr},
    {"BtnListen", "GroupPlayBack", TKind::ImageButton, 130, 25, 0, 0, nullptr},

    {"GroupRenversement", "Panel2", TKind::Group, 332, 140, 108, 72, "Inversions"},
    {"LabelRenversementDown", "GroupRenversement", TKind::Label, 18, 20, 30, 16, "<"},
    {"LabelRenversementUp", "GroupRenversement", TKind::Label, 60, 20, 30, 16, ">"},
    {"RenversementDown", "GroupRenversement", TKind::Switch, 18, 40, 0, 0, nullptr},
    {"RenversementUp", "GroupRenversement", TKind::Switch, 60, 40, 0, 0, nullptr},

    {"GroupAlteration", "Panel2", TKind::Group, 446, 140, 118, 72, "Accidentals"},
    {"Alteration", "GroupAlteration", TKind::Switch, 9, 40, 0, 0, nullptr},

    {"GroupMode", "Panel2", TKind::Group, 570, 140, 56, 72, "Mode"},
    {"SwMode", "GroupMode", TKind::Switch, 13, 40, 0, 0, nullptr},

    {"ImgFond", "", TKind::Bitmap, 224, 224, 409, 257, nullptr},
    {"ImgPartition", "ImgFond", TKind::Picture, 8, 8, 393, 241, nullptr},
    {"ClefDeSol", "ImgFond", TKind::HiddenPicture, 0, 0, 0, 0, nullptr},
    {"clefdefa", "ImgFond", TKind::HiddenPicture, 0, 0, 0, 0, nullptr},
    {"Diese", "ImgFond", TKind::HiddenPicture, 0, 0, 0, 0, nullptr},
    {"Bemol", "ImgFond", TKind::HiddenPicture, 0, 0, 0, 0, nullptr},
    {"Noire", "ImgFond", TKind::HiddenPicture, 0, 0, 0, 0, nullptr},

    {"ChordRoot", "", TKind::List, 2, 224, 55, 257, nullptr},
    {"ChordName", "", TKind::List, 64, 224, 153, 257, nullptr},
    {"Scales", "", TKind::List, 64, 224, 153, 257, nullptr},
    {"StatusBar", "", TKind::StatusBar, 0, 481, ClientWidth, StatusBarHeight, nullptr},
};

// Shown only by the layouts and the mode switch.
const char *const HiddenAtDesign[] = {"ComboChord", "ComboScales", "Scales"};

struct TDesignedHint {
    const char *component;
    const char *hint;
};

const TDesignedHint DesignedHints[] = {
    {"BtnAccord", "Press to play the chord at once, depress to disable playback."},
    {"BtnAccordUp", "Press to play the chord as ascending arpeggio, depress to disable playback."},
    {"BtnAccordDown", "Press to play the chord as descending arpeggio, depress to disable playback."},
    {"BtnListen", "Play the chord"},
    {"SwMode", "Toggles chords and scales mode"},
    {"RenversementDown", "Press to display inverted chord, depress for normal state."},
    {"RenversementUp", "Press to display inverted chord, depress for normal state."},
    {"ImgPartition", "Click to change the clef"},
};

struct TMenuEntry {
    const char *name; // nullptr for a separator
    const char *menu; // nullptr for an entry of the menu bar
    const char *caption;
    void (TFormMain::*click)();
    int picture; // in ImageList1, -1 for none
};

const TMenuEntry MenuEntries[] = {
    {"mnuTools", nullptr, "Tools...", nullptr, -1},
    {"mnuChordanalysis", "mnuTools", "Chord analysis...", &TFormMain::mnuChordanalysisClick, 0},
    {"mnuChordpattern", "mnuTools", "Chord pattern...", &TFormMain::mnuChordpatternClick, 1},
    {"mnuProgressions", "mnuTools", "Progressions...", &TFormMain::mnuProgressionsClick, 2},
    {"mnuPractice", "mnuTools", "Practice...", &TFormMain::mnuPracticeClick, 3},
    {nullptr, "mnuTools", nullptr, nullptr, -1},
    {"Setupmnu", "mnuTools", "Setup...", &TFormMain::SetupmnuClick, 4},
    {"mnuWhat", nullptr, "?", nullptr, -1},
    {"mnuHelp", "mnuWhat", "Help", &TFormMain::mnuHelpClick, 5},
    {nullptr, "mnuWhat", nullptr, nullptr, -1},
    {"mnuAbout", "mnuWhat", "About", &TFormMain::mnuAboutClick, 6},
};

constexpr int MenuPictureSize = 16;

enum class TTextKind { Caption, Hint };

struct TLanguageText {
    const char *component;
    TTextKind kind;
    const char *english;
    const char *french;
};

const TLanguageText LanguageTexts[] = {
    {"mnuTools", TTextKind::Caption, "Tools...", "Outils..."},
    {"mnuAbout", TTextKind::Caption, "About...", "Au sujet de..."},
    {"mnuChordanalysis", TTextKind::Caption, "Chord Analysis...", "Analyse d'accord..."},
    {"mnuChordpattern", TTextKind::Caption, "Chords pattern", "Grille d'accords"},
    {"mnuPractice", TTextKind::Caption, "Practice...", "Entrainement..."},
    {"Setupmnu", TTextKind::Caption, "Setup...", "Configuration..."},
    {"BtnAccord", TTextKind::Hint, "Play the chord", "Jouer l'accord"},
    {"BtnAccordUp", TTextKind::Hint, "Play the notes ascending", "Jouer les notes ascendantes"},
    {"BtnAccordDown", TTextKind::Hint, "Play the notes descending", "Jouer les notes descendantes"},
    {"BtnListen", TTextKind::Hint, "Play the chord", "Jouer l'accord"},
    {"SwMode", TTextKind::Hint, "Toggle between Scale and Chord modes",
     "Cliquez pour basculer entre\r\nle mode Accords et le mode Gammes"},
    {"GroupRenversement", TTextKind::Caption, "Inversions", "Renversements"},
    {"GroupAlteration", TTextKind::Caption, "Accidentals", "Altération"},
    {"GroupPlayBack", TTextKind::Caption, "Playback", "Ecoute"},
    {"RenversementDown", TTextKind::Hint, "Press to display inverted chord,\r\ndepress for normal state.",
     "Appuyez pour montrer en mode renversé,\r\nrelachez pour le mode normal."},
    {"RenversementUp", TTextKind::Hint, "Press to display inverted chord,\r\ndepress for normal state.",
     "Appuyez pour montrer en mode renversé,\r\nrelachez pour le mode normal."},
    {"Alteration", TTextKind::Caption, "Accidentals", "Altérations"},
    {"Alteration", TTextKind::Hint, "Click to change", "Cliquez pour changer"},
    {"ImgPartition", TTextKind::Hint, "Click to change the clef", "Cliquer pour changer de clef"},
};

// The keyboard, octave by octave: left edge and width of the white keys C D
// E F G A B and of the black keys C# D# F# G# A#.
struct TOctaveLayout {
    std::array<int, 7> whiteLeft;
    std::array<int, 7> whiteWidth;
    std::array<int, 5> blackLeft;
    std::array<int, 5> blackWidth;
};

constexpr std::array<TOctaveLayout, 4> Octaves = {{
    {{11, 33, 55, 77, 99, 120, 142}, {20, 20, 20, 20, 20, 20, 20}, {24, 50, 89, 114, 139}, {10, 10, 10, 10, 10}},
    {{164, 186, 208, 230, 252, 274, 296},
     {21, 21, 21, 21, 21, 21, 21},
     {179, 205, 244, 269, 294},
     {10, 10, 10, 10, 10}},
    {{318, 340, 364, 384, 406, 429, 450},
     {20, 20, 19, 20, 20, 20, 20},
     {334, 358, 398, 423, 448},
     {11, 11, 10, 10, 10}},
    {{472, 494, 518, 538, 561, 583, 604},
     {20, 20, 19, 20, 20, 20, 20},
     {487, 511, 552, 578, 599},
     {10, 10, 10, 10, 10}},
}};

constexpr std::array<int, 7> WhiteSemitones = {0, 2, 4, 5, 7, 9, 11};
constexpr std::array<TShapePianoType, 7> WhiteShapes = {Piano_C, Piano_D, Piano_E, Piano_C, Piano_D, Piano_A, Piano_B};
constexpr std::array<int, 5> BlackSemitones = {1, 3, 6, 8, 10};

constexpr int WhiteTop = 34;
constexpr int WhiteHeight = 102;
constexpr int BlackTop = 36;
constexpr int BlackHeight = 58;
constexpr uint32_t WhiteKeyColor = 0xEFFBFD;
constexpr uint32_t BlackKeyColor = 0x000000;
constexpr uint32_t KeyHoverColor = 0xA6CAF0;
constexpr uint32_t KeySelectColor = 0xC0DCC0; // money green
constexpr int FirstChordKey = 13;             // the octave where chords are built
constexpr int LastChordKey = 24;
constexpr int LastSwitchKey = 12;

constexpr uint32_t White = 0xFFFFFF;

// The letter keys that choose a root, with its root list index.
constexpr std::array<std::pair<int, int>, 7> LetterRoots = {{
    {Qt::Key_C, 0},
    {Qt::Key_D, 2},
    {Qt::Key_E, 4},
    {Qt::Key_F, 5},
    {Qt::Key_G, 7},
    {Qt::Key_A, 9},
    {Qt::Key_B, 11},
}};

// Space and the letters belong to the window whatever has the focus: the
// window has acted on them before its combo boxes see them, and a combo box
// must not also open its list or jump to a chord by its first letter. Other
// keys (the arrows, Return) still reach it.
class TWindowKeyGuard : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        return key == Qt::Key_Space || (key >= Qt::Key_A && key <= Qt::Key_Z);
    }
};

// The panel's colours: light engraving on dark metal, gold lettering for the
// name, pale blue fields for the combo boxes.
const QColor Engraving(0xea, 0xdf, 0xc2);
const QColor Gold(0xd7, 0xb4, 0x5e);
const QColor CaseColor(0x1d, 0x1e, 0x21);
const QColor StatusText(0xe4, 0xe4, 0xe4);
constexpr uint32_t FieldColor = 0xFFFBF0;
constexpr uint32_t Blue = 0xFF0000;
constexpr uint32_t Navy = 0x800000;

void SetColor(QWidget *control, QPalette::ColorRole role, const QColor &color)
{
    QPalette palette = control->palette();
    palette.setColor(role, color);
    control->setPalette(palette);
}

QWidget *CreateControl(TKind kind, QWidget *parent)
{
    switch (kind) {
    case TKind::Panel:
        return new TPanel(parent);
    case TKind::Label:
        return new QLabel(parent);
    case TKind::Display:
        return new TDisplayLabel(parent);
    case TKind::Picture:
    case TKind::HiddenPicture:
        return new TImage(parent);
    case TKind::Bitmap:
        return new TImage32(parent);
    case TKind::Combo:
        return new QComboBox(parent);
    case TKind::Group:
        return new TPanelGroup(parent);
    case TKind::Switch:
        return new TImgSwitch(parent);
    case TKind::ImageButton:
        return new TImgBtn(parent);
    case TKind::List:
        return new TOwnerDrawList(parent);
    case TKind::StatusBar:
        return new QStatusBar(parent);
    }
    return nullptr;
}

void SetDesignedText(QWidget *control, const QString &text)
{
    if (auto *group = qobject_cast<QGroupBox *>(control))
        group->setTitle(text);
    else if (auto *label = qobject_cast<QLabel *>(control))
        label->setText(text);
}

void SetText(QObject *component, TTextKind kind, const QString &text)
{
    if (kind == TTextKind::Hint) {
        if (auto *control = qobject_cast<QWidget *>(component))
            SetHint(control, text);
        return;
    }
    if (auto *action = qobject_cast<QAction *>(component))
        action->setText(text);
    else if (auto *group = qobject_cast<QGroupBox *>(component))
        group->setTitle(text);
    else if (auto *sw = qobject_cast<TImgSwitch *>(component))
        sw->setCaption(text);
    else if (auto *label = qobject_cast<QLabel *>(component))
        label->setText(text);
}

// The list's line as the class library hands it out: a line that is not
// there is an error, raised before anything is changed.
QString ListItemText(const TOwnerDrawList *list, int index)
{
    if (index < 0 || index >= list->count())
        throw platform::Exception(QStringLiteral("Index de liste hors limites (%1)").arg(index));
    return list->item(index)->text();
}

constexpr Qt::WindowFlags MainWindowFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                            Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                            Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;

} // namespace

// ---------------------------------------------------------------------------
// Creation

TFormMain::TFormMain(QWidget *parent) : QMainWindow(parent, MainWindowFlags)
{
    setObjectName("FormMain");
    setWindowTitle("Harmonova !");
    InitPanelResources();
    setWindowIcon(ProgramIcon());

    CreateMenu();
    platform::MarkStart("main window: menu");
    CreateComponents();
    platform::MarkStart("main window: controls");
    CreateKeyboard();
    platform::MarkStart("main window: keyboard");
    StyleComponents();
    platform::MarkStart("main window: looks and pictures");
    ConnectEvents();
    SetClientHeight(DesignedClientHeight);
    ui::InstallHelpKey(this, MainHelpContext);
    platform::MarkStart("main window: events");
    // The skin engine reads its skin and watches the windows; with the
    // component switched off it skins nothing.
    SkinData1 = skin::CreateMainSkinData(this, skin::EmbeddedSkinStream(), skin::MenuGlyphStrip());
    platform::MarkStart("main window: skin component");
    JvBalloonHint1 = new TBalloonHint(this);
    JvBalloonHint1->setObjectName("JvBalloonHint1");

    FormCreate();
    CenterOnDesktop();
    // The window sees the keys before whichever of its controls has the focus.
    qApp->installEventFilter(this);
}

QSize TFormMain::DesignedPanelSize()
{
    for (const TPlacement &place : Placements)
        if (QLatin1String(place.name) == QLatin1String("Panel2"))
            return QSize(place.width, place.height);
    return {};
}

TFormMain::~TFormMain()
{
    // The keys go with the window; the table must not keep pointing at them.
    for (TKeyEntry &entry : KeyTable)
        if (entry.Key && entry.Key->window() == this)
            entry = TKeyEntry{};
}

void TFormMain::CreateMenu()
{
    ImageList1 = new TImageList(ReadPicture(QString::fromLatin1(PanelMenuPictures)), MenuPictureSize, this);
    ImageList1->setObjectName("ImageList1");
    QMenuBar *bar = menuBar();
    bar->setObjectName("MainMenu");
    for (const TMenuEntry &entry : MenuEntries) {
        if (!entry.menu) {
            QMenu *menu = bar->addMenu(QString::fromUtf8(entry.caption));
            menu->setObjectName(QString::fromLatin1(entry.name) + "Popup");
            menu->menuAction()->setObjectName(QString::fromLatin1(entry.name));
            continue;
        }
        QMenu *menu = bar->findChild<QMenu *>(QString::fromLatin1(entry.menu) + "Popup");
        if (!entry.name) {
            menu->addSeparator();
            continue;
        }
        QAction *action = menu->addAction(QString::fromUtf8(entry.caption));
        action->setObjectName(QString::fromLatin1(entry.name));
        action->setIcon(ImageList1->Icon(entry.picture));
        const auto click = entry.click;
        connect(action, &QAction::triggered, this, [this, click] { (this->*click)(); });
    }
    const auto action = [bar](const char *name) { return bar->findChild<QAction *>(QString::fromLatin1(name)); };
    mnuTools = action("mnuTools");
    mnuChordanalysis = action("mnuChordanalysis");
    mnuChordpattern = action("mnuChordpattern");
    mnuProgressions = action("mnuProgressions");
    mnuPractice = action("mnuPractice");
    Setupmnu = action("Setupmnu");
    mnuWhat = action("mnuWhat");
    mnuHelp = action("mnuHelp");
    mnuAbout = action("mnuAbout");
}

void TFormMain::CreateComponents()
{
    ClientArea = new QWidget(this);
    ClientArea->setObjectName("ClientArea");
    setCentralWidget(ClientArea);

    for (const TPlacement &place : Placements) {
        QWidget *parent =
            *place.parent ? ClientArea->findChild<QWidget *>(QString::fromLatin1(place.parent)) : ClientArea;
        QWidget *control = CreateControl(place.kind, parent);
        control->setObjectName(QString::fromLatin1(place.name));
        if (place.width > 0)
            control->setGeometry(place.x, place.y, place.width, place.height);
        else
            control->move(place.x, place.y);
        if (place.text)
            SetDesignedText(control, QString::fromUtf8(place.text));
        if (place.kind == TKind::HiddenPicture)
            control->hide();
    }
    for (const char *name : HiddenAtDesign)
        ClientArea->findChild<QWidget *>(QString::fromLatin1(name))->hide();
    for (const TDesignedHint &designed : DesignedHints)
        SetHint(ClientArea->findChild<QWidget *>(QString::fromLatin1(designed.component)),
                QString::fromUtf8(designed.hint));

    const auto find = [this]<typename T>(T *&member, const char *name) {
        member = ClientArea->findChild<T *>(QString::fromLatin1(name));
    };
    find(Panel2, "Panel2");
    find(LabelChord, "LabelChord");
    find(TntLabel1, "TntLabel1");
    find(ImgClavier, "ImgClavier");
    find(ComboChord, "ComboChord");
    find(ComboScales, "ComboScales");
    find(GroupPlayBack, "GroupPlayBack");
    find(BtnAccord, "BtnAccord");
    find(BtnAccordUp, "BtnAccordUp");
    find(BtnAccordDown, "BtnAccordDown");
    find(BtnListen, "BtnListen");
    find(GroupAlteration, "GroupAlteration");
    find(Alteration, "Alteration");
    find(GroupRenversement, "GroupRenversement");
    find(RenversementDown, "RenversementDown");
    find(RenversementUp, "RenversementUp");
    find(GroupMode, "GroupMode");
    find(SwMode, "SwMode");
    find(StatusBar, "StatusBar");
    find(ImgFond, "ImgFond");
    find(ImgPartition, "ImgPartition");
    find(ClefDeSol, "ClefDeSol");
    find(clefdefa, "clefdefa");
    find(Diese, "Diese");
    find(Bemol, "Bemol");
    find(Noire, "Noire");
    find(ChordRoot, "ChordRoot");
    find(ChordName, "ChordName");
    find(Scales, "Scales");

    for (int panel = 0; panel < 2; ++panel) {
        FStatusPanels[panel] = new QLabel(StatusBar);
        FStatusPanels[panel]->setObjectName(QStringLiteral("StatusPanel%1").arg(panel));
        FStatusPanels[panel]->setTextFormat(Qt::PlainText);
    }
    // Panel 1 takes the rest of the bar, so a whole hint can be read.
    FStatusPanels[0]->setFixedWidth(40);
    FStatusPanels[0]->setAlignment(Qt::AlignCenter);
    StatusBar->addWidget(FStatusPanels[0]);
    StatusBar->addWidget(FStatusPanels[1], 1);
    StatusBar->setSizeGripEnabled(false);
}

void TFormMain::CreateKeyboard()
{
    struct TKeyPlace {
        int key;
        int semitone;
        int left, top, width, height;
        TShapePianoType shape;
        uint32_t color;
    };
    std::vector<TKeyPlace> places;
    // White keys first: the black keys, created later, lie in front of them.
    for (int octave = 0; octave < 4; ++octave)
        for (int i = 0; i < 7; ++i)
            places.push_back({octave * 12 + WhiteSemitones[i] + 1, WhiteSemitones[i], Octaves[octave].whiteLeft[i],
                              WhiteTop, Octaves[octave].whiteWidth[i], WhiteHeight, WhiteShapes[i], WhiteKeyColor});
    for (int octave = 0; octave < 4; ++octave)
        for (int i = 0; i < 5; ++i)
            places.push_back({octave * 12 + BlackSemitones[i] + 1, BlackSemitones[i], Octaves[octave].blackLeft[i],
                              BlackTop, Octaves[octave].blackWidth[i], BlackHeight, jstRoundRect, BlackKeyColor});

    for (const TKeyPlace &place : places) {
        auto *key = new TShapePiano(Panel2);
        key->setObjectName(QStringLiteral("ShapePiano%1").arg(place.key));
        key->setGeometry(place.left, place.top, place.width, place.height);
        key->setShape(place.shape);
        key->setTag(place.semitone + 1);
        key->setPenStyle(Qt::NoPen);
        key->setBrushColor(place.color);
        key->setOnClickUnselectColor(place.color);
        key->setOnClickSelectColor(KeySelectColor);
        key->setOnHoverColor(KeyHoverColor);
        // Only the octave the chords are built on answers the mouse.
        const bool chordKey = place.key >= FirstChordKey && place.key <= LastChordKey;
        key->setHover(chordKey);
        key->setClickSelect(chordKey);
        key->setSwitch(place.key <= LastSwitchKey);
        if (chordKey)
            key->setCursor(Qt::PointingHandCursor);
    }
}

void TFormMain::StyleComponents()
{
    SetColor(ClientArea, QPalette::Window, CaseColor);
    ClientArea->setAutoFillBackground(true);
    // The panel's texts and everything on it inherit the engraving colour.
    SetColor(Panel2, QPalette::WindowText, Engraving);
    SetColor(TntLabel1, QPalette::WindowText, Gold);
    SetColor(LabelChord, QPalette::WindowText, ColorFromBgr(Blue));

    SetColor(StatusBar, QPalette::Window, CaseColor);
    StatusBar->setAutoFillBackground(true);
    StatusBar->setFont(VerdanaFont(11));
    for (QLabel *panel : FStatusPanels) {
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setIndent(4);
        SetColor(panel, QPalette::WindowText, StatusText);
    }

    LabelChord->setFont(VerdanaFont(15));
    LabelChord->setTextFormat(Qt::PlainText);
    QFont brand(QStringLiteral("DejaVu Serif"));
    brand.setPixelSize(19);
    brand.setBold(true);
    brand.setItalic(true);
    TntLabel1->setFont(brand);
    TntLabel1->setAlignment(Qt::AlignCenter);
    for (QComboBox *combo : {ComboChord, ComboScales}) {
        combo->setFont(VerdanaFont(11));
        combo->setMaxVisibleItems(16);
        QPalette field = combo->palette();
        for (QPalette::ColorRole role : {QPalette::Button, QPalette::Base})
            field.setColor(role, ColorFromBgr(FieldColor));
        for (QPalette::ColorRole role : {QPalette::ButtonText, QPalette::Text, QPalette::WindowText})
            field.setColor(role, Qt::black);
        field.setColor(QPalette::Highlight, ColorFromBgr(Navy));
        combo->setPalette(field);
    }
    for (QGroupBox *group : {GroupPlayBack, GroupAlteration, GroupRenversement, GroupMode})
        group->setFont(VerdanaFont(10, true));
    for (QGroupBox *group : {GroupPlayBack, GroupRenversement}) {
        for (QLabel *label : group->findChildren<QLabel *>()) {
            label->setAlignment(Qt::AlignCenter);
            label->setFont(VerdanaFont(12, true));
        }
    }
    Alteration->setFont(VerdanaFont(11));

    ImgClavier->setPicture(ReadPicture(QString::fromLatin1(PanelKeyboardPicture)));
    BtnListen->setGlyph(ReadPicture(QString::fromLatin1(PanelPlayPicture)));
    ImgPartition->setCursor(Qt::PointingHandCursor);

    const TStaffPictures pictures = LoadStaffPictures();
    ClefDeSol->setPicture(pictures.ClefDeSol);
    clefdefa->setPicture(pictures.clefdefa);
    Diese->setPicture(pictures.Diese);
    Bemol->setPicture(pictures.Bemol);
    Noire->setPicture(pictures.Noire);
    FStaff = std::make_unique<TStaff>(TStaffPictures{ClefDeSol->Picture(), clefdefa->Picture(), Diese->Picture(),
                                                     Bemol->Picture(), Noire->Picture()});

    ChordRoot->setItemHeight(21);
    ChordRoot->setFont(VerdanaFont(13, true));
    ChordName->setItemHeight(16);
    Scales->setItemHeight(16);
}

void TFormMain::ConnectEvents()
{
    connect(ChordRoot, &TOwnerDrawList::OnClick, this, &TFormMain::ChordRootClick);
    connect(ChordName, &TOwnerDrawList::OnClick, this, &TFormMain::ChordRootClick);
    connect(Scales, &TOwnerDrawList::OnClick, this, &TFormMain::ScalesClick);
    connect(ComboChord, &QComboBox::activated, this, &TFormMain::ComboChordChange);
    connect(ComboScales, &QComboBox::activated, this, &TFormMain::ComboScalesChange);
    auto *keyGuard = new TWindowKeyGuard(this);
    for (QComboBox *combo : {ComboChord, ComboScales})
        combo->installEventFilter(keyGuard);

    connect(Alteration, &TImgSwitch::OnClick, this, &TFormMain::AlterationClick);
    connect(Alteration, &TImgSwitch::OnMouseMove, this, &TFormMain::AlterationMouseMove);

    connect(RenversementDown, &TImgSwitch::OnOn, this, &TFormMain::RenversementDownOn);
    connect(RenversementDown, &TImgSwitch::OnOff, this, &TFormMain::RenversementDownOff);
    connect(RenversementDown, &TImgSwitch::OnMouseDown, this, &TFormMain::RenversementDownMouseDown);
    connect(RenversementDown, &TImgSwitch::OnMouseMove, this, &TFormMain::RenversementDownMouseMove);
    connect(RenversementUp, &TImgSwitch::OnOn, this, &TFormMain::RenversementUpOn);
    connect(RenversementUp, &TImgSwitch::OnOff, this, &TFormMain::RenversementUpOff);
    connect(RenversementUp, &TImgSwitch::OnMouseDown, this, &TFormMain::RenversementUpMouseDown);
    connect(RenversementUp, &TImgSwitch::OnMouseMove, this, &TFormMain::RenversementDownMouseMove);

    connect(BtnAccord, &TImgSwitch::OnClick, this, &TFormMain::BtnAccordClick);
    connect(BtnAccord, &TImgSwitch::OnMouseMove, this, &TFormMain::BtnAccordMouseMove);
    connect(BtnAccordUp, &TImgSwitch::OnClick, this, &TFormMain::BtnAccordUpClick);
    connect(BtnAccordUp, &TImgSwitch::OnMouseMove, this, &TFormMain::BtnAccordUpMouseMove);
    connect(BtnAccordDown, &TImgSwitch::OnClick, this, &TFormMain::BtnAccordDownClick);
    connect(BtnAccordDown, &TImgSwitch::OnMouseMove, this, &TFormMain::BtnAccordDownMouseMove);
    connect(BtnListen, &TImgBtn::OnClick, this, &TFormMain::ImgBtn1Click);
    connect(BtnListen, &TImgBtn::OnMouseEnter, this, &TFormMain::BtnListenMouseEnter);

    connect(SwMode, &TImgSwitch::OnOn, this, &TFormMain::SwModeOn);
    connect(SwMode, &TImgSwitch::OnOff, this, &TFormMain::SwModeOff);
    connect(SwMode, &TImgSwitch::OnMouseMove, this, &TFormMain::SwModeMouseMove);

    connect(ImgPartition, &TImage::OnClick, this, &TFormMain::ImgPartitionClick);
    connect(Panel2, &TPanel::OnMouseMove, this, &TFormMain::Panel2MouseMove);

    for (int n = FirstChordKey; n <= LastChordKey; ++n) {
        auto *key = Panel2->findChild<TShapePiano *>(QStringLiteral("ShapePiano%1").arg(n));
        connect(key, &TShapePiano::OnMouseUp, this, [this](TShapePiano *sender) { ShapePiano13MouseUp(sender); });
        connect(key, &TShapePiano::OnEnter, this, &TFormMain::ShapePiano13Enter);
    }
}

void TFormMain::FormCreate()
{
    // Each step reports its own failure and the next still runs: a window
    // left half built (no lists, no keys bound) would fail at the first click.
    const struct {
        const char *stage;
        std::function<void()> run;
    } steps[] = {
        {"main window: settings", [] { model::LoadSettings(); }},
        {"main window: clef", [] { Clef = 1; }},
        {"main window: chord and scale tables",
         [] {
             model::BuildChordTable();
             model::BuildScaleTable();
         }},
        {"main window: background picture", [this] { LoadBackground(); }},
        {"main window: texts", [this] { ApplyLanguage(); }},
        {"main window: lists",
         [this] {
             FillChordLists();
             FillRootList();
             FillScaleLists();
         }},
        {"main window: first items", [this] { SelectFirstItems(); }},
        {"main window: keys bound", [this] { BindKeys(); }},
        {"main window: layout", [this] { ApplyLayout(); }},
        {"main window: on top", [this] { ApplyOnTop(); }},
        {"main window: first chord",
         [this] {
             model::CurrentRoot = ChordRoot->ItemIndex() + 1;
             model::CurrentChord = ChordName->ItemIndex() + 1;
             ShowChord(model::CurrentRoot, model::CurrentChord, model::CurrentInversion);
         }},
        // The pattern editor, created next, starts with no marker set.
        {"main window: markers", [] { EndMarkerCol = EndMarkerRow = LoopMarkerCol = LoopMarkerRow = -1; }},
    };
    for (const auto &step : steps) {
        platform::RunGuarded(step.run);
        platform::MarkStart(step.stage);
    }
}

void TFormMain::LoadBackground()
{
    const auto load = [this](const QString &file) {
        // A picture that cannot be read is reported; the staff then stands on white.
        if (!platform::RunGuarded([&] { LoadBackgroundPicture(file); }))
            ImgFond->Clear(White);
    };
    if (!model::Background.isEmpty()) {
        if (QFileInfo(model::Background).isFile())
            load(model::Background);
        else
            ImgFond->Clear(White);
        return;
    }
    // The default picture in the current folder, else the one installed
    // beside the program; without either the designed picture stays.
    const QString defaults[] = {QDir::current().filePath("default.jpg"),
                                QDir(QCoreApplication::applicationDirPath()).filePath("default.jpg")};
    for (const QString &file : defaults) {
        if (QFileInfo(file).isFile()) {
            load(file);
            return;
        }
    }
    // The designed picture, read only when no file replaces it.
    ImgFond->setBitmap(ReadPicture(QString::fromLatin1(PanelDefaultBackground)));
}

void TFormMain::ClearBackground()
{
    // The same plain white the next start shows for no picture.
    ImgFond->Clear(White);
}

void TFormMain::LoadDefaultBackground()
{
    const QString file = QDir(QCoreApplication::applicationDirPath()).filePath("default.jpg");
    if (QFileInfo(file).isFile())
        LoadBackgroundPicture(file);
    else
        ImgFond->setBitmap(ReadPicture(QString::fromLatin1(PanelDefaultBackground)));
}

void TFormMain::LoadBackgroundPicture(const QString &file)
{
    ImgFond->LoadFromFile(file);
}

void TFormMain::ApplyLanguage()
{
    if (model::Language != 1 && model::Language != 2)
        return;
    for (const TLanguageText &text : LanguageTexts) {
        QObject *component = findChild<QObject *>(QString::fromLatin1(text.component));
        SetText(component, text.kind, QString::fromUtf8(model::Language == 1 ? text.english : text.french));
    }
}

void TFormMain::FillRootList()
{
    const int index = ChordRoot->ItemIndex();
    ChordRoot->clear();
    for (const QString &name : model::NoteNamesFor(model::Notation, model::AlterationsEnDiese))
        ChordRoot->addItem(name);
    ChordRoot->setItemIndex(index);
}

void TFormMain::FillChordLists()
{
    const int index = ChordName->ItemIndex();
    ChordName->clear();
    for (const model::TChordEntry &chord : model::ChordTable)
        ChordName->addItem(chord.Symbol);
    ChordName->setItemIndex(0);
    ComboChord->clear();
    for (const model::TChordEntry &chord : model::ChordTable)
        ComboChord->addItem(chord.Symbol);
    ComboChord->setCurrentIndex(-1);
    ChordName->setItemIndex(index);
}

void TFormMain::FillScaleLists()
{
    // Runs once, at creation: the list starts empty.
    const int index = Scales->ItemIndex();
    for (const model::TScaleEntry &scale : model::ScaleTable)
        Scales->addItem(scale.Name);
    Scales->setItemIndex(-1);
    ComboScales->clear();
    for (const model::TScaleEntry &scale : model::ScaleTable)
        ComboScales->addItem(scale.Name);
    ComboScales->setCurrentIndex(-1);
    Scales->setItemIndex(index);
}

void TFormMain::SelectFirstItems()
{
    for (TOwnerDrawList *list : {ChordRoot, ChordName, Scales})
        list->setItemIndex(0);
    for (QComboBox *combo : {ComboChord, ComboScales})
        combo->setCurrentIndex(0);
}

void TFormMain::BindKeys()
{
    const QList<QObject *> components = findChildren<QObject *>();
    for (int n = 1; n <= 48; ++n) {
        const QString name = QStringLiteral("ShapePiano%1").arg(n);
        for (QObject *component : components)
            if (component->objectName() == name)
                KeyTable[n].Key = qobject_cast<TShapePiano *>(component);
    }
    for (model::TNoteSlot &slot : model::ChordNotes)
        slot = model::TNoteSlot{};
}

namespace {

// A chosen output that could not be opened is heard no more than none. The
// set-up dialog, which opens it, exists before the program first shows this
// window.
bool NoOutputToHear()
{
    if (model::MidiIFOut.isEmpty())
        return true;
    return FrmMidiSetup && !FrmMidiSetup->Midi_IF_Output->DeviceHandle();
}

} // namespace

void TFormMain::FormShow()
{
    Mode = 0;
    if (!NoOutputToHear() || !model::RemindMe)
        return;
    if (!FrmNoMidi)
        FrmNoMidi = new TFrmNoMidi(this);
    FrmNoMidi->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    FrmNoMidi->show();
}

void TFormMain::FormClose()
{
    model::SaveSettings();
}

void TFormMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (FShown)
        return;
    FShown = true;
    FormShow();
}

void TFormMain::closeEvent(QCloseEvent *event)
{
    // A failed save is reported, and the window closes all the same: the
    // user must always be able to leave the program.
    platform::RunGuarded([this] { FormClose(); });
    QMainWindow::closeEvent(event);
    emit Closed();
}

void TFormMain::ApplyOnTop()
{
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == model::OnTop)
        return;
    // A shown window whose flags change is hidden and may be placed anew:
    // it comes back where it was, at its size.
    const QPoint position = pos();
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, model::OnTop);
    move(position);
    if (shown)
        show();
}

void TFormMain::SetClientHeight(int height)
{
    ClientArea->setFixedSize(ClientWidth, height);
    StatusBar->setGeometry(0, height - StatusBarHeight, ClientWidth, StatusBarHeight);
    // A skinned frame lies in the contents margins, and its menu bar takes
    // the place of Qt's, which is then hidden.
    const QMargins frame = contentsMargins();
    int menuHeight = 0;
    if (!menuBar()->isHidden()) {
        menuHeight = menuBar()->heightForWidth(ClientWidth);
        if (menuHeight <= 0)
            menuHeight = menuBar()->sizeHint().height();
    }
    setFixedSize(ClientWidth + frame.left() + frame.right(), menuHeight + height + frame.top() + frame.bottom());
}

void TFormMain::CenterOnDesktop()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect desktop = screen->availableGeometry();
    move(desktop.center() - QPoint(width() / 2, height() / 2));
}

// ---------------------------------------------------------------------------
// Keys

void TFormMain::ToucheAppui(int key)
{
    TKeyEntry &entry = KeyTable[key];
    entry.Key->setBrushColor(entry.Key->OnClickSelectColor());
    entry.Pressed = true;
}

void TFormMain::ToucheRelache(int key)
{
    TKeyEntry &entry = KeyTable[key];
    entry.Key->setBrushColor(entry.Key->OnClickUnselectColor());
    entry.Pressed = false;
}

void TFormMain::ReleaseAllKeys()
{
    for (model::TNoteSlot &slot : model::ChordNotes)
        slot.Note = 0;
    for (int key = 1; key <= 48; ++key)
        ToucheRelache(key);
}

int TFormMain::KeyPitchClass(const TShapePiano *key)
{
    return key->Tag() - 1;
}

// ---------------------------------------------------------------------------
// Chord, scale and staff

namespace {

model::TChordSpelling SpellListedChord(const TOwnerDrawList *roots, const TOwnerDrawList *chords, int Root, int Chord,
                                       int Inversion)
{
    model::Octave = 2;
    return model::SpellChord(ListItemText(roots, Root - 1), ListItemText(chords, Chord - 1), Root, Inversion);
}

} // namespace

model::TNoteSlots TFormMain::ChordNotesOf(int Root, int Chord, int Inversion) const
{
    model::TNoteSlots notes = SpellListedChord(ChordRoot, ChordName, Root, Chord, Inversion).Notes;
    SortChordNotes(notes);
    return notes;
}

void TFormMain::ShowChord(int Root, int Chord, int Inversion)
{
    const model::TChordSpelling spelling = SpellListedChord(ChordRoot, ChordName, Root, Chord, Inversion);

    ReleaseAllKeys();
    for (const int key : spelling.KeyOrder)
        ToucheAppui(key);
    model::ChordNotes = spelling.Notes;
    if (spelling.Caption)
        LabelChord->setText(*spelling.Caption);
    DrawStaff();
    if (model::ListenType != -1)
        PlayCurrent();
    if (model::PatternFormCreated && OnPatternChord)
        OnPatternChord(model::PatternChordLabel(LabelChord->text()));
}

void TFormMain::ScalesClick()
{
    ReleaseAllKeys();
    const int scale = Scales->ItemIndex() + 1;
    if (scale < 1)
        return;
    const auto spelling =
        model::SpellScale(model::CurrentRoot, scale, model::Octave, model::NoteNames[model::CurrentRoot - 1]);
    if (!spelling)
        return;
    for (const model::TNoteSlot &slot : spelling->Notes)
        if (slot.Note != 0)
            ToucheAppui(slot.Note);
    model::ChordNotes = spelling->Notes;
    LabelChord->setText(spelling->Label);
    PlayCurrent();
    DrawStaff();
}

void TFormMain::DrawStaff()
{
    FStaff->Clef = Clef;
    ImgPartition->setPicture(FStaff->DrawStaff());
}

bool TFormMain::CurrentManner(bool &atOnce, QString &direction)
{
    if (!model::MidiOutConfigured())
        return false;
    switch (model::ListenType) {
    case 0:
        atOnce = true;
        direction.clear();
        return true;
    case 1:
        atOnce = false;
        direction = QStringLiteral("up");
        return true;
    case 2:
        atOnce = false;
        direction = QStringLiteral("down");
        return true;
    default:
        return false;
    }
}

void TFormMain::PlayCurrent()
{
    bool atOnce = false;
    QString direction;
    if (CurrentManner(atOnce, direction))
        StartPlayback(atOnce, direction);
}

void TFormMain::StartPlayback(bool atOnce, const QString &direction)
{
    if (model::MidiIFOut.isEmpty())
        return;
    PlayAtOnce = atOnce;
    ArpeggioDirection = direction;
    // The output is looked up when the body runs: the first chord is started
    // before the set-up dialog that owns the output exists.
    LastMidiThread = TMidiThread::Start([] { PlayChordNotes(FrmMidiSetup ? FrmMidiSetup->Midi_IF_Output : nullptr); });
}

void TFormMain::PlanPlayback(std::shared_ptr<TPlayback> &planned, const model::TNoteSlots &notes, bool atOnce,
                             const QString &direction, std::chrono::steady_clock::time_point moment)
{
    if (model::MidiIFOut.isEmpty() || !FrmMidiSetup)
        CancelPlannedPlayback(planned);
    else
        ::PlanPlayback(planned, FrmMidiSetup->Midi_IF_Output, notes, atOnce, direction, moment);
}

// ---------------------------------------------------------------------------
// Selection

void TFormMain::ChordRootClick()
{
    model::CurrentRoot = ChordRoot->ItemIndex() + 1;
    model::CurrentChord = ChordName->ItemIndex() + 1;
    if (Mode == 0)
        ShowChord(model::CurrentRoot, model::CurrentChord, model::CurrentInversion);
    else if (Mode == 1)
        ScalesClick();
}

void TFormMain::ComboChordChange()
{
    ChordName->setItemIndex(ComboChord->currentIndex());
    ChordRootClick();
}

void TFormMain::ComboScalesChange()
{
    Scales->setItemIndex(ComboScales->currentIndex());
    ChordRootClick();
}

void TFormMain::ShapePiano13MouseUp(TShapePiano *key)
{
    ChordRoot->setItemIndex(KeyPitchClass(key));
    ChordRootClick();
}

void TFormMain::ShapePiano13Enter(TShapePiano *key)
{
    SetStatusPanelText(0, model::NoteNames[KeyPitchClass(key)]);
}

void TFormMain::FormKeyDown(int key)
{
    if (key == Qt::Key_Space) {
        PlayCurrent();
        return;
    }
    for (const auto &[letter, index] : LetterRoots) {
        if (key == letter) {
            ChordRoot->setItemIndex(index);
            ChordRootClick();
            return;
        }
    }
}

bool TFormMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && IsFirstKeyReceiver(this, watched))
        FormKeyDown(static_cast<QKeyEvent *>(event)->key());
    return false; // the other watchers of the program (the balloon hints) see the key too
}

// ---------------------------------------------------------------------------
// Switches

void TFormMain::AlterationClick()
{
    model::AlterationsEnDiese = Alteration->StateOn();
    model::FillNoteNames();
    FillRootList();
    ShowSelection();
}

void TFormMain::ShowSelection()
{
    if (Mode == 0)
        ShowChord(model::CurrentRoot, model::CurrentChord, model::CurrentInversion);
    else
        ChordRootClick();
}

void TFormMain::RenversementDownOn()
{
    model::CurrentInversion = -1;
    RenversementUp->setStateOn(false);
}

void TFormMain::RenversementUpOn()
{
    model::CurrentInversion = 1;
    RenversementDown->setStateOn(false);
}

void TFormMain::RenversementDownOff()
{
    if (!RenversementUp->StateOn())
        model::CurrentInversion = 0;
}

void TFormMain::RenversementUpOff()
{
    if (!RenversementDown->StateOn())
        model::CurrentInversion = 0;
}

void TFormMain::RenversementDownMouseDown()
{
    ReleaseAllKeys();
    ShowChord(model::CurrentRoot, model::CurrentChord, model::CurrentInversion);
}

void TFormMain::RenversementUpMouseDown()
{
    ReleaseAllKeys();
    ShowChord(model::CurrentRoot, model::CurrentChord, model::CurrentInversion);
}

void TFormMain::PlaybackSwitchClicked(TImgSwitch *pressed, bool atOnce, const QString &direction, int listenType)
{
    if (pressed->StateOn()) {
        for (TImgSwitch *other : {BtnAccord, BtnAccordUp, BtnAccordDown})
            if (other != pressed)
                other->setStateOn(false);
        StartPlayback(atOnce, direction);
        model::ListenType = listenType;
        // The staff's columns depend on the playback mode.
        DrawStaff();
    } else {
        model::ListenType = -1;
    }
    model::AutoListen = BtnAccord->StateOn() || BtnAccordUp->StateOn() || BtnAccordDown->StateOn();
}

void TFormMain::BtnAccordClick()
{
    PlaybackSwitchClicked(BtnAccord, true, QString(), 0);
}

void TFormMain::BtnAccordUpClick()
{
    PlaybackSwitchClicked(BtnAccordUp, false, QStringLiteral("up"), 1);
}

void TFormMain::BtnAccordDownClick()
{
    PlaybackSwitchClicked(BtnAccordDown, false, QStringLiteral("down"), 2);
}

void TFormMain::ImgBtn1Click()
{
    PlayCurrent();
}

void TFormMain::SwModeOn()
{
    ChordName->hide();
    Scales->setVisible(!model::WindowCompact);
    ComboScales->setVisible(model::WindowCompact);
    ComboChord->hide();
    Mode = 1;
    GroupRenversement->hide();
}

void TFormMain::SwModeOff()
{
    ChordName->setVisible(!model::WindowCompact);
    Scales->hide();
    ComboScales->hide();
    ComboChord->setVisible(model::WindowCompact);
    Mode = 0;
    GroupRenversement->show();
}

void TFormMain::ApplyLayout()
{
    const bool scaleMode = Mode == 1;
    if (model::WindowCompact) {
        ChordRoot->hide();
        ChordName->hide();
        Scales->hide();
        ComboChord->setVisible(!scaleMode);
        ComboScales->setVisible(scaleMode);
        SetClientHeight(Panel2->y() + Panel2->height() + StatusBar->height());
    } else {
        ChordRoot->show();
        ChordName->show();
        Scales->setVisible(scaleMode);
        ComboChord->hide();
        ComboScales->hide();
        SetClientHeight(ImgFond->y() + ImgFond->height() + StatusBar->height());
    }
    Alteration->setStateOn(model::AlterationsEnDiese);
    switch (model::ListenType) {
    case 0:
        BtnAccord->setStateOn(true);
        break;
    case 1:
        BtnAccordUp->setStateOn(true);
        break;
    case 2:
        BtnAccordDown->setStateOn(true);
        break;
    default:
        break;
    }
}

void TFormMain::ImgPartitionClick()
{
    Clef ^= 1;
    DrawStaff();
}

// ---------------------------------------------------------------------------
// Menu

void TFormMain::mnuChordanalysisClick()
{
    // A new window each time, which becomes FormAnalyse before its creation
    // step binds the keys; earlier windows stay, hidden once closed.
    auto *analyser = new TFormAnalyse(this);
    analyser->show();
}

void TFormMain::mnuChordpatternClick()
{
    if (!FrmPattern)
        return;
    FrmPattern->show();
    FrmPattern->raise();
    FrmPattern->activateWindow();
}

void TFormMain::mnuProgressionsClick()
{
    ShowSoon();
}

void TFormMain::mnuPracticeClick()
{
    ShowSoon();
}

void TFormMain::SetupmnuClick()
{
    if (!FrmMidiSetup)
        return;
    FrmMidiSetup->show();
    FrmMidiSetup->raise();
    FrmMidiSetup->activateWindow();
}

void TFormMain::mnuHelpClick()
{
    ui::ShowHelpContext(this, ui::HelpContents);
}

void TFormMain::mnuAboutClick()
{
    if (AboutBox && !AboutBox->isVisible())
        AboutBox->exec();
}

void TFormMain::ShowSoon()
{
    ShowInformation(model::Language == 1 ? QStringLiteral("Soon...") : QStringLiteral("Bientôt..."));
}

void TFormMain::SetMessagePresenter(TMessagePresenter presenter)
{
    ui::SetMessagePresenter(std::move(presenter));
}

void TFormMain::ShowInformation(const QString &text)
{
    ui::MessageDlg(this, ui::TMsgDlgType::Information, text);
}

// ---------------------------------------------------------------------------
// Status bar

QString TFormMain::StatusPanelText(int panel) const
{
    return FStatusTexts[panel];
}

void TFormMain::SetStatusPanelText(int panel, const QString &text)
{
    FStatusTexts[panel] = text;
    // The bar has one line: a hint's line break shows as a blank.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String(" "));
    FStatusPanels[panel]->setText(shown);
}

void TFormMain::AlterationMouseMove()
{
    SetStatusPanelText(1, HintOf(Alteration));
}

void TFormMain::RenversementDownMouseMove()
{
    // Both inversion switches carry the same hint.
    SetStatusPanelText(1, HintOf(RenversementDown));
}

void TFormMain::BtnAccordMouseMove()
{
    SetStatusPanelText(1, HintOf(BtnAccord));
}

void TFormMain::BtnAccordUpMouseMove()
{
    SetStatusPanelText(1, HintOf(BtnAccordUp));
}

void TFormMain::BtnAccordDownMouseMove()
{
    SetStatusPanelText(1, HintOf(BtnAccordDown));
}

void TFormMain::SwModeMouseMove()
{
    SetStatusPanelText(1, HintOf(SwMode));
}

void TFormMain::BtnListenMouseEnter()
{
    SetStatusPanelText(1, HintOf(BtnListen));
}

void TFormMain::Panel2MouseMove()
{
    SetStatusPanelText(0, QString());
    SetStatusPanelText(1, QString());
}
