// The set-up dialog: its controls and texts, the devices it lists and opens,
// and what accepting, cancelling and closing do to the settings, the MIDI
// output and the main window.
#include "MainWindowFixture.h"

#include "midi/MidiIn.h"
#include "midi/MidiOut.h"
#include "midi/ThreadUnit.h"
#include "platform/MidiApi.h"
#include "ui/Midi_Setup.h"
#include "ui/MsgBoxMidi.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

namespace {

// The messages the loopback output received, as "C1 05".
QStringList Sent()
{
    QStringList messages;
    for (const auto &bytes : platform::loopback::Sent()) {
        QStringList hex;
        for (const uint8_t byte : bytes)
            hex << QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
        messages << hex.join(' ');
    }
    return messages;
}

QStringList ProgramChanges()
{
    QStringList changes;
    for (const QString &message : Sent())
        if (message.startsWith('C'))
            changes << message;
    return changes;
}

// The input is open and started when the loopback driver takes bytes for it.
bool InputListening()
{
    return platform::loopback::Feed({0xFE});
}

QStringList Items(const TOwnerDrawList *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

// What a control shows as its text.
QString TextOf(const QWidget *control)
{
    const QWidget *stack = control->parentWidget();
    if (const auto *tabs = qobject_cast<const QTabWidget *>(stack ? stack->parentWidget() : nullptr))
        if (tabs->indexOf(const_cast<QWidget *>(control)) >= 0)
            return tabs->tabText(tabs->indexOf(const_cast<QWidget *>(control)));
    if (const auto *group = qobject_cast<const QGroupBox *>(control))
        return group->title();
    if (const auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    if (const auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (const auto *sw = qobject_cast<const TImgSwitch *>(control))
        return sw->Caption();
    return control->windowTitle();
}

// A counting output put in the dialog's place, to see what accepting does
// to the device.
class TCountingOutput : public TMidiOutput {
public:
    using TMidiOutput::TMidiOutput;
    QStringList Calls;
    bool Open() override
    {
        Calls << "Open " + ProductName();
        return TMidiOutput::Open();
    }
    bool Close() override
    {
        Calls << "Close";
        return TMidiOutput::Close();
    }
};

class MidiSetup : public MainWindowTest {
protected:
    std::unique_ptr<TFrmMidiSetup> dlg;
    QStringList chooserAsked; // "title|filter" each time the file dialog ran
    QString chooserAnswer;

    void SetUp() override
    {
        MainWindowTest::SetUp();
        model::Speed = 0;
        platform::MidiDriverResetForTest();
        TOpenDialog::SetChooser([this](const QString &title, const QString &filter) {
            chooserAsked << title + "|" + filter;
            return chooserAnswer;
        });
    }

    void TearDown() override
    {
        dlg.reset();
        StopMidiThreads();
        TOpenDialog::SetChooser({});
        w.reset();
        setenv("HARMONOVA_MIDI", "loopback", 1);
        platform::MidiDriverResetForTest();
        MainWindowTest::TearDown();
    }

    // The main window, then the dialog, as the program creates them.
    void OpenBoth()
    {
        Open();
        dlg = std::make_unique<TFrmMidiSetup>(w.get());
    }

    void ShowDialog()
    {
        dlg->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
    }

    void ClickItem(TOwnerDrawList *list, int row)
    {
        dlg->PageControl1->setCurrentWidget(list->parentWidget());
        list->scrollToItem(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }

    void Accept() { QTest::mouseClick(dlg->BtnOk, Qt::LeftButton); }

    // A radio button or check box answers a click on its mark or its text.
    static void Tick(QAbstractButton *button)
    {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }

    // The dialog shown again and accepted as it is.
    void ShowAndAccept()
    {
        ShowDialog();
        Accept();
    }

    TCountingOutput *PutCountingOutput()
    {
        delete dlg->Midi_IF_Output;
        auto *output = new TCountingOutput(dlg.get());
        dlg->Midi_IF_Output = output;
        return output;
    }

    static QImage Picture(QColor color)
    {
        QImage picture(24, 12, QImage::Format_RGB32);
        picture.fill(color);
        return picture;
    }
};

// ---------------------------------------------------------------------------
// Controls and texts

struct TextRow {
    const char *component;
    const char *designed;
    const char *english;
    const char *french;
};

const TextRow TextRows[] = {
    {"FrmMidiSetup", "Setup", "Setup", "Configuration"},
    {"TabSheet1", "Program", "Program", "Programme"},
    {"TabSheet2", "MIDI", "MIDI", "MIDI"},
    {"GroupBox1", "Arpeggio speed", "Arpeggio speed", "Vitesse arpège"},
    {"GroupBox2", "Notation", "Notation", "Notation"},
    {"RadioLatin", "Do, Ré, Mi...", "Do, Ré, Mi...", "Do, Ré, Mi..."},
    {"RadioGreek", "C, D, E...", "C, D, E...", "C, D, E..."},
    {"GroupBox3", "Language", "Language", "Langue"},
    {"RadioFrench", "Français", "Français", "Français"},
    {"RadioEnglish", "English", "English", "English"},
    {"GroupBackground", "Backgound picture", "Background picture", "Image de fond"},
    {"None", "None", "None", "Aucun"},
    {"Default", "Default", "Default", "Defaut"},
    {"BtnLoad", "Load...", "Load...", "Charger..."},
    {"GroupBox4", "Interface", "Interface", "Interface"},
    {"Fenetre", "Full", "Full", "Complète"},
    {"CheckOnTop", "Stay on top", "Stay on top", "Fenêtre en avant-plan"},
    {"LabelDetune", "Detune :", "Detune", "Désaccord"},
    {"LabelMidiIn", "MIDI In :", "Input", "Entrée"},
    {"LabelMidiOut", "MIDI Out :", "Output", "Sortie"},
    {"LabelInstrument", "Instrument :", "Instrument", "Instrument"},
    {"LabelChannel", "Channel :", "Channel :", "Canal :"},
    {"BtnOk", "Ok", "Accept", "Accepter"},
    {"BtnCancel", "Cancel", "Cancel", "Annuler"},
};

class MidiSetupLanguage : public MidiSetup, public testing::WithParamInterface<int> {};

TEST_P(MidiSetupLanguage, ShowsTheTextsOfTheLanguageOrElseTheDesignedOnes)
{
    const int language = GetParam();
    Open();
    // The settings hold no language but 1 and 2; the dialog's own rule for
    // any other is seen with the variable set in their place.
    model::Language = language;
    dlg = std::make_unique<TFrmMidiSetup>(w.get());
    for (const TextRow &row : TextRows) {
        const QString name = QString::fromLatin1(row.component);
        const QWidget *control = name == "FrmMidiSetup" ? dlg.get() : dlg->findChild<QWidget *>(name);
        ASSERT_NE(control, nullptr) << row.component;
        const char *expected = language == 1 ? row.english : language == 2 ? row.french : row.designed;
        EXPECT_EQ(TextOf(control), QString::fromUtf8(expected)) << row.component << ", Language " << language;
    }
}

INSTANTIATE_TEST_SUITE_P(MidiSetup, MidiSetupLanguage, testing::Values(1, 2, 3));

TEST_F(MidiSetup, IsAFixedHiddenStayOnTopDialogWithItsControlsOnTwoPages)
{
    OpenBoth();
    EXPECT_EQ(dlg->objectName(), "FrmMidiSetup");
    EXPECT_EQ(FrmMidiSetup, dlg.get());
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->size(), QSize(380, 296));
    EXPECT_EQ(dlg->minimumSize(), dlg->maximumSize());
    EXPECT_TRUE(dlg->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    ASSERT_EQ(dlg->PageControl1->count(), 2);
    EXPECT_EQ(dlg->PageControl1->widget(0), dlg->TabSheet1);
    EXPECT_EQ(dlg->PageControl1->widget(1), dlg->TabSheet2);
    for (QWidget *control :
         std::initializer_list<QWidget *>{dlg->SpinDetune, dlg->ScrollSpeed, dlg->RadioLatin, dlg->RadioFrench,
                                          dlg->None, dlg->BtnLoad, dlg->Fenetre, dlg->CheckOnTop})
        EXPECT_TRUE(dlg->TabSheet1->isAncestorOf(control)) << control->objectName().toStdString();
    for (QWidget *control :
         std::initializer_list<QWidget *>{dlg->ListMidiIn, dlg->ListMidiOut, dlg->ListInstrument, dlg->SpinChannel})
        EXPECT_TRUE(dlg->TabSheet2->isAncestorOf(control)) << control->objectName().toStdString();

    EXPECT_EQ(dlg->SpinDetune->minimum(), -12);
    EXPECT_EQ(dlg->SpinDetune->maximum(), 12);
    EXPECT_EQ(dlg->SpinChannel->minimum(), 1);
    EXPECT_EQ(dlg->SpinChannel->maximum(), 16);
    EXPECT_TRUE(dlg->SpinChannel->alignment().testFlag(Qt::AlignHCenter));
    for (QSpinBox *spin : {dlg->SpinDetune, dlg->SpinChannel})
        EXPECT_TRUE(spin->findChild<QLineEdit *>()->isReadOnly()) << "numbers are not typed";
    EXPECT_EQ(dlg->ScrollSpeed->minimum(), 100);
    EXPECT_EQ(dlg->ScrollSpeed->maximum(), 1000);
    EXPECT_EQ(dlg->ScrollSpeed->pageStep(), 50);

    EXPECT_EQ(dlg->Midi_IF_Input->objectName(), "Midi_IF_Input");
    EXPECT_EQ(dlg->Midi_IF_Input->SysexBufferSize(), 4096);
    EXPECT_EQ(dlg->Midi_IF_Output->objectName(), "Midi_IF_Output");
    EXPECT_EQ(dlg->OpenDialog1.Title, "Image");
    EXPECT_EQ(dlg->OpenDialog1.Filter, "Image (*.bmp *.jpg *.gif *.jpeg)");
}

TEST_F(MidiSetup, ListsTheGeneralMidiInstrumentsInProgramOrder)
{
    OpenBoth();
    const QStringList instruments = Items(dlg->ListInstrument);
    ASSERT_EQ(instruments.size(), 128);
    EXPECT_EQ(std::set<QString>(instruments.begin(), instruments.end()).size(), 128u);
    const std::pair<int, const char *> spotted[] = {{0, "Acoustic Grand Piano"},
                                                    {1, "Bright Acoustic Piano"},
                                                    {24, "Acoustic Guitar (nylon)"},
                                                    {40, "Violin"},
                                                    {56, "Trumpet"},
                                                    {73, "Flute"},
                                                    {80, "Lead 1 (square)"},
                                                    {104, "Sitar"},
                                                    {127, "Gunshot"}};
    for (const auto &[program, name] : spotted)
        EXPECT_EQ(instruments[program], name) << "program " << program;
    // The instrument lists look like the main window's lists.
    EXPECT_EQ(dlg->ListInstrument->metaObject(), w->ChordRoot->metaObject());
}

// ---------------------------------------------------------------------------
// Creation

TEST_F(MidiSetup, CreationShowsTheSettings)
{
    Store("Notation", 0);
    Store("Language", 2);
    Store("OnTop", 1);
    Store("Speed", 400);
    Store("Detune", -5);
    Store("WindowCompact", 1);
    Store("AlterationsEnDiese", 0);
    OpenBoth();
    EXPECT_TRUE(dlg->RadioLatin->isChecked());
    EXPECT_FALSE(dlg->RadioGreek->isChecked());
    EXPECT_TRUE(dlg->RadioFrench->isChecked());
    EXPECT_FALSE(dlg->RadioEnglish->isChecked());
    EXPECT_TRUE(dlg->CheckOnTop->isChecked());
    EXPECT_EQ(dlg->ScrollSpeed->value(), 400);
    EXPECT_EQ(dlg->SpinDetune->value(), -5);
    EXPECT_TRUE(dlg->Fenetre->StateOn());
    EXPECT_EQ(dlg->Fenetre->Caption(), "Compacte");
    // The note names every window reads are built.
    EXPECT_EQ(model::NoteNames[1], "Réb");
    EXPECT_EQ(model::NoteNames[11], "Si");
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(MidiSetup, SpinChannelShowsTheChannelCountedFromOne)
{
    for (const int channel : {0, 1, 15}) {
        Store("MidiChannel", channel);
        OpenBoth();
        EXPECT_EQ(dlg->SpinChannel->value(), channel + 1);
        dlg.reset();
    }
}

struct BackgroundChoice {
    const char *background;
    bool none;
    bool byDefault;
};

TEST_F(MidiSetup, TheBackgroundSettingChoosesTheRadioButton)
{
    // A picture of the user's leaves both unchecked, as "Load..." does.
    const BackgroundChoice choices[] = {
        {"none", true, false}, {"", false, true}, {"/home/someone/stage.jpg", false, false}};
    for (const BackgroundChoice &choice : choices) {
        StoreText("Background", QString::fromLatin1(choice.background));
        OpenBoth();
        EXPECT_EQ(dlg->None->isChecked(), choice.none) << choice.background;
        EXPECT_EQ(dlg->Default->isChecked(), choice.byDefault) << choice.background;
        dlg.reset();
    }
}

// ---------------------------------------------------------------------------
// Devices

TEST_F(MidiSetup, ListsTheDevicesAndOpensTheSavedOnesThenSetsTheInstrument)
{
    StoreText("MidiIFIn", "Loopback In");
    StoreText("MidiIFOut", "Loopback Out");
    Store("Son", 41);
    OpenBoth();
    EXPECT_EQ(Items(dlg->ListMidiIn), QStringList{"Loopback In"});
    EXPECT_EQ(Items(dlg->ListMidiOut), QStringList{"Loopback Out"});
    EXPECT_EQ(dlg->ListMidiIn->ItemIndex(), 0);
    EXPECT_EQ(dlg->ListMidiOut->ItemIndex(), 0);
    EXPECT_EQ(dlg->ListInstrument->ItemIndex(), 41);
    EXPECT_NE(dlg->Midi_IF_Output->DeviceHandle(), nullptr);
    EXPECT_EQ(dlg->Midi_IF_Output->ProductName(), "Loopback Out");
    EXPECT_TRUE(InputListening());
    // Channel 2 is the default.
    EXPECT_EQ(Sent(), QStringList{"C1 29"});
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(MidiSetup, WithoutSavedDevicesNothingIsSelectedOpenedOrSent)
{
    OpenBoth();
    EXPECT_EQ(Items(dlg->ListMidiOut), QStringList{"Loopback Out"});
    EXPECT_EQ(dlg->ListMidiIn->ItemIndex(), -1);
    EXPECT_EQ(dlg->ListMidiOut->ItemIndex(), -1);
    EXPECT_EQ(dlg->Midi_IF_Output->DeviceHandle(), nullptr);
    EXPECT_FALSE(InputListening());
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(MidiSetup, ASavedOutputNoLongerInstalledIsToldAtEachOpeningAndKeptForItsReturn)
{
    StoreText("MidiIFIn", "Keyboard In");
    StoreText("MidiIFOut", "Synth Out");
    OpenBoth();
    EXPECT_EQ(dlg->ListMidiIn->ItemIndex(), -1);
    EXPECT_EQ(dlg->ListMidiOut->ItemIndex(), -1);
    EXPECT_EQ(dlg->Midi_IF_Output->DeviceHandle(), nullptr);
    EXPECT_FALSE(InputListening());
    const QString told = "Erreur: erreur OpenDevs(out): MIDI output Device Synth Out not installed";
    EXPECT_EQ(messages, QStringList{told});
    // Accepting keeps the names, so the devices come back when installed again.
    ShowAndAccept();
    EXPECT_EQ(messages, QStringList({told, told}));
    EXPECT_EQ(model::MidiIFIn, "Keyboard In");
    EXPECT_EQ(model::MidiIFOut, "Synth Out");
}

TEST_F(MidiSetup, AnOutputBackSinceTheStartIsOpenedByTheNextAccept)
{
    StoreText("MidiIFOut", "Loopback Out");
    // Started while the loopback driver is away: the desktop's devices only.
    unsetenv("HARMONOVA_MIDI");
    platform::MidiDriverResetForTest();
    OpenBoth();
    EXPECT_EQ(messages, QStringList{"Erreur: erreur OpenDevs(out): MIDI output Device Loopback Out not installed"});
    EXPECT_EQ(dlg->Midi_IF_Output->DeviceHandle(), nullptr);

    setenv("HARMONOVA_MIDI", "loopback", 1);
    platform::MidiDriverResetForTest();
    ShowAndAccept();
    EXPECT_NE(dlg->Midi_IF_Output->DeviceHandle(), nullptr);
    EXPECT_EQ(dlg->Midi_IF_Output->ProductName(), "Loopback Out");
    EXPECT_EQ(messages.size(), 1);
}

TEST_F(MidiSetup, AtTheFirstShowingAnOutputThatDidNotOpenRemindsAsIfNoneWereChosen)
{
    const struct {
        const char *output;
        bool remindMe;
        bool reminded;
        qsizetype told; // messages
    } cases[] = {{"Synth Out", true, true, 1}, {"Synth Out", false, false, 1}, {"Loopback Out", true, false, 0}};
    for (const auto &c : cases) {
        StoreText("MidiIFOut", c.output);
        Store("RemindMe", c.remindMe);
        messages.clear();
        OpenBoth();
        w->show();
        EXPECT_EQ(w->findChild<TFrmNoMidi *>() != nullptr, c.reminded) << c.output << ", remind " << c.remindMe;
        EXPECT_EQ(messages.size(), c.told) << c.output << ", remind " << c.remindMe;
        EXPECT_EQ(model::MidiIFOut, c.output) << "still chosen";
        dlg.reset();
        w.reset();
    }
}

TEST_F(MidiSetup, ADeviceThatCannotBeListedIsReportedAndTheListingGoesOnWithTheOther)
{
    StoreText("MidiIFIn", "Loopback In");
    StoreText("MidiIFOut", "Loopback Out");
    OpenBoth();
    ASSERT_TRUE(messages.isEmpty());
    // An open device cannot be chosen by number: listing again while both
    // are open fails for each, and the dialog still goes on.
    dlg->FormCreate();
    EXPECT_EQ(messages, QStringList({"Erreur: erreur CreeMenuMidi(in): Change to DeviceID while device was open",
                                     "Erreur: erreur CreeMenuMidi(out): Change to DeviceID while device was open"}));
    EXPECT_NE(dlg->Midi_IF_Output->DeviceHandle(), nullptr);
}

TEST_F(MidiSetup, AnOutputGoneSinceTheListingIsReportedWhenOpened)
{
    StoreText("MidiIFOut", "Loopback Out");
    OpenBoth();
    dlg->CloseOutput();
    // The loopback driver goes away; the desktop's devices take its place.
    unsetenv("HARMONOVA_MIDI");
    platform::MidiDriverResetForTest();

    ShowAndAccept();

    // The output still bears the name it had, so the search for it ends on
    // a device number past the last.
    EXPECT_EQ(messages, QStringList{"Erreur: erreur OpenDevs(out): Invalid device ID"});
    EXPECT_EQ(dlg->Midi_IF_Output->DeviceHandle(), nullptr);
    EXPECT_EQ(model::MidiIFOut, "Loopback Out");
    EXPECT_FALSE(dlg->isVisible()) << "the rest of the choices are applied";
}

// ---------------------------------------------------------------------------
// Accepting

TEST_F(MidiSetup, AcceptAlwaysClosesAndReopensTheOutputButNotTheInput)
{
    StoreText("MidiIFIn", "Loopback In");
    StoreText("MidiIFOut", "Loopback Out");
    OpenBoth();
    TCountingOutput *output = PutCountingOutput();
    ShowAndAccept();
    ShowAndAccept();
    EXPECT_EQ(output->Calls,
              QStringList({"Close", "Close", "Open Loopback Out", "Close", "Close", "Open Loopback Out"}));
    EXPECT_NE(output->DeviceHandle(), nullptr);
    EXPECT_TRUE(InputListening());
}

TEST_F(MidiSetup, AcceptSendsTheProgramChangeOfAnyInstrumentButTheFirstEveryTime)
{
    StoreText("MidiIFOut", "Loopback Out");
    OpenBoth();
    platform::loopback::ClearSent();
    ShowDialog();
    ClickItem(dlg->ListInstrument, 0);
    Accept();
    ShowAndAccept();
    EXPECT_EQ(model::Son, 0);
    EXPECT_TRUE(ProgramChanges().isEmpty());

    ShowDialog();
    ClickItem(dlg->ListInstrument, 5);
    dlg->SpinChannel->setValue(4);
    Accept();
    ShowAndAccept();
    EXPECT_EQ(model::Son, 5);
    EXPECT_EQ(model::MidiChannel, 3);
    EXPECT_EQ(ProgramChanges(), QStringList({"C3 05", "C3 05"}));
}

TEST_F(MidiSetup, AcceptWithNoInstrumentChosenSendsNoProgramChangeAndKeepsTheInstrument)
{
    StoreText("MidiIFOut", "Loopback Out");
    Store("Son", 5);
    OpenBoth();
    platform::loopback::ClearSent();
    ShowDialog();
    dlg->ListInstrument->clearSelection();
    Accept();
    EXPECT_EQ(model::Son, 5);
    EXPECT_TRUE(ProgramChanges().isEmpty());
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_TRUE(messages.isEmpty());
}

// A hand-edited settings file: a channel, an instrument and a transposition
// beyond what the dialog offers are taken at the dialog's limits, so no data
// byte goes out as a status byte.
TEST_F(MidiSetup, SettingsBeyondTheControlsLimitsPlayAtTheLimits)
{
    StoreText("MidiIFOut", "Loopback Out");
    Store("Son", 200);
    Store("MidiChannel", 20);
    Store("Detune", 100);
    OpenBoth();
    EXPECT_EQ(Sent(), QStringList{"CF 7F"});
    EXPECT_EQ(dlg->ListInstrument->ItemIndex(), 127);
    EXPECT_EQ(dlg->SpinChannel->value(), 16);
    EXPECT_EQ(dlg->SpinDetune->value(), 12);

    platform::loopback::ClearSent();
    model::SoundingNotes = {};
    PlayAtOnce = true;
    PlayChordNotes(dlg->Midi_IF_Output);
    EXPECT_EQ(Sent(), QStringList({"9F 43 40", "9F 40 40", "9F 3C 40"})) << "C major an octave up, on channel 16";

    platform::loopback::ClearSent();
    ShowAndAccept();
    EXPECT_EQ(ProgramChanges(), QStringList{"CF 7F"});
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(MidiSetup, AcceptStoresTheChoicesAndHidesTheDialog)
{
    OpenBoth();
    ShowDialog();
    dlg->ScrollSpeed->setValue(600);
    dlg->SpinDetune->setValue(7);
    ClickItem(dlg->ListMidiIn, 0);
    ClickItem(dlg->ListMidiOut, 0);
    Accept();
    EXPECT_EQ(model::Speed, 600);
    EXPECT_EQ(model::Detune, 7);
    EXPECT_EQ(model::MidiIFIn, "Loopback In");
    EXPECT_EQ(model::MidiIFOut, "Loopback Out");
    EXPECT_NE(dlg->Midi_IF_Output->DeviceHandle(), nullptr);
    EXPECT_TRUE(InputListening()) << "an input chosen is heard at once";
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(MidiSetup, CancelHidesTheDialogAndAppliesNothing)
{
    Store("Speed", 150);
    OpenBoth();
    ShowDialog();
    dlg->ScrollSpeed->setValue(900);
    Tick(dlg->RadioFrench);
    QTest::mouseClick(dlg->BtnCancel, Qt::LeftButton);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(model::Speed, 150);
    EXPECT_EQ(model::Language, 1);
    // The controls keep what the user did until the next showing.
    ShowDialog();
    EXPECT_EQ(dlg->ScrollSpeed->value(), 900);
}

TEST_F(MidiSetup, AcceptAppliesNotationLayoutAndLanguageToTheMainWindow)
{
    OpenBoth();
    ShowDialog();
    const int playsBefore = w->PlayCurrentCalls;
    Tick(dlg->RadioLatin);
    QTest::mouseClick(dlg->Fenetre, Qt::LeftButton);
    Tick(dlg->RadioFrench);
    Accept();

    EXPECT_FALSE(model::Notation);
    EXPECT_EQ(model::NoteNames[2], "Ré");
    EXPECT_EQ(Items(w->ChordRoot).mid(0, 3), QStringList({"Do", "Réb", "Ré"}));
    EXPECT_EQ(w->PlayCurrentCalls, playsBefore + 1) << "the chord on show is shown and played again";

    EXPECT_TRUE(model::WindowCompact);
    EXPECT_EQ(w->ClientArea->height(), 236);
    EXPECT_TRUE(w->ChordRoot->isHidden());

    EXPECT_EQ(model::Language, 2);
    EXPECT_EQ(model::HelpFile, "ZUVIVODADOZ.IDI");
    EXPECT_EQ(w->Setupmnu->text(), "Configuration...");
    EXPECT_EQ(dlg->windowTitle(), "Configuration");
    EXPECT_EQ(dlg->Fenetre->Caption(), "Compacte");

    // Back to English: the other help file.
    ShowDialog();
    Tick(dlg->RadioEnglish);
    Accept();
    EXPECT_EQ(model::HelpFile, "ZADIVIZIRAZ.ARI");
    EXPECT_EQ(w->Setupmnu->text(), "Setup...");
    EXPECT_EQ(dlg->BtnOk->text(), "Accept");
}

TEST_F(MidiSetup, ANewNamingShowsAndPlaysTheScaleOnShowInScaleMode)
{
    OpenBoth();
    Click(w->SwMode);
    QTest::keyClick(w.get(), Qt::Key_D);
    ASSERT_EQ(w->LabelChord->text(), "D Major");
    const QList<int> scale = PressedKeys();
    const int playsBefore = w->PlayCurrentCalls;

    ShowDialog();
    Tick(dlg->RadioLatin);
    Accept();
    EXPECT_EQ(w->Mode, 1);
    EXPECT_EQ(w->LabelChord->text(), QString::fromUtf8("Ré Major"));
    EXPECT_EQ(PressedKeys(), scale);
    EXPECT_EQ(w->PlayCurrentCalls, playsBefore + 1);
}

TEST_F(MidiSetup, AnUnchangedNamingLeavesTheChordOnShowAlone)
{
    OpenBoth();
    const int playsBefore = w->PlayCurrentCalls;
    ShowAndAccept();
    EXPECT_EQ(w->PlayCurrentCalls, playsBefore);
}

struct FenetreCase {
    int language;
    const char *on;
    const char *off;
};

TEST_F(MidiSetup, TheLayoutSwitchNamesTheLayoutInTheLanguage)
{
    const FenetreCase cases[] = {{1, "Compact", "Full"}, {2, "Compacte", "Complète"}, {3, "Compacte", "Complète"}};
    for (const FenetreCase &c : cases) {
        Store("Language", c.language);
        OpenBoth();
        ShowDialog();
        QTest::mouseClick(dlg->Fenetre, Qt::LeftButton);
        EXPECT_EQ(dlg->Fenetre->Caption(), QString::fromUtf8(c.on)) << "Language " << c.language;
        QTest::mouseClick(dlg->Fenetre, Qt::LeftButton);
        EXPECT_EQ(dlg->Fenetre->Caption(), QString::fromUtf8(c.off)) << "Language " << c.language;
        dlg.reset();
    }
}

TEST_F(MidiSetup, StayOnTopKeepsTheMainWindowWhereItIsAtItsSize)
{
    OpenBoth();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    const QRect before = w->geometry();

    ShowDialog();
    Tick(dlg->CheckOnTop);
    Accept();
    EXPECT_TRUE(model::OnTop);
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->geometry(), before);

    ShowDialog();
    Tick(dlg->CheckOnTop);
    Accept();
    EXPECT_FALSE(model::OnTop);
    EXPECT_FALSE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(w->geometry(), before);
}

// ---------------------------------------------------------------------------
// The background picture

TEST_F(MidiSetup, APictureChosenWithLoadIsLoadedByEveryLaterAccept)
{
    QTemporaryDir folder;
    const QString file = folder.filePath("stage.bmp");
    ASSERT_TRUE(Picture(Qt::red).save(file));
    OpenBoth();
    ShowDialog();
    chooserAnswer = file;
    QTest::mouseClick(dlg->BtnLoad, Qt::LeftButton);
    EXPECT_EQ(chooserAsked, QStringList{"Image|Image (*.bmp *.jpg *.gif *.jpeg)"});
    EXPECT_EQ(model::Background, file);
    EXPECT_FALSE(dlg->None->isChecked());
    EXPECT_FALSE(dlg->Default->isChecked());

    Accept();
    EXPECT_EQ(w->ImgFond->Bitmap(), Picture(Qt::red));

    // The file changes; the next accept reads it again.
    ASSERT_TRUE(Picture(Qt::green).save(file));
    ShowAndAccept();
    EXPECT_EQ(w->ImgFond->Bitmap(), Picture(Qt::green));
    EXPECT_EQ(model::Background, file);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(MidiSetup, ACancelledImageChooserChangesNothing)
{
    QTemporaryDir folder;
    const QString own = folder.filePath("own.bmp");
    ASSERT_TRUE(Picture(Qt::red).save(own));
    const QImage white = [] {
        QImage bitmap(409, 257, QImage::Format_RGB32);
        bitmap.fill(Qt::white);
        return bitmap;
    }();
    const QImage builtIn = QImage(":/panel/default.jpg").convertToFormat(QImage::Format_RGB32);
    struct Case {
        const char *choice;
        QString background;
        bool none, byDefault;
        QImage shown; // after the accept that follows the cancel
    };
    const Case cases[] = {
        {"None", "none", true, false, white},
        {"Default", "", false, true, builtIn},
        {"a picture of the user's", own, false, false, Picture(Qt::red)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.choice);
        StoreText("Background", c.background);
        OpenBoth();
        ShowDialog();
        ASSERT_EQ(dlg->None->isChecked(), c.none);
        ASSERT_EQ(dlg->Default->isChecked(), c.byDefault);
        chooserAnswer.clear();
        chooserAsked.clear();
        QTest::mouseClick(dlg->BtnLoad, Qt::LeftButton);
        ASSERT_EQ(chooserAsked.size(), 1);
        EXPECT_EQ(model::Background, c.background);
        EXPECT_EQ(dlg->None->isChecked(), c.none);
        EXPECT_EQ(dlg->Default->isChecked(), c.byDefault);

        Accept();
        EXPECT_EQ(model::Background, c.background);
        EXPECT_EQ(w->ImgFond->Bitmap(), c.shown);
        dlg.reset();
        w.reset();
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(MidiSetup, AnUnreadablePictureIsReportedByNameAndTheOtherChoicesStillApply)
{
    const QString garbage = QStringLiteral(HN_FIXTURES_DIR "/x.jpg");
    const struct {
        int language;
        QString says;
    } cases[] = {
        {1, "Cannot read the picture " + QDir::toNativeSeparators(garbage) + ": "},
        {2, "Impossible de lire l'image " + QDir::toNativeSeparators(garbage) + " : "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.language);
        StoreText("Background", garbage);
        Store("Language", c.language);
        OpenBoth();
        errors.clear(); // the main window's creation reported it too
        w->ImgFond->setBitmap(Picture(Qt::blue));
        ShowDialog();
        dlg->ScrollSpeed->setValue(300);
        Accept();
        ASSERT_EQ(errors.size(), 1);
        EXPECT_TRUE(errors[0].startsWith(c.says)) << errors[0].toStdString();
        EXPECT_EQ(w->ImgFond->Bitmap(), Picture(Qt::blue));
        EXPECT_EQ(model::Speed, 300);
        EXPECT_FALSE(dlg->isVisible());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        dlg.reset();
        w.reset();
    }
}

TEST_F(MidiSetup, NoBackgroundIsPlainWhiteNowAndAfterARestartAndDefaultIsTheProgramsPicture)
{
    OpenBoth();
    ShowDialog();
    Tick(dlg->None);
    Accept();
    EXPECT_EQ(model::Background, "none");
    const QImage accepted = w->ImgFond->Bitmap();
    EXPECT_EQ(accepted.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(accepted.pixelColor(accepted.width() - 1, accepted.height() - 1), QColor(Qt::white));

    // Closing saves the choice; the next start shows the same white.
    w->close();
    dlg.reset();
    w.reset();
    ResetProgramState();
    OpenBoth();
    EXPECT_EQ(model::Background, "none");
    EXPECT_TRUE(dlg->None->isChecked());
    EXPECT_EQ(w->ImgFond->Bitmap(), accepted);

    // No default.jpg lies beside the test program: the built-in picture shows.
    ShowDialog();
    Tick(dlg->Default);
    Accept();
    EXPECT_EQ(model::Background, "");
    EXPECT_EQ(w->ImgFond->Bitmap(), QImage(":/panel/default.jpg").convertToFormat(QImage::Format_RGB32));
    EXPECT_TRUE(errors.isEmpty());
}

// ---------------------------------------------------------------------------
// Keys

TEST_F(MidiSetup, ReturnRunsNoButtonWhereverTheFocusIs)
{
    OpenBoth();
    ShowDialog();
    dlg->activateWindow();
    for (QPushButton *button : {dlg->BtnOk, dlg->BtnCancel, dlg->BtnLoad}) {
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus) << button->objectName().toStdString();
        EXPECT_FALSE(button->autoDefault()) << button->objectName().toStdString();
        EXPECT_FALSE(button->isDefault()) << button->objectName().toStdString();
    }
    const int speed = model::Speed;
    dlg->ScrollSpeed->setValue(500);
    QWidget *const focusPlaces[] = {dlg.get(),
                                    dlg->RadioLatin,
                                    dlg->None,
                                    dlg->SpinDetune,
                                    dlg->ScrollSpeed,
                                    dlg->CheckOnTop,
                                    dlg->PageControl1->tabBar()};
    for (QWidget *place : focusPlaces) {
        SCOPED_TRACE(place->objectName().toStdString() + " " + place->metaObject()->className());
        if (place != dlg.get())
            place->setFocus(Qt::OtherFocusReason);
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter})
            QTest::keyClick(place, key);
        EXPECT_TRUE(chooserAsked.isEmpty()) << "the \"Image\" chooser opened";
        EXPECT_TRUE(dlg->isVisible()) << "the dialog was accepted or cancelled";
        EXPECT_EQ(model::Speed, speed) << "the dialog was accepted";
    }
}

TEST_F(MidiSetup, EscapePutsTheDialogAwayLikeCancel)
{
    OpenBoth();
    ShowDialog();
    const int speed = model::Speed;
    dlg->ScrollSpeed->setValue(500);
    QTest::keyClick(dlg->RadioLatin, Qt::Key_Escape);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(model::Speed, speed);
    EXPECT_TRUE(chooserAsked.isEmpty());
}

// ---------------------------------------------------------------------------
// Showing and closing

TEST_F(MidiSetup, TheSetupEntryShowsTheDialogWithoutWaitingAndSnapshotsTheSettings)
{
    Store("Language", 2);
    Store("WindowCompact", 1);
    OpenBoth();
    w->Setupmnu->trigger();
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_FALSE(dlg->isModal());
    EXPECT_EQ(dlg->SnapshotLanguage(), 2);
    EXPECT_TRUE(dlg->SnapshotNotation());
    EXPECT_TRUE(dlg->SnapshotCompact());
}

TEST_F(MidiSetup, ItsCloseBoxSavesTheSettingsAndKeepsTheDevicesOpen)
{
    StoreText("MidiIFIn", "Loopback In");
    StoreText("MidiIFOut", "Loopback Out");
    OpenBoth();
    ShowDialog();
    model::Speed = 321;
    dlg->close();
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_NE(dlg->Midi_IF_Output->DeviceHandle(), nullptr);
    EXPECT_TRUE(InputListening());
    platform::TRegistry registry;
    registry.OpenKey("Software\\Harmonova", false);
    EXPECT_EQ(registry.ReadInteger("Speed"), 321);
}

TEST_F(MidiSetup, FormCloseIsWhatTheCloseBoxDoes)
{
    StoreText("MidiIFIn", "Loopback In");
    StoreText("MidiIFOut", "Loopback Out");
    OpenBoth();
    model::Detune = -3;
    dlg->FormClose();
    EXPECT_NE(dlg->Midi_IF_Output->DeviceHandle(), nullptr);
    EXPECT_TRUE(InputListening());
    platform::TRegistry registry;
    registry.OpenKey("Software\\Harmonova", false);
    EXPECT_EQ(registry.ReadInteger("Detune"), -3);

    // A settings file that cannot be written is reported, and the close box
    // still puts the dialog away.
    ShowDialog();
    const QString store = QString::fromLocal8Bit(qgetenv("HARMONOVA_REGISTRY"));
    ASSERT_FALSE(store.isEmpty());
    ASSERT_TRUE(QFile::remove(store));
    ASSERT_TRUE(QDir().mkpath(store)); // a folder where the file should be
    dlg->close();
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(errors.size(), 1);
    EXPECT_NE(dlg->Midi_IF_Output->DeviceHandle(), nullptr);
    QDir(store).removeRecursively();
}

} // namespace
