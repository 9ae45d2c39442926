#include "server/referencefiles.h"
#include "sources/referencerates.h"

#include <QTest>

namespace {
const QDate Today(2026, 12, 8);
const std::pair<QByteArray, QByteArray> Yen{"JPY", "161.22"};

QByteArray Day(const QByteArray& date, const QByteArray& usd) {
    return ReferenceDayCube(date, {{"USD", usd}, Yen});
}
} // namespace

class TestReferenceRates : public QObject {
    Q_OBJECT

private slots:
    // Each usable day as "date r widget-rate", newest first.
    void readReferenceRates_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<QStringList>("days");

        const QByteArray good = Day("2026-12-01", "1.0900");
        const QString goodDay = "2026-12-01 1.09 0,9174";
        // 1/1.28 = 0.78125 rounds to even.
        QTest::newRow("day file") << ReferenceDocument(Day("2026-12-08", "1.28")) << true
                                  << QStringList{"2026-12-08 1.28 0,7812"};
        QTest::newRow("any order, newest first")
            << ReferenceDocument(Day("2026-12-04", "1.06") + Day("2026-12-08", "1.0543") +
                                 Day("2026-12-07", "1.05"))
            << true
            << QStringList{"2026-12-08 1.0543 0,9485", "2026-12-07 1.05 0,9524",
                           "2026-12-04 1.06 0,9434"};
        QTest::newRow("no USD") << ReferenceDocument(ReferenceDayCube("2026-12-08", {Yen}) + good)
                                << true << QStringList{goodDay};
        QTest::newRow("two USD rates")
            << ReferenceDocument(
                   ReferenceDayCube("2026-12-08", {{"USD", "1.05"}, {"USD", "1.05"}}) + good)
            << true << QStringList{goodDay};
        QTest::newRow("not a plain positive decimal")
            << ReferenceDocument(Day("2026-12-08", "0") + Day("2026-12-07", "-1.05") +
                                 Day("2026-12-06", "1,05") + Day("2026-12-05", "NaN") +
                                 Day("2026-12-04", "1e400") + Day("2026-11-26", "1e0") +
                                 Day("2026-12-03", "+1.05") + Day("2026-12-02", "1.") +
                                 Day("2026-11-30", ".5") + Day("2026-11-29", " 1.05") +
                                 Day("2026-11-28", "1.0.5") + Day("2026-11-27", "") + good)
            << true << QStringList{goodDay};
        QTest::newRow("from 0.2 to 5")
            << ReferenceDocument(Day("2026-12-08", "0.1999") + Day("2026-12-07", "0.2") +
                                 Day("2026-12-04", "5") + Day("2026-12-03", "5.0001"))
            << true << QStringList{"2026-12-07 0.2 5,0000", "2026-12-04 5 0,2000"};
        QTest::newRow("date not yyyy-MM-dd")
            << ReferenceDocument(Day("2026-12-8", "1.05") + Day("08-12-2026", "1.05") +
                                 Day("2026-02-30", "1.05") + Day("", "1.05") + good)
            << true << QStringList{goodDay};
        QTest::newRow("after tomorrow")
            << ReferenceDocument(Day("2026-12-10", "1.07") + Day("2026-12-09", "1.06") + good)
            << true << QStringList{"2026-12-09 1.06 0,9434", goodDay};
        QTest::newRow("date twice")
            << ReferenceDocument(Day("2026-12-08", "1.05") + good + Day("2026-12-08", "1.05"))
            << true << QStringList{goodDay};
        QTest::newRow("rates outside a dated cube")
            << ReferenceDocument("<Cube currency='USD' rate='1.05'/><Cube>" +
                                 Day("2026-12-08", "1.05") +
                                 "</Cube><Day time='2026-12-07'><Cube currency='USD' "
                                 "rate='1.05'/></Day>" +
                                 good)
            << true << QStringList{goodDay};
        QTest::newRow("no days") << ReferenceDocument("") << true << QStringList{};
        QTest::newRow("cubes of another vocabulary")
            << ReferenceDocument(good).replace("xmlns=\"", "xmlns:other=\"") << true
            << QStringList{};

        QByteArray dtd = ReferenceDocument(Day("2026-12-08", "&r;"));
        dtd.insert(dtd.indexOf("<gesmes:Envelope"),
                   "<!DOCTYPE gesmes:Envelope [<!ENTITY r \"1.0543\">]>\n");
        QTest::newRow("DTD") << dtd << false << QStringList{};
        QTest::newRow("HTML page") << QByteArray("<!DOCTYPE html>\n<html><body><p>Onderhoud</p>"
                                                 "</body></html>")
                                   << false << QStringList{};
        QTest::newRow("other document")
            << QByteArray("<Envelope><Cube><Cube time='2026-12-08'><Cube currency='USD' "
                          "rate='1.05'/></Cube></Cube></Envelope>")
            << false << QStringList{};
        QTest::newRow("cut off") << ReferenceDocument(good).chopped(40) << false << QStringList{};
        QTest::newRow("content after the envelope")
            << ReferenceDocument(good) + "<Cube/>" << false << QStringList{};
        QTest::newRow("empty") << QByteArray() << false << QStringList{};
    }
    void readReferenceRates() {
        QFETCH(QByteArray, xml);
        const std::optional<QList<ReferenceDay>> days = ReadReferenceRates(xml, Today);
        QTEST(days.has_value(), "readable");
        QStringList read;
        for (const ReferenceDay& day : days.value_or(QList<ReferenceDay>{}))
            read << day.Date.toString(Qt::ISODate) + ' ' + QString::number(day.UsdPerEuro) + ' ' +
                        ReferenceRateText(day, u',');
        QTEST(read, "days");
    }
};

QTEST_APPLESS_MAIN(TestReferenceRates)
#include "tst_referencerates.moc"
