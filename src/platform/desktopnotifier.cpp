#include "platform/desktopnotifier.h"

#include "platform/applog.h"
#include "platform/programicon.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QSettings>
#include <QVariantMap>

DesktopNotifier::DesktopNotifier(const QDBusConnection& bus, bool enabled, QObject* parent)
    : QObject(parent), Bus(bus), Enabled(enabled) {}

bool DesktopNotifier::EnabledIn(const QString& confPath) {
    return QSettings(confPath, QSettings::IniFormat)
        .value(QStringLiteral("Desktop/Notifications"), true)
        .toBool();
}

void DesktopNotifier::Notify(const QString& summary, const QString& body) {
    if (!Enabled)
        return;
    if (!Bus.isConnected()) {
        WarnOnce(QStringLiteral("no session bus"));
        return;
    }
    if (CallPending) {
        Waiting = Notice{summary, body};
        return;
    }
    Send(Notice{summary, body});
}

void DesktopNotifier::Send(const Notice& notice) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), DesktopId},
                            {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}};
    call << QStringLiteral("qzRate") << ShownId << DesktopId << notice.summary << notice.body
         << QStringList() << hints << int(-1);
    CallPending = true;
    auto* watcher = new QDBusPendingCallWatcher(Bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &DesktopNotifier::Answered);
}

void DesktopNotifier::Answered(QDBusPendingCallWatcher* call) {
    call->deleteLater();
    CallPending = false;
    const QDBusPendingReply<uint> reply = *call;
    if (reply.isError())
        WarnOnce(reply.error().message());
    else
        ShownId = reply.value();
    if (Waiting) {
        const Notice next = *Waiting;
        Waiting.reset();
        Send(next);
    }
}

void DesktopNotifier::WarnOnce(const QString& why) {
    if (Warned)
        return;
    Warned = true;
    qCWarning(lcApp) << "desktop notifications unavailable:" << why;
}
