#include "app/windowplacement.h"

#include <QTest>

class TestWindowPlacement : public QObject {
    Q_OBJECT

private slots:
    void keepOnScreen_data();
    void keepOnScreen();
};

void TestWindowPlacement::keepOnScreen_data() {
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

void TestWindowPlacement::keepOnScreen() {
    QFETCH(QPoint, position);
    QFETCH(QSize, window);
    QFETCH(QRect, screen);
    QFETCH(QPoint, expected);
    QCOMPARE(KeepOnScreen(position, window, screen), expected);
}

QTEST_APPLESS_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
