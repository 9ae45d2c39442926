#pragma once

#include <QDBusConnection>
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
    // A connection of its own under the given name.
    QDBusConnection Connect(const QString& name) const {
        return QDBusConnection::connectToBus(QString::fromUtf8(Address), name);
    }

private:
    QProcess Daemon;
    QByteArray Address;
};

// The receiving end of the desktop's notifications, keeping what it was asked to show.
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
    };

    // Registers itself on the bus; false when the name or the object is taken.
    bool Register(QDBusConnection bus) {
        return bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                  QDBusConnection::ExportAllSlots) &&
               bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }

    QList<Request> Requests;

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon,
                const QString& summary, const QString& body, const QStringList&,
                const QVariantMap& hints, int expireTimeout) {
        Requests.append({appName, replacesId, appIcon, summary, body, hints, expireTimeout});
        // A new notification gets a new id; a replaced one keeps its own.
        return replacesId != 0 ? replacesId : uint(40 + Requests.size());
    }
};
