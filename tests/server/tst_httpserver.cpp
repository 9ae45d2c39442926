#include "server/httprequest.h"
#include "server/ratefeed.h"
#include "server/scriptedhttpserver.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <cmath>

class TestHttpServer : public QObject {
    Q_OBJECT

private:
    // Sends a request and returns all the server sent until it closed the connection.
    static QByteArray Exchange(const HttpServer& server, const QByteArray& request) {
        QTcpSocket socket;
        QByteArray received;
        QObject::connect(&socket, &QTcpSocket::readyRead, [&] { received += socket.readAll(); });
        QSignalSpy closed(&socket, &QTcpSocket::disconnected);
        socket.connectToHost(QHostAddress::LocalHost, server.Port());
        socket.write(request);
        if (!closed.wait(5000))
            return "no close";
        return received + socket.readAll();
    }

private slots:
    void takeRequest_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("rest");

        QTest::newRow("GET") << QByteArray("GET /?x=1 HTTP/1.1\r\nHost: a\r\n\r\n") << true
                             << QByteArray("GET") << QByteArray("/") << QByteArray()
                             << QByteArray();
        QTest::newRow("head incomplete")
            << QByteArray("GET / HTTP/1.1\r\nHost: a\r\n") << false << QByteArray() << QByteArray()
            << QByteArray() << QByteArray("GET / HTTP/1.1\r\nHost: a\r\n");
        QTest::newRow("body still coming")
            << QByteArray("POST /f HTTP/1.1\r\ncontent-length: 5\r\n\r\nab") << false
            << QByteArray() << QByteArray() << QByteArray()
            << QByteArray("POST /f HTTP/1.1\r\ncontent-length: 5\r\n\r\nab");
        QTest::newRow("body complete, next request left")
            << QByteArray("POST /f HTTP/1.1\r\nContent-Length: 5\r\n\r\nabcdeGET") << true
            << QByteArray("POST") << QByteArray("/f") << QByteArray("abcde") << QByteArray("GET");
        QTest::newRow("bad request line") << QByteArray("hello\r\n\r\n") << true << QByteArray()
                                          << QByteArray() << QByteArray() << QByteArray();
        QTest::newRow("endless head") << QByteArray(70000, 'h') << true << QByteArray()
                                      << QByteArray() << QByteArray() << QByteArray();
    }
    void takeRequest() {
        QFETCH(QByteArray, input);
        QFETCH(bool, complete);
        const auto request = TakeHttpRequest(input);
        QCOMPARE(request.has_value(), complete);
        if (request) {
            QTEST(request->method, "method");
            QTEST(request->Path(), "path");
            QTEST(request->body, "body");
        }
        QTEST(input, "rest");
    }

    void scriptedAnswers() {
        ScriptedHttpServer server;
        QVERIFY(server.Listen());
        ScriptedAnswer cut;
        cut.body = QByteArray("abc\0def", 7);
        cut.cutAfter = 5;
        server.Enqueue(cut);
        ScriptedAnswer missing;
        missing.status = 404;
        missing.body = "gone";
        server.Enqueue(missing);
        ScriptedAnswer fallback;
        fallback.body = "default";
        server.SetDefaultAnswer(fallback);

        const QByteArray get = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
        QByteArray answer = Exchange(server, get);
        QVERIFY(answer.startsWith("HTTP/1.1 200 OK\r\n"));
        QVERIFY(answer.contains("Content-Length: 7\r\n"));
        QVERIFY(answer.endsWith(QByteArray("\r\n\r\nabc\0d", 9)));

        answer = Exchange(server, get);
        QVERIFY(answer.startsWith("HTTP/1.1 404 Not Found\r\n"));
        QVERIFY(answer.endsWith("\r\n\r\ngone"));

        for (int i = 0; i < 2; ++i)
            QVERIFY(Exchange(server, get).endsWith("\r\n\r\ndefault"));
        QCOMPARE(server.RequestCount(), 4);
    }

    void delayedAnswer() {
        ScriptedHttpServer server;
        QVERIFY(server.Listen());
        ScriptedAnswer late;
        late.body = "late";
        late.delayMs = 500;
        server.Enqueue(late);
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, server.Port());
        QVERIFY(socket.waitForConnected(5000));
        socket.write("GET / HTTP/1.1\r\n\r\n");
        QSignalSpy received(&server, &ScriptedHttpServer::requestReceived);
        QSignalSpy readable(&socket, &QTcpSocket::readyRead);
        QVERIFY(received.wait(5000));
        QVERIFY(!readable.wait(100)); // nothing yet
        QVERIFY(readable.wait(5000));
    }

    void seriesParsing_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<double>>("rates");
        QTest::newRow("commas") << "0,9230;0,9241" << QList<double>{0.923, 0.9241};
        QTest::newRow("points and blanks") << " 0.9230 ; 0.9241;" << QList<double>{0.923, 0.9241};
        QTest::newRow("empty") << "" << QList<double>{};
        QTest::newRow("not a number") << "0,9230;abc" << QList<double>{};
        QTest::newRow("zero") << "0" << QList<double>{};
        QTest::newRow("negative") << "-0,92" << QList<double>{};
    }
    void seriesParsing() {
        QFETCH(QString, text);
        QFETCH(QList<double>, rates);
        QCOMPARE(ParseRateSeries(text).value_or(QList<double>{}), rates);
    }

    void seriesRepeats() {
        RateFeed feed(QList<double>{0.92, 0.93});
        QCOMPARE(feed.PreviousClose(), 0.92);
        QList<double> rates;
        for (int i = 0; i < 5; ++i)
            rates.append(feed.Next());
        QCOMPARE(rates, (QList<double>{0.92, 0.93, 0.92, 0.93, 0.92}));
    }

    void wanderingRateStaysNearTheClose() {
        RateFeed feed(0.9230, 7);
        double previous = feed.PreviousClose();
        for (int i = 0; i < 20000; ++i) {
            const double rate = feed.Next();
            QVERIFY(rate != previous);
            QVERIFY(std::abs(rate - 0.9230) <= 0.9230 * 0.03 + 1e-9);
            QCOMPARE(std::round(rate * 10000) / 10000, rate);
            previous = rate;
        }
    }
};

QTEST_GUILESS_MAIN(TestHttpServer)
#include "tst_httpserver.moc"
