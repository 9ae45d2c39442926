#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QVariantMap>

// A session bus of the test's own: a real dbus-daemon, ended with the object.
class PrivateBus {
public:
    PrivateBus() {
        Daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--nofork"),
                      QStringLiteral("--print-address=1")});
        if (Daemon.waitForStarted(10000)) {
            while (!Address.contains('\n') && Daemon.waitForReadyRead(10000))
                Address += Daemon.readAllStandardOutput();
        }
        Address = Address.trimmed();
    }
    ~PrivateBus() {
        Daemon.terminate();
        Daemon.waitForFinished(5000);
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool IsUp() const { return !Address.isEmpty(); }
    QByteArray BusAddress() const { return Address; }
    // A connection of its own under the given name.
    QDBusConnection Connect(const QString& name) const {
        return QDBusConnection::connectToBus(QString::fromUtf8(Address), name);
    }

private:
    QProcess Daemon;
    QByteArray Address;
};

// The receiving end of the desktop's notifications, keeping what it was asked to show and
// close. It offers actions, and the user's choice of one is played by InvokeAction. A mute one
// never answers.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Request {
        QString appName;
        uint replacesId;
        QString appIcon;
        QString summary;
        QString body;
        QVariantMap hints;
        int expireTimeout;
        QStringList actions;
    };

    // Registers itself on the bus; false when the name or the object is taken.
    bool Register(QDBusConnection bus) {
        Bus = bus;
        return bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                  QDBusConnection::ExportAllSlots) &&
               bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }

    // The user chose an action of the notification id.
    void InvokeAction(uint id, const QString& key) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"));
        signal << id << key;
        Bus.send(signal);
    }

    QList<Request> Requests;
    QList<uint> Closed;
    QStringList Capabilities{QStringLiteral("body"), QStringLiteral("actions")};
    bool Mute = false;

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int expireTimeout, const QDBusMessage& message) {
        message.setDelayedReply(Mute);
        Requests.append(
            {appName, replacesId, appIcon, summary, body, hints, expireTimeout, actions});
        // A new notification gets a new id; a replaced one keeps its own.
        return replacesId != 0 ? replacesId : uint(40 + Requests.size());
    }
    QStringList GetCapabilities(const QDBusMessage& message) {
        message.setDelayedReply(Mute);
        return Capabilities;
    }
    void CloseNotification(uint id) { Closed.append(id); }

private:
    QDBusConnection Bus{QString()};
};

// logind and NetworkManager as the system bus shows them: owns both names, has NetworkManager's
// State property and sends their signals. The static functions play a stranger's signals on any
// connection.
class FakeSystemServices : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.NetworkManager")
    Q_PROPERTY(uint State MEMBER State)

public:
    // Registers itself on the bus; false when a name or the object is taken.
    bool Register(QDBusConnection bus) {
        Bus = bus;
        return bus.registerObject(QStringLiteral("/org/freedesktop/NetworkManager"), this,
                                  QDBusConnection::ExportAllProperties) &&
               bus.registerService(QStringLiteral("org.freedesktop.login1")) &&
               bus.registerService(QStringLiteral("org.freedesktop.NetworkManager"));
    }

    // start: the machine goes to sleep; false: it woke.
    static void PrepareForSleep(QDBusConnection bus, bool start) {
        Send(bus, "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep",
             start);
    }
    static void StateChanged(QDBusConnection bus, uint state) {
        Send(bus, "/org/freedesktop/NetworkManager", "org.freedesktop.NetworkManager",
             "StateChanged", state);
    }
    void Wake() { PrepareForSleep(Bus, false); }
    void SetState(uint state) {
        State = state;
        StateChanged(Bus, state);
    }

    uint State = 70;

private:
    static void Send(QDBusConnection bus, const char* path, const char* interface, const char* name,
                     const QVariant& argument) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QString::fromLatin1(path), QString::fromLatin1(interface), QString::fromLatin1(name));
        signal << argument;
        bus.send(signal);
    }

    QDBusConnection Bus{QString()};
};
