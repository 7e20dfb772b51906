#include "ui/ImgButton.h"

#include "ui/Colors.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

uint32_t TopLeftColor(const QImage &glyph)
{
    return BgrFromColor(QColor::fromRgb(glyph.pixel(0, 0)));
}

} // namespace

TImgBtn::TImgBtn(QWidget *parent) : QWidget(parent)
{
    // Undrawn pixels must show the panel, not a background of our own.
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    resize(FFrameWidth, FFrameHeight);
}

void TImgBtn::setGlyph(const QImage &glyph)
{
    FGlyph = glyph;
    FFrameHeight = glyph.height();
    FFrameWidth = glyph.width() / 4;
    if (!glyph.isNull())
        FTransparentColor = TopLeftColor(glyph);
    SplitFrames();
    update();
}

void TImgBtn::setTransparentColor(uint32_t color)
{
    FTransparentColor = color;
    update();
}

void TImgBtn::setTransparent(bool on)
{
    FTransparent = on;
    update();
}

int TImgBtn::ShownFrame() const
{
    if (!isEnabled())
        return FrameDisabled;
    switch (FState) {
    case ibsPressed:
        return FramePressed;
    case ibsHover:
        return FrameHover;
    case ibsNormal:
        break;
    }
    return FrameNormal;
}

void TImgBtn::SplitFrames()
{
    for (int i = 0; i < 4; ++i)
        FFrames[i] = FGlyph.copy(i * FFrameWidth, 0, FFrameWidth, FFrameHeight);
    // The strip decides the size: a button larger than a frame would show
    // nothing in the rest, a smaller one would cut the picture.
    setFixedSize(FFrameWidth, FFrameHeight);
}

QImage TImgBtn::MaskedFrame(int index) const
{
    QImage frame = FFrames[index].convertToFormat(QImage::Format_ARGB32);
    if (!FTransparent)
        return frame;
    const QRgb key = ColorFromBgr(FTransparentColor).rgb() & RGB_MASK;
    for (int y = 0; y < frame.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(frame.scanLine(y));
        for (int x = 0; x < frame.width(); ++x)
            if ((line[x] & RGB_MASK) == key)
                line[x] = 0;
    }
    return frame;
}

void TImgBtn::paintEvent(QPaintEvent *)
{
    if (FGlyph.isNull())
        return;
    // The glyph's corner pixel wins over a stored colour, so a strip always
    // brings its own transparent colour with it.
    FTransparentColor = TopLeftColor(FGlyph);
    QPainter painter(this);
    painter.drawImage(0, 0, MaskedFrame(ShownFrame()));
}

void TImgBtn::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        repaint();
}

void TImgBtn::ShowState(TImgBtnState state)
{
    FState = state;
    repaint();
}

void TImgBtn::enterEvent(QEnterEvent *event)
{
    if (!isEnabled())
        return;
    QWidget::enterEvent(event);
    ShowState(ibsHover);
    emit OnMouseEnter(this);
}

void TImgBtn::leaveEvent(QEvent *event)
{
    if (!isEnabled())
        return;
    QWidget::leaveEvent(event);
    ShowState(ibsNormal);
    emit OnMouseLeave(this);
}

void TImgBtn::mousePressEvent(QMouseEvent *event)
{
    FLeftPressed = event->button() == Qt::LeftButton;
    const QPoint at = event->position().toPoint();
    emit OnMouseDown(this, event->button(), event->modifiers(), at.x(), at.y());
    if (event->button() == Qt::LeftButton)
        ShowState(ibsPressed);
}

void TImgBtn::mouseReleaseEvent(QMouseEvent *event)
{
    const bool clicked = FLeftPressed && event->button() == Qt::LeftButton;
    if (event->button() == Qt::LeftButton)
        FLeftPressed = false;
    const QPoint at = event->position().toPoint();
    emit OnMouseUp(this, event->button(), event->modifiers(), at.x(), at.y());
    // Back to normal even with the mouse still over the button: the hover
    // frame returns only when the mouse leaves and comes back.
    if (event->button() == Qt::LeftButton)
        ShowState(ibsNormal);
    if (clicked && rect().contains(at))
        emit OnClick(this);
}

void TImgBtn::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    emit OnMouseMove(this, event->modifiers(), at.x(), at.y());
}
