// The pattern file on hand-built bytes: what the writer puts where, what the
// reused record buffer leaves behind, and what the reader refuses.
#include "ui/PatternFile.h"
#include "model/ChordTable.h"
#include "model/NoteNames.h"

#include <QtEndian>
#include <gtest/gtest.h>

#include <ostream>

namespace {

using ui::PatternRecordSize;
using ui::TPatternCell;
using ui::TPatternCellRecord;
using ui::TPatternFileContents;

[[maybe_unused]] void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

// One record of a file, read the way the format lays it out.
struct TRecord {
    QByteArray bytes;
    QByteArray LongText() const { return bytes.mid(1, uint8_t(bytes[0])); }
    QByteArray ShortText() const { return bytes.mid(252, uint8_t(bytes[251])); }
    int32_t Value(int n) const { return qFromLittleEndian<int32_t>(bytes.constData() + 256 + 4 * (n - 1)); }
};

TRecord RecordOf(const QByteArray &file, int index)
{
    return {file.mid(qsizetype(index) * PatternRecordSize, PatternRecordSize)};
}

// A record as a foreign writer may make it.
QByteArray Record(const QByteArray &longText, const QByteArray &shortText, int32_t v1, int32_t v2 = 0, int32_t v3 = 0)
{
    QByteArray record(PatternRecordSize, '\0');
    record[0] = char(longText.size());
    record.replace(1, longText.size(), longText);
    record[251] = char(shortText.size());
    record.replace(252, shortText.size(), shortText);
    for (const auto &[at, value] : {std::pair{256, v1}, std::pair{260, v2}, std::pair{264, v3}})
        qToLittleEndian<int32_t>(value, record.data() + at);
    return record.left(PatternRecordSize);
}

TPatternFileContents EmptyPattern()
{
    TPatternFileContents contents;
    contents.MarkerCol = 5;
    contents.MarkerRow = 20;
    contents.Tempo = 120;
    return contents;
}

TEST(PatternFile, AnEmptyGridIsTwoRecordsOfWhichTheSecondKeepsWhatTheCommentLeftInTheBuffer)
{
    TPatternFileContents contents = EmptyPattern();
    contents.Comment = "Blues in F";
    contents.HeaderValue = 7;
    const QByteArray file = ui::WritePatternFile(contents);

    ASSERT_EQ(file.size(), 536);
    const TRecord header = RecordOf(file, 0);
    EXPECT_EQ(header.LongText(), "Blues in F");
    EXPECT_EQ(header.ShortText(), "");
    EXPECT_EQ(header.Value(1), 7);
    EXPECT_EQ(header.Value(2), 0);
    EXPECT_EQ(header.Value(3), 0);

    const TRecord marker = RecordOf(file, 1);
    EXPECT_EQ(marker.LongText(), "5");
    EXPECT_EQ(marker.ShortText(), "20");
    EXPECT_EQ(marker.Value(1), 0) << "the end marker";
    EXPECT_EQ(marker.Value(2), 120);
    EXPECT_EQ(marker.Value(3), 0);
    // Beyond its one character, the marker's text field still holds the comment.
    EXPECT_EQ(marker.bytes.mid(2, 9), QByteArray("lues in F"));
    EXPECT_EQ(marker.bytes.mid(252, 3), QByteArray("20\0", 3));
}

TEST(PatternFile, CellRecordsKeepTheBytesEarlierRecordsLeftBeyondTheirTexts)
{
    TPatternFileContents contents = EmptyPattern();
    contents.LoopMarker = true;
    contents.MarkerCol = 4;
    contents.MarkerRow = 123;
    contents.Cells = {{1, 100, {3, 8, -1}}, {2, 101, {5, 13, 0}}, {3, 7, {12, 60, 1}}};
    const QByteArray file = ui::WritePatternFile(contents);
    ASSERT_EQ(file.size(), 5 * PatternRecordSize);

    const TRecord last = RecordOf(file, 4);
    EXPECT_EQ(last.LongText(), "3");
    EXPECT_EQ(last.ShortText(), "7");
    EXPECT_EQ(last.bytes.mid(252, 3), QByteArray("701")) << "the rest of \"101\" stays";
    EXPECT_EQ(last.Value(1), 12);
    EXPECT_EQ(last.Value(2), 60);
    EXPECT_EQ(last.Value(3), 1);
    EXPECT_EQ(RecordOf(file, 2).Value(3), -1);
    EXPECT_EQ(RecordOf(file, 1).Value(1), 1) << "the loop marker";
}

TEST(PatternFile, TheCommentIsCutTo250CharactersOfOneWindows1252ByteEach)
{
    struct Case {
        QString comment;
        QByteArray stored;
    };
    const Case cases[] = {
        {QString(300, u'x'), QByteArray(250, 'x')},
        {QString(249, u'a') + QStringLiteral("éé"), QByteArray(249, 'a') + "\xE9"},
        {QStringLiteral("é€ŒÿΔ"), "\xE9\x80\x8C\xFF?"},
        // One character outside the basic plane is one '?', not two.
        {QStringLiteral("a\U0001D11Eb"), "a?b"},
        {QString(), QByteArray()},
    };
    for (const Case &c : cases) {
        TPatternFileContents contents = EmptyPattern();
        contents.Comment = c.comment;
        const QByteArray file = ui::WritePatternFile(contents);
        EXPECT_EQ(RecordOf(file, 0).LongText(), c.stored) << c.comment.left(20).toStdString();
    }
}

TEST(PatternFile, WhatIsWrittenReadsBackTheSame)
{
    TPatternFileContents contents = EmptyPattern();
    contents.Comment = QStringLiteral("Grille crée le 10/12/2026 €");
    contents.HeaderValue = -3;
    contents.LoopMarker = true;
    contents.MarkerCol = -1;
    contents.MarkerRow = -1;
    contents.Tempo = 200;
    contents.Cells = {{1, 1, {1, 1, 0}}, {4, 999, {12, 60, -2}}, {2, 20, {7, 0, 5}}, {3, 2, {0, 9, 0}}};

    QString error;
    const auto read = ui::ReadPatternFile(ui::WritePatternFile(contents), 1, &error);
    ASSERT_TRUE(read) << error.toStdString();
    EXPECT_EQ(*read, contents);
}

TEST(PatternFile, RefusesAFileThatIsNotOneNamingTheFirstBadRecord)
{
    const QByteArray header = Record("comment", "", 0);
    const QByteArray marker = Record("1", "0", 1, 90);
    const QByteArray good = Record("2", "3", 4, 5, 0);
    struct Case {
        const char *what;
        QByteArray file;
        const char *error;
    };
    const Case cases[] = {
        {"empty", QByteArray(), "it holds 0 records, where a pattern file has at least 2"},
        {"one record", header, "it holds 1 records, where a pattern file has at least 2"},
        {"cut short", header + marker + good.left(100),
         "its size, 636 bytes, is not a whole number of 268-byte records: 100 bytes are left over"},
        {"long text", header + marker + good + Record("1", "1", 1, 1).replace(0, 1, "\xFB"),
         "record 4 (byte 804): the text length 251 is over 250"},
        {"short text", header + Record("1", "0", 0, 90).replace(251, 1, "\x04"),
         "record 2 (byte 268): the short text length 4 is over 3"},
        {"header short text", Record("x", "", 0).replace(251, 1, "\xFF") + marker,
         "record 1 (byte 0): the short text length 255 is over 3"},
        {"marker column", header + Record("one", "0", 0, 90),
         "record 2 (byte 268): the marker's column \"one\" is not a whole number"},
        {"marker row", header + Record("1", "", 0, 90),
         "record 2 (byte 268): the marker's row \"\" is not a whole number"},
        {"column text", header + marker + Record("1 ", "1", 1, 1),
         "record 3 (byte 536): the column \"1 \" is not a whole number"},
        {"column", header + marker + good + Record("5", "1", 1, 1), "record 4 (byte 804): the column 5 is not 1 to 4"},
        {"column 0", header + marker + Record("0", "1", 1, 1), "record 3 (byte 536): the column 0 is not 1 to 4"},
        {"measure text", header + marker + Record("1", "x", 1, 1),
         "record 3 (byte 536): the measure \"x\" is not a whole number"},
        {"measure 0", header + marker + Record("1", "0", 1, 1), "record 3 (byte 536): the measure 0 is not 1 to 999"},
        {"measure -1", header + marker + Record("1", "-1", 1, 1),
         "record 3 (byte 536): the measure -1 is not 1 to 999"},
        {"root", header + marker + Record("1", "1", 13, 1), "record 3 (byte 536): the root 13 is not 0 to 12"},
        {"negative root", header + marker + Record("1", "1", -1, 1), "record 3 (byte 536): the root -1 is not 0 to 12"},
        {"chord", header + marker + Record("1", "1", 1, 61), "record 3 (byte 536): the chord 61 is not 0 to 60"},
        {"larger than a pattern", QByteArray(ui::PatternMaxFileSize + ui::PatternRecordSize, '\0'),
         "it is 1071732 bytes long, larger than the largest pattern (1071464 bytes, 999 measures)"},
        {"huge column", header + marker + Record(QByteArray(40, '9'), "1", 1, 1),
         "record 3 (byte 536): the column \"99999999999999999999...\" is not a whole number"},
    };
    for (const Case &c : cases) {
        QString error;
        EXPECT_FALSE(ui::ReadPatternFile(c.file, 1, &error)) << c.what;
        EXPECT_EQ(error, QString::fromUtf8(c.error)) << c.what;
    }

    QString error;
    EXPECT_FALSE(ui::ReadPatternFile(header + marker + Record("1", "1", 1, 61), 2, &error));
    EXPECT_EQ(error, QStringLiteral("enregistrement 3 (octet 536) : l'accord 61 n'est pas entre 0 et 60"));
}

TEST(PatternFile, ReadsWhatAForeignWriterMayLeaveAsItIs)
{
    // Signs, a tempo out of range, chord 0 and root 0, an out-of-order cell.
    const QByteArray file = Record("", "", 42) + Record("+2", "-0", 0, 500) + Record("4", "25", 1, 0, 9) +
                            Record("1", "3", 0, 7, 0) + Record("2", "+1", 12, 60, -2);
    QString error;
    const auto read = ui::ReadPatternFile(file, 1, &error);
    ASSERT_TRUE(read) << error.toStdString();
    EXPECT_EQ(read->HeaderValue, 42);
    EXPECT_EQ(read->MarkerCol, 2);
    EXPECT_EQ(read->MarkerRow, 0);
    EXPECT_EQ(read->Tempo, 500);
    EXPECT_EQ(read->Cells,
              (std::vector<TPatternCellRecord>{{4, 25, {1, 0, 9}}, {1, 3, {0, 7, 0}}, {2, 1, {12, 60, -2}}}));
}

TEST(PatternFile, ACellTextIsTheNoteNameAndTheTableSymbol)
{
    model::TChordTable table = model::MakeChordTable(1);
    // A symbol as a table may hold it: alternatives after a bar, the triangle as '?'.
    table[17].Symbol = QStringLiteral("m?|mMaj7");
    const model::TNoteNames letters = model::NoteNamesFor(true, false);
    const model::TNoteNames solfege = model::NoteNamesFor(false, true);
    struct Case {
        TPatternCell cell;
        const model::TNoteNames &names;
        const char *text;
    };
    const Case cases[] = {
        {{1, 1, 0}, letters, "C"},     {{2, 9, 0}, letters, "DbM7"},       {{3, 17, 0}, letters, "DmΔ"},
        {{2, 14, 1}, solfege, "Do#m"}, {{12, 60, 0}, solfege, "SiM9sus4"}, {{5, 0, 0}, letters, "E"},
        {{0, 5, 0}, letters, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ui::PatternCellText(c.cell, c.names, table), QString::fromUtf8(c.text)) << c.text;
}

} // namespace
