#include "skin/SkinControls.h"

#include "skin/BitmapHelpers.h"
#include "skin/RadEzarArov.h"
#include "skin/RuzOzodOvez.h"
#include "skin/SkinDraw.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSizeGrip>
#include <QSlider>
#include <QStatusBar>
#include <QStyleOption>
#include <QStyleOptionComplex>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>

#include <algorithm>
#include <cmath>

namespace skin {

namespace {

bool HasImage(const TDataSkinObject *element)
{
    return element && !element->Image.isNull();
}

// The size of one of an image's side-by-side frames.
QSize FrameSize(const QImage &image, int frameCount)
{
    if (frameCount < 1 || image.isNull())
        return {};
    return {image.width() / frameCount, image.height()};
}

QImage NewPicture(const QSize &size)
{
    QImage picture(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    picture.fill(Qt::black);
    return picture;
}

// A style-given thickness for scroll bars and the buttons that look like them.
int BarThickness(const QWidget *widget)
{
    return widget ? widget->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, widget) : 16;
}

// The width a check mark takes beside its text.
constexpr int CheckMarkWidth = 13;
// The width of a spin box's buttons.
constexpr int SpinButtonWidth = 16;

// Gives a widget its own style back and frees the skinner's style. A widget
// already being destroyed (a skinner freed with its control finds the
// control's derived part gone) is left alone: it never draws again.
void FreeStyle(QWidget *widget, const char *className, QStyle *style)
{
    if (widget && style && widget->inherits(className) && widget->style() == style)
        widget->setStyle(nullptr);
    delete style;
}

} // namespace

void SetFixedColours(QWidget *view, const TSkinData &skinData, QList<TKeptPalette> &kept)
{
    if (!qobject_cast<QAbstractItemView *>(view))
        return;
    // A header paints its own background in its button colour, under the
    // window's text colour that the skin made its own: both are the skin's.
    QList<QWidget *> parts;
    for (QWidget *part : view->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (qobject_cast<QHeaderView *>(part) || qobject_cast<QAbstractButton *>(part))
            parts << part;
    const QColor face = ResolveColor(skinData.Skin.ButtonFaceColor);
    const QColor text = ResolveColor(skinData.Skin.ButtonTextColor);
    for (QWidget *part : std::as_const(parts)) {
        if (std::none_of(kept.cbegin(), kept.cend(), [part](const TKeptPalette &k) { return k.Widget == part; }))
            kept << TKeptPalette::Keep(part);
        QPalette fixed = part->palette();
        fixed.setColor(QPalette::Button, face);
        fixed.setColor(QPalette::Window, face);
        fixed.setColor(QPalette::ButtonText, text);
        fixed.setColor(QPalette::WindowText, text);
        part->setPalette(fixed);
    }
}

// ---------------------------------------------------------------- buttons

bool TSkinButton::HasImage() const
{
    return SkinData && !SkinData->Skin.ButtonData->Image.isNull();
}

bool TSkinButton::BeforeMessage(TMessage &message)
{
    if (message.Target != Window())
        return TSkinControl::BeforeMessage(message);
    switch (message.Msg) {
    case WM_PAINT:
        // Without the skin's picture the button keeps its own look.
        if (!HasImage())
            return true;
        PaintClient(message);
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (QWidget *window = Window(); window && window->focusPolicy() & Qt::ClickFocus)
            window->setFocus(Qt::MouseFocusReason);
        SetPressed(true);
        PaintFrame(nullptr);
        return false;
    default:
        return TSkinControl::BeforeMessage(message);
    }
}

void TSkinButton::AfterMessage(TMessage &message)
{
    QWidget *window = Window();
    if (!window || message.Target != window) {
        TSkinControl::AfterMessage(message);
        return;
    }
    Enabled = window->isEnabled();
    switch (message.Msg) {
    case WM_MOUSEMOVE:
    case CM_MOUSEENTER:
        if (message.Msg == CM_MOUSEENTER && !Enabled)
            break;
        if (!Hot()) {
            SetHot(true);
            TSkinControl *hot = HotControl();
            // The button the mouse came from leaves the hot state before
            // this one is drawn hot.
            if (hot && hot != this)
                LeaveHot(hot);
            if (HotControl() != this) {
                Repaint();
                SetHotControl(this);
            }
        }
        break;
    case CM_MOUSELEAVE:
        if (Enabled) {
            SetHot(false);
            SetPressed(false);
            Repaint();
            if (HotControl() == this)
                SetHotControl(nullptr);
        }
        break;
    case WM_KEYDOWN:
        if (message.WParam == 32) {
            SetPressed(true);
            Repaint();
        }
        break;
    case WM_KEYUP:
        if (message.WParam == 32) {
            SetPressed(false);
            Repaint();
        }
        break;
    case WM_LBUTTONUP:
        message.Event->accept();
        if (Pressed()) {
            SetPressed(false);
            Repaint();
            // Let go outside the button, the press is cancelled, as with
            // every push button.
            const QPoint at = static_cast<QMouseEvent *>(message.Event)->position().toPoint();
            if (window->rect().contains(at))
                Click();
        }
        break;
    default:
        TSkinControl::AfterMessage(message);
        break;
    }
}

void TSkinButton::Click()
{
    if (auto *button = qobject_cast<QAbstractButton *>(Window()))
        button->click();
}

int TSkinButton::ButtonFrame() const
{
    const QWidget *window = Window();
    const auto *push = qobject_cast<const QPushButton *>(window);
    int frame = 1;
    if (Pressed())
        frame = 2;
    else if (Hot() || Focused)
        frame = 4;
    else if (push && push->isDefault())
        frame = 5;
    if (!Enabled)
        frame = 3;
    return frame;
}

void TSkinButton::Draw(QPainter &dc, const QRect &rect)
{
    if (!HasImage() || IsInverted(rect))
        return;
    QWidget *window = Window();
    Focused = window->hasFocus();
    Enabled = window->isEnabled();
    Text = StringProperty(window, "text");
    DrawFace(dc, rect, ButtonFrame(), QImage());
}

void TSkinButton::DrawFace(QPainter &dc, const QRect &rect, int frame, const QImage &glyph)
{
    const TDataSkinButton &data = *SkinData->Skin.ButtonData;
    QWidget *window = Window();
    FBitmap = NewPicture(rect.size());
    QPainter canvas(&FBitmap);
    const QRect local(QPoint(0, 0), rect.size());
    FillFace(canvas, local);
    if (frame != 1 || !BoolProperty(window, "autoRaise"))
        DrawSkinFrame(canvas, local, 5, frame, data);
    canvas.setFont(window->font());
    QColor text = Control ? window->palette().color(QPalette::ButtonText) : SkinColor(SkinData->Skin.ButtonTextColor);
    if (frame == 1 && data.HasNormalColour2)
        text = SkinColor(data.NormalColour2);
    else if (frame == 4 && data.HasMouseOverColour2)
        text = SkinColor(data.MouseOverColour2);
    else if (frame == 2 && data.HasPressedColour2)
        text = SkinColor(data.PressedColour2);
    if (!Enabled)
        text = Control ? ResolveColor(SystemColor(COLOR_BTNSHADOW)) : QColor(0x80, 0x80, 0x80);
    canvas.setPen(text);
    const auto *tool = qobject_cast<const QToolButton *>(window);
    if (glyph.isNull() && tool && tool->arrowType() != Qt::NoArrow) {
        // An arrow button's glyph is its arrow, in the text's colour.
        static constexpr QStyle::PrimitiveElement Arrows[] = {
            QStyle::PE_IndicatorArrowUp, QStyle::PE_IndicatorArrowUp, QStyle::PE_IndicatorArrowDown,
            QStyle::PE_IndicatorArrowLeft, QStyle::PE_IndicatorArrowRight};
        QStyleOption option;
        option.initFrom(window);
        const int size = std::min(local.width(), local.height()) / 2;
        option.rect = QRect((local.width() - size) / 2, (local.height() - size) / 2, size, size);
        option.palette.setColor(QPalette::ButtonText, text);
        option.palette.setColor(QPalette::WindowText, text);
        window->style()->drawPrimitive(Arrows[tool->arrowType()], &option, &canvas, window);
    } else if (glyph.isNull()) {
        DrawCaption(canvas, local, 1, true, Text);
    } else {
        // The glyph and the caption side by side, as one block in the middle.
        QRect measured(0, 0, 0, 0);
        if (!Text.isEmpty())
            SkinDrawText(canvas, Text, measured, DT_CALCRECT | DT_SINGLELINE);
        const int spacing = Text.isEmpty() ? 0 : 4;
        const int block = glyph.width() + spacing + measured.width();
        const int x = std::max(0, (local.width() - block) / 2);
        canvas.drawImage(QPoint(x, (local.height() - glyph.height()) / 2), glyph);
        const QRect textRect(x + glyph.width() + spacing, 0, measured.width() + 1, local.height());
        DrawCaption(canvas, textRect, 0, true, Text);
    }
    canvas.end();
    dc.drawImage(rect.topLeft(), FBitmap);
}

int TSkinBitButton::ButtonFrame() const
{
    int frame = TSkinButton::ButtonFrame();
    if (Enabled && !Pressed() && !Hot() && !Focused)
        frame = BoolProperty(Window(), "default") ? 5 : 1;
    return frame;
}

void TSkinBitButton::Draw(QPainter &dc, const QRect &rect)
{
    if (!HasImage() || IsInverted(rect))
        return;
    QWidget *window = Window();
    Focused = window->hasFocus();
    Enabled = window->isEnabled();
    Text = StringProperty(window, "text");
    QImage glyph;
    if (auto *button = qobject_cast<QAbstractButton *>(window); button && !button->icon().isNull()) {
        glyph = button->icon().pixmap(button->iconSize()).toImage().convertToFormat(QImage::Format_ARGB32);
        if (!Enabled) {
            // Drawn grey, keeping what is see-through.
            QImage grey = glyph.convertToFormat(QImage::Format_RGB888);
            GrayBitmap(grey);
            QImage out = grey.convertToFormat(QImage::Format_ARGB32);
            out.setAlphaChannel(glyph.convertToFormat(QImage::Format_Alpha8));
            glyph = out;
        }
    }
    DrawFace(dc, rect, ButtonFrame(), glyph);
}

int TSkinSpeedButton::ButtonFrame() const
{
    const auto *button = qobject_cast<const QAbstractButton *>(Window());
    if (button && (button->isChecked() || button->isDown()))
        return 2;
    if (!Enabled)
        return 3;
    if (Pressed())
        return 2;
    if (Hot())
        return 4;
    return 1;
}

bool TSkinSpeedButton::BeforeMessage(TMessage &message)
{
    if (message.Target != Window())
        return TSkinControl::BeforeMessage(message);
    switch (message.Msg) {
    case WM_PAINT:
        if (!HasImage())
            return true;
        PaintClient(message);
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // The button presses itself; the skin follows.
        CallPrevious(message);
        SetPressed(true);
        Repaint();
        return false;
    default:
        return TSkinControl::BeforeMessage(message);
    }
}

void TSkinSpeedButton::AfterMessage(TMessage &message)
{
    switch (message.Msg) {
    case WM_LBUTTONUP:
        // The button clicks itself.
        SetPressed(false);
        Repaint();
        break;
    case WM_KEYUP:
        if (message.WParam == 32) {
            SetPressed(false);
            Repaint();
        }
        break;
    case CM_MOUSELEAVE:
        if (Window() && Window()->isVisible())
            TSkinButton::AfterMessage(message);
        else if (HotControl() == this)
            SetHotControl(nullptr);
        break;
    default:
        TSkinButton::AfterMessage(message);
        break;
    }
}

void TSkinSpeedButton::Draw(QPainter &dc, const QRect &rect)
{
    TSkinBitButton::Draw(dc, rect);
}

// ------------------------------------------------------ check and radio boxes

const QImage &TSkinCheckBox::StateImage() const
{
    return SkinData->Skin.ButtonData->CheckImage;
}

int TSkinCheckBox::StateFrames() const
{
    return SkinData->Skin.ButtonData->CheckButtonFrame;
}

const QImage &TSkinRadioButton::StateImage() const
{
    return SkinData->Skin.ButtonData->RadioImage;
}

int TSkinRadioButton::StateFrames() const
{
    return SkinData->Skin.ButtonData->RadioButtonFrame;
}

int TSkinCheckBox::StateFrame() const
{
    const auto *button = qobject_cast<const QAbstractButton *>(Window());
    const auto *check = qobject_cast<const QCheckBox *>(Window());
    const bool indeterminate = check && check->checkState() == Qt::PartiallyChecked;
    const bool checked = button && button->isChecked();
    const bool enabled = Window() && Window()->isEnabled();
    int frame = checked ? 2 : 1;
    if (indeterminate)
        frame = 4;
    if (!enabled)
        frame += 2;
    const int frames = StateFrames();
    if (frames == 12) {
        if (indeterminate)
            frame = enabled ? 9 : 12;
        else if (frame == 2)
            frame = 5;
        else if (frame == 3)
            frame = 4;
        else if (frame == 4)
            frame = 8;
    }
    // A picture with fewer frames than the state asks for shows its last.
    return std::clamp(frame, 1, std::max(frames, 1));
}

void TSkinCheckBox::AfterMessage(TMessage &message)
{
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        if (message.Target == Window())
            Repaint();
        break;
    default:
        TSkinControl::AfterMessage(message);
        break;
    }
}

void TSkinCheckBox::Draw(QPainter &dc, const QRect &rect)
{
    if (!SkinData || StateImage().isNull() || IsInverted(rect))
        return;
    QWidget *window = Window();
    Enabled = window->isEnabled();
    Text = StringProperty(window, "text");
    const QImage &image = StateImage();
    const int frames = std::max(StateFrames(), 1);
    const QSize size = FrameSize(image, frames);
    QImage picture = NewPicture(rect.size());
    QPainter canvas(&picture);
    FillFace(canvas, QRect(QPoint(0, 0), rect.size()));
    int x = 2 + (size.width() < 15 ? (14 - size.width()) / 2 : 0);
    const bool leftText = window->layoutDirection() == Qt::RightToLeft;
    if (leftText)
        x = rect.width() - x - size.width();
    const QRect mark(x, (rect.height() - size.height()) / 2, size.width(), size.height());
    DrawStretchedFrame(canvas, mark, frames, StateFrame(), image);
    canvas.setFont(window->font());
    canvas.setPen(window->palette().color(QPalette::WindowText));
    const int textLeft = CheckMarkWidth + 3 + 2;
    const QRect textRect = leftText ? QRect(0, 0, rect.width() - textLeft, rect.height())
                                    : QRect(textLeft, 0, rect.width() - textLeft, rect.height());
    DrawCaption(canvas, textRect, leftText ? 2 : 0, Enabled, Text);
    canvas.end();
    dc.drawImage(rect.topLeft(), picture);
}

// ---------------------------------------------------------------- combo box

TSkinComBox::~TSkinComBox()
{
    FreeStyle(Handle, "QComboBox", FStyle);
}

void TSkinComBox::AttachControl(TRuzOzodOvez *windowSkinner, TSkinData *skinData, QImage *canvas, bool setColour)
{
    const bool first = !Attached;
    TSkinControl::AttachControl(windowSkinner, skinData, canvas, setColour);
    if (first) {
        SetStyle();
        KeepOwnText();
    }
}

void TSkinComBox::AttachWindow(QWidget *handle, TSkinData *skinData, TRuzOzodOvez *windowSkinner, QImage *canvas)
{
    TSkinControl::AttachWindow(handle, skinData, windowSkinner, canvas);
    SetStyle();
    KeepOwnText();
}

void TSkinComBox::KeepOwnText()
{
    // The skin draws the box's edge and button; the field inside is the
    // box's own drawing, on its own colour, so its text keeps the box's own
    // colour too, not the one a skinned form gives text on the skin's face.
    if (!Handle || FOwnText.Widget)
        return;
    FOwnText = TKeptPalette::Keep(Handle);
    const QPalette own = QApplication::palette(Handle);
    QPalette palette = Handle->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::ButtonText, own.color(group, QPalette::ButtonText));
    Handle->setPalette(palette);
}

void TSkinComBox::RestoreColour()
{
    TSkinControl::RestoreColour();
    FOwnText.GiveBack();
    FOwnText = {};
}

void TSkinComBox::SetStyle()
{
    if (!Handle || FStyle)
        return;
    FStyle = new TSkinProxyStyle;
    FStyle->OnSubControlRect = [this](QStyle::ComplexControl control, const QStyleOptionComplex *option,
                                      QStyle::SubControl part, QRect &rect) {
        if (control != QStyle::CC_ComboBox || !SkinActive || !SkinData || !HasImage(SkinData->Skin.SunkEdge.get()))
            return false;
        if (part == QStyle::SC_ComboBoxArrow)
            rect = ButtonRect(option->rect);
        else if (part == QStyle::SC_ComboBoxEditField)
            rect = EditRect(option->rect);
        else
            return false;
        return true;
    };
    Handle->setStyle(FStyle);
}

bool TSkinComBox::LeftButton() const
{
    return Window() && Window()->layoutDirection() == Qt::RightToLeft;
}

QRect TSkinComBox::ButtonRect(const QRect &rect) const
{
    const int width = BarThickness(Window()) + 2;
    const QRect inner = rect.adjusted(2, 2, -2, -2);
    return LeftButton() ? QRect(inner.left(), inner.top(), width, inner.height())
                        : QRect(inner.right() + 1 - width, inner.top(), width, inner.height());
}

QRect TSkinComBox::EditRect(const QRect &rect) const
{
    const int width = BarThickness(Window()) + 2 + 2;
    const QRect inner = rect.adjusted(2, 2, -2, -2);
    return LeftButton() ? inner.adjusted(width, 0, 0, 0) : inner.adjusted(0, 0, -width, 0);
}

int TSkinComBox::ButtonFrame() const
{
    if (Pressed())
        return 2;
    const QWidget *window = Window();
    if (window && (window->hasFocus() || Hot()))
        return 4;
    if (window && window->isEnabled())
        return 1;
    return 3;
}

void TSkinComBox::AfterMessage(TMessage &message)
{
    if (message.Target != Window()) {
        TSkinControl::AfterMessage(message);
        return;
    }
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetPressed(true);
        PaintFrame(nullptr);
        break;
    case WM_LBUTTONUP:
        SetPressed(false);
        PaintFrame(nullptr);
        break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        if (Window()->isEnabled()) {
            SetHot(message.Msg == CM_MOUSEENTER);
            PaintFrame(nullptr);
        }
        break;
    default:
        TSkinControl::AfterMessage(message);
        break;
    }
}

void TSkinComBox::Draw(QPainter &dc, const QRect &rect)
{
    if (!SkinData || IsInverted(rect))
        return;
    const TSkin &skin = SkinData->Skin;
    if (!HasImage(skin.SunkEdge.get()))
        return;
    // The release of a press that opened the list goes to the list.
    if (Pressed() && !(QGuiApplication::mouseButtons() & Qt::LeftButton))
        SetPressed(false);
    const int frame = ButtonFrame();
    const QRect button = ButtonRect(rect);
    dc.save();
    dc.setClipRegion(QRegion(rect).subtracted(EditRect(rect)));
    DrawSkinFrame(dc, rect, skin.SunkEdge->FrameCount, frame, *skin.SunkEdge);
    if (HasImage(skin.ComboButton.get())) {
        const int frames = skin.ComboButton->FrameCount;
        // The mirrored strip holds the frames in reverse order.
        if (LeftButton() && !skin.ComboButton->Image2.isNull())
            DrawStretchedFrame(dc, button, frames, frames + 1 - frame, skin.ComboButton->Image2);
        else
            DrawStretchedFrame(dc, button, frames, frame, skin.ComboButton->Image);
    }
    if (HasImage(skin.ExtraImages.get())) {
        const QSize size = FrameSize(skin.ExtraImages->Image, skin.ExtraImages->FrameCount);
        const QRect arrow(button.left() + (button.width() - size.width()) / 2,
                          button.top() + (button.height() - size.height()) / 2, size.width(), size.height());
        DrawStretchedFrame(dc, arrow, skin.ExtraImages->FrameCount, frame, skin.ExtraImages->Image);
    }
    dc.restore();
}

// --------------------------------------------------------------- status bar

void TSkinStatusBar::AttachControl(TRuzOzodOvez *windowSkinner, TSkinData *skinData, QImage *canvas, bool setColour)
{
    TSkinControl::AttachControl(windowSkinner, skinData, canvas, setColour);
    // The panels are drawn with the bar: a panel's own paint shows its part
    // of the bar's picture.
    if (Handle)
        for (QWidget *child : Handle->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (!qobject_cast<QSizeGrip *>(child))
                WatchPart(child);
}

bool TSkinStatusBar::BeforeMessage(TMessage &message)
{
    if (message.Msg == WM_PAINT && message.Target != Window()) {
        auto *panel = static_cast<QWidget *>(message.Target);
        if (!Window())
            return true;
        const QImage picture = Picture();
        QPainter painter(panel);
        painter.drawImage(QPoint(0, 0), picture, QRect(panel->mapTo(Window(), QPoint(0, 0)), panel->size()));
        return false;
    }
    return TSkinControl::BeforeMessage(message);
}

void TSkinStatusBar::Draw(QPainter &dc, const QRect &rect)
{
    if (IsInverted(rect))
        return;
    dc.drawImage(rect.topLeft(), Picture());
}

QImage TSkinStatusBar::Picture()
{
    auto *bar = qobject_cast<QStatusBar *>(Window());
    QImage &picture = SharedBitmap();
    if (!bar || !SkinData)
        return {};
    const TSkin &skin = SkinData->Skin;
    picture = NewPicture(bar->size());
    QPainter canvas(&picture);
    FillFace(canvas, picture.rect());
    QFont font = bar->font();
    font.setBold(false);
    font.setItalic(false);
    canvas.setFont(font);
    const bool edges = HasImage(skin.StatusBarEdges.get());
    const QColor text =
        edges ? SkinColor(skin.StatusBarEdges->NormalColour2) : bar->palette().color(QPalette::WindowText);

    struct TPanel {
        QRect rect;
        QString text;
        int bevel; // 1 lowered, 2 raised, 3 none
        int alignment;
    };
    QList<TPanel> panels;
    QList<QWidget *> children;
    for (QWidget *child : bar->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (child->isVisible() && !qobject_cast<QSizeGrip *>(child))
            children << child;
    std::sort(children.begin(), children.end(), [](QWidget *a, QWidget *b) { return a->x() < b->x(); });
    // The bar frames each of its widgets a little outside it; the text is
    // drawn that much inside the frame, where the widget would draw it.
    const auto framed = [](const QWidget *child) { return child->geometry().adjusted(-2, -1, 2, 1); };
    if (!bar->currentMessage().isEmpty() || children.isEmpty()) {
        // A message hides the bar's normal widgets; its permanent ones stay
        // beside it.
        const int right = children.isEmpty() ? picture.width() : framed(children.first()).left() - 1;
        panels << TPanel{QRect(0, 0, right, picture.height()), bar->currentMessage(), 1, 0};
    }
    for (QWidget *child : children) {
        TPanel panel{framed(child), StringProperty(child, "text"), 1, 0};
        if (auto *frame = qobject_cast<QFrame *>(child)) {
            if (frame->frameShadow() == QFrame::Raised && frame->frameShape() != QFrame::NoFrame)
                panel.bevel = 2;
            else if (frame->frameShadow() == QFrame::Plain && frame->frameShape() != QFrame::NoFrame)
                panel.bevel = 3;
        }
        if (auto *label = qobject_cast<QLabel *>(child)) {
            const Qt::Alignment align = QStyle::visualAlignment(child->layoutDirection(), label->alignment());
            panel.alignment = align & Qt::AlignHCenter ? 1 : align & Qt::AlignRight ? 2 : 0;
        }
        panels << panel;
    }
    panels.last().rect.setRight(picture.width() - 1);
    for (TPanel &panel : panels) {
        if (panel.text.isEmpty())
            panel.text = QStringLiteral(" ");
        if (edges) {
            const TDataSkinObject &e = *skin.StatusBarEdges;
            const QMargins margins(e.LeftWidth, e.TopHeight, e.RightWidth, e.BottomHeight);
            const QImage framed =
                MakeFramedBitmap(QRect(QPoint(0, 0), panel.rect.size()), e.Image, margins, 0, e.Tile, 3, panel.bevel);
            if (!framed.isNull())
                canvas.drawImage(panel.rect.topLeft(), framed);
        } else if (panel.bevel != 3) {
            const QColor light = ResolveColor(SystemColor(COLOR_BTNHIGHLIGHT));
            const QColor shadow = ResolveColor(SystemColor(COLOR_BTNSHADOW));
            const QColor topLeft = panel.bevel == 2 ? light : shadow;
            const QColor bottomRight = panel.bevel == 2 ? shadow : light;
            const QRect r = panel.rect;
            canvas.setPen(topLeft);
            canvas.drawLine(r.topLeft(), r.topRight());
            canvas.drawLine(r.topLeft(), r.bottomLeft());
            canvas.setPen(bottomRight);
            canvas.drawLine(r.bottomLeft(), r.bottomRight());
            canvas.drawLine(r.topRight(), r.bottomRight());
        }
        canvas.setPen(text);
        DrawCaption(canvas, panel.rect.adjusted(2, 0, -2, 0), panel.alignment, true, panel.text);
    }
    if (bar->isSizeGripEnabled() && HasImage(skin.ExtraImages.get())) {
        const QSize size = FrameSize(skin.ExtraImages->Image, skin.ExtraImages->FrameCount);
        const QRect grip(picture.width() - 1 - size.width(), picture.height() - 1 - size.height(), size.width(),
                         size.height());
        DrawStretchedFrame(canvas, grip, skin.ExtraImages->FrameCount, 5, skin.ExtraImages->Image);
    }
    canvas.end();
    return picture;
}

// ------------------------------------------------------- panels and group boxes

void TSkinBox::RestoreColour()
{
    if (Stage == 4)
        return;
    TSkinControl::RestoreColour();
    if (Stage != StageDestroyed)
        Stage = 2;
}

void TSkinGroupBox::Draw(QPainter &dc, const QRect &rect)
{
    QWidget *window = Window();
    if (!window || !SkinData || IsInverted(rect))
        return;
    const TSkin &skin = SkinData->Skin;
    QString caption = StringProperty(window, "title");
    dc.save();
    dc.setFont(window->font());
    const int h = QFontMetrics(window->font()).height();
    const int top = h / 2 - 1;
    // The control's own edge and title go, wherever its style drew them:
    // the box is face colour throughout, as its colour says.
    dc.fillRect(rect, skin.FaceBrush);
    dc.setBrush(Qt::NoBrush);
    dc.setPen(QPen(SkinColor(skin.ButtonShadowColor), 1));
    dc.drawRoundedRect(QRect(1, top, rect.width() - 2, rect.height() - 1 - top).adjusted(0, 0, -1, -1), 2.5, 2.5);
    if (!caption.isEmpty()) {
        QRect measured(9, 0, 0, 0);
        SkinDrawText(dc, caption, measured, DT_CALCRECT | DT_EXPANDTABS);
        dc.fillRect(measured, SkinColor(skin.ButtonFaceColor));
        dc.setPen(window->palette().color(QPalette::WindowText));
        SkinDrawText(dc, caption, measured, DT_EXPANDTABS);
    }
    dc.restore();
}

// ------------------------------------------------------------------ up-down

bool TSkinUpDown::InSpinBox() const
{
    return qobject_cast<const QAbstractSpinBox *>(Window()) != nullptr;
}

TSkinUpDown::~TSkinUpDown()
{
    FreeStyle(Handle, "QAbstractSpinBox", FStyle);
}

void TSkinUpDown::AttachWindow(QWidget *handle, TSkinData *skinData, TRuzOzodOvez *windowSkinner, QImage *canvas)
{
    TSkinControl::AttachWindow(handle, skinData, windowSkinner, canvas);
    if (!InSpinBox() || FStyle)
        return;
    // The box's buttons answer clicks where the skin draws them.
    FStyle = new TSkinProxyStyle;
    FStyle->OnSubControlRect = [this](QStyle::ComplexControl control, const QStyleOptionComplex *option,
                                      QStyle::SubControl part, QRect &rect) {
        if (control != QStyle::CC_SpinBox || !SkinActive)
            return false;
        const QRect area = ButtonAreaOf(option->rect);
        const int half = area.height() / 2;
        switch (part) {
        case QStyle::SC_SpinBoxUp:
            rect = QRect(area.left(), area.top(), area.width(), half);
            return true;
        case QStyle::SC_SpinBoxDown:
            rect = QRect(area.left(), area.top() + half, area.width(), area.height() - half);
            return true;
        case QStyle::SC_SpinBoxEditField:
            rect = QRect(option->rect.left() + 2, option->rect.top() + 2, area.left() - option->rect.left() - 3,
                         option->rect.height() - 4);
            return true;
        default:
            return false;
        }
    };
    Handle->setStyle(FStyle);
}

QRect TSkinUpDown::ButtonAreaOf(const QRect &rect) const
{
    // One pixel inside the box's border.
    const QRect inner = rect.adjusted(1, 1, -1, -1);
    return QRect(inner.right() + 1 - SpinButtonWidth, inner.top(), SpinButtonWidth, inner.height());
}

QRect TSkinUpDown::ButtonArea() const
{
    const QWidget *window = Window();
    if (!window)
        return {};
    if (!InSpinBox())
        return window->rect();
    return ButtonAreaOf(window->rect());
}

bool TSkinUpDown::BeforeMessage(TMessage &message)
{
    if (message.Target != Window())
        return TSkinControl::BeforeMessage(message);
    switch (message.Msg) {
    case WM_PAINT:
        if (InSpinBox()) {
            // The box paints its edit; the buttons are painted over it.
            CallPrevious(message);
            PaintClient(message);
        } else {
            PaintClient(message);
        }
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
        CallPrevious(message);
        SetPressed(message.Msg != WM_LBUTTONUP);
        Repaint();
        return false;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        SetHot(message.Msg == CM_MOUSEENTER);
        if (message.Msg == CM_MOUSELEAVE)
            SetPressed(false);
        Repaint();
        return true;
    default:
        return TSkinControl::BeforeMessage(message);
    }
}

namespace {

// One of an up-down's two halves: the left and right of its area, or the top
// and bottom.
QRect HalfRect(const QRect &area, int half, bool across)
{
    if (across) {
        const int first = area.width() / 2;
        return half == 0 ? QRect(area.left(), area.top(), first, area.height())
                         : QRect(area.left() + first, area.top(), area.width() - first, area.height());
    }
    const int first = area.height() / 2;
    return half == 0 ? QRect(area.left(), area.top(), area.width(), first)
                     : QRect(area.left(), area.top() + first, area.width(), area.height() - first);
}

} // namespace

int TSkinUpDown::SingleArrow() const
{
    const auto *button = qobject_cast<const QToolButton *>(Window());
    if (!button)
        return -1;
    return button->arrowType() == Qt::RightArrow || button->arrowType() == Qt::DownArrow ? 1 : 0;
}

bool TSkinUpDown::Across() const
{
    if (const auto *button = qobject_cast<const QToolButton *>(Window()))
        return button->arrowType() == Qt::LeftArrow || button->arrowType() == Qt::RightArrow;
    return Orientation == 1;
}

int TSkinUpDown::HalfState(int half) const
{
    const QWidget *window = Window();
    if (!window || !window->isEnabled())
        return 3;
    // A button that is one arrow has its other half in a window of its own.
    if (SingleArrow() < 0 && HalfRect(ButtonArea(), 1 - half, Across()).contains(window->mapFromGlobal(QCursor::pos())))
        return 1;
    if (Pressed())
        return 2;
    if (Hot())
        return 4;
    return 1;
}

void TSkinUpDown::Draw(QPainter &dc, const QRect &)
{
    if (!SkinData)
        return;
    const TSkin &skin = SkinData->Skin;
    const QRect area = ButtonArea();
    if (area.isEmpty())
        return;
    const bool across = Across();
    const int single = SingleArrow();
    const TDataSkinBorder *element = across ? skin.UpDownHorz.get() : skin.UpDownVert.get();
    QImage picture = NewPicture(area.size());
    QPainter canvas(&picture);
    FillFace(canvas, picture.rect());
    for (int half = 0; half < 2; ++half) {
        if (single >= 0 && half != single)
            continue;
        const QRect r = single >= 0 ? picture.rect() : HalfRect(picture.rect(), half, across);
        const int state = HalfState(half);
        if (HasImage(element)) {
            const int frame = state + 4 * half;
            DrawSkinFrame(canvas, r, element->FrameCount, frame, *element);
            if (!element->Image2.isNull()) {
                const QSize size = FrameSize(element->Image2, element->FrameCount);
                const QRect glyph(r.left() + (r.width() - size.width()) / 2, r.top() + (r.height() - size.height()) / 2,
                                  size.width(), size.height());
                DrawImageFrame(canvas, glyph, element->Image2, 1, element->FrameCount, frame);
            }
        } else {
            canvas.fillRect(r, SkinColor(skin.ButtonFaceColor));
            canvas.setPen(SkinColor(skin.ButtonShadowColor));
            canvas.drawRect(r.adjusted(0, 0, -1, -1));
            canvas.setPen(SkinColor(skin.ButtonDkShadowColor));
            canvas.drawLine(r.bottomLeft(), r.bottomRight());
        }
    }
    canvas.end();
    dc.drawImage(area.topLeft(), picture);
}

// --------------------------------------------------------------------- tabs

namespace {

// A tab bar's scroll buttons, one arrow each, side by side, are skinned as
// the two halves of an up-down.
void SkinScrollButtons(QTabBar *bar, TSkinData *skinData, TRuzOzodOvez *windowSkinner, QImage *canvas)
{
    if (!bar)
        return;
    for (QToolButton *button : bar->findChildren<QToolButton *>(Qt::FindDirectChildrenOnly)) {
        if (!button->objectName().startsWith(QLatin1String("Scroll")) ||
            (windowSkinner && windowSkinner->FindSkinner(button)))
            continue;
        auto *upDown = new TSkinUpDown(button);
        upDown->AttachWindow(button, skinData, windowSkinner, canvas);
    }
}

} // namespace

void TSkinTab::AttachWindow(QWidget *handle, TSkinData *skinData, TRuzOzodOvez *windowSkinner, QImage *canvas)
{
    TSkinControl::AttachWindow(handle, skinData, windowSkinner, canvas);
    if (auto *tabs = qobject_cast<QTabWidget *>(handle)) {
        const QTabWidget::TabPosition position = tabs->tabPosition();
        Side = position == QTabWidget::South  ? 1
               : position == QTabWidget::East ? 3
               : position == QTabWidget::West ? 2
                                              : 0;
        WatchPart(tabs->tabBar());
        SkinScrollButtons(tabs->tabBar(), skinData, windowSkinner, canvas);
    }
    Prepare();
}

void TSkinTab::Refresh()
{
    Prepare();
    TSkinControl::Refresh();
}

void TSkinTab::Prepare()
{
    FTabs = QImage();
    FBorder = QImage();
    if (!SkinData || !HasImage(SkinData->Skin.Tabs.get()) || SkinData->Skin.Tabs->Image2.isNull())
        return;
    FTabs = SkinData->Skin.Tabs->Image.convertToFormat(Bitmap24);
    FBorder = SkinData->Skin.Tabs->Image2.convertToFormat(Bitmap24);
    if (Side == 1) {
        FlipBitmap(FTabs);
        FlipBitmap(FBorder);
    } else if (Side == 2) {
        RotateLeft(FBorder);
    } else if (Side == 3) {
        RotateRight(FBorder);
    }
}

bool TSkinTab::BeforeMessage(TMessage &message)
{
    if (message.Msg == WM_PAINT && message.Target != Window() && !FTabs.isNull()) {
        auto *bar = static_cast<QWidget *>(message.Target);
        QPainter painter(bar);
        DrawStrip(painter, bar);
        return false;
    }
    return TSkinControl::BeforeMessage(message);
}

void TSkinTab::AfterMessage(TMessage &message)
{
    TSkinControl::AfterMessage(message);
}

void TSkinTab::DrawStrip(QPainter &dc, QWidget *widget)
{
    auto *bar = qobject_cast<QTabBar *>(widget);
    if (!bar)
        return;
    const TDataSkinBorder &tabs = *SkinData->Skin.Tabs;
    FPage = NewPicture(bar->size());
    QPainter canvas(&FPage);
    FillFace(canvas, FPage.rect());
    canvas.setFont(bar->font());
    const QMargins margins(tabs.LeftWidth, tabs.TopHeight, tabs.RightWidth, tabs.BottomHeight);
    const bool sideways = Side == 2 || Side == 3;
    for (int i = 0; i < bar->count(); ++i) {
        const QRect r = bar->tabRect(i);
        const int frame = i == bar->currentIndex() ? 2 : 1;
        // A tab is composed lying along the strip; on the left or right
        // side it is then turned to stand up.
        QImage tab = NewPicture(sideways ? r.size().transposed() : r.size());
        QPainter painter(&tab);
        FillFace(painter, tab.rect());
        painter.setFont(bar->font());
        DrawSkinImage(painter, tab.rect(), FTabs, 0, tabs.Tile, tabs.Trans, tabs.FrameCount, frame, margins);
        painter.setPen(SkinColor(frame == 1 ? tabs.NormalColour2 : tabs.MouseOverColour2));
        const QIcon icon = bar->tabIcon(i);
        const QImage image = icon.isNull() ? QImage() : icon.pixmap(bar->iconSize()).toImage();
        Enabled = bar->isTabEnabled(i);
        DrawImageCaption(painter, tab.rect(), 1, bar->tabText(i), image);
        painter.end();
        if (sideways) {
            tab = tab.convertToFormat(Bitmap24);
            Side == 2 ? RotateLeft(tab) : RotateRight(tab);
        }
        canvas.drawImage(r.topLeft(), tab);
    }
    canvas.end();
    dc.drawImage(QPoint(0, 0), FPage);
}

void TSkinTab::Draw(QPainter &dc, const QRect &rect)
{
    auto *tabs = qobject_cast<QTabWidget *>(Window());
    if (!tabs || FBorder.isNull() || IsInverted(rect))
        return;
    // The page: the widget less its tab bar, on the bar's side.
    QRect page = rect;
    const QRect bar = tabs->tabBar()->geometry();
    switch (Side) {
    case 1:
        page.setBottom(bar.top() - 1);
        break;
    case 2:
        page.setLeft(bar.right() + 1);
        break;
    case 3:
        page.setRight(bar.left() - 1);
        break;
    default:
        page.setTop(bar.bottom() + 1);
        break;
    }
    // The page takes the face colour within the skin's border.
    FillFace(dc, page);
    DrawFrameEdges(dc, page, FBorder, 0, 1, 1, QMargins(4, 5, 4, 4));
}

void TSkinTab31::AttachControl(TRuzOzodOvez *windowSkinner, TSkinData *skinData, QImage *canvas, bool)
{
    if (Attached)
        return;
    Control = qobject_cast<QWidget *>(parent());
    AttachWindow(Control, skinData, windowSkinner, canvas);
    FBitmap = QImage();
    if (SkinData && HasImage(SkinData->Skin.Tabs.get())) {
        FBitmap = SkinData->Skin.Tabs->Image.convertToFormat(Bitmap24);
        FlipBitmap(FBitmap);
    }
    SkinScrollButtons(qobject_cast<QTabBar *>(Control), skinData, windowSkinner, canvas);
}

bool TSkinTab31::BeforeMessage(TMessage &message)
{
    if (message.Msg == WM_PAINT && message.Target == Window() && !FBitmap.isNull()) {
        PaintClient(message);
        return false;
    }
    return TSkinControl::BeforeMessage(message);
}

void TSkinTab31::Draw(QPainter &dc, const QRect &rect)
{
    auto *bar = qobject_cast<QTabBar *>(Window());
    if (!bar || FBitmap.isNull() || IsInverted(rect))
        return;
    const TDataSkinBorder &tabs = *SkinData->Skin.Tabs;
    QImage picture = NewPicture(rect.size());
    QPainter canvas(&picture);
    FillFace(canvas, picture.rect());
    canvas.setFont(bar->font());
    const QMargins margins(tabs.LeftWidth, tabs.TopHeight, tabs.RightWidth, tabs.BottomHeight);
    // Each tab is drawn where the bar places it, so that a click lands on
    // the tab drawn under the mouse.
    for (int i = 0; i < bar->count(); ++i) {
        const QRect r = bar->tabRect(i);
        if (!r.intersects(picture.rect()))
            continue;
        const int frame = i == bar->currentIndex() ? 2 : 1;
        DrawSkinImage(canvas, r, FBitmap, 0, tabs.Tile, tabs.Trans, tabs.FrameCount, frame, margins);
        canvas.setPen(SkinColor(frame == 1 ? tabs.NormalColour2 : tabs.MouseOverColour2));
        DrawCaption(canvas, r, 1, true, bar->tabText(i));
    }
    canvas.end();
    dc.drawImage(rect.topLeft(), picture);
}

// ------------------------------------------------------------- progress bar

bool TSkinProgress::BeforeMessage(TMessage &message)
{
    if (message.Msg == WM_PAINT && message.Target == Window() && SkinData && SkinData->Skin.Progress &&
        !SkinData->Skin.Progress->Image.isNull()) {
        PaintClient(message);
        return false;
    }
    return TSkinControl::BeforeMessage(message);
}

void TSkinProgress::Draw(QPainter &dc, const QRect &rect)
{
    auto *bar = qobject_cast<QProgressBar *>(Window());
    if (!bar || !SkinData || !SkinData->Skin.Progress || SkinData->Skin.Progress->Image.isNull() || IsInverted(rect))
        return;
    const TDataSkinBorder &e = *SkinData->Skin.Progress;
    const QMargins margins(e.LeftWidth, e.TopHeight, e.RightWidth, e.BottomHeight);
    const int position = bar->value() - bar->minimum();
    const int maximum = bar->maximum() - bar->minimum();
    const bool filled = position > 0 && maximum > 0;
    if (e.Style != 1) {
        const bool vertical = bar->orientation() == Qt::Vertical;
        const QSize size = vertical ? rect.size().transposed() : rect.size();
        QImage picture = NewPicture(size).convertToFormat(Bitmap24);
        QPainter canvas(&picture);
        FillFace(canvas, picture.rect());
        DrawSkinImage(canvas, picture.rect(), e.Image, 0, e.Tile, 1, 2, 1, margins);
        if (filled) {
            const int length = int(std::lround(double(size.width()) / maximum * position));
            DrawSkinImage(canvas, QRect(0, 0, length, size.height()), e.Image, 0, e.Tile, 1, 2, 2, margins);
        }
        canvas.end();
        if (vertical)
            RotateLeft(picture);
        dc.drawImage(rect.topLeft(), picture, QRect(0, 0, picture.width(), picture.height() - 1));
        return;
    }
    QImage &picture = SharedBitmap();
    picture = NewPicture(rect.size());
    QPainter canvas(&picture);
    FillFace(canvas, picture.rect());
    DrawSkinImage(canvas, picture.rect(), e.Image, 0, e.Tile, 1, 1, 1, margins);
    // An empty chunk picture gives no chunks.
    if (filled && e.Image2.width() > 0) {
        const int length = int(int64_t(position) * picture.width() / maximum);
        const int copies = length / e.Image2.width() + 1;
        QImage strip = NewPicture(QSize(std::max(length, 1), e.Image2.height()));
        QPainter stripPainter(&strip);
        for (int i = 0; i < copies; ++i)
            stripPainter.drawImage(QPoint(i * e.Image2.width(), 0), e.Image2);
        stripPainter.end();
        if (length > 0)
            DrawTransparent(canvas,
                            QRect(e.LeftWidth, (picture.height() - strip.height()) / 2, strip.width(), strip.height()),
                            strip, KeyColour);
    }
    canvas.end();
    dc.drawImage(rect.topLeft(), picture);
}

// ---------------------------------------------------------------- track bar

TSkinTrackBar::~TSkinTrackBar()
{
    FreeStyle(Handle, "QSlider", FStyle);
}

void TSkinTrackBar::AttachControl(TRuzOzodOvez *windowSkinner, TSkinData *skinData, QImage *canvas, bool setColour)
{
    const bool first = !Attached;
    TSkinControl::AttachControl(windowSkinner, skinData, canvas, setColour);
    if (!first || !Handle)
        return;
    // The slider draws its groove and tick marks; the skin draws the thumb.
    FStyle = new TSkinProxyStyle;
    FStyle->OnDrawComplex = [this](QStyle::ComplexControl control, const QStyleOptionComplex *option,
                                   QPainter *painter) {
        if (control != QStyle::CC_Slider || !SkinActive || !FStyle)
            return false;
        QStyleOptionSlider rest(*static_cast<const QStyleOptionSlider *>(option));
        rest.subControls &= ~QStyle::SC_SliderHandle;
        FStyle->baseStyle()->drawComplexControl(control, &rest, painter, Handle);
        const QRect thumb = FStyle->subControlRect(QStyle::CC_Slider, option, QStyle::SC_SliderHandle, Handle.data());
        DrawThumb(*painter, thumb, rest.orientation == Qt::Vertical);
        return true;
    };
    Handle->setStyle(FStyle);
}

void TSkinTrackBar::Refresh()
{
    if (Handle && Handle->isVisible())
        Handle->update();
}

void TSkinTrackBar::DrawThumb(QPainter &dc, const QRect &rect, bool vertical) const
{
    if (!SkinData || !Handle)
        return;
    const TSkin &skin = SkinData->Skin;
    const TDataSkinObject *element = vertical && HasImage(skin.TrackbarThumbVert.get()) ? skin.TrackbarThumbVert.get()
                                                                                        : skin.TrackbarThumbHorz.get();
    if (HasImage(element)) {
        DrawStretchedFrame(dc, rect, 5, 2, element->Image);
        return;
    }
    dc.save();
    dc.setPen(SkinColor(skin.ButtonShadowColor));
    dc.setBrush(Qt::NoBrush);
    dc.drawRect(rect.adjusted(0, 0, -1, -1));
    dc.restore();
}

// --------------------------------------------------------------------- edit

void TSkinEdit::AttachWindow(QWidget *handle, TSkinData *skinData, TRuzOzodOvez *windowSkinner, QImage *canvas)
{
    TSkinControl::AttachWindow(handle, skinData, windowSkinner, canvas);
    FindUpDown();
}

void TSkinEdit::AttachControl(TRuzOzodOvez *windowSkinner, TSkinData *skinData, QImage *canvas, bool setColour)
{
    TSkinControl::AttachControl(windowSkinner, skinData, canvas, setColour);
    FindUpDown();
}

void TSkinEdit::FindUpDown()
{
    QWidget *window = Window();
    auto *spin = qobject_cast<QAbstractSpinBox *>(window);
    if (UpDown || !spin || spin->buttonSymbols() == QAbstractSpinBox::NoButtons)
        return;
    UpDown = new TSkinUpDown(WindowSkinner ? static_cast<QObject *>(WindowSkinner.data()) : window);
    UpDown->AttachWindow(window, SkinData, WindowSkinner, Canvas);
    window->update();
}

bool TSkinEdit::HasBorder() const
{
    const QWidget *window = Window();
    if (const auto *line = qobject_cast<const QLineEdit *>(window))
        return line->hasFrame();
    if (const auto *spin = qobject_cast<const QAbstractSpinBox *>(window))
        return spin->hasFrame();
    if (const auto *frame = qobject_cast<const QFrame *>(window))
        return frame->frameWidth() > 0;
    return false;
}

void TSkinEdit::AfterMessage(TMessage &message)
{
    if (message.Msg == WM_PAINT && message.Target == Window()) {
        PaintFrame(nullptr);
        return;
    }
    TSkinControl::AfterMessage(message);
}

void TSkinEdit::Draw(QPainter &dc, const QRect &rect)
{
    QWidget *window = Window();
    if (!window || !SkinData || IsInverted(rect))
        return;
    FindUpDown();
    if (!HasBorder())
        return;
    dc.save();
    dc.setBrush(Qt::NoBrush);
    dc.setPen(SkinColor(SkinData->Skin.ButtonShadowColor));
    dc.drawRect(rect.adjusted(0, 0, -1, -1));
    dc.setPen(Qt::white);
    dc.drawRect(rect.adjusted(1, 1, -2, -2));
    dc.restore();
}

// --------------------------------------------------------------- size grip

bool TSkinSizer::BeforeMessage(TMessage &message)
{
    if (message.Msg == WM_PAINT && message.Target == Window()) {
        PaintClient(message);
        return false;
    }
    return TSkinControl::BeforeMessage(message);
}

void TSkinSizer::Draw(QPainter &dc, const QRect &rect)
{
    FillFace(dc, rect);
}

// -------------------------------------------------------------- scroll bars

TScrollGeometry ScrollGeometry(int barLength, int thickness, int minimum, int maximum, int page, int position)
{
    TScrollGeometry g;
    g.Arrow = barLength < 2 * thickness ? barLength / 2 : thickness;
    g.Track = std::max(0, barLength - 2 * g.Arrow);
    // The bar's range covers the last page too.
    const int64_t range = int64_t(maximum) - minimum + std::max(page, 0);
    if (range <= 0)
        return g;
    if (page <= 0)
        g.ThumbLength = thickness;
    else
        g.ThumbLength = int(std::max<int64_t>(int64_t(page) * g.Track / range, 8));
    g.ThumbLength = std::min(g.ThumbLength, g.Track);
    const int room = g.Track - g.ThumbLength;
    if (page > 0 && page >= range) {
        // Everything shows: the thumb fills the track from its start.
        g.ThumbPos = 0;
        g.ThumbLength = std::max(0, g.ThumbLength - 1);
    } else {
        const int64_t span = range - std::max(page, 0);
        g.ThumbPos = span > 0 ? int(std::clamp<int64_t>((int64_t(position) - minimum) * room / span, 0, room)) : 0;
    }
    g.ThumbShown = g.Track >= g.ThumbLength && g.ThumbLength > 0;
    g.Draggable = g.Track > g.ThumbLength && g.ThumbLength > 0 && maximum > minimum;
    return g;
}

int ScrollHitTest(const TScrollGeometry &g, int distance)
{
    if (distance < 0)
        return -1;
    if (distance < g.Arrow)
        return 0;
    if (distance < g.Arrow + g.ThumbPos)
        return 2;
    if (distance < g.Arrow + g.ThumbPos + g.ThumbLength)
        return 5;
    if (distance < g.Arrow + g.Track)
        return 3;
    if (distance < 2 * g.Arrow + g.Track)
        return 1;
    return -1;
}

namespace {

TScrollGeometry GeometryOf(const QStyleOptionSlider &option)
{
    const bool horizontal = option.orientation == Qt::Horizontal;
    const int length = horizontal ? option.rect.width() : option.rect.height();
    const int thickness = horizontal ? option.rect.height() : option.rect.width();
    return ScrollGeometry(length, thickness, option.minimum, option.maximum, option.pageStep, option.sliderPosition);
}

QRect AlongBar(const QStyleOptionSlider &option, int start, int length)
{
    if (option.orientation == Qt::Horizontal)
        return QRect(option.rect.left() + start, option.rect.top(), std::max(length, 0), option.rect.height());
    return QRect(option.rect.left(), option.rect.top() + start, option.rect.width(), std::max(length, 0));
}

QStyleOptionSlider OptionOf(const QScrollBar *bar)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.rect = bar->rect();
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.pageStep = bar->pageStep();
    option.singleStep = bar->singleStep();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.upsideDown = bar->invertedAppearance();
    return option;
}

} // namespace

TSkinScrollbar::~TSkinScrollbar()
{
    ReleaseBars();
}

bool TSkinScrollbar::SkinReady() const
{
    return SkinData && HasImage(SkinData->Skin.Scrollbar.get()) && HasImage(SkinData->Skin.HorzScroll.get()) &&
           HasImage(SkinData->Skin.VertScroll.get());
}

void TSkinScrollbar::ReleaseBars()
{
    for (int i = 0; i < FBars.size(); ++i) {
        TSkinProxyStyle *style = i < FStyles.size() ? FStyles[i].data() : nullptr;
        FreeStyle(FBars[i], "QScrollBar", style);
    }
    FBars.clear();
    FStyles.clear();
}

void TSkinScrollbar::SkinBar(QScrollBar *bar)
{
    if (!bar || FBars.contains(bar))
        return;
    auto *style = new TSkinProxyStyle;
    style->OnSubControlRect = [this](QStyle::ComplexControl control, const QStyleOptionComplex *option,
                                     QStyle::SubControl part, QRect &rect) {
        if (control != QStyle::CC_ScrollBar || !SkinActive || !SkinReady())
            return false;
        const auto &slider = *static_cast<const QStyleOptionSlider *>(option);
        const TScrollGeometry g = GeometryOf(slider);
        switch (part) {
        case QStyle::SC_ScrollBarSubLine:
            rect = AlongBar(slider, 0, g.Arrow);
            break;
        case QStyle::SC_ScrollBarAddLine:
            rect = AlongBar(slider, g.Arrow + g.Track, g.Arrow);
            break;
        case QStyle::SC_ScrollBarGroove:
            rect = AlongBar(slider, g.Arrow, g.Track);
            break;
        case QStyle::SC_ScrollBarSlider:
            // No thumb to take hold of when it cannot move.
            rect = g.Draggable ? AlongBar(slider, g.Arrow + g.ThumbPos, g.ThumbLength) : QRect();
            break;
        case QStyle::SC_ScrollBarSubPage:
            rect = AlongBar(slider, g.Arrow, g.ThumbPos);
            break;
        case QStyle::SC_ScrollBarAddPage:
            rect = AlongBar(slider, g.Arrow + g.ThumbPos + g.ThumbLength, g.Track - g.ThumbPos - g.ThumbLength);
            break;
        default:
            return false;
        }
        return true;
    };
    FBars.append(bar);
    FStyles.append(style);
    bar->setStyle(style);
    WatchPart(bar);
}

void TSkinScrollbar::AttachScrolled(QWidget *control, TSkinData *skinData, bool trackClicks,
                                    TRuzOzodOvez *windowSkinner, QImage *canvas)
{
    if (Attached)
        return;
    SkinData = skinData;
    WindowSkinner = windowSkinner;
    Canvas = canvas;
    Control = control;
    Handle = control;
    TrackClicks = trackClicks;
    HorzArrowSize = VertArrowSize = 28;
    if (!Handle)
        return;
    Handle->installEventFilter(this);
    if (WindowSkinner)
        WindowSkinner->AddSkinner(this);
    Focused = Handle->hasFocus();
    Enabled = Handle->isEnabled();
    if (auto *area = qobject_cast<QAbstractScrollArea *>(Handle)) {
        SkinBar(area->horizontalScrollBar());
        SkinBar(area->verticalScrollBar());
    } else if (auto *bar = qobject_cast<QScrollBar *>(Handle)) {
        SkinBar(bar);
    }
    Handle->update();
    Attached = true;
    Stage = StageAttached;
}

void TSkinScrollbar::AttachWindow(QWidget *handle, TSkinData *skinData, TRuzOzodOvez *windowSkinner, QImage *canvas)
{
    Control = nullptr;
    AttachScrolled(handle, skinData, true, windowSkinner, canvas);
    Control = nullptr;
}

void TSkinScrollbar::SetFixedColour()
{
    if (SkinData)
        SetFixedColours(Window(), *SkinData, FFixed);
}

void TSkinScrollbar::RestoreColour()
{
    TSkinControl::RestoreColour();
    for (const TKeptPalette &kept : std::as_const(FFixed))
        kept.GiveBack();
    FFixed.clear();
}

void TSkinScrollbar::Refresh()
{
    if (!FFixed.isEmpty())
        SetFixedColour();
    TSkinControl::Refresh();
}

void TSkinScControl::AttachControl(TRuzOzodOvez *windowSkinner, TSkinData *skinData, QImage *canvas, bool)
{
    AttachScrolled(qobject_cast<QWidget *>(parent()), skinData, true, windowSkinner, canvas);
}

void TSkinScrollbar::PressBar(QScrollBar *bar, const QPoint &pos)
{
    const QStyleOptionSlider option = OptionOf(bar);
    const TScrollGeometry g = GeometryOf(option);
    const bool horizontal = bar->orientation() == Qt::Horizontal;
    const int part = ScrollHitTest(g, horizontal ? pos.x() : pos.y());
    switch (part) {
    case 0:
        HotPart = horizontal ? 1 : 3;
        break;
    case 1:
        HotPart = horizontal ? 2 : 4;
        break;
    case 5:
        HotPart = g.Draggable ? (horizontal ? 5 : 6) : 0;
        break;
    default:
        HotPart = 0;
        break;
    }
    bar->update();
}

void TSkinScrollbar::EndPress(QScrollBar *bar)
{
    if (HotPart == 0)
        return;
    HotPart = 0;
    if (bar)
        bar->update();
}

bool TSkinScrollbar::BeforeMessage(TMessage &message)
{
    auto *bar = qobject_cast<QScrollBar *>(message.Target);
    if (!bar || !FBars.contains(bar))
        return TSkinControl::BeforeMessage(message);
    // A press whose release went elsewhere has ended too.
    if (HotPart != 0 && message.Msg != WM_LBUTTONDOWN && !(QGuiApplication::mouseButtons() & Qt::LeftButton))
        HotPart = 0;
    switch (message.Msg) {
    case WM_PAINT:
        if (!SkinReady())
            return true;
        {
            QPainter painter(bar);
            DrawBar(painter, bar);
        }
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        PressBar(bar, static_cast<QMouseEvent *>(message.Event)->position().toPoint());
        return true;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
    case WM_SHOWWINDOW:
        // A press or drag ends when the button is let go, when the bar loses
        // the mouse, and when it hides.
        EndPress(bar);
        return true;
    default:
        return true;
    }
}

void TSkinScrollbar::AfterMessage(TMessage &message)
{
    if (message.Target != Window())
        return;
    if (message.Msg == WM_PAINT) {
        PaintFrame(nullptr);
        return;
    }
    if (message.Msg == WM_SIZE) {
        Repaint();
        return;
    }
    TSkinControl::AfterMessage(message);
}

void TSkinScrollbar::Draw(QPainter &dc, const QRect &rect)
{
    // The corner between two bars takes the face colour.
    auto *area = qobject_cast<QAbstractScrollArea *>(Window());
    if (!area || !SkinReady() || IsInverted(rect))
        return;
    QScrollBar *h = area->horizontalScrollBar();
    QScrollBar *v = area->verticalScrollBar();
    if (!h->isVisible() || !v->isVisible())
        return;
    const QPoint hAt = h->mapTo(area, QPoint(0, 0));
    const QPoint vAt = v->mapTo(area, QPoint(0, 0));
    FillFace(dc, QRect(vAt.x(), hAt.y(), v->width(), h->height()));
}

void TSkinScrollbar::DrawBar(QPainter &dc, QScrollBar *bar) const
{
    const TSkin &skin = SkinData->Skin;
    const QStyleOptionSlider option = OptionOf(bar);
    const TScrollGeometry g = GeometryOf(option);
    const bool horizontal = bar->orientation() == Qt::Horizontal;
    const int length = horizontal ? bar->width() : bar->height();
    constexpr int Thick = 16;
    // The bar is composed 16 pixels thick and brought to its thickness in
    // one copy.
    QImage picture = NewPicture(horizontal ? QSize(length, Thick) : QSize(Thick, length));
    QPainter canvas(&picture);
    canvas.fillRect(picture.rect(), SkinColor(skin.ScrollbarColor));
    const auto along = [horizontal](int start, int size) {
        return horizontal ? QRect(start, 0, size, Thick) : QRect(0, start, Thick, size);
    };
    const TDataSkinObject &track = horizontal ? *skin.HorzScroll : *skin.VertScroll;
    DrawSkinFrame(canvas, along(g.Arrow, g.Track), track.FrameCount, 1, track);
    const int first = horizontal ? (HotPart == 1 ? 2 : 1) : (HotPart == 3 ? 10 : 9);
    const int second = horizontal ? (HotPart == 2 ? 6 : 5) : (HotPart == 4 ? 14 : 13);
    DrawStretchedFrame(canvas, along(0, g.Arrow), skin.Scrollbar->FrameCount, first, skin.Scrollbar->Image);
    DrawStretchedFrame(canvas, along(g.Arrow + g.Track, g.Arrow), skin.Scrollbar->FrameCount, second,
                       skin.Scrollbar->Image);
    const TDataSkinObject *thumb = horizontal ? skin.HorzScrollThumb.get() : skin.VertScrollThumb.get();
    if (g.ThumbShown && HasImage(thumb) && bar->isEnabled() && bar->maximum() > bar->minimum()) {
        const bool dragging = HotPart == (horizontal ? 5 : 6);
        DrawSkinFrame(canvas, along(g.Arrow + g.ThumbPos, g.ThumbLength), thumb->FrameCount, dragging ? 2 : 1, *thumb);
    }
    canvas.end();
    dc.drawImage(bar->rect(), picture);
}

// ------------------------------------------------------ header and list view

bool TSkinHeader::BeforeMessage(TMessage &message)
{
    if (message.Msg == WM_PAINT && message.Target == Window() && SkinData && HasImage(SkinData->Skin.Headerbar.get())) {
        PaintClient(message);
        return false;
    }
    return TSkinControl::BeforeMessage(message);
}

void TSkinHeader::Draw(QPainter &dc, const QRect &rect)
{
    if (!Header || !SkinData || !HasImage(SkinData->Skin.Headerbar.get()) || IsInverted(rect))
        return;
    const TDataSkinObject &e = *SkinData->Skin.Headerbar;
    const QMargins margins(e.LeftWidth, e.TopHeight, e.RightWidth, e.BottomHeight);
    QImage picture = NewPicture(rect.size());
    QPainter canvas(&picture);
    FillFace(canvas, picture.rect());
    // A section's rounded corners are the key colour: the face shows there.
    const auto drawSection = [&](const QRect &section) {
        const QImage framed =
            MakeFramedBitmap(QRect(QPoint(0, 0), section.size()), e.Image, margins, 0, e.Tile, e.FrameCount, 1);
        if (!framed.isNull())
            DrawTransparent(canvas, QRect(section.topLeft(), framed.size()), framed, KeyColour);
    };
    canvas.setFont(Header->font());
    // The text is drawn on the skin's picture, in the skin's colour for it.
    canvas.setPen(SkinColor(e.NormalColour2));
    Enabled = Header->isEnabled();
    int end = 0;
    const bool horizontal = Header->orientation() == Qt::Horizontal;
    for (int visual = 0; visual < Header->count(); ++visual) {
        const int logical = Header->logicalIndex(visual);
        if (Header->isSectionHidden(logical))
            continue;
        const int at = Header->sectionViewportPosition(logical);
        const int size = Header->sectionSize(logical);
        const QRect item = horizontal ? QRect(at, 0, size, rect.height()) : QRect(0, at, rect.width(), size);
        drawSection(item);
        QString text;
        int alignment = 0;
        if (Header->model()) {
            text = Header->model()->headerData(logical, Header->orientation()).toString();
            const int align =
                Header->model()->headerData(logical, Header->orientation(), Qt::TextAlignmentRole).toInt();
            alignment = align & Qt::AlignRight ? 2 : align & Qt::AlignHCenter ? 1 : 0;
        }
        DrawImageCaption(canvas, item, alignment, text, QImage());
        end = std::max(end, horizontal ? item.right() + 1 : item.bottom() + 1);
    }
    const QRect rest = horizontal ? QRect(end, 0, rect.width() - end, rect.height())
                                  : QRect(0, end, rect.width(), rect.height() - end);
    if (rest.width() > 0 && rest.height() > 0)
        drawSection(rest);
    canvas.end();
    dc.drawImage(rect.topLeft(), picture);
}

void TSkinListView::AttachScrolled(QWidget *control, TSkinData *skinData, bool trackClicks, TRuzOzodOvez *windowSkinner,
                                   QImage *canvas)
{
    const bool first = !Attached;
    TSkinScrollbar::AttachScrolled(control, skinData, trackClicks, windowSkinner, canvas);
    auto *view = qobject_cast<QTreeView *>(control);
    if (!first || !view || !view->header())
        return;
    HeaderSkinner = new TSkinHeader(view->header());
    HeaderSkinner->Header = view->header();
    HeaderSkinner->AttachWindow(view->header()->viewport(), skinData, windowSkinner, canvas);
}

} // namespace skin
