#pragma once

// The staff under the keyboard: the chord or scale on show as notes in treble
// or bass clef, with sharps or flats, ledger lines and the note names in red.
#include "model/Declare.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <vector>

class QPainter;

// The pictures the staff is drawn with. The main window keeps them as hidden
// components under these names; their sizes decide where they are placed.
struct TStaffPictures {
    QImage ClefDeSol; // treble clef
    QImage clefdefa;  // bass clef
    QImage Diese;     // sharp
    QImage Bemol;     // flat
    QImage Noire;     // note head with its stem
};

// Registers the embedded staff pictures; the library is static, so nothing
// else would pull them in. Safe to call more than once.
void InitStaffResources();

// Our own pictures, from the embedded resources.
TStaffPictures LoadStaffPictures();
// Their names, in the order of TStaffPictures.
QStringList StaffPictureNames();

// Sorts the key numbers of the 13 slots ascending, empty slots (0) first.
// Only the key numbers move: anything else a slot holds stays in its slot.
void SortChordNotes(model::TNoteSlots &chordNotes);

// One thing painted by the last drawing, so callers can check the layout
// without reading pixels.
struct TStaffMark {
    enum class Kind { Clef, Line, Head, Sharp, Flat, Name };
    Kind kind;
    QPoint at;    // the reference point the drawing step was given
    int length;   // lines only
    QString text; // names only
    QRect rect;   // where it landed on the picture
};

class TStaff {
public:
    static constexpr QSize PictureSize{393, 241};

    explicit TStaff(TStaffPictures pictures = LoadStaffPictures());

    int Clef = 1; // 1 treble, 0 bass

    // Sorts model::ChordNotes in place, then draws them with the current
    // ListenType, AlterationsEnDiese and NoteNames on a fresh transparent
    // picture: only what is drawn covers the background it is shown on.
    QImage DrawStaff(QSize size = PictureSize);

    const std::vector<TStaffMark> &Marks() const { return marks_; }
    const TStaffPictures &Pictures() const { return pictures_; }

private:
    void DrawKey(int key, int columnX, int headX, int nameX);
    void DrawLedgerLines(int columnX, int headY);

    void DrawClef();
    void DrawStaffLine(int length, int x, int y);
    void DrawNoteHead(int x, int y);
    void DrawSharp(int x, int y);
    void DrawFlat(int x, int y);
    void DrawNoteName(int x, int y, int n);
    void DrawPicture(TStaffMark::Kind kind, const QImage &picture, QPoint at, QPoint topLeft);

    TStaffPictures pictures_;
    std::vector<TStaffMark> marks_;
    QPainter *painter_ = nullptr; // only while drawing
};
