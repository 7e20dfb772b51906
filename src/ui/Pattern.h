#pragma once

// The chord pattern editor: a grid of measures, one row each, with four beat
// cells per row holding at most one chord. The user enters the main window's
// chord into cells, copies and pastes ranges, sets an end or a loop marker,
// saves the grid to a pattern file and opens one, and plays the grid beat by
// beat at a tempo of 30 to 200 beats per minute through the main window.
#include "platform/PreciseTimer.h"
#include "ui/PatternFile.h"

#include <QDateTime>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTableWidget>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QAction;
class QLCDNumber;
class QLabel;
class QMenu;
class QStatusBar;
class QToolButton;
class TFormMain;
struct TPlayback;
class TImageList;
class TImgBtn;
class TImgSwitch;

// The grid's chord data, indexed [column][row]. Column 0 belongs to the
// measure numbers and is never used; columns 1 to 4 are the beats.
extern std::vector<std::vector<ui::TPatternCell>> PatternCells;

// The end and loop markers as grid positions (column, 0-based row); -1 when
// not set. At most one of them is set at a time.
extern int EndMarkerCol;
extern int EndMarkerRow;
extern int LoopMarkerCol;
extern int LoopMarkerRow;

// The cell being played.
extern int PatternRoot;
extern int PatternChord;
extern int PatternInversion;

// The up-down arrows beside the tempo display.
class TUpDown : public QWidget {
    Q_OBJECT
public:
    explicit TUpDown(QWidget *parent = nullptr);

    int Min() const { return FMin; }
    int Max() const { return FMax; }
    void setRange(int min, int max);
    int Position() const { return FPosition; }
    // Moves the position from code; no OnChanging.
    void setPosition(int position);
    // One step up (+1) or down (-1), as a click on an arrow does.
    void Step(int direction);

signals:
    // The user moved the position; it holds the new value already.
    void OnChanging(int position);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    QToolButton *FUp;
    QToolButton *FDown;
    int FMin = 0;
    int FMax = 100;
    int FPosition = 0;
};

// The pattern grid: a right click opens the menu without moving the
// selection, and key releases and mouse presses reach the editor.
class TPatternGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit TPatternGrid(QWidget *parent = nullptr);

    // The selected range (columns Left..Right, rows Top..Bottom); the
    // selected cell alone when nothing else is selected.
    QRect Selection() const;

signals:
    void OnMouseDown(Qt::MouseButton button);
    void OnKeyUp(int key);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
};

// A file dialog of the editor. Tests answer in the user's place: the
// chooser gets the dialog's kind and returns the file's name, or an empty
// text for a cancel. An empty chooser brings back the dialog.
class TPatternFileDialog {
public:
    enum TKind { Open, Save };
    TPatternFileDialog(TKind kind) : Kind(kind) {}

    const TKind Kind;
    QString DefaultExt = QStringLiteral("hnv");
    QString Filter = QStringLiteral("Harmonova (*.hnv)|*.hnv");
    QString FileName;

    // False when the user cancelled.
    bool Execute(QWidget *parent);

    using TChooser = std::function<QString(TKind kind)>;
    static void SetChooser(TChooser chooser);
};

class TFrmPattern : public QWidget {
    Q_OBJECT
public:
    // Creates the window hidden, as the program's FrmPattern, and runs
    // FormCreate. The main window must be created before it: the editor
    // plays through it and shows the chord it selects.
    explicit TFrmPattern(TFormMain *mainWindow);
    ~TFrmPattern() override;

    TPatternGrid *Grille = nullptr;
    QLabel *Chord = nullptr;
    QLabel *Label1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    TImgBtn *BtnOpen = nullptr;
    TImgBtn *BtnSave = nullptr;
    TImgBtn *BtnSaveMidi = nullptr;
    TImgBtn *BtnClear = nullptr;
    QLCDNumber *Tempo = nullptr;
    TUpDown *UpDown1 = nullptr;
    TImgSwitch *BtnPlay = nullptr;
    platform::TPreciseTimer *Metronome = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *Enterchord1 = nullptr;
    QAction *Clear1 = nullptr;
    QAction *Copy1 = nullptr;
    QAction *Paste1 = nullptr;
    QAction *MnuEnd = nullptr;
    QAction *MnuRepeat = nullptr;
    QAction *Insertmeasurebefore = nullptr;
    QAction *Insertmeasureafter = nullptr;
    QAction *Deletemeasure1 = nullptr;
    // Image 0 the end marker, image 1 the loop marker.
    TImageList *ImageList1 = nullptr; // 0 the end marker, 1 the loop marker
    TPatternFileDialog OpenDialog1{TPatternFileDialog::Open};
    TPatternFileDialog SaveDialog1{TPatternFileDialog::Save};

    // Editing
    void FormCreate();
    void ApplyLanguage();
    void GrilleDblClick();
    void Enterchord1Click();
    void Clear1Click();
    void Copy1Click();
    void Paste1Click();
    void MnuEndClick();
    void MnuRepeatClick();
    void InsertmeasurebeforeClick();
    void InsertmeasureafterClick();
    void Deletemeasure1Click();
    void GrilleKeyUp(int key);
    void GrilleClick();
    void ClearSelection();
    void BtnClearClick();
    void BtnSaveMidiClick();
    // Draws the marker pictures over a beat cell.
    void GrilleDrawCell(QPainter &painter, int col, int row, const QRect &rect) const;

    // The pattern file
    void BtnSaveClick();
    void BtnOpenClick();
    // Writes the grid to the file; false (with the reason shown) when it
    // could not be written, the old file then left whole.
    bool SaveToFile(const QString &fileName);
    // Reads the file into the grid; false (with the reason shown) when it
    // cannot be read or is not a pattern file, the editor then unchanged.
    bool OpenFile(const QString &fileName);
    // The grid as a pattern file holds it.
    ui::TPatternFileContents Contents() const;

    // Playback
    void UpDown1Changing(int position);
    void BtnPlayOn();
    void BtnPlayOff();
    void FormDeactivate();
    void GrilleMouseDown();
    void MetronomeTimer();

    // The grid's state, for the window's users and tests.
    int RowCount() const;
    int ColCount() const;
    QString CellText(int col, int row) const;
    int BeatsPerMinute() const { return FBeatsPerMinute; }
    int PlayCol() const { return FPlayCol; }
    int PlayRow() const { return FPlayRow; }
    int HeaderValue() const { return FHeaderValue; }
    QString Comment() const { return FComment; }
    QRect CopyRect() const { return FCopyRect; }
    QString StatusText() const;

    // The input box asking for the comment. Tests answer in the user's
    // place: the presenter gets the caption, prompt and default text and
    // returns the text, or nothing for a cancel. An empty presenter brings
    // back the box.
    using TInputPresenter =
        std::function<std::optional<QString>(const QString &caption, const QString &prompt, const QString &text)>;
    static void SetInputPresenter(TInputPresenter presenter);
    // The date and time the default comment names; tests fix it.
    static void SetClockForTest(std::function<QDateTime()> clock);

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void CreateComponents();
    void CreatePopupMenu();
    void StyleComponents();
    void ConnectEvents();
    void CenterOnMainWindow();

    void SetCell(int col, int row, const QString &text, const ui::TPatternCell &cell);
    void MoveCell(int col, int fromRow, int toRow);
    void SetRowCount(int rows);
    void InsertMeasure(int offset);
    void SelectCell(int col, int row);
    void ShowMeasure();
    void ShowTempo(int position);
    // The cell the next beat plays: the play position, or the first beat
    // when deleted measures left the position behind.
    std::pair<int, int> NextBeatCell() const;
    // Plans the next beat's playback on the clock, so that it is heard right
    // on the beat; asked again whenever the events of the moment have been
    // handled, since a click, an edit, a tempo or a setting may change it.
    void PlanNextBeat();
    // The cell at the play position shown and played, its playback standing
    // for the one planned for it.
    void PlayBeat(const std::shared_ptr<TPlayback> &planned);
    void ShowMessage(const QString &text);
    void ShowError(const QString &text);
    QString InputComment();

    TFormMain *FFormMain;
    int FBeatsPerMinute = 120;
    QRect FCopyRect;
    int FPlayCol = 1;
    int FPlayRow = 0;
    std::shared_ptr<TPlayback> FNextBeat; // the next beat's playback, planned a beat ahead
    std::array<QMetaObject::Connection, 2> FReplanning;
    int FHeaderValue = 0;
    QString FComment;
    bool FShown = false;
};

// The pattern editor, once it is created.
extern TFrmPattern *FrmPattern;

// The editor's own pictures (its buttons and the grid's markers).
QStringList PatternPictureNames();
