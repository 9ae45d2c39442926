#include "server/ratefeed.h"
#include "server/ratepageserver.h"
#include "server/referenceserver.h"
#include "sources/pagefetcher.h"
#include "sources/ratereaders.h"
#include "sources/referencefetcher.h"

#include <QSignalSpy>
#include <QTest>

// The demo rate server's pages must read with the program's own readers.
class TestDemoPages : public QObject {
    Q_OBJECT

    inline static const QDateTime Now{QDate(2026, 3, 10), QTime(12, 0)};

private:
    static bool Fetch(const QUrl& url, const FetchOptions& options, FetchResult& result) {
        PageFetcher fetcher;
        QSignalSpy spy(&fetcher, &PageFetcher::finished);
        if (!fetcher.FetchPage(url, options) || !spy.wait(10000))
            return false;
        result = spy.first().first().value<FetchResult>();
        return true;
    }

private slots:
    void seriesIsReadInTurn_data() {
        QTest::addColumn<bool>("iex");
        QTest::addColumn<QStringList>("rateTexts");
        QTest::addColumn<QString>("percentText");
        // The IEX page quotes the euro; inverted and rounded, the dollar's rate comes back.
        QTest::newRow("IEX") << true << QStringList{"0,9230", "0,9241", "0,9187", "0,9230"}
                             << "-0,00%"; // the negated zero change keeps its sign
        QTest::newRow("D2E") << false << QStringList{"0,9230", "0,9241", "0,9187", "0,9230"}
                             << "0,00%";
    }
    void seriesIsReadInTurn() {
        QFETCH(bool, iex);
        QFETCH(QStringList, rateTexts);
        QFETCH(QString, percentText);
        RateFeed feed(*ParseRateSeries(QStringLiteral("0,9230;0,9241;0.9187")));
        RatePageServer server(iex ? RatePageServer::Kind::IEX : RatePageServer::Kind::D2E, feed);
        QVERIFY(server.Listen());

        RateReading reading;
        reading.FirstReading = true;
        for (const QString& rateText : rateTexts) {
            FetchResult page;
            QVERIFY(Fetch(server.Url(), iex ? IEXFetchOptions() : D2EFetchOptions(), page));
            QCOMPARE(page.attempts, 1);
            if (iex)
                ReadIEXRate(reading, page, Now, RegionalSettings{});
            else
                ReadD2ERate(reading, page, Now, RegionalSettings{});
            QCOMPARE(reading.RateText, rateText);
        }
        // The day's change is measured against the series' first rate.
        QCOMPARE(reading.PercentText, percentText);
    }

    void iexChangeFollowsTheRate() {
        RateFeed feed(*ParseRateSeries(QStringLiteral("0,9200;0,9292")));
        RatePageServer server(RatePageServer::Kind::IEX, feed);
        QVERIFY(server.Listen());
        RateReading reading;
        reading.FirstReading = true;
        for (int i = 0; i < 2; ++i) {
            FetchResult page;
            QVERIFY(Fetch(server.Url(), IEXFetchOptions(), page));
            ReadIEXRate(reading, page, Now, RegionalSettings{});
        }
        QCOMPARE(reading.RateText, QStringLiteral("0,9292"));
        QCOMPARE(reading.SignText, QStringLiteral("+"));
        QCOMPARE(reading.PercentText, QStringLiteral("0,99%"));
        QCOMPARE(reading.BaseRate, 0.92);
    }

    void wanderingRateMoves() {
        RateFeed feed;
        RatePageServer server(RatePageServer::Kind::D2E, feed);
        QVERIFY(server.Listen());
        RateReading reading;
        reading.FirstReading = true;
        QStringList rates;
        for (int i = 0; i < 3; ++i) {
            FetchResult page;
            QVERIFY(Fetch(server.Url(), D2EFetchOptions(), page));
            ReadD2ERate(reading, page, Now, RegionalSettings{});
            QVERIFY(reading.RateText != QStringLiteral("-2"));
            // Every request moves the rate.
            QVERIFY(rates.isEmpty() || rates.last() != reading.RateText);
            rates.append(reading.RateText);
        }
        QVERIFY(reading.StepText != QStringLiteral("0.0"));
    }

    // The demo's reference files through the program's own fetcher and reader; asked again
    // with the answer's Last-Modified, they have not changed.
    void referenceFiles_data() {
        QTest::addColumn<int>("file");
        QTest::addColumn<int>("days");
        QTest::addColumn<QDate>("oldest");
        // Every weekday of 27 years but four holidays a year.
        QTest::newRow("full history") << int(ReferenceFile::Full) << 7015 << QDate(1999, 1, 4);
        QTest::newRow("day file") << int(ReferenceFile::Day) << 1 << Now.date();
    }
    void referenceFiles() {
        QFETCH(int, file);
        ReferenceServer server([] { return Now.date(); });
        QVERIFY(server.Listen());
        ReferenceFetcher fetcher([] { return Now; });
        QSignalSpy finished(&fetcher, &ReferenceFetcher::finished);
        QByteArray since;
        for (const auto outcome :
             {ReferenceFetch::Outcome::Rates, ReferenceFetch::Outcome::NotModified}) {
            QVERIFY(fetcher.Fetch(ReferenceFile(file), server.FolderUrl(), since));
            QVERIFY(finished.wait(10000));
            const auto fetch = finished.takeFirst().first().value<ReferenceFetch>();
            QCOMPARE(fetch.outcome, outcome);
            since = fetch.lastModified;
            if (outcome == ReferenceFetch::Outcome::Rates) {
                QTEST(int(fetch.days.size()), "days");
                QTEST(fetch.days.last().Date, "oldest");
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestDemoPages)
#include "tst_demopages.moc"
