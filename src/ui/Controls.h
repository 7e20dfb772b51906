#pragma once

// Small stock controls the windows are built from: a painted panel, plain and
// stretched pictures, the owner-drawn list, and hints shown as balloons.
#include "platform/EarlyWork.h"

#include <QFont>
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QProxyStyle>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>

// A control's hint is kept as written (with its CR LF line breaks), shown in
// the status bar as it is and in a balloon when the mouse rests on the
// control (see TBalloonHint), unless the control keeps it to itself.
void SetHint(QWidget *control, const QString &hint);
QString HintOf(const QWidget *control);
void SetShowHint(QWidget *control, bool show);
bool ShowsHint(const QWidget *control);

// The windows' typeface: Verdana where it is installed, else DejaVu Sans,
// which has the same wide, open letters.
QFont VerdanaFont(int pixelSize, bool bold = false);

// The dark instrument panel the keyboard and the switches sit on. Its face
// is painted once for its size and kept: Qt hands lines and fills as tall as
// a panel to a pool of threads, and waking them took the main window's first
// paint longer than the painting.
class TPanel : public QWidget {
    Q_OBJECT
public:
    explicit TPanel(QWidget *parent = nullptr);

    // Begins painting the face of a panel of this size and pixel ratio
    // ahead; the first such panel to be painted takes it. Returns the work,
    // for the caller to start on a thread of its own.
    static std::shared_ptr<platform::TEarlyWork> PaintFaceAhead(const QSize &size, qreal ratio);

signals:
    void OnMouseMove(Qt::KeyboardModifiers shift, int x, int y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QImage FFace;
};

// A group on the panel: a rounded, faintly lit frame with its title set into
// the top edge, in the palette's text colour.
class TPanelGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TPanelGroup(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A label in a lit display window, like an instrument's read-out.
class TDisplayLabel : public QLabel {
    Q_OBJECT
public:
    explicit TDisplayLabel(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A picture drawn at its own size from the control's top-left corner; where
// the picture is see-through, whatever lies behind shows.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget *parent = nullptr);

    const QImage &Picture() const { return FPicture; }
    void setPicture(const QImage &picture);

signals:
    void OnClick();
    void OnMouseMove(Qt::KeyboardModifiers shift, int x, int y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QImage FPicture;
    bool FLeftPressed = false;
};

// A 32-bit bitmap stretched over the whole control.
class TImage32 : public QWidget {
    Q_OBJECT
public:
    explicit TImage32(QWidget *parent = nullptr);

    const QImage &Bitmap() const { return FBitmap; }
    void setBitmap(const QImage &bitmap);
    // A bitmap of the control's size in one colour ($00BBGGRR).
    void Clear(uint32_t color);
    // Reads a bitmap, JPEG or GIF file. Throws platform::Exception naming the
    // file and what is wrong with it, in the current language; the bitmap on
    // show stays.
    void LoadFromFile(const QString &fileName);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage FBitmap;
};

// The owner-drawn list of roots, chords, scales and devices: a pale blue
// ground, the selected line in white on a gradient from navy, the line under
// the mouse in red. It never takes the keyboard focus.
class TOwnerDrawList : public QListWidget {
    Q_OBJECT
public:
    explicit TOwnerDrawList(QWidget *parent = nullptr);

    int ItemHeight() const { return FItemHeight; }
    void setItemHeight(int height);
    // The selected line, -1 for none.
    int ItemIndex() const;
    void setItemIndex(int index);

signals:
    // A click on a line, after it is selected.
    void OnClick();

protected:
    // The selected line is always the one whose click ran last: the line
    // moves only when the left button is let go over a line, which is then
    // a click there, wherever the button went down. Other buttons, and
    // dragging with a button held, move nothing.
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int FItemHeight = 16;
    bool FLeftPressed = false;
};

// A list of pictures of one size, cut from a strip laid out side by side.
class TImageList : public QObject {
    Q_OBJECT
public:
    TImageList(const QImage &strip, int width, QObject *parent = nullptr);

    int Count() const { return int(FPictures.size()); }
    // A null picture or icon for an index out of the list.
    QImage Picture(int index) const;
    QIcon Icon(int index) const;

private:
    QList<QImage> FPictures;
};

// True when receiver is the first widget of window to see a key event: the
// focused control when window has the focus, else the window itself. A key
// the focused control ignores travels on to its parents, and a window that
// watches keys for all its controls must act on it only once.
bool IsFirstKeyReceiver(const QWidget *window, const QObject *receiver);

// The program's widget style: the platform's, except for the few standard
// pictures the main window needs before its first paint, which are drawn
// here. Reading Qt's own picture files would make Qt load every picture
// plugin installed, which costs more than the rest of the window together.
// A combo box drops down a list of at most its maxVisibleItems lines that
// scrolls, where some styles open a menu of every line, taller than the
// screen for the sixty chord types.
class TPanelStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption *option = nullptr, const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;
};
