#include "server/scriptedhttpserver.h"

#include "server/answerstream.h"

#include <QTcpSocket>
#include <QTimer>

namespace {
// The body in chunks of at most 4 KiB, with the closing chunk when it is complete.
QByteArray Chunked(const QByteArray& body, bool complete) {
    QByteArray framed;
    for (qsizetype at = 0; at < body.size(); at += 4096) {
        const QByteArray chunk = body.mid(at, 4096);
        framed += QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n";
    }
    return complete ? framed + "0\r\n\r\n" : framed;
}
} // namespace

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
        QByteArray fixed;
        QByteArray repeated;
        if (answer.endlessHeader) {
            fixed = "HTTP/1.1 " + QByteArray::number(answer.status) + " OK\r\n";
            repeated = "X-Filler: " + QByteArray(100, 'f') + "\r\n";
        } else {
            Headers headers = answer.headers;
            const bool chunked = answer.framing == ScriptedAnswer::Framing::Chunked;
            if (chunked)
                headers.emplaceBack("Transfer-Encoding", "chunked");
            const qsizetype length =
                answer.framing == ScriptedAnswer::Framing::Length ? answer.body.size() : -1;
            const QByteArray body =
                answer.cutAfter < 0 ? answer.body : answer.body.left(answer.cutAfter);
            const bool complete = answer.cutAfter < 0 && !answer.endlessBody;
            QByteArray head = ResponseHead(answer.status, length, DefaultContentType, headers);
            if (answer.keepAlive)
                head.replace("Connection: close", "Connection: keep-alive");
            fixed = head + (chunked ? Chunked(body, complete) : body);
            if (answer.endlessBody)
                repeated = chunked ? Chunked(answer.body, false) : answer.body;
        }
        using End = AnswerStream::End;
        const End end = answer.resetAfterCut                      ? End::Reset
                        : answer.hangAfterCut || answer.keepAlive ? End::Hang
                                                                  : End::Close;
        (new AnswerStream(socket, fixed, repeated, end, answer.dripMs))->Begin();
    });
}
