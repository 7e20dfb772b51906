#pragma once

// The round button of the main window's play button, which the pattern
// editor's buttons take after: a domed graphite cap in a brushed-metal bezel,
// painted large (128 x 128) to be reduced to 32 x 32.
#include <QColor>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

enum class Face { Normal, Hover, Pressed, Disabled };

// What differs between the sets: the shadow's strength, and the greys of a
// disabled button, lighter or darker to suit the window it stands in.
struct TRoundLook {
    int shadowAlpha;
    QColor disabledBezel[3]; // top left, middle, bottom right
    QColor disabledWell;
    QColor disabledCap[2]; // centre, edge
};

// Paints shadow, bezel, well and cap on a size x size canvas; the cap is
// dished in while pressed. The symbol on the cap is the caller's.
inline void PaintRoundButton(QPainter &p, int size, Face face, const TRoundLook &look)
{
    const QPointF centre(size / 2.0, size / 2.0);
    const bool disabled = face == Face::Disabled;
    const bool pressed = face == Face::Pressed;

    // Soft drop shadow on the panel.
    QRadialGradient drop(centre + QPointF(0, 4), 62);
    drop.setColorAt(0.88, QColor(0, 0, 0, disabled ? 30 : look.shadowAlpha));
    drop.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.setBrush(drop);
    p.drawEllipse(centre + QPointF(0, 4), 62, 62);

    // Brushed-metal bezel, lit from the top left.
    QLinearGradient bezel(0, 0, size, size);
    bezel.setColorAt(0.0, disabled ? look.disabledBezel[0] : QColor(246, 246, 244));
    bezel.setColorAt(0.5, disabled ? look.disabledBezel[1] : QColor(168, 170, 172));
    bezel.setColorAt(1.0, disabled ? look.disabledBezel[2] : QColor(78, 80, 84));
    p.setBrush(bezel);
    p.drawEllipse(centre, 59, 59);

    // The well the face sits in.
    p.setBrush(disabled ? look.disabledWell : QColor(14, 15, 17));
    p.drawEllipse(centre, 51, 51);

    // The face: a domed graphite cap.
    QRadialGradient cap(centre + QPointF(-14, pressed ? 18 : -18), 70);
    QColor inner, outer;
    switch (face) {
    case Face::Normal:
        inner = QColor(92, 100, 108);
        outer = QColor(22, 25, 28);
        break;
    case Face::Hover:
        inner = QColor(116, 126, 136);
        outer = QColor(32, 36, 40);
        break;
    case Face::Pressed:
        inner = QColor(62, 68, 74);
        outer = QColor(12, 13, 15);
        break;
    case Face::Disabled:
        inner = look.disabledCap[0];
        outer = look.disabledCap[1];
        break;
    }
    cap.setColorAt(0.0, inner);
    cap.setColorAt(1.0, outer);
    p.setBrush(cap);
    p.drawEllipse(centre, 48, 48);
}
