// The skin engine as the program runs it: the main window's component reads
// the skin and the manager watches every window, but with the component
// switched off nothing is skinned and every event reaches its window.
#include "SkinProgramFixture.h"

#include "skin/RadEzarArov.h"
#include "skin/SkinManage.h"
#include "ui/MessageDlg.h"
#include "ui/Midi_Setup.h"
#include "ui/Startup.h"
#include "ui/analyse.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>

namespace {

// Writes down the window events that reach it, as their receivers see them.
class EventLog : public QObject {
public:
    QStringList events;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::WindowActivate:
        case QEvent::WindowDeactivate:
        case QEvent::Close:
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            if (watched->isWidgetType())
                events << QString("%1 %2 %3")
                              .arg(watched->metaObject()->className(), watched->objectName())
                              .arg(int(event->type()));
            break;
        default:
            break;
        }
        return false;
    }
};

// As at the program's start: no manager, no window activated yet.
class SkinIdle : public SkinProgramTest {};

bool WaitFor(const std::function<bool()> &condition)
{
    return QTest::qWaitFor(condition, 10000);
}

TEST_F(SkinIdle, TheHookWatchesTheWholeProgramAndSkinsNothing)
{
    // One log runs after the skin manager's hook; the other, installed once
    // the windows exist, before it.
    EventLog after;
    qApp->installEventFilter(&after);
    program = std::make_unique<ui::TProgramWindows>();
    TFormMain &main = program->FormMain();
    EventLog before;
    qApp->installEventFilter(&before);

    skin::TSkinManage *manager = skin::SkinManager;
    ASSERT_NE(manager, nullptr);
    EXPECT_TRUE(manager->HookInstalled());
    ASSERT_NE(main.SkinData1, nullptr);
    EXPECT_EQ(main.findChild<skin::TSkinData *>("SkinData1"), main.SkinData1);
    EXPECT_EQ(manager->MainSkinData, main.SkinData1);
    EXPECT_FALSE(main.SkinData1->Active());
    EXPECT_EQ(main.SkinData1->DisableTag, 99);
    EXPECT_EQ(main.SkinData1->SkinFormtype, skin::TSkinData::sfMainform);
    // The program's own skin is read and ready, though never used.
    EXPECT_TRUE(main.SkinData1->SkinReady());
    EXPECT_FALSE(main.SkinData1->Skin.SkinName.isEmpty());
    ASSERT_TRUE(main.SkinData1->Skin.TopBorder);
    EXPECT_FALSE(main.SkinData1->Skin.TopBorder->Image.isNull());
    EXPECT_EQ(main.SkinData1->MenuGlyphs.size(), 4);
    EXPECT_EQ(manager->Started, 0);

    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    EXPECT_EQ(manager->Started, 1);

    // Every menu of the menu bar opens and closes.
    int menus = 0;
    for (QAction *entry : main.menuBar()->actions()) {
        QMenu *menu = entry->menu();
        if (!menu)
            continue;
        ++menus;
        menu->popup(main.mapToGlobal(QPoint(10, 10)));
        ASSERT_TRUE(WaitFor([&] { return menu->isVisible(); }));
        QTest::keyClick(menu, Qt::Key_Escape);
        ASSERT_TRUE(WaitFor([&] { return !menu->isVisible(); }));
    }
    EXPECT_EQ(menus, 2);

    main.Setupmnu->trigger();
    ASSERT_TRUE(WaitFor([&] { return program->MidiSetup().isVisible(); }));
    program->MidiSetup().close();
    main.mnuChordanalysis->trigger();
    auto *analyser = main.findChild<TFormAnalyse *>();
    ASSERT_NE(analyser, nullptr);
    ASSERT_TRUE(WaitFor([&] { return analyser->isVisible(); }));
    QTest::mouseClick(analyser, Qt::LeftButton);
    analyser->close();
    // A message box of the program's, answered as a user would.
    TFormMain::SetMessagePresenter({});
    bool boxSeen = false;
    QTimer::singleShot(0, [&] {
        WaitFor([] { return qobject_cast<QMessageBox *>(QApplication::activeModalWidget()) != nullptr; });
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            boxSeen = true;
            QTest::keyClick(box, Qt::Key_Return);
        }
    });
    ui::MessageDlg(&main, ui::TMsgDlgType::Information, "Text");
    EXPECT_TRUE(boxSeen);

    qApp->removeEventFilter(&before);
    qApp->removeEventFilter(&after);
    EXPECT_GT(before.events.size(), 20);
    EXPECT_EQ(after.events, before.events);
    EXPECT_FALSE(manager->SkinningOn);
    EXPECT_TRUE(manager->SkinnedForms.isEmpty());
    EXPECT_TRUE(manager->PopupMenus.isEmpty());
    EXPECT_FALSE(manager->Timer->isActive());
    EXPECT_EQ(manager->PendingSkinData, nullptr);
    EXPECT_EQ(manager->Started, 1);
}

TEST_F(SkinIdle, ARecreatedMainWindowLeadsTheSkinAgain)
{
    Open();
    skin::TSkinManage *manager = skin::SkinManager;
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(manager->MainSkinData, w->SkinData1);
    w.reset();
    EXPECT_EQ(manager->MainSkinData, nullptr);
    EXPECT_TRUE(manager->SkinDatas.isEmpty());
    Open();
    EXPECT_EQ(skin::SkinManager, manager);
    EXPECT_EQ(manager->MainSkinData, w->SkinData1);
}

TEST_F(SkinIdle, PianoKeysCarryTheirTagByName)
{
    Open();
    for (int n : {1, 13, 48}) {
        TShapePiano *key = Key(n);
        EXPECT_EQ(key->property("Tag").toInt(), key->Tag()) << n;
    }
    Key(5)->setProperty("Tag", 99);
    EXPECT_EQ(Key(5)->Tag(), 99);
}

} // namespace
