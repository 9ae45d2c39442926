#include "platform/systembus.h"

#include "platform/applog.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QThread>

namespace {

const QString Login = QStringLiteral("org.freedesktop.login1");
const QString Network = QStringLiteral("org.freedesktop.NetworkManager");
const QString NetworkPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString ConnectionName = QStringLiteral("qzrate-system");
// A daemon that owns the name but does not answer must not keep the connection waiting long.
constexpr int StateTimeoutMs = 5000;

} // namespace

SystemBus::SystemBus(QObject* parent) : QObject(parent) {}

SystemBus::~SystemBus() {
    if (Worker) {
        Worker->wait();
        delete Worker;
    }
    QDBusConnection::disconnectFromBus(ConnectionName);
}

void SystemBus::Connect() {
    if (Worker)
        return;
    Worker = QThread::create([this] { ConnectNow(); });
    Worker->start();
}

void SystemBus::ConnectNow() {
    // Named as libdbus names it, read at each connection rather than once per process.
    const QString address = qEnvironmentVariable(
        "DBUS_SYSTEM_BUS_ADDRESS", QStringLiteral("unix:path=/var/run/dbus/system_bus_socket"));
    QDBusConnection bus = QDBusConnection::connectToBus(address, ConnectionName);
    if (!bus.isConnected()) {
        qCWarning(lcApp).noquote()
            << "no system bus: no reading on waking or when the network returns:"
            << bus.lastError().message();
        emit Ready();
        return;
    }
    // Qt matches each signal on the name's owner, and follows the owner when it changes. Hooked
    // up before the state is read, so no change falls between the two.
    bus.connect(Login, QStringLiteral("/org/freedesktop/login1"),
                QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                this, SLOT(PrepareForSleep(bool)));
    bus.connect(Network, NetworkPath, Network, QStringLiteral("StateChanged"), this,
                SLOT(StateChanged(uint)));

    QStringList missing;
    if (!bus.interface()->isServiceRegistered(Login))
        missing << QStringLiteral("no logind: no reading on waking");
    QDBusMessage get = QDBusMessage::createMethodCall(
        Network, NetworkPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << Network << QStringLiteral("State");
    const QDBusReply<QDBusVariant> state = bus.call(get, QDBus::Block, StateTimeoutMs);
    if (state.isValid())
        emit NetworkState(state.value().variant().toUInt(), false);
    else
        missing << QStringLiteral("no NetworkManager: no waiting for the network");
    if (!missing.isEmpty())
        qCWarning(lcApp).noquote() << "system bus:" << missing.join(QStringLiteral(", "));
    emit Ready();
}

void SystemBus::PrepareForSleep(bool start) {
    if (!start)
        emit Woke();
}

void SystemBus::StateChanged(uint state) {
    qCInfo(lcApp) << "network state" << state;
    emit NetworkState(state, true);
}
