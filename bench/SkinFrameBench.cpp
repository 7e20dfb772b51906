// The skinned frame of a 1920 x 1080 window in our own skin, whose sides
// are transparent at their corners: a repaint of the whole frame, and a new
// outline (the window's region) built from the borders, 50 runs each, in
// processor time. Goal: each median under 5 ms.
#include "BenchSupport.h"
#include "skin/RadEzarArov.h"
#include "skin/RuzOzodOvez.h"
#include "skin/SkinManage.h"
#include "skin/SkinPackage.h"

#include <QApplication>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <cstdio>

namespace {

class TBenchForm : public QWidget {};

using bench::Figures;
using bench::Measure;

void Print(const char *what, const Figures &f)
{
    std::printf("%-44s median %6.2f ms, slowest %6.2f ms%s\n", what, f.median, f.slowest,
                f.median < 5.0 ? "" : "  (goal: median under 5 ms)");
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TBenchForm form;
    form.setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                        Qt::WindowCloseButtonHint);
    form.setWindowTitle("Harmonova !");
    form.resize(1920 - 12, 1080 - 40);
    auto *data = new skin::TSkinData(&form);
    data->ReadSkinStream(skin::EmbeddedSkinStream());
    data->SetActive(true);
    data->Loaded();
    form.show();
    form.activateWindow();
    skin::TRuzOzodOvez *skinner = nullptr;
    if (!QTest::qWaitFor(
            [&] {
                skinner = skin::SkinManager ? skin::SkinManager->FindSkinner(&form) : nullptr;
                return skinner && skinner->State == skin::TRuzOzodOvez::StateSkinned;
            },
            10000)) {
        std::fprintf(stderr, "the window was not skinned\n");
        return 1;
    }
    // The size the benchmark is about, whatever the borders add.
    form.setFixedSize(1920, 1080);
    QCoreApplication::processEvents();
    const skin::TSkin &skin = data->Skin;
    std::printf("window %d x %d, borders %d %d %d %d, transparent sides: left %d right %d top %d bottom %d\n",
                form.width(), form.height(), skinner->BorderLeft, skinner->BorderTop, skinner->BorderRight,
                skinner->BorderBottom, skin.LeftBorder->Trans, skin.RightBorder->Trans, skin.TopBorder->Trans,
                skin.BottomBorder->Trans);

    QImage screen(form.size(), QImage::Format_ARGB32_Premultiplied);
    const auto paint = [&](int) {
        QPainter dc(&screen);
        skinner->PaintNonClient(dc);
    };
    paint(0);
    Print("frame repaint", Measure(50, paint));
    Print("frame repaint, active and inactive by turns", Measure(50, [&](int i) {
              skinner->Active = uint8_t(i % 2);
              paint(i);
          }));
    skinner->Active = 1;
    Print("region build", Measure(50, [&](int) { skinner->BuildRegion(); }));
    const QRegion region = skinner->BuildRegion();
    std::printf(
        "region: %d rectangles, %lld pixels left out of the window\n", region.rectCount(), 1920LL * 1080 - [&] {
            long long n = 0;
            for (const QRect &r : region)
                n += 1LL * r.width() * r.height();
            return n;
        }());
    return 0;
}
