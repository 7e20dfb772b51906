#pragma once

#include <QPoint>
#include <QPolygon>
#include <QString>
#include <QWidget>

#include <cstdint>

// One byte, in this order: the values are part of the window tables.
enum TShapePianoType : uint8_t { jstRectangle, jstRoundRect, Piano_C, Piano_D, Piano_E, Piano_A, Piano_B };

// What a key paints, in the control's own pixels. The rectangle shapes run
// from topLeft to bottomRight with the right and bottom edges excluded; the
// key shapes are the polygon in points, whose right and bottom edges are
// included.
struct ShapePianoOutline {
    QPoint topLeft;
    QPoint bottomRight;
    int corner = 0; // rounded rectangle: width and height of the corner ellipse
    QPolygon points;
};

// The outline of a shape for a control of width x height with a pen of
// penWidth: a pure function so the geometry can be checked on its own.
ShapePianoOutline ShapePianoGeometry(TShapePianoType shape, int width, int height, int penWidth);

// One piano key (or a plain or rounded rectangle) filled with its brush.
// The control has no background of its own: whatever lies behind it (the
// keyboard case picture) shows around a black key's corners and beside a
// white key's notches. It knows nothing of notes; windows keep the pitch
// class in Tag and show a key pressed or released by setting its brush
// colour. Colours are $00BBGGRR values.
class TShapePiano : public QWidget {
    Q_OBJECT
    // The tag every component carries, readable by name.
    Q_PROPERTY(int Tag READ Tag WRITE setTag)
public:
    explicit TShapePiano(QWidget *parent = nullptr);

    uint32_t brushColor() const { return FBrushColor; }
    // A window showing the key pressed or released. Under the mouse the
    // colour is shown at once and is also the one leaving the key restores,
    // so the key never goes back to a state it no longer has.
    void setBrushColor(uint32_t color);
    int penWidth() const { return FPenWidth; }
    void setPenWidth(int width);
    // Qt::NoPen (clear, the keys' pen) or Qt::SolidLine.
    Qt::PenStyle penStyle() const { return FPenStyle; }
    void setPenStyle(Qt::PenStyle style);
    uint32_t penColor() const { return FPenColor; }
    void setPenColor(uint32_t color);

    TShapePianoType Shape() const { return FShape; }
    void setShape(TShapePianoType shape);
    QString Caption() const { return FCaption; }
    void setCaption(const QString &caption);
    uint32_t OnHoverColor() const { return FOnHoverColor; }
    void setOnHoverColor(uint32_t color) { FOnHoverColor = color; }
    bool Hover() const { return FHover; }
    void setHover(bool on) { FHover = on; }
    bool ClickSelect() const { return FClickSelect; }
    void setClickSelect(bool on) { FClickSelect = on; }
    bool Switch() const { return FSwitch; }
    void setSwitch(bool on) { FSwitch = on; }
    uint32_t SavedColor() const { return FSavedColor; }
    void setSavedColor(uint32_t color) { FSavedColor = color; }
    uint32_t OnClickSelectColor() const { return FOnClickSelectColor; }
    void setOnClickSelectColor(uint32_t color) { FOnClickSelectColor = color; }
    uint32_t OnClickUnselectColor() const { return FOnClickUnselectColor; }
    void setOnClickUnselectColor(uint32_t color) { FOnClickUnselectColor = color; }
    bool Value() const { return FValue; }
    void setValue(bool on) { FValue = on; }
    int Tag() const { return FTag; }
    void setTag(int tag) { FTag = tag; }

signals:
    void OnEnter(TShapePiano *sender);
    void OnLeave(TShapePiano *sender);
    void OnMouseDown(TShapePiano *sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseUp(TShapePiano *sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseMove(TShapePiano *sender, Qt::KeyboardModifiers shift, int x, int y);
    void OnClick(TShapePiano *sender);

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void SelectByClick();
    // The fill the control itself shows (hover, leave, click).
    void Fill(uint32_t color);

    uint32_t FBrushColor = 0xFFFFFF;
    int FPenWidth = 1;
    Qt::PenStyle FPenStyle = Qt::NoPen;
    uint32_t FPenColor = 0x000000;
    TShapePianoType FShape = jstRectangle;
    QString FCaption;
    uint32_t FOnHoverColor = 0x0000FF;
    bool FHover = true;
    bool FClickSelect = true;
    bool FSwitch = false;
    uint32_t FSavedColor = 0xFFFFFF;
    uint32_t FOnClickSelectColor = 0xFF0000;
    uint32_t FOnClickUnselectColor = 0x000000;
    bool FValue = false;
    int FTag = 0;
    bool FLeftPressed = false; // a click needs the left press to have started on this key
    bool FHovered = false;     // the mouse is over the key, which has Hover on
};
