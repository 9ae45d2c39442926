#pragma once

#include "server/httpserver.h"

#include <QDate>

#include <functional>

// Serves the demo's three reference-rate files under /eurofxref/, up to the clock's day, with
// the last day's Last-Modified; a request that names it in If-Modified-Since gets a 304.
class ReferenceServer : public HttpServer {
    Q_OBJECT
public:
    using Clock = std::function<QDate()>;

    explicit ReferenceServer(Clock today, QObject* parent = nullptr);

    // Where the files lie on this server.
    QUrl FolderUrl() const;

protected:
    void Respond(QTcpSocket* socket, const HttpRequest& request) override;

private:
    Clock today;
};
