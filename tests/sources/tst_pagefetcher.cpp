#include "server/scriptedhttpserver.h"
#include "sources/pagefetcher.h"
#include "sources/ratereaders.h"

#include <QSignalSpy>
#include <QTest>

namespace {
const QDateTime ReadingTime(QDate(2026, 12, 7), QTime(14, 5, 9));

ScriptedAnswer Answer(const QByteArray& body, int status = 200) {
    ScriptedAnswer answer;
    answer.status = status;
    answer.body = body;
    return answer;
}

QByteArray IEXPage() {
    return "<html><body><span id=\"190143785LastPrice\">1,0834</span>"
           "<span id=\"190143785RelativeDifference\">+0,25%</span></body></html>";
}

QByteArray D2EPage() {
    return "<html><body><div id=\"ratesC1Value\" class=\"value\">0,9241</div></body></html>";
}

FetchOptions QuickOptions(int maxAttempts) {
    FetchOptions options;
    options.maxAttempts = maxAttempts;
    options.attemptTimeoutMs = 300;
    return options;
}

} // namespace

Q_DECLARE_METATYPE(FetchOptions)

class TestPageFetcher : public QObject {
    Q_OBJECT

private:
    ScriptedHttpServer* server = nullptr;

    // Runs one fetch to its end; false when the result came from inside FetchPage or not at all.
    static bool Fetch(const QUrl& url, const FetchOptions& options, FetchResult& result) {
        PageFetcher fetcher;
        QSignalSpy spy(&fetcher, &PageFetcher::finished);
        if (!fetcher.FetchPage(url, options) || !spy.isEmpty() || !spy.wait(15000) ||
            fetcher.Busy())
            return false;
        result = spy.first().first().value<FetchResult>();
        return true;
    }
    bool Fetch(const FetchOptions& options, FetchResult& result) {
        return Fetch(server->Url(), options, result);
    }

private slots:
    void init() {
        server = new ScriptedHttpServer(this);
        QVERIFY(server->Listen());
    }
    void cleanup() { delete server; }

    void emptyAnswersUseEveryAttempt_data() {
        QTest::addColumn<bool>("iex");
        QTest::addColumn<int>("attempts");
        QTest::newRow("IEX") << true << 11;
        QTest::newRow("D2E") << false << 2;
    }
    void emptyAnswersUseEveryAttempt() {
        QFETCH(bool, iex);
        QFETCH(int, attempts);
        FetchResult result;
        QVERIFY(Fetch(iex ? IEXFetchOptions() : D2EFetchOptions(), result));
        QVERIFY(result.text.isEmpty());
        QVERIFY(result.sessionOpened);
        QCOMPARE(result.attempts, attempts);
        QCOMPARE(server->RequestCount(), attempts);

        RateReading reading;
        reading.RateText = QStringLiteral("0,9000");
        if (iex)
            ReadIEXRate(reading, result, ReadingTime, RegionalSettings{});
        else
            ReadD2ERate(reading, result, ReadingTime, RegionalSettings{});
        QCOMPARE(reading.RateText, QStringLiteral("-1"));
    }

    void pageAtLastAttemptIsRead_data() {
        QTest::addColumn<bool>("iex");
        QTest::addColumn<int>("attempts");
        QTest::addColumn<QString>("rate");
        QTest::newRow("IEX") << true << 11 << QStringLiteral("0,9230");
        QTest::newRow("D2E") << false << 2 << QStringLiteral("0,9241");
    }
    void pageAtLastAttemptIsRead() {
        QFETCH(bool, iex);
        QFETCH(int, attempts);
        QFETCH(QString, rate);
        for (int i = 1; i < attempts; ++i)
            server->Enqueue(Answer({}));
        server->Enqueue(Answer(iex ? IEXPage() : D2EPage()));
        FetchResult result;
        QVERIFY(Fetch(iex ? IEXFetchOptions() : D2EFetchOptions(), result));
        QCOMPARE(result.attempts, attempts);
        QCOMPARE(server->RequestCount(), attempts);

        RateReading reading;
        if (iex)
            ReadIEXRate(reading, result, ReadingTime, RegionalSettings{});
        else
            ReadD2ERate(reading, result, ReadingTime, RegionalSettings{});
        QCOMPARE(reading.RateText, rate);
    }

    // Pieces are 2048 bytes from the start of the body; each counts up to its first NUL.
    void piecesAreCutAtNul_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("text");
        const QByteArray a(2048, 'a');
        const QByteArray b(2048, 'b');
        QTest::newRow("no NUL") << a + "tail" << QString::fromLatin1(a + "tail");
        QTest::newRow("NUL in first piece")
            << QByteArray(100, 'a') + '\0' + QByteArray(1947, 'x') + b
            << QString(100, u'a') + QString::fromLatin1(b);
        QTest::newRow("NUL in last piece")
            << a + "bb" + '\0' + "cc" << QString::fromLatin1(a) + QStringLiteral("bb");
        QTest::newRow("two NULs in one piece")
            << "ab" + QByteArray(1, '\0') + "cd" + QByteArray(1, '\0') + "ef"
            << QStringLiteral("ab");
        QTest::newRow("NUL at piece start")
            << a + '\0' + QByteArray(2047, 'x') + "end" << QString::fromLatin1(a + "end");
        QTest::newRow("Latin-1 bytes")
            << QByteArray("caf\xe9 \xa0\xff") << QStringLiteral("café \u00a0\u00ff");
    }
    void piecesAreCutAtNul() {
        QFETCH(QByteArray, body);
        QFETCH(QString, text);
        server->Enqueue(Answer(body));
        FetchResult result;
        QVERIFY(Fetch(QuickOptions(1), result));
        QCOMPARE(result.text, text);
    }

    void sizeCapEndsTheTransfer_data() {
        QTest::addColumn<FetchOptions>("options");
        QTest::addColumn<qsizetype>("bodySize");
        QTest::addColumn<qsizetype>("minimum");
        QTest::addColumn<qsizetype>("maximum");
        QTest::newRow("D2E 30000 bytes")
            << D2EFetchOptions() << qsizetype(30000) << qsizetype(9000) << qsizetype(11047);
        QTest::newRow("IEX 30000 bytes whole")
            << IEXFetchOptions() << qsizetype(30000) << qsizetype(30000) << qsizetype(30000);
        const qsizetype cap = IEXFetchOptions().sizeCap;
        QTest::newRow("IEX capped") << IEXFetchOptions() << cap + 1024 * 1024 << cap << cap + 2047;
    }
    void sizeCapEndsTheTransfer() {
        QFETCH(FetchOptions, options);
        QFETCH(qsizetype, bodySize);
        QFETCH(qsizetype, minimum);
        QFETCH(qsizetype, maximum);
        server->Enqueue(Answer(QByteArray(bodySize, 'z')));
        FetchResult result;
        QVERIFY(Fetch(options, result));
        const qsizetype size = result.text.size();
        QVERIFY2(size >= minimum && size <= maximum, qPrintable(QString::number(size)));
    }

    void errorStatusPageIsRead_data() {
        QTest::addColumn<int>("status");
        QTest::newRow("404") << 404;
        QTest::newRow("500") << 500;
    }
    void errorStatusPageIsRead() {
        QFETCH(int, status);
        server->Enqueue(Answer(IEXPage(), status));
        FetchResult result;
        QVERIFY(Fetch(IEXFetchOptions(), result));
        QCOMPARE(result.text, QString::fromLatin1(IEXPage()));
        QCOMPARE(result.attempts, 1);
    }

    void noSessionMakesNoRequest_data() {
        QTest::addColumn<QUrl>("url");
        QTest::newRow("empty") << QUrl();
        QTest::newRow("no host") << QUrl(QStringLiteral("http:///"));
        QTest::newRow("file") << QUrl(QStringLiteral("file:///etc/hostname"));
    }
    void noSessionMakesNoRequest() {
        QFETCH(QUrl, url);
        FetchResult result;
        QVERIFY(Fetch(url, D2EFetchOptions(), result));
        QVERIFY(!result.sessionOpened);
        QVERIFY(result.text.isEmpty());
        QCOMPARE(result.attempts, 0);
        QCOMPARE(server->RequestCount(), 0);

        RateReading reading;
        ReadD2ERate(reading, result, ReadingTime, RegionalSettings{});
        QCOMPARE(reading.RateText, QStringLiteral("-2"));
    }

    void silentServerIsAbandoned() {
        ScriptedAnswer silent;
        silent.silent = true;
        server->SetDefaultAnswer(silent);
        FetchResult result;
        QVERIFY(Fetch(QuickOptions(2), result));
        QVERIFY(result.text.isEmpty());
        QCOMPARE(result.attempts, 2);
        QCOMPARE(server->RequestCount(), 2);
    }

    // Part of a body and then silence: the time-out drops it and the next attempt follows.
    void partOfABodyThenSilenceIsRetried() {
        ScriptedAnswer stalled = Answer(QByteArray(3000, 'k'));
        stalled.cutAfter = 2500;
        stalled.hangAfterCut = true;
        server->Enqueue(stalled);
        server->Enqueue(Answer(D2EPage()));
        FetchResult result;
        QVERIFY(Fetch(QuickOptions(2), result));
        QCOMPARE(result.text, QString::fromLatin1(D2EPage()));
        QCOMPARE(result.attempts, 2);
    }

    // A fetch started from the finished signal of one that the cap ended makes its own
    // attempts: the first one is not taken for the ended fetch's.
    void aFetchStartedWhenTheCapEndedOneKeepsItsAttempts() {
        server->Enqueue(Answer(QByteArray(9500, 'x')));
        server->Enqueue(Answer({}));
        server->Enqueue(Answer(D2EPage()));
        PageFetcher fetcher;
        QList<FetchResult> results;
        connect(&fetcher, &PageFetcher::finished, this, [&](const FetchResult& result) {
            results.append(result);
            if (results.size() == 1)
                QVERIFY(fetcher.FetchPage(server->Url(), D2EFetchOptions()));
        });
        QVERIFY(fetcher.FetchPage(server->Url(), D2EFetchOptions()));
        QTRY_COMPARE_WITH_TIMEOUT(results.size(), 2, 10000);
        QCOMPARE(results.at(1).attempts, 2);
        QCOMPARE(results.at(1).text, QString::fromLatin1(D2EPage()));
        QCOMPARE(server->RequestCount(), 3);
    }

    void slowAnswerWithinTimeOutIsRead() {
        ScriptedAnswer slow = Answer(D2EPage());
        slow.delayMs = 100;
        server->Enqueue(slow);
        FetchResult result;
        QVERIFY(Fetch(QuickOptions(1), result));
        QCOMPARE(result.text, QString::fromLatin1(D2EPage()));
    }

    // A body cut off before its announced end is no page, however much of it arrived.
    void cutOffBodyIsRetried() {
        ScriptedAnswer cut = Answer(QByteArray(3000, 'k') + QByteArray(2000, 'l'));
        cut.cutAfter = 3000;
        server->Enqueue(cut);
        server->Enqueue(Answer(D2EPage()));
        FetchResult result;
        QVERIFY(Fetch(QuickOptions(3), result));
        QCOMPARE(result.text, QString::fromLatin1(D2EPage()));
        QCOMPARE(result.attempts, 2);
    }

    void redirectIsFollowed() {
        ScriptedAnswer moved = Answer("moved", 302);
        moved.headers = {{"Location", "/elsewhere"}};
        server->Enqueue(moved);
        server->Enqueue(Answer(D2EPage()));
        FetchResult result;
        QVERIFY(Fetch(QuickOptions(1), result));
        QCOMPARE(result.text, QString::fromLatin1(D2EPage()));
        QCOMPARE(server->Requests().at(1).Path(), QByteArray("/elsewhere"));
    }

    void requestHeaders_data() {
        QTest::addColumn<FetchOptions>("options");
        QTest::addColumn<QByteArray>("cacheControl");
        QTest::addColumn<QByteArray>("pragma");
        QTest::newRow("IEX: from the server")
            << IEXFetchOptions() << QByteArray("no-cache") << QByteArray("no-cache");
        QTest::newRow("D2E: pragma only")
            << D2EFetchOptions() << QByteArray() << QByteArray("no-cache");
    }
    void requestHeaders() {
        QFETCH(FetchOptions, options);
        QFETCH(QByteArray, cacheControl);
        QFETCH(QByteArray, pragma);
        server->Enqueue(Answer("page"));
        FetchResult result;
        QVERIFY(Fetch(options, result));
        const HttpRequest request = server->Requests().first();
        QCOMPARE(request.method, QByteArray("GET"));
        QCOMPARE(request.Path(), QByteArray("/"));
        QCOMPARE(request.Header("User-Agent"), QByteArray("qzRate"));
        QCOMPARE(request.Header("Cache-Control"), cacheControl);
        QCOMPARE(request.Header("Pragma"), pragma);
    }

    // A fetch that ended well before its deadline is not ended again when the deadline passes.
    void finishedOnce() {
        server->Enqueue(Answer(D2EPage()));
        FetchOptions options = QuickOptions(1);
        options.deadlineMs = 300;
        PageFetcher fetcher;
        QSignalSpy spy(&fetcher, &PageFetcher::finished);
        QVERIFY(fetcher.FetchPage(server->Url(), options));
        QVERIFY(spy.wait(5000));
        QVERIFY(!spy.wait(600));
        QCOMPARE(spy.size(), 1);
    }

    void oneFetchAtATime() {
        server->Enqueue(Answer("first"));
        PageFetcher fetcher;
        QSignalSpy spy(&fetcher, &PageFetcher::finished);
        QVERIFY(fetcher.FetchPage(server->Url(), QuickOptions(1)));
        QVERIFY(fetcher.Busy());
        QVERIFY(!fetcher.FetchPage(server->Url(), QuickOptions(1)));
        QVERIFY(spy.wait(5000));
        QCOMPARE(spy.first().first().value<FetchResult>().text, QStringLiteral("first"));
        QCOMPARE(server->RequestCount(), 1);
        // Free again once finished.
        QVERIFY(fetcher.FetchPage(server->Url(), QuickOptions(1)));
        QVERIFY(spy.wait(5000));
    }

    void destroyedWhileFetching() {
        ScriptedAnswer silent;
        silent.silent = true;
        server->Enqueue(silent);
        auto* fetcher = new PageFetcher;
        QSignalSpy received(server, &ScriptedHttpServer::requestReceived);
        fetcher->FetchPage(server->Url(), QuickOptions(1));
        QVERIFY(received.wait(5000));
        delete fetcher; // must not crash or leave a reply calling back
        QCoreApplication::processEvents();
    }
};

QTEST_GUILESS_MAIN(TestPageFetcher)
#include "tst_pagefetcher.moc"
