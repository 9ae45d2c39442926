#include "server/ratepageserver.h"

#include "server/ratefeed.h"
#include "server/ratepages.h"

RatePageServer::RatePageServer(Kind kind, RateFeed& feed, QObject* parent)
    : HttpServer(parent), kind(kind), feed(feed) {}

void RatePageServer::AnswerBadlyFor(int ms) {
    badUntil = QDeadlineTimer(ms);
}

void RatePageServer::Respond(QTcpSocket* socket, const HttpRequest& request) {
    if (request.Path() != "/") {
        SendResponse(socket, 404, "<html><body><h1>404 Niet gevonden</h1></body></html>\n");
        return;
    }
    if (!badUntil.hasExpired()) {
        SendResponse(socket, 503, MaintenancePage());
        return;
    }
    const double usdEur = feed.Next();
    if (kind == Kind::D2E) {
        SendResponse(socket, 200, D2ERatePage(usdEur));
        return;
    }
    // The IEX page quotes the euro: its change is the euro's against the previous close.
    const double eurUsd = 1.0 / usdEur;
    const double closeEurUsd = 1.0 / feed.PreviousClose();
    SendResponse(socket, 200, IEXRatePage(eurUsd, (eurUsd / closeEurUsd - 1.0) * 100.0));
}
