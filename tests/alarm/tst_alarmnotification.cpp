#include "app/mainform.h"
#include "app/windows.h"
#include "platform/desktopnotifier.h"
#include "privatebus.h"
#include "settings/appliedsettings.h"
#include "settings/settingsstore.h"

#include <QTemporaryDir>
#include <QTest>

// The main window's alarm speaking through the desktop's notifications, on a real session bus
// of the test's own with a stand-in notification service.
class TestAlarmNotification : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void oneNotificationPerChangeOfState();

private:
    QTemporaryDir Folder;
};

void TestAlarmNotification::initTestCase() {
    QVERIFY(Folder.isValid());
    qputenv("XDG_DATA_HOME", Folder.filePath("data").toUtf8());
    qputenv("XDG_CONFIG_HOME", Folder.filePath("config").toUtf8());
    qputenv("QZRATE_IEX_URL", "http://127.0.0.1:9/");
    qputenv("QZRATE_D2E_URL", "http://127.0.0.1:9/");
}

void TestAlarmNotification::oneNotificationPerChangeOfState() {
    PrivateBus bus;
    QVERIFY2(bus.IsUp(), "dbus-daemon did not start");
    FakeNotifications service;
    QVERIFY(service.Register(bus.Connect("service")));
    DesktopNotifier notifier(bus.Connect("client"), true);

    Windows windows(SettingsStore::AtPath(Folder.filePath("qzRate.ini")));
    TMainForm& main = *windows.MainForm;
    main.Notifier = &notifier;
    main.PlaySweep = {};
    main.Regional.decimalSeparator = u',';
    main.Trading.SellLevel = 0.8482;
    main.Trading.BuyLevel = 0.8084;
    SharedAppliedSettings().AlarmOn = true;

    // A move above the band, checked up to three times for one reading as the window does.
    for (int i = 0; i < 3; ++i)
        main.CheckAlarm(0.8500);
    QTRY_COMPARE(service.Requests.size(), 1);
    QVERIFY(service.Requests[0].body.contains("0,8500"));
    QVERIFY(service.Requests[0].body.contains("0,8482"));
    // The next reading still above says nothing new.
    main.CheckAlarm(0.8600);
    QTest::qWait(300);
    QCOMPARE(service.Requests.size(), 1);

    // Back inside, then below: one more, replacing the first.
    main.CheckAlarm(0.8300);
    main.CheckAlarm(0.8000);
    QTRY_COMPARE(service.Requests.size(), 2);
    QCOMPARE(service.Requests[1].replacesId, 41u);
    QVERIFY(service.Requests[1].body.contains("0,8084"));
}

QTEST_MAIN(TestAlarmNotification)
#include "tst_alarmnotification.moc"
