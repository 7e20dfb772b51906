// skin_shot PATH [--off]
//
// Starts the program as it always starts, switches the main window's skin on
// (unless --off), and saves a PNG of the main window after its first paint
// with the skin in force; then the program closes as if the user closed it.
// A skinned window's picture is its frame and all: what lies outside its
// outline is left transparent.
#include "skin/RadEzarArov.h"
#include "skin/RuzOzodOvez.h"
#include "skin/SkinManage.h"
#include "skin/SkinPackage.h"
#include "ui/Main.h"
#include "ui/Startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QImage>
#include <QPointer>
#include <QRegion>
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
        // A skinned frame paints after the window and takes the paint event
        // from those that watch it: a skinned window is asked again.
        if (watched == FWindow && event->type() == QEvent::UpdateRequest && !FTaken && FSkinned && Ready())
            QTimer::singleShot(50, this, [this] { Take(); });
        return false;
    }

private:
    bool Ready() const
    {
        if (!FSkinned)
            return true;
        const skin::TRuzOzodOvez *skinner = skin::SkinManager ? skin::SkinManager->FindSkinner(FWindow) : nullptr;
        // A skin that draws the frame is in force after the first layout.
        return skinner && skinner->State == skin::TRuzOzodOvez::StateSkinned &&
               (!skinner->SkinMainMenu || skinner->FirstLayoutSeen);
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
        QImage picture = FWindow->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        const QRegion outline = FWindow->mask();
        if (!outline.isEmpty())
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    if (!outline.contains(QPoint(x, y)))
                        picture.setPixel(x, y, 0);
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
