#include "skin/SkinPacker.h"

#include "skin/LzhEncoder.h"

#include <QtEndian>

namespace skin {

namespace {
void AppendInt(QByteArray &out, int32_t value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}
} // namespace

QByteArray BuildArchive(const QByteArray &nameText, const QList<QByteArray> &contents, int32_t magic)
{
    QByteArray out;
    AppendInt(out, magic);
    AppendInt(out, int32_t(nameText.size()));
    AppendInt(out, 0);
    AppendInt(out, 0);
    out.append(nameText);
    for (const QByteArray &c : contents)
        AppendInt(out, int32_t(c.size()));
    for (const QByteArray &c : contents)
        out.append(c);
    return out;
}

QByteArray BuildArchive(const QList<TSkinEntry> &entries)
{
    QByteArray names;
    QList<QByteArray> contents;
    for (const TSkinEntry &e : entries) {
        names += e.Name + "\r\n";
        contents.append(e.Content);
    }
    return BuildArchive(names, contents);
}

QByteArray PackArchive(const QByteArray &archive)
{
    QByteArray out;
    AppendInt(out, int32_t(archive.size()));
    out.append(LzhPack(archive));
    return out;
}

QByteArray PackSkin(const QList<TSkinEntry> &entries)
{
    return PackArchive(BuildArchive(entries));
}

QByteArray SkinStreamOf(const QByteArray &package)
{
    QByteArray out;
    AppendInt(out, int32_t(package.size()));
    out.append(package);
    return out;
}

} // namespace skin
