// Packs a skin folder into the form a window stores its skin in: a byte
// count, then the skin package (the decoded length and the compressed
// archive). The description comes first, then the pictures by name, so the
// same folder always gives the same bytes.
//
//   pack_skin <skin folder> <output file>
#include "skin/SkinPacker.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: pack_skin <skin folder> <output file>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QStringList names = folder.entryList({QStringLiteral("*.ini")}, QDir::Files, QDir::Name);
    names += folder.entryList({QStringLiteral("*.bmp")}, QDir::Files, QDir::Name);
    if (names.isEmpty() || !names.first().endsWith(QLatin1String(".ini"))) {
        std::fprintf(stderr, "%s holds no skin description\n", argv[1]);
        return 1;
    }
    QList<skin::TSkinEntry> entries;
    for (const QString &name : names) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
            return 1;
        }
        entries.append({name.toLatin1(), file.readAll()});
    }
    const QByteArray package = skin::PackSkin(entries);
    QSaveFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) || out.write(skin::SkinStreamOf(package)) < 0 || !out.commit()) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("skin package: %lld entries, %lld bytes decoded, %lld bytes packed\n", qint64(entries.size()),
                qint64(skin::BuildArchive(entries).size()), qint64(package.size()));
    return 0;
}
