#include "server/httpserver.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

namespace {
QByteArray ReasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 304:
        return "Not Modified";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}
} // namespace

HttpServer::HttpServer(QObject* parent) : QObject(parent), server(new QTcpServer(this)) {
    connect(server, &QTcpServer::newConnection, this, &HttpServer::AcceptConnections);
}

bool HttpServer::Listen(quint16 port) {
    return server->listen(QHostAddress::LocalHost, port);
}

quint16 HttpServer::Port() const {
    return server->serverPort();
}

QUrl HttpServer::Url() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(Port()));
}

QString HttpServer::ErrorString() const {
    return server->errorString();
}

QByteArray HttpServer::ResponseHead(int status, qsizetype contentLength,
                                    const QByteArray& contentType, const Headers& extraHeaders) {
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + ReasonPhrase(status) +
                      "\r\nContent-Type: " + contentType + "\r\nConnection: close\r\n";
    if (contentLength >= 0)
        head += "Content-Length: " + QByteArray::number(contentLength) + "\r\n";
    for (const auto& [name, value] : extraHeaders)
        head += name + ": " + value + "\r\n";
    return head + "\r\n";
}

void HttpServer::SendResponse(QTcpSocket* socket, int status, const QByteArray& body,
                              const QByteArray& contentType, const Headers& extraHeaders) {
    socket->write(ResponseHead(status, body.size(), contentType, extraHeaders) + body);
    socket->disconnectFromHost();
}

void HttpServer::AcceptConnections() {
    while (QTcpSocket* socket = server->nextPendingConnection()) {
        ++opened;
        connect(socket, &QTcpSocket::disconnected, this, [this] { ++closed; });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            if (const auto request = TakeHttpRequest(*buffer)) {
                // One request per connection: whatever follows is ignored.
                disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
                if (request->method.isEmpty())
                    SendResponse(socket, 400, {});
                else
                    Respond(socket, *request);
            }
        });
    }
}
