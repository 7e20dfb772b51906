#include "skin/QuickIni.h"

#include "platform/Exception.h"
#include "skin/BitmapHelpers.h"

#include <QIODevice>

namespace skin {

namespace {

// Blanks and control characters, as the trimming of the description sees them.
QByteArray TrimBytes(const QByteArray &line)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && uchar(line[begin]) <= ' ')
        ++begin;
    while (end > begin && uchar(line[end - 1]) <= ' ')
        --end;
    return line.mid(begin, end - begin);
}

QStringView TrimView(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= ' ')
        ++begin;
    while (end > begin && text[end - 1].unicode() <= ' ')
        --end;
    return text.sliced(begin, end - begin);
}

QString Trim(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= ' ')
        ++begin;
    while (end > begin && text[end - 1].unicode() <= ' ')
        --end;
    return text.mid(begin, end - begin);
}

bool IsHeader(const QString &line)
{
    return line.startsWith(u'[') && line.endsWith(u']');
}

} // namespace

void TQuickIni::LoadFromStream(QIODevice *Stream)
{
    if (Stream == nullptr)
        return;
    QByteArray text = Stream->readAll();
    if (const qsizetype zero = text.indexOf('\0'); zero >= 0)
        text.truncate(zero);

    QStringList lines;
    QStringList sections;
    QList<int> sectionLines;
    const auto keep = [&](const QByteArray &raw) {
        const QByteArray trimmed = TrimBytes(raw);
        if (trimmed.isEmpty() || trimmed.startsWith(';'))
            return;
        const QString line = AnsiToWide(trimmed);
        if (IsHeader(line)) {
            sections.append(line);
            sectionLines.append(int(lines.size()));
        }
        lines.append(line);
    };
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        keep(text.mid(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    keep(text.mid(start));

    Lines = lines;
    Sections = sections;
    SectionLines = sectionLines;
}

int TQuickIni::SectionIndex(const QString &Name) const
{
    // Compared in place: every setting the skin reads looks its section up.
    const QString wanted = u'[' + Name + u']';
    for (qsizetype i = 0; i < Sections.size(); ++i) {
        if (AsciiEqualNoCase(Sections[i], wanted))
            return SectionLines[i];
    }
    return -1;
}

QString TQuickIni::ReadString(const QString &Section, const QString &Key, const QString &Default) const
{
    if (Lines.isEmpty())
        return Default;
    const int header = SectionIndex(Section);
    if (header < 0)
        return Default;
    for (qsizetype i = header + 1; i < Lines.size() && !IsHeader(Lines[i]); ++i) {
        const QString &line = Lines[i];
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue; // no key: never matches
        if (!AsciiEqualNoCase(TrimView(QStringView(line).first(eq)), Key))
            continue;
        const QString value = Trim(line.mid(eq + 1));
        return value.isEmpty() ? Default : value;
    }
    return Default;
}

bool TQuickIni::ToInteger(const QString &text, int &value)
{
    QString t = text;
    if (t.size() > 2 && (t.startsWith(QLatin1String("0x")) || t.startsWith(QLatin1String("0X"))))
        t = u'$' + t.mid(2);
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) {
        negative = t[i] == u'-';
        ++i;
    }
    const bool hex = i < t.size() && t[i] == u'$';
    if (hex)
        ++i;
    if (i >= t.size())
        return false;
    // Hexadecimal fills all 32 bits (colours such as $FF000008); decimal
    // must fit a signed 32-bit number.
    const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    uint64_t n = 0;
    for (; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (hex && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (hex && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return false;
        n = n * (hex ? 16 : 10) + uint64_t(digit);
        if (n > limit)
            return false;
    }
    const uint32_t bits = uint32_t(n);
    value = int(negative ? uint32_t(0) - bits : bits);
    return true;
}

int TQuickIni::ReadInteger(const QString &Section, const QString &Key, int Default) const
{
    int value = 0;
    return ToInteger(ReadString(Section, Key, QString()), value) ? value : Default;
}

void TQuickIni::ReadSections(QStringList *Strings) const
{
    if (Strings == nullptr)
        throw platform::Exception(QStringLiteral("The parameter Strings is unassigned!"));
    Strings->clear();
    for (const QString &header : Sections) {
        const QString trimmed = Trim(header);
        Strings->append(Trim(trimmed.mid(1, trimmed.size() - 2)));
    }
}

} // namespace skin
