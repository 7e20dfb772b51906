#pragma once

// The popup-menu skinner: one per open popup menu while skinning is on,
// made and freed by the skin manager. It watches its menu window's events:
// it answers the manager's question whether the window is skinned, and
// paints the menu's background and its 3-pixel frame from the skin's
// MenuBackground picture; the menu draws its items over that background.
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QStyle>
#include <QWidget>

namespace skin {

class TSkin;
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

    // Builds Bitmap at the window's size; false when the skin has no
    // menu background to give.
    bool Render();

    // The current popup skinner: the last one without a menu key that
    // painted. The item painters give it the key of the menu they draw.
    static TWinSkinPopMenu *Current();
    static void SetCurrent(TWinSkinPopMenu *popup);
    // True while a popup skinner paints the panel and frame of this menu
    // window, so the menu's style must leave them alone.
    static bool PaintsPanel(const QWidget *menuWindow);
    // True when a popup skinner has a background for this menu window.
    static bool SkinsPanel(const QWidget *menuWindow);
    // The skin that paints this menu window's background, or none.
    static const TSkin *PanelSkin(const QWidget *menuWindow);

    QPointer<QWidget> MenuWindow;
    QPointer<TSkinData> SkinData;
    QImage Bitmap;                    // the last menu background drawn
    const QObject *MenuKey = nullptr; // the menu shown, when known

    static constexpr int FrameWidth = 3;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The popup skinner of this menu window while skinning is on, or none.
    static const TWinSkinPopMenu *Find(const QWidget *menuWindow);
    bool Ready() const;
    void Paint(QEvent *event);

    bool FAttached = false;
    bool FPainting = false;
    const QObject *FWindow = nullptr;
    QPointer<QStyle> FPanelStyle; // given to a menu that has no style of ours
};

} // namespace skin
