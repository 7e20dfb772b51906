#pragma once

// The one skin manager of the program. It knows every skin component,
// watches the windows of the user-interface thread through an application-
// wide event filter (its window hook), decides which windows and popup menus
// get a skinner, and carries out switching skinning on and off and reloading
// a skin as deferred actions on a timer.
//
// The hook reads the window events so: a window's first showing is its
// creation (a popup menu is created at every showing), an activation is an
// activation, and a popup menu's hiding or a window's destruction is its
// destruction. It never stops an event.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>

class QImage;
class QTimer;

namespace skin {

class TRuzOzodOvez;
class TSkinData;
class TWinSkinPopMenu;

// The class name a window of ours stands for: "#32768" for a popup menu,
// "TMessageForm" for a message box, "#32770" for Qt's other standard
// dialogs, else its own class.
QString WindowClassName(const QWidget *window);
// A form is a top-level window of one of the program's own window classes.
bool IsApplicationForm(const QWidget *window);

// Deferred actions.
enum TSkinAction { saActivate = 1, saDeactivate = 2, saReload = 3, saPurge = 6 };

class TSkinManage : public QObject {
    Q_OBJECT
public:
    static constexpr int ActionDelayMs = 250;
    // A form of this tag is never skinned, whatever its component's DisableTag.
    static constexpr int NeverSkinnedTag = 99;

    TSkinManage();
    ~TSkinManage() override;

    void InstallHook();
    bool HookInstalled() const { return FHookInstalled; }
    void RegisterSkinData(TSkinData *d);
    void UnregisterSkinData(TSkinData *d);
    void ScheduleAction(int code, int milliseconds);
    void SkinForm(QWidget *form);
    bool SkinWindow(QWidget *window);
    void SkinPopupMenu(QWidget *window);
    bool ReleasePopupMenu(const QObject *window);
    TRuzOzodOvez *FindSkinner(const QWidget *window) const;
    void RemoveSkinner(const QWidget *window);
    // The same for a skinner that is being freed, whose window may be gone.
    void RemoveSkinner(const TRuzOzodOvez *skinner);
    void PurgeSkinners();
    const QImage *FindPopupBitmap(const QObject *key) const;
    void SetMaximizedState(bool value);
    void ReloadAll();
    // Asked before a menu item is drawn. Every popup skinner already knows
    // its menu, so there is nothing to mark.
    void MarkPopupMenus() {}
    // A window skinner's own filter on the thread's events, freed with the
    // manager.
    void AddExtraHook(QObject *hook);
    void OnActionTimer();

    // The program's forms, oldest first.
    QList<QWidget *> ApplicationForms() const;

    QTimer *Timer = nullptr;
    QList<QPointer<TRuzOzodOvez>> SkinnedForms;
    QList<QPointer<TWinSkinPopMenu>> PopupMenus;
    QList<QPointer<TSkinData>> SkinDatas;
    QList<QPointer<QObject>> ExtraHooks;
    bool SkinningOn = false;
    bool Sweeping = false;
    int Started = 0;
    int MenuKind = 0; // 0 popup menu, 1 menu-bar drop-down, 2 system menu
    bool MaximizedState = false;
    QPointer<QWidget> MDIClientHandle;
    QPointer<QWidget> MDIParentForm;
    int PendingAction = 0;
    QPointer<TSkinData> PendingSkinData;
    QPointer<TSkinData> MainSkinData;

    // The time the hook takes, summed while MeasureHook is set (the start-up
    // benchmark sets it before the first window is made).
    static inline bool MeasureHook = false;
    int64_t HookNanoseconds = 0;
    int64_t HookEvents = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Hook(QObject *watched, QEvent *event);
    void WindowCreated(QWidget *window);
    void WindowDestroyed(QObject *window);
    void WindowActivated(QWidget *window);
    TSkinData *ChooseSkinData(const QWidget *window, const QString &className) const;
    void ActivateAction(TSkinData *pending);
    void DeactivateAction(TSkinData *pending);
    void ReloadAction(TSkinData *pending);
    void FreeSkinner(TRuzOzodOvez *skinner);

    bool FHookInstalled = false;
    QList<QPointer<QWidget>> FWindows; // top-level windows shown so far, oldest first
};

// The manager, or none before the first skin component has been loaded and
// after the program's final clean-up.
extern TSkinManage *SkinManager;
// Makes the manager when there is none.
TSkinManage *EnsureSkinManager();
// The program's final clean-up: after the windows, before the application.
void FreeSkinManager();

} // namespace skin
