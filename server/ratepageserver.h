#pragma once

#include "server/httpserver.h"

#include <QDeadlineTimer>

class RateFeed;

// Serves one demo rate page at "/" with the feed's next rate at every request.
class RatePageServer : public HttpServer {
    Q_OBJECT
public:
    enum class Kind { IEX, D2E };

    RatePageServer(Kind kind, RateFeed& feed, QObject* parent = nullptr);

    // For this long from now every request gets a maintenance page without a rate, as when the
    // site is down or its layout has changed.
    void AnswerBadlyFor(int ms);

protected:
    void Respond(QTcpSocket* socket, const HttpRequest& request) override;

private:
    Kind kind;
    RateFeed& feed;
    QDeadlineTimer badUntil; // expired: good answers
};
