#pragma once

// Builds skin packages: the archive of named entries, then compressed with
// our encoder behind its decoded length. Used by the build to pack our own
// skin and by tests; the program itself only reads packages.
#include <QByteArray>
#include <QList>

#include <cstdint>

namespace skin {

struct TSkinEntry {
    QByteArray Name;
    QByteArray Content;
};

constexpr int32_t SkinArchiveMagic = 20000;

// The archive from a ready name text and the contents in name order, so a
// caller may choose any line ends or a foreign magic.
QByteArray BuildArchive(const QByteArray &nameText, const QList<QByteArray> &contents,
                        int32_t magic = SkinArchiveMagic);
// The archive with one name a line, each ended by CR LF.
QByteArray BuildArchive(const QList<TSkinEntry> &entries);
// The decoded length, then the compressed archive.
QByteArray PackArchive(const QByteArray &archive);
QByteArray PackSkin(const QList<TSkinEntry> &entries);
// The form a window stores the package in: a byte count, then the package.
QByteArray SkinStreamOf(const QByteArray &package);

} // namespace skin
