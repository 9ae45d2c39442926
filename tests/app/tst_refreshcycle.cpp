#include "app/refreshcycle.h"
#include "server/ratepages.h"
#include "server/referencefiles.h"
#include "server/scriptedhttpserver.h"
#include "sources/ratereading.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {
const QDateTime ReadingTime(QDate(2026, 12, 7), QTime(14, 5, 9));
} // namespace

class TestRefreshCycle : public QObject {
    Q_OBJECT

    ScriptedHttpServer iex;
    ScriptedHttpServer d2e;

    std::unique_ptr<RefreshCycle> Cycle(RateReading& reading) {
        return std::make_unique<RefreshCycle>(reading, ServiceConfig{iex.Url(), d2e.Url(), {}},
                                              RegionalSettings{}, [] { return ReadingTime; });
    }

private slots:
    void initTestCase() {
        QVERIFY(iex.Listen());
        QVERIFY(d2e.Listen());
        iex.SetDefaultAnswer(ScriptedAnswer{.body = IEXRatePage(1.0834, 0.25)});
        d2e.SetDefaultAnswer(ScriptedAnswer{.body = D2ERatePage(0.9241)});
    }

    void sourceFollowsTheMarketState_data() {
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<ReadingSource>("source");
        QTest::addColumn<QString>("rateText");
        QTest::addColumn<QString>("logLine");
        QTest::newRow("open: IEX") << false << "USD: " << ReadingSource::IEX << "0,9230"
                                   << "reading USD: rate=0,9230 percent=-0,25% step=0.0 "
                                      "time=14:05:09";
        QTest::newRow("closed: D2E") << true << "D2E: " << ReadingSource::D2E << "0,9241"
                                     << "reading D2E: rate=0,9241 percent=0,00% step=0.0 "
                                        "time=14:05:09";
    }
    void sourceFollowsTheMarketState() {
        QFETCH(bool, closed);
        QFETCH(QString, prefix);
        QFETCH(ReadingSource, source);
        QFETCH(QString, rateText);
        QFETCH(QString, logLine);
        const int iexBefore = iex.RequestCount();
        const int d2eBefore = d2e.RequestCount();
        RateReading reading;
        reading.FirstReading = true;
        auto cycle = Cycle(reading);
        QSignalSpy finished(cycle.get(), &RefreshCycle::ReadingFinished);
        QSignalSpy taken(cycle.get(), &RefreshCycle::ReadingTaken);

        QTest::ignoreMessage(QtInfoMsg, qPrintable(logLine));
        cycle->RefreshRate([closed] { return closed; });
        QVERIFY(cycle->Reading());
        QVERIFY(finished.wait());
        QCOMPARE(finished.at(0).at(0).toString(), prefix);
        // The page it came from, for the history.
        QCOMPARE(taken.size(), 1);
        QCOMPARE(taken.at(0).at(0).value<ReadingSource>(), source);
        QCOMPARE(reading.RateText, rateText);
        QCOMPARE(iex.RequestCount() - iexBefore, closed ? 0 : 1);
        QCOMPARE(d2e.RequestCount() - d2eBefore, closed ? 1 : 0);
    }

    // Requests during a reading never start a second fetch beside it; they are merged into
    // one reading after it, which sees the market state as it stands then.
    void requestsDuringAReadingAreMergedIntoOne() {
        RateReading reading;
        auto cycle = Cycle(reading);
        QSignalSpy finished(cycle.get(), &RefreshCycle::ReadingFinished);
        QSignalSpy idle(cycle.get(), &RefreshCycle::Idle);
        const int d2eBefore = d2e.RequestCount();
        const int iexBefore = iex.RequestCount();
        d2e.Enqueue(ScriptedAnswer{.body = D2ERatePage(0.9241), .delayMs = 300});

        bool closed = true;
        cycle->RefreshRate([&closed] { return closed; });
        for (int i = 0; i < 3; ++i)
            cycle->RefreshRate([&closed] { return closed; });
        closed = false;

        QTRY_COMPARE(idle.count(), 1);
        QCOMPARE(finished.count(), 2);
        QCOMPARE(finished.at(0).at(0).toString(), QStringLiteral("D2E: "));
        QCOMPARE(finished.at(1).at(0).toString(), QStringLiteral("USD: "));
        QCOMPARE(d2e.RequestCount() - d2eBefore, 1);
        QCOMPARE(iex.RequestCount() - iexBefore, 1);
    }

    void aResultCodeIsLoggedAlone() {
        ScriptedHttpServer empty;
        QVERIFY(empty.Listen());
        RateReading reading;
        RefreshCycle cycle(reading, ServiceConfig{{}, empty.Url(), {}}, RegionalSettings{},
                           [] { return ReadingTime; });
        QSignalSpy finished(&cycle, &RefreshCycle::ReadingFinished);
        QTest::ignoreMessage(QtInfoMsg, "reading D2E: rate=-1");
        cycle.RefreshRate([] { return true; });
        QVERIFY(finished.wait());
        QCOMPARE(empty.RequestCount(), 2);

        QTest::ignoreMessage(QtInfoMsg, "reading USD: rate=-2");
        cycle.RefreshRate([] { return false; }); // no IEX service configured: no session
        QVERIFY(finished.wait());
        QCOMPARE(reading.RateText, NoUsablePageCode);
    }

    // The reading waits on the network, not on this thread: timers and posted input are
    // handled while a slow server takes five seconds.
    void theLoopRunsWhileAReadingWaits() {
        RateReading reading;
        auto cycle = Cycle(reading);
        QSignalSpy finished(cycle.get(), &RefreshCycle::ReadingFinished);
        iex.Enqueue(ScriptedAnswer{.body = IEXRatePage(1.0834, 0.25), .delayMs = 5000});

        int ticks = 0;
        QTimer ticker;
        ticker.setInterval(50);
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start();

        QElapsedTimer clock;
        clock.start();
        cycle->RefreshRate([] { return false; });
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= 20, 4000);
        QVERIFY(cycle->Reading());
        QVERIFY(finished.wait(8000));
        QVERIFY(clock.elapsed() >= 4500);
        QCOMPARE(reading.RateText, QStringLiteral("0,9230"));
    }
    // After failed readings the bank's day file is asked at most once in half an hour, as
    // modified since it last came; in between, and after a 304 or a failure, the rate held
    // shows, each time before the reading ends.
    void theBankIsAskedAtMostOnceInHalfAnHour() {
        ScriptedHttpServer failing;
        ScriptedHttpServer bank;
        QVERIFY(failing.Listen() && bank.Listen());
        failing.SetDefaultAnswer({.body = "Default.htm"});
        const QByteArray stamp = "Mon, 07 Dec 2026 15:00:00 GMT";
        bank.Enqueue(
            {.body = ReferenceDocument(ReferenceDayCube("2026-12-07", {{"USD", "1.0543"}})),
             .headers = {{"Last-Modified", stamp}}});
        bank.Enqueue({.status = 304});
        bank.SetDefaultAnswer({.status = 500});
        RateReading reading;
        RefreshCycle cycle(reading, ServiceConfig{failing.Url(), failing.Url(), {}, bank.Url()},
                           RegionalSettings{}, [] { return ReadingTime; });
        const qint64 start = 5000000;
        const qint64 gap = RefreshCycle::ReferenceFetchGapMs;
        QSignalSpy shown(&cycle, &RefreshCycle::ReferenceShown);
        QSignalSpy fetched(&cycle, &RefreshCycle::ReferenceFetched);
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression("^reference rate not fetched: "));
        // When the reading is, how often the bank has been asked, how often the rate has shown.
        for (const auto& [at, asked, shows] : {std::tuple{start, 1, 1},
                                               {start + gap - 1, 1, 2},
                                               {start + gap, 2, 3},
                                               {start + 2 * gap, 3, 4}}) {
            cycle.Ticks = [at = at] { return at; };
            cycle.RefreshRate([] { return false; });
            QTRY_VERIFY(!cycle.Reading());
            QCOMPARE(bank.RequestCount(), asked);
            QCOMPARE(shown.count(), shows);
        }
        QCOMPARE(fetched.count(), 1);
        // One day held: no change to show.
        QVERIFY(!qvariant_cast<std::optional<ReferenceDay>>(shown.first().at(2)));
        QCOMPARE(bank.Requests().at(2).Header("If-Modified-Since"), stamp);
    }
};

QTEST_GUILESS_MAIN(TestRefreshCycle)
#include "tst_refreshcycle.moc"
