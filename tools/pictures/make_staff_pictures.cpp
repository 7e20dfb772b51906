// Paints the staff pictures (clefs, note, sharp, flat) as PNG files with
// transparent backgrounds. Run it once after changing a shape and commit the
// pictures:  cmake --build <build> --target staff_pictures
//
// Each picture is painted 16 times larger and then reduced by averaging every
// 16 x 16 block, which gives engraved-looking edges at the small sizes the
// staff uses. The clefs are written with a round pen whose width changes
// along the stroke, as an engraver's curves thicken and thin.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <cstdio>
#include <functional>

namespace {

constexpr int Scale = 16;

using Paint = std::function<void(QPainter &)>;

// Averages each Scale x Scale block; premultiplied pixels average correctly.
QImage Reduce(const QImage &big)
{
    QImage small(big.width() / Scale, big.height() / Scale, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < small.height(); ++y) {
        for (int x = 0; x < small.width(); ++x) {
            int sum[4] = {0, 0, 0, 0};
            for (int dy = 0; dy < Scale; ++dy) {
                const auto *row = reinterpret_cast<const QRgb *>(big.constScanLine(y * Scale + dy));
                for (int dx = 0; dx < Scale; ++dx) {
                    const QRgb p = row[x * Scale + dx];
                    sum[0] += qRed(p);
                    sum[1] += qGreen(p);
                    sum[2] += qBlue(p);
                    sum[3] += qAlpha(p);
                }
            }
            const int n = Scale * Scale;
            const auto avg = [n](int s) { return (s + n / 2) / n; };
            reinterpret_cast<QRgb *>(small.scanLine(y))[x] = qRgba(avg(sum[0]), avg(sum[1]), avg(sum[2]), avg(sum[3]));
        }
    }
    return small;
}

// Paints in the picture's own pixel coordinates (fractions allowed).
QImage Render(int width, int height, const Paint &paint)
{
    QImage big(width * Scale, height * Scale, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);
    QPainter p(&big);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(Scale, Scale);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    paint(p);
    p.end();
    return Reduce(big);
}

// One curve of a pen stroke: a cubic from p0 to p3 whose width runs from w0 to w1.
struct Curve {
    QPointF p0, c1, c2, p3;
    double w0, w1;
};

QPointF Bezier(const Curve &c, double t)
{
    const double u = 1 - t;
    return u * u * u * c.p0 + 3 * u * u * t * c.c1 + 3 * u * t * t * c.c2 + t * t * t * c.p3;
}

// A pen follows the curve; the width eases between its ends so joins stay smooth.
void Stroke(QPainter &p, const Curve &c)
{
    constexpr int Steps = 600;
    for (int i = 0; i <= Steps; ++i) {
        const double t = double(i) / Steps;
        const double ease = t * t * (3 - 2 * t);
        const double r = (c.w0 + (c.w1 - c.w0) * ease) / 2;
        p.drawEllipse(Bezier(c, t), r, r);
    }
}

// Staff-space coordinates (x right, y up from the clef's own line) to picture
// pixels. Clefs are a little narrower than they are tall so they fit in
// front of the first note's accidental.
struct Frame {
    double originX, originY; // where the clef's line crosses x = 0, in pixels
    double unitX, unitY;     // pixels per staff space
    QPointF operator()(double x, double y) const { return {originX + x * unitX, originY - y * unitY}; }
    double Width(double w) const { return w * (unitX + unitY) / 2; }
};

void Stroke(QPainter &p, const Frame &f, std::initializer_list<double> xy, double w0, double w1)
{
    const double *v = std::data(xy);
    Stroke(p, {f(v[0], v[1]), f(v[2], v[3]), f(v[4], v[5]), f(v[6], v[7]), f.Width(w0), f.Width(w1)});
}

void Dot(QPainter &p, QPointF centre, double radius)
{
    p.drawEllipse(centre, radius, radius);
}

// The treble clef curls round the G line, which the staff places on row 55 of
// the picture (drawn at y 85, line at y 140).
void TrebleClef(QPainter &p)
{
    const Frame f{1.2, 55.5, 9.6, 12.0};
    // The spiral, from its inner end outwards.
    Stroke(p, f, {1.62, 0.50, 1.98, 0.62, 2.36, 0.28, 2.38, -0.12}, 0.30, 0.17);
    Stroke(p, f, {2.38, -0.12, 2.40, -0.64, 1.92, -1.08, 1.30, -1.08}, 0.17, 0.10);
    Stroke(p, f, {1.30, -1.08, 0.60, -1.08, 0.14, -0.62, 0.14, 0.02}, 0.10, 0.46);
    Stroke(p, f, {0.14, 0.02, 0.14, 0.74, 0.70, 1.24, 1.38, 1.32}, 0.46, 0.20);
    // The rising stroke and the upper loop.
    Stroke(p, f, {1.38, 1.32, 1.96, 1.42, 2.30, 2.04, 2.28, 2.62}, 0.20, 0.38);
    Stroke(p, f, {2.28, 2.62, 2.26, 3.42, 2.02, 4.42, 1.62, 4.44}, 0.38, 0.13);
    Stroke(p, f, {1.62, 4.44, 1.22, 4.46, 0.84, 3.82, 0.86, 3.10}, 0.13, 0.14);
    // The stem, falling through the crossing and the spiral.
    Stroke(p, f, {0.86, 3.10, 0.88, 2.36, 1.42, 1.90, 1.46, 1.18}, 0.14, 0.21);
    Stroke(p, f, {1.46, 1.18, 1.50, 0.30, 1.62, -0.80, 1.64, -1.62}, 0.21, 0.20);
    // The tail, ending in a ball.
    Stroke(p, f, {1.64, -1.62, 1.66, -2.22, 1.36, -2.50, 0.96, -2.50}, 0.20, 0.13);
    Stroke(p, f, {0.96, -2.50, 0.70, -2.50, 0.54, -2.32, 0.54, -2.08}, 0.13, 0.18);
    Dot(p, f(0.80, -1.98), f.Width(0.38));
}

// The bass clef's head sits on the F line, row 13 of the picture (drawn at
// y 95, line at y 108); its dots fall in the spaces 8 pixels above and below.
void BassClef(QPainter &p)
{
    const Frame f{1.0, 13.5, 9.6, 12.6};
    Dot(p, f(0.44, -0.02), f.Width(0.36));
    Stroke(p, f, {0.24, 0.10, 0.26, 0.70, 0.70, 0.98, 1.16, 0.98}, 0.14, 0.16);
    Stroke(p, f, {1.16, 0.98, 1.76, 0.98, 2.10, 0.54, 2.10, -0.10}, 0.16, 0.46);
    Stroke(p, f, {2.10, -0.10, 2.10, -1.12, 1.32, -1.92, 0.08, -2.56}, 0.46, 0.06);
    Dot(p, {25.6, 5.5}, 1.9);
    Dot(p, {25.6, 21.5}, 1.9);
}

// A black head tilted like an engraved crotchet, its centre on row 31 so the
// staff's reference point lands on it, and a stem rising from its right side.
void NoteHead(QPainter &p)
{
    const QPointF centre(6.0, 31.5);
    p.save();
    p.translate(centre);
    p.rotate(-20);
    p.drawEllipse(QPointF(0, 0), 6.15, 4.95);
    p.restore();
    p.drawRect(QRectF(10.75, 0.3, 1.25, 31.2));
}

// Two thin uprights, the right one higher, and two thick bars rising to the right.
void Sharp(QPainter &p)
{
    const double centre = 12.5;
    p.drawRect(QRectF(2.9, 2.6, 1.3, 21.2));
    p.drawRect(QRectF(6.8, 0.6, 1.3, 21.2));
    for (double bar : {centre - 4.0, centre + 4.0}) {
        QPainterPath b;
        b.moveTo(0.6, bar + 2.6);
        b.lineTo(10.4, bar + 0.2);
        b.lineTo(10.4, bar - 2.6);
        b.lineTo(0.6, bar - 0.2);
        b.closeSubpath();
        p.drawPath(b);
    }
}

// An upright stem with a bowl whose centre is on row 15, thin at the top and
// heavy where it sweeps back to the stem.
void Flat(QPainter &p)
{
    p.drawRect(QRectF(1.1, 0.4, 1.45, 22.8));
    QPainterPath bowl;
    bowl.setFillRule(Qt::OddEvenFill);
    bowl.moveTo(2.3, 13.0);
    bowl.cubicTo(4.6, 9.8, 10.7, 8.6, 10.7, 12.8);
    bowl.cubicTo(10.7, 16.8, 5.8, 20.4, 2.3, 23.2);
    bowl.closeSubpath();
    bowl.moveTo(2.3, 15.6);
    bowl.cubicTo(4.2, 13.0, 7.4, 11.8, 7.4, 13.8);
    bowl.cubicTo(7.4, 15.8, 4.8, 18.4, 2.3, 20.2);
    bowl.closeSubpath();
    p.drawPath(bowl);
}

struct Picture {
    const char *file;
    int width, height;
    void (*paint)(QPainter &);
};

constexpr Picture Pictures[] = {
    {"treble-clef.png", 28, 88, TrebleClef},
    {"bass-clef.png", 28, 46, BassClef},
    {"note.png", 12, 37, NoteHead},
    {"sharp.png", 11, 24, Sharp},
    {"flat.png", 11, 24, Flat},
};

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s output-folder\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(".")) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    for (const Picture &pic : Pictures) {
        const QString path = out.filePath(pic.file);
        if (!Render(pic.width, pic.height, pic.paint).save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
