// How long the event loop stalls while the program waits on something slow: a 10 ms timer
// runs through each scenario and the longest gap between its ticks is printed.
//
//   bench_stall [SCENARIO...]   (all when none is named; each the median of three runs)
#include "alarm/alarmsound.h"
#include "app/refreshcycle.h"
#include "history/historyservice.h"
#include "server/ratepages.h"
#include "server/scriptedhttpserver.h"
#include "sources/ratereading.h"
#include "update/installertransfer.h"
#include "update/pingserver.h"
#include "update/versionlistthread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QThread>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <functional>
#include <map>
#include <thread>

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

// A ping of this machine.
void Ping(QObject& owner, std::function<void()> done) {
    auto* ping = new PingServer(&owner);
    QObject::connect(ping, &PingServer::finished, &owner, [done](int) { done(); });
    ping->Start(QStringLiteral("127.0.0.1"));
}

// A version list that comes after 5 s, fetched on the worker thread.
void SlowVersionList(QObject& owner, std::function<void()> done) {
    auto* server = new ServerThread(
        ScriptedAnswer{.body =
                           "qzRate,qzRate103.run,b,4,2026-12-01,Betere koersen,Better rates\r\n",
                       .delayMs = 5000},
        owner);
    auto* worker = new TThread1(server->Url(QStringLiteral("versions.dat")), &owner);
    QObject::connect(worker, &TThread1::resultReady, &owner, [done](const QString&) { done(); });
    worker->start();
}

// Made before any measuring starts.
const QByteArray& InstallerBody() {
    static const QByteArray body(50 << 20, 'x');
    return body;
}

// A 50 MB installer from loopback, as fast as it comes, into a file.
void Download(QObject& owner, std::function<void()> done) {
    auto* server = new ServerThread(ScriptedAnswer{.body = InstallerBody()}, owner);
    auto* file = new QTemporaryFile(&owner);
    file->open();
    auto* transfer = new InstallerTransfer(&owner);
    QObject::connect(transfer, &InstallerTransfer::finished, &owner, [done](bool) { done(); });
    transfer->Start(server->Url(QStringLiteral("qzRate103.run")), file, qint64(100) << 20);
}

// One rising sweep of the alarm, played to the end.
void Tones(QObject& owner, std::function<void()> done) {
    auto* sound = new AlarmSound(&owner);
    auto* poll = new QTimer(&owner);
    QObject::connect(poll, &QTimer::timeout, &owner, [sound, done] {
        if (!sound->Busy())
            done();
    });
    sound->Play(Sweep::Rising);
    poll->start(50);
}

// 50 readings kept one after another while a thread beside them writes 4 kB blocks with fsync
// into a file in the history's folder.
class HistoryUnderLoad : public QObject {
public:
    HistoryUnderLoad(QObject& owner, std::function<void()> done)
        : QObject(&owner), History(Folder.filePath(QStringLiteral("history.sqlite"))),
          Syncer([this] {
              QFile load(Folder.filePath(QStringLiteral("load")));
              load.open(QIODevice::WriteOnly);
              const QByteArray block(4096, 'x');
              while (!Stop) {
                  load.write(block);
                  load.flush();
                  ::fsync(load.handle());
              }
          }) {
        connect(&History, &HistoryService::Kept, this, [this, done] {
            if (++Kept == 50)
                done();
            else
                Keep();
        });
        History.Start();
        Keep();
    }
    ~HistoryUnderLoad() override {
        Stop = true;
        Syncer.join();
    }

private:
    void Keep() {
        History.Keep(
            StoredReading{QDateTime::currentMSecsSinceEpoch(), ReadingSource::IEX, 0.92, {}});
    }

    QTemporaryDir Folder;
    HistoryService History;
    std::atomic_bool Stop = false;
    std::thread Syncer;
    int Kept = 0;
};

void HistoryWrites(QObject& owner, std::function<void()> done) {
    new HistoryUnderLoad(owner, std::move(done));
}

// Nothing for 5 s: the floor that the machine's load alone gives.
void Idle(QObject& owner, std::function<void()> done) {
    QTimer::singleShot(5000, &owner, done);
}

const std::map<QString, Scenario>& Scenarios() {
    static const std::map<QString, Scenario> all{
        {QStringLiteral("idle"), Idle},
        {QStringLiteral("reading"), SlowReading},
        {QStringLiteral("ping"), Ping},
        {QStringLiteral("versionlist"), SlowVersionList},
        {QStringLiteral("download"), Download},
        {QStringLiteral("tones"), Tones},
        {QStringLiteral("history"), HistoryWrites},
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
    InstallerBody();
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
