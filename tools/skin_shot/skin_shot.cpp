// skin_shot PATH [--off]
// skin_shot --all DIR
//
// Starts the program as it always starts, switches the main window's skin on
// (unless --off), and saves a PNG of the main window after its first paint
// with the skin in force; then the program closes as if the user closed it.
//
// With --all, every window of the program is pictured skinned, one PNG each
// in DIR: main, setup, pattern, file-dialog, analysis, about and message.
// Each window is opened as the program opens it (from the main window's
// menu, the file dialog from the pattern editor's Open button, the message
// box from a menu entry that is not there yet), pictured once the skin is in
// force, and closed again as a user would.
//
// A skinned window's picture is its frame and all: what lies outside its
// outline is left transparent.
#include "skin/RadEzarArov.h"
#include "skin/RuzOzodOvez.h"
#include "skin/SkinManage.h"
#include "skin/SkinPackage.h"
#include "ui/About.h"
#include "ui/Main.h"
#include "ui/Midi_Setup.h"
#include "ui/Pattern.h"
#include "ui/Startup.h"
#include "ui/analyse.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileDialog>
#include <QImage>
#include <QMessageBox>
#include <QPointer>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

// A skin that draws the frame is in force after the window's first layout.
bool Skinned(const QWidget *window)
{
    const skin::TRuzOzodOvez *skinner = skin::SkinManager ? skin::SkinManager->FindSkinner(window) : nullptr;
    return skinner && skinner->State == skin::TRuzOzodOvez::StateSkinned &&
           (!skinner->SkinMainMenu || skinner->FirstLayoutSeen);
}

// The window as it paints itself, what lies outside its outline transparent.
bool SavePicture(QWidget *window, const QString &path, bool skinned)
{
    QImage picture = window->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QRegion outline = window->mask();
    if (!outline.isEmpty())
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (!outline.contains(QPoint(x, y)))
                    picture.setPixel(x, y, 0);
    if (!picture.save(path, "PNG")) {
        std::fprintf(stderr, "skin_shot: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s: %dx%d, %s\n", qPrintable(path), picture.width(), picture.height(),
                skinned ? "skinned" : "unskinned");
    return true;
}

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
    bool Ready() const { return !FSkinned || Skinned(FWindow); }

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
        if (SavePicture(FWindow, FPath, FSkinned))
            Result = Ready() ? 0 : 1;
        FWindow->close();
    }

    QPointer<QWidget> FWindow;
    QString FPath;
    bool FSkinned;
    bool FTaken = false;
    QElapsedTimer FClock;
};

// The newest shown top-level window of the given class.
template <typename T> QWidget *Shown()
{
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it)
        if (qobject_cast<T *>(*it) && (*it)->isVisible())
            return *it;
    return nullptr;
}

// Opens the program's windows one after the other, pictures each once the
// skin is in force, and closes it. Windows that run their own modal loop
// are opened from a queued call, so that the pictures are taken from within
// that loop.
class TAllShots : public QObject {
public:
    TAllShots(TFormMain *main, QString folder) : FMain(main), FFolder(std::move(folder))
    {
        const auto menu = [main](QAction *action) { return [action] { action->trigger(); }; };
        auto *pattern = main->findChild<TFrmPattern *>();
        FSteps = {
            {"main", [] {}, [main]() -> QWidget * { return main; }},
            {"setup", menu(main->Setupmnu), Shown<TFrmMidiSetup>},
            {"pattern", menu(main->mnuChordpattern), Shown<TFrmPattern>},
            {"file-dialog", [pattern] { pattern->BtnOpenClick(); }, Shown<QFileDialog>},
            {"analysis", menu(main->mnuChordanalysis), Shown<TFormAnalyse>},
            {"about", menu(main->mnuAbout), Shown<TAboutBox>},
            {"message", menu(main->mnuProgressions), Shown<QMessageBox>},
        };
        connect(&FTimer, &QTimer::timeout, this, &TAllShots::Poll);
        FTimer.start(50);
    }
    int Result = 0;

private:
    struct TStep {
        const char *name;
        std::function<void()> open;
        std::function<QWidget *()> find;
    };

    void Poll()
    {
        if (FStep >= FSteps.size()) {
            FTimer.stop();
            FMain->close();
            return;
        }
        const TStep &step = FSteps[FStep];
        if (!FOpened) {
            FOpened = true;
            FClock.start();
            FReady.invalidate();
            QTimer::singleShot(0, this, step.open);
            return;
        }
        QWidget *window = step.find();
        // A window is skinned as it is activated; where no window manager
        // activates a new window, it is activated as a click on it would.
        if (window && !window->isActiveWindow() && !QApplication::activePopupWidget() &&
            !QApplication::activeModalWidget())
            window->activateWindow();
        const bool skinned = window && Skinned(window);
        if (skinned && !FReady.isValid())
            FReady.start();
        // Let its layout settle and its first paints pass before the picture.
        const bool settled = skinned && FReady.elapsed() >= 300;
        const bool late = FClock.elapsed() > 10000;
        if (!settled && !late)
            return;
        if (!window) {
            std::fprintf(stderr, "skin_shot: the %s window never opened\n", step.name);
            Result = 1;
        } else {
            if (!skinned) {
                std::fprintf(stderr, "skin_shot: the %s window was never skinned\n", step.name);
                Result = 1;
            }
            if (!SavePicture(window, QDir(FFolder).filePath(QString::fromLatin1(step.name) + ".png"), skinned))
                Result = 1;
            Close(window);
        }
        ++FStep;
        FOpened = false;
    }

    // As the user would: a dialog is cancelled, any other window closed.
    // The pattern editor stays open for its file dialog.
    void Close(QWidget *window)
    {
        if (window == FMain || qobject_cast<TFrmPattern *>(window))
            return;
        if (auto *dialog = qobject_cast<QDialog *>(window))
            dialog->reject();
        else
            window->close();
        if (qobject_cast<QFileDialog *>(window))
            if (QWidget *pattern = Shown<TFrmPattern>())
                pattern->close();
    }

    TFormMain *FMain;
    QString FFolder;
    QList<TStep> FSteps;
    qsizetype FStep = 0;
    bool FOpened = false;
    QTimer FTimer;
    QElapsedTimer FClock;
    QElapsedTimer FReady;
};

void SwitchSkinOn(TFormMain *main)
{
    skin::TSkinData *data = main->SkinData1;
    if (!data)
        return;
    if (!data->SkinReady())
        data->ReadSkinStream(skin::EmbeddedSkinStream());
    data->SetActive(true);
}

int Usage()
{
    std::fprintf(stderr, "usage: skin_shot PATH [--off]\n       skin_shot --all DIR\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QString path;
    bool skinned = true;
    bool all = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--off") == 0)
            skinned = false;
        else if (std::strcmp(argv[i], "--all") == 0)
            all = true;
        else if (argv[i][0] != '-')
            path = QString::fromLocal8Bit(argv[i]);
        else
            return Usage();
    }
    if (path.isEmpty() || (all && !skinned))
        return Usage();
    if (all && !QDir().mkpath(path)) {
        std::fprintf(stderr, "skin_shot: cannot make the folder %s\n", qPrintable(path));
        return 1;
    }
    TShot *shot = nullptr;
    TAllShots *shots = nullptr;
    const int code = ui::RunProgram(argc, argv, [&](QWidget *window) {
        auto *main = static_cast<TFormMain *>(window);
        if (skinned)
            SwitchSkinOn(main);
        if (all)
            shots = new TAllShots(main, path);
        else
            shot = new TShot(window, path, skinned);
        // A window that is never painted still ends the run.
        QTimer::singleShot(all ? 120000 : 15000, window, [window] { window->close(); });
    });
    const int result = shot ? shot->Result : shots ? shots->Result : 1;
    delete shot;
    delete shots;
    return code != 0 ? code : result;
}
