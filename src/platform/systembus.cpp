#include "platform/systembus.h"

#include "platform/applog.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QThread>

#include <atomic>

namespace {

const QString Login = QStringLiteral("org.freedesktop.login1");
const QString Network = QStringLiteral("org.freedesktop.NetworkManager");
const QString NetworkPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString ConnectionName = QStringLiteral("qzrate-system");
// A daemon that owns the name but does not answer must not keep the connection waiting long.
constexpr int CallTimeoutMs = 5000;

std::atomic<bool> Abandoned{false};

} // namespace

// Receives the bus's signals on the window's thread and passes them on. The connecting thread
// holds it as long as it runs, so a SystemBus that goes meanwhile leaves it nothing dangling.
class SystemBusLink : public QObject {
    Q_OBJECT

public:
    void ConnectNow();
    std::atomic<bool> Finished{false};

signals:
    void Woke();
    void NetworkState(uint state, bool changed);
    void Ready();

private slots:
    void PrepareForSleep(bool start) {
        if (!start)
            emit Woke();
    }
    void StateChanged(uint state) {
        qCInfo(lcApp) << "network state" << state;
        emit NetworkState(state, true);
    }
};

void SystemBusLink::ConnectNow() {
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
    QDBusMessage owner = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    owner << Login;
    const QDBusReply<bool> login = bus.call(owner, QDBus::Block, CallTimeoutMs);
    if (!login.isValid() || !login.value())
        missing << QStringLiteral("no logind: no reading on waking");
    QDBusMessage get = QDBusMessage::createMethodCall(
        Network, NetworkPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << Network << QStringLiteral("State");
    const QDBusReply<QDBusVariant> state = bus.call(get, QDBus::Block, CallTimeoutMs);
    if (state.isValid())
        emit NetworkState(state.value().variant().toUInt(), false);
    else
        missing << QStringLiteral("no NetworkManager: no waiting for the network");
    if (!missing.isEmpty())
        qCWarning(lcApp).noquote() << "system bus:" << missing.join(QStringLiteral(", "));
    emit Ready();
}

SystemBus::SystemBus(QObject* parent)
    : QObject(parent), Link(new SystemBusLink, [](SystemBusLink* link) {
          // The last holder may be the connecting thread, ending after the window's.
          if (link->thread() == QThread::currentThread())
              delete link;
          else
              link->deleteLater();
      }) {
    connect(Link.get(), &SystemBusLink::Woke, this, &SystemBus::Woke);
    connect(Link.get(), &SystemBusLink::NetworkState, this, &SystemBus::NetworkState);
    connect(Link.get(), &SystemBusLink::Ready, this, &SystemBus::Ready);
}

SystemBus::~SystemBus() {
    if (!Worker.joinable())
        return;
    if (!Link->Finished) {
        // libdbus waits without end for a daemon that accepted the connection and says nothing.
        Link->disconnect(this);
        Worker.detach();
        Abandoned = true;
        return;
    }
    Worker.join();
    QDBusConnection::disconnectFromBus(ConnectionName);
}

void SystemBus::Connect() {
    if (Worker.joinable())
        return;
    Worker = std::thread([link = Link] {
        link->ConnectNow();
        link->Finished = true;
    });
}

bool SystemBus::LeftConnecting() {
    return Abandoned;
}

#include "systembus.moc"
