#include "app/mainform.h"
#include "app/windowset.h"
#include "platform/systembus.h"
#include "server/ratepages.h"
#include "server/scriptedhttpserver.h"
#include "sources/ratereading.h"
#include "testkit/markettimes.h"
#include "testkit/privatebus.h"
#include "testkit/stallmeter.h"
#include "testkit/testhome.h"
#include "testkit/windowfixture.h"

#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <thread>

// The window reads at once when the machine wakes and when the network returns, as a private
// dbus-daemon standing in for the system bus tells it, with logind and NetworkManager played
// by the test. Throughout, the window never stalls.
class TestWakeReadings : public QObject {
    Q_OBJECT

    TestHome Home;
    std::unique_ptr<PrivateBus> Bus;
    FakeSystemServices Services;
    ScriptedHttpServer Iex;
    ScriptedHttpServer D2e;
    std::unique_ptr<WindowFixture> Window;
    std::unique_ptr<SystemBus> System;
    TMainForm* Main = nullptr;
    std::unique_ptr<StallMeter> Stalls;

    void Answer(const ScriptedAnswer& answer) {
        Iex.SetDefaultAnswer(answer);
        D2e.SetDefaultAnswer(answer);
    }
    static ScriptedAnswer Page() { return {.body = D2ERatePage(0.9241)}; }
    int Requests() const { return Iex.RequestCount() + D2e.RequestCount(); }
    // True when a reading finishes within timeoutMs.
    bool ReadingWithin(int timeoutMs) {
        QSignalSpy finished(&Main->Scheduler.Refresh, &RefreshCycle::ReadingFinished);
        return finished.wait(timeoutMs);
    }
    // A client that does not own the services' names, connected before the stalls count.
    QDBusConnection Stranger{QString()};
    // A reading that finds no connection; the pages are back after it.
    void ReadNoConnection() {
        Answer({});
        Main->RefreshRate();
        QVERIFY(ReadingWithin(10000));
        QCOMPARE(SharedRateReading().RateText, NoConnectionCode);
        Answer(Page());
    }
    // Once the stranger's signals have passed the bus. The test's own round trip is no stall
    // of the window's.
    void StrangerSent() {
        const auto own = Stalls->Paused();
        QVERIFY(Stranger.interface()->serviceOwner("org.freedesktop.DBus").isValid());
    }

private slots:
    void initTestCase() {
        QVERIFY(Home.IsValid());
        Bus = std::make_unique<PrivateBus>();
        QVERIFY2(Bus->IsUp(), "dbus-daemon did not start");
        Home.Set("DBUS_SYSTEM_BUS_ADDRESS", Bus->BusAddress());
        QVERIFY(Services.Register(Bus->Connect("services")));
        Stranger = Bus->Connect("stranger");
        QVERIFY(Iex.Listen() && D2e.Listen());
        Answer(Page());
        Home.ServeRates(Iex.Url(), D2e.Url());

        Window = std::make_unique<WindowFixture>(Home.Ini());
        Main = Window->Main;
        // Closed: every reading asks the D2E page, whatever the hour.
        Window->PinClock(ClosedTime);
        Main->Alarm.PlaySweep = {};
        // A second between any two signals: how often signals may read has its own table, and
        // here each signal counts alone.
        Main->Scheduler.Uptime = [ms = qint64(0)]() mutable {
            return ms += PromptReadings::PromptGapMs;
        };
        QVERIFY(Window->Show());
        System = std::make_unique<SystemBus>();
        Window->Set->Attach(*System);
        QSignalSpy ready(System.get(), &SystemBus::Ready);
        System->Connect();
        QVERIFY(ready.wait());
        // The first reading, then the download timer on but far off.
        QVERIFY(ReadingWithin(10000));
        Main->Scheduler.SetDownloadTimer(600000, true);
        Stalls = std::make_unique<StallMeter>();
    }

    void cleanupTestCase() {
        QVERIFY2(Stalls->LongestMs() < 16, qPrintable(QString::number(Stalls->LongestMs())));
        System.reset();
        Window.reset();
    }

    void aWakeReadsWithinASecond() {
        QElapsedTimer woke;
        woke.start();
        Services.Wake();
        QVERIFY(ReadingWithin(1000));
        QVERIFY(woke.elapsed() < 1000);
    }

    void aStrangersSignalsReadNothing() {
        ReadNoConnection();
        FakeSystemServices::PrepareForSleep(Stranger, false);
        FakeSystemServices::StateChanged(Stranger, 70);
        StrangerSent();
        QVERIFY(!ReadingWithin(500));
    }

    void theTimerOffReadsNothing() {
        Main->Scheduler.SetDownloadTimer(600000, false);
        Services.Wake();
        QVERIFY(!ReadingWithin(500));
        Main->Scheduler.SetDownloadTimer(600000, true);
    }

    void aWakeWaitsForTheNetwork() {
        Services.SetState(20);
        Services.Wake();
        QVERIFY(!ReadingWithin(500));
        QVERIFY(Main->Scheduler.WakeWait.isActive());
        Services.SetState(70);
        QVERIFY(ReadingWithin(1000));
    }

    void theNetworkBackAfterNoConnection() {
        ReadNoConnection();
        Services.SetState(20);
        Services.SetState(70);
        QVERIFY(ReadingWithin(1000));
        QCOMPARE(SharedRateReading().RateText, QStringLiteral("0,9241"));
    }

    // Every signal that comes while the reading runs is dropped: one reading in all.
    void aFloodOfWakesReadsOnce() {
        Answer({.body = D2ERatePage(0.9241), .delayMs = 3000});
        const int before = Requests();
        // Sent from a thread of the test's own, so the sending is no stall of the window's.
        std::thread flood([bus = Bus->Connect("services")] {
            for (int i = 0; i < 1000; ++i)
                FakeSystemServices::PrepareForSleep(bus, false);
        });
        QVERIFY(ReadingWithin(10000));
        flood.join();
        QVERIFY(!ReadingWithin(500));
        QCOMPARE(Requests(), before + 1);
        Answer(Page());
    }
};

QTEST_MAIN(TestWakeReadings)
#include "tst_wakereadings.moc"
