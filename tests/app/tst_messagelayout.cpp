#include "app/messagelayout.h"

#include <QTest>

class TestMessageLayout : public QObject {
    Q_OBJECT

private slots:
    void longerLineAndText_data() {
        QTest::addColumn<QString>("line1");
        QTest::addColumn<QString>("line2");
        QTest::addColumn<QString>("longer");
        QTest::addColumn<QString>("text");
        QTest::newRow("both empty") << ""
                                    << ""
                                    << ""
                                    << "";
        QTest::newRow("one line") << "Geen verbinding"
                                  << ""
                                  << "Geen verbinding"
                                  << "\nGeen verbinding";
        QTest::newRow("only second") << ""
                                     << "abc"
                                     << "abc"
                                     << "\nabc";
        QTest::newRow("first longer") << "abcd"
                                      << "abc"
                                      << "abcd"
                                      << "\nabcd\nabc";
        QTest::newRow("second longer") << "ab"
                                       << "abc"
                                       << "abc"
                                       << "\nab\nabc";
        QTest::newRow("equal lengths choose second") << "abc"
                                                     << "xyz"
                                                     << "xyz"
                                                     << "\nabc\nxyz";
    }
    void longerLineAndText() {
        QFETCH(QString, line1);
        QFETCH(QString, line2);
        QFETCH(QString, longer);
        QFETCH(QString, text);
        const QString& chosen = LongerLine(line1, line2);
        QCOMPARE(chosen, longer);
        // The very object, so equal texts of equal length still tell which line was chosen.
        QCOMPARE(&chosen, line1.size() > line2.size() ? &line1 : &line2);
        QCOMPARE(MessageText(line1, line2), text);
    }

    void fontPoints_data() {
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("points");
        QTest::newRow("design font, half rounds up") << 14 << 96 << 11;
        QTest::newRow("12 px at 96") << 12 << 96 << 9;
        QTest::newRow("14 px at 120") << 14 << 120 << 8;     // 8.4
        QTest::newRow("14 px at 144") << 14 << 144 << 7;     // exactly 7
        QTest::newRow("17 px at 96") << 17 << 96 << 13;      // 12.75
        QTest::newRow("5 px at 144, half") << 5 << 144 << 3; // 2.5
    }
    void fontPoints() {
        QFETCH(int, pixelSize);
        QFETCH(int, dpi);
        QFETCH(int, points);
        QCOMPARE(FontPoints(pixelSize, dpi), points);
    }

    void geometry_data() {
        QTest::addColumn<int>("textWidth");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("screenHeight");
        QTest::addColumn<QRect>("reference");
        QTest::addColumn<QRect>("expected");
        const QRect main(400, 100, 395, 294); // left, top, width, height
        QTest::newRow("both lines empty: 5 x S")
            << 0 << 1 << 1080 << main << QRect(400 + 345 / 2, 100 + 239 / 2, 50, 55);
        QTest::newRow("one line: 6 x S = 66")
            << 120 << 2 << 1080 << main << QRect(400 + 225 / 2, 100 + 228 / 2, 170, 66);
        QTest::newRow("two lines")
            << 300 << 3 << 1080 << main << QRect(400 + 45 / 2, 100 + 217 / 2, 350, 77);
        QTest::newRow("500 px gives 550")
            << 500 << 2 << 1080 << main << QRect(400 - 155 / 2, 100 + 114, 550, 66);
        QTest::newRow("501 px gives 500")
            << 501 << 3 << 1080 << main << QRect(400 - 105 / 2, 100 + 108, 500, 77);
        QTest::newRow("clamped to screen less 200")
            << 900 << 200 << 768 << main << QRect(400 - 52, 100 - 137, 500, 568);
        QTest::newRow("exactly at the limit")
            << 10 << 48 << 772 << main << QRect(400 + 167, 100 - 139, 60, 572);
        // A message taller and wider than its window: halves truncate toward zero, not down.
        QTest::newRow("tall over small, odd differences")
            << 31 << 2 << 1080 << QRect(0, 0, 80, 31) << QRect(-0, -17, 81, 66);
        QTest::newRow("negative odd difference truncates")
            << 32 << 2 << 1080 << QRect(0, 0, 81, 31) << QRect(0, -17, 82, 66);
        QTest::newRow("near the top left edge, off screen")
            << 400 << 2 << 1080 << QRect(-50, -20, 120, 40) << QRect(-50 - 165, -20 - 13, 450, 66);
        QTest::newRow("near the bottom right edge")
            << 200 << 2 << 1080 << QRect(1850, 1060, 100, 30)
            << QRect(1850 - 75, 1060 - 18, 250, 66);
    }
    void geometry() {
        QFETCH(int, textWidth);
        QFETCH(int, lines);
        QFETCH(int, screenHeight);
        QFETCH(QRect, reference);
        QFETCH(QRect, expected);
        const MessageMeasure measure{textWidth, lines, 14, 96, screenHeight};
        QCOMPARE(MessageGeometry(measure, reference), expected);
    }
};

QTEST_APPLESS_MAIN(TestMessageLayout)
#include "tst_messagelayout.moc"
