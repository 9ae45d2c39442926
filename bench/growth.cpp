// Heap growth per 1000 readings: the main window reads the local rate pages as fast as they
// answer and the history keeps each reading on its thread, every step of a reading included;
// after a warm-up the memory the allocator has handed out is sampled at the start and at the
// end. glibc's mallinfo2 sums every arena, so the history thread's own arena counts too.
#include "app/mainform.h"
#include "app/windowset.h"
#include "bench/benchwindow.h"
#include "history/chartopener.h"
#include "history/historyservice.h"

#include <QApplication>
#include <QTimer>

#include <malloc.h>

#include <cstdio>
#include <functional>
#include <utility>

namespace {
const int SettleMs = 200;

// Bytes the allocator has handed out and not got back, small blocks and mapped ones alike.
qint64 HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}
} // namespace

int main(int argc, char** argv) {
    TestHome home;
    QApplication app(argc, argv);
    const int warmUp = 200;
    const int measured = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;

    BenchWindow window(home);
    if (!window.Listening())
        return 1;
    TMainForm& main = *window.Main;
    HistoryService history(HistoryService::UserPath());
    ChartOpener chart(history, home.Ini());
    window.Set->Attach(history, chart);
    history.Start();

    // Each reading once the history has kept the one before, as between readings of the
    // program: a backlog of readings waiting for the history's thread is no growth.
    int taken = 0;
    int kept = 0;
    std::function<void()> onceKept;
    QObject::connect(&main.Scheduler.Refresh, &RefreshCycle::ReadingTaken, &app, [&] { ++taken; });
    QObject::connect(&history, &HistoryService::Kept, &app, [&] {
        if (++kept == taken && onceKept)
            std::exchange(onceKept, {})();
    });
    const auto whenKept = [&](std::function<void()> then) {
        if (kept == taken)
            then();
        else
            onceKept = std::move(then);
    };

    int done = 0;
    qint64 atStart = 0;
    QObject::connect(&main.Scheduler.Refresh, &RefreshCycle::Idle, &app, [&] {
        ++done;
        // From the event loop, as a timer tick would ask.
        const auto next = [&] { QTimer::singleShot(0, &main, &TMainForm::RefreshRate); };
        // Sampled a moment after the reading is kept: the history's thread folds and hands its
        // cache back after saying so, and a sample taken meanwhile counts that cache.
        const auto settled = [&](std::function<void()> then) {
            whenKept([then] { QTimer::singleShot(SettleMs, then); });
        };
        if (done == warmUp) {
            settled([&, next] {
                atStart = HeapInUse();
                next();
            });
        } else if (done == warmUp + measured) {
            settled([&] {
                const double growth = double(HeapInUse() - atStart) / 1024.0 / measured * 1000.0;
                std::printf("growth_kb_per_1000 %.2f kB\n", growth);
                app.quit();
            });
        } else {
            whenKept(next);
        }
    });
    main.RefreshRate();
    return app.exec();
}
