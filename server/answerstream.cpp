#include "server/answerstream.h"

#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

namespace {
constexpr qint64 QueueLimit = 64 * 1024;
constexpr qsizetype Block = 16 * 1024;
} // namespace

AnswerStream::AnswerStream(QTcpSocket* socket, QByteArray fixed, QByteArray repeated, End end,
                           int dripMs)
    : QObject(socket), socket(socket), fixed(std::move(fixed)), repeated(std::move(repeated)),
      end(end) {
    if (dripMs > 0) {
        drip = new QTimer(this);
        drip->setInterval(dripMs);
        connect(drip, &QTimer::timeout, this, &AnswerStream::Write);
    } else {
        connect(socket, &QTcpSocket::bytesWritten, this, &AnswerStream::Write);
    }
}

void AnswerStream::Begin() {
    if (drip)
        drip->start();
    Write();
}

void AnswerStream::Write() {
    if (finishing || socket->state() != QAbstractSocket::ConnectedState)
        return;
    if (drip) {
        const QByteArray byte = Next(1);
        if (byte.isEmpty())
            Finish();
        else
            socket->write(byte);
        return;
    }
    while (socket->bytesToWrite() < QueueLimit) {
        const QByteArray block = Next(Block);
        if (block.isEmpty()) {
            Finish();
            return;
        }
        socket->write(block);
    }
}

QByteArray AnswerStream::Next(qsizetype size) {
    if (position < fixed.size()) {
        const QByteArray part = fixed.mid(position, size);
        position += part.size();
        return part;
    }
    if (repeated.isEmpty())
        return {};
    // Goes on where the last part stopped, so a repeated chunk keeps its framing.
    QByteArray part;
    while (part.size() < size) {
        const qsizetype at = (position - fixed.size()) % repeated.size();
        const QByteArray piece = repeated.mid(at, size - part.size());
        part += piece;
        position += piece.size();
    }
    return part;
}

void AnswerStream::Finish() {
    finishing = true;
    if (drip)
        drip->stop();
    if (end == End::Hang)
        return;
    if (end == End::Close) {
        socket->disconnectFromHost();
        return;
    }
    // What was written goes out first; then a zero linger turns the close into a reset.
    auto reset = [this] {
        if (socket->bytesToWrite() > 0)
            return;
        const linger zero{1, 0};
        ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &zero, sizeof zero);
        socket->abort();
    };
    connect(socket, &QTcpSocket::bytesWritten, this, reset);
    socket->flush();
    reset();
}
