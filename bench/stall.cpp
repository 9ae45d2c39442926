// How long the event loop stalls while the program waits on something slow: a tick every
// millisecond runs through each scenario and the longest gap between ticks is printed.
//
//   bench_stall [SCENARIO...]   (all when none is named; each the median of three runs)
#include "alarm/alarmsound.h"
#include "app/mainform.h"
#include "app/refreshcycle.h"
#include "app/windowset.h"
#include "bench/benchwindow.h"
#include "history/chartopener.h"
#include "history/historyservice.h"
#include "platform/systembus.h"
#include "server/ratepages.h"
#include "server/referenceserver.h"
#include "server/scriptedhttpserver.h"
#include "sources/ratereading.h"
#include "testkit/privatebus.h"
#include "testkit/stallmeter.h"
#include "update/installertransfer.h"
#include "update/pingserver.h"
#include "update/versionlistthread.h"

#include <QApplication>
#include <QEventLoop>
#include <QSignalSpy>
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
#include <memory>
#include <thread>

namespace {

// Starts the work and calls done once when it has ended.
using Scenario = std::function<void(QObject& owner, std::function<void()> done)>;

// The meter of the scenario that runs. A scenario that first sets up what it needs (no work of
// the window's) starts it anew once that is done.
std::unique_ptr<StallMeter>& Meter() {
    static std::unique_ptr<StallMeter> meter;
    return meter;
}

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
    QObject::connect(cycle, &RefreshCycle::Idle, &owner, done);
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

// The bank's reference rates since 1999 fetched and kept by the history's backfill, from a
// server on a thread of its own: until the whole history has been kept.
class BackfillUnderWay : public QObject {
public:
    BackfillUnderWay(QObject& owner, std::function<void()> done)
        : QObject(&owner), History(Folder.filePath(QStringLiteral("history.sqlite"))) {
        auto* bank = new ReferenceServer([] { return QDate::currentDate(); });
        bank->Listen();
        const QUrl folder = bank->FolderUrl();
        bank->moveToThread(&BankThread);
        connect(&BankThread, &QThread::finished, bank, &QObject::deleteLater);
        BankThread.start();
        // Once for the 90 days, once for the whole history.
        connect(&History, &HistoryService::ReferenceHeld, this, [this, done] {
            if (++Held == 2)
                done();
        });
        History.Backfill(folder);
    }
    ~BackfillUnderWay() override {
        BankThread.quit();
        BankThread.wait();
    }

private:
    QTemporaryDir Folder;
    HistoryService History;
    QThread BankThread;
    int Held = 0;
};

void Backfill(QObject& owner, std::function<void()> done) {
    new BackfillUnderWay(owner, std::move(done));
}

// A reading when the machine wakes, as logind says on a private bus that stands in for the
// system bus, with the history keeping it: from the signal until the reading has been shown
// and kept. The windows, the bus and a first reading are set up before the measure starts.
class WakeReading : public QObject {
public:
    WakeReading(QObject& owner, std::function<void()> done)
        : QObject(&owner), Window(Home), History(HistoryService::UserPath()),
          Chart(History, Home.Ini()) {
        Window.Set->Attach(History, Chart);
        TMainForm& main = *Window.Main;
        main.Alarm.PlaySweep = {};
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", Bus.BusAddress());
        if (!Bus.IsUp() ||
            !Services.Register(Bus.Connect(QStringLiteral("services%1").arg(++Runs))) ||
            !Window.Listening()) {
            std::fputs("bench_stall: no private bus for the wake\n", stderr);
            QMetaObject::invokeMethod(this, done, Qt::QueuedConnection);
            return;
        }
        History.Start();
        Window.Set->Attach(System);
        QSignalSpy ready(&System, &SystemBus::Ready);
        System.Connect();
        ready.wait(10000);
        QSignalSpy kept(&History, &HistoryService::Kept);
        main.RefreshRate();
        kept.wait(10000);
        // The download timer on, but far off: the wake alone reads.
        main.Scheduler.SetDownloadTimer(600000, true);
        connect(&History, &HistoryService::Kept, this, done);
        Meter() = std::make_unique<StallMeter>();
        Services.Wake();
    }

private:
    // A connection's name is taken for good: each run's bus gets a name of its own.
    static inline int Runs = 0;
    TestHome Home;
    BenchWindow Window;
    HistoryService History;
    ChartOpener Chart;
    PrivateBus Bus;
    FakeSystemServices Services;
    SystemBus System;
};

void Wake(QObject& owner, std::function<void()> done) {
    new WakeReading(owner, std::move(done));
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
        {QStringLiteral("wake"), Wake},
        {QStringLiteral("backfill"), Backfill},
    };
    return all;
}

// The longest gap between ticks while the scenario runs, in ms.
qint64 LongestStall(const Scenario& scenario) {
    QObject owner;
    QEventLoop loop;
    Meter() = std::make_unique<StallMeter>();
    bool ended = false;
    scenario(owner, [&] {
        ended = true;
        loop.quit();
    });
    if (!ended)
        loop.exec();
    // The turn that ended it counts too.
    RunEventLoop(20);
    return std::exchange(Meter(), {})->LongestMs();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
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
