#pragma once

// The main window: the 48-key keyboard, the staff, the root, chord and scale
// lists, the switches for playback, accidentals, inversion and mode, and the
// menu that opens the program's other windows.
#include "model/Declare.h"
#include "ui/MessageDlg.h"

#include <QMainWindow>
#include <QSize>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QMenu;
class QStatusBar;
class TBalloonHint;
class TFrmNoMidi;
class TImage;
class TImageList;
class TImage32;
class TImgBtn;
class TImgSwitch;
class TOwnerDrawList;
class TPanel;
class TShapePiano;
class TStaff;
struct TPlayback;
namespace skin {
class TSkinData;
}

// The staff's clef: 1 treble (chosen when the main window is created), 0 bass.
extern uint8_t Clef;

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormMain(QWidget *parent = nullptr);
    ~TFormMain() override;
    // The size of the panel under the keyboard, as the window is designed.
    static QSize DesignedPanelSize();

    // Menu
    QAction *mnuTools = nullptr;
    QAction *mnuChordanalysis = nullptr;
    QAction *mnuChordpattern = nullptr;
    QAction *mnuProgressions = nullptr;
    QAction *mnuPractice = nullptr;
    QAction *Setupmnu = nullptr;
    QAction *mnuWhat = nullptr;
    QAction *mnuHelp = nullptr;
    QAction *mnuAbout = nullptr;
    // The menu's pictures.
    TImageList *ImageList1 = nullptr;
    // Shows the hints of every window as balloons.
    TBalloonHint *JvBalloonHint1 = nullptr;

    // The client area below the menu: everything else lies on it.
    QWidget *ClientArea = nullptr;
    TPanel *Panel2 = nullptr;
    QLabel *LabelChord = nullptr;
    QLabel *TntLabel1 = nullptr;
    TImage *ImgClavier = nullptr;
    QComboBox *ComboChord = nullptr;
    QComboBox *ComboScales = nullptr;
    QGroupBox *GroupPlayBack = nullptr;
    TImgSwitch *BtnAccord = nullptr;
    TImgSwitch *BtnAccordUp = nullptr;
    TImgSwitch *BtnAccordDown = nullptr;
    TImgBtn *BtnListen = nullptr;
    QGroupBox *GroupAlteration = nullptr;
    TImgSwitch *Alteration = nullptr;
    QGroupBox *GroupRenversement = nullptr;
    TImgSwitch *RenversementDown = nullptr;
    TImgSwitch *RenversementUp = nullptr;
    QGroupBox *GroupMode = nullptr;
    TImgSwitch *SwMode = nullptr;
    QStatusBar *StatusBar = nullptr;
    TImage32 *ImgFond = nullptr;
    TImage *ImgPartition = nullptr;
    TImage *ClefDeSol = nullptr;
    TImage *clefdefa = nullptr;
    TImage *Diese = nullptr;
    TImage *Bemol = nullptr;
    TImage *Noire = nullptr;
    TOwnerDrawList *ChordRoot = nullptr;
    TOwnerDrawList *ChordName = nullptr;
    TOwnerDrawList *Scales = nullptr;

    // The skin the window carries, switched off.
    skin::TSkinData *SkinData1 = nullptr;

    // The reminder shown at the first showing while no output is chosen.
    TFrmNoMidi *FrmNoMidi = nullptr;

    // 0 chord mode, 1 scale mode.
    uint8_t Mode = 0;

    // Where a chord's first spelling goes when the pattern editor exists.
    std::function<void(const QString &chord)> OnPatternChord;

    // Creation, in the order the window is built.
    void FormCreate();
    void ApplyLanguage();
    void FillRootList();
    void FillChordLists();
    void FillScaleLists();
    void BindKeys();
    void FormShow();
    // Saves the settings; an error goes to the caller.
    void FormClose();

    // The keys as the chord and scale spelling press them.
    void ToucheAppui(int key);
    void ToucheRelache(int key);
    void ReleaseAllKeys();
    static int KeyPitchClass(const TShapePiano *key);

    // The background picture as the set-up dialog chooses it. No picture:
    // plain white.
    void ClearBackground();
    // default.jpg beside the program, else the picture built into it.
    void LoadDefaultBackground();
    // Throws platform::Exception naming the file and what is wrong with it;
    // the picture on show then stays.
    void LoadBackgroundPicture(const QString &file);

    // Shows a chord, or the scale selected in Scales, on the keyboard, the
    // label and the staff, and plays it.
    void ShowChord(int Root, int Chord, int Inversion);
    // The notes ShowChord leaves in ChordNotes for a chord: spelled from the
    // lists' texts, in the order the staff sorts them.
    model::TNoteSlots ChordNotesOf(int Root, int Chord, int Inversion) const;
    void ScalesClick();
    // The chord or the scale on show, shown and played again, in the note
    // names now set.
    void ShowSelection();
    void DrawStaff();
    const TStaff &Staff() const { return *FStaff; }

    // Playback in the configured mode, or in the given manner.
    virtual void PlayCurrent();
    virtual void StartPlayback(bool atOnce, const QString &direction);
    // The manner PlayCurrent plays in; false when it plays nothing.
    static bool CurrentManner(bool &atOnce, QString &direction);
    // Plans what StartPlayback will play at the given moment, when ChordNotes
    // will hold the given notes, so that it is heard right on that moment.
    void PlanPlayback(std::shared_ptr<TPlayback> &planned, const model::TNoteSlots &notes, bool atOnce,
                      const QString &direction, std::chrono::steady_clock::time_point moment);

    // Handlers
    void ChordRootClick();
    void ComboChordChange();
    void ComboScalesChange();
    void ShapePiano13MouseUp(TShapePiano *key);
    void ShapePiano13Enter(TShapePiano *key);
    void FormKeyDown(int key);
    void AlterationClick();
    void RenversementDownOn();
    void RenversementDownOff();
    void RenversementUpOn();
    void RenversementUpOff();
    void RenversementDownMouseDown();
    void RenversementUpMouseDown();
    void BtnAccordClick();
    void BtnAccordUpClick();
    void BtnAccordDownClick();
    void ImgBtn1Click();
    void SwModeOn();
    void SwModeOff();
    void ApplyLayout();
    // Keeps the window above all others or not, as OnTop says, where it is
    // and at its size.
    void ApplyOnTop();
    void ImgPartitionClick();
    void mnuChordanalysisClick();
    void mnuChordpatternClick();
    void mnuProgressionsClick();
    void mnuPracticeClick();
    void SetupmnuClick();
    void mnuHelpClick();
    void mnuAboutClick();
    void AlterationMouseMove();
    void RenversementDownMouseMove();
    void BtnAccordMouseMove();
    void BtnAccordUpMouseMove();
    void BtnAccordDownMouseMove();
    void SwModeMouseMove();
    void BtnListenMouseEnter();
    void Panel2MouseMove();

    // The status bar's two panels: 0 the note under the mouse, 1 a hint.
    QString StatusPanelText(int panel) const;
    void SetStatusPanelText(int panel, const QString &text);

    // How the program's message boxes reach the user. Tests replace it to
    // read them; an empty presenter brings back the message box.
    using TMessagePresenter = ui::TMessagePresenter;
    static void SetMessagePresenter(TMessagePresenter presenter);

signals:
    // The window was closed: the program ends.
    void Closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void CreateComponents();
    void CreateMenu();
    void CreateKeyboard();
    void StyleComponents();
    void ConnectEvents();
    void LoadBackground();
    void SelectFirstItems();
    void SetClientHeight(int height);
    void CenterOnDesktop();
    void ShowSoon();
    void ShowInformation(const QString &text);
    void PlaybackSwitchClicked(TImgSwitch *pressed, bool atOnce, const QString &direction, int listenType);

    std::unique_ptr<TStaff> FStaff;
    QLabel *FStatusPanels[2] = {nullptr, nullptr};
    QString FStatusTexts[2];
    bool FShown = false;
};
