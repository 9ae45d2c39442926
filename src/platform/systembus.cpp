#include "platform/systembus.h"

#include "platform/applog.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QThread>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstring>

namespace {

const QString Login = QStringLiteral("org.freedesktop.login1");
const QString Network = QStringLiteral("org.freedesktop.NetworkManager");
const QString NetworkPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString ConnectionName = QStringLiteral("qzrate-system");
// A daemon that owns the name but does not answer must not keep the connection waiting long.
constexpr int CallTimeoutMs = 5000;

std::atomic<bool> Abandoned{false};

// Whether the bus daemon at a unix socket answers the first words of a connection within
// timeoutMs. libdbus waits for ever for a daemon that takes the connection and says nothing,
// and it waits on Qt's one D-Bus thread, which every connection of the program needs: the
// session bus of the notifications would wait too, and the window with it. Addresses of other
// kinds are left to libdbus.
bool DaemonAnswers(const QString& address, int timeoutMs) {
    QByteArray path;
    bool abstract = false;
    const QString first = address.section(u';', 0, 0);
    if (!first.startsWith(u"unix:"))
        return true;
    for (const QString& pair : first.mid(5).split(u',')) {
        const QString key = pair.section(u'=', 0, 0);
        if (key == u"path" || key == u"abstract") {
            path = QByteArray::fromPercentEncoding(pair.section(u'=', 1).toUtf8());
            abstract = key == u"abstract";
        }
    }
    sockaddr_un where{};
    where.sun_family = AF_UNIX;
    const qsizetype offset = abstract ? 1 : 0;
    if (path.isEmpty() || offset + path.size() >= qsizetype(sizeof where.sun_path))
        return true;
    std::memcpy(where.sun_path + offset, path.constData(), size_t(path.size()));
    const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + offset + path.size() + 1);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0)
        return true;
    bool answers = true;
    // A socket nobody listens on fails at once: libdbus says so in its own words.
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&where), length) == 0) {
        const QByteArray hello = QByteArray(1, '\0') + "AUTH EXTERNAL " +
                                 QByteArray::number(::getuid()).toHex() + "\r\n";
        pollfd wait{socket, POLLIN, 0};
        char answer = 0;
        answers =
            ::send(socket, hello.constData(), size_t(hello.size()), MSG_NOSIGNAL) == hello.size() &&
            ::poll(&wait, 1, timeoutMs) == 1 && ::recv(socket, &answer, 1, 0) == 1;
    }
    ::close(socket);
    return answers;
}

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
    if (!DaemonAnswers(address, CallTimeoutMs)) {
        qCWarning(lcApp).noquote()
            << "no system bus: its daemon does not answer; no reading on waking or when the"
               " network returns";
        return;
    }
    QDBusConnection bus = QDBusConnection::connectToBus(address, ConnectionName);
    if (!bus.isConnected()) {
        qCWarning(lcApp).noquote()
            << "no system bus: no reading on waking or when the network returns:"
            << bus.lastError().message();
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
        // Before Ready: a SystemBus that has heard it finds the thread done and waits for it.
        link->Finished = true;
        emit link->Ready();
    });
}

bool SystemBus::LeftConnecting() {
    return Abandoned;
}

#include "systembus.moc"
