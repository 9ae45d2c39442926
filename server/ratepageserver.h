#pragma once

#include "server/httpserver.h"

class RateFeed;

// Serves one demo rate page at "/" with the feed's next rate at every request.
class RatePageServer : public HttpServer {
    Q_OBJECT
public:
    enum class Kind { IEX, D2E };

    RatePageServer(Kind kind, RateFeed& feed, QObject* parent = nullptr);

protected:
    void Respond(QTcpSocket* socket, const HttpRequest& request) override;

private:
    Kind kind;
    RateFeed& feed;
};
