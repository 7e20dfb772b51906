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
// accepted). Lines starting with ";" are comments; they are not kept when the
// program saves the file. An empty file is an empty registry. Hexadecimal
// data may run over several lines, each but the last ending with "\". "@"
// names a key's default value.
#include <QByteArray>
#include <QList>
#include <QString>

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
    bool operator==(const RegValue &) const = default;
};

struct RegKey {
    QString Path; // with the root, e.g. "HKEY_CURRENT_USER\Software\Harmonova"
    QList<RegValue> Values;

    // Names are compared without case.
    const RegValue *Find(const QString &name) const;
    // Replaces the data of an existing value (keeping the name as first
    // written) or appends a new one.
    void Set(const RegValue &value);
    bool Remove(const QString &name);
    bool operator==(const RegKey &) const = default;
};

struct RegDocument {
    QList<RegKey> Keys; // in file order

    // Paths are compared without case.
    const RegKey *Find(const QString &path) const;
    RegKey *Find(const QString &path);
    RegKey &Add(const QString &path);
    bool operator==(const RegDocument &) const = default;
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
