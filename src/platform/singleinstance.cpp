#include "platform/singleinstance.h"

#include "platform/applog.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace {

const QByteArray Request = "activate\n";
const QByteArray ChartRequest = "chart\n";
const QByteArray Reply = "ok\n";

// A short name from the folder's full path: socket paths are limited to about 100 bytes.
QString RuntimeBase(const QString& settingsFolder) {
    const QString folder = QDir::cleanPath(QDir(settingsFolder).absolutePath());
    const QByteArray hash = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256);
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QDir::tempPath();
    return runtime + QStringLiteral("/qzrate-") + QString::fromLatin1(hash.toHex().left(16));
}

} // namespace

SingleInstance::SingleInstance(const QString& settingsFolder, QObject* parent)
    : QObject(parent), SocketPath(RuntimeBase(settingsFolder) + QStringLiteral(".socket")),
      Lock(RuntimeBase(settingsFolder) + QStringLiteral(".lock")) {}

SingleInstance::~SingleInstance() {
    Close();
}

bool SingleInstance::HandOver(int answerTimeoutMs, Ask ask) {
    // A lock left by a program that no longer runs counts as free.
    if (Lock.tryLock(0))
        return false;
    // The first start may still be on its way to listening: keep knocking until time runs out.
    const QDeadlineTimer deadline(answerTimeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(SocketPath);
        if (socket.waitForConnected(int(deadline.remainingTime()))) {
            // Waiting for the answer sends the request on its way first.
            socket.write(ask == Ask::Chart ? ChartRequest : Request);
            QByteArray answer;
            while (!answer.contains('\n') && socket.waitForReadyRead(int(deadline.remainingTime())))
                answer += socket.readAll();
            if (answer == Reply)
                return true;
            break;
        }
        QThread::msleep(20);
    }
    qCWarning(lcApp) << "the running qzRate did not answer within" << answerTimeoutMs
                     << "ms; this one runs on its own";
    return false;
}

void SingleInstance::Listen() {
    if (!IsFirst() || Server)
        return;
    Server = std::make_unique<QLocalServer>();
    Server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket file there is a leftover of an ended program.
    QLocalServer::removeServer(SocketPath);
    if (!Server->listen(SocketPath)) {
        qCWarning(lcApp) << "cannot listen for a second start:" << Server->errorString();
        return;
    }
    connect(Server.get(), &QLocalServer::newConnection, this, &SingleInstance::Answer);
}

void SingleInstance::Close() {
    // Destroying the server closes it and removes its socket file.
    Server.reset();
    if (Lock.isLocked())
        Lock.unlock();
}

void SingleInstance::Answer() {
    while (QLocalSocket* socket = Server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            const QByteArray request = socket->readLine();
            if (request == Request) {
                qCInfo(lcApp) << "a second start asked for the window";
                socket->write(Reply);
                emit Activated();
            } else if (request == ChartRequest) {
                qCInfo(lcApp) << "a second start asked for the chart";
                socket->write(Reply);
                emit ChartAsked();
            }
            socket->disconnectFromServer();
        });
    }
}
