#include "ui/Controls.h"
#include "ui/PanelResources.h"

#include "model/Declare.h"
#include "platform/Exception.h"
#include "ui/Colors.h"

#include <QApplication>
#include <QDir>
#include <QImageReader>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QtMath>

#include <algorithm>
#include <vector>

namespace {

constexpr char HintProperty[] = "hint";
constexpr char ShowHintProperty[] = "showHint";

constexpr uint32_t ListGround = 0xFFFBF0;
constexpr uint32_t Navy = 0x800000;
constexpr uint32_t Red = 0x0000FF;
constexpr uint32_t Black = 0x000000;
constexpr uint32_t White = 0xFFFFFF;

// Draws every line itself: the lists' look is part of the panel's design,
// not the desktop theme's.
class TOwnerDrawDelegate : public QStyledItemDelegate {
public:
    explicit TOwnerDrawDelegate(TOwnerDrawList *list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QRect line = option.rect;
        const bool selected = option.state & QStyle::State_Selected;
        const bool hot = option.state & QStyle::State_MouseOver;
        painter->save();
        if (selected) {
            QLinearGradient gradient(line.topLeft(), line.bottomLeft());
            gradient.setColorAt(0, ColorFromBgr(Navy));
            gradient.setColorAt(1, ColorFromBgr(ListGround));
            painter->fillRect(line, gradient);
        } else {
            painter->fillRect(line, ColorFromBgr(ListGround));
        }
        painter->setFont(option.font);
        painter->setPen(ColorFromBgr(selected ? White : hot ? Red : Black));
        painter->drawText(line.adjusted(4, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        return QSize(option.rect.width(), list_->ItemHeight());
    }

private:
    const TOwnerDrawList *list_;
};

} // namespace

void SetHint(QWidget *control, const QString &hint)
{
    control->setProperty(HintProperty, hint);
}

QString HintOf(const QWidget *control)
{
    return control->property(HintProperty).toString();
}

void SetShowHint(QWidget *control, bool show)
{
    control->setProperty(ShowHintProperty, show);
}

bool ShowsHint(const QWidget *control)
{
    const QVariant show = control->property(ShowHintProperty);
    return !show.isValid() || show.toBool();
}

QFont VerdanaFont(int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

namespace {

void PaintPanelFace(QPainter &painter, const QSize &size)
{
    QLinearGradient face(0, 0, 0, size.height());
    face.setColorAt(0.0, QColor(0x46, 0x47, 0x4c));
    face.setColorAt(0.18, QColor(0x2c, 0x2d, 0x31));
    face.setColorAt(1.0, QColor(0x16, 0x16, 0x19));
    painter.fillRect(QRect(QPoint(0, 0), size), face);
    // A bevel: light along the top and left edges, dark along the others.
    const int right = size.width() - 1;
    const int bottom = size.height() - 1;
    painter.setPen(QColor(255, 255, 255, 60));
    painter.drawLine(0, 0, right, 0);
    painter.drawLine(0, 0, 0, bottom);
    painter.setPen(QColor(0, 0, 0, 160));
    painter.drawLine(0, bottom, right, bottom);
    painter.drawLine(right, 0, right, bottom);
}

QImage PanelFace(const QSize &size, qreal ratio)
{
    QImage face(QSize(qCeil(size.width() * ratio), qCeil(size.height() * ratio)), QImage::Format_ARGB32_Premultiplied);
    face.setDevicePixelRatio(ratio);
    QPainter painter(&face);
    PaintPanelFace(painter, size);
    return face;
}

struct TFaceAhead {
    QSize Size;
    qreal Ratio;
    std::shared_ptr<platform::TMadeAhead<QImage>> Face;
};

// Begun on the thread that makes the windows, and taken there.
std::vector<TFaceAhead> &FacesAhead()
{
    static std::vector<TFaceAhead> faces;
    return faces;
}

QImage TakePanelFace(const QSize &size, qreal ratio)
{
    std::vector<TFaceAhead> &faces = FacesAhead();
    const auto ahead = std::find_if(faces.begin(), faces.end(),
                                    [&](const TFaceAhead &f) { return f.Size == size && f.Ratio == ratio; });
    if (ahead == faces.end())
        return PanelFace(size, ratio);
    const QImage face = ahead->Face->Take();
    faces.erase(ahead);
    return face;
}

} // namespace

TPanel::TPanel(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
}

std::shared_ptr<platform::TEarlyWork> TPanel::PaintFaceAhead(const QSize &size, qreal ratio)
{
    auto face =
        std::make_shared<platform::TMadeAhead<QImage>>([size, ratio](QImage &face) { face = PanelFace(size, ratio); });
    FacesAhead().push_back({size, ratio, face});
    return face->Work();
}

void TPanel::paintEvent(QPaintEvent *)
{
    const qreal ratio = devicePixelRatioF();
    if (FFace.deviceIndependentSize() != QSizeF(size()) || FFace.devicePixelRatio() != ratio)
        FFace = TakePanelFace(size(), ratio);
    QPainter(this).drawImage(0, 0, FFace);
}

void TPanel::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    emit OnMouseMove(event->modifiers(), at.x(), at.y());
}

TPanelGroup::TPanelGroup(QWidget *parent) : QGroupBox(parent) {}

void TPanelGroup::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(font());
    const QFontMetrics metrics(font());
    const int titleLeft = 12;
    const QRect titleRect(titleLeft - 3, 0, metrics.horizontalAdvance(title()) + 6, metrics.height());
    const QRectF frame = QRectF(rect()).adjusted(0.5, metrics.height() / 2.0, -0.5, -0.5);

    QLinearGradient face(frame.topLeft(), frame.bottomLeft());
    face.setColorAt(0, QColor(255, 255, 255, 14));
    face.setColorAt(1, QColor(0, 0, 0, 60));
    painter.setPen(Qt::NoPen);
    painter.setBrush(face);
    painter.drawRoundedRect(frame, 6, 6);
    // The edge stops either side of the title.
    painter.setClipRegion(QRegion(rect()).subtracted(titleRect));
    painter.setPen(QColor(255, 255, 255, 48));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(frame, 6, 6);
    painter.setClipping(false);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(titleRect, Qt::AlignCenter | Qt::TextSingleLine, title());
}

TDisplayLabel::TDisplayLabel(QWidget *parent) : QLabel(parent)
{
    setIndent(7);
}

void TDisplayLabel::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QLinearGradient glass(0, 0, 0, height());
        glass.setColorAt(0, QColor(0xff, 0xfd, 0xf5));
        glass.setColorAt(1, QColor(0xec, 0xe4, 0xcf));
        painter.setPen(QColor(0x0b, 0x0b, 0x0d));
        painter.setBrush(glass);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    }
    QLabel::paintEvent(event);
}

TImage::TImage(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setMouseTracking(true);
}

void TImage::setPicture(const QImage &picture)
{
    FPicture = picture;
    update();
}

void TImage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, FPicture);
}

void TImage::mousePressEvent(QMouseEvent *event)
{
    FLeftPressed = event->button() == Qt::LeftButton;
}

void TImage::mouseReleaseEvent(QMouseEvent *event)
{
    const bool clicked = FLeftPressed && event->button() == Qt::LeftButton;
    FLeftPressed = false;
    if (clicked && rect().contains(event->position().toPoint()))
        emit OnClick();
}

void TImage::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    emit OnMouseMove(event->modifiers(), at.x(), at.y());
}

TImage32::TImage32(QWidget *parent) : QWidget(parent) {}

void TImage32::setBitmap(const QImage &bitmap)
{
    FBitmap = bitmap.convertToFormat(QImage::Format_RGB32);
    update();
}

void TImage32::Clear(uint32_t color)
{
    QImage bitmap(size().isEmpty() ? QSize(1, 1) : size(), QImage::Format_RGB32);
    bitmap.fill(ColorFromBgr(color));
    setBitmap(bitmap);
}

void TImage32::LoadFromFile(const QString &fileName)
{
    QString error;
    const QImage picture = ReadPicture(fileName, &error);
    if (picture.isNull())
        throw platform::Exception((model::Language == 1 ? QStringLiteral("Cannot read the picture %1: %2")
                                                        : QStringLiteral("Impossible de lire l'image %1 : %2"))
                                      .arg(QDir::toNativeSeparators(fileName), error));
    setBitmap(picture);
}

void TImage32::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (FBitmap.isNull())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), FBitmap);
}

TOwnerDrawList::TOwnerDrawList(QWidget *parent) : QListWidget(parent)
{
    setItemDelegate(new TOwnerDrawDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_Hover);
    viewport()->setCursor(Qt::PointingHandCursor);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, ColorFromBgr(ListGround));
    setPalette(colours);
    setFont(VerdanaFont(11));
}

void TOwnerDrawList::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        FLeftPressed = true;
    event->accept();
}

void TOwnerDrawList::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click: the next release is a click too.
    mousePressEvent(event);
}

void TOwnerDrawList::mouseMoveEvent(QMouseEvent *event)
{
    // A held button would drag the selection along; only the hot line follows.
    if (event->buttons() != Qt::NoButton) {
        event->accept();
        return;
    }
    QListWidget::mouseMoveEvent(event);
}

void TOwnerDrawList::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || !FLeftPressed)
        return;
    FLeftPressed = false;
    const QModelIndex line = indexAt(event->position().toPoint());
    if (!line.isValid())
        return;
    setCurrentRow(line.row());
    emit OnClick();
}

void TOwnerDrawList::setItemHeight(int height)
{
    FItemHeight = height;
    // The delegate's size changed: have the view measure its lines again.
    doItemsLayout();
}

int TOwnerDrawList::ItemIndex() const
{
    const QListWidgetItem *item = currentItem();
    return item && item->isSelected() ? row(item) : -1;
}

void TOwnerDrawList::setItemIndex(int index)
{
    if (index >= 0 && index < count()) {
        setCurrentRow(index);
        return;
    }
    clearSelection();
    setCurrentItem(nullptr);
}

TImageList::TImageList(const QImage &strip, int width, QObject *parent) : QObject(parent)
{
    for (int left = 0; width > 0 && left + width <= strip.width(); left += width)
        FPictures << strip.copy(left, 0, width, strip.height());
}

QImage TImageList::Picture(int index) const
{
    return FPictures.value(index);
}

QIcon TImageList::Icon(int index) const
{
    const QImage picture = Picture(index);
    return picture.isNull() ? QIcon() : QIcon(QPixmap::fromImage(picture));
}

bool IsFirstKeyReceiver(const QWidget *window, const QObject *receiver)
{
    if (!receiver->isWidgetType())
        return false;
    const auto *widget = static_cast<const QWidget *>(receiver);
    if (widget->window() != window)
        return false;
    const QWidget *focus = QApplication::focusWidget();
    return focus && focus->window() == window ? widget == focus : widget == window;
}

QIcon TPanelStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption *option, const QWidget *widget) const
{
    if (standardIcon != SP_ToolBarHorizontalExtensionButton && standardIcon != SP_ToolBarVerticalExtensionButton)
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    // A double chevron pointing where the hidden entries are.
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.5));
    if (standardIcon == SP_ToolBarVerticalExtensionButton) {
        painter.translate(16, 0);
        painter.rotate(90);
    }
    for (const qreal x : {4.0, 9.0}) {
        const QPointF chevron[] = {{x, 4}, {x + 3.5, 8}, {x, 12}};
        painter.drawPolyline(chevron, 3);
    }
    return QIcon(pixmap);
}

int TPanelStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                           QStyleHintReturn *returnData) const
{
    if (hint == SH_ComboBox_Popup)
        return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
