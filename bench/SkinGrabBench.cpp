// Grab benchmark: the main window drawn whole (QWidget::grab) 100 times with
// its controls skinned and 100 times without, in the same run, alternating
// in blocks so a change in the machine's load weighs on both alike. The goal
// is a skinned median under 16 ms (one frame at 60 Hz) and within twice the
// unskinned median.
//
//   bench_skin_grab [--grabs N]
//
// Runs on QT_QPA_PLATFORM=offscreen unless the environment names another
// platform, with the loopback MIDI driver and a settings file of its own.
#include "skin/RadEzarArov.h"
#include "skin/SkinManage.h"
#include "skin/SkinPackage.h"
#include "ui/Controls.h"
#include "ui/Main.h"
#include "ui/PanelResources.h"
#include "ui/Startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct TFigures {
    double median, fastest, slowest;
};

TFigures Figures(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    return {median, times.front(), times.back()};
}

double GrabMs(QWidget &window)
{
    QElapsedTimer clock;
    clock.start();
    const QPixmap picture = window.grab();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    if (picture.isNull())
        std::fprintf(stderr, "bench_skin_grab: an empty picture\n");
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    int grabs = 100;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--grabs") == 0)
            grabs = std::max(1, std::atoi(argv[i + 1]));
    QTemporaryDir scratch;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("HARMONOVA_MIDI", "loopback");
    qputenv("HARMONOVA_REGISTRY", scratch.filePath("registry.reg").toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", scratch.path().toLocal8Bit());

    QApplication app(argc, argv);
    app.setStyle(new TPanelStyle);
    InitPanelResources();
    int result = 0;
    {
        ui::TProgramWindows windows;
        TFormMain &main = windows.FormMain();
        skin::TSkinData *data = main.SkinData1;
        if (!data->SkinReady())
            data->ReadSkinStream(skin::EmbeddedSkinStream());
        data->SkinControls.remove(skin::xcMainMenu);
        main.show();
        main.activateWindow();
        if (!QTest::qWaitForWindowActive(&main)) {
            std::fprintf(stderr, "bench_skin_grab: the main window was never activated\n");
            return 1;
        }
        const auto skinned = [&] { return skin::SkinManager && skin::SkinManager->FindSkinner(&main) != nullptr; };
        const auto switchTo = [&](bool on) {
            data->SetActive(on);
            return QTest::qWaitFor([&] { return skinned() == on; }, 5000);
        };

        // Warm both looks up: glyph caches, the styles' first use.
        for (bool on : {true, false}) {
            if (!switchTo(on))
                return 1;
            for (int i = 0; i < 5; ++i)
                GrabMs(main);
        }
        std::vector<double> on, off;
        constexpr int Block = 10;
        while (int(on.size()) < grabs || int(off.size()) < grabs) {
            for (bool skin : {true, false}) {
                std::vector<double> &times = skin ? on : off;
                if (int(times.size()) >= grabs)
                    continue;
                if (!switchTo(skin)) {
                    std::fprintf(stderr, "bench_skin_grab: the skin did not switch\n");
                    return 1;
                }
                for (int i = 0; i < Block && int(times.size()) < grabs; ++i)
                    times.push_back(GrabMs(main));
            }
        }
        const TFigures a = Figures(on), b = Figures(off);
        std::printf("main window grab, %d each (%dx%d):\n", grabs, main.width(), main.height());
        std::printf("  skinned:   median %.2f ms, fastest %.2f ms, slowest %.2f ms\n", a.median, a.fastest, a.slowest);
        std::printf("  unskinned: median %.2f ms, fastest %.2f ms, slowest %.2f ms\n", b.median, b.fastest, b.slowest);
        const double ratio = a.median / b.median;
        std::printf("  skinned / unskinned: %.2f\n", ratio);
        const bool met = a.median < 16.0 && ratio <= 2.0;
        std::printf("goal (skinned median under 16 ms and within 2x unskinned): %s\n", met ? "met" : "NOT met");
        data->SetActive(false);
        windows.End();
    }
    skin::FreeSkinManager();
    return result;
}
