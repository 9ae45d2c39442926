#include "update/pingreply.h"
#include "update/pingserver.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

class TestPing : public QObject {
    Q_OBJECT

private slots:
    void readReply_data();
    void readReply();
    void loopbackAnswers();
    void hostIsOneArgumentAfterOptions();
    void missingCommandIsNoAnswer();
};

void TestPing::readReply_data() {
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("ms");
    QTest::newRow("Windows") << "\r\nPinging host [1.2.3.4] with 32 bytes of data:\r\n"
                                "Reply from 1.2.3.4: bytes=32 time=23ms TTL=56\r\n\r\n"
                                "    Minimum = 23ms, Maximum = 23ms, Average = 23ms\r\n"
                             << 23;
    QTest::newRow("Windows below 1 ms") << "Reply from 127.0.0.1: bytes=32 time<1ms TTL=128\r\n"
                                        << 1;
    QTest::newRow("Windows, Dutch") << "Antwoord van 10.0.0.1: bytes=32 tijd=7ms TTL=64\r\n" << 7;
    QTest::newRow("Windows time-out") << "Pinging host [1.2.3.4] with 32 bytes of data:\r\n"
                                         "Request timed out.\r\n\r\n"
                                         "    Packets: Sent = 1, Received = 0, Lost = 1\r\n"
                                      << 0;
    QTest::newRow("iputils below 1 ms")
        << "PING 127.0.0.1 (127.0.0.1) 56(84) bytes of data.\n"
           "64 bytes from 127.0.0.1: icmp_seq=1 ttl=64 time=0.045 ms\n\n"
           "--- 127.0.0.1 ping statistics ---\n"
           "1 packets transmitted, 1 received, 0% packet loss, time 0ms\n"
           "rtt min/avg/max/mdev = 0.045/0.045/0.045/0.000 ms\n"
        << 1;
    QTest::newRow("reply reported as 0 ms") << "Reply from h: bytes=32 time=0ms TTL=128\r\n" << 1;
    QTest::newRow("iputils rounds up") << "64 bytes from h: icmp_seq=1 ttl=52 time=12.3 ms\n" << 13;
    QTest::newRow("iputils whole") << "64 bytes from h: icmp_seq=1 ttl=52 time=40 ms\n" << 40;
    QTest::newRow("iputils no reply") << "PING h (1.2.3.4) 56(84) bytes of data.\n\n"
                                         "--- h ping statistics ---\n"
                                         "1 packets transmitted, 0 received, 100% packet loss, "
                                         "time 0ms\n"
                                      << 0;
    QTest::newRow("unknown host") << "ping: nonexist.invalid: Name or service not known\n" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("decimal comma") << "Reply from h: time=2,5 ms\n" << 3;
    QTest::newRow("time beyond an int") << "Reply from h: time=99999999999999999999.9 ms\n"
                                        << std::numeric_limits<int>::max();
}

void TestPing::readReply() {
    QFETCH(QString, output);
    QFETCH(int, ms);
    QCOMPARE(ReadPingReply(output), ms);
}

void TestPing::loopbackAnswers() {
    PingServer ping;
    QSignalSpy finished(&ping, &PingServer::finished);
    ping.Start(QStringLiteral("127.0.0.1"));
    QVERIFY(finished.wait(15000));
    QVERIFY(finished.at(0).at(0).toInt() > 0);
}

void TestPing::hostIsOneArgumentAfterOptions() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Records its arguments, one a line, and answers as a ping would.
    const QString script = dir.filePath("ping");
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args\"\n"
               "echo '64 bytes from h: icmp_seq=1 ttl=64 time=3.2 ms'\n");
    file.close();
    QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));

    PingServer ping;
    ping.Program = script;
    QSignalSpy finished(&ping, &PingServer::finished);
    ping.Start(QStringLiteral("-x host; touch evil"));
    QVERIFY(finished.wait(15000));
    QCOMPARE(finished.at(0).at(0).toInt(), 4);
    QFile args(dir.filePath("args"));
    QVERIFY(args.open(QIODevice::ReadOnly));
    QCOMPARE(args.readAll(), QByteArray("-c\n1\n-W\n5\n--\n-x host; touch evil\n"));
    QVERIFY(!QFile::exists(dir.filePath("evil")));
}

void TestPing::missingCommandIsNoAnswer() {
    PingServer ping;
    ping.Program = QStringLiteral("/nonexistent/ping");
    QSignalSpy finished(&ping, &PingServer::finished);
    ping.Start(QStringLiteral("127.0.0.1"));
    QVERIFY(finished.wait(15000));
    // A command that cannot start is told at once, not by the guard for a hanging one (-2).
    QCOMPARE(finished.at(0).at(0).toInt(), -1);
}

QTEST_GUILESS_MAIN(TestPing)
#include "tst_ping.moc"
