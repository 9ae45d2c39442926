#pragma once

#include <QByteArray>
#include <QObject>

class QTcpSocket;
class QTimer;

// Writes an answer to a socket: a fixed part, then (when it has one) a part repeated without
// end. At full speed it keeps at most 64 KiB queued in the socket, so a server that never stops
// sending still holds little memory; drip-fed it writes one byte at a time. At the end it
// closes the connection, resets it, or leaves it open and silent. Lives as the socket's child.
class AnswerStream : public QObject {
    Q_OBJECT
public:
    enum class End { Close, Reset, Hang };

    AnswerStream(QTcpSocket* socket, QByteArray fixed, QByteArray repeated, End end, int dripMs);
    void Begin();

private:
    void Write();
    QByteArray Next(qsizetype size);
    void Finish();

    QTcpSocket* socket;
    QByteArray fixed;
    QByteArray repeated;
    End end;
    QTimer* drip = nullptr;
    qsizetype position = 0;
    bool finishing = false;
};
