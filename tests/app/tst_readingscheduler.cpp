#include "app/readingscheduler.h"
#include "sources/ratereading.h"
#include "testkit/markettimes.h"

#include <QSignalSpy>
#include <QTest>

// When a tick or a signal of the system bus reads, and from which page. The pages lie on a port
// where nothing listens: a reading starts and fails at once, which is all these rules need.
class TestReadingScheduler : public QObject {
    Q_OBJECT

private slots:
    void readsOnlyWhereATickWould_data();
    void readsOnlyWhereATickWould();
};

void TestReadingScheduler::readsOnlyWhereATickWould_data() {
    QTest::addColumn<QString>("event");
    QTest::addColumn<QDateTime>("now");
    // The start timer has not fired yet.
    QTest::addColumn<bool>("startPending");
    QTest::addColumn<bool>("timerOn");
    // A reading runs already.
    QTest::addColumn<bool>("busy");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<bool>("readingStarted");
    QTest::addColumn<bool>("marketClosed");
    // The hourglass of a tick that reads nothing goes at once; a reading's goes at its end.
    QTest::addColumn<bool>("idleAtOnce");

    QTest::newRow("tick, open hours")
        << "tick" << OpenTime << false << true << false << 1 << true << false << false;
    QTest::newRow("tick, closed day")
        << "tick" << ClosedTime << false << true << false << 1 << true << true << false;
    QTest::newRow("tick before the start timer chooses, reads nothing")
        << "tick" << ClosedTime << true << true << false << 1 << false << true << true;
    QTest::newRow("wake reads as a tick")
        << "wake" << ClosedTime << false << true << false << 1 << true << true << false;
    QTest::newRow("wake with the timer off")
        << "wake" << ClosedTime << false << false << false << 0 << false << false << false;
    QTest::newRow("wake before the start timer")
        << "wake" << ClosedTime << true << true << false << 0 << false << false << false;
    QTest::newRow("wake while a reading runs")
        << "wake" << ClosedTime << false << true << true << 0 << true << false << false;
}

void TestReadingScheduler::readsOnlyWhereATickWould() {
    QFETCH(QString, event);
    QFETCH(QDateTime, now);
    QFETCH(bool, startPending);
    QFETCH(bool, timerOn);
    QFETCH(bool, busy);

    RateReading reading;
    const QUrl nowhere(QStringLiteral("http://127.0.0.1:9/"));
    ReadingScheduler scheduler(reading, ServiceConfig{nowhere, nowhere, nowhere}, {});
    scheduler.Clock = [now] { return now; };
    scheduler.Uptime = [] { return qint64(0); };
    scheduler.TimerStart.stop();
    scheduler.StartPending = startPending;
    scheduler.SetDownloadTimer(600000, timerOn);
    QSignalSpy idle(&scheduler, &ReadingScheduler::Idle);
    if (busy)
        scheduler.RefreshRate();
    QSignalSpy ticks(&scheduler, &ReadingScheduler::Ticked);

    if (event == "tick")
        scheduler.DownloadTimerTimer();
    else
        scheduler.Woke();
    QTEST(int(ticks.count()), "ticks");
    QTEST(scheduler.Refresh.Reading(), "readingStarted");
    QTEST(scheduler.MarketClosed, "marketClosed");
    QTEST(idle.count() == 1, "idleAtOnce");
    if (scheduler.Refresh.Reading())
        QVERIFY(idle.wait(10000));
}

QTEST_GUILESS_MAIN(TestReadingScheduler)
#include "tst_readingscheduler.moc"
