#pragma once

// Drives a program's menus while they are open, as a user at the keyboard
// would: a menu's loop blocks the test, so the steps run from a timer. Each
// step waits until the innermost open menu is the one it names and has an
// item selected, then acts on it. A menu that never comes ends the script
// after ten seconds with every menu closed, so a test fails instead of
// waiting forever.
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

class MenuScript : public QObject {
public:
    struct Step {
        QString menu; // objectName of the menu
        std::function<void(QMenu *)> act;
    };
    explicit MenuScript(QList<Step> steps) : FSteps(std::move(steps))
    {
        connect(&FTimer, &QTimer::timeout, this, &MenuScript::Poll);
        FTimer.start(5);
        FClock.start();
    }
    bool Done() const { return FSteps.isEmpty() && !QApplication::activePopupWidget(); }
    // The menus the steps acted on, in order.
    QStringList seen;

    static void CloseAll(QMenu * = nullptr)
    {
        while (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
    }

private:
    void Poll()
    {
        if (FClock.elapsed() > 10000) {
            FSteps.clear();
            CloseAll();
            return;
        }
        auto *open = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!open || FSteps.isEmpty() || open->objectName() != FSteps.first().menu || !open->activeAction())
            return;
        seen << open->objectName();
        const Step step = FSteps.takeFirst();
        step.act(open);
    }

    QList<Step> FSteps;
    QTimer FTimer;
    QElapsedTimer FClock;
};
