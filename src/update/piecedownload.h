#pragma once

#include <QByteArray>
#include <QObject>
#include <QUrl>

// One HTTP GET whose body is handed over as it arrives, never held whole. The transport
// bounds the transfer: it stops once the body passes maxBodyBytes.
class PieceDownload : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts the transfer and returns at once; pieces and then finished follow.
    virtual void Start(const QUrl& url, qint64 maxBodyBytes) = 0;
    // Stops a running transfer and closes its connection; finished is not emitted.
    virtual void Abort() = 0;

signals:
    void received(const QByteArray& bytes);
    // complete: the whole body arrived within the bound; status: the HTTP status, 0 without one.
    void finished(bool complete, int status);
};
