#pragma once

// The skinned menu bar and the caption-button objects. A skinned window
// hides its QMenuBar; its top actions become buttons that the frame painter
// lays out and paints in the bar's strip of the window's frame, opening
// their menus below themselves. While one of those menus is open, a filter
// on it lets the keyboard and the mouse move from one bar button to the
// next, as a real menu bar does.
//
// What the frame painter calls: PaintBar with the bar's rectangle, HitTest,
// MouseMove, MouseDown and MouseUp with points in the window's coordinates
// (the window's own widget coordinates: the frame lies in its margins).
#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>

class QAction;
class QMenu;
class QMenuBar;
class QPainter;
class QShortcut;

namespace skin {

class TDataSkinSysButton;
class TRuzOzodOvez;
class TSkinData;

// An element of the window's frame that follows the mouse.
class TNCObject {
public:
    enum { StateNormal = 1, StatePressed = 2, StateHot = 3 };

    explicit TNCObject(TRuzOzodOvez *form) : Form(form) {}
    virtual ~TNCObject() = default;
    TNCObject(const TNCObject &) = delete;
    TNCObject &operator=(const TNCObject &) = delete;

    virtual void Press();
    virtual void Release();
    virtual void MouseOver();
    virtual void Leave();
    virtual void Paint() {}

    TRuzOzodOvez *Form;
    QRect Rect; // in the window's coordinates
    bool Visible = true;
    int State = StateNormal;

protected:
    // Takes the mouse from the element that had it, then, if shown, shows
    // the state.
    void TakeHot(int state);
};

// A caption button; the frame painter draws it.
class TWinSysButton : public TNCObject {
public:
    TWinSysButton(TRuzOzodOvez *form, TDataSkinSysButton *element) : TNCObject(form), Element(element) {}
    void Paint() override;

    TDataSkinSysButton *Element;
};

// A button of the skinned menu bar: one top action.
class TMenuBtn : public TNCObject {
public:
    using TNCObject::TNCObject;
    // Asks for the button's part of the bar to be painted again.
    void Paint() override;
    // Paints the button in its state over the bar's background.
    void PaintOn(QPainter &painter, const QImage &background, const QRect &barRect) const;

    QPointer<QAction> MenuItem;
    TSkinData *SkinData = nullptr;
    int Index = 0;
    QString Caption;
    bool Enabled = true;
    QPointer<QMenu> SubMenu; // none for a top item without children
};

class TWinSkinMenu : public QObject {
    Q_OBJECT
public:
    explicit TWinSkinMenu(TRuzOzodOvez *owner);
    ~TWinSkinMenu() override;

    // Builds the buttons from the form's menu bar and hides the bar.
    void LoadFromForm();
    // The same from the window's menu bar by position: every item visible,
    // its caption and state from the action itself.
    void LoadFromHandle(QMenuBar *menu = nullptr);
    // Shows the menu bar again and forgets it.
    void GiveMenuBack();

    // Paints the bar into rect of painter (window coordinates) and lays the
    // buttons out; the frame painter calls it.
    void PaintBar(QPainter &painter, const QRect &barRect);
    TMenuBtn *HitTest(const QPoint &point) const;

    // The frame's mouse handling over the bar; each answers whether a bar
    // button was under the point.
    bool MouseMove(const QPoint &point);
    bool MouseDown(const QPoint &point);
    bool MouseUp(const QPoint &point);

    // Opens the button's menu below it; false when it has none. Returns
    // when the menu has closed.
    bool TrackButton(TMenuBtn *button);
    // Closes the open menu and opens the button's.
    void OpenButton(TMenuBtn *button);
    // Moving along the bar while one of its menus is open, by the keys or
    // the mouse: a button with a menu opens it; a button without one is only
    // selected, and the bar keeps the keys and the mouse until Return runs
    // its command, a click lands, or Escape, Alt or leaving the window ends
    // the loop.
    void MoveTo(TMenuBtn *button);
    TMenuBtn *FindAccelButton(QChar c) const;
    // Alt with a letter: opens the button whose accelerator it is.
    bool DialogChar(QChar c);
    void EndMenuLoop();
    TMenuBtn *NextButton(bool forward) const;

    QList<TMenuBtn *> Buttons;
    QPointer<QMenuBar> Menu;
    QRect BarRect;
    TSkinData *SkinData = nullptr;
    TRuzOzodOvez *Form;
    QImage Background; // the painted bar without texts
    int Count = 0;
    bool Painting = false;
    QPointer<QMenuBar> MenuHandle;

    // While a bar menu is open: the button whose menu it is.
    int OpenIndex() const { return FOpenIndex; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FreeButtons();
    void MakeShortcuts();
    // The hidden bar's shortcuts work only through a visible widget: the
    // actions that have one are lent to the window while the bar is hidden,
    // and given back with the bar.
    void LendShortcuts();
    void TakeShortcutsBack();
    void HideMenuBar();
    void InstallMenuHook(QMenu *menu);
    void RemoveMenuHook();
    bool MenuHook(QMenu *menu, QEvent *event);
    void MenuChanged();
    void QueuePress(const QPoint &point);
    // Runs the step once the events at hand are handled: once, however
    // often it is asked for meanwhile.
    void QueueOnce(bool &queued, void (TWinSkinMenu::*step)());
    void RunCommand(TMenuBtn *button);
    void SelectButton(TMenuBtn *button);
    void EndBarLoop();
    bool BarLoopEvent(QObject *watched, QEvent *event);
    TMenuBtn *ButtonAt(int index) const;

    QList<QShortcut *> FShortcuts;
    QList<QPointer<QAction>> FLent;       // actions lent to the window
    QList<QPointer<QMenu>> FWatchedMenus; // the bar's menus, watched for new shortcuts
    bool FLendQueued = false;
    QList<QPointer<QMenu>> FHooked;
    int FOpenIndex = -1;
    int FSelectedIndex = -1;
    int FSelectPending = -1; // selected once the open menu has closed
    QPointer<QAction> FSelectedItem;
    bool FSwitching = false;
    bool FFirstMessage = false;
    QPoint FLastMouse;
    bool FReloadPending = false;
    bool FPressPending = false;
    bool FChangeQueued = false;
    const QObject *FBar = nullptr; // the hidden menu bar, also while it is destroyed
    QPoint FPendingPress;
};

// Gives every caption without an accelerator one: the first of its letters
// that no other caption uses yet, as the menus of the desktop always did.
QStringList AutoHotkeys(const QStringList &captions);

} // namespace skin
