#pragma once

#include <QByteArray>
#include <QList>

#include <optional>
#include <utility>

// One request as the server read it off a connection.
struct HttpRequest {
    QByteArray method; // empty when the request line could not be read
    QByteArray target; // as sent, with any query
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;

    // The first header of that name (names compare case-insensitively), or empty.
    QByteArray Header(const QByteArray& name) const;
    // The target without its query.
    QByteArray Path() const;
};

// Takes one complete request (head and a Content-Length body) off the front of buffer; nothing
// while it is incomplete. A head that grows past 64 KiB comes back as a request without method.
std::optional<HttpRequest> TakeHttpRequest(QByteArray& buffer);
