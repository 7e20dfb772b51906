#include "ui/PatternFile.h"

#include "model/ChordTable.h"
#include "platform/RegularFile.h"

#include <QList>
#include <QtEndian>

#include <array>
#include <limits>

namespace ui {

namespace {

// Offsets within a record.
constexpr int LongTextAt = 0;
constexpr int ShortTextAt = 251;
constexpr int Value1At = 256;
constexpr int Value2At = 260;
constexpr int Value3At = 264;

constexpr int EndMarkerKind = 0;
constexpr int LoopMarkerKind = 1;

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; the five bytes it
// leaves undefined read as the control characters of the same number.
constexpr std::array<char16_t, 32> Windows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char ToWindows1252Char(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (std::size_t i = 0; i < Windows1252High.size(); ++i)
        if (Windows1252High[i] == c)
            return char(0x80 + i);
    return '?';
}

// The one record buffer the writer fills and reuses, so that what a record
// leaves unset keeps what the record before it wrote there.
class TRecordWriter {
public:
    void SetLongText(const QByteArray &text) { SetText(LongTextAt, text, PatternCommentMax); }
    void SetShortText(const QByteArray &text) { SetText(ShortTextAt, text, PatternShortTextMax); }
    void SetValue(int at, int32_t value) { qToLittleEndian<int32_t>(value, FBuffer.data() + at); }
    void Emit(QByteArray &out) const { out.append(reinterpret_cast<const char *>(FBuffer.data()), FBuffer.size()); }

private:
    void SetText(int at, const QByteArray &text, int room)
    {
        const int length = int(std::min<qsizetype>(text.size(), room));
        FBuffer[at] = uint8_t(length);
        std::copy_n(text.constData(), length, FBuffer.begin() + at + 1);
    }

    std::array<uint8_t, PatternRecordSize> FBuffer{};
};

QByteArray Decimal(int value)
{
    return QByteArray::number(value);
}

// A view of one record of the file.
class TRecordReader {
public:
    TRecordReader(const QByteArray &bytes, int index) : FData(bytes.constData() + qsizetype(index) * PatternRecordSize)
    {
    }

    int LongLength() const { return uint8_t(FData[LongTextAt]); }
    int ShortLength() const { return uint8_t(FData[ShortTextAt]); }
    QByteArray LongText() const { return QByteArray(FData + LongTextAt + 1, LongLength()); }
    QByteArray ShortText() const { return QByteArray(FData + ShortTextAt + 1, ShortLength()); }
    int32_t Value(int at) const { return qFromLittleEndian<int32_t>(FData + at); }

private:
    const char *FData;
};

std::optional<int> ParseDecimal(const QByteArray &text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    if (i == text.size())
        return std::nullopt;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > int64_t(std::numeric_limits<int32_t>::max()) + 1)
            return std::nullopt;
    }
    value = negative ? -value : value;
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return int(value);
}

// The texts of the refusal, in the user's language.
class TComplaint {
public:
    explicit TComplaint(int language) : FEnglish(language == 1) {}

    QString Text(const char *english, const char *french) const
    {
        return QString::fromUtf8(FEnglish ? english : french);
    }

    QString TooLarge(qint64 size) const
    {
        return Text("it is %1 bytes long, larger than the largest pattern (%2 bytes, 999 measures)",
                    "il fait %1 octets, plus que la plus grande grille (%2 octets, 999 mesures)")
            .arg(size)
            .arg(PatternMaxFileSize);
    }

    QString Record(int index, const QString &reason) const
    {
        return Text("record %1 (byte %2): %3", "enregistrement %1 (octet %2) : %3")
            .arg(index + 1)
            .arg(qsizetype(index) * PatternRecordSize)
            .arg(reason);
    }

    // A number field shown as the file holds it, cut when it is long.
    static QString Quoted(const QByteArray &text)
    {
        QString shown = FromWindows1252(text.left(20));
        if (text.size() > 20)
            shown += QStringLiteral("...");
        return QStringLiteral("\"%1\"").arg(shown);
    }

private:
    bool FEnglish;
};

struct TField {
    const char *english;
    const char *french;
};

constexpr TField MarkerColumnField = {"the marker's column", "la colonne du repère"};
constexpr TField MarkerRowField = {"the marker's row", "la ligne du repère"};
constexpr TField ColumnField = {"the column", "la colonne"};
constexpr TField MeasureField = {"the measure", "la mesure"};
constexpr TField RootField = {"the root", "la fondamentale"};
constexpr TField ChordField = {"the chord", "l'accord"};

} // namespace

QByteArray ToWindows1252(const QString &text)
{
    QByteArray bytes;
    for (const char32_t c : text.toUcs4())
        bytes.append(ToWindows1252Char(c));
    return bytes;
}

QString FromWindows1252(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char b : bytes) {
        const auto c = uint8_t(b);
        text.append(c >= 0x80 && c < 0xA0 ? QChar(Windows1252High[c - 0x80]) : QChar(c));
    }
    return text;
}

std::optional<QByteArray> ReadPatternBytes(const QString &fileName, int language, QString *error)
{
    const TComplaint complaint(language);
    const auto refuse = [&](const QString &reason) -> std::optional<QByteArray> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    const platform::TFileRead read = platform::ReadRegularFile(fileName, PatternMaxFileSize);
    switch (read.Result) {
    case platform::TFileRead::Read:
        return read.Bytes;
    case platform::TFileRead::NotRegular:
        return refuse(complaint.Text("it is not a file but a folder, a pipe or a device",
                                     "ce n'est pas un fichier mais un dossier, un tube ou un périphérique"));
    case platform::TFileRead::TooLarge:
        return refuse(complaint.TooLarge(read.Size));
    case platform::TFileRead::Missing:
    case platform::TFileRead::Failed:
        break;
    }
    return refuse(read.Error);
}

QByteArray WritePatternFile(const TPatternFileContents &contents)
{
    QByteArray out;
    out.reserve(qsizetype(contents.Cells.size() + 2) * PatternRecordSize);
    TRecordWriter record;

    // The comment is cut by characters: each is one byte in the file.
    const QList<uint> comment = contents.Comment.toUcs4();
    record.SetLongText(ToWindows1252(QString::fromUcs4(reinterpret_cast<const char32_t *>(comment.constData()),
                                                       std::min<qsizetype>(comment.size(), PatternCommentMax))));
    record.SetShortText(QByteArray());
    record.SetValue(Value1At, contents.HeaderValue);
    record.Emit(out);

    record.SetLongText(Decimal(contents.MarkerCol));
    record.SetShortText(Decimal(contents.MarkerRow));
    record.SetValue(Value1At, contents.LoopMarker ? LoopMarkerKind : EndMarkerKind);
    record.SetValue(Value2At, contents.Tempo);
    record.Emit(out);

    for (const TPatternCellRecord &cell : contents.Cells) {
        record.SetLongText(Decimal(cell.Column));
        record.SetShortText(Decimal(cell.Measure));
        record.SetValue(Value1At, cell.Cell.Root);
        record.SetValue(Value2At, cell.Cell.ChordIndex);
        record.SetValue(Value3At, cell.Cell.Inversion);
        record.Emit(out);
    }
    return out;
}

std::optional<TPatternFileContents> ReadPatternFile(const QByteArray &bytes, int language, QString *error)
{
    const TComplaint complaint(language);
    const auto refuse = [&](const QString &reason) -> std::optional<TPatternFileContents> {
        if (error)
            *error = reason;
        return std::nullopt;
    };

    if (bytes.size() > PatternMaxFileSize)
        return refuse(complaint.TooLarge(bytes.size()));
    if (const qsizetype leftOver = bytes.size() % PatternRecordSize; leftOver != 0)
        return refuse(complaint
                          .Text("its size, %1 bytes, is not a whole number of 268-byte records: %2 bytes are left over",
                                "sa taille, %1 octets, n'est pas un nombre entier d'enregistrements de 268 octets : "
                                "il reste %2 octets")
                          .arg(bytes.size())
                          .arg(leftOver));
    const int count = int(bytes.size() / PatternRecordSize);
    if (count < 2)
        return refuse(complaint
                          .Text("it holds %1 records, where a pattern file has at least 2",
                                "il contient %1 enregistrements, alors qu'une grille en a au moins 2")
                          .arg(count));

    TPatternFileContents contents;
    for (int index = 0; index < count; ++index) {
        const TRecordReader record(bytes, index);
        const auto bad = [&](const QString &reason) { return refuse(complaint.Record(index, reason)); };
        if (record.LongLength() > PatternCommentMax)
            return bad(complaint.Text("the text length %1 is over 250", "la longueur de texte %1 dépasse 250")
                           .arg(record.LongLength()));
        if (record.ShortLength() > PatternShortTextMax)
            return bad(complaint.Text("the short text length %1 is over 3", "la longueur de texte court %1 dépasse 3")
                           .arg(record.ShortLength()));

        if (index == 0) {
            contents.Comment = FromWindows1252(record.LongText());
            contents.HeaderValue = record.Value(Value1At);
            continue;
        }

        const auto number = [&](const QByteArray &text, const TField &field) {
            const std::optional<int> value = ParseDecimal(text);
            if (!value)
                bad(complaint.Text("%1 %2 is not a whole number", "%1 %2 n'est pas un nombre entier")
                        .arg(complaint.Text(field.english, field.french), TComplaint::Quoted(text)));
            return value;
        };
        const auto inRange = [&](int value, int low, int high, const TField &field) {
            if (value >= low && value <= high)
                return true;
            bad(complaint.Text("%1 %2 is not %3 to %4", "%1 %2 n'est pas entre %3 et %4")
                    .arg(complaint.Text(field.english, field.french))
                    .arg(value)
                    .arg(low)
                    .arg(high));
            return false;
        };

        if (index == 1) {
            const std::optional<int> col = number(record.LongText(), MarkerColumnField);
            if (!col)
                return std::nullopt;
            const std::optional<int> row = number(record.ShortText(), MarkerRowField);
            if (!row)
                return std::nullopt;
            contents.MarkerCol = *col;
            contents.MarkerRow = *row;
            contents.LoopMarker = record.Value(Value1At) != EndMarkerKind;
            contents.Tempo = record.Value(Value2At);
            continue;
        }

        TPatternCellRecord cell;
        const std::optional<int> column = number(record.LongText(), ColumnField);
        if (!column || !inRange(*column, 1, 4, ColumnField))
            return std::nullopt;
        const std::optional<int> measure = number(record.ShortText(), MeasureField);
        if (!measure || !inRange(*measure, 1, PatternMaxMeasures, MeasureField))
            return std::nullopt;
        cell.Column = *column;
        cell.Measure = *measure;
        cell.Cell = {record.Value(Value1At), record.Value(Value2At), record.Value(Value3At)};
        if (!inRange(cell.Cell.Root, 0, 12, RootField) ||
            !inRange(cell.Cell.ChordIndex, 0, model::TChordTable::High, ChordField))
            return std::nullopt;
        contents.Cells.push_back(cell);
    }
    return contents;
}

QString PatternCellText(const TPatternCell &cell, const model::TNoteNames &noteNames,
                        const model::TChordTable &chordTable)
{
    if (cell.Root < 1 || cell.Root > 12)
        return QString();
    QString text = noteNames[cell.Root - 1];
    if (cell.ChordIndex < model::TChordTable::Low || cell.ChordIndex > model::TChordTable::High)
        return text;
    QString symbol = chordTable[cell.ChordIndex].Symbol;
    if (const qsizetype bar = symbol.indexOf(u'|'); bar >= 0)
        symbol.truncate(bar);
    symbol.replace(u'?', model::DeltaSign);
    return text + symbol;
}

} // namespace ui
