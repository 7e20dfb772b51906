#include "ui/analyse.h"

#include "midi/MidiIn.h"
#include "midi/MidiOut.h"
#include "model/Declare.h"
#include "model/Recognition.h"
#include "platform/ErrorHandler.h"
#include "platform/Exception.h"
#include "ui/Colors.h"
#include "ui/Controls.h"
#include "ui/HelpContext.h"
#include "ui/Keys.h"
#include "ui/MessageDlg.h"
#include "ui/Midi_Setup.h"
#include "ui/PanelResources.h"
#include "ui/ShapePiano.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QRadialGradient>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <exception>

TFormAnalyse *FormAnalyse = nullptr;

namespace {

// Every analysis window there is, oldest first.
std::vector<TFormAnalyse *> Analysers;

// ---------------------------------------------------------------------------
// The window's definition

// The window is designed 723 x 229 with its sizeable tool frame; the frame's
// borders take 4 pixels a side and its small caption 17, which leaves this.
constexpr QSize ClientSize(715, 204);

constexpr QRect Image1Rect(8, 14, 616, 105);
constexpr QRect BtnClearRect(632, 16, 73, 22);
constexpr QRect BtnChordRect(632, 48, 73, 57);
constexpr QRect LedInRect(640, 110, 9, 9);
constexpr QRect LedOutRect(688, 110, 9, 9);
constexpr QRect TntLabel1Rect(8, 132, 689, 25);
constexpr QRect TntLabel2Rect(8, 160, 689, 25);
constexpr QSize ChordPictureSize(64, 50);

// White keys: the k-th from the left at 9 + 22 k; black keys at these lefts
// in the first octave and 154 further in each next one.
constexpr int WhiteLeft = 9;
constexpr int WhiteStep = 22;
constexpr QSize WhiteKeySize(21, 103);
constexpr int WhiteTop = 16;
constexpr std::array<int, 7> WhiteSemitones = {0, 2, 4, 5, 7, 9, 11};
constexpr std::array<TShapePianoType, 7> WhiteShapes = {Piano_C, Piano_D, Piano_E, Piano_C, Piano_D, Piano_A, Piano_B};
constexpr std::array<int, 5> BlackSemitones = {1, 3, 6, 8, 10};
constexpr std::array<int, 5> BlackLefts = {24, 50, 89, 114, 139};
constexpr int OctaveWidth = 154;
constexpr QSize BlackKeySize(11, 58);
constexpr int BlackTop = 17;

constexpr uint32_t WhiteKeyColor = 0xEFFBFD;
constexpr uint32_t BlackKeyColor = 0x000000;
constexpr uint32_t KeyHoverColor = 0xA6CAF0;
constexpr uint32_t ResultColor = 0xFF0000; // blue

constexpr int TimerInterval = 300;
constexpr int Velocity = 64;
constexpr int NoteOn = 0x90;
constexpr int NoteOff = 0x80;
constexpr int FirstKeyNote = 35; // key n sounds as note n + 35

const char KeyNamePrefix[] = "ShapePiano";

QString KeyName(int n)
{
    return QString::fromLatin1(KeyNamePrefix) + QString::number(n);
}

constexpr int AnalyserHelpContext = 51;

// The panel's colours, as on the main window: light engraving on dark metal.
const QColor Engraving(0xea, 0xdf, 0xc2);
const QColor ButtonMetal(0x3a, 0x3b, 0x41);

struct TLanguageTexts {
    const char *caption;
    const char *chordHint;
    const char *clearHint;
};

const TLanguageTexts English = {"Chord analyser", "Find the chord", "Clear"};
const TLanguageTexts French = {"Analyse d'accord", "Trouver l'accord", "Effacer"};

const char *const ResultSeparator = " <OR> ";

void SetColor(QWidget *control, QPalette::ColorRole role, const QColor &color)
{
    QPalette palette = control->palette();
    palette.setColor(role, color);
    control->setPalette(palette);
}

// The full text of a result label, one match a line, for when the label is
// too narrow to show it.
QString ResultToolTip(const QString &text)
{
    QStringList lines;
    for (const QString &match : text.split(QLatin1String(ResultSeparator)))
        lines << match.trimmed().toHtmlEscaped();
    return QStringLiteral("<p style='white-space:pre'>%1</p>").arg(lines.join(QLatin1String("<br>")));
}

// The labels keep their one-line look and cut a long text at the right edge;
// their tool tip then shows the whole of it.
void ShowResult(QLabel *label, const QString &text)
{
    label->setText(text);
    const int room = label->contentsRect().width() - qMax(label->indent(), 0);
    const bool fits = QFontMetrics(label->font()).horizontalAdvance(text) <= room;
    label->setToolTip(fits ? QString() : ResultToolTip(text));
}

} // namespace

// ---------------------------------------------------------------------------
// Held keys

void ShowAnalyserKey(TShapePiano *key, uint32_t color)
{
    key->setBrushColor(color);
}

void SwitchOffAnalyserNotes()
{
    for (TFormAnalyse *window : Analysers)
        window->SwitchOffPlayedKeys();
}

void CountHeldKey(int pc)
{
    ++model::PitchClassCounts[pc];
}

void UncountHeldKey(int pc)
{
    int &count = model::PitchClassCounts[pc];
    if (count > 0)
        --count;
}

// ---------------------------------------------------------------------------
// Lamp

TLamp::TLamp(QWidget *parent) : QWidget(parent), FBrushColor(OffColor())
{
    setAttribute(Qt::WA_TranslucentBackground);
}

uint32_t TLamp::OffColor()
{
    return BgrFromColor(QGuiApplication::palette().color(QPalette::Button));
}

void TLamp::setBrushColor(uint32_t color)
{
    if (FBrushColor == color)
        return;
    FBrushColor = color;
    update();
}

void TLamp::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF lens = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool lit = FBrushColor != OffColor();
    const QColor colour = ColorFromBgr(FBrushColor);
    const QColor body = lit ? colour : colour.darker(420);
    QRadialGradient glass(lens.center() - QPointF(1.2, 1.2), lens.width() * 0.7);
    glass.setColorAt(0.0, lit ? body.lighter(170) : body.lighter(190));
    glass.setColorAt(1.0, lit ? body : body.darker(130));
    painter.setPen(QPen(QColor(0, 0, 0, 200), 1.0));
    painter.setBrush(glass);
    painter.drawEllipse(lens);
}

// ---------------------------------------------------------------------------
// Creation

TFormAnalyse::TFormAnalyse(QWidget *owner) : QWidget(owner, Qt::Tool)
{
    setObjectName("FormAnalyse");
    setWindowTitle("Chord analyser");
    InitPanelResources();
    setWindowIcon(ProgramIcon());
    resize(ClientSize);

    CreateComponents();
    CreateKeyboard();
    StyleComponents();
    ConnectEvents();
    ui::InstallHelpKey(this, AnalyserHelpContext);

    PlaceOverOwner();

    // The MIDI input and the menu reach the newest window from its creation on.
    FormAnalyse = this;
    Analysers.push_back(this);
    FormCreate();
    // The window sees the keys before whichever of its controls has the focus.
    qApp->installEventFilter(this);
}

TFormAnalyse::~TFormAnalyse()
{
    std::erase(Analysers, this);
    // The keys go with the window: nothing may keep pointing at them.
    for (TKeyEntry &entry : AnalyserKeys)
        if (entry.Key && entry.Key->window() == this)
            entry.Key = nullptr;
    if (FormAnalyse == this)
        FormAnalyse = nullptr;
    if (FOpen) {
        FOpen = false;
        HandInputToNewestOpen();
    }
}

void TFormAnalyse::PlaceOverOwner()
{
    // Centred on the window that opened it, so it never starts hidden in a
    // corner of the desktop far from the keyboard it belongs with.
    const QWidget *owner = parentWidget();
    if (!owner)
        return;
    const QRect frame = owner->frameGeometry();
    move(frame.center() - QPoint(width() / 2, height() / 2));
}

void TFormAnalyse::CreateComponents()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Panel3 = new TPanel(this);
    Panel3->setObjectName("Panel3");
    layout->addWidget(Panel3);

    Image1 = new TImage(Panel3);
    Image1->setObjectName("Image1");
    Image1->setGeometry(Image1Rect);

    BtnClear = new QToolButton(Panel3);
    BtnClear->setObjectName("BtnClear");
    BtnClear->setGeometry(BtnClearRect);
    BtnClear->setText("Clear");

    BtnChord = new QToolButton(Panel3);
    BtnChord->setObjectName("BtnChord");
    BtnChord->setGeometry(BtnChordRect);
    SetHint(BtnChord, "Chord ?");

    LedIn = new TLamp(Panel3);
    LedIn->setObjectName("LedIn");
    LedIn->setGeometry(LedInRect);
    LedOut = new TLamp(Panel3);
    LedOut->setObjectName("LedOut");
    LedOut->setGeometry(LedOutRect);
    // Only the buttons show their hints.
    SetHint(LedIn, "MIDI-IN activity");
    SetHint(LedOut, "MIDI-OUT activity");
    SetShowHint(LedIn, false);
    SetShowHint(LedOut, false);
    // Engraved under the lamps, as on a device's front panel.
    for (const auto &[lamp, text] : {std::pair{LedIn, "IN"}, std::pair{LedOut, "OUT"}}) {
        auto *engraving = new QLabel(QString::fromLatin1(text), Panel3);
        engraving->setObjectName(lamp->objectName() + "Caption");
        engraving->setGeometry(lamp->geometry().center().x() - 15, lamp->geometry().bottom() + 1, 31, 12);
        engraving->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        engraving->setFont(VerdanaFont(8, true));
    }

    TntLabel1 = new TDisplayLabel(Panel3);
    TntLabel1->setObjectName("TntLabel1");
    TntLabel1->setGeometry(TntLabel1Rect);
    TntLabel2 = new TDisplayLabel(Panel3);
    TntLabel2->setObjectName("TntLabel2");
    TntLabel2->setGeometry(TntLabel2Rect);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(TimerInterval);
}

void TFormAnalyse::CreateKeyboard()
{
    struct TKeyPlace {
        int key; // 1..48
        int semitone;
        QRect rect;
        TShapePianoType shape;
        uint32_t color;
    };
    std::vector<TKeyPlace> places;
    // White keys first: the black keys, created later, lie in front of them.
    for (int octave = 0; octave < 4; ++octave)
        for (int i = 0; i < 7; ++i) {
            const int left = WhiteLeft + WhiteStep * (octave * 7 + i);
            places.push_back({octave * 12 + WhiteSemitones[i] + 1, WhiteSemitones[i],
                              QRect(QPoint(left, WhiteTop), WhiteKeySize), WhiteShapes[i], WhiteKeyColor});
        }
    for (int octave = 0; octave < 4; ++octave)
        for (int i = 0; i < 5; ++i) {
            const int left = BlackLefts[i] + OctaveWidth * octave;
            places.push_back({octave * 12 + BlackSemitones[i] + 1, BlackSemitones[i],
                              QRect(QPoint(left, BlackTop), BlackKeySize), jstRoundRect, BlackKeyColor});
        }

    for (const TKeyPlace &place : places) {
        auto *key = new TShapePiano(Panel3);
        key->setObjectName(QString::fromLatin1(KeyNamePrefix) + QString::number(place.key));
        key->setGeometry(place.rect);
        key->setShape(place.shape);
        key->setTag(place.semitone + 1);
        key->setPenStyle(Qt::NoPen);
        key->setBrushColor(place.color);
        key->setOnClickUnselectColor(place.color);
        key->setOnClickSelectColor(PressedKeyColor);
        key->setOnHoverColor(KeyHoverColor);
        key->setHover(true);
        key->setClickSelect(true);
        key->setSwitch(true);
        key->setValue(false);
        key->setCursor(Qt::PointingHandCursor);
    }
}

void TFormAnalyse::StyleComponents()
{
    // Everything on the panel inherits the engraving colour.
    SetColor(Panel3, QPalette::WindowText, Engraving);
    Image1->setPicture(ReadPicture(QString::fromLatin1(PanelKeyboardPicture)));

    for (QLabel *label : {TntLabel1, TntLabel2}) {
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(false);
        SetColor(label, QPalette::WindowText, ColorFromBgr(ResultColor));
    }
    TntLabel1->setFont(VerdanaFont(13));
    TntLabel2->setFont(VerdanaFont(15));

    for (QToolButton *button : {BtnClear, BtnChord}) {
        // Speed buttons never take the focus, so Space and Escape always
        // reach the window rather than click a button.
        button->setFocusPolicy(Qt::NoFocus);
        button->setCursor(Qt::PointingHandCursor);
        QPalette metal = button->palette();
        metal.setColor(QPalette::Button, ButtonMetal);
        metal.setColor(QPalette::ButtonText, Engraving);
        button->setPalette(metal);
    }
    BtnClear->setFont(VerdanaFont(11));
    BtnChord->setAutoRaise(true);
    BtnChord->setIcon(QIcon(QPixmap::fromImage(ReadPicture(QString::fromLatin1(PanelChordPicture)))));
    BtnChord->setIconSize(ChordPictureSize);
}

void TFormAnalyse::ConnectEvents()
{
    connect(BtnChord, &QToolButton::clicked, this, &TFormAnalyse::BtnChordClick);
    connect(BtnClear, &QToolButton::clicked, this, &TFormAnalyse::BtnClearClick);
    connect(Timer1, &QTimer::timeout, this, &TFormAnalyse::Timer1Timer);
    for (TShapePiano *key : Panel3->findChildren<TShapePiano *>())
        connect(key, &TShapePiano::OnMouseUp, this, &TFormAnalyse::ShapePiano1MouseUp);
}

// ---------------------------------------------------------------------------
// Handlers

void TFormAnalyse::FormCreate()
{
    BindAnalyserKeys();
    ApplyLanguage();
    FOpen = true;
    model::AnalyserOpen = true;
    if (FrmMidiSetup)
        FrmMidiSetup->UpdateThru();
    // What a keyboard sent while no analysis window was open still waits in
    // the input's buffer. It comes out now, not at the next key played,
    // which would find the buffer full and be lost.
    QTimer::singleShot(0, this, &TFormAnalyse::TakeWaitingInput);
}

void TFormAnalyse::TakeWaitingInput()
{
    if (!FrmMidiSetup || FormAnalyse != this || !model::AnalyserOpen)
        return;
    // The notices of the waiting events were spent while no window was open;
    // the handler goes on by itself until it has taken them all.
    FrmMidiSetup->Midi_IF_InputMidiInput(FrmMidiSetup->Midi_IF_Input);
}

void TFormAnalyse::FormClose()
{
    if (FOpen) {
        FOpen = false;
        HandInputToNewestOpen();
    }
    // A sustained sound would otherwise ring on with nothing left to stop it.
    SwitchOffPlayedKeys();
}

void TFormAnalyse::HandInputToNewestOpen()
{
    const auto open =
        std::find_if(Analysers.rbegin(), Analysers.rend(), [](const TFormAnalyse *window) { return window->FOpen; });
    model::AnalyserOpen = open != Analysers.rend();
    if (model::AnalyserOpen && FormAnalyse != *open)
        (*open)->TakeOverInput();
    if (FrmMidiSetup)
        FrmMidiSetup->UpdateThru();
}

void TFormAnalyse::TakeOverInput()
{
    FormAnalyse = this;
    for (int n = 1; n <= 48; ++n) {
        TKeyEntry &entry = AnalyserKeys[n - 1];
        entry.Key = findChild<TShapePiano *>(KeyName(n));
        if (!entry.Key)
            continue;
        if (entry.Pressed) {
            ShowAnalyserKey(entry.Key, PressedKeyColor);
        } else {
            ShowAnalyserKey(entry.Key, entry.Key->OnClickUnselectColor());
            entry.Key->setValue(false);
        }
    }
}

void TFormAnalyse::closeEvent(QCloseEvent *event)
{
    // An output that refuses a note-off is reported; the window closes all the same.
    platform::RunGuarded([this] { FormClose(); });
    // Hidden, not destroyed: the window stays until the program ends.
    event->accept();
}

void TFormAnalyse::FormKeyUp(int key)
{
    if (key == Qt::Key_Space)
        BtnChord->click();
    else if (key == Qt::Key_Escape)
        ReleaseAnalyserKeys();
}

bool TFormAnalyse::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyRelease && IsFirstKeyReceiver(this, watched)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        // A held key repeats its release too; the key is let go only once.
        if (!key->isAutoRepeat())
            FormKeyUp(key->key());
    }
    return false; // the control gets the key too
}

void TFormAnalyse::ShapePiano1MouseUp(QObject *Sender, Qt::MouseButton, Qt::KeyboardModifiers, int, int)
{
    auto *key = qobject_cast<TShapePiano *>(Sender);
    if (!key)
        throw platform::Exception(QStringLiteral("Invalid class typecast"));
    AnalyserKeyToggled(key);
}

void TFormAnalyse::BtnChordClick()
{
    RecogniseChord();
    if (!FrmMidiSetup || !FrmMidiSetup->Midi_IF_Output->DeviceHandle())
        return;
    LedOut->setBrushColor(LampLitColor);
    EnableTimer1();
    PlayHeldKeys();
}

void TFormAnalyse::BtnClearClick()
{
    ReleaseAnalyserKeys();
    FNamesText.clear();
    FSymbolsText.clear();
    ShowResult(TntLabel1, QString());
    ShowResult(TntLabel2, QString());
}

void TFormAnalyse::Timer1Timer()
{
    LedIn->setBrushColor(TLamp::OffColor());
    LedOut->setBrushColor(TLamp::OffColor());
    Timer1->stop();
}

void TFormAnalyse::EnableTimer1()
{
    if (!Timer1->isActive())
        Timer1->start();
}

// ---------------------------------------------------------------------------
// Keys

void TFormAnalyse::BindAnalyserKeys()
{
    const QList<QObject *> components = findChildren<QObject *>();
    for (int n = 1; n <= 48; ++n) {
        const QString name = KeyName(n);
        for (QObject *component : components) {
            if (component->objectName() != name)
                continue;
            auto *key = qobject_cast<TShapePiano *>(component);
            AnalyserKeys[n - 1].Key = key;
            if (key)
                key->setValue(false);
        }
    }
}

void TFormAnalyse::AnalyserKeyToggled(TShapePiano *Key)
{
    const int n = Key->objectName().mid(int(sizeof KeyNamePrefix) - 1).toInt();
    const int pc = Key->Tag() - 1;
    // The entry may belong to a newer window than the key clicked: the
    // newest window's key decides, as for every other use of the table.
    TKeyEntry &entry = AnalyserKeys[n - 1];
    if (entry.Key && entry.Key->Value()) {
        CountHeldKey(pc);
        entry.Pressed = true;
    } else {
        UncountHeldKey(pc);
        entry.Pressed = false;
    }
}

void TFormAnalyse::PlayHeldKeys()
{
    SwitchOffPlayedKeys();
    TMidiOutput *output = FrmMidiSetup->Midi_IF_Output;
    for (int n = 1; n <= 48; ++n) {
        if (!AnalyserKeys[n - 1].Pressed)
            continue;
        const TPlayedNote played{NoteOn + model::MidiChannel, n + FirstKeyNote + model::Detune};
        output->SendShort(played.status, played.note, Velocity);
        FSounding.push_back(played);
    }
}

void TFormAnalyse::SwitchOffPlayedKeys()
{
    if (!FrmMidiSetup || !FrmMidiSetup->Midi_IF_Output->DeviceHandle())
        return;
    TMidiOutput *output = FrmMidiSetup->Midi_IF_Output;
    // Each note is forgotten once its note-off has gone out, on the channel
    // and at the pitch its note-on went out with, whatever Setup says now.
    while (!FSounding.empty()) {
        const TPlayedNote played = FSounding.front();
        output->SendShort(played.status - NoteOn + NoteOff, played.note, Velocity);
        FSounding.erase(FSounding.begin());
    }
}

void TFormAnalyse::ReleaseAnalyserKeys()
{
    for (TKeyEntry &entry : AnalyserKeys) {
        if (!entry.Pressed)
            continue;
        entry.Pressed = false;
        if (entry.Key) {
            ShowAnalyserKey(entry.Key, entry.Key->OnClickUnselectColor());
            entry.Key->setValue(false);
        }
    }
    model::PitchClassCounts.fill(0);
}

void TFormAnalyse::ApplyLanguage()
{
    if (model::Language != 1 && model::Language != 2)
        return;
    const TLanguageTexts &texts = model::Language == 1 ? English : French;
    setWindowTitle(QString::fromUtf8(texts.caption));
    SetHint(BtnChord, QString::fromUtf8(texts.chordHint));
    SetHint(BtnClear, QString::fromUtf8(texts.clearHint));
}

// ---------------------------------------------------------------------------
// Recognition

void TFormAnalyse::RecogniseChord()
{
    ShowResult(TntLabel1, QString());
    ShowResult(TntLabel2, QString());
    for (const model::TChordMatch &match : model::MatchChords(model::PitchClassCounts, model::ChordTable)) {
        const model::TChordEntry &chord = model::ChordTable[match.Chord];
        AddChordResult(model::NoteNames[match.Root - 1], chord.Name, model::ResultSymbols(chord));
    }
}

void TFormAnalyse::AddChordResult(const QString &RootName, const QString &Name, const QString &Symbols)
{
    try {
        model::TChordResultTexts texts{TntLabel1->text(), TntLabel2->text()};
        model::AddChordResult(texts, RootName, Name, Symbols);
        FNamesText = texts.Names;
        FSymbolsText = texts.Symbols;
        ShowResult(TntLabel1, FNamesText);
        ShowResult(TntLabel2, FSymbolsText);
    } catch (const std::exception &) {
        // The search goes on with the next chord.
        ui::MessageDlg(this, ui::TMsgDlgType::Error, QStringLiteral("erreur"));
    }
}
