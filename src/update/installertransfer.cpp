#include "update/installertransfer.h"

#include "update/installrules.h"

#include <QIODevice>
#include <QUrl>

InstallerTransfer::InstallerTransfer(QObject* parent) : QObject(parent) {
    connect(&transfer, &HttpTransfer::finished, this, &InstallerTransfer::End);
}

bool InstallerTransfer::Start(const QUrl& url, QIODevice* target, qint64 limit) {
    stream = target;
    limitBytes = limit;
    total = 0;
    receivedKB = 0;
    return transfer.Start(url, {.timeoutMs = TimeoutMs},
                          [this](QByteArrayView piece) { return TakePiece(piece); });
}

// A piece past the limit, or one the file does not take whole, stops the transfer.
bool InstallerTransfer::TakePiece(QByteArrayView piece) {
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
    const int status = transfer.HttpStatus();
    emit finished(outcome == HttpTransfer::Outcome::Complete && status >= 200 && status < 300 &&
                  receivedKB > 1);
}
