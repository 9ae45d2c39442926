#include "platform/desktopnotifier.h"
#include "testkit/privatebus.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// Notifications over a real session bus of the test's own, received by a stand-in service.
class TestDesktopNotifier : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void nextNotificationReplacesTheLast();
    void connectsOnTheFirstNotice();
    void closedWhileTheDesktopIsAskedShowsNothing();
    void offMeansNothingReachesTheDesktop();
    void withoutServiceSilentAndLoggedOnce();
    void withoutBusSilentAndLoggedOnce();
    void switchInConfigFile_data();
    void switchInConfigFile();

private:
    std::unique_ptr<PrivateBus> Bus;
    std::unique_ptr<FakeNotifications> Service;
    int Connections = 0;
    QString ClientName;
    QString ServiceName;
};

void TestDesktopNotifier::initTestCase() {
    Bus = std::make_unique<PrivateBus>();
    QVERIFY2(Bus->IsUp(), "dbus-daemon did not start");
}

void TestDesktopNotifier::init() {
    ++Connections;
    ClientName = QStringLiteral("client%1").arg(Connections);
    ServiceName = QStringLiteral("service%1").arg(Connections);
    Service = std::make_unique<FakeNotifications>();
}

void TestDesktopNotifier::cleanup() {
    Service.reset();
    QDBusConnection::disconnectFromBus(ClientName);
    QDBusConnection::disconnectFromBus(ServiceName);
}

void TestDesktopNotifier::nextNotificationReplacesTheLast() {
    QVERIFY(Service->Register(Bus->Connect(ServiceName)));
    DesktopNotifier notifier(Bus->Connect(ClientName), true);
    // Connected, and shown and closed once, so nothing is on its way.
    notifier.Notify("above", "zero");
    QTRY_COMPARE(Service->Requests.size(), 1);
    notifier.Close();
    QTRY_COMPARE(Service->Closed, QList<uint>{41});
    // Said one after the other, before the desktop answered the first: the last replaces the
    // first, and the one between them is never shown.
    notifier.Notify("above", "first");
    notifier.Notify("below", "second");
    notifier.Notify("above", "third");
    QTRY_COMPARE(Service->Requests.size(), 3);
    QCOMPARE(Service->Requests[1].replacesId, 0u);
    QCOMPARE(Service->Requests[1].appName, QStringLiteral("qzRate"));
    QCOMPARE(Service->Requests[1].appIcon, QStringLiteral("nl.qzrate.qzRate"));
    QCOMPARE(Service->Requests[1].summary, QStringLiteral("above"));
    QCOMPARE(Service->Requests[1].body, QStringLiteral("first"));
    // The desktop finds the program's entry, shows it as a normal notice for as long as it
    // likes.
    QCOMPARE(Service->Requests[1].hints.value("desktop-entry").toString(), "nl.qzrate.qzRate");
    QCOMPARE(Service->Requests[1].hints.value("urgency").toInt(), 1);
    QCOMPARE(Service->Requests[1].expireTimeout, -1);
    QCOMPARE(Service->Requests[2].replacesId, 42u);
    QCOMPARE(Service->Requests[2].body, QStringLiteral("third"));

    // Later ones go on replacing the same notification.
    notifier.Notify("below", "fourth");
    QTRY_COMPARE(Service->Requests.size(), 4);
    QCOMPARE(Service->Requests[3].replacesId, 42u);
    QCOMPARE(Service->Requests[3].summary, QStringLiteral("below"));
}

void TestDesktopNotifier::connectsOnTheFirstNotice() {
    QVERIFY(Service->Register(Bus->Connect(ServiceName)));
    int connections = 0;
    DesktopNotifier notifier(
        [&] {
            ++connections;
            return Bus->Connect(ClientName);
        },
        true);
    notifier.Close();
    QCOMPARE(connections, 0);
    notifier.Notify("above", "first");
    notifier.Notify("below", "second");
    QTRY_COMPARE(Service->Requests.size(), 1);
    QCOMPARE(Service->Requests[0].body, QStringLiteral("second"));
    QCOMPARE(connections, 1);
}

void TestDesktopNotifier::closedWhileTheDesktopIsAskedShowsNothing() {
    QVERIFY(Service->Register(Bus->Connect(ServiceName)));
    // Never says what it can do: the notice waits the whole second for it.
    Service->Mute = true;
    DesktopNotifier notifier(Bus->Connect(ClientName), true);
    notifier.Notify("above", "first");
    notifier.Close();
    QTest::qWait(1500);
    QCOMPARE(Service->Requests.size(), 0);
}

void TestDesktopNotifier::offMeansNothingReachesTheDesktop() {
    QVERIFY(Service->Register(Bus->Connect(ServiceName)));
    DesktopNotifier off(Bus->Connect(ClientName), false);
    off.Notify("above", "first");
    // Nothing before a notifier that is on gets through either.
    DesktopNotifier on(Bus->Connect(ClientName), true);
    on.Notify("above", "marker");
    QTRY_COMPARE(Service->Requests.size(), 1);
    QCOMPARE(Service->Requests[0].body, QStringLiteral("marker"));
}

void TestDesktopNotifier::withoutServiceSilentAndLoggedOnce() {
    DesktopNotifier notifier(Bus->Connect(ClientName), true);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("desktop notifications unavailable: .*"));
    QTest::failOnWarning(QRegularExpression(".*"));
    notifier.Notify("above", "first");
    notifier.Notify("above", "second");
    // The bus refuses both calls at once; give the refusals time to come back.
    QTest::qWait(1000);
}

void TestDesktopNotifier::withoutBusSilentAndLoggedOnce() {
    DesktopNotifier notifier(QDBusConnection::connectToBus("unix:path=/nonexistent", ClientName),
                             true);
    QTest::ignoreMessage(QtWarningMsg, "desktop notifications unavailable: \"no session bus\"");
    QTest::failOnWarning(QRegularExpression(".*"));
    notifier.Notify("above", "first");
    notifier.Notify("below", "second");
}

void TestDesktopNotifier::switchInConfigFile_data() {
    QTest::addColumn<QString>("content");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("no file") << QString() << true;
    QTest::newRow("other sections only") << "[Sources]\nIEX=www.iex.nl\n" << true;
    QTest::newRow("false") << "[Desktop]\nNotifications=false\n" << false;
    QTest::newRow("0") << "[Desktop]\nNotifications=0\n" << false;
    QTest::newRow("true") << "[Desktop]\nNotifications=true\n" << true;
}

void TestDesktopNotifier::switchInConfigFile() {
    QFETCH(QString, content);
    QFETCH(bool, enabled);
    QTemporaryDir folder;
    const QString path = folder.filePath("qzrate.conf");
    if (!content.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content.toUtf8());
    }
    QCOMPARE(DesktopNotifier::EnabledIn(path), enabled);
}

QTEST_GUILESS_MAIN(TestDesktopNotifier)
#include "tst_desktopnotifier.moc"
