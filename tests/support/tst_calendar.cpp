#include "support/calendar.h"

#include <QTest>

class TestCalendar : public QObject {
    Q_OBJECT

private slots:
    void easterSunday_data();
    void easterSunday();
    void easterEveryYear();
    void closedDay_data();
    void closedDay();
};

namespace {

// Easter by the epact: the first Sunday after the Paschal full moon, with the solar and
// lunar corrections of the Gregorian reform.
QDate EasterByEpact(int year) {
    const int golden = year % 19 + 1;
    const int century = year / 100 + 1;
    const int skippedLeapDays = 3 * century / 4 - 12;
    const int moonCorrection = (8 * century + 5) / 25 - 5;
    const int sundayKey = 5 * year / 4 - skippedLeapDays - 10;
    int epact = (11 * golden + 20 + moonCorrection - skippedLeapDays) % 30;
    if ((epact == 25 && golden > 11) || epact == 24)
        ++epact;
    int fullMoon = 44 - epact; // day of March, continuing into April
    if (fullMoon < 21)
        fullMoon += 30;
    const int sunday = fullMoon + 7 - (sundayKey + fullMoon) % 7;
    return sunday > 31 ? QDate(year, 4, sunday - 31) : QDate(year, 3, sunday);
}

} // namespace

void TestCalendar::easterSunday_data() {
    QTest::addColumn<QDate>("easter");

    for (const QDate& date :
         {QDate(2008, 3, 23), QDate(2011, 4, 24), QDate(2019, 4, 21), QDate(2024, 3, 31),
          QDate(2025, 4, 20), QDate(2026, 4, 5), QDate(2027, 3, 28), QDate(2038, 4, 25),
          QDate(1583, 4, 10), QDate(1818, 3, 22), QDate(1943, 4, 25), QDate(9999, 3, 28)})
        QTest::addRow("%d", date.year()) << date;
}

void TestCalendar::easterSunday() {
    QFETCH(QDate, easter);
    QCOMPARE(EasterSunday(easter.year()), easter);
}

void TestCalendar::easterEveryYear() {
    for (int year = 1583; year <= 9999; ++year) {
        const QDate easter = EasterSunday(year);
        QVERIFY2(easter == EasterByEpact(year), qPrintable(QString::number(year)));
        QCOMPARE(easter.dayOfWeek(), int(Qt::Sunday));
        QVERIFY(easter >= QDate(year, 3, 22) && easter <= QDate(year, 4, 25));
    }
}

void TestCalendar::closedDay_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<bool>("closed");

    QTest::newRow("Good Friday 2024") << QDate(2024, 3, 29) << true;
    QTest::newRow("Easter Monday 2024") << QDate(2024, 4, 1) << true;
    QTest::newRow("Thursday before Easter 2024") << QDate(2024, 3, 28) << false;
    QTest::newRow("Tuesday after Easter 2024") << QDate(2024, 4, 2) << false;
    QTest::newRow("Good Friday 2026") << QDate(2026, 4, 3) << true;
    QTest::newRow("Easter Monday 2026") << QDate(2026, 4, 6) << true;
    QTest::newRow("Good Friday 2008") << QDate(2008, 3, 21) << true;
    QTest::newRow("Easter Monday 2038") << QDate(2038, 4, 26) << true;
    QTest::newRow("Good Friday 2038") << QDate(2038, 4, 23) << true;
    QTest::newRow("1 May on a Wednesday") << QDate(2024, 5, 1) << true;
    QTest::newRow("1 January on a Wednesday") << QDate(2025, 1, 1) << true;
    QTest::newRow("2 January on a Monday") << QDate(2023, 1, 2) << false;
    QTest::newRow("24 December on a Tuesday") << QDate(2024, 12, 24) << false;
    QTest::newRow("25 December") << QDate(2024, 12, 25) << true;
    QTest::newRow("26 December") << QDate(2024, 12, 26) << true;
    QTest::newRow("31 December") << QDate(2024, 12, 31) << false;
    QTest::newRow("Ascension Day") << QDate(2024, 5, 9) << false;
    QTest::newRow("Whit Monday") << QDate(2024, 5, 20) << false;
    QTest::newRow("plain Wednesday") << QDate(2024, 6, 12) << false;
    QTest::newRow("plain Friday") << QDate(2024, 6, 14) << false;
    QTest::newRow("Saturday") << QDate(2024, 6, 15) << true;
    QTest::newRow("Sunday") << QDate(2024, 6, 16) << true;
    QTest::newRow("Easter Saturday") << QDate(2024, 3, 30) << true;
    QTest::newRow("Easter Sunday") << QDate(2024, 3, 31) << true;
    QTest::newRow("1 May on a Saturday") << QDate(2027, 5, 1) << true;
}

void TestCalendar::closedDay() {
    QFETCH(QDate, date);
    QFETCH(bool, closed);
    QCOMPARE(IsMarketClosedDay(date), closed);
}

QTEST_APPLESS_MAIN(TestCalendar)
#include "tst_calendar.moc"
