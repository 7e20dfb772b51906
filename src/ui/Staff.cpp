#include "ui/Staff.h"
#include "ui/PanelResources.h"

#include "ui/Colors.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <array>
#include <mutex>
#include <utility>

void InitStaffResources()
{
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(staff); });
}

namespace {

constexpr uint32_t Black = 0x000000;
constexpr uint32_t Red = 0x0000FF;

// Heights of key 13 (the C the chords are built on) in each clef; the five
// staff lines lie at the same heights in both.
constexpr int TrebleC = 172;
constexpr int BassC = 132;
constexpr QPoint TrebleClefAt{5, 85};
constexpr QPoint BassClefAt{5, 95};
constexpr int StaffLineLength = 420;
constexpr int LedgerLineLength = 20;
constexpr int LowestLedger = 172; // first line below the staff
constexpr int HighestLedger = 76; // first line above the staff
constexpr int LineGap = 16;
constexpr int StepHeight = 8;
constexpr int ColumnWidth = 45;
constexpr int NameTop = 202;
constexpr int FirstDrawnKey = 6;
constexpr int LastDrawnKey = 45;

// The staff is laid out in pixels; a 96-dpi canvas gives the names their
// intended 16-pixel height whatever the screen.
constexpr int DotsPerMeter96Dpi = 3780;

// Diatonic step of each pitch class above C, a black key written as the
// natural below it (sharps) or above it (flats).
constexpr std::array<int, 12> StepWithSharps = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
constexpr std::array<int, 12> StepWithFlats = {0, 1, 1, 2, 2, 3, 4, 4, 5, 5, 6, 6};
constexpr std::array<bool, 12> BlackKey = {false, true,  false, true,  false, false,
                                           true,  false, true,  false, true,  false};

int PitchClass(int key)
{
    return (key - 1) % 12;
}

// Diatonic steps from key 13: C 0, D 1 ... B 6, plus 7 per octave.
int StaffStep(int key, bool sharps)
{
    const int fromC = key - 13;
    const int octave = fromC >= 0 ? fromC / 12 : -((-fromC + 11) / 12);
    const int pitchClass = fromC - 12 * octave;
    return 7 * octave + (sharps ? StepWithSharps : StepWithFlats)[static_cast<std::size_t>(pitchClass)];
}

QFont NameFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    font.setPointSize(12);
    return font;
}

} // namespace

QStringList StaffPictureNames()
{
    InitStaffResources();
    QStringList names;
    for (const char *name : {"treble-clef", "bass-clef", "sharp", "flat", "note"})
        names << QStringLiteral(":/staff/%1.png").arg(QLatin1String(name));
    return names;
}

TStaffPictures LoadStaffPictures()
{
    const QStringList names = StaffPictureNames();
    const auto load = [&names](int i) {
        return ReadPicture(names[i]).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    return {load(0), load(1), load(2), load(3), load(4)};
}

void SortChordNotes(model::TNoteSlots &chordNotes)
{
    std::array<int, model::TNoteSlots::Count> notes{};
    for (int i = model::TNoteSlots::Low; i <= model::TNoteSlots::High; ++i)
        notes[static_cast<std::size_t>(i - model::TNoteSlots::Low)] = chordNotes[i].Note;
    std::sort(notes.begin(), notes.end());
    for (int i = model::TNoteSlots::Low; i <= model::TNoteSlots::High; ++i)
        chordNotes[i].Note = notes[static_cast<std::size_t>(i - model::TNoteSlots::Low)];
}

TStaff::TStaff(TStaffPictures pictures) : pictures_(std::move(pictures)) {}

QImage TStaff::DrawStaff(QSize size)
{
    // Drawn on nothing at all: the soft edges of the clef, the accidentals
    // and the names then blend with whatever background they are shown on.
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(DotsPerMeter96Dpi);
    image.setDotsPerMeterY(DotsPerMeter96Dpi);
    image.fill(Qt::transparent);
    marks_.clear();

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter_ = &painter;

    DrawClef();
    for (int i = 1; i <= 5; ++i)
        DrawStaffLine(StaffLineLength, 0, TrebleC - LineGap * i);

    SortChordNotes(model::ChordNotes);

    const bool descending = model::ListenType == 2;
    const int first = descending ? model::TNoteSlots::High : model::TNoteSlots::Low;
    const int last = descending ? model::TNoteSlots::Low : model::TNoteSlots::High;
    const int step = descending ? -1 : 1;
    int K = 1; // note column
    int L = 1; // name column
    for (int slot = first; slot != last + step; slot += step) {
        const int key = model::ChordNotes[slot].Note;
        if (key == 0)
            continue;
        if (key >= FirstDrawnKey && key <= LastDrawnKey)
            DrawKey(key, ColumnWidth * K, ColumnWidth * K + 10, ColumnWidth * L + 8);
        // A block chord stacks its heads in one column; the names always spread out.
        if (model::ListenType != 0)
            ++K;
        ++L;
    }

    painter_ = nullptr;
    return image;
}

void TStaff::DrawKey(int key, int columnX, int headX, int nameX)
{
    const bool sharps = model::AlterationsEnDiese;
    const int reference = Clef == 1 ? TrebleC : BassC;
    const int headY = reference - StepHeight * StaffStep(key, sharps);
    const int pitchClass = PitchClass(key);

    DrawNoteHead(headX, headY);
    if (BlackKey[static_cast<std::size_t>(pitchClass)]) {
        if (sharps)
            DrawSharp(headX, headY);
        else
            DrawFlat(headX, headY);
    }
    DrawLedgerLines(columnX, headY);
    DrawNoteName(nameX, NameTop, pitchClass + 1);
}

// Only the lines between the staff and the head: none for heads on the staff.
void TStaff::DrawLedgerLines(int columnX, int headY)
{
    for (int y = LowestLedger; y <= headY; y += LineGap)
        DrawStaffLine(LedgerLineLength, columnX, y);
    for (int y = HighestLedger; y >= headY; y -= LineGap)
        DrawStaffLine(LedgerLineLength, columnX, y);
}

void TStaff::DrawClef()
{
    if (Clef == 1)
        DrawPicture(TStaffMark::Kind::Clef, pictures_.ClefDeSol, TrebleClefAt, TrebleClefAt);
    else
        DrawPicture(TStaffMark::Kind::Clef, pictures_.clefdefa, BassClefAt, BassClefAt);
}

// Like a pen moved from the start to the end point: the end point itself is
// not painted, so a line of length n covers n pixels.
void TStaff::DrawStaffLine(int length, int x, int y)
{
    marks_.push_back({TStaffMark::Kind::Line, {x, y}, length, {}, QRect(x, y, length, 1)});
    if (length <= 0)
        return;
    painter_->setPen(QPen(ColorFromBgr(Black), 1, Qt::SolidLine));
    painter_->drawLine(x, y, x + length - 1, y);
}

void TStaff::DrawNoteHead(int x, int y)
{
    const QImage &head = pictures_.Noire;
    DrawPicture(TStaffMark::Kind::Head, head, {x, y}, {x - head.width() / 2, y - head.height() * 100 / 116});
}

void TStaff::DrawSharp(int x, int y)
{
    const QImage &sharp = pictures_.Diese;
    DrawPicture(TStaffMark::Kind::Sharp, sharp, {x, y}, {x - 2 * sharp.width(), y - sharp.height() / 2});
}

void TStaff::DrawFlat(int x, int y)
{
    const QImage &flat = pictures_.Bemol;
    DrawPicture(TStaffMark::Kind::Flat, flat, {x, y}, {x - 2 * flat.width(), y - flat.height() * 10 / 16});
}

void TStaff::DrawNoteName(int x, int y, int n)
{
    const QString &name = model::NoteNames[n - 1];
    painter_->setFont(NameFont());
    painter_->setPen(ColorFromBgr(Red));
    const QFontMetrics metrics = painter_->fontMetrics();
    const int width = metrics.horizontalAdvance(name);
    const int left = x - width / 2;
    painter_->drawText(left, y + metrics.ascent(), name);
    marks_.push_back({TStaffMark::Kind::Name, {x, y}, 0, name, QRect(left, y, width, metrics.height())});
}

void TStaff::DrawPicture(TStaffMark::Kind kind, const QImage &picture, QPoint at, QPoint topLeft)
{
    painter_->drawImage(topLeft, picture);
    marks_.push_back({kind, at, 0, {}, QRect(topLeft, picture.size())});
}
