#pragma once

#include "server/httprequest.h"

#include <QObject>
#include <QUrl>

class QTcpServer;
class QTcpSocket;

// A small HTTP/1.1 server on 127.0.0.1. Every connection carries one request; the subclass
// answers it and the connection closes after the answer.
class HttpServer : public QObject {
    Q_OBJECT
public:
    explicit HttpServer(QObject* parent = nullptr);

    // Port 0 picks a free port.
    bool Listen(quint16 port = 0);
    quint16 Port() const;
    QUrl Url() const; // http://127.0.0.1:<port>/
    QString ErrorString() const;
    // Connections accepted so far, and those of them that have closed.
    int ConnectionsOpened() const { return opened; }
    int ConnectionsClosed() const { return closed; }

    using Headers = QList<std::pair<QByteArray, QByteArray>>;

    // A negative contentLength announces none.
    static QByteArray ResponseHead(int status, qsizetype contentLength,
                                   const QByteArray& contentType = DefaultContentType,
                                   const Headers& extraHeaders = {});
    static constexpr const char* DefaultContentType = "text/html; charset=iso-8859-1";

protected:
    virtual void Respond(QTcpSocket* socket, const HttpRequest& request) = 0;
    // Writes the whole answer and closes once it is sent.
    static void SendResponse(QTcpSocket* socket, int status, const QByteArray& body,
                             const QByteArray& contentType = DefaultContentType,
                             const Headers& extraHeaders = {});

private:
    void AcceptConnections();

    QTcpServer* server;
    int opened = 0;
    int closed = 0;
};
