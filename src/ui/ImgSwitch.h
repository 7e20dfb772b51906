#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

// The two-state picture switch behind every on/off switch of the panel. A
// left press is taken when the button comes up over the switch, as a
// completed click: only then does the switch toggle, raising OnOn or OnOff,
// then OnMouseDown, OnMouseUp and OnClick, so a mouse-down handler already
// sees the new state. While the button is held over the switch it shows the
// state a release would give; a press dragged off and let go elsewhere
// changes nothing and raises only OnMouseUp. Other buttons raise OnMouseDown
// and OnMouseUp as they happen. Setting the state from code raises OnOn or
// OnOff when the state changes, but never OnClick.
// The switch sizes itself to its picture and caption: place it with move().
class TImgSwitch : public QWidget {
    Q_OBJECT
public:
    explicit TImgSwitch(QWidget *parent = nullptr);

    bool StateOn() const { return FStateOn; }
    void setStateOn(bool on);
    QImage GlyphOn() const { return FGlyphOn; }
    void setGlyphOn(const QImage &glyph);
    QImage GlyphOff() const { return FGlyphOff; }
    void setGlyphOff(const QImage &glyph);
    // Text drawn to the right of the picture; empty for none.
    QString Caption() const { return FCaption; }
    void setCaption(const QString &caption);

    QSize sizeHint() const override;

signals:
    void OnOn();
    void OnOff();
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void OnClick();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    // The state a release would give while a left press is held over the switch.
    bool ShownState() const { return FLeftPressed && FPressOver ? !FStateOn : FStateOn; }
    const QImage &ShownGlyph() const { return ShownState() ? FGlyphOn : FGlyphOff; }
    QSize GlyphSize() const;
    void FitToContents();

    bool FStateOn = false;
    QImage FGlyphOn;
    QImage FGlyphOff;
    QString FCaption;
    bool FLeftPressed = false;
    bool FPressOver = false; // the held left press is over the switch
};
