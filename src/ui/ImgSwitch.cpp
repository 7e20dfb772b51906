#include "ui/ImgSwitch.h"

#include "ui/PanelResources.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int CaptionGap = 4; // between the picture and its caption

} // namespace

TImgSwitch::TImgSwitch(QWidget *parent) : QWidget(parent)
{
    InitPanelResources();
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    // Every switch of the panel looks the same unless told otherwise.
    // Read once for all switches; the images share their pixels.
    static const QImage on = ReadPicture(QString::fromLatin1(PanelSwitchOnPicture));
    static const QImage off = ReadPicture(QString::fromLatin1(PanelSwitchOffPicture));
    FGlyphOn = on;
    FGlyphOff = off;
    FitToContents();
}

void TImgSwitch::setStateOn(bool on)
{
    if (FStateOn == on)
        return;
    FStateOn = on;
    repaint();
    if (on)
        emit OnOn();
    else
        emit OnOff();
}

void TImgSwitch::setGlyphOn(const QImage &glyph)
{
    FGlyphOn = glyph;
    FitToContents();
    update();
}

void TImgSwitch::setGlyphOff(const QImage &glyph)
{
    FGlyphOff = glyph;
    FitToContents();
    update();
}

void TImgSwitch::setCaption(const QString &caption)
{
    if (FCaption == caption)
        return;
    FCaption = caption;
    FitToContents();
    update();
}

QSize TImgSwitch::GlyphSize() const
{
    return FGlyphOn.size().expandedTo(FGlyphOff.size());
}

QSize TImgSwitch::sizeHint() const
{
    QSize size = GlyphSize();
    if (!FCaption.isEmpty()) {
        const QFontMetrics metrics(font());
        size.rwidth() += CaptionGap + metrics.horizontalAdvance(FCaption);
        size.rheight() = qMax(size.height(), metrics.height());
    }
    return size;
}

void TImgSwitch::FitToContents()
{
    resize(sizeHint());
}

void TImgSwitch::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        FitToContents();
}

void TImgSwitch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QImage &glyph = ShownGlyph();
    if (!isEnabled())
        painter.setOpacity(0.5);
    painter.drawImage(0, (height() - glyph.height()) / 2, glyph);
    painter.setOpacity(1.0);
    if (FCaption.isEmpty())
        return;
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect text(GlyphSize().width() + CaptionGap, 0, width(), height());
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, FCaption);
}

void TImgSwitch::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (event->button() != Qt::LeftButton) {
        emit OnMouseDown(event->button(), event->modifiers(), at.x(), at.y());
        return;
    }
    FLeftPressed = true;
    FPressOver = true;
    repaint();
}

void TImgSwitch::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (event->button() != Qt::LeftButton || !FLeftPressed) {
        emit OnMouseUp(event->button(), event->modifiers(), at.x(), at.y());
        return;
    }
    FLeftPressed = false;
    if (!rect().contains(at)) {
        repaint();
        emit OnMouseUp(event->button(), event->modifiers(), at.x(), at.y());
        return;
    }
    // The toggle comes first: mouse-down handlers redisplay from the new state.
    setStateOn(!FStateOn);
    emit OnMouseDown(event->button(), event->modifiers(), at.x(), at.y());
    emit OnMouseUp(event->button(), event->modifiers(), at.x(), at.y());
    emit OnClick();
}

void TImgSwitch::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (FLeftPressed && rect().contains(at) != FPressOver) {
        FPressOver = !FPressOver;
        repaint();
    }
    emit OnMouseMove(event->modifiers(), at.x(), at.y());
}
