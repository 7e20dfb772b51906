#pragma once

// The chord analysis window: a keyboard of 48 keys on which the user holds
// notes by clicking them (a MIDI keyboard holds them too while the window is
// open). Its find-chord button names every chord whose notes are exactly the
// held pitch classes and plays the held keys on the MIDI output.
//
// The held keys (AnalyserKeys' Pressed flags and PitchClassCounts) belong to
// the program, not to a window: a new window starts with its keys shown
// released while earlier held keys still count until Escape or Clear.
//
// The MIDI input acts on the newest window still open. Each window switches
// off the notes it played before it plays others and when it closes.
#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

class QCloseEvent;
class QLabel;
class QTimer;
class QToolButton;
class TImage;
class TPanel;
class TShapePiano;

// A small round lamp. Its brush colour says what it shows: the button face
// while off, any other colour lit in that colour. Off, it is drawn as a dark
// lens tinted with the button face, which reads as unlit on the dark panel.
class TLamp : public QWidget {
    Q_OBJECT
public:
    explicit TLamp(QWidget *parent = nullptr);

    // The system's button face, the colour of a lamp switched off.
    static uint32_t OffColor();

    uint32_t brushColor() const { return FBrushColor; }
    void setBrushColor(uint32_t color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    uint32_t FBrushColor;
};

class TFormAnalyse : public QWidget {
    Q_OBJECT
public:
    // The colour of a key held from the MIDI input.
    static constexpr uint32_t PressedKeyColor = 0xC0DCC0;
    static constexpr uint32_t LampLitColor = 0x0000FF;

    // Builds the window hidden, makes it the program's FormAnalyse and runs
    // FormCreate, which binds AnalyserKeys to its keys.
    explicit TFormAnalyse(QWidget *owner = nullptr);
    ~TFormAnalyse() override;

    TPanel *Panel3 = nullptr;
    TImage *Image1 = nullptr;
    TLamp *LedIn = nullptr;
    TLamp *LedOut = nullptr;
    QLabel *TntLabel1 = nullptr; // names of the recognised chords
    QLabel *TntLabel2 = nullptr; // their symbols
    QToolButton *BtnChord = nullptr;
    QToolButton *BtnClear = nullptr;
    QTimer *Timer1 = nullptr; // switches the lamps off

    // Handlers
    void FormCreate();
    void FormClose();
    void FormKeyUp(int key);
    // Throws "Invalid class typecast" when the sender is not a key.
    void ShapePiano1MouseUp(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void BtnChordClick();
    void BtnClearClick();
    void Timer1Timer();

    void BindAnalyserKeys();
    // The key has already toggled its Value and colour.
    void AnalyserKeyToggled(TShapePiano *Key);
    // The caller makes sure the output is open. What the window played
    // before is switched off first.
    void PlayHeldKeys();
    // Note-offs for what the window still sounds, as each note went out, when
    // the output is open.
    void SwitchOffPlayedKeys();
    // Releases the held keys; the result labels keep what they show.
    void ReleaseAnalyserKeys();
    void ApplyLanguage();

    // Empties both labels, then appends every chord the held pitch classes form.
    void RecogniseChord();
    // Appends one match to both labels. A failure is reported as "erreur"
    // and the labels keep what they showed before this match.
    void AddChordResult(const QString &RootName, const QString &Name, const QString &Symbols);

    // Switches Timer1 on; a timer already on keeps its period, so a lamp is
    // never lit for more than one period.
    void EnableTimer1();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void CreateComponents();
    void CreateKeyboard();
    void StyleComponents();
    void ConnectEvents();
    void PlaceOverOwner();
    // Hands the events that waited for a window to the MIDI input handler.
    void TakeWaitingInput();
    // Makes this window the one the MIDI input acts on, its keys showing the
    // keys the program holds.
    void TakeOverInput();
    // After a window closed or went: the input goes to the newest window
    // still open, and the analysis ends only with the last one.
    static void HandInputToNewestOpen();

    struct TPlayedNote {
        int status; // the note-on's, with the channel it went out on
        int note;
    };

    QString FNamesText;
    QString FSymbolsText;
    bool FOpen = false;
    std::vector<TPlayedNote> FSounding; // played and not yet switched off
};

// The analysis window the MIDI input acts on: the newest one still open, or
// the last one open when all are closed. Earlier windows stay, hidden once
// closed, until the program ends.
extern TFormAnalyse *FormAnalyse;

// The program's end: every analysis window switches off what it sounds.
void SwitchOffAnalyserNotes();

// Shows a key pressed or released in the given colour; under the mouse the
// key keeps that colour when the mouse leaves it.
void ShowAnalyserKey(TShapePiano *key, uint32_t color);

// One more, or one fewer, held key of pitch class pc (0 = C). A count that
// a release would take below zero stays at zero: a stray release (a note-off
// for a key never pressed, or a click on an older window's key that Escape
// already released) must not make later chords unrecognisable.
void CountHeldKey(int pc);
void UncountHeldKey(int pc);
