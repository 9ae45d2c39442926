// How long the event loop stalls while the program waits on something slow: a 10 ms timer
// runs through each scenario and the longest gap between its ticks is printed.
//
//   bench_stall [SCENARIO...]   (all when none is named)
#include "app/refreshcycle.h"
#include "server/ratepages.h"
#include "server/scriptedhttpserver.h"
#include "sources/ratereading.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <map>

namespace {

// Starts the work and calls done once when it has ended.
using Scenario = std::function<void(QObject& owner, std::function<void()> done)>;

// A reading whose page comes after 5 s.
void SlowReading(QObject& owner, std::function<void()> done) {
    auto* server = new ScriptedHttpServer(&owner);
    server->Listen();
    server->SetDefaultAnswer(ScriptedAnswer{.body = IEXRatePage(1.0834, 0.25), .delayMs = 5000});
    auto* reading = new RateReading;
    auto* cycle = new RefreshCycle(
        *reading, ServiceConfig{server->Url(), {}, {}}, RegionalSettings{},
        [] { return QDateTime::currentDateTime(); }, &owner);
    QObject::connect(cycle, &QObject::destroyed, [reading] { delete reading; });
    QObject::connect(cycle, &RefreshCycle::idle, &owner, done);
    cycle->RefreshRate([] { return false; });
}

const std::map<QString, Scenario>& Scenarios() {
    static const std::map<QString, Scenario> all{
        {QStringLiteral("reading"), SlowReading},
    };
    return all;
}

// The longest gap between ticks while the scenario runs, in ms.
qint64 LongestStall(const Scenario& scenario) {
    QObject owner;
    QEventLoop loop;
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });
    clock.start();
    ticker.start();
    bool ended = false;
    scenario(owner, [&] {
        ended = true;
        loop.quit();
    });
    if (!ended)
        loop.exec();
    // The gap up to the end counts too.
    return std::max(longestGap, clock.elapsed() - lastTick);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList names = app.arguments().mid(1);
    if (names.isEmpty()) {
        for (const auto& [name, scenario] : Scenarios())
            names << name;
    }
    for (const QString& name : names) {
        const auto found = Scenarios().find(name);
        if (found == Scenarios().end()) {
            std::fprintf(stderr, "bench_stall: no scenario %s\n", qPrintable(name));
            return 2;
        }
        std::printf("ui_stall_ms_%s %lld ms\n", qPrintable(name),
                    static_cast<long long>(LongestStall(found->second)));
        std::fflush(stdout);
    }
    return 0;
}
