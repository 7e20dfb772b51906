// Paints the pictures of the chord pattern editor and writes them into the
// folder given on the command line (the committed ones live in
// src/ui/resources/pattern): the strips of its four image buttons (open,
// save, MIDI export, clear; each normal, hover, pressed and disabled) and
// the two marker pictures of its grid (end of pattern, loop). Everything is
// drawn from code, so running it again gives the same files.
//
//   make_pattern_pictures <folder>
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
#include <cstdio>
#include <functional>

namespace {

// ------------------------------------------------------------- buttons

constexpr int Scale = 4;
constexpr int ButtonSize = 32;

// The lit colour of a button's symbol, from its dark end to its bright end.
struct TLight {
    QColor dark;
    QColor bright;
};

const TLight Amber = {QColor(196, 110, 10), QColor(255, 214, 120)};
const TLight Cyan = {QColor(20, 120, 190), QColor(170, 230, 255)};
const TLight Green = {QColor(30, 170, 72), QColor(170, 255, 190)};
const TLight Red = {QColor(190, 30, 30), QColor(255, 170, 160)};

// How a symbol is lit for a face: brighter under the mouse, dimmer pressed,
// grey when disabled.
QBrush SymbolBrush(Face face, const TLight &light, const QRectF &bounds)
{
    QLinearGradient led(bounds.topLeft(), bounds.bottomRight());
    switch (face) {
    case Face::Normal:
        led.setColorAt(0.0, light.bright);
        led.setColorAt(1.0, light.dark);
        break;
    case Face::Hover:
        led.setColorAt(0.0, Mix(light.bright, Qt::white, 0.5));
        led.setColorAt(1.0, Mix(light.dark, light.bright, 0.4));
        break;
    case Face::Pressed:
        led.setColorAt(0.0, Mix(light.bright, light.dark, 0.35));
        led.setColorAt(1.0, light.dark.darker(130));
        break;
    case Face::Disabled:
        led.setColorAt(0.0, QColor(236, 236, 236));
        led.setColorAt(1.0, QColor(176, 176, 176));
        break;
    }
    return led;
}

QPen SymbolOutline(Face face)
{
    return QPen(face == Face::Disabled ? QColor(140, 140, 140) : QColor(10, 20, 30, 210), 2.0, Qt::SolidLine,
                Qt::RoundCap, Qt::RoundJoin);
}

// One 32 x 32 frame: a round graphite cap in a brushed-metal bezel, like the
// main window's play button, with the symbol lit on the cap. The symbol is
// drawn in a 128 x 128 box centred on (64, 64).
QImage ButtonFrame(Face face, const TLight &light, const std::function<void(QPainter &, Face)> &symbol)
{
    const int size = ButtonSize * Scale;
    QImage large = NewCanvas(size, size);
    QPainter p(&large);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QPointF centre(size / 2.0, size / 2.0);
    const bool disabled = face == Face::Disabled;
    const bool pressed = face == Face::Pressed;
    PaintRoundButton(p, size, face,
                     {80,
                      {QColor(200, 200, 200), QColor(160, 160, 160), QColor(120, 120, 120)},
                      QColor(96, 96, 96),
                      {QColor(170, 170, 170), QColor(120, 120, 120)}});

    if (face == Face::Hover || face == Face::Normal) {
        QRadialGradient glow(centre, 44);
        QColor halo = light.bright;
        halo.setAlpha(face == Face::Hover ? 110 : 50);
        glow.setColorAt(0.0, halo);
        halo.setAlpha(0);
        glow.setColorAt(1.0, halo);
        p.setBrush(glow);
        p.drawEllipse(centre, 46, 46);
    }

    p.save();
    if (pressed)
        p.translate(2, 3);
    symbol(p, face);
    p.restore();

    if (!pressed) {
        QLinearGradient gloss(0, centre.y() - 46, 0, centre.y());
        gloss.setColorAt(0.0, QColor(255, 255, 255, disabled ? 70 : 100));
        gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(gloss);
        p.drawEllipse(QRectF(centre.x() - 34, centre.y() - 45, 68, 46));
    }
    p.end();
    return Reduce(large, ButtonSize, ButtonSize);
}

// An open folder.
void OpenSymbol(QPainter &p, Face face)
{
    QPainterPath back;
    back.moveTo(36, 44);
    back.lineTo(54, 44);
    back.lineTo(60, 50);
    back.lineTo(88, 50);
    back.lineTo(88, 86);
    back.lineTo(36, 86);
    back.closeSubpath();
    QPainterPath front;
    front.moveTo(42, 60);
    front.lineTo(98, 60);
    front.lineTo(88, 86);
    front.lineTo(34, 86);
    front.closeSubpath();
    p.setPen(SymbolOutline(face));
    p.setBrush(SymbolBrush(face, Amber, back.boundingRect()));
    p.drawPath(back);
    p.setBrush(SymbolBrush(face, Amber, front.boundingRect()));
    p.drawPath(front);
}

// A floppy disk.
void SaveSymbol(QPainter &p, Face face)
{
    QPainterPath body;
    body.moveTo(40, 38);
    body.lineTo(82, 38);
    body.lineTo(90, 46);
    body.lineTo(90, 90);
    body.lineTo(40, 90);
    body.closeSubpath();
    p.setPen(SymbolOutline(face));
    p.setBrush(SymbolBrush(face, Cyan, body.boundingRect()));
    p.drawPath(body);
    // The shutter and the label, dark on the lit body.
    const QColor ink = face == Face::Disabled ? QColor(140, 140, 140) : QColor(12, 30, 46);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRect(QRectF(50, 40, 26, 16));
    p.setBrush(SymbolBrush(face, Cyan, body.boundingRect()));
    p.drawRect(QRectF(66, 43, 6, 10));
    p.setBrush(ink);
    p.drawRoundedRect(QRectF(47, 64, 36, 22), 3, 3);
}

// A MIDI socket: five pins in a half circle and the key notch.
void MidiSymbol(QPainter &p, Face face)
{
    const QPointF c(64, 64);
    p.setPen(SymbolOutline(face));
    p.setBrush(SymbolBrush(face, Green, QRectF(36, 36, 56, 56)));
    p.drawEllipse(c, 27, 27);
    const QColor ink = face == Face::Disabled ? QColor(130, 130, 130) : QColor(8, 40, 18);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    for (int i = 0; i < 5; ++i) {
        const double angle = (180.0 + 45.0 * i) * M_PI / 180.0;
        p.drawEllipse(c + QPointF(17 * std::cos(angle), -17 * std::sin(angle)) * -1.0, 4.2, 4.2);
    }
    p.drawRoundedRect(QRectF(c.x() - 5, c.y() + 19, 10, 8), 1.5, 1.5);
}

// An eraser wiping across a grid.
void ClearSymbol(QPainter &p, Face face)
{
    p.setPen(QPen(face == Face::Disabled ? QColor(150, 150, 150) : QColor(200, 190, 170, 150), 2.5));
    for (int i = 0; i < 3; ++i) {
        p.drawLine(QPointF(38, 52 + 14 * i), QPointF(90, 52 + 14 * i));
        p.drawLine(QPointF(46 + 18 * i, 44), QPointF(46 + 18 * i, 88));
    }
    p.save();
    p.translate(64, 64);
    p.rotate(-35);
    const QRectF eraser(-26, -12, 52, 24);
    p.setPen(SymbolOutline(face));
    p.setBrush(SymbolBrush(face, Red, eraser));
    p.drawRoundedRect(eraser, 5, 5);
    p.setBrush(face == Face::Disabled ? QColor(210, 210, 210) : QColor(236, 230, 220));
    p.drawRoundedRect(QRectF(8, -12, 18, 24), 5, 5);
    p.restore();
}

// The strip's transparent colour is white, read from its top-left pixel: only
// pixels left fully clear become pure white; soft edges are blended onto the
// dark panel the buttons sit on, so no light fringe shows around them.
QImage OnWhiteKey(const QImage &frame)
{
    const QColor panel(44, 45, 49);
    QImage out(frame.size(), QImage::Format_RGB32);
    const QImage straight = frame.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            const QColor c = QColor::fromRgba(straight.pixel(x, y));
            QRgb rgb = qRgb(255, 255, 255);
            if (c.alpha() > 0) {
                rgb = Mix(panel, c, c.alphaF()).rgb();
                if ((rgb & RGB_MASK) == 0xFFFFFF)
                    rgb = qRgb(254, 254, 254);
            }
            out.setPixel(x, y, rgb);
        }
    }
    return out;
}

QImage ButtonStrip(const TLight &light, const std::function<void(QPainter &, Face)> &symbol)
{
    QImage strip(4 * ButtonSize, ButtonSize, QImage::Format_RGB32);
    QPainter p(&strip);
    const Face faces[] = {Face::Normal, Face::Hover, Face::Pressed, Face::Disabled};
    for (int i = 0; i < 4; ++i)
        p.drawImage(ButtonSize * i, 0, OnWhiteKey(ButtonFrame(faces[i], light, symbol)));
    p.end();
    return strip;
}

// ------------------------------------------------------------- markers

constexpr int MarkerSize = 16;
constexpr int MarkerScale = 8;

// A round badge, 16 x 16, painted at 8 x 8 scale.
QImage Badge(const QColor &light, const QColor &dark, const std::function<void(QPainter &)> &symbol)
{
    const int size = MarkerSize * MarkerScale;
    QImage large = NewCanvas(size, size);
    QPainter p(&large);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient body(QPointF(size * 0.38, size * 0.32), size * 0.7);
    body.setColorAt(0.0, light);
    body.setColorAt(1.0, dark);
    p.setPen(QPen(dark.darker(160), 6));
    p.setBrush(body);
    p.drawEllipse(QRectF(4, 4, size - 8, size - 8));
    symbol(p);
    p.end();
    return Reduce(large, MarkerSize, MarkerSize).convertToFormat(QImage::Format_ARGB32);
}

// The end of the pattern: a final bar line, thin and thick, on red.
QImage EndMarker()
{
    return Badge(QColor(255, 120, 110), QColor(170, 16, 20), [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(40, 32, 7, 64));
        p.drawRect(QRectF(60, 32, 28, 64));
    });
}

// The loop back to the beginning: a repeat sign, bars and two dots, on green.
QImage LoopMarker()
{
    return Badge(QColor(130, 235, 140), QColor(16, 120, 44), [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(42, 52), 8, 8);
        p.drawEllipse(QPointF(42, 76), 8, 8);
        p.drawRect(QRectF(60, 32, 9, 64));
        p.drawRect(QRectF(76, 32, 18, 64));
    });
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QDir folder;
    if (const int failed = OpenOutputFolder(argc, argv, 1, "make_pattern_pictures <folder>", folder))
        return failed;
    const bool ok = Save(ButtonStrip(Amber, OpenSymbol), folder, "open.png") &&
                    Save(ButtonStrip(Cyan, SaveSymbol), folder, "save.png") &&
                    Save(ButtonStrip(Green, MidiSymbol), folder, "savemidi.png") &&
                    Save(ButtonStrip(Red, ClearSymbol), folder, "clear.png") && Save(EndMarker(), folder, "end.png") &&
                    Save(LoopMarker(), folder, "loop.png");
    return ok ? 0 : 1;
}
