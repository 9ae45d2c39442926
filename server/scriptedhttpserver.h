#pragma once

#include "server/httpserver.h"
#include "server/scriptedanswer.h"

#include <QList>
#include <QQueue>

// A server for tests: each request takes the next queued answer, or the default answer once
// the queue is empty, and is recorded.
class ScriptedHttpServer : public HttpServer {
    Q_OBJECT
public:
    explicit ScriptedHttpServer(QObject* parent = nullptr);

    void Enqueue(const ScriptedAnswer& answer);
    void SetDefaultAnswer(const ScriptedAnswer& answer);
    int RequestCount() const;
    const QList<HttpRequest>& Requests() const;

signals:
    void requestReceived(int count);

protected:
    void Respond(QTcpSocket* socket, const HttpRequest& request) override;

private:
    QQueue<ScriptedAnswer> queue;
    ScriptedAnswer defaultAnswer;
    QList<HttpRequest> requests;
};
