#include "platform/terminationsignals.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <unistd.h>

class TestTerminationSignals : public QObject {
    Q_OBJECT

private slots:
    void signalArrivesOnTheEventLoop_data();
    void signalArrivesOnTheEventLoop();
    void onlyOneWatcher();
    void signalAfterTheWatcherChangesNothing();
};

void TestTerminationSignals::signalArrivesOnTheEventLoop_data() {
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestTerminationSignals::signalArrivesOnTheEventLoop() {
    QFETCH(int, signalNumber);
    TerminationSignals watcher;
    QSignalSpy received(&watcher, &TerminationSignals::Received);
    // Without the handler this would end the test program.
    QCOMPARE(::kill(::getpid(), signalNumber), 0);
    QVERIFY(received.wait(5000));
    QCOMPARE(received.count(), 1);
    QCOMPARE(received.at(0).at(0).toInt(), signalNumber);
}

void TestTerminationSignals::onlyOneWatcher() {
    TerminationSignals first;
    QVERIFY_THROWS_EXCEPTION(std::logic_error, TerminationSignals second);
}

// The watcher goes early in the program's end; a signal after it must not kill the program.
void TestTerminationSignals::signalAfterTheWatcherChangesNothing() {
    { TerminationSignals watcher; }
    QCOMPARE(::kill(::getpid(), SIGTERM), 0);
    QCOMPARE(::kill(::getpid(), SIGINT), 0);
    QTest::qWait(50); // still here
    // A new watcher takes the signals again.
    TerminationSignals watcher;
    QSignalSpy received(&watcher, &TerminationSignals::Received);
    QCOMPARE(::kill(::getpid(), SIGTERM), 0);
    QVERIFY(received.wait(5000));
}

QTEST_GUILESS_MAIN(TestTerminationSignals)
#include "tst_terminationsignals.moc"
