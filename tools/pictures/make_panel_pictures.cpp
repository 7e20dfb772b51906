// Paints the panel pictures of the main window and writes them into the
// folder given on the command line (the committed ones live in
// src/ui/resources/panel). Everything is drawn from code with a fixed-seed
// noise, so running it again gives the same files.
//
//   make_panel_pictures <folder>
#include "PictureKit.h"
#include "RoundButton.h"

#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <iterator>

namespace {

// ---------------------------------------------------------------- noise

// Smooth value noise in [0, 1) with lattice cells of cellX by cellY pixels.
double ValueNoise(double x, double y, double cellX, double cellY, uint32_t seed)
{
    const double fx = x / cellX;
    const double fy = y / cellY;
    const int ix = int(std::floor(fx));
    const int iy = int(std::floor(fy));
    const double tx = Smooth(fx - ix);
    const double ty = Smooth(fy - iy);
    const double top = Hash(ix, iy, seed) * (1 - tx) + Hash(ix + 1, iy, seed) * tx;
    const double bottom = Hash(ix, iy + 1, seed) * (1 - tx) + Hash(ix + 1, iy + 1, seed) * tx;
    return top * (1 - ty) + bottom * ty;
}

// Several octaves of value noise, centred on 0 (about -0.5 to 0.5).
double Fractal(double x, double y, double cell, int octaves, uint32_t seed, double stretchX = 1.0)
{
    double sum = 0;
    double amplitude = 0.5;
    double total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * (ValueNoise(x, y, cell * stretchX, cell, seed + i) - 0.5);
        total += amplitude;
        cell /= 2;
        amplitude /= 2;
    }
    return sum / total;
}

// ------------------------------------------------------- keyboard case

// The keys cover columns 2 to 613 and rows 2 to 102 of this picture; what
// shows is the case around them and, through the gaps and beside the black
// keys, the felt at the back and the dark key bed.
QImage KeyboardCase()
{
    const int width = 616;
    const int height = 105;
    const QColor felt(112, 24, 34);
    const QColor bedTop(17, 14, 13);
    const QColor bedFront(38, 33, 30);
    const QColor lacquer(20, 17, 16);
    QImage image(width, height, QImage::Format_RGB32);

    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // Key bed: darkest right under the felt's shadow, lighter toward the player.
            const double depth = std::clamp((y - 8.0) / 92.0, 0.0, 1.0);
            QColor c = Mix(bedTop, bedFront, std::pow(depth, 0.7));
            c = Shade(c, 1.0 + 0.10 * Fractal(x, y, 24, 3, 11));

            // Felt strip along the back, its fibres running along the keyboard.
            if (y <= 11) {
                const double fibre = Fractal(x, y, 6, 3, 23, 3.0) + 0.5 * (Hash(x, y, 29) - 0.5);
                QColor f = Shade(felt, 1.0 + 0.28 * fibre);
                const double shadow = y < 7 ? 1.0 - 0.05 * y : 0.65 - 0.13 * (y - 7); // keys overhang it
                f = Shade(f, shadow);
                c = y < 9 ? f : Mix(f, c, (y - 8) / 3.0);
            }
            image.setPixel(x, y, c.rgb());
        }
    }

    // Black lacquer rim: a lit top edge at the back, cheek blocks at the ends
    // and the key slip in front, each with a thin highlight where it rounds off.
    const auto rimColour = [&](int x, int y, double light) {
        return Shade(lacquer, light * (1.0 + 0.15 * Fractal(x, y, 40, 2, 41))).rgb();
    };
    for (int x = 0; x < width; ++x) {
        image.setPixel(x, 0, rimColour(x, 0, 3.2));
        image.setPixel(x, height - 2, rimColour(x, height - 2, 0.6)); // shadow under the key fronts
        image.setPixel(x, height - 1, rimColour(x, height - 1, 3.6));
    }
    for (int y = 0; y < height; ++y) {
        image.setPixel(0, y, rimColour(0, y, 3.4));
        image.setPixel(1, y, rimColour(1, y, 1.0));
        image.setPixel(width - 2, y, rimColour(width - 2, y, 0.8));
        image.setPixel(width - 1, y, rimColour(width - 1, y, 2.6));
    }
    // Corners where the rim pieces meet.
    for (const QPoint p : {QPoint(0, 0), QPoint(width - 1, 0), QPoint(0, height - 1), QPoint(width - 1, height - 1)})
        image.setPixel(p, Shade(lacquer, 2.0).rgb());
    return image;
}

// ---------------------------------------------------------- play button

// One 32 x 32 frame of the round play button, painted at 4 x 4 scale.
QImage PlayFrame(Face face)
{
    const int scale = 4;
    const int size = 32 * scale;
    QImage large = NewCanvas(size, size);
    QPainter p(&large);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QPointF centre(size / 2.0, size / 2.0);
    const bool disabled = face == Face::Disabled;
    const bool pressed = face == Face::Pressed;
    PaintRoundButton(p, size, face,
                     {70,
                      {QColor(226, 226, 226), QColor(186, 186, 186), QColor(150, 150, 150)},
                      QColor(120, 120, 120),
                      {QColor(200, 200, 200), QColor(150, 150, 150)}});

    // The play arrow, lit like an LED; nudged down and right while pressed.
    const QPointF shift = pressed ? QPointF(2, 3) : QPointF(0, 0);
    QPainterPath arrow;
    arrow.moveTo(QPointF(50, 38) + shift);
    arrow.lineTo(QPointF(92, 64) + shift);
    arrow.lineTo(QPointF(50, 90) + shift);
    arrow.closeSubpath();
    if (face == Face::Hover || face == Face::Normal) {
        // Glow spilling onto the face.
        QRadialGradient glow(centre + QPointF(4, 0), 44);
        glow.setColorAt(0.0, QColor(90, 255, 140, face == Face::Hover ? 120 : 55));
        glow.setColorAt(1.0, QColor(90, 255, 140, 0));
        p.setBrush(glow);
        p.drawEllipse(centre, 46, 46);
    }
    QLinearGradient led(50, 38, 70, 90);
    switch (face) {
    case Face::Normal:
        led.setColorAt(0.0, QColor(150, 255, 170));
        led.setColorAt(1.0, QColor(30, 170, 72));
        break;
    case Face::Hover:
        led.setColorAt(0.0, QColor(210, 255, 220));
        led.setColorAt(1.0, QColor(60, 220, 110));
        break;
    case Face::Pressed:
        led.setColorAt(0.0, QColor(110, 220, 135));
        led.setColorAt(1.0, QColor(22, 130, 56));
        break;
    case Face::Disabled:
        led.setColorAt(0.0, QColor(236, 236, 236));
        led.setColorAt(1.0, QColor(176, 176, 176));
        break;
    }
    p.setBrush(led);
    p.setPen(QPen(disabled ? QColor(140, 140, 140) : QColor(8, 60, 24, 200), 2.5, Qt::SolidLine, Qt::RoundCap,
                  Qt::RoundJoin));
    p.drawPath(arrow);
    p.setPen(Qt::NoPen);

    // Gloss on the upper half of the cap; a dished cap catches no highlight.
    if (!pressed) {
        QLinearGradient gloss(0, centre.y() - 46, 0, centre.y());
        gloss.setColorAt(0.0, QColor(255, 255, 255, disabled ? 90 : 110));
        gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
        p.setBrush(gloss);
        p.drawEllipse(QRectF(centre.x() - 34, centre.y() - 45, 68, 46));
    }
    p.end();
    return Reduce(large, 32, 32);
}

// The strip's transparent colour is white: only pixels left fully clear
// become pure white; soft edges are blended onto the grey of the panel so
// they do not flash white around the button.
QImage OnWhiteKey(const QImage &frame)
{
    const QColor panel(239, 239, 239);
    QImage out(frame.size(), QImage::Format_RGB32);
    const QImage straight = frame.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            const QColor c = QColor::fromRgba(straight.pixel(x, y));
            QRgb rgb = qRgb(255, 255, 255);
            if (c.alpha() > 0) {
                rgb = Mix(panel, c, c.alphaF()).rgb();
                if ((rgb & RGB_MASK) == 0xFFFFFF)
                    rgb = qRgb(254, 254, 254); // would vanish with the corners
            }
            out.setPixel(x, y, rgb);
        }
    }
    return out;
}

QImage PlayStrip()
{
    QImage strip(128, 32, QImage::Format_RGB32);
    QPainter p(&strip);
    const Face faces[] = {Face::Normal, Face::Hover, Face::Pressed, Face::Disabled};
    for (int i = 0; i < 4; ++i)
        p.drawImage(32 * i, 0, OnWhiteKey(PlayFrame(faces[i])));
    p.end();
    return strip;
}

// -------------------------------------------------------------- switches

// A small rocker switch in a metal bezel with an LED in its paddle,
// 30 x 18, painted at 8 x 8 scale.
QImage Rocker(bool on)
{
    const int scale = 8;
    const QSizeF size(30 * scale, 18 * scale);
    QImage large = NewCanvas(int(size.width()), int(size.height()));
    QPainter p(&large);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);

    // Bezel: bright top edge, dark bottom, like a bevelled metal plate.
    const QRectF plate(0, 0, size.width(), size.height());
    QLinearGradient bezel(0, 0, 0, size.height());
    bezel.setColorAt(0.0, QColor(212, 214, 216));
    bezel.setColorAt(0.5, QColor(140, 143, 147));
    bezel.setColorAt(1.0, QColor(58, 60, 64));
    p.setBrush(bezel);
    p.drawRoundedRect(plate, 4 * scale, 4 * scale);

    // Recess.
    const QRectF well = plate.adjusted(1.5 * scale, 1.5 * scale, -1.5 * scale, -1.5 * scale);
    p.setBrush(QColor(12, 12, 13));
    p.drawRoundedRect(well, 3 * scale, 3 * scale);

    // The paddle, rocked toward its pressed end: the raised end catches the light.
    const QRectF paddle = well.adjusted(1.25 * scale, 1.25 * scale, -1.25 * scale, -1.25 * scale);
    QLinearGradient rock(paddle.left(), 0, paddle.right(), 0);
    const QColor raised(128, 132, 138);
    const QColor sunk(26, 27, 30);
    rock.setColorAt(0.0, on ? sunk : raised);
    rock.setColorAt(0.5, QColor(58, 60, 64));
    rock.setColorAt(1.0, on ? raised : sunk);
    p.setBrush(rock);
    p.drawRoundedRect(paddle, 2 * scale, 2 * scale);
    // The ridge across the middle of the paddle.
    p.setBrush(QColor(20, 20, 22, 200));
    p.drawRect(QRectF(paddle.center().x() - 0.35 * scale, paddle.top() + 0.8 * scale, 0.7 * scale,
                      paddle.height() - 1.6 * scale));
    // A top sheen along the paddle.
    QLinearGradient sheen(0, paddle.top(), 0, paddle.center().y());
    sheen.setColorAt(0.0, QColor(255, 255, 255, 70));
    sheen.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setBrush(sheen);
    p.drawRoundedRect(paddle.adjusted(0.5 * scale, 0.3 * scale, -0.5 * scale, -paddle.height() / 2), 1.5 * scale,
                      1.5 * scale);

    // The LED on the raised end of the paddle when on.
    const QPointF led(paddle.right() - 4.2 * scale, paddle.center().y());
    const double radius = 2.7 * scale;
    if (on) {
        QRadialGradient halo(led, radius * 3.2);
        halo.setColorAt(0.0, QColor(140, 255, 150, 230));
        halo.setColorAt(0.4, QColor(90, 240, 110, 120));
        halo.setColorAt(1.0, QColor(90, 240, 110, 0));
        p.setBrush(halo);
        p.drawEllipse(led, radius * 3.2, radius * 3.2);
    }
    QRadialGradient lens(led + QPointF(-0.6 * scale, -0.6 * scale), radius * 1.4);
    if (on) {
        lens.setColorAt(0.0, QColor(245, 255, 245));
        lens.setColorAt(0.4, QColor(120, 255, 140));
        lens.setColorAt(1.0, QColor(30, 190, 70));
    } else {
        lens.setColorAt(0.0, QColor(56, 70, 58));
        lens.setColorAt(0.5, QColor(20, 30, 22));
        lens.setColorAt(1.0, QColor(6, 10, 7));
    }
    p.setBrush(QColor(6, 6, 6));
    p.drawEllipse(led, radius + 0.5 * scale, radius + 0.5 * scale); // the LED's socket
    p.setBrush(lens);
    p.drawEllipse(led, radius, radius);
    p.setBrush(QColor(255, 255, 255, on ? 200 : 90));
    p.drawEllipse(led + QPointF(-0.7 * scale, -0.7 * scale), 0.6 * scale, 0.5 * scale);
    p.end();
    return Reduce(large, 30, 18).convertToFormat(QImage::Format_ARGB32);
}

// ----------------------------------------------------- staff background

// Warm parchment: light in the middle where the staff sits, darker toward
// the edges, with a cloudy grain and faint fibres.
QImage Parchment()
{
    const int width = 409;
    const int height = 257;
    const QColor light(246, 238, 218);
    const QColor edge(214, 190, 146);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double dx = (x - width / 2.0) / (width / 2.0);
            const double dy = (y - height / 2.0) / (height / 2.0);
            const double vignette = std::clamp((dx * dx * 0.8 + dy * dy) / 1.8, 0.0, 1.0);
            QColor c = Mix(light, edge, std::pow(vignette, 1.4));
            const double cloud = Fractal(x, y, 90, 4, 101);
            const double fibre = Fractal(x, y, 3, 2, 131, 6.0);
            c = Shade(c, 1.0 + 0.07 * cloud + 0.025 * fibre + 0.012 * (Hash(x, y, 137) - 0.5));
            image.setPixel(x, y, c.rgb());
        }
    }
    return image;
}

// ------------------------------------------------------------------ icon

// A lacquered tile with a staff carrying a three-note chord above a
// keyboard whose chord keys are lit, at 4 x 4 scale.
QImage Icon()
{
    const int scale = 4;
    const int size = 64 * scale;
    QImage large = NewCanvas(size, size);
    QPainter p(&large);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);

    const QRectF tile(2 * scale, 2 * scale, 60 * scale, 60 * scale);
    QLinearGradient lacquer(0, tile.top(), 0, tile.bottom());
    lacquer.setColorAt(0.0, QColor(44, 62, 112));
    lacquer.setColorAt(1.0, QColor(14, 20, 44));
    p.setBrush(lacquer);
    p.drawRoundedRect(tile, 12 * scale, 12 * scale);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 50), 1.0 * scale));
    p.drawRoundedRect(tile.adjusted(0.5 * scale, 0.5 * scale, -0.5 * scale, -0.5 * scale), 11.5 * scale, 11.5 * scale);

    // Staff.
    const QColor ink(236, 226, 200);
    p.setPen(QPen(ink, 0.9 * scale));
    const double left = 9 * scale;
    const double right = 55 * scale;
    const double gap = 5.5 * scale;
    const double top = 7 * scale;
    for (int i = 0; i < 5; ++i)
        p.drawLine(QPointF(left, top + i * gap), QPointF(right, top + i * gap));

    // An E minor chord on the three lower lines, gold, with one stem.
    const QColor gold(250, 196, 70);
    const double headX = 32 * scale;
    const double lines[] = {top + 4 * gap, top + 3 * gap, top + 2 * gap};
    p.setBrush(gold);
    p.setPen(QPen(QColor(120, 80, 10), 0.5 * scale));
    for (const double y : lines) {
        p.save();
        p.translate(headX, y);
        p.rotate(-20);
        p.drawEllipse(QPointF(0, 0), 3.4 * scale, 2.4 * scale);
        p.restore();
    }
    p.setPen(QPen(gold, 1.0 * scale, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(headX + 3.0 * scale, lines[0] - 0.5 * scale), QPointF(headX + 3.0 * scale, top - 1 * scale));
    p.setPen(Qt::NoPen);

    // Keyboard: seven white keys, E, G and B lit in the program's selection green.
    const QRectF keys(8 * scale, 37.5 * scale, 48 * scale, 19 * scale);
    p.setBrush(QColor(8, 8, 10));
    p.drawRoundedRect(keys.adjusted(-1 * scale, -1 * scale, 1 * scale, 1 * scale), 2 * scale, 2 * scale);
    const double keyWidth = keys.width() / 7;
    const QColor ivory(253, 251, 239);
    const QColor green(192, 220, 192);
    for (int i = 0; i < 7; ++i) {
        const bool lit = i == 2 || i == 4 || i == 6;
        const QRectF key(keys.left() + i * keyWidth + 0.4 * scale, keys.top(), keyWidth - 0.8 * scale, keys.height());
        QLinearGradient shade(0, key.top(), 0, key.bottom());
        shade.setColorAt(0.0, Shade(lit ? green : ivory, 0.82));
        shade.setColorAt(0.25, lit ? green : ivory);
        shade.setColorAt(1.0, Shade(lit ? green : ivory, 0.93));
        p.setBrush(shade);
        p.drawRoundedRect(key, 1.2 * scale, 1.2 * scale);
    }
    for (const int i : {1, 2, 4, 5, 6}) { // black keys sit left of these white keys
        const QRectF key(keys.left() + i * keyWidth - keyWidth * 0.3, keys.top(), keyWidth * 0.6, keys.height() * 0.6);
        QLinearGradient shade(key.left(), 0, key.right(), 0);
        shade.setColorAt(0.0, QColor(10, 10, 12));
        shade.setColorAt(0.5, QColor(58, 58, 64));
        shade.setColorAt(1.0, QColor(10, 10, 12));
        p.setBrush(shade);
        p.drawRoundedRect(key, 1.0 * scale, 1.0 * scale);
    }
    p.end();
    return Reduce(large, 64, 64).convertToFormat(QImage::Format_ARGB32);
}

// ---------------------------------------------------------- chord button

// The analysis window's find-chord button: a three-note chord on a staff
// fragment, in the icon's cream and gold, with a question mark lit like the
// play button's arrow. 64 x 50, painted at 4 x 4 scale on a clear ground so
// the panel shows around it.
QImage ChordButton()
{
    const int scale = 4;
    const QSizeF size(64 * scale, 50 * scale);
    QImage large = NewCanvas(int(size.width()), int(size.height()));
    QPainter p(&large);
    p.setRenderHint(QPainter::Antialiasing);

    // Staff fragment, fading out at both ends.
    const double left = 1 * scale;
    const double right = 43 * scale;
    const double gap = 8 * scale;
    const double top = 9 * scale;
    QLinearGradient fade(left, 0, right, 0);
    fade.setColorAt(0.0, QColor(236, 226, 200, 0));
    fade.setColorAt(0.25, QColor(236, 226, 200, 220));
    fade.setColorAt(0.75, QColor(236, 226, 200, 220));
    fade.setColorAt(1.0, QColor(236, 226, 200, 0));
    p.setPen(QPen(QBrush(fade), 1.1 * scale));
    for (int i = 0; i < 5; ++i)
        p.drawLine(QPointF(left, top + i * gap), QPointF(right, top + i * gap));

    // A triad on the three lower lines, with one stem.
    const QColor gold(250, 196, 70);
    const double headX = 21 * scale;
    const double lines[] = {top + 4 * gap, top + 3 * gap, top + 2 * gap};
    QRadialGradient shine(QPointF(-1.5 * scale, -1.5 * scale), 6 * scale);
    shine.setColorAt(0.0, QColor(255, 238, 176));
    shine.setColorAt(1.0, gold);
    p.setBrush(shine);
    p.setPen(QPen(QColor(120, 80, 10), 0.6 * scale));
    for (const double y : lines) {
        p.save();
        p.translate(headX, y);
        p.rotate(-20);
        p.drawEllipse(QPointF(0, 0), 5.0 * scale, 3.6 * scale);
        p.restore();
    }
    p.setPen(QPen(gold, 1.3 * scale, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(headX + 4.5 * scale, lines[0] - 0.5 * scale), QPointF(headX + 4.5 * scale, top - 5 * scale));

    // The question mark, with a soft glow behind it.
    const QPointF markCentre(52 * scale, 25 * scale);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(40 * scale);
    QPainterPath mark;
    mark.addText(0, 0, font, QStringLiteral("?"));
    mark.translate(markCentre - mark.boundingRect().center());
    QRadialGradient glow(markCentre, 17 * scale);
    glow.setColorAt(0.0, QColor(90, 255, 140, 100));
    glow.setColorAt(1.0, QColor(90, 255, 140, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(markCentre, 17 * scale, 17 * scale);
    QLinearGradient led(0, mark.boundingRect().top(), 0, mark.boundingRect().bottom());
    led.setColorAt(0.0, QColor(170, 255, 190));
    led.setColorAt(1.0, QColor(30, 170, 72));
    p.setBrush(led);
    p.setPen(QPen(QColor(8, 60, 24, 220), 1.4 * scale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(mark);
    p.end();
    return Reduce(large, 64, 50).convertToFormat(QImage::Format_ARGB32);
}

// ------------------------------------------------------------ about box

// Keys lit in the program's selection green, on a keyboard of whiteKeys
// white keys filling the rectangle; lit holds white-key numbers from 0.
void PaintKeyboard(QPainter &p, const QRectF &keys, int whiteKeys, std::initializer_list<int> lit, double unit)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(8, 8, 10));
    p.drawRoundedRect(keys.adjusted(-1.2 * unit, -1.2 * unit, 1.2 * unit, 1.2 * unit), 2 * unit, 2 * unit);
    const double keyWidth = keys.width() / whiteKeys;
    const QColor ivory(253, 251, 239);
    const QColor green(192, 220, 192);
    for (int i = 0; i < whiteKeys; ++i) {
        const bool on = std::find(lit.begin(), lit.end(), i) != lit.end();
        const QRectF key(keys.left() + i * keyWidth + 0.35 * unit, keys.top(), keyWidth - 0.7 * unit, keys.height());
        QLinearGradient shade(0, key.top(), 0, key.bottom());
        shade.setColorAt(0.0, Shade(on ? green : ivory, 0.80));
        shade.setColorAt(0.18, on ? green : ivory);
        shade.setColorAt(0.92, Shade(on ? green : ivory, 0.95));
        shade.setColorAt(1.0, Shade(on ? green : ivory, 0.78));
        p.setBrush(shade);
        p.drawRoundedRect(key, 1.0 * unit, 1.0 * unit);
    }
    // Black keys sit left of the white keys D, E, G, A and B of each octave.
    for (int i = 1; i < whiteKeys; ++i) {
        const int inOctave = i % 7;
        if (inOctave == 0 || inOctave == 3)
            continue;
        const QRectF key(keys.left() + i * keyWidth - keyWidth * 0.3, keys.top(), keyWidth * 0.6, keys.height() * 0.6);
        QLinearGradient shade(key.left(), 0, key.right(), 0);
        shade.setColorAt(0.0, QColor(10, 10, 12));
        shade.setColorAt(0.5, QColor(62, 62, 68));
        shade.setColorAt(1.0, QColor(10, 10, 12));
        p.setBrush(shade);
        p.drawRoundedRect(key, 0.8 * unit, 0.8 * unit);
    }
}

// A whole note, gold, slanted like an engraved head, with its hollow.
void PaintWholeNote(QPainter &p, const QPointF &centre, double unit)
{
    p.save();
    p.translate(centre);
    p.rotate(-18);
    QRadialGradient shine(QPointF(-1.2 * unit, -1.2 * unit), 5 * unit);
    shine.setColorAt(0.0, QColor(255, 236, 170));
    shine.setColorAt(1.0, QColor(236, 176, 52));
    p.setBrush(shine);
    p.setPen(QPen(QColor(110, 72, 8), 0.45 * unit));
    p.drawEllipse(QPointF(0, 0), 4.4 * unit, 3.0 * unit);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(24, 32, 66));
    p.rotate(-40);
    p.drawEllipse(QPointF(0, 0), 2.3 * unit, 1.3 * unit);
    p.restore();
}

// The about box's picture, 255 x 261: the program's name over a staff with
// two chords and a keyboard that holds the first, on the icon's lacquer.
QImage AboutPicture()
{
    const int scale = 3;
    const int width = 255;
    const int height = 261;
    QImage large = NewCanvas(width * scale, height * scale);
    QPainter p(&large);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const double u = scale; // one final pixel

    // Lacquer, lit from above, with a faint cloudy depth.
    QImage ground(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double t = double(y) / (height - 1);
            QColor c = Mix(QColor(46, 64, 116), QColor(12, 17, 38), std::pow(t, 0.8));
            const double dx = (x - width / 2.0) / width;
            c = Shade(c, (1.0 - 0.35 * dx * dx) * (1.0 + 0.06 * Fractal(x, y, 70, 4, 211)));
            ground.setPixel(x, y, c.rgb());
        }
    }
    p.drawImage(QRectF(0, 0, width * u, height * u), ground);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 40), 1.0 * u));
    p.drawRect(QRectF(0.5 * u, 0.5 * u, (width - 1) * u, (height - 1) * u));

    // The name, cream with a warm glow, and what the program is for.
    const QColor cream(240, 230, 204);
    const QColor gold(250, 196, 70);
    QFont title(QStringLiteral("DejaVu Serif"));
    title.setBold(true);
    title.setPixelSize(int(31 * u));
    QPainterPath name;
    name.addText(0, 0, title, QStringLiteral("Harmonova"));
    name.translate(QPointF(width * u / 2, 40 * u) - QPointF(name.boundingRect().center().x(), 0));
    QRadialGradient glow(QPointF(width * u / 2, 30 * u), 110 * u);
    glow.setColorAt(0.0, QColor(250, 196, 70, 60));
    glow.setColorAt(1.0, QColor(250, 196, 70, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(width * u / 2, 30 * u), 110 * u, 30 * u);
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawPath(name.translated(1.2 * u, 1.5 * u));
    QLinearGradient letters(0, 16 * u, 0, 42 * u);
    letters.setColorAt(0.0, QColor(255, 248, 226));
    letters.setColorAt(1.0, QColor(226, 206, 160));
    p.setBrush(letters);
    p.drawPath(name);

    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(int(11 * u));
    p.setFont(small);
    p.setPen(QColor(196, 206, 232));
    p.drawText(QRectF(0, 48 * u, width * u, 16 * u), Qt::AlignCenter, QStringLiteral("Chords and scales at hand"));

    // A staff with C major seventh and then F major, whole notes in gold.
    const double left = 22 * u;
    const double right = 233 * u;
    const double gap = 8 * u;
    const double top = 82 * u;
    QLinearGradient fade(left, 0, right, 0);
    fade.setColorAt(0.0, QColor(236, 226, 200, 60));
    fade.setColorAt(0.12, QColor(236, 226, 200, 220));
    fade.setColorAt(0.88, QColor(236, 226, 200, 220));
    fade.setColorAt(1.0, QColor(236, 226, 200, 60));
    p.setPen(QPen(QBrush(fade), 0.8 * u));
    for (int i = 0; i < 5; ++i)
        p.drawLine(QPointF(left, top + i * gap), QPointF(right, top + i * gap));
    // Bar lines.
    p.setPen(QPen(QColor(236, 226, 200, 200), 0.9 * u));
    for (const double x : {128.0 * u, 231.0 * u})
        p.drawLine(QPointF(x, top), QPointF(x, top + 4 * gap));
    // Treble-clef staff positions: the bottom line is E, each half gap a step.
    const auto step = [&](int fromBottomLine) { return top + 4 * gap - fromBottomLine * gap / 2; };
    // C4 needs a ledger line below the staff.
    p.setPen(QPen(QColor(236, 226, 200, 220), 0.8 * u));
    p.drawLine(QPointF(74 * u, step(-2)), QPointF(92 * u, step(-2)));
    for (const int s : {-2, 0, 2, 4}) // C E G B
        PaintWholeNote(p, QPointF(83 * u, step(s)), u);
    for (const int s : {1, 3, 5}) // F A C
        PaintWholeNote(p, QPointF(180 * u, step(s)), u);

    // Chord names above the staff, as the main window writes them.
    QFont chordFont(QStringLiteral("DejaVu Sans"));
    chordFont.setBold(true);
    chordFont.setPixelSize(int(10 * u));
    p.setFont(chordFont);
    p.setPen(gold);
    p.drawText(QRectF(58 * u, 64 * u, 50 * u, 14 * u), Qt::AlignCenter, QStringLiteral("CMaj7"));
    p.drawText(QRectF(155 * u, 64 * u, 50 * u, 14 * u), Qt::AlignCenter, QStringLiteral("F"));

    // Two octaves of keys holding the first chord.
    PaintKeyboard(p, QRectF(20 * u, 148 * u, 215 * u, 70 * u), 14, {0, 2, 4, 6}, u);
    // The case's felt strip behind the keys.
    QLinearGradient felt(0, 144 * u, 0, 149 * u);
    felt.setColorAt(0.0, QColor(132, 30, 42));
    felt.setColorAt(1.0, QColor(70, 14, 22));
    p.setPen(Qt::NoPen);
    p.setBrush(felt);
    p.drawRect(QRectF(18.8 * u, 144.5 * u, 217.4 * u, 3.5 * u));

    small.setPixelSize(int(10 * u));
    p.setFont(small);
    p.setPen(cream);
    p.drawText(QRectF(0, 231 * u, width * u, 14 * u), Qt::AlignCenter, QStringLiteral("Version 3.1"));
    p.setPen(QColor(150, 164, 200));
    small.setPixelSize(int(9 * u));
    p.setFont(small);
    p.drawText(QRectF(0, 244 * u, width * u, 12 * u), Qt::AlignCenter, QStringLiteral("For musicians, by musicians"));
    p.end();
    return Reduce(large, width, height).convertToFormat(QImage::Format_RGB32);
}

// The mail link: a closed envelope, 18 x 9, on a clear ground.
QImage MailPicture()
{
    const int scale = 8;
    QImage large = NewCanvas(18 * scale, 9 * scale);
    QPainter p(&large);
    p.setRenderHint(QPainter::Antialiasing);
    const double u = scale;
    const QRectF body(0.6 * u, 0.6 * u, 16.8 * u, 7.8 * u);
    QLinearGradient paper(0, body.top(), 0, body.bottom());
    paper.setColorAt(0.0, QColor(255, 252, 240));
    paper.setColorAt(1.0, QColor(222, 212, 186));
    p.setBrush(paper);
    p.setPen(QPen(QColor(90, 70, 40), 0.9 * u));
    p.drawRoundedRect(body, 0.8 * u, 0.8 * u);
    // The flap, meeting in the middle, with a red seal.
    QPainterPath flap;
    flap.moveTo(body.topLeft() + QPointF(0.4 * u, 0.4 * u));
    flap.lineTo(QPointF(body.center().x(), body.top() + 4.6 * u));
    flap.lineTo(body.topRight() + QPointF(-0.4 * u, 0.4 * u));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(120, 96, 60), 0.8 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(flap);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(196, 36, 40));
    p.drawEllipse(QPointF(body.center().x(), body.top() + 4.4 * u), 1.5 * u, 1.5 * u);
    p.end();
    return Reduce(large, 18, 9).convertToFormat(QImage::Format_ARGB32);
}

// The web site link: a small globe, 16 x 17, on a clear ground.
QImage HomepagePicture()
{
    const int scale = 8;
    QImage large = NewCanvas(16 * scale, 17 * scale);
    QPainter p(&large);
    p.setRenderHint(QPainter::Antialiasing);
    const double u = scale;
    const QPointF centre(8 * u, 8.5 * u);
    const double radius = 7.2 * u;
    QRadialGradient sea(centre + QPointF(-2.5 * u, -2.5 * u), radius * 1.6);
    sea.setColorAt(0.0, QColor(150, 206, 255));
    sea.setColorAt(0.6, QColor(40, 110, 200));
    sea.setColorAt(1.0, QColor(12, 40, 100));
    p.setPen(QPen(QColor(10, 30, 70), 0.7 * u));
    p.setBrush(sea);
    p.drawEllipse(centre, radius, radius);
    // Meridians and parallels.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(220, 240, 255, 170), 0.55 * u));
    p.drawEllipse(centre, radius * 0.45, radius);
    p.drawLine(QPointF(centre.x(), centre.y() - radius), QPointF(centre.x(), centre.y() + radius));
    p.drawLine(QPointF(centre.x() - radius, centre.y()), QPointF(centre.x() + radius, centre.y()));
    for (const double y : {-0.55, 0.55}) {
        const double half = radius * std::sqrt(1 - y * y);
        p.drawLine(QPointF(centre.x() - half, centre.y() + y * radius),
                   QPointF(centre.x() + half, centre.y() + y * radius));
    }
    // A gloss on the upper left.
    QRadialGradient gloss(centre + QPointF(-2.6 * u, -3.0 * u), 3.5 * u);
    gloss.setColorAt(0.0, QColor(255, 255, 255, 150));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawEllipse(centre + QPointF(-2.6 * u, -3.0 * u), 3.5 * u, 3.5 * u);
    p.end();
    return Reduce(large, 16, 17).convertToFormat(QImage::Format_ARGB32);
}

// ---------------------------------------------------------- menu pictures

// The main window's menu pictures, 16 x 16 each, side by side in one strip:
// chord analysis, chord pattern, progressions, practice, set-up, help,
// about. Navy, gold and cream as on the icon, drawn at 8 x 8 scale with
// strong outlines so they read on the light menu and on its blue highlight.
constexpr int MenuScale = 8;
constexpr double U = MenuScale; // one pixel of the final picture

const QColor MenuNavy(30, 52, 104);
const QColor MenuGold(240, 178, 40);
const QColor MenuGoldEdge(120, 76, 8);
const QColor MenuCream(250, 246, 232);
const QColor MenuInk(36, 36, 44);

void NoteHead(QPainter &p, QPointF centre, double rx, double ry)
{
    p.save();
    p.translate(centre);
    p.rotate(-22);
    p.setBrush(MenuGold);
    p.setPen(QPen(MenuGoldEdge, 0.8 * U));
    p.drawEllipse(QPointF(0, 0), rx, ry);
    p.restore();
}

// A chord under a magnifying glass.
void MenuAnalysis(QPainter &p)
{
    for (const double y : {10.5, 7.8, 5.1})
        NoteHead(p, QPointF(6.2 * U, y * U), 2.3 * U, 1.6 * U);
    p.setBrush(QColor(180, 210, 255, 70));
    p.setPen(QPen(MenuNavy, 1.5 * U));
    p.drawEllipse(QPointF(6.4 * U, 7.8 * U), 5.0 * U, 5.0 * U);
    p.setPen(QPen(MenuNavy, 2.4 * U, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.2 * U, 11.6 * U), QPointF(14.4 * U, 15.0 * U));
}

// A grid of measures, some beats holding a chord, one marker.
void MenuPattern(QPainter &p)
{
    const QRectF grid(1.0 * U, 2.0 * U, 14.0 * U, 12.0 * U);
    p.setPen(Qt::NoPen);
    p.setBrush(MenuCream);
    p.drawRect(grid);
    const double cellW = grid.width() / 4;
    const double cellH = grid.height() / 3;
    const QPoint filled[] = {{0, 0}, {2, 0}, {1, 1}, {3, 1}, {0, 2}};
    p.setBrush(MenuGold);
    for (const QPoint cell : filled)
        p.drawRect(QRectF(grid.left() + cell.x() * cellW + 1.0 * U, grid.top() + cell.y() * cellH + 1.0 * U,
                          cellW - 2.0 * U, cellH - 2.0 * U));
    p.setPen(QPen(MenuNavy, 0.9 * U));
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i < 4; ++i)
        p.drawLine(QPointF(grid.left() + i * cellW, grid.top()), QPointF(grid.left() + i * cellW, grid.bottom()));
    for (int i = 1; i < 3; ++i)
        p.drawLine(QPointF(grid.left(), grid.top() + i * cellH), QPointF(grid.right(), grid.top() + i * cellH));
    p.setPen(QPen(MenuNavy, 1.3 * U));
    p.drawRect(grid);
    // The end marker in the last beat.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 40, 40));
    const QPointF marker(grid.left() + 3.5 * cellW, grid.top() + 2.5 * cellH);
    p.drawEllipse(marker, 1.5 * U, 1.5 * U);
}

// Three chords climbing, joined by an arrow.
void MenuProgressions(QPainter &p)
{
    const double heights[] = {5.0, 8.0, 11.0};
    p.setPen(QPen(MenuNavy, 1.0 * U));
    for (int i = 0; i < 3; ++i) {
        const QRectF bar((1.0 + i * 4.6) * U, (15.0 - heights[i]) * U, 3.6 * U, heights[i] * U);
        QLinearGradient face(bar.topLeft(), bar.topRight());
        face.setColorAt(0.0, MenuGold.lighter(120));
        face.setColorAt(1.0, MenuGold.darker(115));
        p.setBrush(face);
        p.drawRect(bar);
    }
    p.setPen(QPen(QColor(200, 40, 40), 1.4 * U, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(1.5 * U, 7.0 * U), QPointF(12.5 * U, 1.6 * U));
    QPainterPath head;
    head.moveTo(14.8 * U, 0.8 * U);
    head.lineTo(11.0 * U, 0.6 * U);
    head.lineTo(13.0 * U, 3.8 * U);
    head.closeSubpath();
    p.setBrush(QColor(200, 40, 40));
    p.drawPath(head);
}

// A metronome with its pendulum swung out.
void MenuPractice(QPainter &p)
{
    QPainterPath body;
    body.moveTo(5.2 * U, 1.0 * U);
    body.lineTo(10.8 * U, 1.0 * U);
    body.lineTo(14.0 * U, 15.0 * U);
    body.lineTo(2.0 * U, 15.0 * U);
    body.closeSubpath();
    QLinearGradient wood(2.0 * U, 0, 14.0 * U, 0);
    wood.setColorAt(0.0, QColor(150, 86, 40));
    wood.setColorAt(0.5, QColor(196, 124, 62));
    wood.setColorAt(1.0, QColor(120, 64, 28));
    p.setBrush(wood);
    p.setPen(QPen(QColor(70, 36, 12), 1.0 * U, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    p.drawPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(MenuCream);
    p.drawRect(QRectF(6.6 * U, 3.0 * U, 2.8 * U, 9.0 * U)); // the scale
    p.setPen(QPen(MenuInk, 1.1 * U, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8.0 * U, 12.5 * U), QPointF(12.0 * U, 2.5 * U));
    NoteHead(p, QPointF(10.6 * U, 6.0 * U), 1.5 * U, 1.1 * U); // the weight
}

// Three faders of a mixing desk.
void MenuSetup(QPainter &p)
{
    const double knobs[] = {10.5, 5.0, 8.0};
    for (int i = 0; i < 3; ++i) {
        const double x = (3.0 + i * 5.0) * U;
        p.setPen(QPen(MenuInk, 1.2 * U, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(x, 1.2 * U), QPointF(x, 14.8 * U));
        const QRectF knob(x - 2.2 * U, (knobs[i] - 1.6) * U, 4.4 * U, 3.2 * U);
        QLinearGradient face(knob.topLeft(), knob.bottomLeft());
        face.setColorAt(0.0, QColor(120, 150, 210));
        face.setColorAt(1.0, MenuNavy);
        p.setBrush(face);
        p.setPen(QPen(QColor(12, 22, 52), 0.8 * U));
        p.drawRoundedRect(knob, 0.8 * U, 0.8 * U);
        p.setPen(QPen(MenuCream, 0.7 * U));
        p.drawLine(QPointF(knob.left() + 0.8 * U, knob.center().y()),
                   QPointF(knob.right() - 0.8 * U, knob.center().y()));
    }
}

// A round badge with a sign in it, for help and about.
void MenuBadge(QPainter &p, const QString &sign, const QColor &top, const QColor &bottom)
{
    const QRectF disc(0.8 * U, 0.8 * U, 14.4 * U, 14.4 * U);
    QLinearGradient face(disc.topLeft(), disc.bottomLeft());
    face.setColorAt(0.0, top);
    face.setColorAt(1.0, bottom);
    p.setBrush(face);
    p.setPen(QPen(bottom.darker(160), 1.0 * U));
    p.drawEllipse(disc);
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setBold(true);
    font.setPixelSize(int(12.5 * U));
    QPainterPath mark;
    mark.addText(0, 0, font, sign);
    mark.translate(disc.center() - mark.boundingRect().center());
    p.setPen(Qt::NoPen);
    p.setBrush(MenuCream);
    p.drawPath(mark);
}

QImage MenuStrip()
{
    using Draw = void (*)(QPainter &);
    const Draw pictures[] = {
        MenuAnalysis,
        MenuPattern,
        MenuProgressions,
        MenuPractice,
        MenuSetup,
        [](QPainter &p) { MenuBadge(p, QStringLiteral("?"), QColor(72, 118, 210), MenuNavy); },
        [](QPainter &p) { MenuBadge(p, QStringLiteral("i"), QColor(250, 206, 96), QColor(176, 110, 10)); },
    };
    const int count = int(std::size(pictures));
    QImage strip = NewCanvas(16 * count, 16);
    QPainter out(&strip);
    for (int i = 0; i < count; ++i) {
        QImage large = NewCanvas(16 * MenuScale, 16 * MenuScale);
        QPainter p(&large);
        p.setRenderHint(QPainter::Antialiasing);
        pictures[i](p);
        p.end();
        out.drawImage(16 * i, 0, Reduce(large, 16, 16));
    }
    out.end();
    return strip.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QDir folder;
    if (const int failed = OpenOutputFolder(argc, argv, 1, "make_panel_pictures <folder>", folder))
        return failed;
    const bool ok = Save(KeyboardCase(), folder, "keyboard.png") && Save(PlayStrip(), folder, "play.png") &&
                    Save(Rocker(true), folder, "switch_on.png") && Save(Rocker(false), folder, "switch_off.png") &&
                    Save(Parchment(), folder, "default.jpg", 92) && Save(Icon(), folder, "icon.png") &&
                    Save(ChordButton(), folder, "chord.png") && Save(AboutPicture(), folder, "about.png") &&
                    Save(MailPicture(), folder, "mail.png") && Save(HomepagePicture(), folder, "homepage.png") &&
                    Save(MenuStrip(), folder, "menu.png");
    return ok ? 0 : 1;
}
