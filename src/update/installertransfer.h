#pragma once

#include "sources/httptransfer.h"

#include <QObject>

class QIODevice;
class QUrl;

// Copies a download into a file piece by piece, counting the kilobytes as it goes. It succeeds
// only on a complete transfer with a 2xx status, of at least two kilobytes, within the size
// limit, whose every byte was written. Destroying it ends a running transfer at once and closes
// its connection.
class InstallerTransfer : public QObject {
    Q_OBJECT
public:
    explicit InstallerTransfer(QObject* parent = nullptr);

    // False when the transfer could not start (no http(s) address); finished follows otherwise.
    bool Start(const QUrl& url, QIODevice* stream, qint64 limitBytes);
    int ReceivedKB() const { return receivedKB; }

    // A whole installer over a slow line; a stalled server ends the transfer at this point.
    static constexpr int TimeoutMs = 30 * 60 * 1000;

signals:
    // After each piece is written.
    void progress(int receivedKB);
    void finished(bool ok);

private:
    bool TakePiece(QByteArrayView piece);
    void End(HttpTransfer::Outcome outcome);

    HttpTransfer transfer;
    QIODevice* stream = nullptr;
    qint64 limitBytes = 0;
    qint64 total = 0;
    int receivedKB = 0;
};
