#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <optional>

class QDBusPendingCallWatcher;

// Speaks through the desktop's notifications (org.freedesktop.Notifications). Each
// notification replaces the one before it rather than piling up. Without a bus or a
// notification service it stays silent and says so once in the log.
class DesktopNotifier : public QObject {
    Q_OBJECT

public:
    DesktopNotifier(const QDBusConnection& bus, bool enabled, QObject* parent = nullptr);

    // On the session bus; off when qzrate.conf at confPath says [Desktop] Notifications=false.
    static bool EnabledIn(const QString& confPath);

    // Never waits for the desktop: the call goes out and its answer comes back later.
    void Notify(const QString& summary, const QString& body);

private:
    struct Notice {
        QString summary;
        QString body;
    };
    void Send(const Notice& notice);
    void Answered(QDBusPendingCallWatcher* call);
    void WarnOnce(const QString& why);

    QDBusConnection Bus;
    bool Enabled;
    bool Warned = false;
    // The desktop's id of the last notification: the next replaces it.
    uint ShownId = 0;
    bool CallPending = false;
    // Said while a call was on its way; sent once its id is known, so it replaces that one.
    std::optional<Notice> Waiting;
};
