#pragma once

// How well what is drawn stands out from what it is drawn on, as a reader
// sees it: the ratio of relative luminances, 1 (not at all) to 21 (black on
// white).
#include <QImage>
#include <QRect>

#include <algorithm>
#include <cmath>
#include <map>

inline double Contrast(QRgb a, QRgb b)
{
    const auto luminance = [](QRgb rgb) {
        const auto linear = [](int channel) {
            const double c = channel / 255.0;
            return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb));
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The strongest contrast within an area of a picture against the area's
// commonest colour: text or a glyph against the face it is drawn on.
inline double StrongestContrast(const QImage &image, const QRect &area)
{
    std::map<QRgb, int> counts;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[image.pixel(x, y) | 0xFF000000u];
    if (counts.empty())
        return 1;
    const QRgb face =
        std::max_element(counts.begin(), counts.end(), [](auto a, auto b) { return a.second < b.second; })->first;
    double strongest = 1;
    for (const auto &[colour, count] : counts)
        strongest = std::max(strongest, Contrast(colour, face));
    return strongest;
}
