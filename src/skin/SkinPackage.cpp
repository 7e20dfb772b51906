#include "skin/SkinPackage.h"

#include <QFile>
#include <QImageReader>

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
    // Read as the bitmap it is: a reader left to guess would load every
    // picture plugin installed first, which took most of the skin's time at
    // start.
    QImageReader reader(QStringLiteral(":/skin/RAZIDIVUDI.bmp"), "bmp");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

} // namespace skin
