#pragma once

// The pattern file: fixed records of 268 bytes, with no header or count of
// their own. Record 0 holds the comment, record 1 the end or loop marker and
// the tempo, and every further record one filled cell of the grid. Texts are
// length-prefixed Windows-1252; integers are 32-bit little-endian.
//
// Files written by earlier versions of the program are read back unchanged
// and written byte for byte the same: the writer reuses one record buffer,
// so bytes a record does not set keep what an earlier record put there.
#include "model/Declare.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace ui {

// The chord of one grid cell. Root 1..12 (pitch class + 1), 0 for an empty
// cell; ChordIndex 1..60 into ChordTable, 0 for none; Inversion -1, 0 or +1
// (other values are kept and passed on).
struct TPatternCell {
    int32_t Root = 0;
    int32_t ChordIndex = 0;
    int32_t Inversion = 0;
    bool operator==(const TPatternCell &) const = default;
};

inline constexpr int PatternRecordSize = 268;
inline constexpr int PatternCommentMax = 250;
inline constexpr int PatternShortTextMax = 3;
// The measure number is a three-character text.
inline constexpr int PatternMaxMeasures = 999;
// The largest pattern file: its two first records and one for every beat of
// the most measures a pattern can have.
inline constexpr qint64 PatternMaxFileSize = qint64(2 + 4 * PatternMaxMeasures) * PatternRecordSize;
inline constexpr int PatternMinTempo = 30;
inline constexpr int PatternMaxTempo = 200;

// One filled cell as the file stores it: beat column 1..4, measure 1..999.
struct TPatternCellRecord {
    int Column = 1;
    int Measure = 1;
    TPatternCell Cell;
    bool operator==(const TPatternCellRecord &) const = default;
};

struct TPatternFileContents {
    QString Comment;
    int32_t HeaderValue = 0;
    bool LoopMarker = false; // the marker record holds the loop marker, else the end marker
    int MarkerCol = -1;
    int MarkerRow = -1;  // 0-based grid row
    int32_t Tempo = 120; // as stored; the editor clamps it
    std::vector<TPatternCellRecord> Cells;
    bool operator==(const TPatternFileContents &) const = default;
};

// The bytes of a pattern file. The comment is cut to 250 characters; a
// character Windows-1252 cannot hold is written as '?'.
QByteArray WritePatternFile(const TPatternFileContents &contents);

// Reads and checks the whole of a pattern file. Nothing is returned for a
// file that is not a pattern file the editor can show; *error then says why,
// naming the first bad record ("record 3 (byte 536): ...", counted from 1)
// in the given language (1 English, otherwise French).
std::optional<TPatternFileContents> ReadPatternFile(const QByteArray &bytes, int language, QString *error);

// The bytes of the named file, for ReadPatternFile. Only an ordinary file
// is read, and only one no larger than the largest pattern: a pipe would
// hold the program until something writes to it, and a device could fill
// its memory. Nothing is returned otherwise; *error then says why in the
// given language.
std::optional<QByteArray> ReadPatternBytes(const QString &fileName, int language, QString *error);

// Windows-1252, one byte per character; what it cannot hold becomes '?'.
QByteArray ToWindows1252(const QString &text);
QString FromWindows1252(const QByteArray &bytes);

// The text a cell shows when it is read from a file: the root's note name
// followed by the chord's symbol (cut before a '|', a '?' shown as the
// triangle). A cell without a chord shows its root alone, one without a root
// nothing.
QString PatternCellText(const TPatternCell &cell, const model::TNoteNames &noteNames,
                        const model::TChordTable &chordTable);

} // namespace ui
