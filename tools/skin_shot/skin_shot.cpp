// skin_shot PATH [--off]
//
// Starts the program as it always starts, switches the main window's skin on
// (unless --off), and saves a PNG of the main window after its first paint
// with the skin in force; then the program closes as if the user closed it.
// The drawn menu bar is left out: the window keeps its own.
#include "skin/RadEzarArov.h"
#include "skin/SkinManage.h"
#include "skin/SkinPackage.h"
#include "ui/Main.h"
#include "ui/Startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>

namespace {

// Waits for the main window to be painted in the state asked for, then
// grabs it once.
class TShot : public QObject {
public:
    TShot(QWidget *window, QString path, bool skinned) : FWindow(window), FPath(std::move(path)), FSkinned(skinned)
    {
        window->installEventFilter(this);
        FClock.start();
    }
    int Result = 1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == FWindow && event->type() == QEvent::Paint && !FTaken && Ready())
            QTimer::singleShot(0, this, [this] { Take(); });
        return false;
    }

private:
    bool Ready() const
    {
        if (!FSkinned)
            return true;
        return skin::SkinManager && skin::SkinManager->FindSkinner(FWindow) != nullptr;
    }

    void Take()
    {
        if (FTaken || !FWindow)
            return;
        if (!Ready()) {
            // Skinned at its activation; a window system that never activates
            // it gets a second chance through a repaint.
            if (FClock.elapsed() < 5000) {
                QTimer::singleShot(50, this, [this] { FWindow->update(); });
                return;
            }
            std::fprintf(stderr, "skin_shot: the main window was never skinned\n");
        }
        FTaken = true;
        const QImage picture = FWindow->grab().toImage();
        if (picture.save(FPath, "PNG")) {
            Result = Ready() ? 0 : 1;
            std::printf("%s: %dx%d, %s\n", qPrintable(FPath), picture.width(), picture.height(),
                        FSkinned ? "skinned" : "unskinned");
        } else {
            std::fprintf(stderr, "skin_shot: cannot write %s\n", qPrintable(FPath));
        }
        FWindow->close();
    }

    QPointer<QWidget> FWindow;
    QString FPath;
    bool FSkinned;
    bool FTaken = false;
    QElapsedTimer FClock;
};

} // namespace

int main(int argc, char **argv)
{
    QString path;
    bool skinned = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--off") == 0)
            skinned = false;
        else if (argv[i][0] != '-')
            path = QString::fromLocal8Bit(argv[i]);
    }
    if (path.isEmpty()) {
        std::fprintf(stderr, "usage: skin_shot PATH [--off]\n");
        return 2;
    }
    TShot *shot = nullptr;
    const int code = ui::RunProgram(argc, argv, [&](QWidget *window) {
        auto *main = static_cast<TFormMain *>(window);
        skin::TSkinData *data = main->SkinData1;
        if (skinned && data) {
            if (!data->SkinReady())
                data->ReadSkinStream(skin::EmbeddedSkinStream());
            // The drawn menu bar and frame come later; the controls now.
            data->SkinControls.remove(skin::xcMainMenu);
            data->SetActive(true);
        }
        shot = new TShot(window, path, skinned);
        // A window that is never painted still ends the run.
        QTimer::singleShot(15000, window, [window] { window->close(); });
    });
    const int result = shot ? shot->Result : 1;
    delete shot;
    return code != 0 ? code : result;
}
