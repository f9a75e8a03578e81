// The time from the editor asking for its volume source to the first painted card list, with
// UDisks2 answering and with a UDisks2 that does not answer: the fake UDisks2 of the tests
// (python-dbusmock on a private bus) over the recorded desk, or the same fake taking 30 s for
// every answer. Without an answer the list comes from this machine's lsblk.
//
// Each run makes the source as the editor's start does, scans, and shows the select-card
// dialog; the time is taken once the list's first paint is complete. Offscreen platform.
//
// card_list_bench [runs]   (default 20 runs of each)
#include "bench_timer.h"
#include "cards/select_card_dialog.h"
#include "fake_udisks2.h"
#include "platform/card_volumes.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QListWidget>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

// Ends `loop` once `widget` has been painted and control is back in the event loop.
class FirstPaint : public QObject
{
public:
    FirstPaint(QWidget *widget, QEventLoop &loop) : loop(loop) { widget->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, &loop, &QEventLoop::quit);
        }
        return false;
    }

private:
    QEventLoop &loop;
};

struct Run
{
    double milliseconds = 0;
    int lines = 0;
};

Run firstPaintedList()
{
    const auto start = std::chrono::steady_clock::now();
    const auto volumes = platform::CreateDesktopVolumeSource();
    CSelectCardDlg dialog(*volumes);
    dialog.ScanCards();
    auto *list = dialog.findChild<QListWidget *>(QStringLiteral("cardList"));
    QEventLoop loop;
    FirstPaint paint(list->viewport(), loop);
    dialog.show();
    loop.exec();
    const auto end = std::chrono::steady_clock::now();
    dialog.hide();
    return {std::chrono::duration<double, std::milli>(end - start).count(), list->count()};
}

void measure(const char *what, int runs)
{
    std::vector<double> times;
    int lines = 0;
    firstPaintedList(); // fonts, styles and the page cache
    for (int run = 0; run < runs; ++run) {
        const Run result = firstPaintedList();
        times.push_back(result.milliseconds);
        lines = result.lines;
    }
    std::sort(times.begin(), times.end());
    std::printf("  %-34s median %8.1f ms   min %8.1f ms   max %8.1f ms   (%d lines)\n", what,
                times[times.size() / 2], times.front(), times.back(), lines);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    std::printf("Time to the first painted card list, %d runs each:\n", runs);
    {
        FakeUDisks2 udisks;
        if (!udisks.started() || !udisks.load(QStringLiteral("desk.json"))) {
            std::fprintf(stderr, "the fake UDisks2 did not start: %s\n", udisks.lastError.data());
            return 1;
        }
        measure("UDisks2 answers", runs);
    }
    {
        FakeUDisks2 udisks(QStringLiteral("hangs"));
        if (!udisks.started()) {
            std::fprintf(stderr, "the fake UDisks2 did not start\n");
            return 1;
        }
        measure("UDisks2 does not answer (lsblk)", runs);
    }
    return 0;
}
