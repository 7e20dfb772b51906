// The dark panel keeps its face, painted once for its size, ahead on a
// thread of its own or when first shown: it must look as it did when it
// painted itself straight on the window each time.
#include "platform/EarlyWork.h"
#include "ui/Controls.h"
#include "ui/Main.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

QImage StraightOnTheWindow(const QSize &size)
{
    QImage window(size, QImage::Format_RGB32);
    QPainter painter(&window);
    QLinearGradient face(0, 0, 0, size.height());
    face.setColorAt(0.0, QColor(0x46, 0x47, 0x4c));
    face.setColorAt(0.18, QColor(0x2c, 0x2d, 0x31));
    face.setColorAt(1.0, QColor(0x16, 0x16, 0x19));
    painter.fillRect(window.rect(), face);
    painter.setPen(QColor(255, 255, 255, 60));
    painter.drawLine(0, 0, size.width() - 1, 0);
    painter.drawLine(0, 0, 0, size.height() - 1);
    painter.setPen(QColor(0, 0, 0, 160));
    painter.drawLine(0, size.height() - 1, size.width() - 1, size.height() - 1);
    painter.drawLine(size.width() - 1, 0, size.width() - 1, size.height() - 1);
    return window;
}

QImage Shown(TPanel &panel)
{
    return panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

enum class TFace { PaintedAheadOnAThread, PaintedAheadButTakenFirst, PaintedWhenShown };

class PanelFace : public testing::TestWithParam<TFace> {};

TEST_P(PanelFace, LooksAsPaintedStraightOnTheWindowAndFollowsItsSize)
{
    const QSize designed = TFormMain::DesignedPanelSize();
    ASSERT_EQ(designed, QSize(633, 217));
    if (GetParam() != TFace::PaintedWhenShown) {
        std::shared_ptr<platform::TEarlyWork> face = TPanel::PaintFaceAhead(designed, 1.0);
        platform::TEarlyThreads threads;
        if (GetParam() == TFace::PaintedAheadOnAThread)
            threads.Start({face}, "begins", "ends");
    }
    TPanel panel;
    panel.resize(designed);
    EXPECT_EQ(Shown(panel), StraightOnTheWindow(designed));
    for (const QSize size : {QSize(300, 120), QSize(1, 1), designed}) {
        panel.resize(size);
        EXPECT_EQ(Shown(panel), StraightOnTheWindow(size)) << size.width() << "x" << size.height();
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PanelFace,
                         testing::Values(TFace::PaintedAheadOnAThread, TFace::PaintedAheadButTakenFirst,
                                         TFace::PaintedWhenShown),
                         [](const auto &info) {
                             switch (info.param) {
                             case TFace::PaintedAheadOnAThread:
                                 return "PaintedAheadOnAThread";
                             case TFace::PaintedAheadButTakenFirst:
                                 return "PaintedAheadButTakenFirst";
                             case TFace::PaintedWhenShown:
                                 break;
                             }
                             return "PaintedWhenShown";
                         });

} // namespace
