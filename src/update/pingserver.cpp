#include "update/pingserver.h"

#include "update/pingreply.h"

#include <QProcess>
#include <QTimer>

namespace {
// ping waits 5 s for the reply; this only guards against a command that hangs.
constexpr int CommandLimitMs = 15000;
} // namespace

PingServer::PingServer(QObject* parent) : QObject(parent) {}

PingServer::~PingServer() {
    Cancel();
}

QStringList PingServer::Arguments(const QString& host) {
    return {QStringLiteral("-c"), QStringLiteral("1"),  QStringLiteral("-W"),
            QStringLiteral("5"),  QStringLiteral("--"), host};
}

void PingServer::Start(const QString& host) {
    Cancel();
    process = new QProcess(this);
    process->setProcessChannelMode(QProcess::MergedChannels);
    QProcess* running = process;
    auto end = [this, running](int ms) {
        if (process != running)
            return;
        process = nullptr;
        running->disconnect(this);
        running->kill();
        running->deleteLater();
        emit finished(ms);
    };
    connect(running, &QProcess::finished, this,
            [running, end] { end(ReadPingReply(QString::fromLocal8Bit(running->readAll()))); });
    connect(running, &QProcess::errorOccurred, this, [end](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            end(-1);
    });
    QTimer::singleShot(CommandLimitMs, running, [end] { end(-2); });
    // A host name that starts with "-" is never taken for an option.
    running->start(Program, Arguments(host));
}

void PingServer::Cancel() {
    if (!process)
        return;
    QProcess* running = process;
    process = nullptr;
    running->disconnect(this);
    running->kill();
    running->waitForFinished(1000);
    delete running;
}
