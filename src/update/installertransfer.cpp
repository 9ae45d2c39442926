#include "update/installertransfer.h"

#include "update/installrules.h"

#include <QIODevice>
#include <QUrl>

InstallerTransfer::InstallerTransfer(QObject* parent) : QObject(parent) {
    connect(&transfer, &HttpTransfer::finished, this, &InstallerTransfer::End);
    stallCheck.setInterval(250);
    connect(&stallCheck, &QTimer::timeout, this, &InstallerTransfer::CheckStall);
}

bool InstallerTransfer::Start(const QUrl& url, QIODevice* target, qint64 limit) {
    stream = target;
    limitBytes = limit;
    total = 0;
    receivedKB = 0;
    bytesSeen = 0;
    const HttpTransfer::Options options{
        .timeoutMs = TimeoutMs, .headers = {{"Cache-Control", "no-cache"}, {"Pragma", "no-cache"}}};
    if (!transfer.Start(url, options, [this](QByteArrayView piece) { return TakePiece(piece); }))
        return false;
    sinceByte.start();
    stallCheck.start();
    return true;
}

void InstallerTransfer::CheckStall() {
    if (transfer.BytesReceived() != bytesSeen) {
        bytesSeen = transfer.BytesReceived();
        sinceByte.start();
    } else if (sinceByte.elapsed() >= StallTimeoutMs) {
        transfer.Abort();
        stallCheck.stop();
        emit finished(false);
    }
}

// A piece past the limit, or one the file does not take whole, stops the transfer.
bool InstallerTransfer::TakePiece(QByteArrayView piece) {
    bytesSeen = transfer.BytesReceived();
    sinceByte.start();
    total += piece.size();
    if (total > limitBytes)
        return false;
    if (stream->write(piece.data(), piece.size()) != piece.size())
        return false;
    receivedKB += PieceKB(piece.size());
    emit progress(receivedKB);
    return true;
}

void InstallerTransfer::End(HttpTransfer::Outcome outcome) {
    stallCheck.stop();
    const int status = transfer.HttpStatus();
    emit finished(outcome == HttpTransfer::Outcome::Complete && status >= 200 && status < 300 &&
                  receivedKB > 1);
}
