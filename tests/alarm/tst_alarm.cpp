#include "alarm/alarm.h"

#include <QTest>

Q_DECLARE_METATYPE(Sweep)

class TestAlarm : public QObject {
    Q_OBJECT

private slots:
    void checkAlarm_data();
    void checkAlarm();
};

void TestAlarm::checkAlarm_data() {
    QTest::addColumn<double>("rate");
    QTest::addColumn<double>("upper");
    QTest::addColumn<double>("lower");
    QTest::addColumn<bool>("alarmOn");
    QTest::addColumn<bool>("soundOn");
    QTest::addColumn<QString>("log");
    QTest::addColumn<Sweep>("sweep");
    QTest::addColumn<QString>("buttons"); // Max, Check, Min shown; then Max and Min timers

    QTest::newRow("above, sound on")
        << 0.85 << 0.8482 << 0.8084 << true << true << "alarm above" << Sweep::Rising << "X.. X.";
    QTest::newRow("above, sound off")
        << 0.85 << 0.8482 << 0.8084 << true << false << "alarm above" << Sweep::None << "X.. X.";
    QTest::newRow("on the upper limit")
        << 0.8482 << 0.8482 << 0.8084 << true << true << "alarm inside" << Sweep::None << ".X. ..";
    QTest::newRow("on the lower limit")
        << 0.8084 << 0.8482 << 0.8084 << true << true << "alarm inside" << Sweep::None << ".X. ..";
    QTest::newRow("below, sound on") << 0.8083 << 0.8482 << 0.8084 << true << true << "alarm below"
                                     << Sweep::Falling << "..X .X";
    QTest::newRow("below, sound off")
        << 0.8 << 0.8482 << 0.8084 << true << false << "alarm below" << Sweep::None << "..X .X";
    QTest::newRow("no levels: any rate is above")
        << 0.01 << 0.0 << 0.0 << true << true << "alarm above" << Sweep::Rising << "X.. X.";
    QTest::newRow("rate 0 changes nothing")
        << 0.0 << 0.8482 << 0.8084 << true << true << "" << Sweep::None << "... ..";
    QTest::newRow("rate 0.005 changes nothing")
        << 0.005 << 0.0 << 0.0 << true << true << "" << Sweep::None << "... ..";
    QTest::newRow("alarm off") << 0.9 << 0.8482 << 0.8084 << false << true << "alarm off"
                               << Sweep::None << "... ..";
    QTest::newRow("alarm off, rate 0")
        << 0.0 << 0.8482 << 0.8084 << false << true << "alarm off" << Sweep::None << "... ..";
}

void TestAlarm::checkAlarm() {
    QFETCH(double, rate);
    QFETCH(double, upper);
    QFETCH(double, lower);
    QFETCH(bool, alarmOn);
    QFETCH(bool, soundOn);
    QFETCH(QString, log);
    QFETCH(Sweep, sweep);
    QFETCH(QString, buttons);

    const AlarmDecision alarm = CheckAlarm(rate, upper, lower, alarmOn, soundOn);
    QCOMPARE(AlarmLogLine(alarm.State), log);
    QCOMPARE(alarm.Sound, sweep);
    const auto mark = [](bool on) { return on ? u'X' : u'.'; };
    QCOMPARE(QString() + mark(alarm.ShowMax) + mark(alarm.ShowCheck) + mark(alarm.ShowMin) + u' ' +
                 mark(alarm.MaxTimer) + mark(alarm.MinTimer),
             buttons);
}

QTEST_APPLESS_MAIN(TestAlarm)
#include "tst_alarm.moc"
