#include "app/ratepresentation.h"

#include <QTest>

class TestRatePresentation : public QObject {
    Q_OBJECT

private slots:
    void showRateLabels_data();
    void showRateLabels();
    void colourRateLabels_data();
    void colourRateLabels();
    void referenceLine_data();
    void referenceLine();
    void waitText_data();
    void waitText();
};

void TestRatePresentation::showRateLabels_data() {
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<QString>("time");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("label2");
    QTest::addColumn<QString>("label3");

    QTest::newRow("rise") << "0,9027"
                          << "0,15%"
                          << "14:05:09" << true << "0,9027 (+0,15%)"
                          << " @ 14:05:09";
    QTest::newRow("rise in point notation") << "0.9027"
                                            << "0.01%"
                                            << "09:00:31" << true << "0.9027 (+0.01%)"
                                            << " @ 09:00:31";
    QTest::newRow("fall keeps its own sign") << "0,8990"
                                             << "-0,27%"
                                             << "17:29:59" << true << "0,8990 (-0,27%)"
                                             << " @ 17:29:59";
    QTest::newRow("no change") << "0,9027"
                               << "0,00%"
                               << "14:05:09" << true << "0,9027 (0,00%)"
                               << " @ 14:05:09";
    QTest::newRow("asterisks count as zero") << "0,9027"
                                             << "***%"
                                             << "14:05:09" << true << "0,9027 (***%)"
                                             << " @ 14:05:09";
    QTest::newRow("no percent sign") << "0,9027"
                                     << "0,15"
                                     << "14:05:09" << true << "***** (****)"
                                     << " @ 14:05:09";
    QTest::newRow("percent sign alone") << "0,9027"
                                        << "%"
                                        << "14:05:09" << true << "***** (****)"
                                        << " @ 14:05:09";
    QTest::newRow("empty time") << "0,9027"
                                << "0,15%"
                                << "" << true << "0,9027 (+0,15%)"
                                << " @ ";
    QTest::newRow("no reading yet") << ""
                                    << "0,15%"
                                    << "14:05:09" << false << ""
                                    << "";
    QTest::newRow("no connection") << "-1"
                                   << "0,15%"
                                   << "14:05:09" << false << ""
                                   << "";
    QTest::newRow("no usable page") << "-2"
                                    << "0,15%"
                                    << "14:05:09" << false << ""
                                    << "";
}

void TestRatePresentation::showRateLabels() {
    QFETCH(QString, rate);
    QFETCH(QString, percent);
    QFETCH(QString, time);
    QFETCH(bool, shown);
    QFETCH(QString, label2);
    QFETCH(QString, label3);

    RateReading reading;
    reading.RateText = rate;
    reading.PercentText = percent;
    reading.TimeText = time;
    const auto texts = RateLineTexts(reading);
    QCOMPARE(texts.has_value(), shown);
    if (!shown)
        return;
    QCOMPARE(texts->Label2, label2);
    QCOMPARE(texts->Label3, label3);
}

void TestRatePresentation::colourRateLabels_data() {
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("sign");
    QTest::addColumn<double>("opening");
    QTest::addColumn<bool>("alarmOn");
    QTest::addColumn<bool>("acts");
    QTest::addColumn<QColor>("label1");
    QTest::addColumn<QColor>("label2");

    const QString time = QStringLiteral("14:05:09");
    QTest::newRow("up day, step up") << time << "0,0012"
                                     << "+" << 0.9 << false << true << RateGreen << RateGreen;
    QTest::newRow("down day, step down") << time << "-0,0008"
                                         << "-" << 0.9 << false << true << RateRed << RateRed;
    QTest::newRow("down day, step up") << time << "0.0003"
                                       << "-" << 0.9 << false << true << RateRed << RateGreen;
    QTest::newRow("up day, level step") << time << "0,0000"
                                        << "+" << 0.9 << false << true << RateGreen << RateBlue;
    QTest::newRow("first reading") << time << "0.0"
                                   << "+" << 0.9 << true << true << RateGreen << RateBlue;
    QTest::newRow("step not a number") << time << "abc"
                                       << "+" << 0.9 << false << true << RateGreen << RateBlue;
    QTest::newRow("no sign is a fall") << time << "0,0012"
                                       << "" << 0.9 << false << true << RateRed << RateGreen;
    QTest::newRow("no opening rate") << time << "0,0012"
                                     << "+" << 0.0 << true << true << RateBlack << RateBlack;
    QTest::newRow("opening just below a cent")
        << time << "-0,0012"
        << "-" << 0.0099 << false << true << RateBlack << RateBlack;
    QTest::newRow("small negative opening")
        << time << "0,0012"
        << "+" << -0.005 << false << true << RateBlack << RateBlack;
    QTest::newRow("opening of a cent") << time << "0,0012"
                                       << "+" << 0.01 << false << true << RateGreen << RateGreen;
    QTest::newRow("no time yet") << "*****"
                                 << "0,0012"
                                 << "+" << 0.9 << true << false << QColor() << QColor();
    QTest::newRow("empty time") << ""
                                << "0,0012"
                                << "+" << 0.9 << true << false << QColor() << QColor();
}

void TestRatePresentation::colourRateLabels() {
    QFETCH(QString, time);
    QFETCH(QString, step);
    QFETCH(QString, sign);
    QFETCH(double, opening);
    QFETCH(bool, alarmOn);
    QFETCH(bool, acts);
    QFETCH(QColor, label1);
    QFETCH(QColor, label2);

    RateReading reading;
    reading.RateText = QStringLiteral("0,9027");
    reading.TimeText = time;
    reading.StepText = step;
    reading.SignText = sign;
    reading.OpeningRate = opening;
    const auto colours = RateLineColours(reading, alarmOn);
    QCOMPARE(colours.has_value(), acts);
    if (!acts)
        return;
    QCOMPARE(colours->RunCheckAlarm, alarmOn);
    QCOMPARE(colours->Label1, label1);
    QCOMPARE(colours->Label2, label2);
}

void TestRatePresentation::waitText_data() {
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

void TestRatePresentation::waitText() {
    QFETCH(QString, host);
    QFETCH(QString, expected);
    QCOMPARE(WaitText(host), expected);
}

QTEST_APPLESS_MAIN(TestRatePresentation)
#include "tst_ratepresentation.moc"

// The reference rate standing in: 1/r, its change against the day before, the day, in Dutch.
void TestRatePresentation::referenceLine_data() {
    QTest::addColumn<double>("before"); // r of the day before; 0: none held
    QTest::addColumn<QString>("label2");
    QTest::addColumn<QString>("tip");
    QTest::newRow("a fall, D2E asked")
        << 1.0531 << "0,9485 (-0,12%)"
        << "ECB-referentiekoers van 8 december 2026; D2E gaf geen koers";
    QTest::newRow("a rise of a tenth")
        << 1.1598 << "0,9485 (+10,01%)"
        << "ECB-referentiekoers van 8 december 2026; D2E gaf geen koers";
    QTest::newRow("no day before") << 0.0 << "0,9485"
                                   << "ECB-referentiekoers van 8 december 2026; D2E gaf geen koers";
}

void TestRatePresentation::referenceLine() {
    QFETCH(double, before);
    const ReferenceLineTexts line = ReferenceLine(
        {QDate(2026, 12, 8), 1.0543},
        before > 0 ? std::optional(ReferenceDay{QDate(2026, 12, 7), before}) : std::nullopt,
        "D2E: ", u',', false);
    QCOMPARE(line.Label1, "ECB: ");
    QTEST(line.Label2, "label2");
    QCOMPARE(line.Label3, " @ 08-12");
    QTEST(line.ToolTip, "tip");
}
