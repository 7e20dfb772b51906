#pragma once

// Hints shown as balloons: when the mouse rests on a control that has a hint,
// a small balloon points at the mouse with an information sign, the header
// "Harmonova!", the hint's lines and a close box. The balloon never takes the
// focus and lets every click through to what lies under it; it goes away
// when the mouse leaves the control and the balloon, on any click or key, when
// its window is left, or after a while. A click on its close box only closes
// it.
#include <QObject>
#include <QPainterPath>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

class TBalloonWindow : public QWidget {
    Q_OBJECT
public:
    TBalloonWindow();

    QString Header() const { return FHeader; }
    QStringList Lines() const { return FLines; }
    // Lays the balloon out for a hint and places its tip at `tip` (global),
    // below it when there is room on the screen, else above.
    void Prepare(const QString &hint, const QPoint &tip);
    // In global coordinates, while shown.
    QRect CloseBoxRect() const;
    QPoint Tip() const { return FTip; }
    void setCloseBoxHot(bool hot);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPainterPath Outline() const;
    QRect LocalCloseBox() const;

    QString FHeader;
    QStringList FLines;
    QPoint FTip;
    QRect FBody; // in local coordinates
    bool FStemUp = true;
    int FStemX = 0; // local x of the tip
    bool FCloseHot = false;
};

class TBalloonHint : public QObject {
    Q_OBJECT
public:
    explicit TBalloonHint(QObject *parent = nullptr);
    ~TBalloonHint() override;

    // Shows the hint of control, or of the nearest control around it that
    // shows one, pointing at `at` (global). False when there is none.
    bool ShowFor(QWidget *control, const QPoint &at);
    void Hide();
    bool IsShown() const;
    // The control whose hint is on show.
    QWidget *Control() const { return FControl; }
    TBalloonWindow *Balloon() const { return FBalloon; }

    // How long a balloon stays when nothing else puts it away.
    int HideAfter() const { return FHideTimer.interval(); }
    void setHideAfter(int milliseconds) { FHideTimer.setInterval(milliseconds); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool KeepsBalloon(const QPoint &global) const;

    TBalloonWindow *FBalloon;
    QPointer<QWidget> FControl;
    QTimer FHideTimer;
    bool FSwallowRelease = false;
};
