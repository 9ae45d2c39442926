#include "platform/singleinstance.h"

#include "platform/applog.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

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

// A plain local socket rather than Qt Network's, which would cost the program a library and
// most of a megabyte resident for these few bytes.
bool SocketAddress(const QString& path, sockaddr_un& address) {
    const QByteArray name = QFile::encodeName(path);
    address = {};
    address.sun_family = AF_UNIX;
    if (size_t(name.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    return true;
}

int LocalSocket() {
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
}

// Reads up to the first line end or until the deadline; empty when nothing came.
QByteArray ReadLine(int socket, const QDeadlineTimer& deadline) {
    QByteArray line;
    while (!line.contains('\n')) {
        pollfd ready{socket, POLLIN, 0};
        const int waited = ::poll(&ready, 1, int(deadline.remainingTime()));
        if (waited < 0 && errno == EINTR)
            continue;
        if (waited <= 0)
            break;
        char buffer[64];
        const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        line.append(buffer, got);
    }
    return line;
}

// One hand-over asked of the running program: a line with the request, a line with the answer.
class Caller : public QObject {
public:
    Caller(int socket, QObject* parent) : QObject(parent), Socket(socket) {
        auto* readable = new QSocketNotifier(socket, QSocketNotifier::Read, this);
        connect(readable, &QSocketNotifier::activated, this, [this, readable] {
            char buffer[64];
            const ssize_t got = ::recv(Socket, buffer, sizeof buffer, MSG_DONTWAIT);
            if (got < 0 && (errno == EAGAIN || errno == EINTR))
                return;
            if (got > 0)
                Received.append(buffer, got);
            if (got > 0 && !Received.contains('\n'))
                return;
            readable->setEnabled(false);
            Asked(Received.left(Received.indexOf('\n') + 1));
            deleteLater();
        });
    }
    ~Caller() override { ::close(Socket); }

    // The whole line with its end; empty when the caller left without one.
    std::function<void(const QByteArray& request)> Asked;

    void Answer(const QByteArray& reply) const {
        ::send(Socket, reply.constData(), size_t(reply.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
    }

private:
    int Socket;
    QByteArray Received;
};

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
    sockaddr_un address;
    // The first start may still be on its way to listening: keep knocking until time runs out.
    const QDeadlineTimer deadline(answerTimeoutMs);
    while (SocketAddress(SocketPath, address) && !deadline.hasExpired()) {
        const int socket = LocalSocket();
        if (socket >= 0 &&
            ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            const QByteArray request = ask == Ask::Chart ? ChartRequest : Request;
            const bool answered = ::send(socket, request.constData(), size_t(request.size()),
                                         MSG_NOSIGNAL) == request.size() &&
                                  ReadLine(socket, deadline) == Reply;
            ::close(socket);
            if (answered)
                return true;
            break;
        }
        if (socket >= 0)
            ::close(socket);
        QThread::msleep(20);
    }
    qCWarning(lcApp) << "the running qzRate did not answer within" << answerTimeoutMs
                     << "ms; this one runs on its own";
    return false;
}

void SingleInstance::Listen() {
    if (!IsFirst() || Server >= 0)
        return;
    sockaddr_un address;
    if (!SocketAddress(SocketPath, address)) {
        qCWarning(lcApp) << "cannot listen for a second start: the path is too long";
        return;
    }
    Server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    // We hold the lock, so a socket file there is a leftover of an ended program. Only this
    // user may knock: the socket is made with no rights for others.
    ::unlink(address.sun_path);
    const mode_t mask = ::umask(077);
    const bool bound = Server >= 0 && ::bind(Server, reinterpret_cast<const sockaddr*>(&address),
                                             sizeof address) == 0;
    ::umask(mask);
    if (!bound || ::listen(Server, 8) != 0) {
        qCWarning(lcApp) << "cannot listen for a second start:" << std::strerror(errno);
        Close();
        return;
    }
    Knock = std::make_unique<QSocketNotifier>(Server, QSocketNotifier::Read);
    connect(Knock.get(), &QSocketNotifier::activated, this, &SingleInstance::Answer);
}

void SingleInstance::Close() {
    Knock.reset();
    if (Server >= 0) {
        ::close(Server);
        Server = -1;
        ::unlink(QFile::encodeName(SocketPath).constData());
    }
    if (Lock.isLocked())
        Lock.unlock();
}

void SingleInstance::Answer() {
    for (int socket; (socket = ::accept4(Server, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
        auto* caller = new Caller(socket, this);
        caller->Asked = [this, caller](const QByteArray& request) {
            if (request == Request) {
                qCInfo(lcApp) << "a second start asked for the window";
                caller->Answer(Reply);
                emit Activated();
            } else if (request == ChartRequest) {
                qCInfo(lcApp) << "a second start asked for the chart";
                caller->Answer(Reply);
                emit ChartAsked();
            }
        };
    }
}
