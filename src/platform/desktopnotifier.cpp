#include "platform/desktopnotifier.h"

#include "platform/applog.h"
#include "platform/programicon.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QSettings>
#include <QVariantMap>

#include <utility>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString SilenceKey = QStringLiteral("silence");

} // namespace

DesktopNotifier::DesktopNotifier(const QDBusConnection& bus, bool enabled, QObject* parent)
    : QObject(parent), Bus(bus), Enabled(enabled) {
    if (!Enabled || !Bus.isConnected())
        return;
    AskCapabilities();
    // Qt matches the signal on the owner of the name: no other client can act for the user.
    Bus.connect(Service, Path, Service, QStringLiteral("ActionInvoked"), this,
                SLOT(ActionInvoked(uint, QString)));
}

bool DesktopNotifier::EnabledIn(const QString& confPath) {
    return QSettings(confPath, QSettings::IniFormat)
        .value(QStringLiteral("Desktop/Notifications"), true)
        .toBool();
}

void DesktopNotifier::Notify(const QString& summary, const QString& body, const QString& action) {
    if (!Enabled)
        return;
    if (!Bus.isConnected()) {
        WarnOnce(QStringLiteral("no session bus"));
        return;
    }
    if (CallPending) {
        Waiting = Notice{summary, body, action};
        CloseWaiting = false;
        return;
    }
    Send(Notice{summary, body, action});
}

void DesktopNotifier::Close() {
    if (CallPending) {
        Waiting.reset();
        CloseWaiting = true;
        return;
    }
    if (ShownId == 0)
        return;
    QDBusMessage close = Call(QStringLiteral("CloseNotification"));
    close << ShownId;
    Bus.send(close);
    ShownId = 0;
}

QDBusMessage DesktopNotifier::Call(const QString& method) const {
    return QDBusMessage::createMethodCall(Service, Path, Service, method);
}

void DesktopNotifier::AskCapabilities() {
    // A desktop that never answers simply gets no actions.
    auto* watcher =
        new QDBusPendingCallWatcher(Bus.asyncCall(Call(QStringLiteral("GetCapabilities"))), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                const QDBusPendingReply<QStringList> reply = *call;
                if (!reply.isError())
                    Capabilities = reply.value();
            });
}

bool DesktopNotifier::OffersActions() const {
    return Capabilities.contains(QStringLiteral("actions"));
}

void DesktopNotifier::ActionInvoked(uint id, const QString& key) {
    // Another program's notification, or one of ours that is no longer shown.
    if (id != 0 && id == ShownId && key == SilenceKey)
        emit SilenceAsked();
}

void DesktopNotifier::Send(const Notice& notice) {
    QDBusMessage call = Call(QStringLiteral("Notify"));
    QStringList actions;
    if (!notice.action.isEmpty() && OffersActions())
        actions << SilenceKey << notice.action;
    const QVariantMap hints{{QStringLiteral("desktop-entry"), DesktopId},
                            {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}};
    call << QStringLiteral("qzRate") << ShownId << DesktopId << notice.summary << notice.body
         << actions << hints << int(-1);
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
    } else if (std::exchange(CloseWaiting, false)) {
        Close();
    }
}

void DesktopNotifier::WarnOnce(const QString& why) {
    if (Warned)
        return;
    Warned = true;
    qCWarning(lcApp) << "desktop notifications unavailable:" << why;
}
