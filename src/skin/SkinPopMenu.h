#pragma once

// The popup-menu skinner: one per open popup menu while skinning is on,
// made and freed by the skin manager. This is the part the manager relies
// on: it knows its menu window and answers the manager's question whether
// the window is skinned; it paints nothing of its own.
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace skin {

class TSkinData;

class TWinSkinPopMenu : public QObject {
    Q_OBJECT
public:
    TWinSkinPopMenu() = default;
    ~TWinSkinPopMenu() override;

    void Attach(QWidget *menuWindow, TSkinData *skinData, const QObject *menuKey);
    void Detach();
    bool Attached() const { return FAttached; }
    // The menu window it was attached to, also once that window is gone.
    const QObject *Window() const { return FWindow; }

    QPointer<QWidget> MenuWindow;
    QPointer<TSkinData> SkinData;
    QImage Bitmap;                    // the last menu background drawn
    const QObject *MenuKey = nullptr; // the menu shown, when known

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool FAttached = false;
    const QObject *FWindow = nullptr;
};

} // namespace skin
