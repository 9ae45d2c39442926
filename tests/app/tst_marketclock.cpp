#include "app/marketclock.h"

#include <QTest>

class TestMarketClock : public QObject {
    Q_OBJECT

private slots:
    void marketClosed_data();
    void marketClosed();
};

void TestMarketClock::marketClosed_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("outside"); // of the trading hours, whatever the day

    const QDate tuesday(2026, 3, 10);
    QTest::newRow("08:59 Tuesday") << QDateTime(tuesday, QTime(8, 59, 59)) << true << true;
    QTest::newRow("09:00 Tuesday") << QDateTime(tuesday, QTime(9, 0)) << false << false;
    QTest::newRow("17:30 Tuesday") << QDateTime(tuesday, QTime(17, 30)) << false << false;
    QTest::newRow("17:30:59 Tuesday") << QDateTime(tuesday, QTime(17, 30, 59)) << false << false;
    QTest::newRow("17:31 Tuesday") << QDateTime(tuesday, QTime(17, 31)) << true << true;
    QTest::newRow("midnight Tuesday") << QDateTime(tuesday, QTime(0, 0)) << true << true;
    QTest::newRow("Saturday noon") << QDateTime(QDate(2026, 3, 14), QTime(12, 0)) << true << false;
    QTest::newRow("Sunday noon") << QDateTime(QDate(2026, 3, 15), QTime(12, 0)) << true << false;
    QTest::newRow("Good Friday noon")
        << QDateTime(QDate(2026, 4, 3), QTime(12, 0)) << true << false;
    QTest::newRow("Easter Monday noon")
        << QDateTime(QDate(2026, 4, 6), QTime(12, 0)) << true << false;
    QTest::newRow("New Year noon") << QDateTime(QDate(2026, 1, 1), QTime(12, 0)) << true << false;
    QTest::newRow("Thursday before Easter noon")
        << QDateTime(QDate(2026, 4, 2), QTime(12, 0)) << false << false;
}

void TestMarketClock::marketClosed() {
    QFETCH(QDateTime, now);
    QFETCH(bool, closed);
    QFETCH(bool, outside);
    QCOMPARE(IsMarketClosedAt(now), closed);
    QCOMPARE(IsOutsideTradingHours(now.time()), outside);
}

QTEST_APPLESS_MAIN(TestMarketClock)
#include "tst_marketclock.moc"
