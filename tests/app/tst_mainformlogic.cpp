#include "app/mainformlogic.h"
#include "app/marketclock.h"

#include <QTest>

class TestMainFormLogic : public QObject {
    Q_OBJECT

private slots:
    void keepOnScreen_data();
    void keepOnScreen();
    void waitText_data();
    void waitText();
    void marketClosed_data();
    void marketClosed();
};

void TestMainFormLogic::keepOnScreen_data() {
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("expected");

    const QRect fullHd(0, 0, 1920, 1080);
    QTest::newRow("inside stays") << QPoint(400, 100) << QSize(340, 125) << fullHd
                                  << QPoint(400, 100);
    QTest::newRow("above and far right")
        << QPoint(5000, -50) << QSize(340, 125) << fullHd << QPoint(1580, 10);
    QTest::newRow("left of the screen")
        << QPoint(-1, 100) << QSize(340, 125) << fullHd << QPoint(10, 100);
    QTest::newRow("right edge on the border")
        << QPoint(1580, 100) << QSize(340, 125) << fullHd << QPoint(1580, 100);
    QTest::newRow("one pixel past the right")
        << QPoint(1581, 100) << QSize(340, 125) << fullHd << QPoint(1580, 100);
    QTest::newRow("bottom 40 above the screen's bottom")
        << QPoint(400, 915) << QSize(340, 125) << fullHd << QPoint(400, 915);
    QTest::newRow("bottom within 40 pixels")
        << QPoint(400, 916) << QSize(340, 125) << fullHd << QPoint(400, 915);
    QTest::newRow("large mode near the bottom")
        << QPoint(400, 800) << QSize(340, 300) << fullHd << QPoint(400, 740);
    QTest::newRow("below and left of a small screen")
        << QPoint(-20, 700) << QSize(340, 125) << QRect(0, 0, 800, 600) << QPoint(10, 435);
    // Applied in order: the far edges win over the 10-pixel margin.
    QTest::newRow("window wider than the screen")
        << QPoint(-5, 100) << QSize(340, 125) << QRect(0, 0, 300, 600) << QPoint(-40, 100);
    QTest::newRow("near the integer limit")
        << QPoint(2147483600, 2147483600) << QSize(340, 125) << fullHd << QPoint(1580, 915);
    // A second screen right of the first: the rule holds at its own edges.
    const QRect second(1920, 0, 1280, 1024);
    QTest::newRow("inside the second screen stays")
        << QPoint(2000, 100) << QSize(340, 125) << second << QPoint(2000, 100);
    QTest::newRow("past the second screen's right")
        << QPoint(3000, 100) << QSize(340, 125) << second << QPoint(2860, 100);
    QTest::newRow("near the second screen's bottom")
        << QPoint(2000, 900) << QSize(340, 125) << second << QPoint(2000, 859);
    const QRect leftAbove(-1280, -200, 1280, 1024);
    QTest::newRow("left and above the primary")
        << QPoint(-1300, -250) << QSize(340, 125) << leftAbove << QPoint(-1270, -190);
}

void TestMainFormLogic::keepOnScreen() {
    QFETCH(QPoint, position);
    QFETCH(QSize, window);
    QFETCH(QRect, screen);
    QFETCH(QPoint, expected);
    QCOMPARE(KeepOnScreen(position, window, screen), expected);
}

void TestMainFormLogic::waitText_data() {
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("expected");

    QTest::newRow("short host, odd padding") << "localhost"
                                             << "\r\n      Wacht op localhost       \r\n";
    QTest::newRow("one short: the blank goes after") << "www.dollars2euros.com"
                                                     << "\r\nWacht op www.dollars2euros.com \r\n";
    QTest::newRow("exactly 31") << "rates.example.nl.local"
                                << "\r\nWacht op rates.example.nl.local\r\n";
    QTest::newRow("longer than 31 stays whole")
        << "rates.some-very-long-host.example"
        << "\r\nWacht op rates.some-very-long-host.example\r\n";
    QTest::newRow("no host") << ""
                             << "\r\n           Wacht op            \r\n";
}

void TestMainFormLogic::waitText() {
    QFETCH(QString, host);
    QFETCH(QString, expected);
    QCOMPARE(WaitText(host), expected);
}

void TestMainFormLogic::marketClosed_data() {
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

void TestMainFormLogic::marketClosed() {
    QFETCH(QDateTime, now);
    QFETCH(bool, closed);
    QFETCH(bool, outside);
    QCOMPARE(IsMarketClosedAt(now), closed);
    QCOMPARE(IsOutsideTradingHours(now.time()), outside);
}

QTEST_APPLESS_MAIN(TestMainFormLogic)
#include "tst_mainformlogic.moc"
