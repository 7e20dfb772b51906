// Paints Harmonova's own window skin, "Graphite Panel": a dark instrument
// panel of brushed graphite with aluminium bevels and green LED accents, in
// the style of the keyboard case and the play button. Writes every picture
// the skin description names as a 24-bit Windows bitmap (magenta where the
// window shows through), the description itself, and the strip of 16 x 16
// menu glyphs. The build packs the folder into the skin package.
//
//   make_skin_pictures <skin folder> <menu glyph file>
//
// Everything is drawn from code with a fixed-seed noise, so the files come
// out the same on every run.
#include "PictureKit.h"

#include <QColor>
#include <QDir>
#include <QFile>
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
#include <functional>
#include <vector>

namespace {

// ---------------------------------------------------------------- noise

// Noise that repeats every `period` lattice cells along x.
double PeriodicNoise(double x, double y, double cellX, double cellY, int period, uint32_t seed)
{
    const double fx = x / cellX;
    const double fy = y / cellY;
    const int ix = int(std::floor(fx));
    const int iy = int(std::floor(fy));
    const double tx = Smooth(fx - ix);
    const double ty = Smooth(fy - iy);
    const auto h = [&](int cx, int cy) { return Hash(((cx % period) + period) % period, cy, seed); };
    const double top = h(ix, iy) * (1 - tx) + h(ix + 1, iy) * tx;
    const double bottom = h(ix, iy + 1) * (1 - tx) + h(ix + 1, iy + 1) * tx;
    return top * (1 - ty) + bottom * ty;
}

// Brushed-metal grain: long streaks along x (or along y), about -0.5 to
// 0.5. It repeats every 128 pixels, too far apart to notice in a grain this
// fine, which lets the long bars of the frame pack tightly.
double Grain(int x, int y, uint32_t seed, bool alongY = false)
{
    if (alongY)
        std::swap(x, y);
    return 0.60 * (PeriodicNoise(x, y, 64, 1.0, 2, seed) - 0.5) +
           0.30 * (PeriodicNoise(x, y, 16, 1.0, 8, seed + 1) - 0.5) + 0.10 * (Hash(x % 128, y, seed + 2) - 0.5);
}

// ------------------------------------------------------------- colours

const QRgb Magenta = qRgb(255, 0, 255);
const QColor Desk(70, 74, 80);     // what the window usually stands on, for soft edges
const QColor Face(56, 59, 64);     // button face and panels
const QColor Ink(12, 13, 15);      // the darkest lines
const QColor Led(86, 232, 132);    // lit LED
const QColor LedDeep(24, 150, 66); // its edge
const QColor LedOff(30, 48, 36);   // unlit LED
const QColor Alarm(244, 96, 72);   // the close button's LED
const QColor Glyph(226, 229, 233); // light engraving

QColor Alpha(const QColor &c, int alpha)
{
    QColor out = c;
    out.setAlpha(alpha);
    return out;
}

// ------------------------------------------------------------- canvases

constexpr int S = 4; // small pictures are painted 4 x larger and reduced

// Paints at S x scale with antialiasing and brings it down to size.
QImage Painted(int width, int height, const std::function<void(QPainter &)> &paint)
{
    QImage big = NewCanvas(width * S, height * S);
    QPainter p(&big);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.scale(S, S);
    paint(p);
    p.end();
    return Reduce(big, width, height);
}

// Clear pixels become the magenta key; half-covered edges are blended onto
// the matte they will most likely stand on, so no pink fringe shows.
QImage Keyed(const QImage &image, const QColor &matte = Desk)
{
    const QImage straight = image.convertToFormat(QImage::Format_ARGB32);
    QImage out(image.size(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = QColor::fromRgba(straight.pixel(x, y));
            QRgb rgb = Magenta;
            if (c.alpha() >= 24) {
                rgb = Mix(matte, c, c.alphaF()).rgb();
                if ((rgb & RGB_MASK) == (Magenta & RGB_MASK))
                    rgb = qRgb(254, 0, 255);
            }
            out.setPixel(x, y, rgb);
        }
    }
    return out;
}

// Whole pictures without a key: anything clear shows the face colour.
QImage Solid(const QImage &image, const QColor &under = Face)
{
    QImage out(image.size(), QImage::Format_RGB32);
    out.fill(under);
    QPainter p(&out);
    p.drawImage(0, 0, image);
    p.end();
    return out;
}

QImage SideBySide(const std::vector<QImage> &frames)
{
    int width = 0;
    for (const QImage &f : frames)
        width += f.width();
    QImage strip(width, frames.front().height(), QImage::Format_RGB32);
    strip.fill(Magenta);
    QPainter p(&strip);
    int x = 0;
    for (const QImage &f : frames) {
        p.drawImage(x, 0, f);
        x += f.width();
    }
    p.end();
    return strip;
}

QImage Stacked(const std::vector<QImage> &frames)
{
    int height = 0;
    for (const QImage &f : frames)
        height += f.height();
    QImage strip(frames.front().width(), height, QImage::Format_RGB32);
    QPainter p(&strip);
    int y = 0;
    for (const QImage &f : frames) {
        p.drawImage(0, y, f);
        y += f.height();
    }
    p.end();
    return strip;
}

template <typename Make> std::vector<QImage> Frames(int count, Make make)
{
    std::vector<QImage> frames;
    for (int i = 1; i <= count; ++i)
        frames.push_back(make(i));
    return frames;
}

// Multiplies every pixel by a grain factor, keeping the key colour.
void Brush(QImage &image, double strength, uint32_t seed, bool alongY = false)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb px = image.pixel(x, y);
            if ((px & RGB_MASK) == (Magenta & RGB_MASK))
                continue;
            const QColor c = Shade(QColor::fromRgb(px), 1.0 + strength * Grain(x, y, seed, alongY));
            image.setPixel(x, y, qRgba(c.red(), c.green(), c.blue(), qAlpha(px)));
        }
    }
}

// ---------------------------------------------------------- the frame

constexpr int TitleHeight = 30;
constexpr int SideWidth = 6;
constexpr int BottomHeight = 6;
constexpr int Corner = 6; // radius of the window's rounded corners

// The caption's colour at row y: a lit top edge, graphite falling into
// shadow, and along the bottom a thin LED line when the window is active.
QColor TitleRow(int y, bool active)
{
    const QColor top = active ? QColor(96, 102, 110) : QColor(72, 75, 80);
    const QColor middle = active ? QColor(58, 62, 68) : QColor(48, 50, 54);
    const QColor bottom = active ? QColor(36, 38, 42) : QColor(34, 35, 38);
    if (y == 0)
        return active ? QColor(150, 156, 164) : QColor(108, 111, 116);
    if (y == TitleHeight - 1)
        return Ink;
    if (y == TitleHeight - 2)
        return active ? Mix(LedDeep, Led, 0.35) : QColor(64, 67, 72);
    const double t = (y - 1) / double(TitleHeight - 3);
    return t < 0.45 ? Mix(top, middle, t / 0.45) : Mix(middle, bottom, (t - 0.45) / 0.55);
}

// The side borders' colour across their width (0 is the outer edge).
QColor SideColumn(int x, bool active)
{
    const QColor rim = active ? QColor(104, 109, 116) : QColor(80, 83, 88);
    const QColor body = active ? QColor(54, 58, 63) : QColor(46, 48, 52);
    switch (x) {
    case 0:
        return Ink;
    case 1:
        return rim;
    case SideWidth - 1:
        return QColor(20, 21, 23);
    default:
        return Shade(body, 1.0 - 0.06 * (x - 2));
    }
}

QImage TopFrame(int width, bool active)
{
    QImage image(width, TitleHeight, QImage::Format_RGB32);
    for (int y = 0; y < TitleHeight; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, TitleRow(y, active).rgb());
    Brush(image, active ? 0.10 : 0.07, active ? 11 : 12);
    return image;
}

QImage Top()
{
    return Stacked({TopFrame(1024, true), TopFrame(1024, false)});
}

QImage BottomFrame(int width, bool active)
{
    QImage image(width, BottomHeight, QImage::Format_RGB32);
    for (int y = 0; y < BottomHeight; ++y) {
        for (int x = 0; x < width; ++x) {
            // The rim turns toward the viewer: lit inside, dark at the edge.
            const int fromOutside = BottomHeight - 1 - y;
            image.setPixel(x, y, SideColumn(fromOutside, active).rgb());
        }
    }
    Brush(image, 0.08, active ? 21 : 22);
    return image;
}

QImage Bottom()
{
    return Stacked({BottomFrame(1024, true), BottomFrame(1024, false)});
}

// A side border: the caption's rows with the rounded top corner, the side
// rim, and the rounded bottom corner, for one side.
QImage SideFrame(int height, bool active, bool left)
{
    QImage image(SideWidth, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < SideWidth; ++x) {
            QColor c;
            if (y < TitleHeight) {
                c = TitleRow(y, active);
                if (x == 0 && y > 0 && y < TitleHeight - 1)
                    c = Shade(c, 1.5);
            } else if (y >= height - BottomHeight) {
                c = SideColumn(std::min(x, height - 1 - y), active);
            } else {
                c = SideColumn(x, active);
            }
            image.setPixel(x, y, c.rgb());
        }
    }
    Brush(image, 0.08, active ? 31 : 32, true);
    // Round the outer corners: clear what lies outside a circle, and blend
    // its edge onto the desk.
    const auto cut = [&](int cx, int cy, int fromY, int toY) {
        for (int y = fromY; y < toY; ++y) {
            for (int x = 0; x < SideWidth; ++x) {
                const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                const double outside = std::clamp(d - Corner + 0.5, 0.0, 1.0);
                if (x < cx && outside > 0) {
                    const QColor c = QColor::fromRgb(image.pixel(x, y));
                    image.setPixel(x, y, outside >= 0.75 ? qRgba(0, 0, 0, 0) : Mix(c, Desk, outside).rgba());
                }
            }
        }
    };
    cut(Corner, Corner, 0, Corner);
    cut(Corner, height - Corner, height - Corner, height);
    QImage keyed = Keyed(image);
    if (!left)
        keyed = keyed.mirrored(true, false);
    return keyed;
}

QImage Side(bool left)
{
    const int height = TitleHeight + 40 + BottomHeight;
    return SideBySide({SideFrame(height, true, left), SideFrame(height, false, left)});
}

// The dark glass behind the caption text, as an LCD window set into the
// panel; its ends are fixed and its middle stretches with the text.
QImage TextBackFrame(bool active)
{
    return Keyed(Painted(64, TitleHeight,
                         [active](QPainter &p) {
                             const QRectF glass(1, 5, 62, TitleHeight - 10);
                             p.setBrush(QColor(150, 156, 164, 110)); // the cut's lit lower lip
                             p.drawRoundedRect(glass.adjusted(-0.5, -0.5, 0.5, 1.0), 5, 5);
                             p.setBrush(Ink);
                             p.drawRoundedRect(glass, 5, 5);
                             QLinearGradient g(0, glass.top(), 0, glass.bottom());
                             g.setColorAt(0, active ? QColor(10, 22, 14) : QColor(16, 17, 18));
                             g.setColorAt(0.5, active ? QColor(16, 38, 24) : QColor(24, 25, 27));
                             g.setColorAt(1, active ? QColor(12, 28, 18) : QColor(20, 21, 22));
                             p.setBrush(g);
                             p.drawRoundedRect(glass.adjusted(1, 1.2, -1, -0.8), 4, 4);
                             p.setBrush(QColor(255, 255, 255, active ? 22 : 12)); // a reflection across the upper half
                             p.drawRoundedRect(
                                 QRectF(glass.left() + 3, glass.top() + 1.6, glass.width() - 6, glass.height() * 0.35),
                                 3, 3);
                         }),
                 QColor(58, 62, 68));
}

QImage TextBack()
{
    return Stacked({TextBackFrame(true), TextBackFrame(false)});
}

// ----------------------------------------------------- caption buttons

enum class Look { Normal, Pressed, Hot, Inactive, Disabled };

// A round aluminium bezel with a graphite cap; the glyph is lit like an LED.
QImage CapButton(int size, Look look, const QColor &led, const std::function<void(QPainter &, double)> &glyph)
{
    return Keyed(Painted(size, size,
                         [&](QPainter &p) {
                             const QPointF c(size / 2.0, size / 2.0);
                             const double r = size / 2.0 - 0.8;
                             const bool pressed = look == Look::Pressed;
                             const bool dim = look == Look::Inactive || look == Look::Disabled;
                             p.setBrush(QColor(0, 0, 0, 90));
                             p.drawEllipse(c + QPointF(0, 0.6), r + 0.5, r + 0.5);
                             QLinearGradient bezel(0, 0, size, size);
                             bezel.setColorAt(0, dim ? QColor(150, 152, 156) : QColor(226, 228, 232));
                             bezel.setColorAt(0.5, dim ? QColor(106, 108, 112) : QColor(140, 144, 150));
                             bezel.setColorAt(1, dim ? QColor(60, 62, 66) : QColor(52, 54, 58));
                             p.setBrush(bezel);
                             p.drawEllipse(c, r, r);
                             p.setBrush(Ink);
                             p.drawEllipse(c, r - 1.4, r - 1.4);
                             QRadialGradient cap(c + QPointF(-r * 0.3, pressed ? r * 0.35 : -r * 0.35), r * 1.5);
                             const QColor inner = look == Look::Hot ? QColor(112, 120, 130)
                                                  : pressed         ? QColor(50, 54, 60)
                                                  : dim             ? QColor(66, 68, 72)
                                                                    : QColor(88, 94, 102);
                             cap.setColorAt(0, inner);
                             cap.setColorAt(1, QColor(20, 22, 25));
                             p.setBrush(cap);
                             p.drawEllipse(c, r - 2.0, r - 2.0);
                             const QColor lit = dim                 ? QColor(120, 122, 126)
                                                : look == Look::Hot ? Mix(led, Qt::white, 0.35)
                                                                    : led;
                             if (!dim) {
                                 QRadialGradient glow(c, r - 2.0);
                                 glow.setColorAt(0, Alpha(led, look == Look::Hot ? 110 : 50));
                                 glow.setColorAt(1, Alpha(led, 0));
                                 p.setBrush(glow);
                                 p.drawEllipse(c, r - 2.0, r - 2.0);
                             }
                             p.save();
                             p.translate(c + (pressed ? QPointF(0.4, 0.6) : QPointF(0, 0)));
                             p.setPen(QPen(lit, size / 11.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                             p.setBrush(Qt::NoBrush);
                             glyph(p, r);
                             p.restore();
                             if (!pressed) {
                                 p.setPen(Qt::NoPen);
                                 QLinearGradient gloss(0, c.y() - r, 0, c.y());
                                 gloss.setColorAt(0, QColor(255, 255, 255, dim ? 40 : 70));
                                 gloss.setColorAt(1, QColor(255, 255, 255, 0));
                                 p.setBrush(gloss);
                                 p.drawEllipse(QRectF(c.x() - r * 0.6, c.y() - r + 2.2, r * 1.2, r * 0.8));
                             }
                         }),
                 QColor(58, 62, 68));
}

void CloseGlyph(QPainter &p, double r)
{
    const double a = r * 0.34;
    p.drawLine(QPointF(-a, -a), QPointF(a, a));
    p.drawLine(QPointF(-a, a), QPointF(a, -a));
}

void MaxGlyph(QPainter &p, double r)
{
    const double a = r * 0.36;
    p.drawRect(QRectF(-a, -a, 2 * a, 2 * a));
}

void MinGlyph(QPainter &p, double r)
{
    const double a = r * 0.36;
    p.drawLine(QPointF(-a, a * 0.7), QPointF(a, a * 0.7));
}

void RestoreGlyph(QPainter &p, double r)
{
    const double a = r * 0.26;
    p.drawRect(QRectF(-a * 1.3, -a * 0.4, 2 * a, 2 * a));
    p.drawPolyline(QPolygonF({QPointF(-a * 0.5, -a * 0.9), QPointF(-a * 0.5, -a * 1.4), QPointF(a * 1.4, -a * 1.4),
                              QPointF(a * 1.4, a * 0.6), QPointF(a * 0.9, a * 0.6)}));
}

// Normal, pressed, hot, inactive: the states a caption button is drawn in.
QImage CaptionButton(const QColor &led, void (*glyph)(QPainter &, double))
{
    const Look looks[] = {Look::Normal, Look::Pressed, Look::Hot, Look::Inactive};
    return SideBySide(Frames(4, [&](int i) { return CapButton(22, looks[i - 1], led, glyph); }));
}

// The power lamp beside the window icon: lit while the window is active.
QImage PowerLamp()
{
    return SideBySide(Frames(6, [](int i) {
        const bool lit = i != 4;
        return Keyed(Painted(10, 10,
                             [lit](QPainter &p) {
                                 p.setBrush(QColor(8, 8, 9));
                                 p.drawEllipse(QPointF(5, 5), 4.6, 4.6);
                                 QRadialGradient lens(QPointF(4.2, 4.2), 4.5);
                                 lens.setColorAt(0, lit ? QColor(236, 255, 238) : QColor(60, 74, 62));
                                 lens.setColorAt(0.45, lit ? Led : LedOff);
                                 lens.setColorAt(1, lit ? LedDeep : QColor(12, 20, 14));
                                 p.setBrush(lens);
                                 p.drawEllipse(QPointF(5, 5), 3.6, 3.6);
                             }),
                     QColor(58, 62, 68));
    }));
}

// The three small buttons of a maximised child window, four states each:
// normal, pressed, disabled, and last the one under the mouse, the frame
// the menu bar shows for it.
QImage MdiControls()
{
    std::vector<QImage> frames;
    void (*glyphs[])(QPainter &, double) = {MinGlyph, RestoreGlyph, CloseGlyph};
    const Look looks[] = {Look::Normal, Look::Pressed, Look::Disabled, Look::Hot};
    for (int b = 0; b < 3; ++b)
        for (const Look look : looks)
            frames.push_back(CapButton(16, look, b == 2 ? Alarm : Glyph, glyphs[b]));
    return SideBySide(frames);
}

// -------------------------------------------------------------- buttons

// A rounded key with a graphite face and an aluminium lip.
QImage Key(int width, int height, Look look, bool lit, double radius = 4)
{
    return Keyed(
        Painted(
            width, height,
            [&](QPainter &p) {
                const QRectF r(0.5, 0.5, width - 1, height - 1);
                const bool pressed = look == Look::Pressed;
                const bool disabled = look == Look::Disabled;
                p.setBrush(Ink);
                p.drawRoundedRect(r, radius, radius);
                QLinearGradient lip(0, r.top(), 0, r.bottom());
                lip.setColorAt(0, disabled ? QColor(86, 89, 94) : pressed ? QColor(40, 42, 46) : QColor(150, 155, 162));
                lip.setColorAt(1, disabled ? QColor(52, 54, 58) : pressed ? QColor(96, 100, 106) : QColor(40, 42, 46));
                p.setBrush(lip);
                p.drawRoundedRect(r.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
                QLinearGradient face(0, r.top(), 0, r.bottom());
                QColor a = QColor(94, 99, 106), b = QColor(56, 60, 66);
                if (look == Look::Hot) {
                    a = QColor(112, 118, 126);
                    b = QColor(66, 70, 76);
                } else if (pressed) {
                    a = QColor(44, 47, 52);
                    b = QColor(62, 66, 72);
                } else if (disabled) {
                    a = QColor(66, 68, 72);
                    b = QColor(58, 60, 64);
                }
                face.setColorAt(0, a);
                face.setColorAt(1, b);
                p.setBrush(face);
                p.drawRoundedRect(r.adjusted(2, 2, -2, -2), radius - 2, radius - 2);
                if (lit) {
                    p.setBrush(Qt::NoBrush);
                    p.setPen(QPen(Alpha(Led, 200), 1.2));
                    p.drawRoundedRect(r.adjusted(1.6, 1.6, -1.6, -1.6), radius - 1.5, radius - 1.5);
                }
            }),
        QColor(56, 59, 64));
}

// Normal, pressed, disabled, hot or focused, default.
QImage PushButtons()
{
    return SideBySide({Key(64, 24, Look::Normal, false), Key(64, 24, Look::Pressed, false),
                       Key(64, 24, Look::Disabled, false), Key(64, 24, Look::Hot, false),
                       Key(64, 24, Look::Normal, true)});
}

// Check and radio marks: a recessed well with an LED that lights when
// checked, amber for the third state.
QImage Mark(bool round, int state, Look look)
{
    return Keyed(Painted(16, 16,
                         [&](QPainter &p) {
                             const QRectF well(1.5, 1.5, 13, 13);
                             const auto shape = [&](const QRectF &r, double radius) {
                                 if (round)
                                     p.drawEllipse(r);
                                 else
                                     p.drawRoundedRect(r, radius, radius);
                             };
                             p.setBrush(QColor(130, 134, 140, look == Look::Disabled ? 80 : 150));
                             shape(well.adjusted(-0.5, -0.5, 0.5, 0.8), 3);
                             p.setBrush(Ink);
                             shape(well, 3);
                             p.setBrush(look == Look::Hot ? QColor(34, 38, 42) : QColor(22, 24, 27));
                             shape(well.adjusted(1, 1, -1, -1), 2);
                             if (state == 0)
                                 return;
                             const bool disabled = look == Look::Disabled;
                             const QColor on = state == 2 ? QColor(250, 186, 70) : Led;
                             QRadialGradient lens(QPointF(7, 7), 6);
                             lens.setColorAt(0, disabled ? QColor(150, 150, 150) : Mix(on, Qt::white, 0.6));
                             lens.setColorAt(0.5, disabled ? QColor(110, 110, 110) : on);
                             lens.setColorAt(1, disabled ? QColor(70, 70, 70)
                                                         : Shade(on, look == Look::Pressed ? 0.4 : 0.55));
                             p.setBrush(lens);
                             shape(well.adjusted(3, 3, -3, -3), 1.5);
                         }),
                 QColor(56, 59, 64));
}

// 1 unchecked, 2 checked, 3 unchecked disabled, 4 third state, 5 unchecked
// hot, 6 third state disabled, 7 checked hot, 8 checked pressed.
QImage Marks(bool round)
{
    const struct {
        int state;
        Look look;
    } frames[] = {{0, Look::Normal}, {1, Look::Normal},   {0, Look::Disabled}, {2, Look::Normal},
                  {0, Look::Hot},    {2, Look::Disabled}, {1, Look::Hot},      {1, Look::Pressed}};
    std::vector<QImage> images;
    for (const auto &f : frames)
        images.push_back(Mark(round, f.state, f.look));
    return SideBySide(images);
}

// ----------------------------------------------------- bars and edges

// A recessed channel: dark floor, shadowed top, lit lower lip.
QImage Channel(int width, int height, const QColor &floor, double radius, bool vertical = false)
{
    return Keyed(Painted(width, height,
                         [&](QPainter &p) {
                             const QRectF r(0.5, 0.5, width - 1, height - 1);
                             p.setBrush(QColor(140, 145, 152, 120));
                             p.drawRoundedRect(r.adjusted(-0.5, -0.5, 0.5, 0.5), radius, radius);
                             p.setBrush(Ink);
                             p.drawRoundedRect(r.adjusted(0, 0, -0.5, -0.7), radius, radius);
                             QLinearGradient g(0, 0, vertical ? width : 0, vertical ? 0 : height);
                             g.setColorAt(0, Shade(floor, 0.6));
                             g.setColorAt(0.35, floor);
                             g.setColorAt(1, Shade(floor, 1.15));
                             p.setBrush(g);
                             p.drawRoundedRect(r.adjusted(1, 1.2, -1, -1), std::max(radius - 1, 0.5),
                                               std::max(radius - 1, 0.5));
                         }),
                 QColor(56, 59, 64));
}

// A glowing LED bar.
QImage LedBar(int width, int height, bool vertical = false)
{
    return Keyed(Painted(width, height,
                         [&](QPainter &p) {
                             const QRectF r(1.5, 2.5, width - 3, height - 5);
                             QLinearGradient g(0, 0, vertical ? width : 0, vertical ? 0 : height);
                             g.setColorAt(0, QColor(190, 255, 205));
                             g.setColorAt(0.4, Led);
                             g.setColorAt(1, LedDeep);
                             p.setBrush(g);
                             p.drawRoundedRect(r, 2, 2);
                         }),
                 QColor(16, 38, 24));
}

QImage ProgressBitmap()
{
    QImage fill = LedBar(80, 16);
    return SideBySide({Channel(80, 16, QColor(22, 26, 24), 3), fill});
}

// One segment of a segmented meter.
QImage ProgressChunk()
{
    return Keyed(Painted(8, 16,
                         [](QPainter &p) {
                             QLinearGradient g(0, 3, 0, 13);
                             g.setColorAt(0, QColor(190, 255, 205));
                             g.setColorAt(0.5, Led);
                             g.setColorAt(1, LedDeep);
                             p.setBrush(g);
                             p.drawRoundedRect(QRectF(1, 3.5, 6, 9), 1, 1);
                         }),
                 QColor(22, 26, 24));
}

QImage MenuBarFrame(bool active)
{
    QImage image(1024, 22, QImage::Format_RGB32);
    const QColor a = active ? QColor(66, 70, 76) : QColor(56, 58, 62);
    const QColor b = active ? QColor(50, 53, 58) : QColor(46, 48, 51);
    for (int y = 0; y < image.height(); ++y) {
        QColor c = Mix(a, b, y / 21.0);
        if (y == 0)
            c = active ? QColor(104, 110, 118) : QColor(84, 87, 92);
        if (y == 21)
            c = QColor(26, 28, 31);
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, c.rgb());
    }
    Brush(image, 0.08, active ? 41 : 42);
    return image;
}

// An engraved rounded line, as around a group of controls on a panel.
QImage GroupEdge(bool lit)
{
    return Keyed(Painted(32, 32,
                         [lit](QPainter &p) {
                             p.setBrush(Qt::NoBrush);
                             p.setPen(QPen(QColor(120, 126, 134, 170), 1.0));
                             p.drawRoundedRect(QRectF(2, 2, 29, 29), 5, 5);
                             p.setPen(QPen(lit ? Alpha(LedDeep, 230) : Ink, 1.0));
                             p.drawRoundedRect(QRectF(1, 1, 29, 29), 5, 5);
                         }),
                 Face);
}

QImage GroupLabel()
{
    return Keyed(Painted(40, 18,
                         [](QPainter &p) {
                             p.setBrush(QColor(130, 136, 144, 140));
                             p.drawRoundedRect(QRectF(0.5, 1, 39, 16.5), 4, 4);
                             p.setBrush(QColor(30, 32, 35));
                             p.drawRoundedRect(QRectF(0.5, 0.5, 39, 16.5), 4, 4);
                         }),
                 Face);
}

// Tool buttons: 1 normal (flat), 2 hot, 3 pressed, 4 checked, 5 disabled.
QImage ToolButtons()
{
    return SideBySide(Frames(5, [](int i) {
        if (i == 1 || i == 5) {
            QImage flat(24, 24, QImage::Format_RGB32);
            flat.fill(Magenta);
            return flat;
        }
        return Key(24, 24, i == 2 ? Look::Hot : Look::Pressed, i == 4);
    }));
}

// Tabs: a raised tab with a lit line along its top when it has the focus.
QImage Tab(int frame)
{
    return Keyed(Painted(60, 24,
                         [frame](QPainter &p) {
                             const bool focus = frame == 2;
                             QPainterPath path;
                             path.moveTo(0.5, 24);
                             path.lineTo(0.5, 5);
                             path.quadTo(0.5, 0.5, 5, 0.5);
                             path.lineTo(55, 0.5);
                             path.quadTo(59.5, 0.5, 59.5, 5);
                             path.lineTo(59.5, 24);
                             p.setBrush(Ink);
                             p.drawPath(path);
                             QLinearGradient g(0, 0, 0, 24);
                             const QColor top = focus        ? QColor(92, 98, 106)
                                                : frame == 3 ? QColor(82, 87, 94)
                                                             : QColor(66, 70, 76);
                             g.setColorAt(0, top);
                             g.setColorAt(1, frame == 4 ? QColor(50, 52, 56) : Face);
                             p.setBrush(g);
                             QPainterPath inner;
                             inner.moveTo(1.5, 24);
                             inner.lineTo(1.5, 5);
                             inner.quadTo(1.5, 1.5, 5, 1.5);
                             inner.lineTo(55, 1.5);
                             inner.quadTo(58.5, 1.5, 58.5, 5);
                             inner.lineTo(58.5, 24);
                             p.drawPath(inner);
                             if (focus) {
                                 p.setBrush(Led);
                                 p.drawRoundedRect(QRectF(5, 1.5, 50, 1.6), 0.8, 0.8);
                             }
                         }),
                 Face);
}

QImage TabPage()
{
    QImage page = Solid(Painted(32, 32, [](QPainter &p) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(112, 118, 126), 1));
        p.drawRect(QRectF(0.5, 0.5, 31, 31));
        p.setPen(QPen(Ink, 1));
        p.drawLine(QPointF(31.5, 0), QPointF(31.5, 32));
        p.drawLine(QPointF(0, 31.5), QPointF(32, 31.5));
    }));
    return page;
}

// Status panels: lowered, raised, none.
QImage StatusEdges()
{
    return SideBySide(
        {Channel(20, 20, QColor(40, 43, 47), 2), Key(20, 20, Look::Normal, false, 2), Solid(NewCanvas(20, 20))});
}

// The drop button of a combo box: 1 normal, 2 pressed, 3 disabled, 4 hot.
QImage ComboButtons()
{
    const Look looks[] = {Look::Normal, Look::Pressed, Look::Disabled, Look::Hot};
    return SideBySide(Frames(4, [&](int i) { return Key(18, 20, looks[i - 1], false, 3); }));
}

// The small arrows drawn on combo buttons, one per button state.
QImage DropArrows()
{
    return SideBySide(Frames(5, [](int i) {
        return Keyed(
            Painted(10, 10,
                    [i](QPainter &p) {
                        const QColor c = i == 3 ? QColor(120, 123, 128) : i == 4 ? QColor(255, 255, 255) : Glyph;
                        p.setBrush(c);
                        QPolygonF tri({QPointF(1.5, 3), QPointF(8.5, 3), QPointF(5, 7.5)});
                        if (i == 2)
                            tri.translate(0.4, 0.6);
                        p.drawPolygon(tri);
                    }),
            QColor(70, 74, 80));
    }));
}

// Edit fields: a recessed dark display, with an LED rim when focused.
// 1 enabled, 2 pressed, 3 disabled, 4 focused or hot.
QImage SunkEdges()
{
    return SideBySide(Frames(4, [](int i) {
        QImage frame = Channel(20, 20, i == 3 ? QColor(44, 46, 50) : QColor(26, 28, 31), 3);
        if (i == 4) {
            QPainter p(&frame);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(Alpha(Led, 170), 1));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRectF(1.5, 1.5, 17, 17), 2, 2);
        }
        return frame;
    }));
}

QImage HeaderButtons()
{
    const Look looks[] = {Look::Normal, Look::Hot, Look::Pressed, Look::Disabled, Look::Normal};
    return SideBySide(Frames(5, [&](int i) { return Key(40, 20, looks[i - 1], i == 5, 2); }));
}

// A menu item's five faces: 1 a plain item, see-through so the popup's own
// background shows; 2 a separator, a groove in its bottom rows; 3 unused;
// 4 the selected item, green-tinted glass; 5 the same, pressed.
QImage MenuItems()
{
    return SideBySide(Frames(5, [](int i) {
        return Keyed(Painted(40, 20,
                             [i](QPainter &p) {
                                 if (i == 2) {
                                     p.setBrush(Ink);
                                     p.drawRect(QRectF(2, 16, 36, 1));
                                     p.setBrush(QColor(72, 76, 82));
                                     p.drawRect(QRectF(2, 17, 36, 1));
                                     return;
                                 }
                                 if (i != 4 && i != 5)
                                     return;
                                 const QRectF r(0.5, 0.5, 39, 19);
                                 p.setBrush(LedDeep);
                                 p.drawRoundedRect(r, 3, 3);
                                 QLinearGradient g(0, 0, 0, 20);
                                 g.setColorAt(0, QColor(52, 140, 82));
                                 g.setColorAt(1, i == 5 ? QColor(20, 84, 44) : QColor(30, 104, 56));
                                 p.setBrush(g);
                                 p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 2, 2);
                                 p.setBrush(QColor(255, 255, 255, 30));
                                 p.drawRoundedRect(QRectF(2, 1.5, 36, 7), 2, 2);
                             }),
                     QColor(44, 47, 52));
    }));
}

// A popup menu's background: a darker gutter for the glyphs on the left,
// brushed graphite for the texts.
QImage MenuBackground()
{
    QImage image(128, 128, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QColor c = x < 24 ? QColor(36, 38, 42) : QColor(46, 49, 54);
            if (x == 24)
                c = Ink;
            if (x == 25)
                c = QColor(72, 76, 82);
            if (x == 0 || y == 0)
                c = QColor(110, 115, 122);
            if (x == 127 || y == 127)
                c = Ink;
            image.setPixel(x, y, c.rgb());
        }
    }
    Brush(image, 0.07, 51);
    return image;
}

// Scroll-bar arrows, four states for each direction (normal, pressed, hot,
// disabled), then plain faces and the size grip.
QImage ScrollArrows()
{
    std::vector<QImage> frames;
    const Look looks[] = {Look::Normal, Look::Pressed, Look::Hot, Look::Disabled};
    for (int direction = 0; direction < 4; ++direction) { // left, right, up, down
        for (const Look look : looks) {
            QImage key = Key(16, 16, look, false, 3);
            QPainter p(&key);
            p.setRenderHint(QPainter::Antialiasing);
            p.translate(8, 8);
            p.rotate(direction == 0 ? 180 : direction == 1 ? 0 : direction == 2 ? 270 : 90);
            if (look == Look::Pressed)
                p.translate(0.4, 0.4);
            p.setPen(Qt::NoPen);
            p.setBrush(look == Look::Disabled ? QColor(110, 113, 118) : look == Look::Hot ? Led : Glyph);
            p.drawPolygon(QPolygonF({QPointF(-2, -3.5), QPointF(2.5, 0), QPointF(-2, 3.5)}));
            p.end();
            frames.push_back(key);
        }
    }
    for (int i = 17; i <= 20; ++i)
        frames.push_back(Key(16, 16, i == 20 ? Look::Disabled : Look::Normal, false, 3));
    for (int i = 21; i <= 23; ++i) {
        QImage grip = Solid(NewCanvas(16, 16));
        QPainter p(&grip);
        for (int d = 0; d < 3; ++d) {
            for (int k = 0; k <= d; ++k) {
                const QPoint dot(12 - 4 * k, 12 - 4 * (d - k));
                p.fillRect(QRect(dot, QSize(2, 2)), QColor(120, 126, 134));
                p.fillRect(QRect(dot + QPoint(1, 1), QSize(1, 1)), Ink);
            }
        }
        p.end();
        frames.push_back(grip);
    }
    return SideBySide(frames);
}

QImage ScrollTrack(bool vertical)
{
    return SideBySide(Frames(4, [vertical](int i) {
        const QColor floor = i == 3 ? QColor(44, 46, 50) : i == 2 ? QColor(34, 40, 36) : QColor(30, 32, 35);
        return vertical ? Channel(16, 32, floor, 3, true) : Channel(32, 16, floor, 3);
    }));
}

// The thumb: an aluminium slider with grip ridges; normal, dragged, hot.
QImage ScrollThumb(bool vertical)
{
    return SideBySide(Frames(3, [vertical](int i) {
        const int w = vertical ? 16 : 32;
        const int h = vertical ? 32 : 16;
        return Keyed(Painted(w, h,
                             [&](QPainter &p) {
                                 const QRectF r(1, 1, w - 2, h - 2);
                                 p.setBrush(Ink);
                                 p.drawRoundedRect(r, 3, 3);
                                 QLinearGradient g(0, 0, vertical ? w : 0, vertical ? 0 : h);
                                 g.setColorAt(0, i == 3 ? QColor(210, 214, 220) : QColor(184, 188, 194));
                                 g.setColorAt(1, i == 2 ? QColor(70, 74, 80) : QColor(104, 108, 114));
                                 p.setBrush(g);
                                 p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 2, 2);
                                 for (int k = -1; k <= 1; ++k) {
                                     const double o = 3.0 * k;
                                     p.setBrush(i == 2 ? Led : QColor(60, 63, 68));
                                     if (vertical)
                                         p.drawRect(QRectF(4, h / 2.0 + o - 0.5, w - 8, 1));
                                     else
                                         p.drawRect(QRectF(w / 2.0 + o - 0.5, 4, 1, h - 8));
                                 }
                             }),
                     QColor(30, 32, 35));
    }));
}

// A mixer fader cap in five states (normal, pressed, hot, disabled,
// focused). Up, down, left and right caps point their tip that way.
QImage FaderCap(int w, int h, int pointing, int frame)
{
    return Keyed(Painted(w, h,
                         [&](QPainter &p) {
                             QPainterPath body;
                             const double tip = 4;
                             QRectF r(0.5, 0.5, w - 1, h - 1);
                             switch (pointing) {
                             case 0:
                                 body.addRoundedRect(r, 2, 2);
                                 break;
                             case 1: // down
                                 body.moveTo(r.left(), r.top() + 2);
                                 body.lineTo(r.right(), r.top() + 2);
                                 body.lineTo(r.right(), r.bottom() - tip);
                                 body.lineTo(r.center().x(), r.bottom());
                                 body.lineTo(r.left(), r.bottom() - tip);
                                 body.closeSubpath();
                                 break;
                             case 2: // up
                                 body.moveTo(r.left(), r.bottom() - 2);
                                 body.lineTo(r.right(), r.bottom() - 2);
                                 body.lineTo(r.right(), r.top() + tip);
                                 body.lineTo(r.center().x(), r.top());
                                 body.lineTo(r.left(), r.top() + tip);
                                 body.closeSubpath();
                                 break;
                             case 3: // left
                                 body.moveTo(r.right() - 2, r.top());
                                 body.lineTo(r.right() - 2, r.bottom());
                                 body.lineTo(r.left() + tip, r.bottom());
                                 body.lineTo(r.left(), r.center().y());
                                 body.lineTo(r.left() + tip, r.top());
                                 body.closeSubpath();
                                 break;
                             default: // right
                                 body.moveTo(r.left() + 2, r.top());
                                 body.lineTo(r.left() + 2, r.bottom());
                                 body.lineTo(r.right() - tip, r.bottom());
                                 body.lineTo(r.right(), r.center().y());
                                 body.lineTo(r.right() - tip, r.top());
                                 body.closeSubpath();
                                 break;
                             }
                             p.setBrush(Ink);
                             p.drawPath(body);
                             QLinearGradient g(0, 0, w, h);
                             g.setColorAt(0, frame == 4   ? QColor(140, 142, 146)
                                             : frame == 3 ? QColor(236, 238, 242)
                                                          : QColor(212, 215, 220));
                             g.setColorAt(1, frame == 2 ? QColor(64, 67, 72) : QColor(96, 100, 106));
                             p.setBrush(g);
                             p.drawPath(QTransform::fromTranslate(w / 2.0, h / 2.0)
                                            .scale((w - 2.0) / w, (h - 2.0) / h)
                                            .translate(-w / 2.0, -h / 2.0)
                                            .map(body));
                             // The fader's index line.
                             p.setBrush(frame == 4 ? QColor(90, 92, 96) : frame == 5 ? Led : QColor(250, 250, 250));
                             // Across the direction the cap travels in.
                             if (w < h)
                                 p.drawRect(QRectF(w / 2.0 - 0.6, 2.5, 1.2, h - 5));
                             else
                                 p.drawRect(QRectF(2.5, h / 2.0 - 0.6, w - 5, 1.2));
                         }),
                 Face);
}

QImage Fader(int w, int h, int pointing)
{
    return SideBySide(Frames(5, [&](int i) { return FaderCap(w, h, pointing, i); }));
}

// Up-down buttons: four states of the first arrow, then of the second.
QImage UpDownFaces(int w, int h)
{
    const Look looks[] = {Look::Normal, Look::Pressed, Look::Disabled, Look::Hot};
    return SideBySide(Frames(8, [&](int i) { return Key(w, h, looks[(i - 1) % 4], false, 2); }));
}

QImage UpDownGlyphs(int w, int h, bool vertical)
{
    return SideBySide(Frames(8, [&](int i) {
        const bool second = i > 4;
        const int state = (i - 1) % 4 + 1;
        return Keyed(Painted(w, h,
                             [&](QPainter &p) {
                                 p.translate(w / 2.0, h / 2.0);
                                 p.rotate(vertical ? (second ? 90 : 270) : (second ? 0 : 180));
                                 if (state == 2)
                                     p.translate(0.3, 0.3);
                                 p.setBrush(state == 3 ? QColor(110, 113, 118) : state == 4 ? Led : Glyph);
                                 p.drawPolygon(QPolygonF({QPointF(-1.6, -2.8), QPointF(2.0, 0), QPointF(-1.6, 2.8)}));
                             }),
                     QColor(70, 74, 80));
    }));
}

// ---------------------------------------------------------- menu glyphs

// The system menu's pictures, 16 x 16 each on white (the list's
// transparent colour): restore, maximise, minimise, close. Engraved like
// the caption buttons' glyphs: light ink over a dark shadow, so that they
// stand out on the menu's dark glyph column and on a light one alike.
QImage MenuGlyphs()
{
    QImage strip(64, 16, QImage::Format_RGB32);
    strip.fill(Qt::white);
    QPainter p(&strip);
    const auto shapes = [&p](const QColor &ink, QPoint offset) {
        const auto fill = [&](int x, int y, int w, int h) { p.fillRect(QRect(x, y, w, h).translated(offset), ink); };
        // Restore: two overlapping windows.
        fill(5, 2, 9, 2);
        fill(5, 4, 1, 2);
        fill(13, 4, 1, 6);
        fill(12, 9, 1, 1);
        fill(2, 6, 9, 2);
        fill(2, 8, 1, 6);
        fill(10, 8, 1, 6);
        fill(2, 13, 9, 1);
        // Maximise: one window with a thick title.
        fill(16 + 3, 3, 10, 2);
        fill(16 + 3, 5, 1, 8);
        fill(16 + 12, 5, 1, 8);
        fill(16 + 3, 12, 10, 1);
        // Minimise: a bar at the bottom.
        fill(32 + 4, 11, 8, 2);
        // Close: a cross, two pixels thick.
        for (int i = 0; i < 8; ++i) {
            fill(48 + 4 + i, 4 + i, 2, 1);
            fill(48 + 10 - i, 4 + i, 2, 1);
        }
    };
    shapes(Ink, QPoint(1, 1));
    shapes(Glyph, QPoint(0, 0));
    p.end();
    return strip;
}

// ---------------------------------------------------------- description

// Written as people write skin descriptions: comments, blank lines, odd
// spacing and letter case, and sections this program does not read.
const char Description[] = R"(; Graphite Panel - the window skin of Harmonova.
; Brushed graphite, aluminium bevels and green LED accents.

[TitlebarSkin]
SkinName = Graphite Panel
Author=Harmonova
[Personality]
; caption and frame: the top and bottom hold their two states one above the other
Top=graphite\top.bmp
TopFrame=2
TopStretch=1
TopTrans=0
TopTopHeight=2
TopBotHeight=2
Bottom=bottom.bmp
BottomFrame=2
BOTTOMSTRETCH=1
BottomTrans=0
BottomTopHeight=2
BottomBotHeight=2
Left=left.bmp
LeftFrame=2
LeftStretch=1
LeftTrans=1
LeftTopHeight=30
LeftBotHeight=6
Right = right.bmp
RightFrame = 2
RightStretch = 1
RightTrans = 1
RightTopHeight = 30
RightBotHeight = 6

TextBack=textback.bmp
TextShift=40
TextShiftVert=0
TextRightClip=96
TextAlignment=0
Textbackground=1
TXTBackleft=8
TXTBackRight=8
ActiveTextR=150
ActiveTextG=246
ActiveTextB=172
InActiveTextR=128
InActiveTextG=133
InActiveTextB=140
  menuBar = menubar.bmp
TileMenu=1
TileLeftMenu=2
TileRightMenu=2

[Fonts]
FontHeight=15
FontName=DejaVu Sans

[Colours]
WindowText=228 231 235
ButtonFace=56 59 64
Scrollbar=36 38 42
HilightText=255 255 255
Hilight=44 150 82
Menubar=52 55 60
Menu=44 47 52
MenuText=225 227 230
ButtonText=232 234 236
ButtonHilight=116 121 128
Buttonlight=84 88 95
ButtonShadow=28 30 33
ButtonDkShadow=10 11 12
MenuBarText=220 222 225
TitleTextActive=150 246 172
TitleTextNoActive=128 133 140

; extra colours, in no particular order
[Colour2]
color=250 186 70
[colour1]
Color=86 232 132
[COLOUR3]
color = 244 96 72

[Customcolors]
Color0=86 232 132
Color1=24 150 66
Color2=250 186 70
Color3=244 96 72
Color4=96 170 250
Color5=226 229 233
Color6=150 156 164
Color7=70 74 80
Color8=36 38 42
Color9=12 13 15

; caption buttons, from the right edge
[ButtonClose]
Action=0
Align=1
Xcoord=28
Ycoord=4
frame=4
ButtonImage=close.bmp
Visibility=0
CombineOp=0
[ButtonMax]
Action=1
Align=1
Xcoord=52
Ycoord=4
Frame=4
ButtonImage=maximize.bmp
Visibility=2
[ButtonRestore]
Action=1
Align=1
XCOORD=52
YCOORD=4
frame=4
ButtonImage=restore.bmp
Visibility=1
[ButtonMin]
action = 2
align = 1
xcoord = 76
ycoord = 4
FRAME = 4
buttonimage = minimize.bmp
[ButtonSysMenu]
; the window's own icon
Action=3
Align=0
Xcoord=7
Ycoord=7
[ButtonLamp]
; the power lamp: lit while the window is active
Action=-1
Visibility=0
Visibility1=200
Align=0
Xcoord=28
Ycoord=10
ButtonImage=lamp.bmp
[ButtonUnused]
Action=-1
ButtonImage=lamp.bmp

[MDICONTROLS]
Image=mdi.bmp

[Buttons]
Bitmap=buttons.bmp
LeftWidth=5
RightWidth=5
TopHeight=5
BottomHeight=5
Trans=1
Tile=0
NormalColour=-1
MouseOverColour=-1
PressedColour=-1
NormalColour2=232 234 236
MouseOverColour2=255 255 255
PressedColour2=150 246 172
CheckButton=check.bmp
RadioButton=radio.bmp
RadioButtonFrame=0
CheckButtonFrame=0
[Button.Radio]
Image=radio.bmp
[Button.CheckBox]
Image=check.bmp

[Progress]
Bitmap=progress.bmp
Chunk=chunk.bmp
Style=0
LeftWidth=4
RightWidth=4
TopHeight=4
BottomHeight=4
Trans=1
Tile=0

[GroupBoxEdge]
Image=groupedge.bmp
LeftWidth=6
RightWidth=6
TopHeight=6
BottomHeight=6
Trans=1
[GroupBox]
Image=grouplabel.bmp
LeftWidth=5
RightWidth=5
TopHeight=4
BottomHeight=4
Trans=1
NormalColour2=150 246 172
BackgroundAlignment=0
BackgroundLeftShift=4
BackgroundRightShift=4

[Toolbars]
Image=toolbuttons.bmp
LeftWidth=4
RightWidth=4
TopHeight=4
BottomHeight=4
Trans=1
[Tabs]
Image=tabs.bmp
Border=tabpage.bmp
LeftWidth=6
RightWidth=6
TopHeight=6
BottomHeight=2
Trans=1
NormalColour2=200 204 210
MouseOverColour2=150 246 172
[StatusBarEdges]
Image=statusedges.bmp
LeftWidth=3
RightWidth=3
TopHeight=3
BottomHeight=3
NormalColour2=200 204 210
[ComboButton]
Image=combobutton.bmp
LeftWidth=3
RightWidth=3
TopHeight=3
BottomHeight=3
Trans=1
[SunkEdge]
Image=sunkedge.bmp
LeftWidth=3
RightWidth=3
TopHeight=3
BottomHeight=3
Trans=1
[ExtraImages]
Image=arrows.bmp
Trans=1
[Headerbar]
Image=header.bmp
LeftWidth=4
RightWidth=4
TopHeight=4
BottomHeight=4
NormalColour2=232 234 236
[MenuItem]
Image=menuitem.bmp
LeftWidth=4
RightWidth=4
TopHeight=4
BottomHeight=4
Trans=1
Style=1
[MenuBackground]
Image=menuback.bmp
LeftWidth=26
RightWidth=2
TopHeight=2
BottomHeight=2
Tile=1

[Scrollbar]
Image=scrollarrows.bmp
Trans=1
[HorzScroll]
Image=hscroll.bmp
LeftWidth=4
RightWidth=4
TopHeight=4
BottomHeight=4
Tile=0
Trans=1
[VertScroll]
Image=vscroll.bmp
LeftWidth=4
RightWidth=4
TopHeight=4
BottomHeight=4
Trans=1
[HorzScrollThumb]
Image=hthumb.bmp
FrameCount=3
LeftWidth=5
RightWidth=5
TopHeight=4
BottomHeight=4
Trans=1
[VertScrollThumb]
Image=vthumb.bmp
LeftWidth=4
RightWidth=4
TopHeight=5
BottomHeight=5
Trans=1

[Trackbar.ThumbHorz]
Image=faderh.bmp
Trans=1
[Trackbar.ThumbVert]
Image=faderv.bmp
Trans=1
[Trackbar.ThumbLeft]
Image=faderleft.bmp
Trans=1
[Trackbar.ThumbRight]
Image=faderright.bmp
Trans=1
[Trackbar.ThumbUp]
Image=faderup.bmp
Trans=1
[Trackbar.ThumbDown]
Image=faderdown.bmp
Trans=1

[UpDown.Horz]
Image=updownh.bmp
GlyphImage=updownhglyphs.bmp
LeftWidth=3
RightWidth=3
TopHeight=3
BottomHeight=3
Trans=1
[UpDown.Vert]
Image=updownv.bmp
GlyphImage=updownvglyphs.bmp
LeftWidth=3
RightWidth=3
TopHeight=2
BottomHeight=2
Trans=1

; read by other programs, not by this one
[Sounds]
Click=click.wav
[Mask]
Top=topmask.bmp
Trans=1
)";

// ---------------------------------------------------------------- files

bool Write(const QImage &image, const QDir &folder, const char *name)
{
    const QString path = folder.filePath(QString::fromLatin1(name));
    // Three bytes a pixel: what the skin's readers expect of a bitmap.
    if (!image.convertToFormat(QImage::Format_RGB888).save(path, "BMP")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QDir folder;
    if (const int failed =
            OpenOutputFolder(argc, argv, 2, "make_skin_pictures <skin folder> <menu glyph file>", folder))
        return failed;
    const struct {
        const char *name;
        std::function<QImage()> make;
    } pictures[] = {
        {"top.bmp", Top},
        {"bottom.bmp", Bottom},
        {"left.bmp", [] { return Side(true); }},
        {"right.bmp", [] { return Side(false); }},
        {"textback.bmp", TextBack},
        {"menubar.bmp",
         [] {
             return Stacked({MenuBarFrame(true), MenuBarFrame(false)});
         }},
        {"close.bmp", [] { return CaptionButton(Alarm, CloseGlyph); }},
        {"maximize.bmp", [] { return CaptionButton(Glyph, MaxGlyph); }},
        {"restore.bmp", [] { return CaptionButton(Glyph, RestoreGlyph); }},
        {"minimize.bmp", [] { return CaptionButton(Glyph, MinGlyph); }},
        {"lamp.bmp", PowerLamp},
        {"mdi.bmp", MdiControls},
        {"buttons.bmp", PushButtons},
        {"check.bmp", [] { return Marks(false); }},
        {"radio.bmp", [] { return Marks(true); }},
        {"progress.bmp", ProgressBitmap},
        {"chunk.bmp", ProgressChunk},
        {"groupedge.bmp",
         [] {
             return SideBySide({GroupEdge(false), GroupEdge(true)});
         }},
        {"grouplabel.bmp", GroupLabel},
        {"toolbuttons.bmp", ToolButtons},
        {"tabs.bmp", [] { return SideBySide(Frames(5, Tab)); }},
        {"tabpage.bmp", TabPage},
        {"statusedges.bmp", StatusEdges},
        {"combobutton.bmp", ComboButtons},
        {"sunkedge.bmp", SunkEdges},
        {"arrows.bmp", DropArrows},
        {"header.bmp", HeaderButtons},
        {"menuitem.bmp", MenuItems},
        {"menuback.bmp", MenuBackground},
        {"scrollarrows.bmp", ScrollArrows},
        {"hscroll.bmp", [] { return ScrollTrack(false); }},
        {"vscroll.bmp", [] { return ScrollTrack(true); }},
        {"hthumb.bmp", [] { return ScrollThumb(false); }},
        {"vthumb.bmp", [] { return ScrollThumb(true); }},
        {"faderh.bmp", [] { return Fader(12, 22, 0); }},
        {"faderv.bmp", [] { return Fader(22, 12, 0); }},
        {"faderleft.bmp", [] { return Fader(22, 12, 3); }},
        {"faderright.bmp", [] { return Fader(22, 12, 4); }},
        {"faderup.bmp", [] { return Fader(12, 22, 2); }},
        {"faderdown.bmp", [] { return Fader(12, 22, 1); }},
        {"updownh.bmp", [] { return UpDownFaces(14, 12); }},
        {"updownhglyphs.bmp", [] { return UpDownGlyphs(8, 8, false); }},
        {"updownv.bmp", [] { return UpDownFaces(16, 10); }},
        {"updownvglyphs.bmp", [] { return UpDownGlyphs(8, 6, true); }},
    };
    for (const auto &picture : pictures) {
        if (!Write(picture.make(), folder, picture.name))
            return 1;
    }
    QFile description(folder.filePath(QStringLiteral("graphite.ini")));
    if (!description.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(description.fileName()));
        return 1;
    }
    QByteArray text(Description);
    text.replace("\n", "\r\n");
    description.write(text);
    description.close();
    if (!MenuGlyphs().convertToFormat(QImage::Format_RGB888).save(QString::fromLocal8Bit(argv[2]), "BMP")) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
