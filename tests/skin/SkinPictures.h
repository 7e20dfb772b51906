#pragma once

// Small skin pictures written as text, one character a pixel, so that a
// test's expected result reads like the picture it is. 'M' is the magenta
// key colour, '.' black (a new bitmap's colour); every other character has a
// colour of its own.
#include <QImage>
#include <QPainter>
#include <QStringList>

#include <functional>

namespace skintest {

inline QRgb ColourOf(QChar c)
{
    if (c == 'M')
        return qRgb(255, 0, 255);
    if (c == '.')
        return qRgb(0, 0, 0);
    const int n = c.unicode();
    return qRgb(n, 255 - n, (n * 37) & 0xFF);
}

inline QImage Picture(const QStringList &rows, QImage::Format format = QImage::Format_RGB32)
{
    const int width = rows.isEmpty() ? 0 : int(rows.first().size());
    QImage image(width, int(rows.size()), format);
    for (int y = 0; y < rows.size(); ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, ColourOf(rows[y][x]));
    return image;
}

inline QChar LetterOf(QRgb pixel)
{
    pixel |= 0xFF000000u;
    if (pixel == ColourOf('M'))
        return 'M';
    if (pixel == ColourOf('.'))
        return '.';
    for (ushort c = '!'; c <= '~'; ++c)
        if (ColourOf(QChar(c)) == pixel)
            return QChar(c);
    return '?';
}

inline QStringList Letters(const QImage &image)
{
    QStringList rows;
    for (int y = 0; y < image.height(); ++y) {
        QString row;
        for (int x = 0; x < image.width(); ++x)
            row += LetterOf(image.pixel(x, y));
        rows << row;
    }
    return rows;
}

// A canvas of width x height filled with '_', painted on by draw.
inline QStringList Painted(int width, int height, const std::function<void(QPainter &)> &draw)
{
    QImage canvas(width, height, QImage::Format_RGB32);
    canvas.fill(ColourOf('_'));
    {
        QPainter painter(&canvas);
        draw(painter);
    }
    return Letters(canvas);
}

// The same row repeated, for pictures whose rows are alike.
inline QStringList Rows(const QString &row, int count)
{
    QStringList rows;
    for (int i = 0; i < count; ++i)
        rows << row;
    return rows;
}

} // namespace skintest
