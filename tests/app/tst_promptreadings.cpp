#include "app/promptreadings.h"

#include <QTest>

class TestPromptReadings : public QObject {
    Q_OBJECT

private slots:
    void readings_data();
    void readings();
};

void TestPromptReadings::readings_data() {
    // Events: "wake"; "start:S", the state read when connecting; "net:S", a change to state S;
    // "over", the wake's wait ran out; "@T" on any of them: at T ms (else 0); "-busy" on any of
    // them: no download tick would read now. "fail" and "ok": a reading ended with "-1" or with
    // a rate.
    QTest::addColumn<QString>("events");
    // For each event: R a reading starts, . none.
    QTest::addColumn<QString>("readings");
    QTest::addColumn<bool>("waiting");

    QTest::newRow("no NetworkManager: waking reads") << "wake"
                                                     << "R" << false;
    QTest::newRow("full connectivity: waking reads") << "start:70 wake"
                                                     << ".R" << false;
    QTest::newRow("a download tick would not read") << "wake-busy"
                                                    << "." << false;
    QTest::newRow("waking waits for the network") << "start:20 wake net:60@0 net:70@5"
                                                  << "...R" << false;
    QTest::newRow("still waiting") << "start:20 wake"
                                   << ".." << true;
    QTest::newRow("a flood of wakes waits once") << "start:20 wake wake net:70@0 net:70@1"
                                                 << "...R." << false;
    QTest::newRow("the wait runs out") << "start:20 wake over"
                                       << "..R" << false;
    QTest::newRow("the wait runs out while busy") << "start:20 wake over-busy"
                                                  << "..." << false;
    QTest::newRow("the network while busy ends the wait") << "start:20 wake net:70@0-busy over"
                                                          << "...." << false;
    QTest::newRow("the network back after a failure") << "fail net:20@0 net:70@100"
                                                      << "..R" << false;
    QTest::newRow("the network back after a rate") << "ok net:20@0 net:70@100"
                                                   << "..." << false;
    QTest::newRow("a rate since the failure") << "fail ok net:70@100"
                                              << "..." << false;
    QTest::newRow("the state read when connecting") << "fail start:70"
                                                    << ".." << false;
    QTest::newRow("at most once in 10 s")
        << "fail net:70@5000 net:20@5001 net:70@14999 net:70@15000"
        << ".R..R" << false;
    QTest::newRow("back while busy, then again") << "fail net:70@0-busy net:70@1"
                                                 << "..R" << false;
    QTest::newRow("a flood of wakes reads once a second") << "wake@0 wake@1 wake@999 wake@1000"
                                                          << "R..R" << false;
    QTest::newRow("the network back within a second of a wake")
        << "fail wake@0 net:20@1 net:70@999 net:70@1000"
        << ".R..R" << false;
    QTest::newRow("the waited-for network within a second")
        << "fail net:70@0 net:20@1 wake@2 net:70@999"
        << ".R..." << false;
    QTest::newRow("the wait runs out within a second") << "fail net:70@0 net:20@1 wake@2 over@999"
                                                       << ".R..." << false;
}

void TestPromptReadings::readings() {
    QFETCH(QString, events);
    QFETCH(QString, readings);
    QFETCH(bool, waiting);

    PromptReadings prompt;
    QString read;
    for (QString event : events.split(u' ')) {
        const bool free = !event.endsWith(u"-busy");
        event.remove(QStringLiteral("-busy"));
        const QStringList parts = event.split(QRegularExpression("[:@]"));
        const qint64 at = event.contains(u'@') ? parts.last().toLongLong() : 0;
        bool reads = false;
        if (parts[0] == u"wake") {
            reads = prompt.Woke(free, at);
        } else if (parts[0] == u"over") {
            reads = prompt.WaitOver(free, at);
        } else if (event == u"fail" || event == u"ok") {
            prompt.ReadingEnded(event == u"fail");
        } else {
            reads = prompt.NetworkState(parts[1].toUInt(), parts[0] == u"net", free, at);
        }
        read += reads ? u'R' : u'.';
    }
    QCOMPARE(read, readings);
    QCOMPARE(prompt.Waiting(), waiting);
}

QTEST_APPLESS_MAIN(TestPromptReadings)
#include "tst_promptreadings.moc"
