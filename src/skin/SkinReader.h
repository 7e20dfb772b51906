#pragma once

// Reads a skin package: decodes the whole archive once and serves its
// entries by name from memory.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace skin {

class TSkinReader {
public:
    static constexpr int MaxEntries = 1001;

    // Decodes Store (the decoded length, then the compressed archive) and
    // reads the archive's tables. On a foreign or damaged package it shows a
    // message naming the fault and returns false, leaving no entries.
    bool LoadPackage(const QByteArray &Store);
    // The same, showing nothing, so that it may run on any thread: a package
    // that cannot be read leaves its fault in Fault().
    bool ReadPackage(const QByteArray &Store);
    const QString &Fault() const { return FFault; }
    // Dest gets the first entry named Name (compared in lower case), or
    // stays empty.
    void ExtractEntry(const QString &Name, QByteArray &Dest) const;
    // Dest gets the first entry whose name contains Fragment (compared as
    // given); FoundName is set only when one is found.
    // The bytes of the first entry named Name, as ExtractEntry gives them,
    // without a copy; valid while the reader is unchanged.
    QByteArrayView EntryView(const QString &Name) const;
    void ExtractFirstMatching(const QString &Fragment, QByteArray &Dest, QString &FoundName) const;

    QStringList Names; // lower case, in archive order
    int Count = 0;
    std::array<int32_t, MaxEntries> Sizes{};
    QByteArray Data; // the contents back to back
    std::array<int32_t, 4> Header{};

private:
    void Clear();
    bool Fail(const QString &fault);
    QByteArray EntryAt(int index) const;
    std::array<int64_t, MaxEntries> offsets_{};
    QString FFault;
};

} // namespace skin
