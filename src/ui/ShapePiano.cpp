#include "ui/ShapePiano.h"

#include "ui/Colors.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

// origin + floor(extent * num / den) for the extents a key has. Truncating
// the exact rational keeps 19 * 6 / 11 at 10 where binary floating point
// could land a hair either side of a whole number.
int Fraction(int origin, int extent, int num, int den)
{
    return (origin * den + extent * num) / den;
}

QPolygon KeyPolygon(TShapePianoType shape, int x, int y, int x2, int y2)
{
    const int right = x + x2;
    const int bottom = y + y2;
    const int notchY = Fraction(y, y2, 22, 35); // where the black keys end
    const auto fx = [&](int num, int den) { return Fraction(x, x2, num, den); };
    // A white key cut on both sides, between its left black key ending at
    // leftCut and its right one starting at rightCut.
    const auto cutBothSides = [&](int leftCut, int rightCut) {
        return QPolygon({{leftCut, y},
                         {rightCut, y},
                         {rightCut, notchY},
                         {right, notchY},
                         {right, bottom},
                         {x, bottom},
                         {x, notchY},
                         {leftCut, notchY}});
    };
    // A white key with a black key on its left only.
    const auto cutLeft = [&](int leftCut) {
        return QPolygon({{leftCut, y}, {right, y}, {right, bottom}, {x, bottom}, {x, notchY}, {leftCut, notchY}});
    };
    switch (shape) {
    case Piano_C:
        return QPolygon({{x, y}, {fx(6, 11), y}, {fx(6, 11), notchY}, {right, notchY}, {right, bottom}, {x, bottom}});
    case Piano_D:
        return cutBothSides(fx(3, 11), fx(8, 11));
    case Piano_E:
        return cutLeft(fx(5, 11));
    case Piano_A:
        return cutBothSides(fx(4, 11), fx(8, 11));
    case Piano_B:
        return cutLeft(fx(1, 2));
    case jstRectangle:
    case jstRoundRect:
        break;
    }
    return {};
}

} // namespace

ShapePianoOutline ShapePianoGeometry(TShapePianoType shape, int width, int height, int penWidth)
{
    // Half the pen lies outside the path, so the path is inset to keep a
    // thick outline inside the control.
    const int x = penWidth / 2;
    const int y = x;
    int w = width - penWidth + 1;
    int h = height - penWidth + 1;
    if (penWidth == 0) {
        --w;
        --h;
    }
    const int s = w < h ? w : h;
    const int x2 = x + w - 1;
    const int y2 = y + h - 1;

    ShapePianoOutline outline;
    outline.topLeft = QPoint(x, y);
    outline.bottomRight = QPoint(x + w, y + h);
    if (shape == jstRoundRect)
        outline.corner = s / 4;
    outline.points = KeyPolygon(shape, x, y, x2, y2);
    return outline;
}

TShapePiano::TShapePiano(QWidget *parent) : QWidget(parent)
{
    // Nothing is painted outside the shape, so the keyboard case behind the
    // keys shows through the notches and round corners.
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setMouseTracking(true);
    resize(22, 105);
}

void TShapePiano::setBrushColor(uint32_t color)
{
    if (FHovered)
        FSavedColor = color;
    Fill(color);
}

void TShapePiano::Fill(uint32_t color)
{
    FBrushColor = color;
    update();
}

void TShapePiano::setPenWidth(int width)
{
    FPenWidth = width < 0 ? 0 : width;
    update();
}

void TShapePiano::setPenStyle(Qt::PenStyle style)
{
    FPenStyle = style;
    update();
}

void TShapePiano::setPenColor(uint32_t color)
{
    FPenColor = color;
    update();
}

void TShapePiano::setShape(TShapePianoType shape)
{
    if (FShape == shape)
        return;
    FShape = shape;
    update();
}

void TShapePiano::setCaption(const QString &caption)
{
    if (FCaption == caption)
        return;
    FCaption = caption;
    update();
}

void TShapePiano::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // Aliased on purpose: keys sit one or two pixels apart, and soft edges
    // would smear the gaps that show the case between them.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(ColorFromBgr(FBrushColor));
    if (FPenStyle == Qt::NoPen) {
        painter.setPen(Qt::NoPen);
    } else {
        QPen pen(ColorFromBgr(FPenColor), FPenWidth, FPenStyle, Qt::SquareCap, Qt::MiterJoin);
        painter.setPen(pen);
    }

    const ShapePianoOutline outline = ShapePianoGeometry(FShape, width(), height(), FPenWidth);
    // The rectangle's right and bottom edges are excluded: a path one pixel
    // narrower fills exactly the pixels inside them, and a one-pixel pen
    // traced on it ends on the last included column and row.
    const QRect box(outline.topLeft, outline.bottomRight - QPoint(2, 2));
    switch (FShape) {
    case jstRectangle:
        painter.drawRect(box);
        break;
    case jstRoundRect:
        painter.drawRoundedRect(box, outline.corner / 2.0, outline.corner / 2.0);
        break;
    default:
        painter.drawPolygon(outline.points);
        break;
    }

    if (!FCaption.isEmpty()) {
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.setBackground(ColorFromBgr(FBrushColor));
        painter.setPen(palette().color(QPalette::WindowText));
        const QRect text(outline.topLeft, size());
        painter.drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, FCaption);
    }
}

void TShapePiano::enterEvent(QEnterEvent *event)
{
    // A key without hover stays silent, and its parent hears nothing either.
    if (!FHover)
        return;
    QWidget::enterEvent(event);
    if (!FHovered)
        FSavedColor = FBrushColor;
    FHovered = true;
    Fill(FOnHoverColor);
    emit OnEnter(this);
}

void TShapePiano::leaveEvent(QEvent *event)
{
    if (!FHover)
        return;
    QWidget::leaveEvent(event);
    FHovered = false;
    Fill(FSavedColor);
    emit OnLeave(this);
}

void TShapePiano::mousePressEvent(QMouseEvent *event)
{
    FLeftPressed = event->button() == Qt::LeftButton;
    const QPoint at = event->position().toPoint();
    emit OnMouseDown(this, event->button(), event->modifiers(), at.x(), at.y());
}

void TShapePiano::mouseReleaseEvent(QMouseEvent *event)
{
    const bool clicked = FLeftPressed;
    FLeftPressed = false;
    // Only the left button selects, and other buttons do not even report
    // their release: the windows read a key's mouse-up as "chosen".
    if (!isEnabled() || event->button() != Qt::LeftButton)
        return;
    SelectByClick();
    const QPoint at = event->position().toPoint();
    emit OnMouseUp(this, event->button(), event->modifiers(), at.x(), at.y());
    if (clicked && rect().contains(at))
        emit OnClick(this);
}

void TShapePiano::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    emit OnMouseMove(this, event->modifiers(), at.x(), at.y());
}

void TShapePiano::SelectByClick()
{
    if (!FClickSelect)
        return;
    FValue = FSwitch ? !FValue : true;
    const uint32_t fill = FValue ? FOnClickSelectColor : FOnClickUnselectColor;
    Fill(fill);
    // Leaving the key afterwards must keep the selection on show.
    FSavedColor = fill;
}
