#include "platform/RegFile.h"

#include "platform/Exception.h"

#include <QStringDecoder>
#include <QStringList>
#include <QStringTokenizer>
#include <QVarLengthArray>
#include <QtEndian>

#include <algorithm>

namespace platform {

namespace {

const QString Header = QStringLiteral("Windows Registry Editor Version 5.00");
const QStringList RootNames{"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                            "HKEY_CURRENT_CONFIG"};
// Exported files keep hexadecimal data lines within 80 columns.
constexpr int HexLineWidth = 77;

bool SameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if ((u | 0x20) >= 'a' && (u | 0x20) <= 'f')
        return (u | 0x20) - 'a' + 10;
    return -1;
}

bool IsHexDigits(QStringView text, int minCount, int maxCount)
{
    if (text.size() < minCount || text.size() > maxCount)
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) { return HexDigit(c) >= 0; });
}

// The number that IsHexDigits accepted.
uint32_t HexNumber(QStringView digits)
{
    uint32_t number = 0;
    for (QChar c : digits)
        number = number << 4 | static_cast<uint32_t>(HexDigit(c));
    return number;
}

// One line of the file with its 1-based number, for messages. The text lies
// in the parser's decoded copy of the whole file.
struct Line {
    int Number;
    QStringView Text;
};

class Parser {
public:
    Parser(const QByteArray &bytes, const QString &fileName) : fileName_(fileName) { Split(bytes); }

    RegDocument Run()
    {
        // An empty file holds nothing that could be lost: it is an empty registry.
        if (std::all_of(lines_.begin(), lines_.end(), [](const Line &line) { return line.Text.trimmed().isEmpty(); }))
            return std::move(document_);
        if (lines_[0].Text.trimmed() != Header)
            Fail(1, QStringLiteral("la première ligne doit être « %1 »").arg(Header));
        for (next_ = 1; next_ < lines_.size();) {
            const Line &line = lines_[next_++];
            const QStringView text = line.Text.trimmed();
            if (text.isEmpty())
                continue;
            if (text.startsWith(u';'))
                comments_.append(line.Text.toString());
            else if (text.startsWith(u'['))
                OpenKey(line.Number, text);
            else if (text.startsWith(u'"') || text.startsWith(u'@'))
                AddValue(line.Number, text);
            else
                Fail(line.Number, QStringLiteral("ligne non reconnue"));
        }
        document_.Trailing = std::move(comments_);
        return std::move(document_);
    }

private:
    [[noreturn]] void Fail(int line, const QString &what) const
    {
        throw Exception(QStringLiteral("Le fichier de registre « %1 » ne peut pas être lu, ligne %2 : %3.")
                            .arg(fileName_)
                            .arg(line)
                            .arg(what));
    }

    // The whole text is decoded at once; only a file that is not UTF-8 is
    // gone through again, line by line, to name the first bad line.
    void Split(const QByteArray &bytes)
    {
        const QByteArrayView rest = bytes.startsWith("\xEF\xBB\xBF") ? QByteArrayView(bytes).sliced(3) : bytes;
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        text_ = utf8(rest);
        if (utf8.hasError())
            FailAtFirstBadLine(rest);
        int number = 0;
        for (QStringView line : QStringTokenizer(text_, u'\n')) {
            if (line.endsWith(u'\r'))
                line.chop(1);
            lines_.append({++number, line});
        }
    }

    [[noreturn]] void FailAtFirstBadLine(QByteArrayView bytes) const
    {
        int number = 0;
        for (QByteArrayView line : QByteArray::fromRawData(bytes.data(), bytes.size()).split('\n')) {
            ++number;
            QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
            const QString decoded = utf8(line);
            if (utf8.hasError())
                break;
        }
        Fail(number, QStringLiteral("le texte n'est pas en UTF-8"));
    }

    void OpenKey(int number, QStringView text)
    {
        if (!text.endsWith(u']'))
            Fail(number, QStringLiteral("« ] » manquant à la fin du nom de clé"));
        const QStringView inner = text.sliced(1, text.size() - 2);
        if (inner.startsWith(u'-'))
            Fail(number, QStringLiteral("la suppression d'une clé n'est pas prise en charge"));
        const QList<QStringView> parts = inner.split(u'\\');
        const auto root = std::find_if(RootNames.begin(), RootNames.end(),
                                       [&](const QString &name) { return SameName(name, parts[0]); });
        if (root == RootNames.end())
            Fail(number, QStringLiteral("racine de clé inconnue « %1 »").arg(parts[0]));
        if (std::any_of(parts.begin(), parts.end(), [](QStringView part) { return part.isEmpty(); }))
            Fail(number, QStringLiteral("nom de clé vide dans « %1 »").arg(inner));
        key_ = &document_.Add(*root + inner.sliced(parts[0].size()).toString());
        key_->Comments += comments_;
        comments_.clear();
    }

    void AddValue(int number, QStringView text)
    {
        if (!key_)
            Fail(number, QStringLiteral("valeur placée avant toute clé"));
        qsizetype pos = 0;
        RegValue value;
        if (text.startsWith(u'@'))
            pos = 1;
        else
            value.Name = ReadQuoted(number, text, pos);
        SkipBlanks(text, pos);
        if (pos >= text.size() || text[pos] != u'=')
            Fail(number, QStringLiteral("« = » attendu après le nom de la valeur"));
        ++pos;
        SkipBlanks(text, pos);
        ReadData(number, text.sliced(pos), value);
        value.Comments = std::move(comments_);
        comments_.clear();
        key_->Set(std::move(value));
    }

    static void SkipBlanks(QStringView text, qsizetype &pos)
    {
        while (pos < text.size() && text[pos].isSpace())
            ++pos;
    }

    // A text between double quotes in which only \\ and \" are escapes.
    QString ReadQuoted(int number, QStringView text, qsizetype &pos) const
    {
        // Most texts hold no escape: they are taken whole.
        for (pos = 1; pos < text.size() && text[pos] != u'"' && text[pos] != u'\\'; ++pos) {
        }
        if (pos < text.size() && text[pos] == u'"')
            return text.sliced(1, pos++ - 1).toString();
        QString result = text.sliced(1, pos - 1).toString();
        for (; pos < text.size(); ++pos) {
            const QChar c = text[pos];
            if (c == u'"') {
                ++pos;
                return result;
            }
            if (c == u'\\') {
                if (++pos >= text.size())
                    break;
                if (text[pos] != u'\\' && text[pos] != u'"')
                    Fail(number,
                         QStringLiteral("séquence « \\%1 » inconnue (seuls \\\\ et \\\" sont permis)").arg(text[pos]));
            }
            result += text[pos];
        }
        Fail(number, QStringLiteral("guillemet fermant manquant"));
    }

    void ReadData(int number, QStringView data, RegValue &value)
    {
        if (data.startsWith(u'"')) {
            qsizetype pos = 0;
            value.Type = REG_SZ;
            value.Data = StringData(ReadQuoted(number, data, pos));
            if (!data.sliced(pos).trimmed().isEmpty())
                Fail(number, QStringLiteral("texte inattendu après la chaîne"));
        } else if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
            const QStringView digits = data.sliced(6).trimmed();
            if (!IsHexDigits(digits, 1, 8))
                Fail(number,
                     QStringLiteral("nombre « %1 » invalide (1 à 8 chiffres hexadécimaux attendus)").arg(digits));
            value.Type = REG_DWORD;
            value.Data = DwordData(HexNumber(digits));
        } else if (data.startsWith(QLatin1String("hex"), Qt::CaseInsensitive)) {
            ReadHex(number, data, value);
        } else if (data == QLatin1String("-")) {
            Fail(number, QStringLiteral("la suppression d'une valeur n'est pas prise en charge"));
        } else {
            Fail(number, QStringLiteral("données « %1 » non reconnues").arg(data));
        }
    }

    // hex:01,02 is binary data; hex(N):... data of type N (hexadecimal).
    void ReadHex(int number, QStringView data, RegValue &value)
    {
        const qsizetype colon = data.indexOf(u':');
        if (colon < 0)
            Fail(number, QStringLiteral("« : » manquant après « %1 »").arg(data));
        const QStringView kind = data.first(colon);
        value.Type = REG_BINARY;
        if (kind.size() > 3) {
            const QStringView type = kind.sliced(3);
            if (!type.startsWith(u'(') || !type.endsWith(u')') || !IsHexDigits(type.sliced(1, type.size() - 2), 1, 8))
                Fail(number, QStringLiteral("type « %1 » invalide").arg(kind));
            value.Type = HexNumber(type.sliced(1, type.size() - 2));
        }
        // Blanks are ignored, and the data goes on over lines ending with a backslash.
        QStringView piece = data.sliced(colon + 1).trimmed();
        QVarLengthArray<QChar, 8> byte;
        bool any = false;
        value.Data.reserve(piece.size() / 3 + 1);
        const auto endOfByte = [&] {
            const QStringView digits(byte.constData(), byte.size());
            if (!IsHexDigits(digits, 1, 2))
                Fail(number, QStringLiteral("octet « %1 » invalide (deux chiffres hexadécimaux attendus)").arg(digits));
            value.Data.append(static_cast<char>(HexNumber(digits)));
            byte.clear();
        };
        for (;;) {
            const bool more = piece.endsWith(u'\\');
            if (more)
                piece.chop(1);
            for (QChar c : piece) {
                if (c == u' ' || c == u'\t')
                    continue;
                any = true;
                if (c == u',')
                    endOfByte();
                else
                    byte.append(c);
            }
            if (!more)
                break;
            piece = next_ < lines_.size() ? lines_[next_++].Text.trimmed() : QStringView();
            if (piece.isEmpty())
                Fail(number, QStringLiteral("ligne de suite manquante après « \\ »"));
        }
        if (any)
            endOfByte();
    }

    QString fileName_;
    QString text_; // the whole file, decoded
    QList<Line> lines_;
    qsizetype next_ = 0;
    RegDocument document_;
    RegKey *key_ = nullptr;
    QStringList comments_; // read but not yet given to the line they stand above
};

void AppendQuoted(QString &line, QStringView text)
{
    line += '"';
    for (qsizetype plain = 0; !text.isEmpty(); text = text.sliced(plain)) {
        // The run of characters up to the next one that needs its escape.
        for (plain = 0; plain < text.size() && text[plain] != u'\\' && text[plain] != u'"'; ++plain) {
        }
        line += text.first(plain);
        if (plain < text.size()) {
            line += '\\';
            line += text[plain++];
        }
    }
    line += '"';
}

// A REG_SZ is written as quoted text when that gives back the same bytes:
// exactly one terminating zero, and nothing that would break the line.
bool AsQuotedText(const QByteArray &data, QString &text)
{
    if (data.size() < 2 || data.size() % 2 != 0 || !data.endsWith(QByteArray(2, '\0')))
        return false;
    text = TextOfData(data.first(data.size() - 2));
    if (text.contains(QChar(0)) || !text.isValidUtf16())
        return false;
    return std::none_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20 && c != '\t'; });
}

void AppendHexNumber(QString &line, uint32_t number, int digits)
{
    static constexpr char16_t Digits[] = u"0123456789abcdef";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        line += QChar(Digits[(number >> shift) & 0xf]);
}

// Data lines are broken as an export breaks them, within HexLineWidth columns.
void AppendHexData(QString &line, qsizetype lineStart, const RegValue &value)
{
    if (value.Type == REG_BINARY) {
        line += QLatin1String("hex:");
    } else {
        line += QLatin1String("hex(");
        line += QString::number(value.Type, 16);
        line += QLatin1String("):");
    }
    qsizetype width = line.size() - lineStart;
    for (qsizetype i = 0; i < value.Data.size(); ++i) {
        const bool last = i + 1 == value.Data.size();
        const int byteWidth = last ? 2 : 3;
        if (width + byteWidth > HexLineWidth && i > 0) {
            line += QLatin1String("\\\n  ");
            width = 2;
        }
        AppendHexNumber(line, static_cast<uchar>(value.Data[i]), 2);
        if (!last)
            line += ',';
        width += byteWidth;
    }
}

void AppendValue(QString &text, const RegValue &value)
{
    const qsizetype lineStart = text.size();
    if (value.Name.isEmpty())
        text += '@';
    else
        AppendQuoted(text, value.Name);
    text += '=';
    if (value.Type == REG_DWORD && value.Data.size() == 4) {
        text += QLatin1String("dword:");
        AppendHexNumber(text, DwordOfData(value.Data), 8);
    } else if (QString quoted; value.Type == REG_SZ && AsQuotedText(value.Data, quoted)) {
        AppendQuoted(text, quoted);
    } else {
        AppendHexData(text, lineStart, value);
    }
}

} // namespace

namespace {

char16_t AsciiLower(char16_t c)
{
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

bool IsAscii(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

} // namespace

// Names are nearly always ASCII: those are compared here, anything else by
// the full comparison without case.
bool operator==(const CaselessName &a, const CaselessName &b) noexcept
{
    const QString &x = a.Text, &y = b.Text;
    if (x.size() != y.size())
        return !(IsAscii(x) && IsAscii(y)) && x.compare(y, Qt::CaseInsensitive) == 0;
    for (qsizetype i = 0; i < x.size(); ++i) {
        const char16_t c = x[i].unicode(), d = y[i].unicode();
        if (c >= 0x80 || d >= 0x80)
            return x.compare(y, Qt::CaseInsensitive) == 0;
        if (AsciiLower(c) != AsciiLower(d))
            return false;
    }
    return true;
}

size_t qHash(const CaselessName &name, size_t seed) noexcept
{
    // Folded code point by code point, as the comparison folds them.
    const QString &text = name.Text;
    size_t hash = seed ^ 0xcbf29ce484222325u;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (c < 0x80) {
            c = AsciiLower(static_cast<char16_t>(c));
        } else {
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                c = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
                ++i;
            }
            c = QChar::toCaseFolded(c);
        }
        hash = (hash ^ c) * 0x100000001b3u;
    }
    return hash ^ (hash >> 29);
}

const RegValue *RegKey::Find(const QString &name) const
{
    const auto at = index_.constFind(CaselessName{name});
    return at == index_.cend() ? nullptr : &values_[*at];
}

void RegKey::Set(RegValue value)
{
    if (const auto at = index_.constFind(CaselessName{value.Name}); at != index_.cend()) {
        RegValue &existing = values_[*at];
        existing.Type = value.Type;
        existing.Data = std::move(value.Data);
        existing.Comments += value.Comments;
        return;
    }
    index_.insert(CaselessName{value.Name}, values_.size());
    values_.append(std::move(value));
}

bool RegKey::Remove(const QString &name)
{
    const auto at = index_.constFind(CaselessName{name});
    if (at == index_.cend())
        return false;
    const qsizetype position = *at;
    const QStringList comments = values_[position].Comments;
    values_.removeAt(position);
    if (position < values_.size())
        values_[position].Comments = comments + values_[position].Comments;
    else
        Trailing = comments + Trailing;
    index_.clear();
    for (qsizetype i = 0; i < values_.size(); ++i)
        index_.insert(CaselessName{values_[i].Name}, i);
    return true;
}

bool RegKey::operator==(const RegKey &other) const
{
    return Path == other.Path && Comments == other.Comments && Trailing == other.Trailing && values_ == other.values_;
}

const RegKey *RegDocument::Find(const QString &path) const
{
    const auto at = index_.constFind(CaselessName{path});
    return at == index_.cend() ? nullptr : &keys_[*at];
}

RegKey *RegDocument::Find(const QString &path)
{
    const auto at = index_.constFind(CaselessName{path});
    return at == index_.cend() ? nullptr : &keys_[*at];
}

RegKey &RegDocument::Add(const QString &path)
{
    if (RegKey *key = Find(path))
        return *key;
    index_.insert(CaselessName{path}, keys_.size());
    keys_.append(RegKey(path));
    return keys_.last();
}

bool RegDocument::operator==(const RegDocument &other) const
{
    return keys_ == other.keys_ && Trailing == other.Trailing;
}

QByteArray DwordData(uint32_t number)
{
    QByteArray data(4, '\0');
    for (int i = 0; i < 4; ++i)
        data[i] = static_cast<char>(number >> (8 * i));
    return data;
}

uint32_t DwordOfData(const QByteArray &data)
{
    uint32_t number = 0;
    for (qsizetype i = 0; i < std::min<qsizetype>(data.size(), 4); ++i)
        number |= static_cast<uint32_t>(static_cast<uchar>(data[i])) << (8 * i);
    return number;
}

QString TextOfData(const QByteArray &data)
{
    QString text(data.size() / 2, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(data.constData(), text.size(), text.data());
    return text;
}

QByteArray StringData(const QString &text)
{
    QByteArray data((text.size() + 1) * 2, Qt::Uninitialized);
    qToLittleEndian<char16_t>(text.utf16(), text.size(), data.data());
    data[data.size() - 2] = data[data.size() - 1] = '\0';
    return data;
}

RegDocument ParseRegFile(const QByteArray &bytes, const QString &fileName)
{
    return Parser(bytes, fileName).Run();
}

QByteArray FormatRegFile(const RegDocument &document)
{
    QString text = Header + QStringLiteral("\n\n");
    const auto comments = [&](const QStringList &lines) {
        for (const QString &line : lines)
            text += line + '\n';
    };
    for (const RegKey &key : document.Keys()) {
        comments(key.Comments);
        text += '[' + key.Path + QStringLiteral("]\n");
        for (const RegValue &value : key.Values()) {
            comments(value.Comments);
            AppendValue(text, value);
            text += '\n';
        }
        comments(key.Trailing);
        text += '\n';
    }
    comments(document.Trailing);
    return text.toUtf8();
}

} // namespace platform
