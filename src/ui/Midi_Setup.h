#pragma once

// The set-up dialog. It owns the program's one MIDI input and one MIDI
// output, through which every window sends MIDI; it opens the devices the
// settings name when it is created, and applies the user's choices (devices,
// channel, instrument, transposition, arpeggio speed, language, note naming,
// background picture, window size, stay-on-top) to the settings and the main
// window when the user accepts them.
#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSpinBox;
class QTabWidget;
class TFormMain;
class TImgSwitch;
class TMidiInput;
class TMidiOutput;
class TMyMidiEvent;
class TOwnerDrawList;

// The dialog's file open dialog: one file chosen, or none.
class TOpenDialog {
public:
    QString Title;
    QString Filter;
    QString FileName; // the file chosen by the last Execute

    // False when the user cancelled.
    bool Execute(QWidget *parent);

    // Tests answer in the user's place: the chooser returns the file's name,
    // or an empty text for a cancel. An empty chooser brings back the dialog.
    using TChooser = std::function<QString(const QString &title, const QString &filter)>;
    static void SetChooser(TChooser chooser);
};

class TFrmMidiSetup : public QDialog {
    Q_OBJECT
public:
    // Creates the dialog hidden and runs FormCreate, which opens the devices
    // the settings name. The changes the user accepts go to mainWindow.
    explicit TFrmMidiSetup(TFormMain *mainWindow);
    ~TFrmMidiSetup() override;

    QTabWidget *PageControl1 = nullptr;
    // "Program" page
    QWidget *TabSheet1 = nullptr;
    QLabel *LabelDetune = nullptr;
    QSpinBox *SpinDetune = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QScrollBar *ScrollSpeed = nullptr;
    QGroupBox *GroupBox2 = nullptr;
    QRadioButton *RadioLatin = nullptr;
    QRadioButton *RadioGreek = nullptr;
    QGroupBox *GroupBox3 = nullptr;
    QRadioButton *RadioFrench = nullptr;
    QRadioButton *RadioEnglish = nullptr;
    QGroupBox *GroupBackground = nullptr;
    QRadioButton *None = nullptr;
    QRadioButton *Default = nullptr;
    QPushButton *BtnLoad = nullptr;
    QGroupBox *GroupBox4 = nullptr;
    TImgSwitch *Fenetre = nullptr; // on: the compact layout
    QCheckBox *CheckOnTop = nullptr;
    // "MIDI" page
    QWidget *TabSheet2 = nullptr;
    QLabel *LabelMidiIn = nullptr;
    TOwnerDrawList *ListMidiIn = nullptr;
    QLabel *LabelMidiOut = nullptr;
    TOwnerDrawList *ListMidiOut = nullptr;
    QLabel *LabelInstrument = nullptr;
    TOwnerDrawList *ListInstrument = nullptr; // item index = General MIDI program number
    QLabel *LabelChannel = nullptr;
    QSpinBox *SpinChannel = nullptr;
    QPushButton *BtnOk = nullptr;
    QPushButton *BtnCancel = nullptr;

    TMidiInput *Midi_IF_Input = nullptr;
    TMidiOutput *Midi_IF_Output = nullptr;
    TOpenDialog OpenDialog1;

    // Re-labels the pattern editor after a change of language, once it exists.
    std::function<void()> OnPatternLanguage;
    // Puts Qt's own texts in the language after a change of language.
    std::function<void()> OnQtLanguage;

    void FormCreate();
    // Texts of the configured language; any other language leaves them.
    void ApplyLanguage();
    void BuildNoteNames();
    // Remembers what accepting compares with: language, naming and layout.
    void FormActivate();
    void BtnOkClick();
    void BtnCancelClick();
    void BtnLoadClick();
    void FenetreOn();
    void FenetreOff();
    // The close box: saves the settings and keeps the devices open; an error
    // goes to the caller.
    void FormClose();
    // Takes a bounded batch of the waiting events and, when more wait, has
    // the next batch taken once the event loop has run: a flood of input
    // never keeps the windows from answering.
    void Midi_IF_InputMidiInput(TMidiInput *sender);

    // Device work, each reporting its own failure in a message box.
    void ListDevices();
    void OpenInput();
    void OpenOutput();
    void CloseInput();
    void CloseOutput();
    void SendProgramChange();
    // MIDI thru is sent from the input's own thread, as each event arrives,
    // while an analysis window is open and the output is: called whenever
    // either changes.
    void UpdateThru();

    // The snapshot FormActivate took.
    int SnapshotLanguage() const { return FLanguage; }
    bool SnapshotNotation() const { return FNotation; }
    bool SnapshotCompact() const { return FWindowCompact; }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void CreateComponents();
    void CreateMidiComponents();
    void StyleComponents();
    void ConnectEvents();
    void ShowError(const QString &text);
    void ListInputs();
    void ListOutputs();
    void CheckBackgroundChoice();
    void ApplyBackground();
    void ApplyNotation();
    void ApplyLayout();
    void ApplyLanguageChoice();
    void TakeDeviceChoices();
    void HandleInputEvent(const TMyMidiEvent &event);
    void QueueInputTurn(TMidiInput *sender);

    TFormMain *FFormMain;
    int FLanguage = 0;
    bool FNotation = false;
    bool FWindowCompact = false;
    bool FInputTurnQueued = false; // the next batch of input is on its way
};

// The set-up dialog, once it is created; every window reaches the MIDI
// output through it.
extern TFrmMidiSetup *FrmMidiSetup;

// The 128 instruments of the General MIDI sound set, in program order.
extern const char *const GeneralMidiPrograms[128];
