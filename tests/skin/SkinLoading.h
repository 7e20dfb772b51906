#pragma once

// The whole load of a package, as the skin component runs it: decode,
// find and parse the description, fill the skin.
#include "skin/QuickIni.h"
#include "skin/Skin.h"
#include "skin/SkinReader.h"

#include <QBuffer>

namespace skin::test {

struct LoadedSkin {
    TSkinReader reader;
    TQuickIni ini;
    TSkin skin;
    bool loaded = false;
};

inline void LoadWholeSkin(const QByteArray &package, LoadedSkin &out)
{
    out.loaded = out.reader.LoadPackage(package);
    if (!out.loaded)
        return;
    QByteArray text;
    QString found;
    out.reader.ExtractFirstMatching(QStringLiteral(".ini"), text, found);
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly);
    out.ini.LoadFromStream(&buffer);
    out.skin.LoadSkinElements(out.ini, out.reader);
}

// The package inside a stored skin stream (after its byte count).
inline QByteArray PackageOf(const QByteArray &stream)
{
    return stream.mid(4);
}

} // namespace skin::test
