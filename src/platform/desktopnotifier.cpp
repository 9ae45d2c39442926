#include "platform/desktopnotifier.h"

#include "platform/applog.h"
#include "platform/programicon.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QSettings>
#include <QTimer>
#include <QVariantMap>

#include <utility>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString SilenceKey = QStringLiteral("silence");
// A desktop that has not said what it can do by then gets no actions on the first notice.
constexpr int CapabilitiesWaitMs = 1000;

} // namespace

DesktopNotifier::DesktopNotifier(Connect connect, bool enabled, QObject* parent)
    : QObject(parent), ConnectBus(std::move(connect)), Enabled(enabled) {}

DesktopNotifier::DesktopNotifier(const QDBusConnection& bus, bool enabled, QObject* parent)
    : DesktopNotifier([bus] { return bus; }, enabled, parent) {}

bool DesktopNotifier::EnsureConnected() {
    if (Bus)
        return Bus->isConnected();
    Bus = std::exchange(ConnectBus, nullptr)();
    if (!Bus->isConnected())
        return false;
    AskCapabilities();
    // Qt matches the signal on the owner of the name: no other client can act for the user.
    Bus->connect(Service, Path, Service, QStringLiteral("ActionInvoked"), this,
                 SLOT(ActionInvoked(uint, QString)));
    return true;
}

bool DesktopNotifier::EnabledIn(const QString& confPath) {
    return QSettings(confPath, QSettings::IniFormat)
        .value(QStringLiteral("Desktop/Notifications"), true)
        .toBool();
}

void DesktopNotifier::Notify(const QString& summary, const QString& body, const QString& action) {
    if (!Enabled)
        return;
    if (!EnsureConnected()) {
        WarnOnce(QStringLiteral("no session bus"));
        return;
    }
    if (CallPending || AskingCapabilities) {
        Waiting = Notice{summary, body, action};
        CloseWaiting = false;
        return;
    }
    Send(Notice{summary, body, action});
}

void DesktopNotifier::Close() {
    if (CallPending || AskingCapabilities) {
        Waiting.reset();
        CloseWaiting = true;
        return;
    }
    if (ShownId == 0)
        return;
    QDBusMessage close = Call(QStringLiteral("CloseNotification"));
    close << ShownId;
    Bus->send(close);
    ShownId = 0;
}

QDBusMessage DesktopNotifier::Call(const QString& method) const {
    return QDBusMessage::createMethodCall(Service, Path, Service, method);
}

void DesktopNotifier::AskCapabilities() {
    // What is said meanwhile waits for the answer, so the first notice can carry its action,
    // but not for long: a desktop that has not answered within a second gets no action on it.
    AskingCapabilities = true;
    auto* watcher =
        new QDBusPendingCallWatcher(Bus->asyncCall(Call(QStringLiteral("GetCapabilities"))), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                const QDBusPendingReply<QStringList> reply = *call;
                if (!reply.isError())
                    Capabilities = reply.value();
                CapabilitiesKnown();
            });
    QTimer::singleShot(CapabilitiesWaitMs, this, &DesktopNotifier::CapabilitiesKnown);
}

void DesktopNotifier::CapabilitiesKnown() {
    if (std::exchange(AskingCapabilities, false))
        SendWaiting();
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
    auto* watcher = new QDBusPendingCallWatcher(Bus->asyncCall(call), this);
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
    SendWaiting();
}

void DesktopNotifier::SendWaiting() {
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
