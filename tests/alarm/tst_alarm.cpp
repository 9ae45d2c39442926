#include "alarm/alarm.h"
#include "alarm/alarmsilence.h"

#include <QTest>

Q_DECLARE_METATYPE(Sweep)

class TestAlarm : public QObject {
    Q_OBJECT

private slots:
    void checkAlarm_data();
    void checkAlarm();
    void silence_data();
    void silence();
    void arrowClick_data();
    void arrowClick();
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

    const AlarmDecision alarm = DecideAlarm(rate, upper, lower, alarmOn, soundOn);
    QCOMPARE(AlarmLogLine(alarm.State), log);
    QCOMPARE(alarm.Sound, sweep);
    const auto mark = [](bool on) { return on ? u'X' : u'.'; };
    QCOMPARE(QString() + mark(alarm.ShowMax) + mark(alarm.ShowCheck) + mark(alarm.ShowMin) + u' ' +
                 mark(alarm.MaxTimer) + mark(alarm.MinTimer),
             buttons);
}

void TestAlarm::silence_data() {
    // A above, B below, I inside, O alarm off, U no rate; lower case: with the sound off.
    // C a click.
    QTest::addColumn<QString>("steps");
    // After each step: S silenced, . not.
    QTest::addColumn<QString>("silenced");
    // The result of each click: y silenced, n nothing.
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<QString>("toolTip");

    const QString sounding = "Klik om het geluid van het alarm uit te zetten";
    QTest::newRow("above: the click silences") << "AC"
                                               << ".S"
                                               << "y"
                                               << "Alarm stil";
    QTest::newRow("below: the click silences") << "BC"
                                               << ".S"
                                               << "y"
                                               << "Alarm stil";
    QTest::newRow("readings above stay silent") << "ACAA"
                                                << ".SSS"
                                                << "y"
                                                << "Alarm stil";
    QTest::newRow("a reading without a rate") << "ACUA"
                                              << ".SSS"
                                              << "y"
                                              << "Alarm stil";
    QTest::newRow("back inside ends it") << "ACI"
                                         << ".S."
                                         << "y"
                                         << "";
    QTest::newRow("out on the other side ends it") << "ACB"
                                                   << ".S."
                                                   << "y" << sounding;
    QTest::newRow("the alarm off ends it") << "BCO"
                                           << ".S."
                                           << "y"
                                           << "";
    QTest::newRow("the sound off ends it") << "ACa"
                                           << ".S."
                                           << "y"
                                           << "";
    QTest::newRow("the sound off and on sounds again") << "ACaA"
                                                       << ".S.."
                                                       << "y" << sounding;
    QTest::newRow("out again after inside sounds") << "BCIB"
                                                   << ".S.."
                                                   << "y" << sounding;
    QTest::newRow("a second click") << "ACC"
                                    << ".SS"
                                    << "yn"
                                    << "Alarm stil";
    QTest::newRow("a click inside") << "IC"
                                    << ".."
                                    << "n"
                                    << "";
    QTest::newRow("a click with the sound off") << "aC"
                                                << ".."
                                                << "n"
                                                << "";
    QTest::newRow("a click with the alarm off") << "OC"
                                                << ".."
                                                << "n"
                                                << "";
    QTest::newRow("a click before any rate") << "UC"
                                             << ".."
                                             << "n"
                                             << "";
}

void TestAlarm::silence() {
    QFETCH(QString, steps);
    QFETCH(QString, silenced);
    QFETCH(QString, clicks);
    QFETCH(QString, toolTip);

    AlarmSilence silence;
    QString states;
    QString clicked;
    for (const QChar step : steps) {
        const char c = step.toLatin1();
        if (c == 'C') {
            clicked += silence.Click() ? u'y' : u'n';
        } else {
            const AlarmState state = c == 'A' || c == 'a'   ? AlarmState::Above
                                     : c == 'B' || c == 'b' ? AlarmState::Below
                                     : c == 'I'             ? AlarmState::Inside
                                     : c == 'O'             ? AlarmState::Off
                                                            : AlarmState::Unchanged;
            silence.Checked(state, step.isUpper());
        }
        states += silence.Silenced() ? u'S' : u'.';
    }
    QCOMPARE(states, silenced);
    QCOMPARE(clicked, clicks);
    QCOMPARE(silence.ToolTip(), toolTip);
}

void TestAlarm::arrowClick_data() {
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("release");
    QTest::addColumn<bool>("click");
    // The spot at 100, 200, 22 x 24; the points in the window's coordinates.
    QTest::newRow("in place") << QPoint(110, 210) << QPoint(110, 210) << true;
    QTest::newRow("top-left pixel") << QPoint(100, 200) << QPoint(100, 200) << true;
    QTest::newRow("bottom-right pixel") << QPoint(121, 223) << QPoint(121, 223) << true;
    QTest::newRow("right of the spot") << QPoint(122, 210) << QPoint(122, 210) << false;
    QTest::newRow("below the spot") << QPoint(110, 224) << QPoint(110, 224) << false;
    QTest::newRow("left of the spot") << QPoint(99, 210) << QPoint(99, 210) << false;
    QTest::newRow("above the spot") << QPoint(110, 199) << QPoint(110, 199) << false;
    QTest::newRow("4 pixels right") << QPoint(110, 210) << QPoint(114, 210) << true;
    QTest::newRow("5 pixels up") << QPoint(110, 210) << QPoint(110, 205) << false;
    QTest::newRow("3 and 2 pixels") << QPoint(110, 210) << QPoint(107, 212) << true;
    QTest::newRow("3 and 3 pixels") << QPoint(110, 210) << QPoint(113, 213) << false;
    QTest::newRow("released off the spot") << QPoint(121, 210) << QPoint(124, 210) << true;
}

void TestAlarm::arrowClick() {
    QFETCH(QPoint, press);
    QFETCH(QPoint, release);
    QFETCH(bool, click);
    // The window elsewhere on the screen: the spot is in the window's coordinates.
    const QPoint window(456, 123);
    QCOMPARE(IsArrowClick(QRect(100, 200, 22, 24), press, window + press, window + release), click);
}

QTEST_APPLESS_MAIN(TestAlarm)
#include "tst_alarm.moc"
