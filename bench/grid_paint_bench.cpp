// Full repaints of the schedule grid, median time per paint.
//
// Usage: grid_paint_bench [paints]   (runs on the offscreen platform unless QT_QPA_PLATFORM
// says otherwise; set QT_SCALE_FACTOR=2 to run the on-screen case at 200%)

#include "bench_timer.h"
#include "schedule/schedule_ctrl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// The size the schedule page gives the grid: its placeholder field, 436 x 211 dialog units
// of an 8-point Tahoma dialog, is about 654 x 343 pixels at 100%, plus the border.
constexpr int kWidth = 654;
constexpr int kHeight = 345;

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int paints = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;

    CScheduleCtrl grid;
    grid.resize(kWidth, kHeight);
    grid.SetSlot(4 * 15, 0);
    grid.SetSlot(5 * 15, 0);
    grid.show();
    grid.setFocus();
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
    QWidget *viewport = grid.viewport();

    std::printf("grid %dx%d, viewport %dx%d, screen device pixel ratio %.2f, %d paints\n",
                grid.width(), grid.height(), viewport->width(), viewport->height(),
                viewport->devicePixelRatioF(), paints);

    bench::report("repaint() through the backing store, top",
                  bench::medianMicroseconds(paints, [&] { viewport->repaint(); }));
    grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum() / 2);
    QCoreApplication::processEvents();
    bench::report("repaint() through the backing store, scrolled to mid-day",
                  bench::medianMicroseconds(paints, [&] { viewport->repaint(); }));
    grid.verticalScrollBar()->setValue(0);
    QCoreApplication::processEvents();

    for (const qreal dpr : {1.0, 2.0}) {
        QImage image(viewport->size() * dpr, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        const QByteArray what = QByteArrayLiteral("render() into an image at ") +
                                QByteArray::number(int(dpr * 100)) + '%';
        bench::report(what.constData(),
                      bench::medianMicroseconds(paints, [&] { viewport->render(&image); }));
    }

    // What the first paint of a new control costs: fitting the fonts and drawing the cached
    // hour scale and cell strips.
    const auto firstPaint = [&] {
        CScheduleCtrl fresh;
        fresh.resize(kWidth, kHeight);
        fresh.show();
        QCoreApplication::processEvents();
        QImage image(fresh.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        QElapsedTimer timer;
        timer.start();
        fresh.viewport()->render(&image);
        return double(timer.nsecsElapsed()) / 1000.0;
    };
    std::vector<double> firsts;
    for (int i = 0; i < 21; ++i)
        firsts.push_back(firstPaint());
    std::nth_element(firsts.begin(), firsts.begin() + 10, firsts.end());
    bench::report("first paint of a new control (fonts and caches)", firsts[10]);
    return 0;
}
