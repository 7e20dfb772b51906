#include "ui/BalloonHint.h"

#include "ui/Controls.h"

#include <QApplication>
#include <QBitmap>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace {

constexpr char BalloonHeader[] = "Harmonova!";
constexpr int HideAfterDefault = 10000; // milliseconds

// Geometry of the balloon, in pixels.
constexpr int Padding = 8;
constexpr int IconSize = 18;
constexpr int IconGap = 6;
constexpr int CloseBoxSize = 14;
constexpr int HeaderGap = 4;
constexpr int StemHeight = 12;
constexpr int StemWidth = 14;
constexpr int StemInset = 14; // from the body's edge to the stem's near side
constexpr int Corner = 7;
// The tip stands just below the mouse's hot spot, so the pointer itself
// never rests on the balloon.
constexpr int TipBelowMouse = 3;

const QColor Fill(0xff, 0xff, 0xe6);
const QColor FillLow(0xfb, 0xf3, 0xc8);
const QColor Edge(0x55, 0x55, 0x55);
const QColor TextColour(0x10, 0x10, 0x10);
const QColor InfoBlue(0x1f, 0x5f, 0xc8);

QFont HeaderFont()
{
    return VerdanaFont(12, true);
}

QFont TextFont()
{
    return VerdanaFont(11);
}

// The information sign: a blue disc with a white "i".
void DrawInformationSign(QPainter &painter, const QRectF &box)
{
    painter.save();
    QRadialGradient disc(box.center() - QPointF(box.width() / 5, box.height() / 5), box.width() * 0.7);
    disc.setColorAt(0.0, InfoBlue.lighter(150));
    disc.setColorAt(1.0, InfoBlue.darker(120));
    painter.setBrush(disc);
    painter.setPen(QPen(InfoBlue.darker(170), 1.0));
    painter.drawEllipse(box.adjusted(0.5, 0.5, -0.5, -0.5));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    const double unit = box.width() / 18.0;
    painter.drawEllipse(QPointF(box.center().x(), box.top() + 5.0 * unit), 1.5 * unit, 1.5 * unit);
    painter.drawRoundedRect(QRectF(box.center().x() - 1.4 * unit, box.top() + 7.5 * unit, 2.8 * unit, 7.0 * unit),
                            0.6 * unit, 0.6 * unit);
    painter.restore();
}

} // namespace

// ---------------------------------------------------------------------------
// The balloon

TBalloonWindow::TBalloonWindow()
    // A frameless tool window above the others rather than a tool tip: the
    // window system forgets that a tool tip lets clicks through.
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput)
{
    setAttribute(Qt::WA_QuitOnClose, false);
    setObjectName("BalloonHint");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    FHeader = QString::fromLatin1(BalloonHeader);
}

void TBalloonWindow::Prepare(const QString &hint, const QPoint &tip)
{
    FLines = hint.split(QStringLiteral("\r\n"));
    const QFontMetrics header(HeaderFont());
    const QFontMetrics text(TextFont());
    int width = IconSize + IconGap + header.horizontalAdvance(FHeader) + IconGap + CloseBoxSize;
    for (const QString &line : FLines)
        width = qMax(width, text.horizontalAdvance(line));
    const int headerHeight = qMax(IconSize, header.height());
    const int height = headerHeight + HeaderGap + text.lineSpacing() * int(FLines.size());
    const QSize body(width + 2 * Padding, height + 2 * Padding);

    // Below the mouse when the screen has room, else above it; the body
    // slides left near the screen's right edge while the tip stays.
    const QScreen *screen = QGuiApplication::screenAt(tip);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), QSize(4096, 4096));
    FStemUp = tip.y() + TipBelowMouse + StemHeight + body.height() <= room.bottom();
    FTip = tip + QPoint(0, FStemUp ? TipBelowMouse : -TipBelowMouse);
    int left = FTip.x() - StemInset;
    left = qMin(left, room.right() - body.width());
    left = qMax(left, room.left());
    FStemX = FTip.x() - left;
    const int top = FStemUp ? FTip.y() : FTip.y() - StemHeight - body.height();
    FBody = QRect(QPoint(0, FStemUp ? StemHeight : 0), body);
    setGeometry(left, top, body.width(), body.height() + StemHeight);

    QBitmap mask(size());
    mask.fill(Qt::color0);
    QPainter painter(&mask);
    painter.setPen(Qt::color1);
    painter.setBrush(Qt::color1);
    painter.drawPath(Outline());
    painter.end();
    setMask(mask);
    FCloseHot = false;
    update();
}

QPainterPath TBalloonWindow::Outline() const
{
    QPainterPath body;
    body.addRoundedRect(QRectF(FBody).adjusted(0.5, 0.5, -0.5, -0.5), Corner, Corner);
    // The stem leans toward the tip from its near side.
    const double tipX = FStemX + 0.5;
    const double baseY = FStemUp ? FBody.top() + 1.0 : FBody.bottom();
    const double tipY = FStemUp ? 0.5 : height() - 0.5;
    const double nearSide = qBound<double>(FBody.left() + Corner, tipX, FBody.right() - Corner - StemWidth);
    QPainterPath stem;
    stem.moveTo(nearSide, baseY);
    stem.lineTo(tipX, tipY);
    stem.lineTo(nearSide + StemWidth, baseY);
    stem.closeSubpath();
    return body.united(stem).simplified();
}

QRect TBalloonWindow::LocalCloseBox() const
{
    return QRect(FBody.right() - Padding - CloseBoxSize + 1, FBody.top() + Padding, CloseBoxSize, CloseBoxSize);
}

QRect TBalloonWindow::CloseBoxRect() const
{
    return LocalCloseBox().translated(pos());
}

void TBalloonWindow::setCloseBoxHot(bool hot)
{
    if (hot == FCloseHot)
        return;
    FCloseHot = hot;
    update(LocalCloseBox());
}

void TBalloonWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, FBody.top(), 0, FBody.bottom());
    fill.setColorAt(0.0, Fill);
    fill.setColorAt(1.0, FillLow);
    painter.setBrush(fill);
    painter.setPen(QPen(Edge, 1.0));
    painter.drawPath(Outline());

    const QRect content = FBody.adjusted(Padding, Padding, -Padding, -Padding);
    const QFontMetrics header(HeaderFont());
    const int headerHeight = qMax(IconSize, header.height());
    DrawInformationSign(painter,
                        QRectF(content.left(), content.top() + (headerHeight - IconSize) / 2.0, IconSize, IconSize));
    painter.setPen(TextColour);
    painter.setFont(HeaderFont());
    painter.drawText(QRect(content.left() + IconSize + IconGap, content.top(), content.width(), headerHeight),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, FHeader);

    // The close box: a cross, framed while the mouse is on it.
    const QRectF box = QRectF(LocalCloseBox()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (FCloseHot) {
        painter.setBrush(QColor(0xe8, 0x4a, 0x3c));
        painter.setPen(QPen(QColor(0x9a, 0x22, 0x18), 1.0));
        painter.drawRoundedRect(box, 2, 2);
    }
    painter.setPen(QPen(FCloseHot ? Qt::white : Edge, 1.6, Qt::SolidLine, Qt::RoundCap));
    const QRectF cross = box.adjusted(3.5, 3.5, -3.5, -3.5);
    painter.drawLine(cross.topLeft(), cross.bottomRight());
    painter.drawLine(cross.topRight(), cross.bottomLeft());

    painter.setPen(TextColour);
    painter.setFont(TextFont());
    const QFontMetrics text(TextFont());
    int y = content.top() + headerHeight + HeaderGap;
    for (const QString &line : FLines) {
        painter.drawText(QRect(content.left(), y, content.width(), text.lineSpacing()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line);
        y += text.lineSpacing();
    }
}

// ---------------------------------------------------------------------------
// The hint component

TBalloonHint::TBalloonHint(QObject *parent) : QObject(parent), FBalloon(new TBalloonWindow)
{
    FHideTimer.setSingleShot(true);
    FHideTimer.setInterval(HideAfterDefault);
    connect(&FHideTimer, &QTimer::timeout, this, &TBalloonHint::Hide);
    qApp->installEventFilter(this);
}

TBalloonHint::~TBalloonHint()
{
    delete FBalloon;
}

bool TBalloonHint::ShowFor(QWidget *control, const QPoint &at)
{
    QWidget *hinted = control;
    while (hinted && (!ShowsHint(hinted) || HintOf(hinted).isEmpty()))
        hinted = hinted->isWindow() ? nullptr : hinted->parentWidget();
    if (!hinted)
        return false;
    FControl = hinted;
    FSwallowRelease = false;
    FBalloon->Prepare(HintOf(hinted), at);
    FBalloon->show();
    FBalloon->raise();

    FHideTimer.start();
    return true;
}

void TBalloonHint::Hide()
{
    FHideTimer.stop();
    FBalloon->hide();
    FControl = nullptr;
}

bool TBalloonHint::IsShown() const
{
    return FBalloon->isVisible();
}

bool TBalloonHint::KeepsBalloon(const QPoint &global) const
{
    if (!FControl || !FControl->isVisible())
        return false;
    const QRect control(FControl->mapToGlobal(QPoint(0, 0)), FControl->size());
    // The strip from the mouse to the tip joins the control to the balloon.
    const QPoint tip = FBalloon->Tip();
    const QRect stem = QRect(tip, tip).adjusted(-StemWidth, -2 * TipBelowMouse, StemWidth, 2 * TipBelowMouse);
    return control.contains(global) || FBalloon->geometry().contains(global) || stem.contains(global);
}

bool TBalloonHint::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ToolTip: {
        auto *control = qobject_cast<QWidget *>(watched);
        if (!control)
            return false;
        const QPoint at = static_cast<QHelpEvent *>(event)->globalPos();
        if (IsShown() && FControl && (FControl == control || FControl->isAncestorOf(control)))
            return true; // already on show for it
        return ShowFor(control, at);
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        if (!IsShown())
            return false;
        const QPoint at = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
        const bool onCloseBox = FBalloon->CloseBoxRect().contains(at);
        Hide();
        // The close box is the balloon's own: what lies under it gets nothing.
        FSwallowRelease = onCloseBox;
        return onCloseBox;
    }
    case QEvent::MouseButtonRelease:
        if (FSwallowRelease) {
            FSwallowRelease = false;
            return true;
        }
        return false;
    case QEvent::MouseMove:
        if (IsShown()) {
            const QPoint at = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
            if (KeepsBalloon(at))
                FBalloon->setCloseBoxHot(FBalloon->CloseBoxRect().contains(at));
            else
                Hide();
        }
        return false;
    case QEvent::KeyPress:
    case QEvent::Wheel:
    case QEvent::WindowDeactivate:
        if (IsShown())
            Hide();
        return false;
    case QEvent::Hide:
        if (IsShown() && watched == FControl)
            Hide();
        return false;
    default:
        return false;
    }
}
