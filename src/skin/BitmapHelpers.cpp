#include "skin/BitmapHelpers.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <array>

namespace skin {

namespace {

void To24(QImage &bitmap)
{
    if (!bitmap.isNull() && bitmap.format() != Bitmap24)
        bitmap = bitmap.convertToFormat(Bitmap24);
}

// A quarter turn: dest(x', y') is read from the source through from().
template <typename From> void Turn(QImage &bitmap, From from)
{
    To24(bitmap);
    if (bitmap.isNull())
        return;
    const QImage source = bitmap;
    QImage turned(source.height(), source.width(), Bitmap24);
    for (int y = 0; y < turned.height(); ++y) {
        uchar *row = turned.scanLine(y);
        for (int x = 0; x < turned.width(); ++x) {
            const QPoint s = from(x, y, source.width(), source.height());
            const uchar *pixel = source.constScanLine(s.y()) + 3 * s.x();
            row[3 * x] = pixel[0];
            row[3 * x + 1] = pixel[1];
            row[3 * x + 2] = pixel[2];
        }
    }
    bitmap = turned;
}

} // namespace

void GrayBitmap(QImage &bitmap)
{
    To24(bitmap);
    for (int y = 0; y < bitmap.height(); ++y) {
        uchar *p = bitmap.scanLine(y);
        for (int x = 0; x < bitmap.width(); ++x, p += 3)
            p[0] = p[1] = p[2] = uchar((p[0] + p[1] + p[2]) / 3);
    }
}

void MirrorBitmap(QImage &bitmap)
{
    To24(bitmap);
    const int w = bitmap.width();
    for (int y = 0; y < bitmap.height(); ++y) {
        uchar *row = bitmap.scanLine(y);
        for (int x = 0; x < w / 2; ++x) {
            for (int c = 0; c < 3; ++c)
                std::swap(row[3 * x + c], row[3 * (w - 1 - x) + c]);
        }
    }
}

void FlipBitmap(QImage &bitmap)
{
    To24(bitmap);
    const int h = bitmap.height();
    const qsizetype bytes = qsizetype(bitmap.width()) * 3;
    for (int y = 0; y < h / 2; ++y)
        std::swap_ranges(bitmap.scanLine(y), bitmap.scanLine(y) + bytes, bitmap.scanLine(h - 1 - y));
}

void RotateLeft(QImage &bitmap)
{
    // Source (x, y) lands on (y, W - 1 - x).
    Turn(bitmap, [](int x, int y, int w, int) { return QPoint(w - 1 - y, x); });
}

void RotateRight(QImage &bitmap)
{
    // Source (x, y) lands on (H - 1 - y, x).
    Turn(bitmap, [](int x, int y, int, int h) { return QPoint(y, h - 1 - x); });
}

QString AnsiToWide(const QByteArray &text)
{
    // The bytes 0x80 to 0x9F; the rest of the code page is Latin-1. Bytes
    // the code page leaves free keep their own value.
    static constexpr std::array<char16_t, 32> high = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const uchar b = uchar(text[i]);
        out[i] = QChar(b >= 0x80 && b <= 0x9F ? high[b - 0x80] : char16_t(b));
    }
    return out;
}

QString AsciiLower(const QString &text)
{
    // Most names are lower case already: they are shared, not copied.
    const auto upper = [](QChar c) { return c >= u'A' && c <= u'Z'; };
    const auto first = std::find_if(text.cbegin(), text.cend(), upper);
    if (first == text.cend())
        return text;
    QString out(text.size(), Qt::Uninitialized);
    const QChar *from = text.constData();
    QChar *to = out.data();
    for (qsizetype i = 0; i < text.size(); ++i)
        to[i] = upper(from[i]) ? QChar(from[i].unicode() + 32) : from[i];
    return out;
}

bool AsciiEqualNoCase(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (lower(a[i].unicode()) != lower(b[i].unicode()))
            return false;
    }
    return true;
}

QString WideCopy(const char16_t *buffer, int n)
{
    if (buffer == nullptr)
        return {};
    qsizetype length = 0;
    while ((n == -1 || length < n) && buffer[length] != 0)
        ++length;
    return QString(reinterpret_cast<const QChar *>(buffer), length);
}

int SkinDrawText(QPainter &Painter, const QString &Text, QRect &Rect, unsigned Format)
{
    int flags = 0;
    if (Format & DT_CENTER)
        flags |= Qt::AlignHCenter;
    else if (Format & DT_RIGHT)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    const bool single = Format & DT_SINGLELINE;
    if (single && (Format & DT_VCENTER))
        flags |= Qt::AlignVCenter;
    else if (single && (Format & DT_BOTTOM))
        flags |= Qt::AlignBottom;
    else
        flags |= Qt::AlignTop;
    if (single)
        flags |= Qt::TextSingleLine;
    else if (Format & DT_WORDBREAK)
        flags |= Qt::TextWordWrap;
    if (Format & DT_EXPANDTABS)
        flags |= Qt::TextExpandTabs;
    if (!(Format & DT_NOPREFIX))
        flags |= Qt::TextShowMnemonic;
    if (Format & DT_NOCLIP)
        flags |= Qt::TextDontClip;

    const int noAlign =
        (flags & ~int(Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask)) | Qt::AlignLeft | Qt::AlignTop;
    // Measured for the device drawn on: a picture and the screen may differ
    // in resolution.
    const QFontMetrics metrics(Painter.font(), Painter.device());
    QString text = Text;
    if ((Format & DT_END_ELLIPSIS) && !(Format & DT_CALCRECT))
        text = metrics.elidedText(Text, Qt::ElideRight, std::max(Rect.width(), 0), noAlign);

    if (Format & DT_CALCRECT) {
        // Lines are only broken at the rectangle's width when asked to.
        const int width = (flags & Qt::TextWordWrap) ? std::max(Rect.width(), 1) : 0x3FFFFFFF;
        const QRect measured = metrics.boundingRect(QRect(Rect.left(), Rect.top(), width, 0x3FFFFFFF), noAlign, text);
        int textWidth = measured.width();
        if (!(flags & Qt::TextWordWrap)) {
            // The blanks at a line's ends take their room, as they do when
            // the text is drawn; Qt's bounding box leaves them out.
            QString shown = text;
            if (flags & Qt::TextShowMnemonic)
                shown.replace(QLatin1String("&&"), QStringLiteral("\x01"))
                    .remove(QLatin1Char('&'))
                    .replace(QChar(1), QLatin1Char('&'));
            for (const QString &line : shown.split(QLatin1Char('\n')))
                textWidth = std::max(textWidth, metrics.horizontalAdvance(line));
        }
        Rect.setWidth(textWidth);
        Rect.setHeight(text.isEmpty() ? 0 : measured.height());
        return Rect.height();
    }
    QRect drawn;
    Painter.drawText(Rect, flags, text, &drawn);
    return drawn.height();
}

} // namespace skin
