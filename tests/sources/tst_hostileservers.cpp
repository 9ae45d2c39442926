// Readings against servers that misbehave: each must end in a failed reading within its time,
// leave no connection open and keep memory flat, and a good reading must follow at once.
#include "server/ratepages.h"
#include "server/scriptedhttpserver.h"
#include "sources/pagefetcher.h"
#include "sources/ratereaders.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {
const QDateTime ReadingTime(QDate(2026, 12, 7), QTime(14, 5, 9));
constexpr int AttemptMs = 1000;
constexpr int DeadlineMs = 4000;
constexpr qint64 MemoryBound = 16 * 1024 * 1024;

// AddressSanitizer holds freed memory in quarantine and adds its shadow, so there resident
// memory says nothing about the fetcher.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QZRATE_ADDRESS_SANITIZER
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(QZRATE_ADDRESS_SANITIZER)
constexpr bool ResidentMemoryTells = false;
#else
constexpr bool ResidentMemoryTells = true;
#endif

// Resident memory of this process, in bytes.
qint64 ResidentBytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return -1;
}

FetchOptions Quick(FetchOptions options) {
    options.attemptTimeoutMs = AttemptMs;
    options.deadlineMs = DeadlineMs;
    return options;
}

QByteArray GoodIEXPage() {
    return IEXRatePage(1.0834, 0.25);
}

// A page of about `size` bytes with the price and change in the middle.
QByteArray BigIEXPage(qsizetype size) {
    const QByteArray filler(size / 2, 'w');
    return "<html><body><p>" + filler + "</p>" + GoodIEXPage() + "<p>" + filler + "</p>";
}

QString ReadOnce(bool iex, const FetchResult& result) {
    RateReading reading;
    reading.RateText = QStringLiteral("0,9000");
    if (iex)
        ReadIEXRate(reading, result, ReadingTime, RegionalSettings{});
    else
        ReadD2ERate(reading, result, ReadingTime, RegionalSettings{});
    return reading.RateText;
}
} // namespace

Q_DECLARE_METATYPE(ScriptedAnswer)

class TestHostileServers : public QObject {
    Q_OBJECT

private slots:
    void readingEndsCleanly_data() {
        QTest::addColumn<bool>("iex");
        QTest::addColumn<ScriptedAnswer>("answer");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("minRequests");
        QTest::addColumn<int>("maxRequests");
        QTest::addColumn<int>("maxMs");

        using Framing = ScriptedAnswer::Framing;
        const QByteArray page = GoodIEXPage();
        const qsizetype afterPrice = page.indexOf("</span>");
        QTest::newRow("endless header")
            << true << ScriptedAnswer{.endlessHeader = true} << "-1" << 11 << 11 << 3000;
        QTest::newRow("endless body at full speed") << true
                                                    << ScriptedAnswer{.body = QByteArray(1000, 'x'),
                                                                      .framing = Framing::Close,
                                                                      .endlessBody = true}
                                                    << "-2" << 1 << 1 << 3000;
        QTest::newRow("endless chunked body at full speed")
            << true
            << ScriptedAnswer{.body = QByteArray(1000, 'x'),
                              .framing = Framing::Chunked,
                              .endlessBody = true}
            << "-2" << 1 << 1 << 3000;
        QTest::newRow("endless body, D2E") << false
                                           << ScriptedAnswer{.body = QByteArray(1000, 'x'),
                                                             .framing = Framing::Close,
                                                             .endlessBody = true}
                                           << "-2" << 1 << 1 << 3000;
        QTest::newRow("reset after the price")
            << true << ScriptedAnswer{.body = page, .cutAfter = afterPrice, .resetAfterCut = true}
            << "-1" << 11 << 11 << 3000;
        QTest::newRow("closed after the price")
            << true << ScriptedAnswer{.body = page, .cutAfter = afterPrice} << "-1" << 11 << 11
            << 3000;
        QTest::newRow("chunked, closed after the price")
            << true
            << ScriptedAnswer{.body = page, .cutAfter = afterPrice, .framing = Framing::Chunked}
            << "-1" << 11 << 11 << 3000;
        QTest::newRow("stall after the price")
            << true << ScriptedAnswer{.body = page, .cutAfter = afterPrice, .hangAfterCut = true}
            << "-1" << 3 << 5 << DeadlineMs + 1500;
        // The price arrives in the first piece, then the server stalls until the deadline.
        QTest::newRow("stall after the first pieces")
            << true
            << ScriptedAnswer{.body = page + QByteArray(5000, 'w'),
                              .cutAfter = 3000,
                              .hangAfterCut = true}
            << "-1" << 3 << 5 << DeadlineMs + 1500;
        QTest::newRow("never answers")
            << true << ScriptedAnswer{.silent = true} << "-1" << 3 << 5 << DeadlineMs + 1500;
        QTest::newRow("drip feed") << true
                                   << ScriptedAnswer{.body = page,
                                                     .framing = Framing::Close,
                                                     .endlessBody = true,
                                                     .dripMs = 20}
                                   << "-1" << 3 << 5 << DeadlineMs + 1500;
        QTest::newRow("redirect loop")
            << true
            << ScriptedAnswer{.status = 302, .body = "moved", .headers = {{"Location", "/"}}}
            << "-1" << 66 << 66 << 5000;
        QTest::newRow("redirect away from http")
            << true
            << ScriptedAnswer{.status = 302,
                              .body = "moved",
                              .headers = {{"Location", "ftp://127.0.0.1/"}}}
            << "-1" << 11 << 11 << 3000;
        QTest::newRow("implausible price")
            << true << ScriptedAnswer{.body = GoodIEXPage().replace("1,0834", "0,0000001")} << "-2"
            << 1 << 1 << 3000;
        // Normal pages, big ones included, are read whole and quickly.
        QTest::newRow("300 kB page, chunked")
            << true << ScriptedAnswer{.body = BigIEXPage(300000), .framing = Framing::Chunked}
            << "0,9230" << 1 << 1 << 1000;
        QTest::newRow("300 kB page without length")
            << true << ScriptedAnswer{.body = BigIEXPage(300000), .framing = Framing::Close}
            << "0,9230" << 1 << 1 << 1000;
    }
    void readingEndsCleanly() {
        QFETCH(bool, iex);
        QFETCH(ScriptedAnswer, answer);
        QFETCH(int, minRequests);
        QFETCH(int, maxRequests);
        QFETCH(int, maxMs);

        ScriptedHttpServer server;
        QVERIFY(server.Listen());
        server.SetDefaultAnswer(answer);
        const FetchOptions options = Quick(iex ? IEXFetchOptions() : D2EFetchOptions());

        const qint64 idle = ResidentBytes();
        qint64 peak = idle;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, this, [&] { peak = qMax(peak, ResidentBytes()); });
        sampler.start(5);

        PageFetcher fetcher;
        QSignalSpy finished(&fetcher, &PageFetcher::finished);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(fetcher.FetchPage(server.Url(), options));
        QVERIFY(finished.wait(30000));
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(elapsed <= maxMs, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
        QTEST(ReadOnce(iex, finished.first().first().value<FetchResult>()), "code");
        QVERIFY2(server.RequestCount() >= minRequests && server.RequestCount() <= maxRequests,
                 qPrintable(QStringLiteral("%1 requests").arg(server.RequestCount())));
        // Every connection the reading opened is closed within a second of its end.
        QVERIFY(server.ConnectionsOpened() >= server.RequestCount());
        QTRY_COMPARE_WITH_TIMEOUT(server.ConnectionsClosed(), server.ConnectionsOpened(), 1000);
        sampler.stop();
        peak = qMax(peak, ResidentBytes());
        QVERIFY2(!ResidentMemoryTells || peak - idle <= MemoryBound,
                 qPrintable(QStringLiteral("grew by %1 kB").arg((peak - idle) / 1024)));

        // The server behaves again: the next reading is good, on a new connection.
        const int opened = server.ConnectionsOpened();
        server.SetDefaultAnswer(ScriptedAnswer{.body = iex ? GoodIEXPage() : D2ERatePage(0.9241)});
        QVERIFY(fetcher.FetchPage(server.Url(), options));
        QVERIFY(finished.wait(10000));
        QCOMPARE(ReadOnce(iex, finished.last().first().value<FetchResult>()),
                 iex ? QStringLiteral("0,9230") : QStringLiteral("0,9241"));
        QCOMPARE(server.ConnectionsOpened(), opened + 1);
    }
};

QTEST_GUILESS_MAIN(TestHostileServers)
#include "tst_hostileservers.moc"
