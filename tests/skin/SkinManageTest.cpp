#include "skin/SkinManage.h"

#include "SkinWindows.h"
#include "skin/RadEzarArov.h"
#include "skin/RuzOzodOvez.h"
#include "skin/SkinMessages.h"
#include "skin/SkinPopMenu.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <gtest/gtest.h>

using namespace skin;
using namespace skintest;

namespace {

using TSkinFormType = TSkinData::TSkinFormType;

// Writes down every window event of the kinds the hook reads, as the
// object that receives it sees it.
class EventLog : public QObject {
public:
    QStringList events;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type t = event->type();
        if (watched->isWidgetType() && (t == QEvent::Show || t == QEvent::Hide || t == QEvent::WindowActivate ||
                                        t == QEvent::KeyPress || t == QEvent::MouseButtonPress))
            events << QString("%1 %2").arg(watched->metaObject()->className()).arg(int(t));
        return false;
    }
};

using SkinHook = FreshManager;

TEST_F(SkinHook, WhileSkinningIsOffItOnlyNotesTheFirstActivationAndPassesEveryEventOn)
{
    // One log runs after the hook, one before it: the same events must reach both.
    EventLog after;
    qApp->installEventFilter(&after);
    TSkinManage &manager = Manager();
    manager.InstallHook();
    EventLog before;
    qApp->installEventFilter(&before);

    TTestForm form;
    EXPECT_EQ(manager.Started, 0);
    ASSERT_TRUE(ShowActive(&form));
    EXPECT_EQ(manager.Started, 1);
    QMenu menu;
    menu.addAction("One");
    menu.popup(form.mapToGlobal(QPoint(5, 5)));
    ASSERT_TRUE(WaitFor([&] { return menu.isVisible(); }));
    QTest::keyClick(&menu, Qt::Key_Escape);
    EXPECT_TRUE(WaitFor([&] { return !menu.isVisible(); }, 2000));
    QTest::mouseClick(&form, Qt::LeftButton);
    QMessageBox box(QMessageBox::Information, "Information", "Text");
    ASSERT_TRUE(ShowActive(&box));
    box.close();

    qApp->removeEventFilter(&before);
    qApp->removeEventFilter(&after);
    EXPECT_GT(before.events.size(), 6);
    EXPECT_EQ(after.events, before.events);
    EXPECT_FALSE(manager.SkinningOn);
    EXPECT_TRUE(manager.SkinnedForms.isEmpty());
    EXPECT_TRUE(manager.PopupMenus.isEmpty());
}

TEST_F(SkinHook, SwitchingOnBeforeTheFirstActivationActsAtOnce)
{
    TTestForm form;
    TSkinData *d = StoredComponent(&form, TSkinData::sfMainform, true);
    TSkinManage &manager = Manager();
    EXPECT_TRUE(d->Active());
    EXPECT_TRUE(manager.SkinningOn);
    EXPECT_FALSE(manager.Timer->isActive());
    // The form is skinned as it is activated.
    ASSERT_TRUE(ShowActive(&form));
    TRuzOzodOvez *skinner = manager.FindSkinner(&form);
    ASSERT_NE(skinner, nullptr);
    EXPECT_EQ(skinner->SkinData, d);
    EXPECT_EQ(skinner->parent(), &form);
    // A skinned window says so when asked.
    EXPECT_EQ(SendSkinMessage(&form, SkinMsgQuery), 1);
}

TEST_F(SkinHook, SwitchingOnAfterTheFirstActivationActs250MillisecondsLater)
{
    TTestForm form, other;
    TSkinData *d = StoredComponent(&form, TSkinData::sfMainform);
    TSkinManage &manager = Manager();
    ASSERT_TRUE(ShowActive(&other));
    ASSERT_TRUE(ShowActive(&form));
    EXPECT_TRUE(manager.SkinnedForms.isEmpty());
    int changes = 0;
    d->OnSkinChanged = [&](TSkinData *sender) {
        EXPECT_EQ(sender, d);
        ++changes;
    };

    QElapsedTimer clock;
    clock.start();
    d->SetActive(true);
    EXPECT_FALSE(manager.SkinningOn);
    EXPECT_EQ(manager.PendingSkinData, d);
    ASSERT_TRUE(WaitFor([&] { return manager.SkinningOn; }));
    // Qt lets a coarse 250 ms timer fire up to 5 % early; what matters is
    // that the switch waited for the timer instead of acting at once.
    EXPECT_GE(clock.elapsed(), 200);
    // The sweep skins every form on show.
    EXPECT_NE(manager.FindSkinner(&form), nullptr);
    EXPECT_NE(manager.FindSkinner(&other), nullptr);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(manager.PendingSkinData, nullptr);

    // And off again: every skinner goes.
    d->SetActive(false);
    EXPECT_TRUE(manager.SkinningOn);
    ASSERT_TRUE(WaitFor([&] { return !manager.SkinningOn; }));
    EXPECT_TRUE(manager.SkinnedForms.isEmpty());
    EXPECT_EQ(changes, 2);
    // A one-shot timer: nothing fires while nothing is pending.
    EXPECT_FALSE(manager.Timer->isActive());
}

TEST_F(SkinHook, SettingActiveToItsValueSchedulesNothing)
{
    TTestForm form;
    TSkinData *d = StoredComponent(&form, TSkinData::sfMainform);
    TSkinManage &manager = Manager();
    ASSERT_TRUE(ShowActive(&form));
    d->SetActive(false);
    EXPECT_FALSE(manager.Timer->isActive());
    EXPECT_EQ(manager.PendingSkinData, nullptr);
}

TEST_F(SkinHook, AComponentWithoutAReadySkinCannotSwitchOn)
{
    TTestForm form;
    TSkinData *d = StoredComponent(&form, TSkinData::sfMainform, true, QByteArray());
    TSkinManage &manager = Manager();
    EXPECT_FALSE(d->Active());
    EXPECT_FALSE(manager.SkinningOn);
    ASSERT_TRUE(ShowActive(&form));
    d->SetActive(true);
    QTest::qWait(400);
    EXPECT_FALSE(manager.SkinningOn);
    EXPECT_TRUE(manager.SkinnedForms.isEmpty());
}

TEST_F(SkinHook, DeletingThePendingComponentBeforeItsTimerFiresRunsNothing)
{
    TTestForm form;
    auto *d = StoredComponent(&form, TSkinData::sfMainform);
    TSkinManage &manager = Manager();
    ASSERT_TRUE(ShowActive(&form));
    d->SetActive(true);
    ASSERT_EQ(manager.PendingSkinData, d);
    delete d;
    EXPECT_EQ(manager.PendingSkinData, nullptr);
    EXPECT_EQ(manager.MainSkinData, nullptr);
    QTest::qWait(400);
    EXPECT_FALSE(manager.SkinningOn);
    EXPECT_TRUE(manager.SkinnedForms.isEmpty());
    EXPECT_FALSE(manager.Timer->isActive());
}

TEST_F(SkinHook, AnActionWithNoComponentFiresOnceAndStops)
{
    TSkinManage &manager = Manager();
    manager.Started = 1;
    manager.ScheduleAction(saPurge, 20);
    EXPECT_TRUE(manager.Timer->isActive());
    ASSERT_TRUE(WaitFor([&] { return !manager.Timer->isActive(); }));
    QTest::qWait(100);
    EXPECT_FALSE(manager.Timer->isActive());
}

TEST_F(SkinHook, TheNextMainComponentLeadsOnceTheFirstIsGone)
{
    TTestForm form;
    TSkinData *first = StoredComponent(&form, TSkinData::sfMainform);
    TSkinData *second = StoredComponent(&form, TSkinData::sfMainform);
    TSkinManage &manager = Manager();
    EXPECT_EQ(manager.MainSkinData, first);
    delete first;
    EXPECT_EQ(manager.MainSkinData, nullptr);
    EXPECT_EQ(manager.SkinDatas.size(), 1);
    // As a re-created main window's component would.
    TSkinData *third = StoredComponent(&form, TSkinData::sfMainform);
    EXPECT_EQ(manager.MainSkinData, third);
    EXPECT_EQ(manager.SkinDatas, (QList<QPointer<TSkinData>>{second, third}));
}

TEST_F(SkinHook, AFormTagged99IsNeverSkinned)
{
    struct Case {
        int tag;
        int disableTag;
        bool skinned;
    };
    const Case cases[] = {{99, 99, false}, {99, 5, false}, {5, 5, true}, {199, 99, true}, {0, 99, true}};
    for (const Case &c : cases) {
        TTestForm form(c.tag);
        TSkinData *d = StoredComponent(&form, TSkinData::sfMainform, true);
        d->DisableTag = c.disableTag;
        ASSERT_TRUE(ShowActive(&form));
        EXPECT_EQ(Manager().FindSkinner(&form) != nullptr, c.skinned) << c.tag << " " << c.disableTag;
    }
}

TEST_F(SkinHook, AWindowIsSkinnedOnce)
{
    TTestForm form;
    StoredComponent(&form, TSkinData::sfMainform, true);
    TSkinManage &manager = Manager();
    ASSERT_TRUE(ShowActive(&form));
    EXPECT_FALSE(manager.SkinWindow(&form));
    TTestForm other;
    ASSERT_TRUE(ShowActive(&other));
    ASSERT_TRUE(ShowActive(&form));
    EXPECT_EQ(manager.SkinnedForms.size(), 2);
}

TEST_F(SkinHook, WindowsOfNoSizeOrRefusedByTheComponentAreNotSkinned)
{
    TTestForm form;
    TSkinData *d = StoredComponent(&form, TSkinData::sfMainform, true);
    TSkinManage &manager = Manager();
    form.show();
    form.resize(0, 50);
    EXPECT_FALSE(manager.SkinWindow(&form));
    form.resize(50, 50);
    QStringList asked;
    d->OnFormSkin = [&](TSkinData *, const QString &name, bool &doSkin) {
        asked << name;
        doSkin = false;
    };
    EXPECT_FALSE(manager.SkinWindow(&form));
    EXPECT_EQ(asked, QStringList{"skintest::TTestForm"});
    d->OnFormSkin = nullptr;
    EXPECT_TRUE(manager.SkinWindow(&form));
}

// Which component a window is skinned with.
struct ChoiceCase {
    const char *name;
    QList<TSkinFormType> registered; // in this order; the last of a kind wins
    const char *window;              // "form", "message", "file dialog", "owner"
    int chosen;                      // index into registered
};

void PrintTo(const ChoiceCase &c, std::ostream *os)
{
    *os << c.name;
}

class SkinChoice : public FreshManager, public testing::WithParamInterface<ChoiceCase> {};

TEST_P(SkinChoice, TakesTheComponentMeantForTheWindow)
{
    const ChoiceCase &c = GetParam();
    TTestForm host, owner;
    QMessageBox box(QMessageBox::Information, "Information", "Text");
    QFileDialog files;
    const std::map<std::string, QWidget *> windows = {
        {"form", &host}, {"message", &box}, {"file dialog", &files}, {"owner", &owner}};
    QWidget *window = windows.at(c.window);

    QList<TSkinData *> components;
    for (TSkinFormType type : c.registered) {
        // sfOnlyThisForm components sit on the owner form; the others on the host.
        components << StoredComponent(type == TSkinData::sfOnlyThisForm ? &owner : &host, type);
    }
    TSkinManage &manager = Manager();
    manager.SkinningOn = true;
    window->show();
    // An sfOnlyThisForm component skins its own form when loaded; start again.
    if (TRuzOzodOvez *s = manager.FindSkinner(window))
        delete s;
    ASSERT_TRUE(manager.SkinWindow(window));
    TRuzOzodOvez *skinner = manager.FindSkinner(window);
    ASSERT_NE(skinner, nullptr);
    EXPECT_EQ(skinner->SkinData, components[c.chosen]);
    // A form's skinner goes with the form; another window's skinner is the manager's.
    EXPECT_EQ(skinner->parent(), IsApplicationForm(window) ? static_cast<QObject *>(window) : &manager);
    manager.SkinningOn = false;
}

using F = TSkinData::TSkinFormType;
INSTANTIATE_TEST_SUITE_P(
    Cases, SkinChoice,
    testing::Values(
        ChoiceCase{"MessageBoxTakesTheDialogComponent", {F::sfMainform, F::sfDialog, F::sfMainform}, "message", 1},
        ChoiceCase{
            "MessageBoxWithoutADialogComponentTakesTheMainOne", {F::sfMainform, F::sfOnlyThisForm}, "message", 0},
        ChoiceCase{"OtherStandardDialogsTakeTheDialogComponent", {F::sfDialog, F::sfMainform}, "file dialog", 0},
        ChoiceCase{"AFormTakesTheLastMainComponent", {F::sfMainform, F::sfDialog, F::sfMainform}, "form", 2},
        ChoiceCase{"AFormWithoutAMainComponentTakesTheFirst", {F::sfDialog, F::sfDialog}, "form", 0},
        ChoiceCase{"AFormTakesItsOwnComponent", {F::sfMainform, F::sfOnlyThisForm, F::sfDialog}, "owner", 1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(SkinHook, AComponentForOneFormSkinsItAtOnceWhenLoaded)
{
    TTestForm owner;
    owner.show();
    TSkinManage &manager = Manager();
    TSkinData *d = StoredComponent(&owner, TSkinData::sfOnlyThisForm);
    EXPECT_TRUE(manager.SkinningOn);
    EXPECT_EQ(manager.Started, 1);
    ASSERT_NE(manager.FindSkinner(&owner), nullptr);
    EXPECT_EQ(manager.FindSkinner(&owner)->SkinData, d);
    EXPECT_FALSE(manager.HookInstalled());
}

// Whether a popup menu is skinned, by the kind of menu about to open and
// the component's control kinds.
struct PopupCase {
    int menuKind;
    QList<TSkinControlType> controls;
    bool skinned;
};

class PopupSkinning : public FreshManager, public testing::WithParamInterface<PopupCase> {};

TEST_P(PopupSkinning, FollowsTheMenuKind)
{
    const PopupCase &c = GetParam();
    TTestForm form;
    TSkinData *d = StoredComponent(&form, TSkinData::sfMainform, true);
    d->SkinControls = TSkinControls();
    for (TSkinControlType t : c.controls)
        d->SkinControls.insert(t);
    TSkinManage &manager = Manager();
    ASSERT_TRUE(ShowActive(&form));
    manager.MenuKind = c.menuKind;

    QMenu menu(&form);
    menu.addAction("One");
    menu.popup(form.mapToGlobal(QPoint(5, 5)));
    ASSERT_TRUE(WaitFor([&] { return menu.isVisible(); }));
    EXPECT_EQ(manager.PopupMenus.size(), c.skinned ? 1 : 0);
    EXPECT_EQ(SendSkinMessage(&menu, SkinMsgQuery), c.skinned ? 1 : 0);
    // Asked again while open, a skinned menu is not skinned twice.
    manager.SkinPopupMenu(&menu);
    EXPECT_EQ(manager.PopupMenus.size(), c.skinned ? 1 : 0);

    menu.hide();
    EXPECT_TRUE(manager.PopupMenus.isEmpty());
    EXPECT_EQ(manager.MenuKind, 0);
    EXPECT_EQ(SendSkinMessage(&menu, SkinMsgQuery), 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, PopupSkinning,
                         testing::Values(PopupCase{0, {xcPopupMenu}, true}, PopupCase{0, {xcMainMenu}, false},
                                         PopupCase{1, {xcMainMenu}, true}, PopupCase{1, {xcMenuItem}, true},
                                         PopupCase{1, {xcPopupMenu}, false},
                                         PopupCase{2, {xcSystemMenu, xcMainMenu}, true},
                                         PopupCase{2, {xcMainMenu, xcPopupMenu}, false},
                                         PopupCase{7, {xcMainMenu, xcPopupMenu, xcSystemMenu}, false}));

TEST_F(SkinHook, APopupMenuDestroyedWhileOpenIsReleased)
{
    TTestForm form;
    StoredComponent(&form, TSkinData::sfMainform, true);
    TSkinManage &manager = Manager();
    ASSERT_TRUE(ShowActive(&form));
    auto *menu = new QMenu(&form);
    menu->addAction("One");
    menu->popup(form.mapToGlobal(QPoint(5, 5)));
    ASSERT_TRUE(WaitFor([&] { return menu->isVisible(); }));
    ASSERT_EQ(manager.PopupMenus.size(), 1);
    QPointer<TWinSkinPopMenu> popup = manager.PopupMenus.first();
    delete menu;
    EXPECT_TRUE(manager.PopupMenus.isEmpty());
    EXPECT_TRUE(popup.isNull());
}

TEST_F(SkinHook, TheProgramHearsOfEveryNewWindowWhileSkinningIsOn)
{
    TTestForm form;
    TSkinData *d = StoredComponent(&form, TSkinData::sfMainform);
    QStringList created;
    d->OnWindowCreate = [&](TSkinData *sender, QWidget *, const QString &name) {
        EXPECT_EQ(sender, d);
        created << name;
    };
    TSkinManage &manager = Manager();
    form.show();
    manager.SkinningOn = true;
    TTestForm second;
    second.show();
    second.hide();
    second.show(); // shown again: no new window
    QMenu menu;
    menu.addAction("One");
    menu.popup(QPoint(5, 5));
    ASSERT_TRUE(WaitFor([&] { return menu.isVisible(); }));
    menu.hide();
    menu.popup(QPoint(5, 5)); // a menu's window is new at each opening
    ASSERT_TRUE(WaitFor([&] { return menu.isVisible(); }));
    menu.hide();
    manager.SkinningOn = false;
    EXPECT_EQ(created, (QStringList{"skintest::TTestForm", "#32768", "#32768"}));
}

// The skinner of a window that is not a form (a message box, or a skinned
// window's system menu, which is activated like a window) is the manager's:
// freed at a purge after its window has gone or, when no purge follows, with
// the manager.
TEST_F(SkinHook, ASkinnerWhoseWindowWentIsFreedAtTheNextPurgeOrWithTheManager)
{
    for (const bool purge : {false, true}) {
        SCOPED_TRACE(purge ? "purge" : "the manager's end");
        TTestForm form;
        StoredComponent(&form, TSkinData::sfMainform, true);
        TSkinManage &manager = Manager();
        auto *box = new QMessageBox(QMessageBox::Information, "Information", "Text");
        ASSERT_TRUE(ShowActive(box));
        QPointer<TRuzOzodOvez> skinner = manager.FindSkinner(box);
        ASSERT_FALSE(skinner.isNull());
        EXPECT_EQ(skinner->parent(), &manager);
        delete box;
        ASSERT_FALSE(skinner.isNull());
        EXPECT_EQ(skinner->State, TRuzOzodOvez::StateDestroyed);
        if (purge) {
            manager.PurgeSkinners();
            EXPECT_TRUE(manager.SkinnedForms.isEmpty());
        } else {
            FreeSkinManager();
        }
        EXPECT_TRUE(skinner.isNull());
    }
}

TEST_F(SkinHook, SkinnersAndComponentsThatOutliveTheManagerLeaveItAlone)
{
    auto form = std::make_unique<TTestForm>();
    StoredComponent(form.get(), TSkinData::sfMainform, true);
    TSkinManage &manager = Manager();
    auto box = std::make_unique<QMessageBox>(QMessageBox::Information, "Information", "Text");
    ASSERT_TRUE(ShowActive(box.get()));
    ASSERT_TRUE(ShowActive(form.get()));
    const QPointer<TRuzOzodOvez> foreign = manager.FindSkinner(box.get());
    ASSERT_FALSE(foreign.isNull());
    const QPointer<TRuzOzodOvez> own = manager.FindSkinner(form.get());
    ASSERT_FALSE(own.isNull());
    FreeSkinManager();
    EXPECT_EQ(SkinManager, nullptr);
    EXPECT_TRUE(foreign.isNull()) << "the manager takes the skinners it owns with it";
    ASSERT_FALSE(own.isNull());
    // The form takes its skinner and component with it; the box, no longer
    // watched by a skinner, still handles its events.
    form.reset();
    EXPECT_TRUE(own.isNull());
    box->hide();
    box->show();
    box.reset();
    EXPECT_EQ(SkinManager, nullptr);
}

TEST_F(SkinHook, ReloadingLaysTheSkinnersOfItsComponentOutAgainLater)
{
    TTestForm form;
    TSkinData *d = StoredComponent(&form, TSkinData::sfMainform, true);
    TSkinManage &manager = Manager();
    ASSERT_TRUE(ShowActive(&form));
    int changes = 0;
    d->OnSkinChanged = [&](TSkinData *) { ++changes; };
    d->Reload();
    EXPECT_EQ(manager.PendingSkinData, d);
    EXPECT_EQ(manager.PendingAction, saReload);
    EXPECT_EQ(changes, 0);
    ASSERT_TRUE(WaitFor([&] { return changes == 1; }));
    EXPECT_EQ(manager.PendingSkinData, nullptr);
    EXPECT_NE(manager.FindSkinner(&form), nullptr);
}

} // namespace
