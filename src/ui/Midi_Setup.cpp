#include "ui/Midi_Setup.h"

#include "midi/MidiIn.h"
#include "midi/MidiOut.h"
#include "model/Declare.h"
#include "model/NoteNames.h"
#include "model/Settings.h"
#include "platform/ErrorHandler.h"
#include "platform/Exception.h"
#include "ui/Controls.h"
#include "ui/HelpContext.h"
#include "ui/ImgSwitch.h"
#include "ui/Keys.h"
#include "ui/Main.h"
#include "ui/MessageDlg.h"
#include "ui/ShapePiano.h"
#include "ui/analyse.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>

#include <chrono>
#include <exception>
#include <iterator>
#include <utility>

TFrmMidiSetup *FrmMidiSetup = nullptr;

const char *const GeneralMidiPrograms[128] = {
    // Piano
    "Acoustic Grand Piano",
    "Bright Acoustic Piano",
    "Electric Grand Piano",
    "Honky-tonk Piano",
    "Electric Piano 1",
    "Electric Piano 2",
    "Harpsichord",
    "Clavi",
    // Chromatic percussion
    "Celesta",
    "Glockenspiel",
    "Music Box",
    "Vibraphone",
    "Marimba",
    "Xylophone",
    "Tubular Bells",
    "Dulcimer",
    // Organ
    "Drawbar Organ",
    "Percussive Organ",
    "Rock Organ",
    "Church Organ",
    "Reed Organ",
    "Accordion",
    "Harmonica",
    "Tango Accordion",
    // Guitar
    "Acoustic Guitar (nylon)",
    "Acoustic Guitar (steel)",
    "Electric Guitar (jazz)",
    "Electric Guitar (clean)",
    "Electric Guitar (muted)",
    "Overdriven Guitar",
    "Distortion Guitar",
    "Guitar harmonics",
    // Bass
    "Acoustic Bass",
    "Electric Bass (finger)",
    "Electric Bass (pick)",
    "Fretless Bass",
    "Slap Bass 1",
    "Slap Bass 2",
    "Synth Bass 1",
    "Synth Bass 2",
    // Strings
    "Violin",
    "Viola",
    "Cello",
    "Contrabass",
    "Tremolo Strings",
    "Pizzicato Strings",
    "Orchestral Harp",
    "Timpani",
    // Ensemble
    "String Ensemble 1",
    "String Ensemble 2",
    "SynthStrings 1",
    "SynthStrings 2",
    "Choir Aahs",
    "Voice Oohs",
    "Synth Voice",
    "Orchestra Hit",
    // Brass
    "Trumpet",
    "Trombone",
    "Tuba",
    "Muted Trumpet",
    "French Horn",
    "Brass Section",
    "SynthBrass 1",
    "SynthBrass 2",
    // Reed
    "Soprano Sax",
    "Alto Sax",
    "Tenor Sax",
    "Baritone Sax",
    "Oboe",
    "English Horn",
    "Bassoon",
    "Clarinet",
    // Pipe
    "Piccolo",
    "Flute",
    "Recorder",
    "Pan Flute",
    "Blown Bottle",
    "Shakuhachi",
    "Whistle",
    "Ocarina",
    // Synth lead
    "Lead 1 (square)",
    "Lead 2 (sawtooth)",
    "Lead 3 (calliope)",
    "Lead 4 (chiff)",
    "Lead 5 (charang)",
    "Lead 6 (voice)",
    "Lead 7 (fifths)",
    "Lead 8 (bass + lead)",
    // Synth pad
    "Pad 1 (new age)",
    "Pad 2 (warm)",
    "Pad 3 (polysynth)",
    "Pad 4 (choir)",
    "Pad 5 (bowed)",
    "Pad 6 (metallic)",
    "Pad 7 (halo)",
    "Pad 8 (sweep)",
    // Synth effects
    "FX 1 (rain)",
    "FX 2 (soundtrack)",
    "FX 3 (crystal)",
    "FX 4 (atmosphere)",
    "FX 5 (brightness)",
    "FX 6 (goblins)",
    "FX 7 (echoes)",
    "FX 8 (sci-fi)",
    // Ethnic
    "Sitar",
    "Banjo",
    "Shamisen",
    "Koto",
    "Kalimba",
    "Bag pipe",
    "Fiddle",
    "Shanai",
    // Percussive
    "Tinkle Bell",
    "Agogo",
    "Steel Drums",
    "Woodblock",
    "Taiko Drum",
    "Melodic Tom",
    "Synth Drum",
    "Reverse Cymbal",
    // Sound effects
    "Guitar Fret Noise",
    "Breath Noise",
    "Seashore",
    "Bird Tweet",
    "Telephone Ring",
    "Helicopter",
    "Applause",
    "Gunshot",
};

static_assert(std::size(GeneralMidiPrograms) == model::Programs);

namespace {

// ---------------------------------------------------------------------------
// The dialog's definition: its controls, their places and designed texts.

constexpr int ClientWidth = 380;
constexpr int ClientHeight = 296;

enum class TKind { Tabs, Page, Group, Label, Radio, Check, Button, Spin, ScrollBar, Switch, List };

struct TPlacement {
    const char *name;
    const char *parent; // "" for the dialog itself
    TKind kind;
    int x, y, width, height; // pages are placed by their page control
    const char *text;        // designed caption, if any
};

// Each page is laid out in two columns, 172 and 168 pixels wide; a group's
// title stands above its frame, which begins 21 pixels down.
const TPlacement Placements[] = {
    {"PageControl1", "", TKind::Tabs, 4, 4, 372, 254, nullptr},

    {"TabSheet1", "PageControl1", TKind::Page, 0, 0, 0, 0, "Program"},
    {"GroupBox1", "TabSheet1", TKind::Group, 8, 2, 172, 64, "Arpeggio speed"},
    {"ScrollSpeed", "GroupBox1", TKind::ScrollBar, 12, 35, 148, 17, nullptr},
    {"GroupBox4", "TabSheet1", TKind::Group, 188, 2, 168, 64, "Interface"},
    {"Fenetre", "GroupBox4", TKind::Switch, 24, 25, 120, 36, "Full"},
    {"GroupBox2", "TabSheet1", TKind::Group, 8, 70, 172, 68, "Notation"},
    {"RadioLatin", "GroupBox2", TKind::Radio, 12, 26, 152, 19, "Do, Ré, Mi..."},
    {"RadioGreek", "GroupBox2", TKind::Radio, 12, 46, 152, 19, "C, D, E..."},
    {"GroupBox3", "TabSheet1", TKind::Group, 188, 70, 168, 68, "Language"},
    {"RadioFrench", "GroupBox3", TKind::Radio, 12, 26, 148, 19, "Français"},
    {"RadioEnglish", "GroupBox3", TKind::Radio, 12, 46, 148, 19, "English"},
    {"GroupBackground", "TabSheet1", TKind::Group, 8, 142, 172, 78, "Backgound picture"},
    {"None", "GroupBackground", TKind::Radio, 12, 29, 78, 19, "None"},
    {"Default", "GroupBackground", TKind::Radio, 12, 52, 78, 19, "Default"},
    {"BtnLoad", "GroupBackground", TKind::Button, 90, 37, 74, 26, "Load..."},
    {"LabelDetune", "TabSheet1", TKind::Label, 200, 166, 84, 24, "Detune :"},
    {"SpinDetune", "TabSheet1", TKind::Spin, 288, 166, 60, 24, nullptr},
    {"CheckOnTop", "TabSheet1", TKind::Check, 200, 198, 156, 20, "Stay on top"},

    {"TabSheet2", "PageControl1", TKind::Page, 0, 0, 0, 0, "MIDI"},
    {"LabelMidiIn", "TabSheet2", TKind::Label, 8, 4, 172, 18, "MIDI In :"},
    {"ListMidiIn", "TabSheet2", TKind::List, 8, 22, 172, 62, nullptr},
    {"LabelMidiOut", "TabSheet2", TKind::Label, 8, 90, 172, 18, "MIDI Out :"},
    {"ListMidiOut", "TabSheet2", TKind::List, 8, 108, 172, 62, nullptr},
    {"LabelChannel", "TabSheet2", TKind::Label, 8, 186, 80, 24, "Channel :"},
    {"SpinChannel", "TabSheet2", TKind::Spin, 96, 186, 60, 24, nullptr},
    {"LabelInstrument", "TabSheet2", TKind::Label, 188, 4, 168, 18, "Instrument :"},
    {"ListInstrument", "TabSheet2", TKind::List, 188, 22, 168, 190, nullptr},

    {"BtnOk", "", TKind::Button, 206, 264, 82, 26, "Ok"},
    {"BtnCancel", "", TKind::Button, 294, 264, 82, 26, "Cancel"},
};

struct TLanguageText {
    const char *component; // "FrmMidiSetup" for the dialog's caption
    const char *english;
    const char *french;
};

// The "MIDI" page and the radio buttons of the naming and the language keep
// their designed texts in both languages; the layout switch's caption
// follows the layout as well.
const TLanguageText LanguageTexts[] = {
    {"FrmMidiSetup", "Setup", "Configuration"},
    {"TabSheet1", "Program", "Programme"},
    {"GroupBox1", "Arpeggio speed", "Vitesse arpège"},
    {"GroupBox2", "Notation", "Notation"},
    {"GroupBox3", "Language", "Langue"},
    {"GroupBackground", "Background picture", "Image de fond"},
    {"LabelDetune", "Detune", "Désaccord"},
    {"LabelChannel", "Channel :", "Canal :"},
    {"LabelMidiIn", "Input", "Entrée"},
    {"LabelMidiOut", "Output", "Sortie"},
    {"LabelInstrument", "Instrument", "Instrument"},
    {"BtnOk", "Accept", "Accepter"},
    {"BtnCancel", "Cancel", "Annuler"},
    {"BtnLoad", "Load...", "Charger..."},
    {"None", "None", "Aucun"},
    {"Default", "Default", "Defaut"},
    {"CheckOnTop", "Stay on top", "Fenêtre en avant-plan"},
};

using model::Channels;
using model::DetuneRange;
using model::FirstSpeed;
using model::LastSpeed;
constexpr int DesignedSpeed = 150;
constexpr int SpeedLargeStep = 50;
constexpr int ProgramChange = 0xC0;
constexpr int NoteOffKind = 0x80;
constexpr int NoteOnKind = 0x90;
// The input events taken before the event loop runs again: enough that the
// event loop's own work costs little beside them, few enough that a click or
// a repaint waits a few milliseconds at most while a flood comes in.
constexpr int InputBatch = 512;
constexpr std::chrono::milliseconds InputBatchTime(5);
constexpr int DeviceItemHeight = 16;

// The help file's sections on the dialog: the whole dialog and its "Program"
// page, and the "MIDI" page.
constexpr int SetupHelpContext = 42;
constexpr int ProgramPageHelpContext = 42;
constexpr int MidiPageHelpContext = 41;

const QString NoBackground = QStringLiteral("none");

constexpr Qt::WindowFlags DialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                        Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint |
                                        Qt::MSWindowsFixedSizeDialogHint;

// The layout switch of this dialog carries its caption under the picture,
// both centred in the switch's fixed width.
class TCaptionBelowSwitch : public TImgSwitch {
public:
    using TImgSwitch::TImgSwitch;

    QSize sizeHint() const override
    {
        const QSize glyph = GlyphSize();
        const QFontMetrics metrics(font());
        return QSize(qMax(glyph.width(), metrics.horizontalAdvance(Caption())),
                     glyph.height() + CaptionGap + metrics.height());
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QImage glyph = StateOn() ? GlyphOn() : GlyphOff();
        painter.drawImage((width() - glyph.width()) / 2, 0, glyph);
        painter.setPen(palette().color(QPalette::WindowText));
        const int top = GlyphSize().height() + CaptionGap;
        painter.drawText(QRect(0, top, width(), height() - top), Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                         Caption());
    }

private:
    static constexpr int CaptionGap = 2;

    QSize GlyphSize() const { return GlyphOn().size().expandedTo(GlyphOff().size()); }
};

QWidget *CreateControl(TKind kind, QWidget *parent)
{
    switch (kind) {
    case TKind::Tabs:
        return new QTabWidget(parent);
    case TKind::Page:
        return new QWidget(parent);
    case TKind::Group:
        return new QGroupBox(parent);
    case TKind::Label:
        return new QLabel(parent);
    case TKind::Radio:
        return new QRadioButton(parent);
    case TKind::Check:
        return new QCheckBox(parent);
    case TKind::Button: {
        // The dialog's buttons act on a click only, as flat buttons do: they
        // take no focus and none is a default, so Return runs no button.
        auto *button = new QPushButton(parent);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
        button->setDefault(false);
        return button;
    }
    case TKind::Spin:
        return new QSpinBox(parent);
    case TKind::ScrollBar:
        return new QScrollBar(Qt::Horizontal, parent);
    case TKind::Switch:
        return new TCaptionBelowSwitch(parent);
    case TKind::List:
        return new TOwnerDrawList(parent);
    }
    return nullptr;
}

// A page's text is its tab's. False when the control is no page.
bool SetPageText(QWidget *control, const QString &text)
{
    const QWidget *stack = control->parentWidget();
    auto *tabs = stack ? qobject_cast<QTabWidget *>(stack->parentWidget()) : nullptr;
    const int page = tabs ? tabs->indexOf(control) : -1;
    if (page < 0)
        return false;
    tabs->setTabText(page, text);
    return true;
}

void SetText(QWidget *control, const QString &text)
{
    if (SetPageText(control, text))
        return;
    if (auto *group = qobject_cast<QGroupBox *>(control))
        group->setTitle(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(control))
        button->setText(text);
    else if (auto *label = qobject_cast<QLabel *>(control))
        label->setText(text);
    else if (auto *sw = qobject_cast<TImgSwitch *>(control))
        sw->setCaption(text);
    else
        control->setWindowTitle(text);
}

// The message a failure carries, as the dialog shows it after its prefix.
QString MessageOf(const std::exception &failure)
{
    if (const auto *exception = dynamic_cast<const platform::Exception *>(&failure))
        return exception->Message();
    return QString::fromUtf8(failure.what());
}

// A radio button of an exclusive group that the user cannot uncheck; code can.
void Uncheck(QRadioButton *button)
{
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

void AddDevice(TOwnerDrawList *list, const QString &name, const QString &saved)
{
    list->addItem(name);
    if (!saved.isEmpty() && saved == name)
        list->setItemIndex(list->count() - 1);
}

QString SelectedText(const TOwnerDrawList *list)
{
    const int index = list->ItemIndex();
    return index < 0 ? QString() : list->item(index)->text();
}

QString FenetreCaption(bool compact)
{
    if (model::Language == 1)
        return compact ? QStringLiteral("Compact") : QStringLiteral("Full");
    return compact ? QStringLiteral("Compacte") : QStringLiteral("Complète");
}

// The hourglass while the choices are applied; the arrow comes back even
// when a step fails.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { Restore(); }
    TWaitCursor(const TWaitCursor &) = delete;
    TWaitCursor &operator=(const TWaitCursor &) = delete;

    void Restore()
    {
        if (std::exchange(FShown, false))
            QApplication::restoreOverrideCursor();
    }

private:
    bool FShown = true;
};

TOpenDialog::TChooser &Chooser()
{
    static TOpenDialog::TChooser chooser;
    return chooser;
}

} // namespace

// ---------------------------------------------------------------------------
// The file open dialog

bool TOpenDialog::Execute(QWidget *parent)
{
    FileName = Chooser() ? Chooser()(Title, Filter) : QFileDialog::getOpenFileName(parent, Title, QString(), Filter);
    return !FileName.isEmpty();
}

void TOpenDialog::SetChooser(TChooser chooser)
{
    Chooser() = std::move(chooser);
}

// ---------------------------------------------------------------------------
// Creation

TFrmMidiSetup::TFrmMidiSetup(TFormMain *mainWindow) : QDialog(mainWindow, DialogFlags), FFormMain(mainWindow)
{
    setObjectName("FrmMidiSetup");
    setWindowTitle("Setup");
    setFixedSize(ClientWidth, ClientHeight);
    OpenDialog1.Title = QStringLiteral("Image");
    OpenDialog1.Filter = QStringLiteral("Image (*.bmp *.jpg *.gif *.jpeg)");

    CreateComponents();
    StyleComponents();
    CreateMidiComponents();
    ConnectEvents();
    ui::InstallHelpKey(this, SetupHelpContext);
    ui::SetHelpContext(TabSheet1, ProgramPageHelpContext);
    ui::SetHelpContext(TabSheet2, MidiPageHelpContext);

    // Every window reaches the output through the dialog from now on.
    FrmMidiSetup = this;
    FormCreate();
}

TFrmMidiSetup::~TFrmMidiSetup()
{
    if (FrmMidiSetup == this)
        FrmMidiSetup = nullptr;
}

void TFrmMidiSetup::CreateComponents()
{
    for (const TPlacement &place : Placements) {
        QWidget *parent = *place.parent ? findChild<QWidget *>(QString::fromLatin1(place.parent)) : this;
        QWidget *control = CreateControl(place.kind, parent);
        control->setObjectName(QString::fromLatin1(place.name));
        if (place.kind == TKind::Page)
            static_cast<QTabWidget *>(parent)->addTab(control, QString());
        else
            control->setGeometry(place.x, place.y, place.width, place.height);
        // The switch keeps its place whatever its caption, centred in it.
        if (place.kind == TKind::Switch)
            control->setFixedSize(place.width, place.height);
        if (place.text)
            SetText(control, QString::fromUtf8(place.text));
    }

    const auto find = [this]<typename T>(T *&member, const char *name) {
        member = findChild<T *>(QString::fromLatin1(name));
    };
    find(PageControl1, "PageControl1");
    find(TabSheet1, "TabSheet1");
    find(LabelDetune, "LabelDetune");
    find(SpinDetune, "SpinDetune");
    find(GroupBox1, "GroupBox1");
    find(ScrollSpeed, "ScrollSpeed");
    find(GroupBox2, "GroupBox2");
    find(RadioLatin, "RadioLatin");
    find(RadioGreek, "RadioGreek");
    find(GroupBox3, "GroupBox3");
    find(RadioFrench, "RadioFrench");
    find(RadioEnglish, "RadioEnglish");
    find(GroupBackground, "GroupBackground");
    find(None, "None");
    find(Default, "Default");
    find(BtnLoad, "BtnLoad");
    find(GroupBox4, "GroupBox4");
    find(Fenetre, "Fenetre");
    find(CheckOnTop, "CheckOnTop");
    find(TabSheet2, "TabSheet2");
    find(LabelMidiIn, "LabelMidiIn");
    find(ListMidiIn, "ListMidiIn");
    find(LabelMidiOut, "LabelMidiOut");
    find(ListMidiOut, "ListMidiOut");
    find(LabelInstrument, "LabelInstrument");
    find(ListInstrument, "ListInstrument");
    find(LabelChannel, "LabelChannel");
    find(SpinChannel, "SpinChannel");
    find(BtnOk, "BtnOk");
    find(BtnCancel, "BtnCancel");
}

void TFrmMidiSetup::StyleComponents()
{
    setFont(VerdanaFont(12));

    SpinDetune->setRange(-DetuneRange, DetuneRange);
    SpinChannel->setRange(1, Channels);
    SpinChannel->setValue(1);
    SpinChannel->setAlignment(Qt::AlignCenter);
    SpinDetune->setAlignment(Qt::AlignCenter);
    // The numbers are chosen with the arrows, never typed.
    for (QSpinBox *spin : {SpinDetune, SpinChannel})
        spin->findChild<QLineEdit *>()->setReadOnly(true);

    ScrollSpeed->setRange(FirstSpeed, LastSpeed);
    ScrollSpeed->setValue(DesignedSpeed);
    ScrollSpeed->setPageStep(SpeedLargeStep);
    ScrollSpeed->setSingleStep(1);

    Default->setChecked(true);

    for (TOwnerDrawList *list : {ListMidiIn, ListMidiOut, ListInstrument}) {
        list->setItemHeight(DeviceItemHeight);
        list->setFrameShape(QFrame::StyledPanel);
        list->setFrameShadow(QFrame::Sunken);
    }
    for (const char *name : GeneralMidiPrograms)
        ListInstrument->addItem(QString::fromLatin1(name));
}

void TFrmMidiSetup::CreateMidiComponents()
{
    Midi_IF_Input = new TMidiInput(this);
    Midi_IF_Input->setObjectName("Midi_IF_Input");
    Midi_IF_Input->setSysexBufferSize(4096);
    Midi_IF_Output = new TMidiOutput(this);
    Midi_IF_Output->setObjectName("Midi_IF_Output");
    // The dialog's definition names the MIDI mapper.
    platform::RunGuarded([this] { Midi_IF_Output->setDeviceID(TMidiOutput::MidiMapper); });
}

void TFrmMidiSetup::ConnectEvents()
{
    connect(BtnOk, &QPushButton::clicked, this, &TFrmMidiSetup::BtnOkClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TFrmMidiSetup::BtnCancelClick);
    connect(BtnLoad, &QPushButton::clicked, this, &TFrmMidiSetup::BtnLoadClick);
    connect(Fenetre, &TImgSwitch::OnOn, this, &TFrmMidiSetup::FenetreOn);
    connect(Fenetre, &TImgSwitch::OnOff, this, &TFrmMidiSetup::FenetreOff);
    connect(Midi_IF_Input, &TMidiInput::OnMidiInput, this, &TFrmMidiSetup::Midi_IF_InputMidiInput);
}

void TFrmMidiSetup::FormCreate()
{
    // Each step reports its own failure and the next still runs, so the
    // dialog is always there to put things right.
    const std::function<void()> steps[] = {
        [this] { ApplyLanguage(); },
        [this] {
            if (model::WindowCompact)
                Fenetre->setStateOn(true);
        },
        [this] {
            (model::Notation ? RadioGreek : RadioLatin)->setChecked(true);
            (model::Language == 1 ? RadioEnglish : RadioFrench)->setChecked(true);
            CheckOnTop->setChecked(model::OnTop);
        },
        [this] { CheckBackgroundChoice(); },
        [this] { ScrollSpeed->setValue(model::Speed); },
        [this] { BuildNoteNames(); },
        [this] { ListDevices(); },
        [this] {
            CloseInput();
            CloseOutput();
            OpenInput();
            OpenOutput();
        },
        [this] {
            SpinChannel->setValue(model::MidiChannel + 1);
            SpinDetune->setValue(model::Detune);
        },
        [this] { SendProgramChange(); },
    };
    for (const auto &step : steps)
        platform::RunGuarded(step);
}

void TFrmMidiSetup::CheckBackgroundChoice()
{
    if (model::Background == NoBackground) {
        None->setChecked(true);
    } else if (model::Background.isEmpty()) {
        Default->setChecked(true);
    } else {
        // A picture of the user's: neither button, as "Load..." leaves them,
        // so that accepting loads that picture again.
        Uncheck(None);
        Uncheck(Default);
    }
}

void TFrmMidiSetup::ApplyLanguage()
{
    if (model::Language != 1 && model::Language != 2)
        return;
    for (const TLanguageText &text : LanguageTexts) {
        const QString name = QString::fromLatin1(text.component);
        QWidget *control = name == objectName() ? this : findChild<QWidget *>(name);
        SetText(control, QString::fromUtf8(model::Language == 1 ? text.english : text.french));
    }
    Fenetre->setCaption(FenetreCaption(model::WindowCompact));
}

void TFrmMidiSetup::BuildNoteNames()
{
    model::FillNoteNames();
}

// ---------------------------------------------------------------------------
// Devices

void TFrmMidiSetup::ShowError(const QString &text)
{
    ui::MessageDlg(this, ui::TMsgDlgType::Error, text);
}

void TFrmMidiSetup::ListDevices()
{
    ListInputs();
    ListOutputs();
    ListInstrument->setItemIndex(model::Son);
}

void TFrmMidiSetup::ListInputs()
{
    try {
        for (int device = 0; device < Midi_IF_Input->DeviceCount(); ++device) {
            Midi_IF_Input->setDeviceID(static_cast<uint16_t>(device));
            AddDevice(ListMidiIn, Midi_IF_Input->ProductName(), model::MidiIFIn);
        }
    } catch (const std::exception &failure) {
        ShowError(QStringLiteral("erreur CreeMenuMidi(in): ") + MessageOf(failure));
    }
}

void TFrmMidiSetup::ListOutputs()
{
    // The mapper stands for one of the devices listed: it is not listed itself.
    try {
        for (int device = 0; device < Midi_IF_Output->DeviceCount(); ++device) {
            Midi_IF_Output->setDeviceID(device);
            AddDevice(ListMidiOut, Midi_IF_Output->ProductName(), model::MidiIFOut);
        }
    } catch (const std::exception &failure) {
        ShowError(QStringLiteral("erreur CreeMenuMidi(out): ") + MessageOf(failure));
    }
}

void TFrmMidiSetup::OpenInput()
{
    if (ListMidiIn->ItemIndex() < 0)
        return;
    try {
        Midi_IF_Input->Close();
        Midi_IF_Input->setProductName(SelectedText(ListMidiIn));
        Midi_IF_Input->Open();
        Midi_IF_Input->Start();
    } catch (const std::exception &failure) {
        ShowError(QStringLiteral("erreur OpenDevs(in): ") + MessageOf(failure));
    }
}

void TFrmMidiSetup::OpenOutput()
{
    // A chosen device that is not listed any more is still looked for, so
    // that its absence is told; its name stays chosen for when it is back.
    const QString device = ListMidiOut->ItemIndex() >= 0 ? SelectedText(ListMidiOut) : model::MidiIFOut;
    if (device.isEmpty())
        return;
    const QString told = QStringLiteral("erreur OpenDevs(out): ");
    try {
        CloseOutput();
        Midi_IF_Output->setProductName(device);
        if (!Midi_IF_Output->Open())
            ShowError(told + Midi_IF_Output->OpenFailure());
    } catch (const std::exception &failure) {
        ShowError(told + MessageOf(failure));
    }
    UpdateThru();
}

void TFrmMidiSetup::CloseInput()
{
    Midi_IF_Input->Close();
}

void TFrmMidiSetup::CloseOutput()
{
    // No echo may go to a device being closed.
    Midi_IF_Input->setThruDevice(nullptr);
    Midi_IF_Output->Close();
}

void TFrmMidiSetup::UpdateThru()
{
    Midi_IF_Input->setThruDevice(model::AnalyserOpen && FormAnalyse ? Midi_IF_Output->DeviceHandle() : nullptr);
}

void TFrmMidiSetup::SendProgramChange()
{
    if (Midi_IF_Output->DeviceHandle())
        Midi_IF_Output->SendShort(static_cast<uint8_t>(ProgramChange + model::MidiChannel), model::Son, 0);
}

void TFrmMidiSetup::Midi_IF_InputMidiInput(TMidiInput *sender)
{
    // Without an analysis window the events wait in the input's buffer; while
    // a batch is on its way, that batch takes them.
    if (!model::AnalyserOpen || !FormAnalyse || FInputTurnQueued)
        return;
    const auto deadline = std::chrono::steady_clock::now() + InputBatchTime;
    for (int taken = 0; taken < InputBatch && std::chrono::steady_clock::now() < deadline; ++taken) {
        const std::unique_ptr<TMyMidiEvent> event = sender->ReadEvent();
        if (!event)
            return;
        HandleInputEvent(*event);
    }
    if (sender->PendingCount() > 0)
        QueueInputTurn(sender);
}

void TFrmMidiSetup::QueueInputTurn(TMidiInput *sender)
{
    FInputTurnQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this, input = QPointer<TMidiInput>(sender)] {
            FInputTurnQueued = false;
            if (input)
                Midi_IF_InputMidiInput(input);
        },
        Qt::QueuedConnection);
}

void TFrmMidiSetup::HandleInputEvent(const TMyMidiEvent &event)
{
    // MIDI thru: every event goes out again, whatever its kind, here unless
    // it went out as it arrived.
    if (!event.Echoed && Midi_IF_Output->DeviceHandle())
        Midi_IF_Output->SendEvent(event);
    // Keyboards let a key go with a note-off, or with a note-on of velocity 0.
    const int kind = event.StatusByte & 0xF0;
    if (kind != NoteOnKind && kind != NoteOffKind)
        return;
    const int note = event.DataByte1;
    const bool pressed = kind == NoteOnKind && event.DataByte2 > 0;
    const int pc = note % 12;
    const int octave = note / 12;
    // Beyond the window's four octaves.
    if (octave < 2 || octave > 5)
        return;
    TKeyEntry &key = AnalyserKeys[(octave - 2) * 12 + pc];
    if (!key.Key)
        return;
    if (pressed) {
        ShowAnalyserKey(key.Key, TFormAnalyse::PressedKeyColor);
        key.Pressed = true;
        CountHeldKey(pc);
    } else {
        // The key's own released colour, white or black, under letter and
        // solfège names alike (judging by the length of the note's name
        // would turn every key black under solfège names).
        ShowAnalyserKey(key.Key, key.Key->OnClickUnselectColor());
        key.Pressed = false;
        UncountHeldKey(pc);
    }
    FormAnalyse->LedIn->setBrushColor(TFormAnalyse::LampLitColor);
    FormAnalyse->EnableTimer1();
    FormAnalyse->RecogniseChord();
}

// ---------------------------------------------------------------------------
// Showing and accepting

void TFrmMidiSetup::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormActivate();
    // A list shows its chosen line only once it is on screen.
    for (TOwnerDrawList *list : {ListMidiIn, ListMidiOut, ListInstrument})
        if (list->currentItem())
            list->scrollToItem(list->currentItem(), QAbstractItemView::PositionAtCenter);
}

void TFrmMidiSetup::FormActivate()
{
    FLanguage = model::Language;
    FNotation = model::Notation;
    FWindowCompact = model::WindowCompact;
}

void TFrmMidiSetup::BtnOkClick()
{
    TWaitCursor hourglass;
    model::Speed = ScrollSpeed->value();
    // A picture that cannot be read is reported; the user's other choices
    // still take effect.
    platform::RunGuarded([this] { ApplyBackground(); });
    ApplyNotation();
    ApplyLayout();
    ApplyLanguageChoice();
    model::MidiChannel = SpinChannel->value() - 1;
    const QString inputBefore = model::MidiIFIn;
    TakeDeviceChoices();
    CloseOutput();
    OpenOutput();
    // An input chosen now is heard now, not from the next start on.
    if (model::MidiIFIn != inputBefore || !Midi_IF_Input->DeviceHandle())
        OpenInput();
    // No instrument chosen: the one before stays, and nothing is sent.
    if (ListInstrument->ItemIndex() >= 0) {
        model::Son = ListInstrument->ItemIndex();
        if (model::Son != 0)
            SendProgramChange();
    }
    model::Detune = SpinDetune->value();
    hourglass.Restore();
    model::OnTop = CheckOnTop->isChecked();
    FFormMain->ApplyOnTop();
    hide();
}

void TFrmMidiSetup::ApplyBackground()
{
    if (None->isChecked()) {
        FFormMain->ClearBackground();
        model::Background = NoBackground;
    } else if (Default->isChecked()) {
        model::Background.clear();
        FFormMain->LoadDefaultBackground();
    } else if (!model::Background.isEmpty()) {
        FFormMain->LoadBackgroundPicture(model::Background);
    }
    // Otherwise "Load..." was cancelled: there is no picture to load, and the
    // one on show stays.
}

void TFrmMidiSetup::ApplyNotation()
{
    model::Notation = RadioGreek->isChecked();
    if (model::Notation == FNotation)
        return;
    BuildNoteNames();
    FFormMain->FillRootList();
    FFormMain->ShowSelection();
}

void TFrmMidiSetup::ApplyLayout()
{
    model::WindowCompact = Fenetre->StateOn();
    if (model::WindowCompact != FWindowCompact)
        FFormMain->ApplyLayout();
}

void TFrmMidiSetup::ApplyLanguageChoice()
{
    model::Language = RadioFrench->isChecked() ? 2 : 1;
    if (model::Language == FLanguage)
        return;
    ApplyLanguage();
    FFormMain->ApplyLanguage();
    if (model::PatternFormCreated && OnPatternLanguage)
        OnPatternLanguage();
    if (OnQtLanguage)
        OnQtLanguage();
    model::HelpFile = model::Language == 1 ? QStringLiteral("ZADIVIZIRAZ.ARI") : QStringLiteral("ZUVIVODADOZ.IDI");
}

void TFrmMidiSetup::TakeDeviceChoices()
{
    if (ListMidiIn->ItemIndex() >= 0)
        model::MidiIFIn = SelectedText(ListMidiIn);
    if (ListMidiOut->ItemIndex() >= 0)
        model::MidiIFOut = SelectedText(ListMidiOut);
}

void TFrmMidiSetup::BtnCancelClick()
{
    hide();
}

void TFrmMidiSetup::BtnLoadClick()
{
    // A cancelled chooser leaves the choice made before it.
    if (!OpenDialog1.Execute(this))
        return;
    model::Background = OpenDialog1.FileName;
    Uncheck(None);
    Uncheck(Default);
}

void TFrmMidiSetup::FenetreOn()
{
    Fenetre->setCaption(FenetreCaption(true));
}

void TFrmMidiSetup::FenetreOff()
{
    Fenetre->setCaption(FenetreCaption(false));
}

// ---------------------------------------------------------------------------
// Closing

void TFrmMidiSetup::FormClose()
{
    // The dialog is only put away: the devices stay open, for every window
    // plays through them, and are closed when the program ends.
    model::SaveSettings();
}

void TFrmMidiSetup::closeEvent(QCloseEvent *event)
{
    // The close box puts the dialog away like Cancel and keeps the settings
    // so far; a failed save is reported and the dialog goes all the same.
    platform::RunGuarded([this] { FormClose(); });
    event->accept();
    hide();
}
