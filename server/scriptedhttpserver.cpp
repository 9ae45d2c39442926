#include "server/scriptedhttpserver.h"

#include <QTcpSocket>
#include <QTimer>

ScriptedHttpServer::ScriptedHttpServer(QObject* parent) : HttpServer(parent) {}

void ScriptedHttpServer::Enqueue(const ScriptedAnswer& answer) {
    queue.enqueue(answer);
}

void ScriptedHttpServer::SetDefaultAnswer(const ScriptedAnswer& answer) {
    defaultAnswer = answer;
}

int ScriptedHttpServer::RequestCount() const {
    return int(requests.size());
}

const QList<HttpRequest>& ScriptedHttpServer::Requests() const {
    return requests;
}

void ScriptedHttpServer::Respond(QTcpSocket* socket, const HttpRequest& request) {
    requests.append(request);
    const ScriptedAnswer answer = queue.isEmpty() ? defaultAnswer : queue.dequeue();
    emit requestReceived(RequestCount());
    if (answer.silent)
        return;

    // The socket is the timer's context, so a connection the client dropped is not answered.
    QTimer::singleShot(answer.delayMs, socket, [socket, answer] {
        if (answer.cutAfter < 0) {
            SendResponse(socket, answer.status, answer.body, DefaultContentType, answer.headers);
            return;
        }
        socket->write(
            ResponseHead(answer.status, answer.body.size(), DefaultContentType, answer.headers) +
            answer.body.left(answer.cutAfter));
        if (!answer.hangAfterCut)
            socket->disconnectFromHost();
    });
}
