#include "platform/systembus.h"
#include "testkit/privatebus.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

// The system bus missing, or its services: one log line says so. (The window's readings on the
// services' signals, and that a stranger's signals count for nothing, are tst_wakereadings'.)
class TestSystemBus : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
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
