#pragma once

// A small registry of typed values under keys, for the program's settings and
// the system's proxy settings, kept in a text file (see RegFile.h). Key paths
// and value names are compared without case, as on the system the program was
// designed for.
//
// The file is $HARMONOVA_REGISTRY when that is set, else
// $XDG_CONFIG_HOME/harmonova/registry.reg (~/.config/harmonova/registry.reg by
// default), looked up again at every OpenKey. A key's values are read as they
// were when it was opened; a write reads the file afresh, changes the value
// and replaces the file atomically, so nothing written by someone else in
// between is lost. Writes grouped by BeginUpdate and EndUpdate do the same
// once for the whole group. A file that cannot be read is never written.
#include "platform/RegFile.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace platform {

enum HKEY : uint32_t {
    HKEY_CURRENT_USER = 0x80000001u,
    HKEY_LOCAL_MACHINE = 0x80000002u,
};

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

QString RegistryFileName();

// The key the system's Internet settings live in. While it holds no
// "ProxyServer", an http_proxy (or HTTP_PROXY) from the environment shows in
// it as "ProxyEnable" 1 and "ProxyServer" "http=host:port"; a value really
// stored under either name wins. Those values are only shown, never stored.
inline const QString InternetSettingsKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings");

class TRegistry {
public:
    TRegistry() = default;
    ~TRegistry() { CloseKey(); }
    TRegistry(const TRegistry &) = delete;
    TRegistry &operator=(const TRegistry &) = delete;

    HKEY RootKey = HKEY_CURRENT_USER;

    // A key starting with "\" is taken from RootKey, any other from the key
    // that is open, or from RootKey when none is. False when the key is
    // missing and may not be created, or cannot be: then the key open before
    // stays open.
    bool OpenKey(const QString &key, bool canCreate);
    void CloseKey();
    bool HasCurrentKey() const { return !keyPath_.isEmpty(); }
    QString CurrentPath() const { return keyPath_; }

    bool ValueExists(const QString &name) const { return Find(name) != nullptr; }
    TRegDataType GetDataType(const QString &name) const;
    // The size the data has through the 8-bit interface (one byte per
    // character plus the terminator for text); -1 for a missing value.
    int GetDataSize(const QString &name) const;

    // The data is fetched first and its type checked after, so data larger
    // than a number fails to be fetched before its type is looked at.
    int ReadInteger(const QString &name) const;
    bool ReadBool(const QString &name) const { return ReadInteger(name) != 0; }
    // REG_SZ or REG_EXPAND_SZ, as stored (nothing expanded), up to the first
    // zero character. A missing or empty value reads as empty text.
    QString ReadString(const QString &name) const;

    // Until EndUpdate, writes, deletions and the creation of keys opened
    // meanwhile are only kept (reads see them at once); EndUpdate then stores
    // them all in one replacement of the file. When they cannot be stored,
    // none is, and EndUpdate throws the write error naming the first value
    // written (a write to a key that could not be opened fails there too).
    // What is still kept when the object goes away is dropped.
    void BeginUpdate();
    void EndUpdate();

    void WriteInteger(const QString &name, int value);
    void WriteBool(const QString &name, bool value) { WriteInteger(name, value ? 1 : 0); }
    void WriteString(const QString &name, const QString &value);
    void WriteExpandString(const QString &name, const QString &value);
    bool DeleteValue(const QString &name);

private:
    // One change for the file: a key created, a value set or deleted.
    struct Change {
        enum Kind { Create, Set, Delete };
        Kind What = Set;
        QString FileName;
        QString Path;    // the key; empty when it could not be opened
        QString Failure; // then why not
        RegValue Value;  // for Delete only its name
    };

    // What tells a file's versions apart without reading it: a replacement
    // gives a new inode, a write in place a new size or time.
    struct FileStamp {
        quint64 Device = 0, Inode = 0;
        qint64 Size = 0, Modified = 0, Changed = 0; // times in nanoseconds
        bool operator==(const FileStamp &) const = default;
        bool Settled() const;
    };
    // The file as this object last read it, taken again instead of reading
    // the file while that is unchanged.
    struct Snapshot {
        QString FileName;
        FileStamp Stamp;
        RegDocument Document;
    };

    static std::optional<FileStamp> StampOf(const QString &fileName);
    RegDocument Read(const QString &fileName);
    QString FullPath(const QString &key) const;
    void Attach(const RegDocument &document, const QString &path);
    const RegValue *Find(const QString &name) const;
    void Write(const QString &name, uint32_t type, const QByteArray &data);
    void Store(const QList<Change> &changes);
    static void Apply(const Change &change, RegDocument &document);

    std::optional<Snapshot> snapshot_;
    bool updating_ = false;
    QList<Change> kept_;

    QString fileName_;
    QString keyPath_; // empty while no key is open
    RegKey key_;
    QString environmentProxy_; // "host:port", empty when there is none
    QList<RegValue> presented_;
    QString openFailure_; // why the last OpenKey failed, when the file was to blame
};

} // namespace platform
