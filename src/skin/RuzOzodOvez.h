#pragma once

// The window skinner: one per top-level window that the skin manager skins.
// It is created, listed and freed by the manager; this is the part the
// manager relies on. A skinner knows its window and the skin component in
// force and follows its window's life; it paints nothing of its own.
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace skin {

class TSkinData;

class TRuzOzodOvez : public QObject {
    Q_OBJECT
public:
    // Life states.
    enum { StateNew = 0, StateSkinned = 1, StateDestroyed = 6 };

    // Owner: the form being skinned, or none for a window known only as a
    // window (a system dialog, a message box).
    explicit TRuzOzodOvez(QObject *owner = nullptr);
    // Takes itself off the manager's list, when there still is a manager.
    ~TRuzOzodOvez() override;

    // Attaches to a form of ours; Handle is the form.
    void AttachForm(TSkinData *skinData, QWidget *form);
    // Attaches to Handle, set beforehand. Attaching twice changes nothing.
    void Attach(TSkinData *skinData);
    // Gives the window back as it was before it was skinned.
    void Unskin();
    // Has the window drawn again.
    void Invalidate(QWidget *window);
    // The caption buttons go, to be made again from a new skin by
    // LayoutBorders; Reskin applies the new skin to the window.
    void FreeTitleButtons();
    void LayoutBorders();
    void Reskin();
    // The frame styles and region of a child window inside a multiple-document
    // frame as it is maximised and given back.
    void SetFrameStyles(bool on);
    void RedrawFrame();
    void UpdateRegion();
    void DropRegion();
    bool HasRegion() const { return false; }

    QPointer<QWidget> Form;   // none for a foreign window
    QPointer<QWidget> Handle; // the skinned window
    QPointer<TSkinData> SkinData;
    int State = StateNew;
    int MDIKind = 0;   // 0 plain, 1 frame of child windows, 2 such a child
    int ShowState = 0; // 0 normal, 1 maximised, 2 minimised

private:
    bool FAttached = false;
};

} // namespace skin
