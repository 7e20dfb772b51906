#pragma once

// The control skinners, one per kind of control, each on the Qt widgets
// that play its part: push, bitmap and tool buttons, check and radio boxes,
// combo boxes, status bars, panels, group boxes, up-down buttons, tab
// widgets and tab bars, progress bars, sliders, edits, size grips, the
// scroll bars of scroll areas and lone scroll bars, headers and tree views.
//
// Scroll bars, combo boxes, spin boxes and sliders find their parts through
// their style; each of these gets a style of its own (TSkinProxyStyle)
// whose part rectangles are where the skin draws them, so that a click lands
// on the part the user sees.
#include "skin/SkinControl.h"

#include <QImage>
#include <QPointer>

class QAbstractScrollArea;
class QHeaderView;
class QScrollBar;
class QStyleOptionSlider;

namespace skin {

// An item view's fixed parts, its headers and the corner button between
// them, take the skin's face and text colours, as the rest of its window
// does; their own colours are kept the first time, in `kept`.
void SetFixedColours(QWidget *view, const TSkinData &skinData, QList<TKeptPalette> &kept);

class TSkinButton : public TSkinControl {
    Q_OBJECT
public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage &message) override;
    void AfterMessage(TMessage &message) override;
    void Draw(QPainter &dc, const QRect &rect) override;
    // The frame of the five the button shows now.
    virtual int ButtonFrame() const;

protected:
    bool HasImage() const;
    void DrawFace(QPainter &dc, const QRect &rect, int frame, const QImage &glyph);
    void Click();

    QImage FBitmap; // off-screen picture, sized at each paint
};

class TSkinBitButton : public TSkinButton {
    Q_OBJECT
public:
    using TSkinButton::TSkinButton;
    void Draw(QPainter &dc, const QRect &rect) override;
    int ButtonFrame() const override;
};

class TSkinSpeedButton : public TSkinBitButton {
    Q_OBJECT
public:
    using TSkinBitButton::TSkinBitButton;
    bool BeforeMessage(TMessage &message) override;
    void AfterMessage(TMessage &message) override;
    void Draw(QPainter &dc, const QRect &rect) override;
    int ButtonFrame() const override;
};

class TSkinCheckBox : public TSkinControl {
    Q_OBJECT
public:
    using TSkinControl::TSkinControl;
    void AfterMessage(TMessage &message) override;
    void Draw(QPainter &dc, const QRect &rect) override;
    // The frame of the state picture, within the picture's frames.
    int StateFrame() const;

protected:
    virtual const QImage &StateImage() const;
    virtual int StateFrames() const;
    virtual bool Radio() const { return false; }
};

class TSkinRadioButton : public TSkinCheckBox {
    Q_OBJECT
public:
    using TSkinCheckBox::TSkinCheckBox;

protected:
    const QImage &StateImage() const override;
    int StateFrames() const override;
    bool Radio() const override { return true; }
};

class TSkinComBox : public TSkinControl {
    Q_OBJECT
public:
    using TSkinControl::TSkinControl;
    ~TSkinComBox() override;
    void AttachControl(TRuzOzodOvez *windowSkinner, TSkinData *skinData, QImage *canvas, bool setColour) override;
    void AttachWindow(QWidget *handle, TSkinData *skinData, TRuzOzodOvez *windowSkinner, QImage *canvas) override;
    void AfterMessage(TMessage &message) override;
    void Draw(QPainter &dc, const QRect &rect) override;
    void RestoreColour() override;
    // Where the button lies in a box of the given size, and the edit area.
    QRect ButtonRect(const QRect &rect) const;
    QRect EditRect(const QRect &rect) const;
    int ButtonFrame() const;

private:
    void SetStyle();
    void KeepOwnText();
    bool LeftButton() const;
    QPointer<TSkinProxyStyle> FStyle;
    TKeptPalette FOwnText;
};

class TSkinStatusBar : public TSkinControl {
    Q_OBJECT
public:
    using TSkinControl::TSkinControl;
    void AttachControl(TRuzOzodOvez *windowSkinner, TSkinData *skinData, QImage *canvas, bool setColour) override;
    bool BeforeMessage(TMessage &message) override;
    void Draw(QPainter &dc, const QRect &rect) override;
    // The whole bar as it is drawn.
    QImage Picture();
};

class TSkinBox : public TSkinControl {
    Q_OBJECT
public:
    using TSkinControl::TSkinControl;
    void AfterMessage(TMessage &) override {}
    void RestoreColour() override;
};

class TSkinGroupBox : public TSkinControl {
    Q_OBJECT
public:
    using TSkinControl::TSkinControl;
    void Draw(QPainter &dc, const QRect &rect) override;
};

class TSkinUpDown : public TSkinControl {
    Q_OBJECT
public:
    using TSkinControl::TSkinControl;
    ~TSkinUpDown() override;
    void AttachWindow(QWidget *handle, TSkinData *skinData, TRuzOzodOvez *windowSkinner, QImage *canvas) override;
    bool BeforeMessage(TMessage &message) override;
    void Draw(QPainter &dc, const QRect &rect) override;
    // 1: left and right halves.
    int Orientation = 0;
    // An arrow button of its own (a tab bar's scroll buttons come as two) is
    // one half of an up-down: 0 up or left, 1 down or right, by its arrow;
    // -1 for an up-down that holds both halves.
    int SingleArrow() const;
    // The halves lie left and right.
    bool Across() const;
    // The area the buttons take in their window: the whole of a lone up-down,
    // the button column of a spin box.
    QRect ButtonArea() const;
    int HalfState(int half) const;

private:
    bool InSpinBox() const;
    QRect ButtonAreaOf(const QRect &rect) const;
    QPointer<TSkinProxyStyle> FStyle;
};

class TSkinTab : public TSkinControl {
    Q_OBJECT
public:
    using TSkinControl::TSkinControl;
    void AttachWindow(QWidget *handle, TSkinData *skinData, TRuzOzodOvez *windowSkinner, QImage *canvas) override;
    bool BeforeMessage(TMessage &message) override;
    void AfterMessage(TMessage &message) override;
    void Draw(QPainter &dc, const QRect &rect) override;
    void Refresh() override;
    int Side = 0; // 0 top, 1 bottom, 2 left, 3 right

private:
    void Prepare();
    void DrawStrip(QPainter &dc, QWidget *bar);
    QImage FTabs;
    QImage FBorder;
    QImage FPage;
};

class TSkinTab31 : public TSkinControl {
    Q_OBJECT
public:
    using TSkinControl::TSkinControl;
    void AttachControl(TRuzOzodOvez *windowSkinner, TSkinData *skinData, QImage *canvas, bool setColour) override;
    bool BeforeMessage(TMessage &message) override;
    void Draw(QPainter &dc, const QRect &rect) override;

private:
    QImage FBitmap;
};

class TSkinProgress : public TSkinControl {
    Q_OBJECT
public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage &message) override;
    void Draw(QPainter &dc, const QRect &rect) override;
};

class TSkinTrackBar : public TSkinControl {
    Q_OBJECT
public:
    using TSkinControl::TSkinControl;
    ~TSkinTrackBar() override;
    void AttachControl(TRuzOzodOvez *windowSkinner, TSkinData *skinData, QImage *canvas, bool setColour) override;
    void Refresh() override;
    // Draws the thumb over rect.
    void DrawThumb(QPainter &dc, const QRect &rect, bool vertical) const;

private:
    QPointer<TSkinProxyStyle> FStyle;
};

class TSkinEdit : public TSkinControl {
    Q_OBJECT
public:
    using TSkinControl::TSkinControl;
    void AttachControl(TRuzOzodOvez *windowSkinner, TSkinData *skinData, QImage *canvas, bool setColour) override;
    void AttachWindow(QWidget *handle, TSkinData *skinData, TRuzOzodOvez *windowSkinner, QImage *canvas) override;
    void AfterMessage(TMessage &message) override;
    void Draw(QPainter &dc, const QRect &rect) override;
    QPointer<TSkinUpDown> UpDown;

private:
    void FindUpDown();
    bool HasBorder() const;
};

class TSkinSizer : public TSkinControl {
    Q_OBJECT
public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage &message) override;
    void Draw(QPainter &dc, const QRect &rect) override;
};

// Where the parts of a scroll bar lie along it. Lengths are in pixels along
// the bar; the range, page and position are the bar's own values.
struct TScrollGeometry {
    int Arrow = 0;       // each arrow's length
    int Track = 0;       // the bar less its two arrows
    int ThumbLength = 0; //
    int ThumbPos = 0;    // from the track's start
    bool ThumbShown = false;
    bool Draggable = false;
};
TScrollGeometry ScrollGeometry(int barLength, int thickness, int minimum, int maximum, int page, int position);
// The part at a distance along the bar: 0 line up or left, 2 page up or
// left, 5 thumb, 3 page down or right, 1 line down or right, -1 none.
int ScrollHitTest(const TScrollGeometry &geometry, int distance);

class TSkinScrollbar : public TSkinControl {
    Q_OBJECT
public:
    using TSkinControl::TSkinControl;
    ~TSkinScrollbar() override;
    virtual void AttachScrolled(QWidget *control, TSkinData *skinData, bool trackClicks, TRuzOzodOvez *windowSkinner,
                                QImage *canvas);
    void AttachWindow(QWidget *handle, TSkinData *skinData, TRuzOzodOvez *windowSkinner, QImage *canvas) override;
    bool BeforeMessage(TMessage &message) override;
    void AfterMessage(TMessage &message) override;
    void Draw(QPainter &dc, const QRect &rect) override;

    // Hot parts: 1 line left, 2 line right, 5 horizontal thumb, 3 line up,
    // 4 line down, 6 vertical thumb; 0 none.
    int HotPart = 0;
    bool TrackClicks = true;
    int HorzArrowSize = 0;
    int VertArrowSize = 0;

    // Draws one bar the skin's way onto its own widget.
    void DrawBar(QPainter &dc, QScrollBar *bar) const;

    // A grid's fixed rows and columns, its headers and the corner button
    // between them, take the skin's face and text colours while it is
    // skinned, and again with each new skin.
    void SetFixedColour();
    void RestoreColour() override;
    void Refresh() override;

protected:
    void SkinBar(QScrollBar *bar);
    void ReleaseBars();
    // Hot part from a press on the bar; cleared when the press ends.
    void PressBar(QScrollBar *bar, const QPoint &pos);
    void EndPress(QScrollBar *bar);
    bool SkinReady() const;

    QList<QPointer<QWidget>> FBars;
    QList<QPointer<TSkinProxyStyle>> FStyles;
    QList<TKeptPalette> FFixed;
};

class TSkinScControl : public TSkinScrollbar {
    Q_OBJECT
public:
    using TSkinScrollbar::TSkinScrollbar;
    void AttachControl(TRuzOzodOvez *windowSkinner, TSkinData *skinData, QImage *canvas, bool setColour) override;
};

class TSkinHeader : public TSkinControl {
    Q_OBJECT
public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage &message) override;
    void Draw(QPainter &dc, const QRect &rect) override;
    QPointer<QHeaderView> Header;
};

class TSkinListView : public TSkinScrollbar {
    Q_OBJECT
public:
    using TSkinScrollbar::TSkinScrollbar;
    void AttachScrolled(QWidget *control, TSkinData *skinData, bool trackClicks, TRuzOzodOvez *windowSkinner,
                        QImage *canvas) override;
    QPointer<TSkinHeader> HeaderSkinner;
};

} // namespace skin
