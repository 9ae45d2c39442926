#include "alarm/alarmwatch.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

// The arrows' tooltip while the alarm sounds.
const QString Sounds = QStringLiteral("Klik om het geluid van het alarm uit te zetten");

} // namespace

// The alarm from check to check without a window: the band of 0,8084 to 0,8482, notices in
// Dutch with a decimal comma.
class TestAlarmWatch : public QObject {
    Q_OBJECT

    std::unique_ptr<AlarmWatch> Watch;
    QString Sweeps;

    void Check(double rate, bool alarmOn = true, bool soundOn = true) {
        Watch->CheckAlarm(rate, 0.8482, 0.8084, alarmOn, soundOn, QStringLiteral("NLD"), u',');
    }

private slots:
    void init() {
        Watch = std::make_unique<AlarmWatch>();
        Sweeps.clear();
        Watch->PlaySweep = [this](Sweep sweep) { Sweeps += sweep == Sweep::Rising ? u'R' : u'F'; };
    }

    void oneNotificationPerChangeOfState() {
        QSignalSpy raised(Watch.get(), &AlarmWatch::NoticeRaised);
        QSignalSpy withdrawn(Watch.get(), &AlarmWatch::NoticeWithdrawn);
        // A move above the band, checked up to three times for one reading as the window does.
        for (int i = 0; i < 3; ++i)
            Check(0.8500);
        QCOMPARE(raised.size(), 1);
        QVERIFY(raised[0][1].toString().contains("0,8500"));
        QVERIFY(raised[0][1].toString().contains("0,8482"));
        // The next reading still above says nothing new.
        Check(0.8600);
        // Back inside: the notification goes.
        Check(0.8300);
        QCOMPARE(withdrawn.size(), 1);
        QCOMPARE(raised.size(), 1);

        // Then below, and above: a new one each time.
        Check(0.8000);
        QCOMPARE(raised.size(), 2);
        QVERIFY(raised[1][1].toString().contains("0,8084"));
        Check(0.8600);
        QCOMPARE(raised.size(), 3);
        // The alarm switched off takes it away as well.
        Check(0.8600, false);
        QCOMPARE(withdrawn.size(), 2);
    }

    void aCheck_data() {
        QTest::addColumn<double>("rate");
        QTest::addColumn<bool>("alarmOn");
        QTest::addColumn<bool>("soundOn");
        // A click on the arrow after the check, then the same check again.
        QTest::addColumn<bool>("click");
        // The sweeps | each notice's action in brackets | the notices withdrawn | the arrows'
        // tooltip at the end ("-": nothing shown).
        QTest::addColumn<QString>("outcome");
        QTest::newRow("above") << 0.85 << true << true << false << "R|[Stil]|0|" + Sounds;
        QTest::newRow("below") << 0.80 << true << true << false << "F|[Stil]|0|" + Sounds;
        QTest::newRow("above, sound off") << 0.85 << true << false << false << "|[]|0|";
        QTest::newRow("inside") << 0.83 << true << true << false << "||1|";
        QTest::newRow("alarm off") << 0.85 << false << true << false << "||1|";
        QTest::newRow("no rate") << 0.0 << true << true << false << "||0|-";
        QTest::newRow("above, clicked") << 0.85 << true << true << true << "R|[Stil]|1|Alarm stil";
        QTest::newRow("above with the sound off, clicked")
            << 0.85 << true << false << true << "|[]|0|";
    }

    void aCheck() {
        QFETCH(double, rate);
        QFETCH(bool, alarmOn);
        QFETCH(bool, soundOn);
        QFETCH(bool, click);
        QFETCH(QString, outcome);

        QSignalSpy raised(Watch.get(), &AlarmWatch::NoticeRaised);
        QSignalSpy withdrawn(Watch.get(), &AlarmWatch::NoticeWithdrawn);
        QString shown = QStringLiteral("-");
        connect(Watch.get(), &AlarmWatch::DisplayChanged, this,
                [&shown](const AlarmDisplay& display) { shown = display.ToolTip; });
        Check(rate, alarmOn, soundOn);
        if (click) {
            Watch->SilenceAlarm();
            Check(rate, alarmOn, soundOn);
        }
        QString actions;
        for (const QList<QVariant>& notice : raised)
            actions += u'[' + notice[2].toString() + u']';
        QCOMPARE(Sweeps + u'|' + actions + u'|' + QString::number(withdrawn.size()) + u'|' + shown,
                 outcome);
    }
};

QTEST_GUILESS_MAIN(TestAlarmWatch)
#include "tst_alarmwatch.moc"
