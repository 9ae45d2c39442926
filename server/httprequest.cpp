#include "server/httprequest.h"

namespace {
constexpr qsizetype MaxHeadSize = 64 * 1024;
constexpr qsizetype MaxBodySize = 16 * 1024 * 1024;
} // namespace

QByteArray HttpRequest::Header(const QByteArray& name) const {
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QByteArray HttpRequest::Path() const {
    const qsizetype query = target.indexOf('?');
    return query < 0 ? target : target.left(query);
}

std::optional<HttpRequest> TakeHttpRequest(QByteArray& buffer) {
    const qsizetype headEnd = buffer.indexOf("\r\n\r\n");
    if (headEnd < 0) {
        if (buffer.size() <= MaxHeadSize)
            return std::nullopt;
        buffer.clear();
        return HttpRequest{};
    }

    HttpRequest request;
    const QList<QByteArray> lines = buffer.left(headEnd).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    if (requestLine.size() == 3 && requestLine[2].startsWith("HTTP/")) {
        request.method = requestLine[0];
        request.target = requestLine[1];
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.append(
                {lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()});
    }

    bool lengthRead = false;
    const qsizetype length = request.Header("Content-Length").toLongLong(&lengthRead);
    const qsizetype bodyLength = lengthRead && length > 0 ? qMin(length, MaxBodySize) : 0;
    const qsizetype bodyStart = headEnd + 4;
    if (buffer.size() - bodyStart < bodyLength)
        return std::nullopt;
    request.body = buffer.mid(bodyStart, bodyLength);
    buffer.remove(0, bodyStart + bodyLength);
    return request;
}
