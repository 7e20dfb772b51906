// The skinned frame's painting and outline, and the window changes that put
// the frame in place of the system's: a frameless window whose contents
// margins hold the borders, the caption and the menu bar.
#include "skin/SkinFrame.h"

#include "skin/BitmapHelpers.h"
#include "skin/RadEzarArov.h"
#include "skin/RuzOzodOvez.h"
#include "skin/SkinDraw.h"
#include "skin/SkinManage.h"

#include <QLayout>
#include <QMainWindow>
#include <QPainter>
#include <QWindow>

#include <algorithm>

namespace skin {

int ClampedFrame(int frame, int frameCount)
{
    return std::clamp(frame, 1, std::max(frameCount, 1));
}

// ---------------------------------------------------------------------------
// Caption buttons

void TRuzOzodOvez::MakeTitleButtons()
{
    FPieces = {};
    if (!SkinData)
        return;
    for (const auto &element : SkinData->Skin.TitleButtons)
        SysButtons.push_back(std::make_unique<TWinSysButton>(this, element.get()));
}

void TRuzOzodOvez::FreeTitleButtons()
{
    if (dynamic_cast<TWinSysButton *>(HotObject))
        HotObject = nullptr;
    SysButtons.clear();
}

bool TRuzOzodOvez::IsTitleButtonVisible(int index)
{
    if (index < 0 || index >= int(SysButtons.size()))
        return false;
    TWinSysButton &button = *SysButtons[size_t(index)];
    const TDataSkinSysButton &e = *button.Element;
    const int s = ShowState;
    const bool a = Active != 0;
    const bool maxBox = FrameIcons & fiMaximize, minBox = FrameIcons & fiMinimize, sysMenu = FrameIcons & fiSysMenu;
    bool c1 = false;
    switch (e.Visibility) {
    case 0:
        c1 = e.Action != 0 || sysMenu;
        break;
    case 1:
        c1 = s == 1;
        break;
    case 2:
        c1 = s != 1;
        break;
    case 3:
        c1 = a;
        break;
    case 4:
        c1 = !a;
        break;
    case 6:
        c1 = maxBox && sysMenu;
        break;
    case 7:
        c1 = !maxBox;
        break;
    case 8:
        c1 = minBox && sysMenu;
        break;
    case 9:
        c1 = !minBox;
        break;
    case 100:
        c1 = ActiveChildMaximized() && MenuHeight > 0;
        break;
    default:
        c1 = e.Visibility >= 200 && e.Visibility <= 2000;
        break;
    }
    bool c2 = false;
    switch (e.Visibility1) {
    case 0:
        c2 = true;
        break;
    case 1:
        c2 = s == 1;
        break;
    case 2:
        c2 = s != 1;
        break;
    case 3:
        c2 = a;
        break;
    case 4:
        c2 = !a;
        break;
    case 6:
        c2 = maxBox;
        break;
    case 7:
        c2 = !maxBox;
        break;
    case 8:
        c2 = minBox;
        break;
    case 9:
        c2 = !minBox;
        break;
    case 100:
        c2 = c1;
        break;
    default:
        c2 = e.Visibility1 >= 200 && e.Visibility1 <= 2000;
        break;
    }
    bool visible = c1 && c2;
    if ((e.Action == 1 && !maxBox) || (e.Action == 2 && !minBox) ||
        (IsSysMenuAction(e.Action) && FrameKind == fkDialog))
        visible = false;
    button.Visible = visible;
    return visible;
}

int TRuzOzodOvez::DialogCaptionLeft(int left)
{
    // A dialog shows no icon, and its caption moves into the icon's room,
    // but not over a caption button that stays beside it.
    constexpr int IconRoom = 16;
    const int moved = left - IconRoom;
    for (size_t i = 0; i < SysButtons.size(); ++i) {
        const TDataSkinSysButton &e = *SysButtons[i]->Element;
        if (e.Align != 0 || e.Image.isNull() || !IsTitleButtonVisible(int(i)))
            continue;
        if (e.XCoord < left && e.XCoord + ButtonWidth(e) > moved)
            return left;
    }
    return moved;
}

int TRuzOzodOvez::ButtonWidth(const TDataSkinSysButton &e)
{
    return e.FrameCount > 0 ? e.Image.width() / e.FrameCount : e.Image.width();
}

void TRuzOzodOvez::LayoutTitleButtons()
{
    int rightmost = 0;
    for (size_t i = 0; i < SysButtons.size(); ++i) {
        TWinSysButton &button = *SysButtons[i];
        const TDataSkinSysButton &e = *button.Element;
        if (!IsTitleButtonVisible(int(i)) || e.Image.isNull())
            continue;
        const int w = ButtonWidth(e);
        const int h = e.Image.height();
        QRect r(0, 0, w, h);
        switch (e.Align) {
        case 0:
            r.moveTo(e.XCoord, e.YCoord);
            break;
        case 1:
            r.moveTo(WindowWidth - e.XCoord, e.YCoord);
            rightmost = std::max(rightmost, r.left());
            break;
        case 2:
        case 8:
            r.moveTo(CaptionRect.left() - w - e.XCoord, e.YCoord);
            break;
        case 3:
        case 9:
            r.moveTo(CaptionRect.right() + 1 + e.XCoord, e.YCoord);
            break;
        case 100: {
            const int barLeft = SkinData && SkinData->Skin.MenuBar ? SkinData->Skin.MenuBar->LeftWidth : 0;
            const int y = (MenuHeight - h) / 2 + BorderTop;
            const int x =
                LeftScrollBar ? e.XCoord + BorderLeft + barLeft : WindowWidth - e.XCoord - BorderRight - barLeft;
            r.moveTo(x, y);
            break;
        }
        default:
            break;
        }
        button.Rect = r;
    }
    if (rightmost > 0)
        RightButtonsLeft = rightmost;
}

void TRuzOzodOvez::PaintTitleButtons(QPainter &canvas)
{
    for (const auto &button : SysButtons) {
        const TDataSkinSysButton &e = *button->Element;
        if (!button->Visible || e.Image.isNull() || e.Visibility == 100)
            continue;
        // The picture follows the mouse: the pressed and hot frames while the
        // button is, the inactive one otherwise.
        int frame = button->State == 2 || button->State == 3 ? button->State : Active ? 1 : 4;
        if (e.FrameCount < 4 && frame == 4)
            frame = 1;
        frame = ClampedFrame(frame, e.FrameCount);
        if (e.Action == 3 || e.Action == 11) {
            // The window's own icon with its soft edges; else the picture
            // made for it, whose magenta stays see-through.
            const QIcon icon = Handle ? Handle->windowIcon() : QIcon();
            if (!icon.isNull())
                canvas.drawPixmap(button->Rect.topLeft(), icon.pixmap(IconSize, IconSize));
            else
                DrawTransparent(canvas, QRect(button->Rect.topLeft(), QSize(IconSize, IconSize)),
                                IconBitmap.isNull() ? e.Image : IconBitmap, KeyColour);
        } else
            DrawImageFrame(canvas, button->Rect, e.Image, 1, e.FrameCount, frame);
    }
}

// ---------------------------------------------------------------------------
// Painting

QMargins TRuzOzodOvez::FrameMargins() const
{
    return QMargins(BorderLeft, BorderTop + MenuHeight, BorderRight, BorderBottom);
}

void TRuzOzodOvez::PaintBorder(int piece, const QRect &rect, QPainter &dc)
{
    if (IsInverted(rect) || rect.isEmpty() || !SkinData || piece < 1 || piece > 4)
        return;
    const TSkin &skin = SkinData->Skin;
    const TDataSkinBorder *elements[] = {skin.LeftBorder.get(), skin.RightBorder.get(), skin.TopBorder.get(),
                                         skin.BottomBorder.get()};
    const TDataSkinBorder &e = *elements[piece - 1];
    const int frame = (Active != 0 || e.FrameCount == 1) ? 1 : 2;
    // A border is the same picture until the window's size or activation
    // changes: it is built once for both.
    TPieceCache &cache = FPieces[size_t(piece - 1)];
    if (cache.Size != rect.size() || cache.Frame != frame || cache.Image.isNull()) {
        cache.Image = MakeFramedBitmap(QRect(QPoint(0, 0), rect.size()), e.Image,
                                       QMargins(e.LeftWidth, e.TopHeight, e.RightWidth, e.BottomHeight),
                                       piece >= 3 ? 1 : 0, e.Tile != 1 ? 1 : 0, e.FrameCount, frame);
        cache.Size = rect.size();
        cache.Frame = frame;
    }
    if (!cache.Image.isNull())
        dc.drawImage(rect.topLeft(), cache.Image);
}

void TRuzOzodOvez::PaintNonClient(QPainter &dc)
{
    if ((State != StateSkinned && State != StateReskin) || FrameKind == fkPopup || (MDIKind == 2 && ShowState != 0) ||
        !Handle || !SkinData || !SkinData->NCPaint)
        return;
    WindowRect = Handle->frameGeometry();
    const int w = Handle->width(), h = Handle->height();
    WindowWidth = w;
    WindowHeight = h;
    try {
        PaintBorder(1, WinRect(0, 0, BorderLeft, h), dc);
        PaintBorder(2, WinRect(w - BorderRight, 0, w, h), dc);
        PaintBorder(4, WinRect(BorderLeft, h - BorderBottom, w - BorderRight, h), dc);
        PaintTitleBar(dc);
        if (MenuBar && MenuHeight > 0)
            MenuBar->PaintBar(dc, WinRect(BorderLeft, BorderTop, w - BorderRight, BorderTop + MenuHeight));
    } catch (...) {
        // A frame that cannot be drawn must not take the window down.
    }
}

void TRuzOzodOvez::PaintTitleBar(QPainter &dc)
{
    if (WindowWidth <= 0 || BorderTop <= 0)
        return;
    if (TitleBitmap.size() != QSize(WindowWidth, BorderTop))
        TitleBitmap = QImage(WindowWidth, BorderTop, QImage::Format_RGB32);
    {
        QPainter p(&TitleBitmap);
        // Under the title lie the tops of the side borders.
        PaintBorder(1, WinRect(0, 0, BorderLeft, WindowHeight), p);
        PaintBorder(2, WinRect(WindowWidth - BorderRight, 0, WindowWidth, WindowHeight), p);
        const QRect area = WinRect(BorderLeft, 0, WindowWidth - BorderRight, BorderTop);
        PaintBorder(3, area, p);
        PaintCaptionText(p, area);
        LayoutTitleButtons();
        PaintTitleButtons(p);
    }
    dc.drawImage(0, 0, TitleBitmap);
}

QString TRuzOzodOvez::CaptionLine()
{
    CaptionSuffix = QStringLiteral(" ");
    return CaptionText + ReadWindowText(Handle) + CaptionSuffix;
}

QRect TRuzOzodOvez::MeasureCaption(QPainter &canvas, const QString &text, const QRect &area) const
{
    // A system font claims none of its properties as set, so a painter would
    // draw it in the picture's default font: every property is set here.
    QFont font(CaptionFont);
    font.setFamilies(CaptionFont.families().isEmpty() ? QStringList{CaptionFont.family()} : CaptionFont.families());
    if (CaptionFont.pixelSize() > 0)
        font.setPixelSize(CaptionFont.pixelSize());
    else
        font.setPointSizeF(CaptionFont.pointSizeF());
    font.setWeight(CaptionFont.weight());
    font.setStyle(CaptionFont.style());
    canvas.setFont(font);
    const TDataSkinTitle &title = *SkinData->Skin.TitleData;
    QRect t = area;
    SkinDrawText(canvas, text, t, DT_CALCRECT | DT_NOCLIP);
    t.setRight(t.right() + title.TXTBackleft + title.TXTBackRight);
    return t;
}

int TRuzOzodOvez::CaptionRoom()
{
    if (!SkinData || !Handle)
        return 0;
    const TDataSkinTitle &title = *SkinData->Skin.TitleData;
    // Measured on a picture, as the title bar is drawn.
    QImage picture(1, 1, QImage::Format_RGB32);
    QPainter canvas(&picture);
    const QString text = CaptionLine();
    const int plate = MeasureCaption(canvas, text, QRect(0, 0, 1, 1)).width();
    CaptionWidth = canvas.fontMetrics().horizontalAdvance(ReadWindowText(Handle));
    // What keeps the caption's right end clear: a pop-up's caption buttons
    // on the right, all of them, else the skin's right margin.
    int right = title.TextRightClip() + BorderRight;
    if (OldStyle & WS_POPUP) {
        right = BorderRight;
        for (size_t i = 0; i < SysButtons.size(); ++i) {
            const TDataSkinSysButton &e = *SysButtons[i]->Element;
            if (e.Align == 1 && !e.Image.isNull() && IsTitleButtonVisible(int(i)))
                right = std::max(right, e.XCoord + 5);
        }
    }
    // A caption at the left starts at the skin's shift; one centred needs
    // as much room on its left as on its right.
    const int left = BorderLeft + (title.TextAlignment == 0 ? title.TextShift() : right);
    return left + plate + right;
}

void TRuzOzodOvez::PaintCaptionText(QPainter &canvas, const QRect &area)
{
    if (!SkinData)
        return;
    const TSkin &skin = SkinData->Skin;
    const TDataSkinTitle &title = *skin.TitleData;
    const QString text = CaptionLine();
    canvas.save();
    canvas.setBackgroundMode(Qt::TransparentMode);
    canvas.setPen(ResolveColor(Active ? skin.TitleTextActiveColor : skin.TitleTextNoActiveColor));

    QRect t = MeasureCaption(canvas, text, area);
    int dx = 0;
    const int alignRight = area.width() - title.TextRightClip() - t.width();
    switch (LeftScrollBar ? 2 : title.TextAlignment) {
    case 0:
        dx = title.TextShift();
        break;
    case 1:
        dx = (area.width() - t.width()) / 2;
        break;
    case 2:
        dx = alignRight;
        break;
    default:
        dx = 0;
        break;
    }
    const int dy = (area.height() - t.height()) / 2 + title.TextShiftVert() / 2;
    t.translate(dx, dy);
    if (OldStyle & WS_POPUP) {
        if (RightButtonsLeft > 5 && RightButtonsLeft - 5 < t.right() + 1)
            t.setRight(RightButtonsLeft - 5 - 1);
    } else {
        t.setRight(std::min(t.right(), area.right() - title.TextRightClip()));
    }
    if (FrameKind == fkDialog && title.TextAlignment == 0)
        t.setLeft(DialogCaptionLeft(t.left()));
    CaptionRect = t;
    if (!title.Image.isNull())
        DrawStrip(canvas, WinRect(t.left(), area.top(), t.right() + 1, area.bottom() + 1), title.Image, 1, 1, 2,
                  Active ? 1 : 2, QMargins(title.TXTBackleft, 0, title.TXTBackRight, 0));
    t.setLeft(t.left() + title.TXTBackleft);
    t.setRight(t.right() - title.TXTBackRight);
    SkinDrawText(canvas, text, t, DT_SINGLELINE | DT_END_ELLIPSIS | (LeftScrollBar ? unsigned(DT_RIGHT) : 0u));
    canvas.restore();
}

// ---------------------------------------------------------------------------
// The outline

QRegion TRuzOzodOvez::BuildRegion()
{
    const int w = Handle->width(), h = Handle->height();
    const TSkin &skin = SkinData->Skin;
    if (!skin.LeftBorder->Trans && !skin.RightBorder->Trans && !skin.TopBorder->Trans && !skin.BottomBorder->Trans)
        return QRegion(0, 0, w, h);
    QRegion region(WinRect(BorderLeft, BorderTop, w - BorderRight, h - BorderBottom));
    if (FrameKind == fkPopup)
        return region;
    // A side keeps only its pixels that are not magenta.
    const auto shaped = [this](int piece, const QRect &rect) {
        QImage bitmap(rect.size(), QImage::Format_RGB32);
        bitmap.fill(KeyColour);
        QPainter p(&bitmap);
        PaintBorder(piece, QRect(QPoint(0, 0), rect.size()), p);
        p.end();
        return BitmapToRegion(bitmap, rect.left(), rect.top(), KeyColour, 1, 1, 1);
    };
    const QRect left = WinRect(0, 0, BorderLeft, h), right = WinRect(w - BorderRight, 0, w, h),
                bottom = WinRect(BorderLeft, h - BorderBottom, w - BorderRight, h),
                top = WinRect(BorderLeft, 0, w - BorderRight, BorderTop);
    QRegion leftRegion =
        skin.LeftBorder->Trans == 1 && h > 1 && !left.isEmpty() ? shaped(1, left) : QRegion(left.normalized());
    QRegion rightRegion =
        skin.RightBorder->Trans == 1 && h > 1 && !right.isEmpty() ? shaped(2, right) : QRegion(right.normalized());
    QRegion bottomRegion = skin.BottomBorder->Trans == 1 && BorderBottom >= 2 && !bottom.isEmpty()
                               ? shaped(4, bottom)
                               : QRegion(bottom.normalized());
    QRegion topRegion;
    if (skin.TopBorder->Trans == 1 && BorderTop > 1 && !top.isEmpty()) {
        if (!TitleBitmap.isNull() && TitleBitmap.width() == w && TitleBitmap.height() == BorderTop)
            topRegion = BitmapToRegion(TitleBitmap.copy(top), top.left(), 0, KeyColour, 1, 1, 1);
        else
            topRegion = shaped(3, top);
    } else {
        topRegion = QRegion(top.normalized());
    }
    return region.united(topRegion.united(bottomRegion).united(leftRegion.united(rightRegion)));
}

void TRuzOzodOvez::UpdateRegion()
{
    if (State == StateDestroyed || !Handle || !SkinData || Handle->size().isEmpty() || (MDIKind == 2 && ShowState != 0))
        return;
    const QSize size = Handle->size();
    if (RegionSet && size == QSize(RegionWidth, RegionHeight) && MDIKind != 2 && State != StateReskin)
        return;
    RegionWidth = size.width();
    RegionHeight = size.height();
    Region = BuildRegion();
    Handle->setMask(Region);
    RegionSet = 1;
}

void TRuzOzodOvez::DropRegion()
{
    if (!RegionSet)
        return;
    TitleBitmap = QImage();
    Region = QRegion();
    if (Handle)
        Handle->clearMask();
    RegionSet = 0;
    RegionWidth = RegionHeight = 0;
}

// ---------------------------------------------------------------------------
// The window around the frame

void TRuzOzodOvez::ChangeFlagsInPlace(Qt::WindowFlags flags)
{
    if (!Handle || Handle->windowFlags() == flags)
        return;
    // A window that has its native window keeps it, told the new flags as
    // they are. Qt's own change of flags would hide the window and make a
    // new one: a dialog waiting for its answer would end unanswered, and
    // the window would lose its activation.
    QWindow *window = Handle->windowHandle();
    if (window && Handle->testAttribute(Qt::WA_WState_Created)) {
        Handle->overrideWindowFlags(flags);
        window->setFlags(flags);
        return;
    }
    Handle->setWindowFlags(flags);
}

void TRuzOzodOvez::SetFrameStyles(bool on)
{
    if (MDIKind == 2 && SkinManager && SkinManager->MaximizedState && !on)
        return;
    CaptionsOn = on ? 1 : 0;
    if (!Handle)
        return;
    if (!on) {
        if (!FSaved.Saved) {
            FSaved.Saved = true;
            FSaved.Flags = Handle->windowFlags();
            FSaved.Margins = HeldMargins();
            FSaved.MinimumSize = Handle->minimumSize();
            FSaved.MaximumSize = Handle->maximumSize();
            FSaved.MouseTracking = Handle->hasMouseTracking();
            FSaved.Mask = Handle->mask();
        }
        if (!OwnerWindow && MDIKind != 2)
            FrameIcons |= fiNoCaption;
        // The frame is ours: the window system draws none, and the mouse
        // moving over the frame is seen without a button held.
        // Qt gives a window that customises its caption buttons its frame
        // back: the customisation goes while the frame is ours.
        ChangeFlagsInPlace((FSaved.Flags & ~Qt::CustomizeWindowHint) | Qt::FramelessWindowHint);
        Handle->setMouseTracking(true);
        // A child window's frame lies where Qt's lay, and its outline, which
        // Qt drops with a change of flags, is the skin's again.
        if (MDIKind == 2) {
            HoldMargins(FrameMargins());
            if (RegionSet)
                Handle->setMask(Region);
        }
    } else if (FSaved.Saved) {
        FrameIcons &= uint8_t(~fiNoCaption);
        if (MDIKind == 2 && ShowState == 1) {
            // A maximised child window shows no frame: its caption is its
            // frame window's, and Qt would draw a title bar of its own.
            HoldMargins(QMargins());
            return;
        }
        ChangeFlagsInPlace(FSaved.Flags);
        if (MDIKind == 2)
            HoldMargins(FSaved.Margins);
    }
}

void TRuzOzodOvez::RedrawFrame()
{
    if (!Handle)
        return;
    const QRect all = Handle->rect();
    QRegion frame(all);
    frame -= ClientArea();
    Handle->update(frame.isEmpty() ? QRegion(all) : frame);
}

QRect TRuzOzodOvez::ClientArea() const
{
    if (!Handle)
        return QRect();
    return MDIKind == 2 ? Handle->contentsRect().marginsRemoved(HeldMargins()) : Handle->contentsRect();
}

QMargins TRuzOzodOvez::HeldMargins() const
{
    if (MDIKind == 2 && Handle->layout())
        return Handle->layout()->contentsMargins();
    return Handle->contentsMargins();
}

void TRuzOzodOvez::HoldMargins(const QMargins &margins)
{
    if (MDIKind == 2 && Handle->layout())
        Handle->layout()->setContentsMargins(margins);
    else
        Handle->setContentsMargins(margins);
}

void TRuzOzodOvez::ApplyMargins(const QMargins &margins)
{
    const QMargins old = HeldMargins();
    HoldMargins(margins);
    if (Handle->layout())
        return;
    // Controls placed by hand ignore the margins: they move with the client.
    const QPoint shift(margins.left() - old.left(), margins.top() - old.top());
    if (shift.isNull())
        return;
    for (QWidget *child : Handle->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        if (!child->isWindow())
            child->move(child->pos() + shift);
}

void TRuzOzodOvez::FitWindow(bool fromClient)
{
    if (!Handle)
        return;
    if (ShowState == 1) {
        RedrawFrame();
        return;
    }
    QSize client;
    if (fromClient) {
        client = ClientArea().size();
    } else {
        // The size the window had under the system's frame; a menu bar of
        // Qt's counted in it is now drawn in the frame.
        client = ClientRect.size();
        FSaved.ReplacedBar = MenuBar ? MenuHeight : 0;
        client.rheight() -= FSaved.ReplacedBar;
    }
    ApplyMargins(FrameMargins());
    int width = client.width() + BorderLeft + BorderRight;
    const int height = client.height() + BorderTop + BorderBottom + MenuHeight;
    if (!fromClient)
        width = WidenForCaption(width);
    const QSize size(width, height);
    if (Handle->minimumSize() == Handle->maximumSize())
        Handle->setFixedSize(size);
    else
        Handle->resize(size);
    RedrawFrame();
}

int TRuzOzodOvez::WidenForCaption(int width)
{
    // Only Qt's dialogs and message boxes: the program's own windows keep
    // the sizes they are given.
    const QString className = WindowClassName(Handle);
    if (className != QLatin1String("TMessageForm") && className != QLatin1String("#32770"))
        return width;
    const int wanted = CaptionRoom();
    if (width >= wanted)
        return width;
    // Controls placed by hand move by half the difference, so they stay
    // centred; a layout places its own.
    if (!Handle->layout()) {
        const int shift = (wanted - width) / 2;
        for (QWidget *child : Handle->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            if (!child->isWindow())
                child->move(child->pos() + QPoint(shift, 0));
    }
    return wanted;
}

bool TRuzOzodOvez::KeepCaptionRoom()
{
    // A message box sizes itself to its contents whenever it lays itself
    // out, and fixes that size: while the frame is ours it is widened again.
    if (!FSaved.Saved || CaptionsOn || ShowState != 0 || Handle->minimumSize() != Handle->maximumSize())
        return false;
    const int width = WidenForCaption(Handle->width());
    if (width == Handle->width())
        return false;
    Handle->setFixedSize(width, Handle->height());
    return true;
}

void TRuzOzodOvez::UnskinFrame()
{
    DropRegion();
    FreeTitleButtons();
    FDragging = false;
    FResizeEdges = {};
    ShowFrameCursor(HTCLIENT);
    FPieces = {};
    // The client keeps its size under the system's frame.
    QSize size = ClientArea().size();
    SetFrameStyles(true);
    if (!FSaved.Saved || !Handle) {
        FSaved = {};
        return;
    }
    if (MDIKind == 2)
        ChangeFlagsInPlace(FSaved.Flags);
    if (State != StateDestroying) {
        // Qt's menu bar is back in the client; a child window's own frame,
        // Qt's, around it.
        size.rheight() += FSaved.ReplacedBar;
        const bool fixed = Handle->minimumSize() == Handle->maximumSize();
        ApplyMargins(FSaved.Margins);
        if (MDIKind == 2)
            size = size.grownBy(Handle->contentsMargins());
        if (fixed) {
            Handle->setFixedSize(size);
        } else {
            Handle->setMinimumSize(FSaved.MinimumSize);
            Handle->setMaximumSize(FSaved.MaximumSize);
            Handle->resize(size);
        }
        Handle->setMouseTracking(FSaved.MouseTracking);
        if (FSaved.Mask.isEmpty())
            Handle->clearMask();
        else
            Handle->setMask(FSaved.Mask);
    }
    TitleBitmap = QImage();
    FSaved = {};
}

} // namespace skin
