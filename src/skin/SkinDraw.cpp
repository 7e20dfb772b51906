#include "skin/SkinDraw.h"

#include <QMetaEnum>
#include <QMetaProperty>
#include <QObject>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <vector>

namespace skin {

namespace {

// Every picture is composed in this format: one 32-bit word per pixel, so
// the copies below work on words.
constexpr QImage::Format Composed = QImage::Format_RGB32;

QImage Pixels32(const QImage &image)
{
    return image.format() == Composed ? image : image.convertToFormat(Composed);
}

QImage NewBitmap(int width, int height)
{
    QImage bitmap(width, height, Composed);
    bitmap.fill(Qt::black);
    return bitmap;
}

// A nearest-pixel stretching copy of src's source part to dst's dest part.
// Pixels that would fall outside either picture are left out, so a source
// part that reaches past the picture can never read beyond it.
void StretchCopy(QImage &dst, const QRect &dest, const QImage &src, const QRect &source)
{
    const int dw = dest.width(), dh = dest.height();
    const int sw = source.width(), sh = source.height();
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return;
    const int x0 = std::max(0, dest.left()), x1 = std::min(dst.width(), dest.left() + dw);
    const int y0 = std::max(0, dest.top()), y1 = std::min(dst.height(), dest.top() + dh);
    if (x0 >= x1 || y0 >= y1)
        return;
    std::vector<int> columns(static_cast<size_t>(x1 - x0));
    for (int x = x0; x < x1; ++x)
        columns[static_cast<size_t>(x - x0)] =
            source.left() + static_cast<int>(static_cast<long long>(x - dest.left()) * sw / dw);
    for (int y = y0; y < y1; ++y) {
        const int sy = source.top() + static_cast<int>(static_cast<long long>(y - dest.top()) * sh / dh);
        if (sy < 0 || sy >= src.height())
            continue;
        const auto *in = reinterpret_cast<const QRgb *>(src.constScanLine(sy));
        auto *out = reinterpret_cast<QRgb *>(dst.scanLine(y));
        for (int x = x0; x < x1; ++x) {
            const int sx = columns[static_cast<size_t>(x - x0)];
            if (sx >= 0 && sx < src.width())
                out[x] = in[sx];
        }
    }
}

// An unscaled copy of the whole of src with its top-left corner at (x, y),
// cut at dst's sides.
void BlockCopy(QImage &dst, int x, int y, const QImage &src)
{
    const int x0 = std::max(0, x), x1 = std::min(dst.width(), x + src.width());
    const int y0 = std::max(0, y), y1 = std::min(dst.height(), y + src.height());
    if (x0 >= x1)
        return;
    for (int row = y0; row < y1; ++row)
        std::memcpy(reinterpret_cast<QRgb *>(dst.scanLine(row)) + x0,
                    reinterpret_cast<const QRgb *>(src.constScanLine(row - y)) + (x0 - x),
                    static_cast<size_t>(x1 - x0) * sizeof(QRgb));
}

// The margins that the nine-part scheme may use for a frame of frameSize
// drawn at width x height: a pair of sides that does not fit the target, or
// that would reach past the frame, is dropped. Negative widths count as 0.
QMargins FittedMargins(const QMargins &margins, QSize frameSize, int width, int height)
{
    int l = std::max(0, margins.left()), t = std::max(0, margins.top());
    int r = std::max(0, margins.right()), b = std::max(0, margins.bottom());
    if (l + r > width || l + r > frameSize.width())
        l = r = 0;
    if (t + b > height || t + b > frameSize.height())
        t = b = 0;
    return QMargins(l, t, r, b);
}

struct TPiece {
    QRect dest;
    QRect source; // relative to the frame's origin
};

enum TPieceIndex { TopLeft, BottomLeft, TopRight, LeftEdge, TopEdge, Middle, BottomRight, RightEdge, BottomEdge };

// The nine pieces in the order they are drawn; a piece whose size is zero
// in either direction is left out by the copy that would draw it.
std::vector<TPiece> NinePieces(const QMargins &m, int fw, int fh, int w, int h)
{
    const int l = m.left(), t = m.top(), r = m.right(), b = m.bottom();
    return {
        {WinRect(0, 0, l, t), WinRect(0, 0, l, t)},
        {WinRect(0, h - b, l, h), WinRect(0, fh - b, l, fh)},
        {WinRect(w - r, 0, w, t), WinRect(fw - r, 0, fw, t)},
        {WinRect(0, t, l, h - b), WinRect(0, t, l, fh - b)},
        {WinRect(l, 0, w - r, t), WinRect(l, 0, fw - r, t)},
        {WinRect(l, t, w - r, h - b), WinRect(l, t, fw - r, fh - b)},
        {WinRect(w - r, h - b, w, h), WinRect(fw - r, fh - b, fw, fh)},
        {WinRect(w - r, t, w, h - b), WinRect(fw - r, t, fw, fh - b)},
        {WinRect(l, h - b, w - r, h), WinRect(l, fh - b, fw - r, fh)},
    };
}

// The finished picture reaches dc in one copy, so a repaint never shows a
// half-built state.
void Present(QPainter &dc, const QRect &rect, const QImage &bitmap, int transparent)
{
    if (transparent)
        DrawTransparent(dc, rect, bitmap, KeyColour);
    else
        dc.drawImage(rect.topLeft(), bitmap);
}

} // namespace

QRect FrameRect(const QImage &image, int frameCount, int frame, int vertical)
{
    if (frameCount < 1 || image.isNull())
        return QRect();
    frame = std::clamp(frame, 1, frameCount);
    if (vertical) {
        const int fh = image.height() / frameCount;
        return QRect(0, (frame - 1) * fh, image.width(), fh);
    }
    const int fw = image.width() / frameCount;
    return QRect((frame - 1) * fw, 0, fw, image.height());
}

void TileRect(QImage &canvas, const QRect &dest, const QImage &image, const QRect &source)
{
    const int sw = source.width(), sh = source.height();
    if (sw <= 0 || sh <= 0)
        return;
    QImage tile = NewBitmap(sw, sh);
    StretchCopy(tile, tile.rect(), Pixels32(image), source);
    const int right = dest.left() + dest.width(), bottom = dest.top() + dest.height();
    // Tiles wholly past the canvas change nothing; stopping there keeps a
    // huge destination from costing more than the canvas it lands on.
    const int xEnd = std::min(right, canvas.width()), yEnd = std::min(bottom, canvas.height());
    for (int x = dest.left(); x < xEnd; x += sw)
        for (int y = dest.top(); y < yEnd; y += sh)
            BlockCopy(canvas, x, y, tile);
}

QImage MakeFramedBitmap(const QRect &size, const QImage &image, const QMargins &margins, int vertical, int tile,
                        int frameCount, int frame)
{
    const int w = size.width(), h = size.height();
    const QRect frameRect = FrameRect(image, frameCount, frame, vertical);
    if (w <= 0 || h <= 0 || frameRect.isEmpty())
        return QImage();
    const QImage source = Pixels32(image);
    QImage result = NewBitmap(w, h);
    const int fw = frameRect.width(), fh = frameRect.height();
    const QMargins m = FittedMargins(margins, frameRect.size(), w, h);
    const QPoint origin = frameRect.topLeft();
    const std::vector<TPiece> pieces = NinePieces(m, fw, fh, w, h);
    for (size_t i = 0; i < pieces.size(); ++i) {
        const QRect src = pieces[i].source.translated(origin);
        // Tiles of the middle may run past its right and bottom sides; the
        // pieces drawn after it cover that.
        if (i == Middle && tile)
            TileRect(result, pieces[i].dest, source, src);
        else
            StretchCopy(result, pieces[i].dest, source, src);
    }
    return result;
}

void DrawSkinImage(QPainter &dc, const QRect &rect, const QImage &image, int vertical, int tile, int transparent,
                   int frameCount, int frame, const QMargins &margins)
{
    if (IsInverted(rect))
        return;
    const QImage bitmap = MakeFramedBitmap(rect, image, margins, vertical, tile, frameCount, frame);
    if (!bitmap.isNull())
        Present(dc, rect, bitmap, transparent);
}

void DrawFrameEdges(QPainter &dc, const QRect &rect, const QImage &image, int vertical, int frameCount, int frame,
                    const QMargins &margins)
{
    const int w = rect.width(), h = rect.height();
    const QRect frameRect = FrameRect(image, frameCount, frame, vertical);
    if (w <= 0 || h <= 0 || frameRect.isEmpty())
        return;
    const QImage source = Pixels32(image);
    const QMargins m = FittedMargins(margins, frameRect.size(), w, h);
    const std::vector<TPiece> pieces = NinePieces(m, frameRect.width(), frameRect.height(), w, h);
    for (size_t i = 0; i < pieces.size(); ++i) {
        const TPiece &piece = pieces[i];
        if (i == Middle || piece.dest.width() <= 0 || piece.dest.height() <= 0)
            continue;
        QImage part = NewBitmap(piece.dest.width(), piece.dest.height());
        StretchCopy(part, part.rect(), source, piece.source.translated(frameRect.topLeft()));
        dc.drawImage(piece.dest.topLeft() + rect.topLeft(), part);
    }
}

void DrawStrip(QPainter &canvas, const QRect &rect, const QImage &image, int vertical, int transparent, int frameCount,
               int frame, const QMargins &margins)
{
    const int w = rect.width(), h = rect.height();
    const QRect frameRect = FrameRect(image, frameCount, frame, vertical);
    if (IsInverted(rect) || w == 0 || h == 0 || frameRect.isEmpty())
        return;
    const QImage source = Pixels32(image);
    const int fw = frameRect.width(), fh = frameRect.height();
    // The ends are not reduced for a narrow strip (the right one is drawn
    // over the left one), but they never read past their own frame.
    const int l = std::clamp(margins.left(), 0, fw), r = std::clamp(margins.right(), 0, fw);
    const int sx = frameRect.left(), sy = frameRect.top();
    QImage bitmap = NewBitmap(w, h);
    StretchCopy(bitmap, WinRect(0, 0, l, h), source, QRect(sx, sy, l, fh));
    // A frame no wider than its two ends has no middle to repeat.
    const int step = fw - l - r;
    if (step > 0)
        for (int x = l; x < w - r; x += step)
            StretchCopy(bitmap, WinRect(x, 0, x + step, h), source, QRect(sx + l, sy, step, fh));
    StretchCopy(bitmap, WinRect(w - r, 0, w, h), source, QRect(sx + fw - r, sy, r, fh));
    Present(canvas, rect, bitmap, transparent);
}

void DrawImageFrame(QPainter &dc, const QRect &rect, const QImage &image, int transparent, int frameCount, int frame)
{
    const int w = rect.width(), h = rect.height();
    const QRect frameRect = FrameRect(image, frameCount, frame, 0);
    if (IsInverted(rect) || w == 0 || h == 0 || frameRect.isEmpty())
        return;
    QImage bitmap = NewBitmap(w, h);
    StretchCopy(bitmap, bitmap.rect(), Pixels32(image), frameRect);
    Present(dc, rect, bitmap, transparent);
}

void DrawTransparent(QPainter &dc, const QRect &rect, const QImage &image, QRgb keyColour)
{
    if (IsInverted(rect) || image.isNull())
        return;
    const int w = std::min(rect.width(), image.width()), h = std::min(rect.height(), image.height());
    if (w == 0 || h == 0)
        return;
    QImage part = image.copy(0, 0, w, h).convertToFormat(QImage::Format_ARGB32);
    const QRgb key = keyColour & RGB_MASK;
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(part.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = (line[x] & RGB_MASK) == key ? 0 : (line[x] | 0xFF000000u);
    }
    dc.drawImage(rect.topLeft(), part);
}

QRegion BitmapToRegion(const QImage &bitmap, int x, int y, QRgb keyColour, int redTolerance, int greenTolerance,
                       int blueTolerance)
{
    const int kr = qRed(keyColour), kg = qGreen(keyColour), kb = qBlue(keyColour);
    const int ur = std::min(255, kr + redTolerance), ug = std::min(255, kg + greenTolerance),
              ub = std::min(255, kb + blueTolerance);
    const auto transparent = [&](QRgb p) {
        const int r = qRed(p), g = qGreen(p), b = qBlue(p);
        return kr <= r && r <= ur && kg <= g && g <= ug && kb <= b && b <= ub;
    };
    // The rectangles go into the result in batches, which bounds both the
    // buffer and the size of each union.
    constexpr size_t Batch = 2000;
    std::vector<QRect> rects;
    rects.reserve(500);
    QRegion result;
    const auto flush = [&] {
        if (rects.empty())
            return;
        QRegion part;
        part.setRects(rects.data(), static_cast<int>(rects.size()));
        result = result.united(part);
        rects.clear();
    };
    const QImage pixels = Pixels32(bitmap);
    for (int row = 0; row < pixels.height(); ++row) {
        const auto *line = reinterpret_cast<const QRgb *>(pixels.constScanLine(row));
        int col = 0;
        while (col < pixels.width()) {
            const int start = col;
            while (col < pixels.width() && !transparent(line[col]))
                ++col;
            if (col > start) {
                rects.push_back(WinRect(x + start, y + row, x + col, y + row + 1));
                if (rects.size() == Batch)
                    flush();
            }
            ++col;
        }
    }
    flush();
    return result;
}

void SetEnumProperty(QObject *component, const char *name, const QString &value)
{
    if (!component)
        return;
    const QMetaObject *meta = component->metaObject();
    const int index = meta->indexOfProperty(name);
    if (index < 0)
        return;
    const QMetaProperty property = meta->property(index);
    if (!property.isEnumType() || property.isFlagType())
        return;
    bool known = false;
    const int number = property.enumerator().keyToValue(value.toLatin1().constData(), &known);
    if (!known)
        throw EPropertyError(QStringLiteral("Invalid property value"));
    property.write(component, number);
}

QImage &SharedBitmap()
{
    static QImage bitmap;
    return bitmap;
}

} // namespace skin
