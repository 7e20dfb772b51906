#include "platform/RegFile.h"

#include "platform/Exception.h"

#include <QStringDecoder>
#include <QStringList>
#include <QStringTokenizer>

#include <algorithm>

namespace platform {

namespace {

const QString Header = QStringLiteral("Windows Registry Editor Version 5.00");
const QStringList RootNames{"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                            "HKEY_CURRENT_CONFIG"};
// Exported files keep hexadecimal data lines within 80 columns.
constexpr int HexLineWidth = 77;

bool SameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The form under which names and paths are hashed: equal for every two names
// that SameName takes as the same.
QString Folded(const QString &name)
{
    return name.toCaseFolded();
}

bool IsHexDigits(const QString &text, int minCount, int maxCount)
{
    if (text.size() < minCount || text.size() > maxCount)
        return false;
    for (QChar c : text)
        if (c.unicode() > 0x7f || !isxdigit(c.unicode()))
            return false;
    return true;
}

// One line of the file with its 1-based number, for messages.
struct Line {
    int Number;
    QString Text;
};

class Parser {
public:
    Parser(const QByteArray &bytes, const QString &fileName) : fileName_(fileName) { Split(bytes); }

    RegDocument Run()
    {
        // An empty file holds nothing that could be lost: it is an empty registry.
        if (std::all_of(lines_.begin(), lines_.end(), [](const Line &line) { return line.Text.trimmed().isEmpty(); }))
            return document_;
        if (lines_[0].Text.trimmed() != Header)
            Fail(1, QStringLiteral("la première ligne doit être « %1 »").arg(Header));
        for (next_ = 1; next_ < lines_.size();) {
            const Line &line = lines_[next_++];
            const QString text = line.Text.trimmed();
            if (text.isEmpty())
                continue;
            if (text.startsWith(';'))
                comments_.append(line.Text);
            else if (text.startsWith('['))
                OpenKey(line.Number, text);
            else if (text.startsWith('"') || text.startsWith('@'))
                AddValue(line.Number, text);
            else
                Fail(line.Number, QStringLiteral("ligne non reconnue"));
        }
        document_.Trailing = comments_;
        return document_;
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
        const QString text = utf8(rest);
        if (utf8.hasError())
            FailAtFirstBadLine(rest);
        int number = 0;
        for (QStringView line : QStringTokenizer(text, u'\n')) {
            if (line.endsWith(u'\r'))
                line.chop(1);
            lines_.append({++number, line.toString()});
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

    void OpenKey(int number, const QString &text)
    {
        if (!text.endsWith(']'))
            Fail(number, QStringLiteral("« ] » manquant à la fin du nom de clé"));
        const QString inner = text.mid(1, text.size() - 2);
        if (inner.startsWith('-'))
            Fail(number, QStringLiteral("la suppression d'une clé n'est pas prise en charge"));
        QStringList parts = inner.split('\\');
        const auto root = std::find_if(RootNames.begin(), RootNames.end(),
                                       [&](const QString &name) { return SameName(name, parts[0]); });
        if (root == RootNames.end())
            Fail(number, QStringLiteral("racine de clé inconnue « %1 »").arg(parts[0]));
        parts[0] = *root;
        if (parts.contains(QString()))
            Fail(number, QStringLiteral("nom de clé vide dans « %1 »").arg(inner));
        key_ = &document_.Add(parts.join('\\'));
        key_->Comments += comments_;
        comments_.clear();
    }

    void AddValue(int number, const QString &text)
    {
        if (!key_)
            Fail(number, QStringLiteral("valeur placée avant toute clé"));
        int pos = 0;
        RegValue value;
        if (text.startsWith('@'))
            pos = 1;
        else
            value.Name = ReadQuoted(number, text, pos);
        SkipBlanks(text, pos);
        if (pos >= text.size() || text[pos] != '=')
            Fail(number, QStringLiteral("« = » attendu après le nom de la valeur"));
        ++pos;
        SkipBlanks(text, pos);
        ReadData(number, text.mid(pos), value);
        value.Comments = comments_;
        comments_.clear();
        key_->Set(value);
    }

    static void SkipBlanks(const QString &text, int &pos)
    {
        while (pos < text.size() && text[pos].isSpace())
            ++pos;
    }

    // A text between double quotes in which only \\ and \" are escapes.
    QString ReadQuoted(int number, const QString &text, int &pos) const
    {
        QString result;
        for (pos = 1; pos < text.size(); ++pos) {
            const QChar c = text[pos];
            if (c == '"') {
                ++pos;
                return result;
            }
            if (c == '\\') {
                if (++pos >= text.size())
                    break;
                if (text[pos] != '\\' && text[pos] != '"')
                    Fail(number,
                         QStringLiteral("séquence « \\%1 » inconnue (seuls \\\\ et \\\" sont permis)").arg(text[pos]));
            }
            result += text[pos];
        }
        Fail(number, QStringLiteral("guillemet fermant manquant"));
    }

    void ReadData(int number, const QString &data, RegValue &value)
    {
        if (data.startsWith('"')) {
            int pos = 0;
            value.Type = REG_SZ;
            value.Data = StringData(ReadQuoted(number, data, pos));
            if (!data.mid(pos).trimmed().isEmpty())
                Fail(number, QStringLiteral("texte inattendu après la chaîne"));
        } else if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
            const QString digits = data.mid(6).trimmed();
            if (!IsHexDigits(digits, 1, 8))
                Fail(number,
                     QStringLiteral("nombre « %1 » invalide (1 à 8 chiffres hexadécimaux attendus)").arg(digits));
            value.Type = REG_DWORD;
            value.Data = DwordData(digits.toUInt(nullptr, 16));
        } else if (data.startsWith(QLatin1String("hex"), Qt::CaseInsensitive)) {
            ReadHex(number, data, value);
        } else if (data == QLatin1String("-")) {
            Fail(number, QStringLiteral("la suppression d'une valeur n'est pas prise en charge"));
        } else {
            Fail(number, QStringLiteral("données « %1 » non reconnues").arg(data));
        }
    }

    // hex:01,02 is binary data; hex(N):... data of type N (hexadecimal).
    void ReadHex(int number, const QString &data, RegValue &value)
    {
        const qsizetype colon = data.indexOf(':');
        if (colon < 0)
            Fail(number, QStringLiteral("« : » manquant après « %1 »").arg(data));
        const QString kind = data.left(colon).toLower();
        value.Type = REG_BINARY;
        if (kind != QLatin1String("hex")) {
            const QString type = kind.mid(3);
            if (!type.startsWith('(') || !type.endsWith(')') || !IsHexDigits(type.mid(1, type.size() - 2), 1, 8))
                Fail(number, QStringLiteral("type « %1 » invalide").arg(data.left(colon)));
            value.Type = type.mid(1, type.size() - 2).toUInt(nullptr, 16);
        }
        QString bytes = data.mid(colon + 1).trimmed();
        while (bytes.endsWith('\\')) {
            bytes.chop(1);
            const QString more = next_ < lines_.size() ? lines_[next_++].Text.trimmed() : QString();
            if (more.isEmpty())
                Fail(number, QStringLiteral("ligne de suite manquante après « \\ »"));
            bytes += more;
        }
        bytes.remove(' ').remove('\t');
        if (bytes.isEmpty())
            return;
        for (const QString &byte : bytes.split(',')) {
            if (!IsHexDigits(byte, 1, 2))
                Fail(number, QStringLiteral("octet « %1 » invalide (deux chiffres hexadécimaux attendus)").arg(byte));
            value.Data.append(static_cast<char>(byte.toUInt(nullptr, 16)));
        }
    }

    QString fileName_;
    QList<Line> lines_;
    qsizetype next_ = 0;
    RegDocument document_;
    RegKey *key_ = nullptr;
    QStringList comments_; // read but not yet given to the line they stand above
};

void AppendQuoted(QString &line, QStringView text)
{
    line += '"';
    for (QChar c : text) {
        if (c == '\\' || c == '"')
            line += '\\';
        line += c;
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

const RegValue *RegKey::Find(const QString &name) const
{
    const auto at = index_.constFind(Folded(name));
    return at == index_.cend() ? nullptr : &values_[*at];
}

void RegKey::Set(const RegValue &value)
{
    const QString folded = Folded(value.Name);
    if (const auto at = index_.constFind(folded); at != index_.cend()) {
        RegValue &existing = values_[*at];
        existing.Type = value.Type;
        existing.Data = value.Data;
        existing.Comments += value.Comments;
        return;
    }
    index_.insert(folded, values_.size());
    values_.append(value);
}

bool RegKey::Remove(const QString &name)
{
    const auto at = index_.constFind(Folded(name));
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
        index_.insert(Folded(values_[i].Name), i);
    return true;
}

bool RegKey::operator==(const RegKey &other) const
{
    return Path == other.Path && Comments == other.Comments && Trailing == other.Trailing && values_ == other.values_;
}

const RegKey *RegDocument::Find(const QString &path) const
{
    const auto at = index_.constFind(Folded(path));
    return at == index_.cend() ? nullptr : &keys_[*at];
}

RegKey *RegDocument::Find(const QString &path)
{
    const auto at = index_.constFind(Folded(path));
    return at == index_.cend() ? nullptr : &keys_[*at];
}

RegKey &RegDocument::Add(const QString &path)
{
    if (RegKey *key = Find(path))
        return *key;
    index_.insert(Folded(path), keys_.size());
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
    QString text;
    text.reserve(data.size() / 2);
    for (qsizetype i = 0; i + 1 < data.size(); i += 2)
        text += QChar(static_cast<char16_t>(static_cast<uchar>(data[i]) | static_cast<uchar>(data[i + 1]) << 8));
    return text;
}

QByteArray StringData(const QString &text)
{
    QByteArray data;
    data.reserve((text.size() + 1) * 2);
    for (QChar c : text) {
        data.append(static_cast<char>(c.unicode() & 0xff));
        data.append(static_cast<char>(c.unicode() >> 8));
    }
    return data.append(2, '\0');
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
