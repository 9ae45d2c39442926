#include "sources/ratereaders.h"
#include "sources/sourceslog.h"

#include <QTest>

namespace {
const QDateTime ReadingTime(QDate(2026, 12, 7), QTime(14, 5, 9));

RegionalSettings Regional(QChar decimalSeparator) {
    RegionalSettings regional;
    regional.decimalSeparator = decimalSeparator;
    regional.groupSeparator = decimalSeparator == u',' ? u'.' : u',';
    return regional;
}

FetchResult Page(const QString& text) {
    FetchResult page;
    page.text = text;
    page.attempts = 1;
    return page;
}

// A page with the price and, `gap` characters after the price's element, the change.
QString IEXPage(const QString& price, const QString& change, qsizetype gap = 0) {
    return QStringLiteral("<html><body><table><tr><td><span id=\"190143785LastPrice\" "
                          "class=\"price\">%1</span></td>%2<td><span "
                          "id=\"190143785RelativeDifference\">%3</span></td></tr></table>")
        .arg(price, QString(gap, u' '), change);
}

QString D2EPage(const QString& value) {
    return QStringLiteral("<html><body><div class=\"rates\"><div id=\"ratesC1Value\" "
                          "class=\"value\">%1</div></div></body></html>")
        .arg(value);
}

// A reading after some earlier reading, with every field set.
RateReading Earlier() {
    RateReading reading;
    reading.CurrentRate = 0.9240;
    reading.OpeningRate = 0.9200;
    reading.BaseRate = 0.9250;
    reading.FirstReading = false;
    reading.RateText = QStringLiteral("0,9240");
    reading.ChangeText = QStringLiteral("-0,0010");
    reading.StepText = QStringLiteral("0,0005");
    reading.PercentText = QStringLiteral("-0,11%");
    reading.SignText = QStringLiteral("-");
    reading.TimeText = QStringLiteral("14:04:39");
    reading.DateTimeText = QStringLiteral("07-12-2026 14:04:39");
    return reading;
}

bool SameRates(const RateReading& a, const RateReading& b) {
    return a.CurrentRate == b.CurrentRate && a.OpeningRate == b.OpeningRate &&
           a.BaseRate == b.BaseRate && a.FirstReading == b.FirstReading &&
           a.StepText == b.StepText && a.SignText == b.SignText && a.TimeText == b.TimeText &&
           a.DateTimeText == b.DateTimeText;
}
} // namespace

class TestRateReaders : public QObject {
    Q_OBJECT

private slots:
    void iexReading_data() {
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("firstReading");
        QTest::addColumn<QString>("rateText");
        QTest::addColumn<QString>("stepText");
        QTest::addColumn<QString>("signText");
        QTest::addColumn<QString>("percentText");
        QTest::addColumn<QString>("changeText");
        QTest::addColumn<double>("baseRate");

        QTest::newRow("worked example, comma") << QChar(u',') << "1,0834"
                                               << "+0,25%" << false << "0,9230"
                                               << "-0,0010"
                                               << "-"
                                               << "-0,25%"
                                               << "-0,0023" << 0.9253;
        QTest::newRow("worked example, point") << QChar(u'.') << "1,0834"
                                               << "+0,25%" << false << "0.9230"
                                               << "-0.0010"
                                               << "-"
                                               << "-0.25%"
                                               << "-0.0023" << 0.9253;
        QTest::newRow("page with points") << QChar(u',') << "1.0834"
                                          << "+0.25%" << false << "0,9230"
                                          << "-0,0010"
                                          << "-"
                                          << "-0,25%"
                                          << "-0,0023" << 0.9253;
        QTest::newRow("change without %") << QChar(u',') << "1,0834"
                                          << "+0,25" << false << "0,9230"
                                          << "-0,0010"
                                          << "-"
                                          << "-0,25%"
                                          << "-0,0023" << 0.9253;
        QTest::newRow("price of one") << QChar(u',') << "1,0000"
                                      << "+0,25%" << false << "1,0000"
                                      << "0,0760"
                                      << "-"
                                      << "-0,25%"
                                      << "-0,0025" << 1.0025;
        QTest::newRow("euro falls: dollar rises") << QChar(u',') << "1,0834"
                                                  << "-0,40%" << false << "0,9230"
                                                  << "-0,0010"
                                                  << "+"
                                                  << "0,40%"
                                                  << "0,0037" << 0.9193;
        QTest::newRow("no change: minus zero") << QChar(u',') << "1,0834"
                                               << "0,00%" << false << "0,9230"
                                               << "-0,0010"
                                               << "-"
                                               << "-0,00%"
                                               << "-0,0000" << 0.923;
        QTest::newRow("no change, point") << QChar(u'.') << "1,0834"
                                          << "0,00%" << false << "0.9230"
                                          << "-0.0010"
                                          << "-"
                                          << "-0.00%"
                                          << "-0.0000" << 0.923;
        QTest::newRow("unreadable change reads as 0") << QChar(u',') << "1,0834"
                                                      << "n.v.t." << false << "0,9230"
                                                      << "-0,0010"
                                                      << "-"
                                                      << "-0,00%"
                                                      << "-0,0000" << 0.923;
        QTest::newRow("first reading") << QChar(u',') << "1,0834"
                                       << "+0,25%" << true << "0,9230"
                                       << "0.0"
                                       << "-"
                                       << "-0,25%"
                                       << "-0,0023" << 0.9253;
    }
    void iexReading() {
        QFETCH(QChar, separator);
        QFETCH(QString, price);
        QFETCH(QString, change);
        QFETCH(bool, firstReading);

        RateReading reading = Earlier();
        reading.FirstReading = firstReading;
        ReadIEXRate(reading, Page(IEXPage(price, change)), ReadingTime, Regional(separator));

        QTEST(reading.RateText, "rateText");
        QTEST(reading.StepText, "stepText");
        QTEST(reading.SignText, "signText");
        QTEST(reading.PercentText, "percentText");
        QTEST(reading.ChangeText, "changeText");
        QFETCH(double, baseRate);
        QCOMPARE(reading.CurrentRate, price.startsWith(u"1,0000") ? 1.0 : 0.923);
        QCOMPARE(reading.BaseRate, baseRate);
        QVERIFY(!reading.FirstReading);
        QCOMPARE(reading.OpeningRate, firstReading ? reading.CurrentRate : 0.92);
        QCOMPARE(reading.DateTimeText, QStringLiteral("07-12-2026 14:05:09"));
        QCOMPARE(reading.TimeText, QStringLiteral("14:05:09"));
    }

    // The change must stand within the 2048 characters after the price key; otherwise the
    // stretch after the price's element is read.
    void iexChangeWindow_data() {
        QTest::addColumn<qsizetype>("gap");
        QTest::addColumn<QString>("percentText");
        QTest::newRow("change close by") << qsizetype(0) << QStringLiteral("-0,25%");
        QTest::newRow("change within the window") << qsizetype(1900) << QStringLiteral("-0,25%");
        QTest::newRow("change beyond the window") << qsizetype(2100) << QStringLiteral("0,40%");
        // The gap that puts the change key's last character on the window's last one (the
        // stray value below adds 9 characters).
        const QString page = IEXPage(QStringLiteral("1,0834"), QStringLiteral("+0,25%"));
        const qsizetype keysApart = page.indexOf(u"190143785RelativeDifference") + 27 -
                                    page.indexOf(u"190143785LastPrice") - 18 + 9;
        QTest::newRow("change key ends the window")
            << 2048 - keysApart << QStringLiteral("-0,00%"); // its value lies beyond
        QTest::newRow("change key a character out") << 2049 - keysApart << QStringLiteral("0,40%");
    }
    void iexChangeWindow() {
        QFETCH(qsizetype, gap);
        // Right after the price's element stands a stray -0,40%.
        QString page = IEXPage(QStringLiteral("1,0834"), QStringLiteral("+0,25%"), gap);
        page.replace(QStringLiteral("1,0834</span>"), QStringLiteral("1,0834</span>-0,40%<b>"));
        RateReading reading = Earlier();
        ReadIEXRate(reading, Page(page), ReadingTime, Regional(u','));
        QTEST(reading.PercentText, "percentText");
    }

    void d2eReading_data() {
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("value");
        QTest::addColumn<double>("baseRate");
        QTest::addColumn<double>("openingRate");
        QTest::addColumn<bool>("firstReading");
        QTest::addColumn<QString>("stepText");
        QTest::addColumn<QString>("signText");
        QTest::addColumn<QString>("changeText");
        QTest::addColumn<QString>("percentText");
        QTest::addColumn<double>("expectedOpening");

        QTest::newRow("worked example")
            << QChar(u',') << "0,9241" << 0.9253 << 0.9200 << false << "0,0011"
            << "-"
            << "-0,0012"
            << "-0,13%" << 0.92;
        QTest::newRow("worked example, point")
            << QChar(u'.') << "0,9241" << 0.9253 << 0.9200 << false << "0.0011"
            << "-"
            << "-0.0012"
            << "-0.13%" << 0.92;
        QTest::newRow("value with a point")
            << QChar(u',') << "0.9241" << 0.9253 << 0.9200 << false << "0,0011"
            << "-"
            << "-0,0012"
            << "-0,13%" << 0.92;
        QTest::newRow("first reading, no base")
            << QChar(u',') << "0,9241" << 0.0 << 0.0 << true << "0.0"
            << "-"
            << "0,0000"
            << "0,00%" << 0.9241;
        QTest::newRow("tiny base counts as none")
            << QChar(u',') << "0,9241" << 0.00005 << 0.9200 << false << "0,0011"
            << "+"
            << "0,0041"
            << "0,44%" << 0.92;
        QTest::newRow("base at the limit counts")
            << QChar(u',') << "0,9241" << 0.0001 << 0.9200 << false << "0,0011"
            << "+"
            << "0,9240"
            << "99,99%" << 0.92;
        QTest::newRow("measured against zero")
            << QChar(u',') << "0,9241" << 0.0 << 0.0 << false << "0,0011"
            << "+"
            << "0,9241"
            << "***%" << 0.0;
        QTest::newRow("against zero, point: text stays")
            << QChar(u'.') << "0,9241" << 0.0 << 0.0 << false << "0.0011"
            << "+"
            << "0.9241"
            << "100.00%" << 0.0;
    }
    void d2eReading() {
        QFETCH(QChar, separator);
        QFETCH(QString, value);
        QFETCH(double, baseRate);
        QFETCH(double, openingRate);
        QFETCH(bool, firstReading);

        RateReading reading = Earlier();
        reading.CurrentRate = 0.9230;
        reading.BaseRate = baseRate;
        reading.OpeningRate = openingRate;
        reading.FirstReading = firstReading;
        ReadD2ERate(reading, Page(D2EPage(value)), ReadingTime, Regional(separator));

        QCOMPARE(reading.RateText, value); // as the page writes it
        QCOMPARE(reading.CurrentRate, 0.9241);
        QTEST(reading.StepText, "stepText");
        QTEST(reading.SignText, "signText");
        QTEST(reading.ChangeText, "changeText");
        QTEST(reading.PercentText, "percentText");
        QTEST(reading.OpeningRate, "expectedOpening");
        QCOMPARE(reading.BaseRate, baseRate);
        QVERIFY(!reading.FirstReading);
        QCOMPARE(reading.TimeText, QStringLiteral("14:05:09"));
        QCOMPARE(reading.DateTimeText, Earlier().DateTimeText);
    }

    // A page that starts with the key still gives its rate.
    void d2eKeyAtThePageStart() {
        RateReading reading = Earlier();
        const QString page = QStringLiteral("ratesC1Value\">0,9241</p>") + QString(200, u' ');
        ReadD2ERate(reading, Page(page), ReadingTime, Regional(u','));
        QCOMPARE(reading.RateText, QStringLiteral("0,9241"));
        QCOMPARE(reading.CurrentRate, 0.9241);
    }

    // A weekday reading leaves its base for the weekend's readings.
    void iexBaseCarriesToD2E() {
        RateReading reading = Earlier();
        ReadIEXRate(reading, Page(IEXPage(QStringLiteral("1,0834"), QStringLiteral("+0,25%"))),
                    ReadingTime, Regional(u','));
        ReadD2ERate(reading, Page(D2EPage(QStringLiteral("0,9241"))), ReadingTime.addSecs(30),
                    Regional(u','));
        QCOMPARE(reading.StepText, QStringLiteral("0,0011"));
        QCOMPARE(reading.ChangeText, QStringLiteral("-0,0012"));
        QCOMPARE(reading.PercentText, QStringLiteral("-0,13%"));
        QCOMPARE(reading.TimeText, QStringLiteral("14:05:39"));
    }

    // What each reader leaves when it gets no usable page: the code in RateText, the texts it
    // clears at its start empty (a rate of 0 leaves even those), everything else as before.
    void resultCodes_data() {
        QTest::addColumn<bool>("iex");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("sessionOpened");
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("textsKept");

        const QString iexShort = QStringLiteral("<i id=\"190143785LastPrice\">1,0834</i>");
        const QString d2eShort = QStringLiteral("<p id=\"ratesC1Value\">0,9241</p>");
        for (const bool iex : {true, false}) {
            const char* reader = iex ? "IEX" : "D2E";
            const QString shortPage = iex ? iexShort : d2eShort;
            QTest::addRow("%s nothing arrived", reader)
                << iex << QString() << true << "-1" << false;
            QTest::addRow("%s no session", reader) << iex << QString() << false << "-2" << false;
            QTest::addRow("%s Default.htm", reader)
                << iex << "Default.htm" << true << "-2" << false;
            QTest::addRow("%s 49 characters", reader)
                << iex << shortPage + QString(49 - shortPage.size(), u' ') << true << "-2" << false;
            QTest::addRow("%s page without its key", reader)
                << iex << QString(500, u'x') << true << "-2" << false;
        }
        QTest::newRow("IEX price reads as 0")
            << true << IEXPage(QStringLiteral("n.v.t."), QStringLiteral("+0,25%")) << true << "-2"
            << true;
        QTest::newRow("IEX price whose inverse rounds to 0")
            << true << IEXPage(QStringLiteral("30000,0"), QStringLiteral("+0,25%")) << true << "-2"
            << true;
        QTest::newRow("IEX price whose inverse overflows")
            << true << IEXPage("0," + QString(320, u'0') + "1", QStringLiteral("+0,25%")) << true
            << "-2" << true;
        QTest::newRow("IEX price of zero")
            << true << IEXPage(QStringLiteral("0,0000"), QStringLiteral("+0,25%")) << true << "-2"
            << true;
        QTest::newRow("D2E rate reads as 0")
            << false << D2EPage(QStringLiteral("--")) << true << "-2" << true;
        QTest::newRow("IEX price not well formed")
            << true << IEXPage(QStringLiteral("1,08.34"), QStringLiteral("+0,25%")) << true << "-2"
            << true;
        QTest::newRow("IEX negative price")
            << true << IEXPage(QStringLiteral("-1,0834"), QStringLiteral("+0,25%")) << true << "-2"
            << true;
        QTest::newRow("D2E rate not well formed")
            << false << D2EPage(QStringLiteral("0,92.3")) << true << "-2" << true;
        QTest::newRow("D2E negative rate")
            << false << D2EPage(QStringLiteral("-0,9241")) << true << "-2" << true;
        QTest::newRow("D2E rate of 300 digits")
            << false << D2EPage(QString(300, u'9')) << true << "-2" << true;
        QTest::newRow("D2E rate of 5000 decimals")
            << false << D2EPage("0," + QString(5000, u'9')) << true << "-2" << true;
        QTest::newRow("D2E key without its tag end")
            << false << QString(100, u'x') + QStringLiteral("ratesC1Value 0,9241") << true << "-2"
            << false;
    }
    void resultCodes() {
        QFETCH(bool, iex);
        QFETCH(QString, text);
        QFETCH(bool, sessionOpened);

        FetchResult page = Page(text);
        page.sessionOpened = sessionOpened;
        RateReading reading = Earlier();
        if (iex)
            ReadIEXRate(reading, page, ReadingTime, Regional(u','));
        else
            ReadD2ERate(reading, page, ReadingTime, Regional(u','));

        QFETCH(bool, textsKept);
        QTEST(reading.RateText, "code");
        QCOMPARE(reading.ChangeText, textsKept ? Earlier().ChangeText : QString());
        QCOMPARE(reading.PercentText, textsKept ? Earlier().PercentText : QString());
        QVERIFY(SameRates(reading, Earlier()));
    }

    // A reading is taken only when its text is at most 12 characters and its rate lies between
    // 0.0001 and 10000; otherwise nothing changes, not even the first reading's flag.
    void plausibleBounds_data() {
        QTest::addColumn<bool>("iex");
        QTest::addColumn<QString>("value");
        QTest::addColumn<double>("rate"); // 0: rejected
        QTest::newRow("D2E lowest") << false << "0,0001" << 0.0001;
        QTest::newRow("D2E below") << false << "0,00009" << 0.0;
        QTest::newRow("D2E highest") << false << "10000" << 10000.0;
        QTest::newRow("D2E above") << false << "10000,01" << 0.0;
        QTest::newRow("D2E 12 characters") << false << "0,9241000000" << 0.9241;
        QTest::newRow("D2E 13 characters") << false << "0,92410000000" << 0.0;
        QTest::newRow("IEX highest rate") << true << "0,0001" << 10000.0;
        QTest::newRow("IEX rate too high") << true << "0,0000001" << 0.0;
        QTest::newRow("IEX lowest rate") << true << "10000" << 0.0001;
        QTest::newRow("IEX rate rounds to 0") << true << "20001" << 0.0;
        QTest::newRow("IEX 12 characters") << true << "1,0834000000" << 0.923;
        QTest::newRow("IEX 13 characters") << true << "1,08340000000" << 0.0;
    }
    void plausibleBounds() {
        QFETCH(bool, iex);
        QFETCH(QString, value);
        QFETCH(double, rate);
        RateReading reading = Earlier();
        reading.FirstReading = true;
        const RateReading before = reading;
        if (iex)
            ReadIEXRate(reading, Page(IEXPage(value, QStringLiteral("+0,25%"))), ReadingTime,
                        Regional(u','));
        else
            ReadD2ERate(reading, Page(D2EPage(value)), ReadingTime, Regional(u','));
        if (rate == 0.0) {
            QCOMPARE(reading.RateText, QStringLiteral("-2"));
            QVERIFY(SameRates(reading, before));
            QCOMPARE(reading.PercentText, before.PercentText);
        } else {
            QCOMPARE(reading.CurrentRate, rate);
            QCOMPARE(reading.OpeningRate, rate);
            QVERIFY(!reading.FirstReading);
        }
    }

    // A page of exactly 50 characters is read.
    void fiftyCharactersAreRead_data() {
        QTest::addColumn<bool>("iex");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("rateText");
        QTest::newRow("IEX") << true << QStringLiteral("<i id=\"190143785LastPrice\">1,0834</i>")
                             << QStringLiteral("0,9230");
        QTest::newRow("D2E") << false << QStringLiteral("<p id=\"ratesC1Value\">0,9241</p>")
                             << QStringLiteral("0,9241");
    }
    void fiftyCharactersAreRead() {
        QFETCH(bool, iex);
        QFETCH(QString, page);
        page += QString(50 - page.size(), u' ');
        RateReading reading = Earlier();
        if (iex)
            ReadIEXRate(reading, Page(page), ReadingTime, Regional(u','));
        else
            ReadD2ERate(reading, Page(page), ReadingTime, Regional(u','));
        QTEST(reading.RateText, "rateText");
    }

    // The time of the reading in the user's own time format, whatever that looks like.
    void timeTexts_data() {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("timeFormat");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("timeText");
        const QLocale c = QLocale::c();
        QTest::newRow("24 hours") << QTime(14, 5, 9) << "HH:mm:ss" << c << "14:05:09";
        QTest::newRow("midnight") << QTime(0, 0, 0) << "HH:mm:ss" << c << "00:00:00";
        QTest::newRow("AM/PM marker") << QTime(14, 5, 9) << "h:mm:ss AP" << c << "2:05:09 PM";
        // The locale writes its own markers.
        QTest::newRow("Korean marker")
            << QTime(14, 5, 9) << "AP h:mm:ss" << QLocale(QLocale::Korean, QLocale::SouthKorea)
            << QString::fromUtf8("오후 2:05:09");
    }
    void timeTexts() {
        QFETCH(QTime, time);
        QFETCH(QString, timeFormat);
        QFETCH(QLocale, locale);
        RegionalSettings regional = Regional(u',');
        regional.timeFormat = timeFormat;
        regional.locale = locale;
        regional.dateTimeFormat = QStringLiteral("dd-MM-yyyy ") + timeFormat;
        const QDateTime now(QDate(2026, 12, 7), time);

        RateReading iex = Earlier();
        ReadIEXRate(iex, Page(IEXPage(QStringLiteral("1,0834"), QStringLiteral("+0,25%"))), now,
                    regional);
        QTEST(iex.TimeText, "timeText");
        QFETCH(QString, timeText);
        QCOMPARE(iex.DateTimeText, QStringLiteral("07-12-2026 ") + timeText);

        RateReading d2e = Earlier();
        ReadD2ERate(d2e, Page(D2EPage(QStringLiteral("0,9241"))), now, regional);
        QTEST(d2e.TimeText, "timeText");
    }

    void logLine_data() {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("rateText");
        QTest::addColumn<QString>("line");
        QTest::newRow("reading")
            << "USD: "
            << "0,9230"
            << "reading USD: rate=0,9230 percent=-0,25% step=0.0 time=14:05:09";
        QTest::newRow("no connection") << " D2E:"
                                       << "-1"
                                       << "reading D2E: rate=-1";
        QTest::newRow("no usable page") << "USD:"
                                        << "-2"
                                        << "reading USD: rate=-2";
    }
    void logLine() {
        QFETCH(QString, prefix);
        QFETCH(QString, rateText);
        RateReading reading;
        reading.RateText = rateText;
        reading.PercentText = QStringLiteral("-0,25%");
        reading.StepText = QStringLiteral("0.0");
        reading.TimeText = QStringLiteral("14:05:09");
        QTEST(ReadingLogLine(prefix, reading), "line");
    }
};

QTEST_APPLESS_MAIN(TestRateReaders)
#include "tst_ratereaders.moc"
