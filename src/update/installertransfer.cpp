#include "update/installertransfer.h"

#include "update/installrules.h"
#include "update/piecedownload.h"

#include <QIODevice>
#include <QUrl>

InstallerTransfer::InstallerTransfer(PieceDownload* download, QObject* parent)
    : QObject(parent), download(download) {
    download->setParent(this);
    connect(download, &PieceDownload::received, this, &InstallerTransfer::Take);
    connect(download, &PieceDownload::finished, this, &InstallerTransfer::End);
}

void InstallerTransfer::Start(const QUrl& url, QIODevice* target, qint64 limit) {
    stream = target;
    limitBytes = limit;
    pending.clear();
    total = 0;
    receivedKB = 0;
    writeFailed = false;
    // One byte more than the limit tells a body that is too large from one that just fits.
    download->Start(url, limit + 1);
}

void InstallerTransfer::Abort() {
    download->Abort();
}

void InstallerTransfer::Take(const QByteArray& bytes) {
    total += bytes.size();
    pending += bytes;
    qsizetype at = 0;
    for (; pending.size() - at >= PieceSize; at += PieceSize)
        WritePiece(pending.mid(at, PieceSize));
    pending.remove(0, at);
}

void InstallerTransfer::WritePiece(const QByteArray& piece) {
    receivedKB += PieceKB(piece.size());
    if (stream->write(piece) != piece.size())
        writeFailed = true;
    emit progress(receivedKB);
}

void InstallerTransfer::End(bool complete, int status) {
    if (!pending.isEmpty())
        WritePiece(pending);
    pending.clear();
    const bool ok = complete && status >= 200 && status < 300 && total <= limitBytes &&
                    receivedKB > 1 && !writeFailed;
    emit finished(ok);
}
