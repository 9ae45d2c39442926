#pragma once

#include <QObject>
#include <QString>

class QProcess;

// Pings a host once through the system's ping command, without blocking the caller: no shell,
// the host passed as one argument after "--", and no scratch file.
class PingServer : public QObject {
    Q_OBJECT
public:
    explicit PingServer(QObject* parent = nullptr);
    ~PingServer() override;

    // Starts a ping; finished follows. The command may be replaced for tests.
    void Start(const QString& host);
    // Stops a running ping; finished is not emitted.
    void Cancel();

    QString Program = QStringLiteral("ping");

    static QStringList Arguments(const QString& host);

signals:
    // The round-trip time in milliseconds, or 0 or less when no usable answer came.
    void finished(int ms);

private:
    QProcess* process = nullptr;
};
