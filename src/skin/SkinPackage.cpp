#include "skin/SkinPackage.h"

#include <QFile>

namespace skin {

QByteArray EmbeddedSkinStream()
{
    QFile file(QStringLiteral(":/skin/SkinStream"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QImage MenuGlyphStrip()
{
    return QImage(QStringLiteral(":/skin/RAZIDIVUDI.bmp"), "BMP");
}

} // namespace skin
