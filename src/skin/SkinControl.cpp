#include "skin/SkinControl.h"

#include "skin/BitmapHelpers.h"
#include "skin/RadEzarArov.h"
#include "skin/RuzOzodOvez.h"
#include "skin/SkinDraw.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMetaProperty>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionComplex>

namespace skin {

TMessage TranslateMessage(QObject *target, QEvent *event)
{
    TMessage m;
    m.Target = target;
    m.Event = event;
    const int type = int(event->type());
    switch (event->type()) {
    case QEvent::Paint:
        m.Msg = WM_PAINT;
        break;
    case QEvent::FocusIn:
        m.Msg = WM_SETFOCUS;
        break;
    case QEvent::FocusOut:
        m.Msg = WM_KILLFOCUS;
        break;
    case QEvent::EnabledChange:
        m.Msg = CM_ENABLEDCHANGED;
        break;
    case QEvent::Enter:
        m.Msg = CM_MOUSEENTER;
        break;
    case QEvent::Leave:
        m.Msg = CM_MOUSELEAVE;
        break;
    case QEvent::MouseMove:
        m.Msg = WM_MOUSEMOVE;
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        // Only the left button counts as a click; the others are left to the
        // control as messages the skinners ignore.
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            m.Msg = event->type() == QEvent::MouseButtonPress     ? WM_LBUTTONDOWN
                    : event->type() == QEvent::MouseButtonRelease ? WM_LBUTTONUP
                                                                  : WM_LBUTTONDBLCLK;
        break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto *key = static_cast<QKeyEvent *>(event);
        m.Msg = event->type() == QEvent::KeyPress ? WM_KEYDOWN : WM_KEYUP;
        m.WParam = key->key() == Qt::Key_Space ? 32 : key->key();
        if (key->isAutoRepeat() && event->type() == QEvent::KeyRelease)
            m.Msg = WM_NULL;
        break;
    }
    case QEvent::Destroy:
        m.Msg = WM_NCDESTROY;
        break;
    case QEvent::Resize:
        m.Msg = WM_SIZE;
        break;
    case QEvent::Hide:
        m.Msg = WM_SHOWWINDOW;
        break;
    case QEvent::UngrabMouse:
        m.Msg = WM_CAPTURECHANGED;
        break;
    default:
        if (type == CM_MOUSEENTER || type == CM_MOUSELEAVE || type == SkinMsgControl) {
            auto *skinMessage = static_cast<TSkinMessage *>(event);
            m.Msg = type;
            m.WParam = intptr_t(skinMessage->WParam);
            m.LParam = skinMessage->LParam;
        }
        break;
    }
    return m;
}

intptr_t SendControlMessage(QObject *control, int msg, intptr_t wParam)
{
    return SendSkinMessage(control, msg, uintptr_t(wParam), 0);
}

TSkinControl::TSkinControl(QObject *owner) : QObject(owner) {}

TSkinControl::~TSkinControl()
{
    Unsubclass();
    if (WindowSkinner)
        WindowSkinner->RemoveSkinner(this);
}

void TSkinControl::Subclass(QWidget *window)
{
    if (window)
        window->installEventFilter(this);
}

void TSkinControl::Unsubclass()
{
    if (Handle)
        Handle->removeEventFilter(this);
    if (GraphicControl)
        GraphicControl->removeEventFilter(this);
    UnwatchParts();
}

void TSkinControl::WatchPart(QWidget *part)
{
    if (!part || FWatched.contains(part))
        return;
    FWatched.append(part);
    part->installEventFilter(this);
}

void TSkinControl::UnwatchParts()
{
    for (const QPointer<QWidget> &part : std::as_const(FWatched))
        if (part)
            part->removeEventFilter(this);
    FWatched.clear();
}

void TSkinControl::AttachControl(TRuzOzodOvez *windowSkinner, TSkinData *skinData, QImage *canvas, bool setColour)
{
    if (Attached)
        return;
    SetColour = setColour;
    SkinData = skinData;
    WindowSkinner = windowSkinner;
    Canvas = canvas;
    Control = qobject_cast<QWidget *>(parent());
    Handle = Control;
    if (!Handle)
        return;
    Subclass(Handle);
    if (WindowSkinner)
        WindowSkinner->AddSkinner(this);
    Focused = Handle->hasFocus();
    Enabled = Handle->isEnabled();
    Text = StringProperty(Handle, "text");
    if (SetColour && SkinData) {
        SavedColour = Control->palette();
        SavedAutoFill = Control->autoFillBackground();
        FHadOwnPalette = Control->testAttribute(Qt::WA_SetPalette);
        GiveFaceColour();
        Control->setAutoFillBackground(true);
    }
    Control->update();
    Attached = true;
    Stage = StageAttached;
}

void TSkinControl::AttachWindow(QWidget *handle, TSkinData *skinData, TRuzOzodOvez *windowSkinner, QImage *canvas)
{
    SkinData = skinData;
    Canvas = canvas;
    WindowSkinner = windowSkinner;
    Handle = handle;
    Enabled = true;
    if (WindowSkinner)
        WindowSkinner->AddSkinner(this);
    Text = StringProperty(handle, "text");
    Subclass(handle);
    Attached = true;
    Stage = StageAttached;
}

void TSkinControl::AttachGraphic(TRuzOzodOvez *windowSkinner, TSkinData *skinData, QImage *canvas)
{
    SkinData = skinData;
    Canvas = canvas;
    GraphicControl = qobject_cast<QWidget *>(parent());
    WindowSkinner = windowSkinner;
    Subclass(GraphicControl);
    if (WindowSkinner)
        WindowSkinner->AddSkinner(this);
    Stage = StageAttached;
}

void TSkinControl::GiveFaceColour()
{
    // A control's colour is its window colour and that of the role it fills
    // its background with (a tool bar's is the button colour).
    QPalette face = Control->palette();
    face.setColor(QPalette::Window, FaceColor());
    face.setColor(Control->backgroundRole(), FaceColor());
    Control->setPalette(face);
}

void TSkinControl::RestoreColour()
{
    if (!SetColour || !Control)
        return;
    // A control that had no palette of its own goes back to inheriting one.
    Control->setPalette(FHadOwnPalette ? SavedColour : QPalette());
    Control->setAutoFillBackground(SavedAutoFill);
}

bool TSkinControl::BeforeMessage(TMessage &message)
{
    if (message.Msg == WM_NCDESTROY) {
        CallPrevious(message);
        Stage = StageDestroyed;
        RestoreColour();
        return false;
    }
    return true;
}

void TSkinControl::AfterMessage(TMessage &message)
{
    switch (message.Msg) {
    case WM_PAINT:
        if (message.Target == Window())
            PaintFrame(nullptr);
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case CM_ENABLEDCHANGED:
        if (message.Target == Window())
            Repaint();
        break;
    case SkinMsgControl:
        SkinActive = message.WParam > 0;
        break;
    default:
        break;
    }
}

void TSkinControl::PaintFrame(QPainter *dc)
{
    QWidget *window = Window();
    if (!window)
        return;
    WindowRect = QRect(window->mapToGlobal(QPoint(0, 0)), window->size());
    const QRect rect = OriginRect();
    if (dc) {
        Draw(*dc, rect);
    } else if (window->testAttribute(Qt::WA_WState_InPaintEvent)) {
        QPainter painter(window);
        Draw(painter, rect);
    } else {
        // Outside its paint event a widget is painted by asking for one.
        Repaint();
    }
}

void TSkinControl::Draw(QPainter &, const QRect &) {}

void TSkinControl::Refresh()
{
    if (SetColour && Control)
        GiveFaceColour();
    if (Handle)
        Handle->update();
    else if (GraphicControl)
        GraphicControl->update();
}

bool TSkinControl::SkinWndProc(TMessage &message)
{
    const QPointer<TSkinControl> self(this);
    if (SkinActive) {
        if (BeforeMessage(message)) {
            CallPrevious(message);
            if (self)
                AfterMessage(message);
        } else if (message.Event) {
            message.Event->accept();
        }
    } else if (message.Msg == SkinMsgControl) {
        SkinActive = message.WParam > 0;
        if (SkinActive)
            Repaint();
        if (message.Event)
            message.Event->accept();
    } else {
        CallPrevious(message);
    }
    return true;
}

void TSkinControl::CallPrevious(TMessage &message)
{
    if (!message.Target || !message.Event || FInPrevious == message.Event)
        return;
    QEvent *outer = FInPrevious;
    FInPrevious = message.Event;
    const QPointer<TSkinControl> self(this);
    const bool handled = message.Target->event(message.Event);
    if (message.Msg == SkinMsgControl || int(message.Event->type()) >= QEvent::User)
        message.Result = handled ? static_cast<TSkinMessage *>(message.Event)->Result : 0;
    if (self)
        FInPrevious = outer;
}

bool TSkinControl::eventFilter(QObject *watched, QEvent *event)
{
    // The control's own handling, run from CallPrevious, may send the same
    // event on; it passes untouched.
    if (event == FInPrevious)
        return false;
    if (watched != Handle && watched != GraphicControl && !FWatched.contains(static_cast<QWidget *>(watched)))
        return false;
    TMessage message = TranslateMessage(watched, event);
    return SkinWndProc(message);
}

QWidget *TSkinControl::Window() const
{
    return Handle ? Handle.data() : GraphicControl.data();
}

QRect TSkinControl::OriginRect() const
{
    const QWidget *window = Window();
    return window ? QRect(QPoint(0, 0), window->size()) : QRect();
}

void TSkinControl::Repaint()
{
    QWidget *window = Window();
    if (!window || !window->isVisible())
        return;
    if (window->testAttribute(Qt::WA_WState_InPaintEvent))
        window->update();
    else
        window->repaint();
}

void TSkinControl::LeaveHot(TSkinControl *skinner)
{
    if (skinner && skinner->Window())
        SendControlMessage(skinner->Window(), CM_MOUSELEAVE);
}

void TSkinControl::PaintClient(TMessage &message)
{
    auto *widget = qobject_cast<QWidget *>(message.Target);
    if (!widget)
        return;
    WindowRect = QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    QPainter painter(widget);
    Draw(painter, QRect(QPoint(0, 0), widget->size()));
}

QColor TSkinControl::SkinColor(TColor color) const
{
    return ResolveColor(color);
}

QColor TSkinControl::FaceColor() const
{
    return SkinData ? SkinColor(SkinData->Skin.ButtonFaceColor) : ResolveColor(SystemColor(COLOR_BTNFACE));
}

TSkinControl *TSkinControl::HotControl() const
{
    return WindowSkinner ? WindowSkinner->HotControl.data() : nullptr;
}

void TSkinControl::SetHotControl(TSkinControl *skinner)
{
    if (WindowSkinner)
        WindowSkinner->HotControl = skinner;
}

void TSkinControl::FillFace(QPainter &dc, const QRect &rect) const
{
    dc.fillRect(rect, FaceColor());
}

void TSkinControl::DrawSkinFrame(QPainter &dc, const QRect &rect, int frameCount, int frameIndex,
                                 const TDataSkinObject &element)
{
    if (IsInverted(rect) || element.Image.isNull())
        return;
    const QMargins margins(element.LeftWidth, element.TopHeight, element.RightWidth, element.BottomHeight);
    const QImage framed = MakeFramedBitmap(QRect(QPoint(0, 0), rect.size()), element.Image, margins, 0, element.Tile,
                                           frameCount, frameIndex);
    if (framed.isNull())
        return;
    if (element.Trans == 1)
        DrawTransparent(dc, QRect(rect.topLeft(), framed.size()), framed, KeyColour);
    else
        dc.drawImage(rect.topLeft(), framed);
}

void TSkinControl::DrawStretchedFrame(QPainter &dc, const QRect &rect, int frameCount, int frameIndex,
                                      const QImage &image)
{
    if (IsInverted(rect) || image.isNull())
        return;
    DrawImageFrame(dc, rect, image, 1, frameCount, frameIndex);
}

void TSkinControl::DrawCaption(QPainter &canvas, const QRect &rect, int alignment, bool enabled,
                               const QString &text) const
{
    canvas.setBackgroundMode(Qt::TransparentMode);
    canvas.setBrush(Qt::NoBrush);
    QFont font = canvas.font();
    font.setBold(false);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    canvas.setFont(font);
    QRect measured(rect.topLeft(), QSize(0, 0));
    SkinDrawText(canvas, text, measured, DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | unsigned(alignment));
    measured.translate(0, (rect.height() - measured.height()) / 2 - 1);
    if (alignment == 1)
        measured.translate((rect.width() - measured.width()) / 2, 0);
    else
        measured = QRect(rect.left(), measured.top(), rect.width(), measured.height());
    if (!enabled)
        canvas.setPen(ResolveColor(SystemColor(COLOR_BTNSHADOW)));
    SkinDrawText(canvas, text, measured, DT_EXPANDTABS | unsigned(alignment));
}

void TSkinControl::DrawImageCaption(QPainter &canvas, const QRect &rect, int alignment, const QString &text,
                                    const QImage &image) const
{
    const unsigned format = DT_SINGLELINE | DT_EXPANDTABS | DT_END_ELLIPSIS;
    QRect measured(rect.topLeft(), QSize(0, 0));
    SkinDrawText(canvas, text, measured, format | DT_CALCRECT);
    const bool withImage = !image.isNull() && image.width() < rect.width();
    const int imageWidth = withImage ? image.width() + 1 : 0;
    const int block = imageWidth + measured.width();
    int x = rect.left() + 2;
    if (alignment == 1)
        x = rect.left() + (rect.width() - block) / 2;
    else if (alignment == 2)
        x = rect.right() + 1 - 2 - block;
    x = std::max(x, rect.left() + 2);
    if (withImage) {
        canvas.drawImage(QPoint(x, rect.top() + (rect.height() - image.height()) / 2), image);
        x += imageWidth;
    }
    if (!Enabled)
        canvas.setPen(ResolveColor(SystemColor(COLOR_BTNSHADOW)));
    QRect textRect(x, rect.top() + (rect.height() - measured.height()) / 2, measured.width(), measured.height());
    textRect = textRect.intersected(rect);
    SkinDrawText(canvas, text, textRect, format);
}

void TSkinControl::DrawCentredCaption(QPainter &canvas, const QRect &rect, const QString &text, int alignment,
                                      bool enabled)
{
    canvas.setBackgroundMode(Qt::TransparentMode);
    canvas.setBrush(Qt::NoBrush);
    QFont font = canvas.font();
    font.setBold(false);
    font.setItalic(false);
    font.setUnderline(false);
    canvas.setFont(font);
    static constexpr unsigned Alignments[3] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    const unsigned align = alignment >= 0 && alignment < 3 ? Alignments[alignment] : DT_LEFT;
    QRect measured(rect.topLeft(), QSize(0, 0));
    SkinDrawText(canvas, text, measured, DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT | DT_NOCLIP | align);
    measured.moveTo(rect.left() + (rect.width() - measured.width()) / 2,
                    rect.top() + (rect.height() - measured.height()) / 2);
    if (!enabled)
        canvas.setPen(ResolveColor(SystemColor(COLOR_BTNSHADOW)));
    SkinDrawText(canvas, text, measured, DT_SINGLELINE | DT_EXPANDTABS | align);
}

int TSkinControl::IntProperty(const QObject *control, const char *name)
{
    if (!control)
        return 0;
    const QVariant value = control->property(name);
    return value.isValid() ? value.toInt() : 0;
}

QString TSkinControl::StringProperty(const QObject *control, const char *name)
{
    if (!control)
        return {};
    const QVariant value = control->property(name);
    return value.isValid() ? value.toString() : QString();
}

bool TSkinControl::BoolProperty(const QObject *control, const char *name)
{
    if (!control)
        return false;
    const QVariant value = control->property(name);
    return value.isValid() && value.toBool();
}

TSkinProxyStyle::TSkinProxyStyle(QStyle *base) : QProxyStyle(base) {}

QRect TSkinProxyStyle::subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl subControl,
                                      const QWidget *widget) const
{
    QRect rect;
    if (OnSubControlRect && OnSubControlRect(control, option, subControl, rect))
        return rect;
    return QProxyStyle::subControlRect(control, option, subControl, widget);
}

QStyle::SubControl TSkinProxyStyle::hitTestComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                                                          const QPoint &pos, const QWidget *widget) const
{
    if (OnSubControlRect) {
        // The skin's own parts, tested in the order a click finds them.
        static constexpr SubControl ScrollParts[] = {SC_ScrollBarSlider, SC_ScrollBarSubLine, SC_ScrollBarAddLine,
                                                     SC_ScrollBarSubPage, SC_ScrollBarAddPage};
        static constexpr SubControl ComboParts[] = {SC_ComboBoxArrow, SC_ComboBoxEditField};
        static constexpr SubControl SpinParts[] = {SC_SpinBoxUp, SC_SpinBoxDown, SC_SpinBoxEditField};
        const auto test = [&](const auto &parts) -> SubControl {
            for (SubControl part : parts) {
                QRect rect;
                if (OnSubControlRect(control, option, part, rect) && rect.contains(pos))
                    return part;
            }
            return SC_None;
        };
        SubControl found = SC_None;
        bool known = true;
        if (control == CC_ScrollBar)
            found = test(ScrollParts);
        else if (control == CC_ComboBox)
            found = test(ComboParts);
        else if (control == CC_SpinBox)
            found = test(SpinParts);
        else
            known = false;
        if (known && found != SC_None)
            return found;
        if (known && control == CC_ScrollBar)
            return SC_None;
    }
    return QProxyStyle::hitTestComplexControl(control, option, pos, widget);
}

void TSkinProxyStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                                         const QWidget *widget) const
{
    if (OnDrawComplex && OnDrawComplex(control, option, painter))
        return;
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

} // namespace skin
