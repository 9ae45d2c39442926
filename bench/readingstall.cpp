// How long the event loop stalls while a reading waits on a slow server: a 10 ms timer runs
// through the reading and the longest gap between its ticks is printed.
#include "app/refreshcycle.h"
#include "server/ratepages.h"
#include "server/scriptedhttpserver.h"
#include "sources/ratereading.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int delayMs = argc > 1 ? QByteArray(argv[1]).toInt() : 5000;

    ScriptedHttpServer server;
    if (!server.Listen())
        return 1;
    server.SetDefaultAnswer(ScriptedAnswer{.body = IEXRatePage(1.0834, 0.25), .delayMs = delayMs});

    RateReading reading;
    RefreshCycle cycle(reading, ServiceConfig{server.Url(), {}, {}}, RegionalSettings{},
                       [] { return QDateTime::currentDateTime(); });

    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    int ticks = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
        ++ticks;
    });
    QObject::connect(&cycle, &RefreshCycle::idle, [&] {
        std::printf("reading took %lld ms; %d ticks of 10 ms; longest stall %lld ms\n",
                    static_cast<long long>(clock.elapsed()), ticks,
                    static_cast<long long>(longestGap));
        app.quit();
    });
    clock.start();
    ticker.start();
    cycle.RefreshRate([] { return false; });
    return app.exec();
}
