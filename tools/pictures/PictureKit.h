#pragma once

// What every picture generator draws with: a fixed-seed noise that is the
// same on every machine, colour arithmetic, and canvases painted large,
// reduced and written out. Each generator is a program of its own.
#include <QColor>
#include <QDir>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

// A hash of a lattice point to [0, 1): the same on every machine, unlike
// the standard library's distributions.
inline double Hash(int x, int y, uint32_t seed)
{
    uint32_t h = seed * 0x9E3779B9u ^ uint32_t(x) * 0x85EBCA6Bu ^ uint32_t(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / double(0x1000000);
}

inline double Smooth(double t)
{
    return t * t * (3 - 2 * t);
}

inline QColor Shade(const QColor &c, double factor)
{
    const auto channel = [factor](int v) { return std::clamp(int(std::lround(v * factor)), 0, 255); };
    return QColor(channel(c.red()), channel(c.green()), channel(c.blue()), c.alpha());
}

inline QColor Mix(const QColor &a, const QColor &b, double t)
{
    const auto channel = [t](int x, int y) { return std::clamp(int(std::lround(x + (y - x) * t)), 0, 255); };
    return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()), channel(a.blue(), b.blue()),
                  channel(a.alpha(), b.alpha()));
}

// Pictures are painted large and reduced, which smooths edges far better
// than antialiasing at the final size.
inline QImage Reduce(const QImage &large, int width, int height)
{
    return large.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

inline QImage NewCanvas(int width, int height, const QColor &fill = Qt::transparent)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

inline bool Save(const QImage &image, const QDir &folder, const char *name, int quality = -1)
{
    const QString path = folder.filePath(QString::fromLatin1(name));
    if (!image.save(path, nullptr, quality)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// Checks the command line, which names the output folder first, and makes
// the folder if it is missing. 0, or the exit code once it said what is
// wrong.
inline int OpenOutputFolder(int argc, char **argv, int arguments, const char *usage, QDir &folder)
{
    if (argc != arguments + 1) {
        std::fprintf(stderr, "usage: %s\n", usage);
        return 2;
    }
    folder = QDir(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    return 0;
}
