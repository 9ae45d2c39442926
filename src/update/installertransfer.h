#pragma once

#include "sources/httptransfer.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QIODevice;
class QUrl;

// Copies a download into a file piece by piece, counting the kilobytes as it goes. It succeeds
// only on a complete transfer with a 2xx status, of at least two kilobytes, within the size
// limit, whose every byte was written, and fails once no byte came for StallTimeoutMs. It asks
// for a fresh copy, never a cached one. Destroying it ends a running transfer at once and
// closes its connection.
class InstallerTransfer : public QObject {
    Q_OBJECT
public:
    explicit InstallerTransfer(QObject* parent = nullptr);

    // False when the transfer could not start (no http(s) address); finished follows otherwise.
    bool Start(const QUrl& url, QIODevice* stream, qint64 limitBytes);
    int ReceivedKB() const { return receivedKB; }

    // A whole installer over a slow line.
    static constexpr int TimeoutMs = 30 * 60 * 1000;
    // No byte for this long: the server has stalled (the version list's receive time-out).
    static constexpr int StallTimeoutMs = 20000;

signals:
    // After each piece is written.
    void progress(int receivedKB);
    void finished(bool ok);

private:
    bool TakePiece(QByteArrayView piece);
    void CheckStall();
    void End(HttpTransfer::Outcome outcome);

    HttpTransfer transfer;
    // Bytes also arrive between whole pieces, so the time since the last one is checked often.
    QTimer stallCheck;
    QElapsedTimer sinceByte;
    qint64 bytesSeen = 0;
    QIODevice* stream = nullptr;
    qint64 limitBytes = 0;
    qint64 total = 0;
    int receivedKB = 0;
};
