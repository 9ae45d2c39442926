#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QDBusPendingCallWatcher;

// Speaks through the desktop's notifications (org.freedesktop.Notifications). Each
// notification replaces the one before it rather than piling up. Without a bus or a
// notification service it stays silent and says so once in the log.
class DesktopNotifier : public QObject {
    Q_OBJECT

public:
    using Connect = std::function<QDBusConnection()>;
    // Connects through connect on the first notice, not before: a program whose alarm never
    // goes off never talks to the desktop. That notice waits (up to a second) for the
    // desktop to say whether it shows actions.
    DesktopNotifier(Connect connect, bool enabled, QObject* parent = nullptr);
    DesktopNotifier(const QDBusConnection& bus, bool enabled, QObject* parent = nullptr);

    // On the session bus; off when qzrate.conf at confPath says [Desktop] Notifications=false.
    static bool EnabledIn(const QString& confPath);

    // Never waits for the desktop: the call goes out and its answer comes back later. With an
    // action label, and where the desktop offers actions, the notification carries a button
    // that emits SilenceAsked.
    void Notify(const QString& summary, const QString& body, const QString& action = QString());
    // Takes the notification shown last off the desktop; nothing when none is shown.
    void Close();
    // The desktop has said it shows actions.
    bool OffersActions() const;

signals:
    // The user chose the action of the notification shown now.
    void SilenceAsked();

private slots:
    void ActionInvoked(uint id, const QString& key);

private:
    struct Notice {
        QString summary;
        QString body;
        QString action;
    };
    // False without a bus.
    bool EnsureConnected();
    void Send(const Notice& notice);
    void Answered(QDBusPendingCallWatcher* call);
    void SendWaiting();
    void AskCapabilities();
    void CapabilitiesKnown();
    void WarnOnce(const QString& why);
    QDBusMessage Call(const QString& method) const;

    Connect ConnectBus;
    // Empty until the first notice.
    std::optional<QDBusConnection> Bus;
    bool Enabled;
    bool Warned = false;
    // What the desktop said it can do; empty until it answers, and when it never does.
    QStringList Capabilities;
    // The desktop's id of the last notification: the next replaces it. 0: none shown.
    uint ShownId = 0;
    bool CallPending = false;
    // The desktop was asked what it can do and has not answered yet, for up to a second.
    bool AskingCapabilities = false;
    // Said while a call was on its way; sent once its id is known, so it replaces that one.
    std::optional<Notice> Waiting;
    // Closed while its call was on its way: closed once its id is known.
    bool CloseWaiting = false;
};
