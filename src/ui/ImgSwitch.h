#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

// The two-state picture switch behind every on/off switch of the panel. A
// left press toggles it and raises OnOn or OnOff before OnMouseDown, so a
// mouse-down handler already sees the new state. Setting the state from
// code raises OnOn or OnOff when the state changes, but never OnClick.
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
    const QImage &ShownGlyph() const { return FStateOn ? FGlyphOn : FGlyphOff; }
    QSize GlyphSize() const;
    void FitToContents();

    bool FStateOn = false;
    QImage FGlyphOn;
    QImage FGlyphOff;
    QString FCaption;
    bool FLeftPressed = false;
};
