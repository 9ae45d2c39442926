#pragma once

#include <QObject>

class PieceDownload;
class QIODevice;
class QUrl;

// Copies a download into a file in pieces of 2048 bytes at fixed offsets of the body, counting
// the kilobytes as it goes. It succeeds only on a complete transfer with a 2xx status, of at
// least two kilobytes, within the size limit, whose every byte was written.
class InstallerTransfer : public QObject {
    Q_OBJECT
public:
    // Takes the download as a child.
    explicit InstallerTransfer(PieceDownload* download, QObject* parent = nullptr);

    void Start(const QUrl& url, QIODevice* stream, qint64 limitBytes);
    void Abort();
    int ReceivedKB() const { return receivedKB; }

    static constexpr qint64 PieceSize = 2048;

signals:
    // After each piece is written.
    void progress(int receivedKB);
    void finished(bool ok);

private:
    void Take(const QByteArray& bytes);
    void WritePiece(const QByteArray& piece);
    void End(bool complete, int status);

    PieceDownload* download;
    QIODevice* stream = nullptr;
    QByteArray pending;
    qint64 limitBytes = 0;
    qint64 total = 0;
    int receivedKB = 0;
    bool writeFailed = false;
};
