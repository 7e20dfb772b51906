#include "skin/SkinManage.h"

#include "skin/RadEzarArov.h"
#include "skin/RuzOzodOvez.h"
#include "skin/SkinMessages.h"
#include "skin/SkinPopMenu.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEvent>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

namespace skin {

TSkinManage *SkinManager = nullptr;

namespace {

bool IsQtClass(const QWidget *window)
{
    return window->metaObject()->className()[0] == 'Q';
}

bool IsMdiChild(const QWidget *window)
{
    return qobject_cast<const QMdiSubWindow *>(window) != nullptr;
}

// The form of ours a child window holds, if any.
QWidget *ChildWindowForm(const QWidget *window)
{
    const auto *child = qobject_cast<const QMdiSubWindow *>(window);
    QWidget *form = child ? child->widget() : nullptr;
    return form && !IsQtClass(form) ? form : nullptr;
}

bool IsPopupMenu(const QWidget *window)
{
    return qobject_cast<const QMenu *>(window) != nullptr;
}

bool NamesDialog(const QString &className)
{
    const QString name = className.toLower();
    return name == QLatin1String("tmessageform") || name == QLatin1String("#32770");
}

} // namespace

QString WindowClassName(const QWidget *window)
{
    if (IsPopupMenu(window))
        return QStringLiteral("#32768");
    if (qobject_cast<const QMessageBox *>(window))
        return QStringLiteral("TMessageForm");
    if (qobject_cast<const QDialog *>(window) && IsQtClass(window))
        return QStringLiteral("#32770");
    return QString::fromLatin1(window->metaObject()->className());
}

bool IsApplicationForm(const QWidget *window)
{
    if (!window || !window->isWindow() || IsQtClass(window))
        return false;
    const Qt::WindowType type = window->windowType();
    return type != Qt::Popup && type != Qt::ToolTip && type != Qt::SplashScreen;
}

TSkinManage *EnsureSkinManager()
{
    if (!SkinManager)
        SkinManager = new TSkinManage;
    return SkinManager;
}

void FreeSkinManager()
{
    delete SkinManager;
}

TSkinManage::TSkinManage()
{
    Timer = new QTimer(this);
    Timer->setInterval(ActionDelayMs);
    // One action, one run: with nothing pending the timer stays quiet
    // instead of firing every 250 ms for as long as the program runs.
    Timer->setSingleShot(true);
    connect(Timer, &QTimer::timeout, this, &TSkinManage::OnActionTimer);
}

TSkinManage::~TSkinManage()
{
    // Skinners that outlive the manager must not call into it.
    if (SkinManager == this)
        SkinManager = nullptr;
    Started = 4;
    delete Timer;
    Timer = nullptr;
    if (FHookInstalled && qApp)
        qApp->removeEventFilter(this);
    for (const QPointer<QObject> &hook : std::as_const(ExtraHooks))
        delete hook.data();
    ExtraHooks.clear();
    // A form's skinner stays with its form; the others are children of the
    // manager and go with it.
    SkinnedForms.clear();
    for (const QPointer<TWinSkinPopMenu> &popup : std::as_const(PopupMenus))
        delete popup.data();
    PopupMenus.clear();
    SkinDatas.clear();
}

void TSkinManage::InstallHook()
{
    if (FHookInstalled || !qApp)
        return;
    qApp->installEventFilter(this);
    FHookInstalled = true;
}

void TSkinManage::RegisterSkinData(TSkinData *d)
{
    if (!d)
        return;
    if (!SkinDatas.contains(d))
        SkinDatas.append(d);
    if (!MainSkinData && d->SkinFormtype == TSkinData::sfMainform)
        MainSkinData = d;
}

void TSkinManage::UnregisterSkinData(TSkinData *d)
{
    SkinDatas.removeAll(d);
    SkinDatas.removeAll(nullptr);
    // A component that is gone can neither lead nor wait for an action; the
    // next main component to register takes the lead.
    if (MainSkinData == d)
        MainSkinData = nullptr;
    if (PendingSkinData == d) {
        PendingSkinData = nullptr;
        Timer->stop();
    }
}

void TSkinManage::ScheduleAction(int code, int milliseconds)
{
    PendingAction = code;
    Timer->setInterval(milliseconds);
    if (Started != 0)
        Timer->start();
    else if (code == saActivate || code == saDeactivate)
        SkinningOn = code == saActivate;
}

QList<QWidget *> TSkinManage::ApplicationForms() const
{
    QList<QWidget *> forms;
    for (const QPointer<QWidget> &window : FWindows)
        if (window && IsApplicationForm(window))
            forms << window;
    // Forms shown before the manager existed are known only to Qt.
    for (QWidget *window : QApplication::topLevelWidgets())
        if (IsApplicationForm(window) && !forms.contains(window))
            forms.prepend(window);
    return forms;
}

void TSkinManage::SkinForm(QWidget *form)
{
    if (!form || !form->isVisible())
        return;
    if (!form->isWindow() && !IsMdiChild(form))
        return;
    SkinWindow(form);
}

TSkinData *TSkinManage::ChooseSkinData(const QWidget *window, const QString &className) const
{
    const auto lastOf = [this](const std::function<bool(const TSkinData *)> &matches) -> TSkinData * {
        for (auto it = SkinDatas.crbegin(); it != SkinDatas.crend(); ++it)
            if (*it && matches(*it))
                return *it;
        return nullptr;
    };
    if (TSkinData *d = lastOf([window](const TSkinData *d) {
            return d->SkinFormtype == TSkinData::sfOnlyThisForm && d->parent() == window;
        }))
        return d;
    if (NamesDialog(className))
        if (TSkinData *d = lastOf([](const TSkinData *d) { return d->SkinFormtype == TSkinData::sfDialog; }))
            return d;
    if (TSkinData *d = lastOf([](const TSkinData *d) { return d->SkinFormtype == TSkinData::sfMainform; }))
        return d;
    for (const QPointer<TSkinData> &d : SkinDatas)
        if (d)
            return d;
    return nullptr;
}

bool TSkinManage::SkinWindow(QWidget *window)
{
    if (!SkinningOn || !window)
        return false;
    if (SendSkinMessage(window, SkinMsgQuery) == 1)
        return false;
    PurgeSkinners();
    if (FindSkinner(window))
        return false;
    QWidget *form = IsApplicationForm(window) ? window : ChildWindowForm(window);
    if (IsMdiChild(window) && !Sweeping)
        return false;
    if (window->width() == 0 || window->height() == 0)
        return false;
    if (form && form->property("Tag").toInt() == NeverSkinnedTag)
        return false;
    const QString className = WindowClassName(window);
    if (className == QLatin1String("TApplication") || className == QLatin1String("TQRStandardPreview"))
        return false;
    if (MainSkinData && !MainSkinData->AcceptForm(className))
        return false;
    TSkinData *skinData = ChooseSkinData(window, className);
    if (!skinData || !skinData->SkinReady())
        return false;

    // A form's skinner goes with the form; the skinner of any other window
    // is the manager's, freed at the purge after its window has gone or with
    // the manager, whichever comes first.
    auto *skinner = new TRuzOzodOvez(form ? static_cast<QObject *>(form) : this);
    skinner->Handle = window;
    if (form)
        skinner->AttachForm(skinData, form);
    else
        skinner->Attach(skinData);
    SkinnedForms.append(skinner);
    PostSkinMessage(window, SkinMsgStart, 0, 1000);
    return true;
}

void TSkinManage::SkinPopupMenu(QWidget *window)
{
    if (!SkinningOn || !window)
        return;
    if (SendSkinMessage(window, SkinMsgQuery) == 1)
        return;
    for (const QPointer<TWinSkinPopMenu> &popup : std::as_const(PopupMenus))
        if (popup && popup->Window() == window)
            return;
    TSkinData *skinData = ChooseSkinData(window, WindowClassName(window));
    if (!skinData || !skinData->SkinReady())
        return;
    const TSkinControls &controls = skinData->SkinControls;
    bool wanted = false;
    switch (MenuKind) {
    case 0:
        wanted = controls.contains(xcPopupMenu);
        break;
    case 1:
        wanted = controls.contains(xcMainMenu) || controls.contains(xcMenuItem);
        break;
    case 2:
        wanted = controls.contains(xcSystemMenu);
        break;
    }
    if (!wanted)
        return;
    auto *popup = new TWinSkinPopMenu;
    popup->Attach(window, skinData, nullptr);
    PopupMenus.append(popup);
}

bool TSkinManage::ReleasePopupMenu(const QObject *window)
{
    bool found = false;
    for (qsizetype i = PopupMenus.size() - 1; i >= 0; --i) {
        TWinSkinPopMenu *popup = PopupMenus[i];
        if (!popup) {
            PopupMenus.removeAt(i);
        } else if (!found && popup->Window() == window) {
            popup->Detach();
            PopupMenus.removeAt(i);
            delete popup;
            found = true;
        }
    }
    if (PopupMenus.isEmpty())
        MenuKind = 0;
    return found;
}

TRuzOzodOvez *TSkinManage::FindSkinner(const QWidget *window) const
{
    for (const QPointer<TRuzOzodOvez> &skinner : SkinnedForms)
        if (skinner && skinner->Handle == window)
            return skinner;
    return nullptr;
}

void TSkinManage::RemoveSkinner(const QWidget *window)
{
    if (TRuzOzodOvez *skinner = FindSkinner(window))
        SkinnedForms.removeAll(skinner);
}

void TSkinManage::RemoveSkinner(const TRuzOzodOvez *skinner)
{
    SkinnedForms.removeIf([skinner](const QPointer<TRuzOzodOvez> &s) { return s.data() == skinner; });
}

void TSkinManage::FreeSkinner(TRuzOzodOvez *skinner)
{
    RemoveSkinner(skinner);
    delete skinner;
}

void TSkinManage::PurgeSkinners()
{
    for (qsizetype i = SkinnedForms.size() - 1; i >= 0; --i) {
        TRuzOzodOvez *skinner = SkinnedForms[i];
        if (!skinner)
            SkinnedForms.removeAt(i);
        else if (skinner->State == TRuzOzodOvez::StateDestroyed)
            FreeSkinner(skinner);
    }
}

const QImage *TSkinManage::FindPopupBitmap(const QObject *key) const
{
    for (const QPointer<TWinSkinPopMenu> &popup : PopupMenus)
        if (popup && popup->MenuKey == key)
            return &popup->Bitmap;
    return nullptr;
}

void TSkinManage::SetMaximizedState(bool value)
{
    if (value == MaximizedState)
        return;
    MaximizedState = value;
    for (const QPointer<TRuzOzodOvez> &skinner : std::as_const(SkinnedForms)) {
        if (!skinner || skinner->MDIKind != 2)
            continue;
        if (value) {
            if (skinner->HasRegion())
                skinner->DropRegion();
            skinner->SetFrameStyles(true);
        } else if (skinner->ShowState == 2) {
            skinner->SetFrameStyles(true);
        } else {
            skinner->ShowState = 0;
            skinner->UpdateRegion();
            skinner->SetFrameStyles(false);
            if (!skinner->HasRegion())
                skinner->RedrawFrame();
        }
    }
}

void TSkinManage::ReloadAll()
{
    for (const QPointer<TRuzOzodOvez> &skinner : std::as_const(SkinnedForms))
        if (skinner)
            skinner->FreeTitleButtons();
}

void TSkinManage::AddExtraHook(QObject *hook)
{
    if (!hook)
        return;
    ExtraHooks.append(hook);
    if (qApp)
        qApp->installEventFilter(hook);
}

void TSkinManage::OnActionTimer()
{
    const QPointer<TSkinData> pending = PendingSkinData;
    if (!pending)
        return;
    Timer->stop();
    switch (PendingAction) {
    case saActivate:
        ActivateAction(pending);
        break;
    case saDeactivate:
        DeactivateAction(pending);
        break;
    case saReload:
        ReloadAction(pending);
        break;
    case saPurge:
        PurgeSkinners();
        break;
    }
    // Emptied before the component hears of the change, so that an action
    // its handler schedules is not lost.
    if (PendingSkinData == pending)
        PendingSkinData = nullptr;
    if (pending)
        pending->DoSkinChanged();
}

void TSkinManage::ActivateAction(TSkinData *pending)
{
    SkinningOn = true;
    Sweeping = true;
    const QList<QWidget *> forms = ApplicationForms();
    if (pending->SkinFormtype == TSkinData::sfOnlyThisForm) {
        for (auto it = forms.crbegin(); it != forms.crend(); ++it)
            if (*it == pending->parent()) {
                SkinForm(*it);
                break;
            }
    } else {
        PurgeSkinners();
        for (auto it = forms.crbegin(); it != forms.crend(); ++it)
            SkinForm(*it);
    }
    Sweeping = false;
}

void TSkinManage::DeactivateAction(TSkinData *pending)
{
    SkinningOn = false;
    PurgeSkinners();
    const bool onlyThisForm = pending->SkinFormtype == TSkinData::sfOnlyThisForm;
    for (qsizetype i = SkinnedForms.size() - 1; i >= 0; --i) {
        TRuzOzodOvez *skinner = SkinnedForms[i];
        if (!skinner || (onlyThisForm && skinner->SkinData != pending))
            continue;
        skinner->Unskin();
        skinner->Invalidate(skinner->Handle);
        FreeSkinner(skinner);
        if (onlyThisForm)
            break;
    }
}

void TSkinManage::ReloadAction(TSkinData *pending)
{
    PurgeSkinners();
    QList<TRuzOzodOvez *> using_;
    for (const QPointer<TRuzOzodOvez> &skinner : std::as_const(SkinnedForms))
        if (skinner && skinner->SkinData == pending) {
            using_ << skinner;
            if (pending->SkinFormtype == TSkinData::sfOnlyThisForm)
                break;
        }
    for (TRuzOzodOvez *skinner : std::as_const(using_)) {
        skinner->FreeTitleButtons();
        skinner->LayoutBorders();
    }
    for (TRuzOzodOvez *skinner : std::as_const(using_))
        skinner->Reskin();
}

bool TSkinManage::eventFilter(QObject *watched, QEvent *event)
{
    if (MeasureHook) {
        QElapsedTimer clock;
        clock.start();
        Hook(watched, event);
        HookNanoseconds += clock.nsecsElapsed();
        ++HookEvents;
    } else {
        Hook(watched, event);
    }
    // The hook only watches: every event goes on unchanged.
    return false;
}

void TSkinManage::Hook(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::Hide && type != QEvent::WindowActivate)
        return;
    if (!watched->isWidgetType())
        return;
    auto *window = static_cast<QWidget *>(watched);
    if (!window->isWindow())
        return;
    switch (type) {
    case QEvent::Show:
        // A popup menu's window is made each time the menu opens.
        if (IsPopupMenu(window)) {
            // A menu may also be freed while it is open.
            connect(window, &QObject::destroyed, this, &TSkinManage::WindowDestroyed, Qt::UniqueConnection);
            WindowCreated(window);
        } else if (!FWindows.contains(window)) {
            FWindows.append(window);
            connect(window, &QObject::destroyed, this, &TSkinManage::WindowDestroyed);
            WindowCreated(window);
        }
        break;
    case QEvent::Hide:
        if (IsPopupMenu(window))
            WindowDestroyed(window);
        break;
    default:
        WindowActivated(window);
        break;
    }
}

void TSkinManage::WindowCreated(QWidget *window)
{
    if (!SkinningOn)
        return;
    const QString className = WindowClassName(window);
    if (className == QLatin1String("#32768"))
        SkinPopupMenu(window);
    if (MainSkinData && MainSkinData->OnWindowCreate)
        MainSkinData->OnWindowCreate(MainSkinData, window, className);
}

void TSkinManage::WindowDestroyed(QObject *window)
{
    FWindows.removeIf([window](const QPointer<QWidget> &w) { return !w || w.data() == window; });
    if (SkinningOn)
        ReleasePopupMenu(window);
}

void TSkinManage::WindowActivated(QWidget *window)
{
    if (Started == 0)
        Started = 1;
    if (SkinningOn)
        SkinWindow(window);
}

} // namespace skin
