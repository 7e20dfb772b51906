// menu_shot PREFIX
//
// Starts the program as it always starts, switches the main window's skin on
// with its menu bar, and saves three pictures: PREFIX-bar.png, the skinned
// menu bar as the window's frame paints it; PREFIX-popup.png, the Tools menu
// opened from that bar with its first item selected; PREFIX-window.png, the
// whole window in its skinned frame. Then the program closes as if the
// user closed it.
#include "skin/RadEzarArov.h"
#include "skin/RuzOzodOvez.h"
#include "skin/SkinManage.h"
#include "skin/SkinMenuBar.h"
#include "skin/SkinPackage.h"
#include "ui/Main.h"
#include "ui/Startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QTimer>

#include <cstdio>

namespace {

bool Save(const QImage &picture, const QString &path)
{
    if (!picture.save(path, "PNG")) {
        std::fprintf(stderr, "menu_shot: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s: %dx%d\n", qPrintable(path), picture.width(), picture.height());
    return true;
}

class TMenuShot : public QObject {
public:
    TMenuShot(QWidget *window, QString prefix) : FWindow(window), FPrefix(std::move(prefix))
    {
        FClock.start();
        connect(&FTimer, &QTimer::timeout, this, &TMenuShot::Poll);
        FTimer.start(50);
    }
    int Result = 1;

private:
    skin::TRuzOzodOvez *Skinner() const
    {
        return skin::SkinManager && FWindow ? skin::SkinManager->FindSkinner(FWindow) : nullptr;
    }

    void Poll()
    {
        if (!FWindow)
            return;
        if (FClock.elapsed() > 10000) {
            std::fprintf(stderr, "menu_shot: the menu bar was never skinned\n");
            FTimer.stop();
            FWindow->close();
            return;
        }
        skin::TRuzOzodOvez *skinner = Skinner();
        if (!skinner || !skinner->MenuBar || !skinner->FirstLayoutSeen || FOpened)
            return;
        FOpened = true;
        FTimer.stop();
        skin::TWinSkinMenu *bar = skinner->MenuBar;
        // The window as its frame paints it, the bar in the frame's menu
        // strip; the grab lays the bar's buttons out too.
        const QImage window = FWindow->grab().toImage();
        const QRect barRect(skinner->BorderLeft, skinner->BorderTop,
                            window.width() - skinner->BorderLeft - skinner->BorderRight, skinner->MenuHeight);
        bool ok = Save(window, FPrefix + "-window.png");
        ok = Save(window.copy(barRect), FPrefix + "-bar.png") && ok;
        // The menu's loop runs inside the click; the picture is taken from
        // within it once the first item is selected.
        QTimer *inside = new QTimer(this);
        connect(inside, &QTimer::timeout, this, [this, inside, ok] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu || !menu->activeAction())
                return;
            inside->stop();
            Result = Save(menu->grab().toImage(), FPrefix + "-popup.png") && ok ? 0 : 1;
            menu->close();
        });
        inside->start(50);
        bar->MouseDown(bar->Buttons.first()->Rect.center());
        FWindow->close();
    }

    QPointer<QWidget> FWindow;
    QString FPrefix;
    QTimer FTimer;
    QElapsedTimer FClock;
    bool FOpened = false;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: menu_shot PREFIX\n");
        return 2;
    }
    const QString prefix = QString::fromLocal8Bit(argv[1]);
    TMenuShot *shot = nullptr;
    const int code = ui::RunProgram(argc, argv, [&](QWidget *window) {
        auto *main = static_cast<TFormMain *>(window);
        skin::TSkinData *data = main->SkinData1;
        if (data && !data->SkinReady())
            data->ReadSkinStream(skin::EmbeddedSkinStream());
        if (data)
            data->SetActive(true);
        shot = new TMenuShot(window, prefix);
    });
    const int result = shot ? shot->Result : 1;
    delete shot;
    return code != 0 ? code : result;
}
