#include "app/mainform.h"
#include "app/windowset.h"
#include "platform/desktopnotifier.h"
#include "testkit/privatebus.h"
#include "testkit/stallmeter.h"
#include "testkit/testhome.h"
#include "testkit/windowfixture.h"

#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <memory>

// The main window's alarm speaking through the desktop's notifications, on a real session bus
// of the test's own with a stand-in notification service.
class TestAlarmNotification : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void theActionSilencesTheNotificationShown();
    void aDesktopThatNeverAnswers();

private:
    // A window above the band of 0,8084 and 0,8482, with alarm and sound on.
    void CreateWindow(bool serviceAnswers);

    TestHome Home;
    std::unique_ptr<PrivateBus> Bus;
    std::unique_ptr<FakeNotifications> Service;
    std::unique_ptr<DesktopNotifier> Notifier;
    std::unique_ptr<WindowFixture> Window;
    TMainForm* Main = nullptr;
    QList<Sweep> Sweeps;
    int Round = 0;
};

void TestAlarmNotification::initTestCase() {
    QVERIFY(Home.IsValid());
    Bus = std::make_unique<PrivateBus>();
    QVERIFY2(Bus->IsUp(), "dbus-daemon did not start");
}

void TestAlarmNotification::init() {
    ++Round;
    Sweeps.clear();
}

void TestAlarmNotification::cleanup() {
    Window.reset();
    Notifier.reset();
    Service.reset();
    for (const char* name : {"service", "client", "stranger"})
        QDBusConnection::disconnectFromBus(name + QString::number(Round));
}

void TestAlarmNotification::CreateWindow(bool serviceAnswers) {
    Service = std::make_unique<FakeNotifications>();
    Service->Mute = !serviceAnswers;
    QVERIFY(Service->Register(Bus->Connect("service" + QString::number(Round))));
    Notifier =
        std::make_unique<DesktopNotifier>(Bus->Connect("client" + QString::number(Round)), true);
    Window = std::make_unique<WindowFixture>(Home.Ini());
    Main = Window->Main;
    Window->Set->Attach(*Notifier);
    Main->Alarm.PlaySweep = [this](Sweep sweep) { Sweeps << sweep; };
    Main->Regional.decimalSeparator = u',';
    Main->Desk.Trading.SellLevel = 0.8482;
    Main->Desk.Trading.BuyLevel = 0.8084;
    Window->Set->Settings.Apply({.AlarmOn = true, .SoundOn = true, .UpdatesOn = true});
}

void TestAlarmNotification::theActionSilencesTheNotificationShown() {
    CreateWindow(true);
    // The first notice waits for the desktop to say it shows actions, and carries one.
    Main->CheckAlarm(0.8500);
    QTRY_COMPARE(Service->Requests.size(), 1);
    const QStringList actions = Service->Requests[0].actions;
    QCOMPARE(actions.size(), 2);
    QCOMPARE(actions[0], QStringLiteral("silence"));
    QVERIFY2(actions[1] == "Stil" || actions[1] == "Silence", qPrintable(actions[1]));
    QCOMPARE(Sweeps, QList<Sweep>{Sweep::Rising});

    // Another notification's action, another action, the same signal from a client that does
    // not own the service's name: none silences. The owner's own then does, and the
    // notification goes.
    QSignalSpy silenced(Notifier.get(), &DesktopNotifier::SilenceAsked);
    Service->InvokeAction(7, "silence");
    Service->InvokeAction(41, "default");
    FakeNotifications stranger;
    stranger.Register(Bus->Connect("stranger" + QString::number(Round)));
    stranger.InvokeAction(41, "silence");
    Service->InvokeAction(41, "silence");
    QVERIFY(silenced.wait());
    QCOMPARE(silenced.count(), 1);
    QVERIFY(Main->Alarm.Silence.Silenced());
    QCOMPARE(Main->AlarmSpot->toolTip(), QStringLiteral("Alarm stil"));
    QTRY_COMPARE(Service->Closed, QList<uint>{41});
    Main->CheckAlarm(0.8600);
    QCOMPARE(Sweeps, QList<Sweep>{Sweep::Rising});

    // Out on the other side: a new notification; the old one's action is stale.
    Main->CheckAlarm(0.8000);
    QCOMPARE(Sweeps, (QList<Sweep>{Sweep::Rising, Sweep::Falling}));
    QTRY_COMPARE(Service->Requests.size(), 2);
    Service->InvokeAction(41, "silence");
    Service->InvokeAction(42, "silence");
    QVERIFY(silenced.wait());
    QCOMPARE(silenced.count(), 2);
    QVERIFY(Main->Alarm.Silence.Silenced());
}

void TestAlarmNotification::aDesktopThatNeverAnswers() {
    CreateWindow(false);
    StallMeter stalls;
    for (double rate : {0.8500, 0.8000, 0.8300, 0.8500}) {
        Main->CheckAlarm(rate);
        QSignalSpy never(Notifier.get(), &DesktopNotifier::SilenceAsked);
        never.wait(200);
    }
    // Read before the window's first reading, a second after its creation.
    QVERIFY2(stalls.LongestMs() < 16, qPrintable(QString::number(stalls.LongestMs())));
    // The first notice went without an action once the desktop had not said what it can do;
    // the others wait for its answer.
    QTRY_COMPARE(Service->Requests.size(), 1);
    QVERIFY(Service->Requests[0].actions.isEmpty());
}

QTEST_MAIN(TestAlarmNotification)
#include "tst_alarmnotification.moc"
