#include "app/alarmnotice.h"

#include <QTest>

class TestAlarmNotice : public QObject {
    Q_OBJECT

private slots:
    void textInTheUsersLanguage_data();
    void textInTheUsersLanguage();
};

void TestAlarmNotice::textInTheUsersLanguage_data() {
    QTest::addColumn<bool>("above");
    QTest::addColumn<double>("rate");
    QTest::addColumn<double>("limit");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("body");

    QTest::newRow("Dutch, above") << true << 0.85 << 0.8482 << "NLD" << QChar(',')
                                  << "Koers boven de bovengrens"
                                  << "De dollar staat op 0,8500, boven de bovengrens van 0,8482.";
    QTest::newRow("Dutch, below") << false << 0.8 << 0.8084 << "NLD" << QChar(',')
                                  << "Koers onder de ondergrens"
                                  << "De dollar staat op 0,8000, onder de ondergrens van 0,8084.";
    QTest::newRow("English, above")
        << true << 0.91234 << 0.9 << "ENU" << QChar('.') << "Rate above the upper limit"
        << "The dollar stands at 0.9123, above the upper limit of 0.9000.";
    QTest::newRow("English, below")
        << false << 0.8 << 0.8084 << "ENU" << QChar('.') << "Rate below the lower limit"
        << "The dollar stands at 0.8000, below the lower limit of 0.8084.";
    // Only "NLD" exactly chooses Dutch.
    QTest::newRow("lower-case nld")
        << true << 0.85 << 0.8482 << "nld" << QChar(',') << "Rate above the upper limit"
        << "The dollar stands at 0,8500, above the upper limit of 0,8482.";
}

void TestAlarmNotice::textInTheUsersLanguage() {
    QFETCH(bool, above);
    QFETCH(double, rate);
    QFETCH(double, limit);
    QFETCH(QString, language);
    QFETCH(QChar, separator);
    QFETCH(QString, summary);
    QFETCH(QString, body);
    const AlarmNotice notice = AlarmNoticeText(above, rate, limit, language, separator);
    QCOMPARE(notice.Summary, summary);
    QCOMPARE(notice.Body, body);
}

QTEST_APPLESS_MAIN(TestAlarmNotice)
#include "tst_alarmnotice.moc"
