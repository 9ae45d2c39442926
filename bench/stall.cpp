// How long the event loop stalls while the program waits on something slow: a 10 ms timer
// runs through each scenario and the longest gap between its ticks is printed.
//
//   bench_stall [SCENARIO...]   (all when none is named; each the median of three runs)
#include "app/refreshcycle.h"
#include "server/ratepages.h"
#include "server/scriptedhttpserver.h"
#include "sources/ratereading.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <map>

namespace {

// Starts the work and calls done once when it has ended.
using Scenario = std::function<void(QObject& owner, std::function<void()> done)>;

// A scripted server on a thread of its own, so that its work never counts as a stall.
class ServerThread : public QObject {
public:
    ServerThread(const ScriptedAnswer& answer, QObject& owner) : QObject(&owner) {
        server = new ScriptedHttpServer;
        server->SetDefaultAnswer(answer);
        server->moveToThread(&thread);
        connect(&thread, &QThread::finished, server, &QObject::deleteLater);
        thread.start();
        QMetaObject::invokeMethod(
            server, [this] { server->Listen(); }, Qt::BlockingQueuedConnection);
    }
    ~ServerThread() override {
        thread.quit();
        thread.wait();
    }
    QUrl Url(const QString& path = QString()) const { return server->Url().resolved(QUrl(path)); }

private:
    QThread thread;
    ScriptedHttpServer* server;
};

// A reading whose page comes after 5 s.
void SlowReading(QObject& owner, std::function<void()> done) {
    auto* server =
        new ServerThread(ScriptedAnswer{.body = IEXRatePage(1.0834, 0.25), .delayMs = 5000}, owner);
    auto* reading = new RateReading;
    auto* cycle = new RefreshCycle(
        *reading, ServiceConfig{server->Url(), {}, {}}, RegionalSettings{},
        [] { return QDateTime::currentDateTime(); }, &owner);
    QObject::connect(cycle, &QObject::destroyed, [reading] { delete reading; });
    QObject::connect(cycle, &RefreshCycle::idle, &owner, done);
    cycle->RefreshRate([] { return false; });
}

// Nothing for 5 s: the floor that the machine's load alone gives.
void Idle(QObject& owner, std::function<void()> done) {
    QTimer::singleShot(5000, &owner, done);
}

const std::map<QString, Scenario>& Scenarios() {
    static const std::map<QString, Scenario> all{
        {QStringLiteral("idle"), Idle},
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
        std::array<qint64, 3> stalls{};
        for (qint64& stall : stalls)
            stall = LongestStall(found->second);
        std::sort(stalls.begin(), stalls.end());
        std::printf("ui_stall_ms_%s %lld ms\n", qPrintable(name),
                    static_cast<long long>(stalls[1]));
        std::fflush(stdout);
    }
    return 0;
}
