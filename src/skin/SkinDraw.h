#pragma once

// The drawing primitives every skinned window, menu and control shares. A
// skin picture holds several frames of equal size, side by side or stacked
// (vertical), numbered from 1; the routines cut one frame out and bring it to
// any size by the nine-part scheme: fixed corners, edges stretched along their
// length, the middle stretched or tiled. Stretching is nearest-pixel, so the
// skin's hard edges and its magenta key stay exact.
//
// Rectangles are QRects whose width and height may be negative: such a
// rectangle is inverted and draws nothing. WinRect builds one from its four
// sides, the right and bottom sides excluded. Margins are (left, top, right,
// bottom) border widths in pixels.
#include "platform/Exception.h"

#include <QImage>
#include <QMargins>
#include <QRect>
#include <QRegion>
#include <QRgb>

class QObject;
class QPainter;

namespace skin {

// The transparent colour of every skin picture: magenta.
constexpr QRgb KeyColour = 0xFFFF00FF;

inline QRect WinRect(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

inline bool IsInverted(const QRect &rect)
{
    return rect.width() < 0 || rect.height() < 0;
}

// Where frame `frame` of `frameCount` lies in the image. Empty when the count
// is below 1; a frame number outside 1..count is taken as the nearest end.
QRect FrameRect(const QImage &image, int frameCount, int frame, int vertical);

// The frame brought to size's width and height by the nine-part scheme, with
// the middle tiled when tile is not 0. Margins that do not fit the target or
// the frame are dropped for that direction. A null image when there is
// nothing to draw (no frame, or an empty size).
QImage MakeFramedBitmap(const QRect &size, const QImage &image, const QMargins &margins, int vertical, int tile,
                        int frameCount, int frame);

// MakeFramedBitmap drawn at rect, leaving out the magenta pixels when
// transparent is not 0.
void DrawSkinImage(QPainter &dc, const QRect &rect, const QImage &image, int vertical, int tile, int transparent,
                   int frameCount, int frame, const QMargins &margins);

// The corners and edges of the nine-part scheme straight onto dc; whatever dc
// holds in the middle stays.
void DrawFrameEdges(QPainter &dc, const QRect &rect, const QImage &image, int vertical, int frameCount, int frame,
                    const QMargins &margins);

// A horizontal strip in three parts: the frame's left margin, its middle
// repeated at its own width, its right margin; each stretched to the strip's
// height. Only the left and right margins count.
void DrawStrip(QPainter &canvas, const QRect &rect, const QImage &image, int vertical, int transparent, int frameCount,
               int frame, const QMargins &margins);

// One side-by-side frame stretched whole to rect.
void DrawImageFrame(QPainter &dc, const QRect &rect, const QImage &image, int transparent, int frameCount, int frame);

// Repeats the source part of image over dest from its top-left corner; the
// last column and row run past dest and are cut only at the canvas's sides.
void TileRect(QImage &canvas, const QRect &dest, const QImage &image, const QRect &source);

// The top-left part of image, rect's size, drawn at rect without its pixels
// of the key colour.
void DrawTransparent(QPainter &dc, const QRect &rect, const QImage &image, QRgb keyColour);

// The pixels of bitmap that are not of the key colour, as a region moved by
// (x, y). A pixel counts as key colour when each of its red, green and blue
// lies between the key's and the key's plus the tolerance.
QRegion BitmapToRegion(const QImage &bitmap, int x, int y, QRgb keyColour, int redTolerance, int greenTolerance,
                       int blueTolerance);

// Raised when an enumeration has no value of the given name.
class EPropertyError : public platform::Exception {
public:
    using platform::Exception::Exception;
};

// Sets component's enumeration property name to the value named value. Does
// nothing without a component or without such a property; throws
// EPropertyError when the enumeration has no such value.
void SetEnumProperty(QObject *component, const char *name, const QString &value);

// The one off-screen picture that the menu bar and the control skinners size
// and paint on before copying to the screen.
QImage &SharedBitmap();

} // namespace skin
