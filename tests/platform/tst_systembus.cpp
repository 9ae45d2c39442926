#include "platform/systembus.h"
#include "privatebus.h"

#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <QTest>

#include <memory>

// The system bus as the program meets it: a private dbus-daemon stands in for it, named by
// DBUS_SYSTEM_BUS_ADDRESS, and the test plays logind and NetworkManager.
class TestSystemBus : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void signalsOfTheNamesOwnersOnly();
    void withoutServicesOneLogLine();
    void withoutBusOneLogLine();

private:
    std::unique_ptr<PrivateBus> Bus;
};

void TestSystemBus::initTestCase() {
    Bus = std::make_unique<PrivateBus>();
    QVERIFY2(Bus->IsUp(), "dbus-daemon did not start");
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", Bus->BusAddress());
}

void TestSystemBus::cleanup() {
    QDBusConnection::disconnectFromBus("services");
    QDBusConnection::disconnectFromBus("stranger");
}

void TestSystemBus::signalsOfTheNamesOwnersOnly() {
    FakeSystemServices services;
    services.State = 40;
    QVERIFY(services.Register(Bus->Connect("services")));
    SystemBus bus;
    QSignalSpy ready(&bus, &SystemBus::Ready);
    QSignalSpy woke(&bus, &SystemBus::Woke);
    QSignalSpy state(&bus, &SystemBus::NetworkState);
    QTest::failOnWarning(QRegularExpression(".*"));
    bus.Connect();
    QVERIFY(ready.wait());
    QCOMPARE(state.count(), 1);
    QCOMPARE(state[0], (QVariantList{40u, false}));

    // A client that does not own the names sends the same signals; then the owner sends a
    // going to sleep, a wake and a change of state, the last one after the bus has passed the
    // stranger's on.
    QDBusConnection stranger = Bus->Connect("stranger");
    FakeSystemServices::PrepareForSleep(stranger, false);
    FakeSystemServices::StateChanged(stranger, 70);
    QVERIFY(stranger.interface()->serviceOwner("org.freedesktop.DBus").isValid());
    FakeSystemServices::PrepareForSleep(Bus->Connect("services"), true);
    services.Wake();
    services.SetState(60);
    QTRY_COMPARE(state.last(), (QVariantList{60u, true}));
    QCOMPARE(state.count(), 2);
    QCOMPARE(woke.count(), 1);
}

void TestSystemBus::withoutServicesOneLogLine() {
    SystemBus bus;
    QSignalSpy ready(&bus, &SystemBus::Ready);
    QTest::ignoreMessage(QtWarningMsg, "system bus: no logind: no reading on waking, no "
                                       "NetworkManager: no waiting for the network");
    QTest::failOnWarning(QRegularExpression(".*"));
    bus.Connect();
    QVERIFY(ready.wait());
}

void TestSystemBus::withoutBusOneLogLine() {
    const QByteArray address = qgetenv("DBUS_SYSTEM_BUS_ADDRESS");
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent");
    SystemBus bus;
    QSignalSpy ready(&bus, &SystemBus::Ready);
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("no system bus: no reading on waking or when the "
                                            "network returns: .+"));
    QTest::failOnWarning(QRegularExpression(".*"));
    bus.Connect();
    QVERIFY(ready.wait());
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
}

QTEST_GUILESS_MAIN(TestSystemBus)
#include "tst_systembus.moc"
