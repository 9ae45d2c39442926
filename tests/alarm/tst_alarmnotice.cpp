#include "alarm/alarmnotice.h"

#include <QTest>

class TestAlarmNotice : public QObject {
    Q_OBJECT

private slots:
    void textInTheUsersLanguage_data();
    void textInTheUsersLanguage();
    void noticeOnlyOnAChangeOutOfTheBand_data();
    void noticeOnlyOnAChangeOutOfTheBand();
};

void TestAlarmNotice::textInTheUsersLanguage_data() {
    QTest::addColumn<bool>("above");
    QTest::addColumn<double>("rate");
    QTest::addColumn<double>("limit");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("action");

    QTest::newRow("Dutch, above") << true << 0.85 << 0.8482 << "NLD" << QChar(',')
                                  << "Koers boven de bovengrens"
                                  << "De dollar staat op 0,8500, boven de bovengrens van 0,8482."
                                  << "Stil";
    QTest::newRow("Dutch, below") << false << 0.8 << 0.8084 << "NLD" << QChar(',')
                                  << "Koers onder de ondergrens"
                                  << "De dollar staat op 0,8000, onder de ondergrens van 0,8084."
                                  << "Stil";
    QTest::newRow("English, above")
        << true << 0.91234 << 0.9 << "ENU" << QChar('.') << "Rate above the upper limit"
        << "The dollar stands at 0.9123, above the upper limit of 0.9000."
        << "Silence";
    QTest::newRow("English, below")
        << false << 0.8 << 0.8084 << "ENU" << QChar('.') << "Rate below the lower limit"
        << "The dollar stands at 0.8000, below the lower limit of 0.8084."
        << "Silence";
    // Only "NLD" exactly chooses Dutch.
    QTest::newRow("lower-case nld")
        << true << 0.85 << 0.8482 << "nld" << QChar(',') << "Rate above the upper limit"
        << "The dollar stands at 0,8500, above the upper limit of 0,8482."
        << "Silence";
}

void TestAlarmNotice::textInTheUsersLanguage() {
    QFETCH(bool, above);
    QFETCH(double, rate);
    QFETCH(double, limit);
    QFETCH(QString, language);
    QFETCH(QChar, separator);
    QFETCH(QString, summary);
    QFETCH(QString, body);
    QFETCH(QString, action);
    const AlarmNotice notice = AlarmNoticeText(above, rate, limit, language, separator);
    QCOMPARE(notice.Summary, summary);
    QCOMPARE(notice.Body, body);
    QCOMPARE(notice.Action, action);
}

using States = QList<AlarmState>;

void TestAlarmNotice::noticeOnlyOnAChangeOutOfTheBand_data() {
    QTest::addColumn<States>("checks");
    // For each check: nothing, "above" or "below".
    QTest::addColumn<QStringList>("notices");
    using S = AlarmState;
    QTest::newRow("first check above") << States{S::Above} << QStringList{"above"};
    QTest::newRow("first check below") << States{S::Below} << QStringList{"below"};
    QTest::newRow("inside") << States{S::Inside, S::Inside} << QStringList{"", ""};
    QTest::newRow("above twice") << States{S::Above, S::Above} << QStringList{"above", ""};
    QTest::newRow("above, below, above")
        << States{S::Above, S::Below, S::Above} << QStringList{"above", "below", "above"};
    QTest::newRow("back inside and out again")
        << States{S::Above, S::Inside, S::Above} << QStringList{"above", "", "above"};
    QTest::newRow("no rate in between")
        << States{S::Below, S::Unchanged, S::Below} << QStringList{"below", "", ""};
    QTest::newRow("alarm off in between")
        << States{S::Above, S::Off, S::Above} << QStringList{"above", "", "above"};
}

void TestAlarmNotice::noticeOnlyOnAChangeOutOfTheBand() {
    QFETCH(States, checks);
    QFETCH(QStringList, notices);
    AlarmNotices tracker;
    for (qsizetype i = 0; i < checks.size(); ++i) {
        const std::optional<AlarmNotice> notice =
            tracker.Checked(checks[i], 0.85, 0.8482, 0.8084, "ENU", u'.');
        QCOMPARE(notice.has_value(), !notices[i].isEmpty());
        if (notice)
            QVERIFY2(notice->Body.contains(notices[i] == "above"
                                               ? "above the upper limit of 0.8482"
                                               : "below the lower limit of 0.8084"),
                     qPrintable(notice->Body));
    }
}

QTEST_APPLESS_MAIN(TestAlarmNotice)
#include "tst_alarmnotice.moc"
