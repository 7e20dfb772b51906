#include "ui/Staff.h"

#include <QColor>
#include <QPainter>
#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

using Names = std::array<const char *, 12>;
constexpr Names LettersSharps = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
constexpr Names LettersFlats = {"C", "Db", "D", "Eb", "E", "F", "Gb", "G", "Ab", "A", "Bb", "B"};
constexpr Names SolfegeFlats = {"Do", "Réb", "Ré", "Mib", "Mi", "Fa", "Solb", "Sol", "Lab", "La", "Sib", "Si"};

constexpr int Treble = 1;
constexpr int Bass = 0;
constexpr bool Sharps = true;
constexpr bool Flats = false;

// Every test starts from its own program-wide state and leaves the next one clean.
class StaffTest : public testing::Test {
protected:
    void SetUp() override
    {
        savedNotes = model::ChordNotes;
        savedListenType = model::ListenType;
        savedSharps = model::AlterationsEnDiese;
        savedNames = model::NoteNames;
    }
    void TearDown() override
    {
        model::ChordNotes = savedNotes;
        model::ListenType = savedListenType;
        model::AlterationsEnDiese = savedSharps;
        model::NoteNames = savedNames;
    }

    static void SetNames(const Names &names)
    {
        for (int p = 0; p < 12; ++p)
            model::NoteNames[p] = QString::fromUtf8(names[static_cast<std::size_t>(p)]);
    }

    // Keys go in from the last slot backwards with gaps between them, so the
    // drawing only comes out right if it sorts first and skips empty slots.
    static void SetChord(const std::vector<int> &keys)
    {
        model::ChordNotes.fill({});
        int slot = model::TNoteSlots::High;
        for (int key : keys) {
            model::ChordNotes[slot].Note = key;
            slot -= 2;
        }
    }

    static std::vector<TStaffMark> Only(const std::vector<TStaffMark> &marks, TStaffMark::Kind kind, int length = 0)
    {
        std::vector<TStaffMark> found;
        for (const TStaffMark &m : marks)
            if (m.kind == kind && (kind != TStaffMark::Kind::Line || m.length == length))
                found.push_back(m);
        return found;
    }

    static std::vector<QPoint> Points(const std::vector<TStaffMark> &marks)
    {
        std::vector<QPoint> points;
        for (const TStaffMark &m : marks)
            points.push_back(m.at);
        return points;
    }

    model::TNoteSlots savedNotes;
    int savedListenType = 0;
    bool savedSharps = false;
    model::TNoteNames savedNames;
};

struct NameAt {
    const char *text;
    int centre;
};

struct LayoutCase {
    const char *what;
    std::vector<int> keys;
    int listenType;
    bool sharps;
    int clef;
    std::vector<QPoint> heads;
    std::vector<QPoint> accidentals; // sharps or flats, as the case spells
    std::vector<QPoint> ledgers;     // start of each 20-pixel line
    std::vector<NameAt> names;
    const Names *noteNames = nullptr; // letters in the case's spelling when null
};

// Each row: keys, ListenType, spelling, clef; then the heads, the accidentals,
// the ledger lines (left end) and the names (centre) expected.
// clang-format off
const std::vector<LayoutCase> LayoutCases = {
    {"C major as a block chord stacks the heads, spreads the names",
     {13, 17, 20}, 0, Sharps, Treble,
     {{55, 172}, {55, 156}, {55, 140}}, {}, {{45, 172}}, {{"C", 53}, {"E", 98}, {"G", 143}}},
    {"C major ascending gives each note a column",
     {13, 17, 20}, 1, Sharps, Treble,
     {{55, 172}, {100, 156}, {145, 140}}, {}, {{45, 172}}, {{"C", 53}, {"E", 98}, {"G", 143}}},
    {"with playback off each note has its column too",
     {13, 17, 20}, -1, Sharps, Treble,
     {{55, 172}, {100, 156}, {145, 140}}, {}, {{45, 172}}, {{"C", 53}, {"E", 98}, {"G", 143}}},
    {"descending puts the highest note first",
     {13, 17, 20}, 2, Sharps, Treble,
     {{55, 140}, {100, 156}, {145, 172}}, {}, {{135, 172}}, {{"G", 53}, {"E", 98}, {"C", 143}}},
    {"C sharp sits on C's ledger line with a sharp",
     {14}, 1, Sharps, Treble,
     {{55, 172}}, {{55, 172}}, {{45, 172}}, {{"C#", 53}}},
    {"D flat sits on D with a flat and needs no ledger line",
     {14}, 1, Flats, Treble,
     {{55, 164}}, {{55, 164}}, {}, {{"Db", 53}}},
    {"E flat in a minor chord",
     {13, 16, 20}, 1, Flats, Treble,
     {{55, 172}, {100, 156}, {145, 140}}, {{100, 156}}, {{45, 172}}, {{"C", 53}, {"Eb", 98}, {"G", 143}}},
    {"bass clef draws the same keys 40 pixels higher",
     {13, 17, 20}, 1, Sharps, Bass,
     {{55, 132}, {100, 116}, {145, 100}}, {}, {}, {{"C", 53}, {"E", 98}, {"G", 143}}},
    {"the lowest drawn key needs three ledger lines",
     {6}, 1, Sharps, Treble,
     {{55, 204}}, {}, {{45, 172}, {45, 188}, {45, 204}}, {{"F", 53}}},
    {"the lowest drawn key in bass sits just under the staff",
     {6}, 1, Sharps, Bass,
     {{55, 164}}, {}, {}, {{"F", 53}}},
    {"A flat above the staff gets the first upper ledger line",
     {33}, 1, Flats, Treble,
     {{55, 76}}, {{55, 76}}, {{45, 76}}, {{"Ab", 53}}},
    {"G sharp just above the staff needs no ledger line",
     {33}, 1, Sharps, Treble,
     {{55, 84}}, {{55, 84}}, {}, {{"G#", 53}}},
    {"the C above the bass staff gets its ledger line",
     {25}, 1, Sharps, Bass,
     {{55, 76}}, {}, {{45, 76}}, {{"C", 53}}},
    {"the highest drawn key with a sharp",
     {45}, 1, Sharps, Treble,
     {{55, 28}}, {{55, 28}}, {{45, 76}, {45, 60}, {45, 44}, {45, 28}}, {{"G#", 53}}},
    {"the highest drawn key with a flat",
     {45}, 1, Flats, Treble,
     {{55, 20}}, {{55, 20}}, {{45, 76}, {45, 60}, {45, 44}, {45, 28}}, {{"Ab", 53}}},
    {"keys off the staff leave their column empty",
     {5, 13, 46}, 1, Sharps, Treble,
     {{100, 172}}, {}, {{90, 172}}, {{"C", 98}}},
    {"keys off the staff still move the names of a block chord",
     {5, 13, 46}, 0, Sharps, Treble,
     {{55, 172}}, {}, {{45, 172}}, {{"C", 98}}},
    {"descending past the top and bottom keys",
     {1, 13, 48}, 2, Sharps, Treble,
     {{100, 172}}, {}, {{90, 172}}, {{"C", 98}}},
    {"solfège names are centred on their column",
     {19, 20}, 1, Flats, Treble,
     {{55, 140}, {100, 140}}, {{55, 140}}, {}, {{"Solb", 53}, {"Sol", 98}}, &SolfegeFlats},
};
// clang-format on

TEST_F(StaffTest, PlacesHeadsAccidentalsLedgerLinesAndNames)
{
    for (const LayoutCase &c : LayoutCases) {
        SCOPED_TRACE(c.what);
        SetChord(c.keys);
        model::ListenType = c.listenType;
        model::AlterationsEnDiese = c.sharps;
        SetNames(c.noteNames ? *c.noteNames : c.sharps ? LettersSharps : LettersFlats);
        TStaff staff;
        staff.Clef = c.clef;
        staff.DrawStaff();
        const auto &marks = staff.Marks();

        EXPECT_EQ(Points(Only(marks, TStaffMark::Kind::Head)), c.heads);
        EXPECT_EQ(Points(Only(marks, TStaffMark::Kind::Sharp)), c.sharps ? c.accidentals : std::vector<QPoint>{});
        EXPECT_EQ(Points(Only(marks, TStaffMark::Kind::Flat)), c.sharps ? std::vector<QPoint>{} : c.accidentals);
        EXPECT_EQ(Points(Only(marks, TStaffMark::Kind::Line, 20)), c.ledgers);

        const auto names = Only(marks, TStaffMark::Kind::Name);
        ASSERT_EQ(names.size(), c.names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(names[i].text, QString::fromUtf8(c.names[i].text));
            EXPECT_EQ(names[i].at, QPoint(c.names[i].centre, 202));
            EXPECT_GT(names[i].rect.width(), 0);
            EXPECT_EQ(names[i].rect.left(), c.names[i].centre - names[i].rect.width() / 2);
            EXPECT_EQ(names[i].rect.top(), 202);
        }
    }
}

TEST_F(StaffTest, DrawsClefThenFiveStaffLinesInEitherClef)
{
    SetChord({});
    for (int clef : {Treble, Bass}) {
        SCOPED_TRACE(clef);
        TStaff staff;
        staff.Clef = clef;
        staff.DrawStaff();
        const auto &marks = staff.Marks();
        ASSERT_GE(marks.size(), 6u);
        EXPECT_EQ(marks[0].kind, TStaffMark::Kind::Clef);
        EXPECT_EQ(marks[0].at, clef == Treble ? QPoint(5, 85) : QPoint(5, 95));
        const QImage &picture = clef == Treble ? staff.Pictures().ClefDeSol : staff.Pictures().clefdefa;
        EXPECT_EQ(marks[0].rect.size(), picture.size());
        EXPECT_EQ(Points(Only(marks, TStaffMark::Kind::Line, 420)),
                  (std::vector<QPoint>{{0, 156}, {0, 140}, {0, 124}, {0, 108}, {0, 92}}));
        EXPECT_EQ(marks.size(), 6u) << "an empty chord draws nothing else";
    }
}

// The offsets come from the pictures' sizes at each drawing, not from numbers
// that only fit our own pictures.
TEST_F(StaffTest, PictureOffsetsFollowPictureSizes)
{
    struct Case {
        const char *what;
        TStaffPictures pictures;
        QPoint head, sharp, headOnD, flat;
    };
    const auto blank = [](int w, int h) {
        QImage i(w, h, QImage::Format_ARGB32_Premultiplied);
        i.fill(Qt::transparent);
        return i;
    };
    const Case cases[] = {
        {"our pictures", LoadStaffPictures(), {49, 141}, {33, 160}, {49, 133}, {33, 149}},
        {"other sizes",
         {blank(30, 80), blank(30, 40), blank(9, 30), blank(9, 30), blank(20, 50)},
         {45, 172 - 43},
         {37, 172 - 15},
         {45, 164 - 43},
         {37, 164 - 18}},
    };
    SetChord({14});
    model::ListenType = 1;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TStaff staff(c.pictures);
        model::AlterationsEnDiese = true;
        staff.DrawStaff();
        EXPECT_EQ(Only(staff.Marks(), TStaffMark::Kind::Head).at(0).rect.topLeft(), c.head);
        EXPECT_EQ(Only(staff.Marks(), TStaffMark::Kind::Sharp).at(0).rect.topLeft(), c.sharp);
        model::AlterationsEnDiese = false;
        staff.DrawStaff();
        EXPECT_EQ(Only(staff.Marks(), TStaffMark::Kind::Head).at(0).rect.topLeft(), c.headOnD);
        EXPECT_EQ(Only(staff.Marks(), TStaffMark::Kind::Flat).at(0).rect.topLeft(), c.flat);
    }
}

TEST(StaffPictures, AreEmbeddedWithTheSizesTheLayoutExpects)
{
    const TStaffPictures p = LoadStaffPictures();
    EXPECT_EQ(p.Noire.size(), QSize(12, 37));
    EXPECT_EQ(p.Diese.size(), QSize(11, 24));
    EXPECT_EQ(p.Bemol.size(), QSize(11, 24));
    for (const QImage *clef : {&p.ClefDeSol, &p.clefdefa}) {
        ASSERT_FALSE(clef->isNull());
        EXPECT_LE(clef->width(), 28) << "a wider clef would run into the first note's accidental";
        EXPECT_EQ(qAlpha(clef->pixel(0, 0)), 0) << "clefs are drawn over the staff lines";
    }
}

// Pixel checks on the real picture, where exact positions are the behaviour.
class StaffPixelsTest : public StaffTest {
protected:
    QImage Draw(const std::vector<int> &keys, int listenType, bool sharps, int clef)
    {
        SetChord(keys);
        model::ListenType = listenType;
        model::AlterationsEnDiese = sharps;
        SetNames(sharps ? LettersSharps : LettersFlats);
        TStaff staff;
        staff.Clef = clef;
        return OnWhite(staff.DrawStaff());
    }
    // The staff as it shows on a plain white background.
    static QImage OnWhite(const QImage &staff)
    {
        QImage shown(staff.size(), QImage::Format_RGB32);
        shown.fill(Qt::white);
        QPainter painter(&shown);
        painter.drawImage(0, 0, staff);
        return shown;
    }
    static bool Dark(const QImage &image, int x, int y) { return qGray(image.pixel(x, y)) < 100; }
    static bool White(const QImage &image, int x, int y) { return image.pixel(x, y) == qRgb(255, 255, 255); }
    static int DarkIn(const QImage &image, QRect r)
    {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += Dark(image, x, y);
        return n;
    }
    static bool Reddish(QRgb p) { return qRed(p) > 200 && qGreen(p) < 150 && qBlue(p) < 150; }
};

TEST_F(StaffPixelsTest, CMajorInTreble)
{
    const QImage image = Draw({13, 17, 20}, 0, Sharps, Treble);
    ASSERT_EQ(image.size(), QSize(393, 241));
    EXPECT_TRUE(White(image, 0, 0));
    EXPECT_TRUE(White(image, 392, 240));
    EXPECT_TRUE(White(image, 380, 20));

    for (int y : {92, 108, 124, 140, 156}) {
        EXPECT_TRUE(Dark(image, 0, y)) << y;
        EXPECT_TRUE(Dark(image, 392, y)) << "staff lines run off the right edge, row " << y;
        EXPECT_TRUE(White(image, 200, y + 8)) << "space below row " << y;
    }
    // The ledger line covers 20 pixels from the column's left edge.
    EXPECT_TRUE(White(image, 44, 172));
    EXPECT_TRUE(Dark(image, 45, 172));
    EXPECT_TRUE(Dark(image, 64, 172));
    EXPECT_TRUE(White(image, 65, 172));
    EXPECT_TRUE(White(image, 45, 171));
    EXPECT_TRUE(White(image, 45, 173));
    // The three heads are centred on their lines in the first column.
    for (int y : {172, 156, 140}) {
        EXPECT_TRUE(Dark(image, 55, y)) << y;
        EXPECT_TRUE(Dark(image, 52, y + 3)) << y;
    }
    EXPECT_EQ(DarkIn(image, QRect(90, 130, 100, 60)), 2 * 100)
        << "a block chord leaves the other columns to the staff lines";

    // Names in red under the staff, and red nowhere else.
    int redBelow = 0, redAbove = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            (y >= 202 ? redBelow : redAbove) += Reddish(image.pixel(x, y));
    EXPECT_GT(redBelow, 30);
    EXPECT_EQ(redAbove, 0);
    int redInG = 0;
    for (int y = 202; y < 225; ++y)
        for (int x = 130; x < 157; ++x)
            redInG += Reddish(image.pixel(x, y));
    EXPECT_GT(redInG, 5) << "the G is written under the third column";
}

TEST_F(StaffPixelsTest, ClefsSitWhereTheirLinesAre)
{
    const QImage treble = Draw({}, 0, Sharps, Treble);
    const QImage bass = Draw({}, 0, Sharps, Bass);
    // Only the treble clef rises above the top line.
    EXPECT_GT(DarkIn(treble, QRect(5, 85, 28, 7)), 0);
    EXPECT_EQ(DarkIn(bass, QRect(5, 85, 28, 7)), 0);
    // The bass clef's two dots lie in the spaces either side of its F line.
    EXPECT_TRUE(Dark(bass, 30, 100));
    EXPECT_TRUE(Dark(bass, 30, 116));
    EXPECT_TRUE(White(bass, 30, 104));
    EXPECT_TRUE(White(bass, 30, 112));
    // Nothing of either clef reaches the first accidental's place: only the five lines cross it.
    EXPECT_EQ(DarkIn(treble, QRect(33, 0, 12, 241)), 5 * 12);
    EXPECT_EQ(DarkIn(bass, QRect(33, 0, 12, 241)), 5 * 12);
}

TEST_F(StaffPixelsTest, AccidentalsStandLeftOfTheirHead)
{
    const QImage sharp = Draw({14}, 1, Sharps, Treble);
    const QImage flat = Draw({14}, 1, Flats, Treble);
    EXPECT_GT(DarkIn(sharp, QRect(33, 160, 11, 24)), 30);
    EXPECT_GT(DarkIn(flat, QRect(33, 149, 11, 24)), 30);
    EXPECT_TRUE(Dark(sharp, 55, 172));
    EXPECT_TRUE(Dark(flat, 55, 164));
    EXPECT_TRUE(White(flat, 45, 172)) << "D flat has no ledger line";
}

TEST_F(StaffPixelsTest, OnlyWhatIsDrawnCoversTheBackgroundAndItsSoftEdgesAreInk)
{
    SetChord({14, 17, 20});
    model::ListenType = 1;
    model::AlterationsEnDiese = Sharps;
    SetNames(LettersSharps);
    TStaff staff;
    const QImage shown = staff.DrawStaff().convertToFormat(QImage::Format_ARGB32);
    EXPECT_TRUE(shown.hasAlphaChannel());
    for (const QPoint bare : {QPoint(0, 0), QPoint(200, 100), QPoint(392, 240)})
        EXPECT_EQ(qAlpha(shown.pixel(bare)), 0) << bare.x() << "," << bare.y();
    EXPECT_EQ(shown.pixel(200, 92), qRgba(0, 0, 0, 255));
    EXPECT_EQ(shown.pixel(55, 172), qRgba(0, 0, 0, 255));

    // The clef, the sharp and the names are drawn with soft edges, and an
    // edge is the ink made see-through, never a light pixel of its own.
    int softEdges = 0;
    for (const TStaffMark &mark : staff.Marks()) {
        if (mark.kind != TStaffMark::Kind::Clef && mark.kind != TStaffMark::Kind::Sharp &&
            mark.kind != TStaffMark::Kind::Name)
            continue;
        const QRect inside = mark.rect.intersected(shown.rect());
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x) {
                const QRgb p = shown.pixel(x, y);
                if (qAlpha(p) == 0)
                    continue;
                softEdges += qAlpha(p) < 255;
                EXPECT_LT(qGreen(p), 100) << x << "," << y << " alpha " << qAlpha(p);
            }
    }
    EXPECT_GT(softEdges, 20);
}

TEST_F(StaffTest, DrawingSortsTheChordNotesInPlace)
{
    SetChord({20, 13, 17});
    TStaff staff;
    staff.DrawStaff();
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(model::ChordNotes[i].Note, 0) << i;
    EXPECT_EQ(model::ChordNotes[11].Note, 13);
    EXPECT_EQ(model::ChordNotes[12].Note, 17);
    EXPECT_EQ(model::ChordNotes[13].Note, 20);
}

TEST(SortChordNotes, SortsAscendingWithEmptySlotsFirst)
{
    using Notes = std::array<int, 13>;
    struct Case {
        const char *what;
        Notes in, out;
    };
    const Case cases[] = {
        {"scattered", {20, 0, 13, 0, 17, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 13, 17, 20}},
        {"reversed",
         {48, 40, 37, 33, 30, 25, 24, 20, 17, 13, 7, 2, 1},
         {1, 2, 7, 13, 17, 20, 24, 25, 30, 33, 37, 40, 48}},
        {"already sorted", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 13, 17, 20}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 13, 17, 20}},
        {"repeated keys", {25, 13, 25, 0, 13, 0, 0, 0, 0, 0, 0, 0, 1}, {0, 0, 0, 0, 0, 0, 0, 0, 1, 13, 13, 25, 25}},
        {"empty", {}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        model::TNoteSlots chordNotes;
        for (int i = 1; i <= 13; ++i)
            chordNotes[i].Note = c.in[static_cast<std::size_t>(i - 1)];
        SortChordNotes(chordNotes);
        Notes got{};
        for (int i = 1; i <= 13; ++i)
            got[static_cast<std::size_t>(i - 1)] = chordNotes[i].Note;
        EXPECT_EQ(got, c.out);
    }
}

} // namespace
