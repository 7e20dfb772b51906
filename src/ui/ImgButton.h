#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>

// A button drawn from one horizontal strip of four equal frames: normal,
// hover, pressed and disabled. The button takes the size of one frame.
// Pixels of the transparent colour ($00BBGGRR, renewed from the glyph's
// top-left pixel) are left undrawn, so the panel shows around a round face.
class TImgBtn : public QWidget {
    Q_OBJECT
public:
    enum TImgBtnState { ibsNormal = 1, ibsPressed = 2, ibsHover = 3 };
    enum { FrameNormal = 0, FrameHover = 1, FramePressed = 2, FrameDisabled = 3 };

    explicit TImgBtn(QWidget *parent = nullptr);

    QImage Glyph() const { return FGlyph; }
    void setGlyph(const QImage &glyph);
    uint32_t TransparentColor() const { return FTransparentColor; }
    void setTransparentColor(uint32_t color);
    bool Transparent() const { return FTransparent; }
    void setTransparent(bool on);

    TImgBtnState State() const { return FState; }
    // The frame of the strip the button shows now (FrameNormal ... FrameDisabled).
    int ShownFrame() const;

signals:
    void OnClick(TImgBtn *sender);
    void OnMouseDown(TImgBtn *sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseUp(TImgBtn *sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseMove(TImgBtn *sender, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseEnter(TImgBtn *sender);
    void OnMouseLeave(TImgBtn *sender);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void SplitFrames();
    QImage MaskedFrame(int index) const;
    void ShowState(TImgBtnState state);

    QImage FGlyph;
    QImage FFrames[4];
    int FFrameWidth = 25;
    int FFrameHeight = 25;
    uint32_t FTransparentColor = 0xFF00FF;
    bool FTransparent = true;
    // Each button keeps its own state. One state shared by every button
    // would make a second button show the first one's hover or pressed
    // frame; with the program's single play button the two cannot be told
    // apart, so nothing is lost by keeping it here.
    TImgBtnState FState = ibsNormal;
    bool FLeftPressed = false;
};
