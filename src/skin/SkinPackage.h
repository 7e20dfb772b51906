#pragma once

// Harmonova's own skin, embedded in the program.
#include <QByteArray>
#include <QImage>

namespace skin {

// The skin as a window stores it: a 32-bit byte count, then the package.
QByteArray EmbeddedSkinStream();
// The strip of 16 x 16 menu glyphs (restore, maximise, minimise, close);
// white is its transparent colour.
QImage MenuGlyphStrip();

} // namespace skin
