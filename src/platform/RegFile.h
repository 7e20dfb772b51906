#pragma once

// The registry's text file, in the format of a Windows .reg export, so that a
// person can read and edit it with a text editor:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Harmonova]
//   "Speed"=dword:00000096
//   "Background"="C:\\Pictures\\stage.jpg"
//   "Path"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,00,00
//
// The file is UTF-8 (a byte-order mark is accepted) with LF line ends (CRLF is
// accepted). Lines starting with ";" are comments; they belong to the key or
// value line that follows them, so a save writes them back between the same
// lines they stood between (only blank lines are laid out afresh). An empty
// file is an empty registry. Hexadecimal data may run over several lines,
// each but the last ending with "\". "@" names a key's default value.
//
// Keys and values are found through hashes of their names, so reading and
// writing a file costs time in proportion to its size.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace platform {

enum : uint32_t {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
};

// A value's data as the registry holds it: a DWORD as 4 little-endian bytes,
// a string as UTF-16LE with its terminating zero, anything else as raw bytes.
struct RegValue {
    QString Name; // empty for the key's default value
    uint32_t Type = REG_NONE;
    QByteArray Data;
    QStringList Comments = {}; // the comment lines right above it, as written
    bool operator==(const RegValue &) const = default;
};

// A name as a hash key, compared without case. It shares the text of the
// value or key it stands for, so indexing costs no copy.
struct CaselessName {
    QString Text;
};
bool operator==(const CaselessName &a, const CaselessName &b) noexcept;
size_t qHash(const CaselessName &name, size_t seed = 0) noexcept;

class RegKey {
public:
    RegKey() = default;
    explicit RegKey(QString path) : Path(std::move(path)) {}

    QString Path;         // with the root, e.g. "HKEY_CURRENT_USER\Software\Harmonova"
    QStringList Comments; // the comment lines right above the key's line
    QStringList Trailing; // comment lines left after its last value

    const QList<RegValue> &Values() const { return values_; }
    // Names are compared without case.
    const RegValue *Find(const QString &name) const;
    // Replaces the type and data of an existing value (keeping the name as
    // first written, and its comments, to which the new value's are added) or
    // appends a new one.
    void Set(RegValue value);
    // The removed value's comments stay, above the value that followed it.
    bool Remove(const QString &name);

    bool operator==(const RegKey &other) const;

private:
    QList<RegValue> values_;
    QHash<CaselessName, qsizetype> index_; // position in values_
};

class RegDocument {
public:
    QStringList Trailing; // comment lines after everything else

    const QList<RegKey> &Keys() const { return keys_; } // in file order
    // Paths are compared without case.
    const RegKey *Find(const QString &path) const;
    RegKey *Find(const QString &path);
    // The key with that path, appended when there is none yet. The reference
    // holds until the next key is appended.
    RegKey &Add(const QString &path);

    bool operator==(const RegDocument &other) const;

private:
    QList<RegKey> keys_;
    QHash<CaselessName, qsizetype> index_; // position in keys_
};

QByteArray DwordData(uint32_t number);
QByteArray StringData(const QString &text); // UTF-16LE plus the terminating zero
// Little-endian, from at most the first 4 bytes; shorter data is zero-extended.
uint32_t DwordOfData(const QByteArray &data);
// UTF-16LE bytes as text, zeros included; an odd last byte is dropped.
QString TextOfData(const QByteArray &data);

// Reads a whole file's text; throws platform::Exception naming the file, the
// line and what is wrong there.
RegDocument ParseRegFile(const QByteArray &bytes, const QString &fileName);
QByteArray FormatRegFile(const RegDocument &document);

} // namespace platform

// Lists of values and keys grow by moving their items' bytes.
Q_DECLARE_TYPEINFO(platform::RegValue, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(platform::RegKey, Q_RELOCATABLE_TYPE);
