// Skinned menu benchmark: the skinned menu bar painted at the main window's
// width and at 1920 pixels, and a menu of the main window's Tools items
// drawn whole (QWidget::grab) skinned and not, 200 times each, with our own
// skin. The goal is a bar under 1 ms and a skinned menu within one frame at
// 60 Hz (16 ms).
//
//   bench_skin_menu [--runs N]
//
// Runs on QT_QPA_PLATFORM=offscreen unless the environment names another
// platform.
#include "skin/RadEzarArov.h"
#include "skin/RuzOzodOvez.h"
#include "skin/SkinManage.h"
#include "skin/SkinMenuBar.h"
#include "skin/SkinPackage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

namespace {

// A form of the program's own kind (a class of ours), as the main window is.
class TBenchForm : public QMainWindow {
    Q_OBJECT
public:
    TBenchForm()
    {
        QMenu *tools = menuBar()->addMenu("Tools...");
        for (const char *item : {"Chord analysis...", "Chord pattern...", "Progressions...", "Practice..."})
            tools->addAction(item);
        tools->addSeparator();
        tools->addAction("Setup...");
        QMenu *what = menuBar()->addMenu("?");
        what->addAction("Help");
        what->addSeparator();
        what->addAction("About");
        Popup = new QMenu(this);
        for (QAction *a : tools->actions())
            Popup->addAction(a);
        setCentralWidget(new QWidget(this));
        resize(638, 501);
    }
    QMenu *Popup;
};

void Report(const char *what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    std::printf("%-34s median %7.3f ms   fastest %7.3f   slowest %7.3f\n", what, median, times.front(), times.back());
}

std::vector<double> Time(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        work();
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    return times;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int runs = 200;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
    QApplication app(argc, argv);

    // The popup drawn by the application's style, before any skin.
    TBenchForm plainForm;
    plainForm.show();
    plainForm.Popup->popup(plainForm.mapToGlobal(QPoint(10, 10)));
    if (!QTest::qWaitFor([&] { return plainForm.Popup->isVisible(); }))
        return 1;
    const std::vector<double> plain = Time(runs, [&] { plainForm.Popup->grab(); });
    plainForm.Popup->hide();
    plainForm.hide();

    TBenchForm form;
    auto *data = new skin::TSkinData(&form);
    data->ReadSkinStream(skin::EmbeddedSkinStream());
    data->Loaded();
    data->SetActive(true);
    form.show();
    form.activateWindow();
    if (!QTest::qWaitFor([&] { return skin::SkinManager && skin::SkinManager->FindSkinner(&form); }, 10000)) {
        std::fprintf(stderr, "bench_skin_menu: the form was never skinned\n");
        return 1;
    }
    skin::TRuzOzodOvez *skinner = skin::SkinManager->FindSkinner(&form);
    if (!skinner->MenuBar) {
        std::fprintf(stderr, "bench_skin_menu: no skinned menu bar\n");
        return 1;
    }
    std::printf("bench_skin_menu: %d runs each, skin \"%s\"\n", runs, qPrintable(data->Skin.SkinName));
    for (int width : {638, 1920}) {
        QImage target(width, skinner->MenuHeight, QImage::Format_RGB32);
        const auto times = Time(runs, [&] {
            QPainter painter(&target);
            skinner->MenuBar->PaintBar(painter, target.rect());
        });
        Report(width == 638 ? "menu bar, 638 wide" : "menu bar, 1920 wide", times);
    }
    form.Popup->popup(form.mapToGlobal(QPoint(10, 10)));
    if (!QTest::qWaitFor([&] { return form.Popup->isVisible(); }))
        return 1;
    Report("popup menu, unskinned", plain);
    Report("popup menu, skinned", Time(runs, [&] { form.Popup->grab(); }));
    form.Popup->hide();
    skin::FreeSkinManager();
    return 0;
}

#include "SkinMenuBench.moc"
