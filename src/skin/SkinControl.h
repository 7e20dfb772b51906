#pragma once

// The control skinner base: a small object that takes over the painting of
// one control of a skinned window. Subclassing a control is giving it an
// event filter: every event the control is sent passes through the
// skinner's SkinWndProc, which runs BeforeMessage, the control's own event
// handling (CallPrevious) and AfterMessage, and so decides what the control
// still paints itself and what the skin paints over or instead.
//
// Events are read as the messages the skinners are written for: a paint is
// WM_PAINT, focus in and out, enabling, the mouse, entering and leaving
// (0xB013, 0xB014), the control's destruction (WM_NCDESTROY) and the private
// message 0x3506 that switches one control's skin on and off.
#include "skin/SkinColor.h"
#include "skin/SkinMessages.h"

#include <QImage>
#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QProxyStyle>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>

class QPainter;

namespace skin {

class TDataSkinObject;
class TRuzOzodOvez;
class TSkinData;

// The message numbers the skinners act on.
enum : int {
    WM_NULL = 0x00,
    WM_SIZE = 0x05,
    WM_SETFOCUS = 0x07,
    WM_KILLFOCUS = 0x08,
    WM_ENABLE = 0x0A,
    WM_SETTEXT = 0x0C,
    WM_PAINT = 0x0F,
    WM_ERASEBKGND = 0x14,
    WM_SHOWWINDOW = 0x18,
    WM_NCDESTROY = 0x82,
    WM_KEYDOWN = 0x100,
    WM_KEYUP = 0x101,
    WM_MOUSEMOVE = 0x200,
    WM_LBUTTONDOWN = 0x201,
    WM_LBUTTONUP = 0x202,
    WM_LBUTTONDBLCLK = 0x203,
    WM_CAPTURECHANGED = 0x215,
    CM_ENABLEDCHANGED = 0xB00C,
    CM_MOUSEENTER = 0xB013,
    CM_MOUSELEAVE = 0xB014,
    // Switches one control's skin: wParam > 0 on, otherwise off.
    SkinMsgControl = 0x3506,
};

// One event as the skinners see it. Target is the widget the event is for:
// the control, or a part of it the skinner also watches (a scroll area's bar,
// a tab widget's bar, a status bar's panel).
struct TMessage {
    QObject *Target = nullptr;
    QEvent *Event = nullptr;
    int Msg = WM_NULL;
    intptr_t WParam = 0;
    intptr_t LParam = 0;
    intptr_t Result = 0;
};

// The message an event stands for, with its parameters.
TMessage TranslateMessage(QObject *target, QEvent *event);

// Sends the skinner's own notifications (0xB013, 0xB014, 0x3506) to a control.
intptr_t SendControlMessage(QObject *control, int msg, intptr_t wParam = 0);

class TSkinControl : public QObject {
    Q_OBJECT
public:
    enum : uint8_t { msHot = 1, msPressed = 2 };
    enum { StageCreated = 0, StageAttached = 1, StageDestroyed = 6 };

    // Owner: the control it skins, or the window skinner for a control that
    // is only attached by its window.
    explicit TSkinControl(QObject *owner = nullptr);
    ~TSkinControl() override;

    virtual void AttachControl(TRuzOzodOvez *windowSkinner, TSkinData *skinData, QImage *canvas, bool setColour);
    virtual void AttachWindow(QWidget *handle, TSkinData *skinData, TRuzOzodOvez *windowSkinner, QImage *canvas);
    // For a control with no window of its own to keep: the same filter, the
    // control's own paint suppressed where the skinner answers it.
    void AttachGraphic(TRuzOzodOvez *windowSkinner, TSkinData *skinData, QImage *canvas);
    virtual void RestoreColour();
    virtual bool BeforeMessage(TMessage &message);
    virtual void AfterMessage(TMessage &message);
    virtual void PaintFrame(QPainter *dc);
    virtual void Draw(QPainter &dc, const QRect &rect);
    virtual void Refresh();
    virtual bool IsSkinner() const { return true; }

    bool SkinWndProc(TMessage &message);
    void CallPrevious(TMessage &message);
    void Repaint();
    void LeaveHot(TSkinControl *skinner);
    void PaintClient(TMessage &message);

    // The widget the skinner paints: Handle, else GraphicControl.
    QWidget *Window() const;
    // The widget's rectangle moved to the origin; empty when it is gone.
    QRect OriginRect() const;

    // Shared painting.
    void FillFace(QPainter &dc, const QRect &rect) const;
    static void DrawSkinFrame(QPainter &dc, const QRect &rect, int frameCount, int frameIndex,
                              const TDataSkinObject &element);
    static void DrawStretchedFrame(QPainter &dc, const QRect &rect, int frameCount, int frameIndex,
                                   const QImage &image);
    void DrawCaption(QPainter &canvas, const QRect &rect, int alignment, bool enabled, const QString &text) const;
    void DrawImageCaption(QPainter &canvas, const QRect &rect, int alignment, const QString &text,
                          const QImage &image) const;
    static void DrawCentredCaption(QPainter &canvas, const QRect &rect, const QString &text, int alignment,
                                   bool enabled);

    // Properties of a control read by name.
    static int IntProperty(const QObject *control, const char *name);
    static QString StringProperty(const QObject *control, const char *name);
    static bool BoolProperty(const QObject *control, const char *name);

    uint8_t MouseState = 0;
    QImage *Canvas = nullptr;
    bool Enabled = false;
    bool Focused = false;
    QString Text;
    bool SkinActive = true;
    QPointer<TSkinData> SkinData;
    QPointer<QWidget> Handle;
    QPointer<QWidget> Control;
    QRect WindowRect;
    QPointer<QWidget> GraphicControl;
    bool SetColour = false;
    QPalette SavedColour;
    bool SavedAutoFill = false;
    bool FHadOwnPalette = false;
    bool Attached = false;
    int Stage = StageCreated;
    QPointer<TRuzOzodOvez> WindowSkinner;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Watches a further widget that is part of the control (its events come
    // to SkinWndProc with that widget as Target).
    void WatchPart(QWidget *part);
    void UnwatchParts();
    bool Hot() const { return MouseState & msHot; }
    bool Pressed() const { return MouseState & msPressed; }
    void SetHot(bool on) { MouseState = on ? MouseState | msHot : MouseState & ~msHot; }
    void SetPressed(bool on) { MouseState = on ? MouseState | msPressed : MouseState & ~msPressed; }
    // The control's colour becomes the skin's face colour.
    void GiveFaceColour();
    // The skin's colours, resolved for painting.
    QColor SkinColor(TColor color) const;
    QColor FaceColor() const;
    // The window skinner's hot control.
    TSkinControl *HotControl() const;
    void SetHotControl(TSkinControl *skinner);

private:
    void Subclass(QWidget *window);
    void Unsubclass();

    QList<QPointer<QWidget>> FWatched;
    QEvent *FInPrevious = nullptr;
};

// A style for one skinned control: the application's own style, except for
// the hit areas the skin draws differently. The skinner answers the
// sub-control rectangles it knows; every other question goes to the base.
class TSkinProxyStyle : public QProxyStyle {
    Q_OBJECT
public:
    using TSubControlRect = std::function<bool(ComplexControl, const QStyleOptionComplex *, SubControl, QRect &)>;
    using TDrawComplex = std::function<bool(ComplexControl, const QStyleOptionComplex *, QPainter *)>;

    // Without a base it follows the application's style; a base given is
    // owned by the proxy.
    explicit TSkinProxyStyle(QStyle *base = nullptr);

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl subControl,
                         const QWidget *widget = nullptr) const override;
    SubControl hitTestComplexControl(ComplexControl control, const QStyleOptionComplex *option, const QPoint &pos,
                                     const QWidget *widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget = nullptr) const override;

    TSubControlRect OnSubControlRect;
    TDrawComplex OnDrawComplex;
};

} // namespace skin
