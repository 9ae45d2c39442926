#include "server/referencefiles.h"
#include "server/scriptedhttpserver.h"
#include "sources/referencefetcher.h"

#include <QSignalSpy>
#include <QTest>

using Outcome = ReferenceFetch::Outcome;

Q_DECLARE_METATYPE(ScriptedAnswer)

namespace {
const QByteArray Since = "Tue, 08 Dec 2026 15:00:00 GMT";

// The day's file padded with blanks to exactly size bytes.
QByteArray DayFile(qsizetype size) {
    QByteArray file = ReferenceDocument(ReferenceDayCube("2026-12-08", {{"USD", "1.0543"}}));
    return file.insert(file.indexOf("</gesmes:Envelope>"), QByteArray(size - file.size(), ' '));
}
} // namespace

class TestReferenceFetcher : public QObject {
    Q_OBJECT

private slots:
    void fetch_data() {
        QTest::addColumn<int>("file");
        QTest::addColumn<ScriptedAnswer>("answer");
        QTest::addColumn<bool>("down"); // no server listens
        QTest::addColumn<QByteArray>("ifModifiedSince");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("error"); // part of the error text

        const int day = int(ReferenceFile::Day);
        const qsizetype cap = ReferenceFetcher::MaxSize(ReferenceFile::Day);
        // Modified since the day before.
        QTest::newRow("at its cap")
            << day << ScriptedAnswer{.body = DayFile(cap), .headers = {{"Last-Modified", Since}}}
            << false << QByteArray("Mon, 07 Dec 2026 15:00:00 GMT") << int(Outcome::Rates) << "";
        QTest::newRow("a byte over its cap")
            << day
            << ScriptedAnswer{.body = DayFile(cap + 1),
                              .headers = {{"Last-Modified", Since}},
                              .framing = ScriptedAnswer::Framing::Chunked}
            << false << QByteArray() << int(Outcome::Failed) << "larger";
        QTest::newRow("not modified") << day << ScriptedAnswer{.status = 304} << false << Since
                                      << int(Outcome::NotModified) << "";
        QTest::newRow("error page") << day
                                    << ScriptedAnswer{.status = 404,
                                                      .body = DayFile(700),
                                                      .headers = {{"Last-Modified", Since}}}
                                    << false << QByteArray() << int(Outcome::Failed) << "404";
        QTest::newRow("HTML page") << day << ScriptedAnswer{.body = "<html><p>Onderhoud</html>"}
                                   << false << QByteArray() << int(Outcome::Failed) << "not a";
        // The history's file ends once the server has sent nothing for its quiet time.
        const QByteArray history =
            ReferenceDocument(ReferenceDayCube("2026-12-08", {{"USD", "1.0543"}}).repeated(200));
        QTest::newRow("cut off, then silent")
            << int(ReferenceFile::Days90)
            << ScriptedAnswer{.body = history, .cutAfter = 5000, .hangAfterCut = true} << false
            << QByteArray() << int(Outcome::Failed) << "no byte";
        QTest::newRow("slow, never quiet") << int(ReferenceFile::Full)
                                           << ScriptedAnswer{.body = DayFile(700),
                                                             .headers = {{"Last-Modified", Since}},
                                                             .dripMs = 1}
                                           << false << QByteArray() << int(Outcome::Rates) << "";
        QTest::newRow("server down") << int(ReferenceFile::Full) << ScriptedAnswer{} << true
                                     << QByteArray() << int(Outcome::Failed) << "connect";
    }
    void fetch() {
        QFETCH(int, file);
        QFETCH(ScriptedAnswer, answer);
        QFETCH(bool, down);
        QFETCH(QByteArray, ifModifiedSince);
        auto server = std::make_unique<ScriptedHttpServer>();
        QVERIFY(server->Listen());
        server->SetDefaultAnswer(answer);
        const QUrl base = server->Url().resolved(QUrl(QStringLiteral("eurofxref/")));
        if (down)
            server.reset();

        ReferenceFetcher fetcher([] { return QDateTime(QDate(2026, 12, 8), QTime(17, 0)); });
        fetcher.SetTimes({.dayMs = 3000, .quietMs = 300, .historyMs = 5000});
        QSignalSpy finished(&fetcher, &ReferenceFetcher::finished);
        QVERIFY(!fetcher.Fetch(ReferenceFile(file), QUrl())); // turned off
        QVERIFY(fetcher.Fetch(ReferenceFile(file), base, ifModifiedSince));
        QVERIFY(fetcher.Busy() && !fetcher.Fetch(ReferenceFile(file), base));
        QVERIFY(finished.wait(4000));
        QVERIFY(!fetcher.Busy());
        const auto fetch = finished.first().first().value<ReferenceFetch>();
        QCOMPARE(int(fetch.file), file);
        QTEST(int(fetch.outcome), "outcome");
        // The one day of the file, and the date to ask with next time.
        QCOMPARE(fetch.days.size(), fetch.outcome == Outcome::Rates ? 1 : 0);
        QCOMPARE(fetch.lastModified, fetch.outcome == Outcome::Failed ? QByteArray() : Since);
        QFETCH(QString, error);
        QVERIFY2(error.isEmpty() ? fetch.error.isEmpty() : fetch.error.contains(error),
                 qPrintable(fetch.error));
        QVERIFY(!finished.wait(400)); // once only
        if (server) {
            const QByteArray names[] = {"daily", "hist-90d", "hist"};
            const HttpRequest request = server->Requests().first();
            QCOMPARE(request.Path(), "/eurofxref/eurofxref-" + names[file] + ".xml");
            QCOMPARE(request.Header("If-Modified-Since"), ifModifiedSince);
        }
    }
};

QTEST_GUILESS_MAIN(TestReferenceFetcher)
#include "tst_referencefetcher.moc"
