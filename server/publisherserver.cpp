#include "server/publisherserver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrlQuery>

namespace {

constexpr qint64 MaxFileSize = 256 * 1024 * 1024;

QByteArray ContentType(const QString& name) {
    if (name.endsWith(QStringLiteral(".dat")) || name.endsWith(QStringLiteral(".txt")))
        return "text/plain; charset=iso-8859-1";
    if (name.endsWith(QStringLiteral(".php")) || name.endsWith(QStringLiteral(".html")))
        return HttpServer::DefaultContentType;
    return "application/octet-stream";
}

// The mail forms thank the sender; nothing is mailed from the demo.
QByteArray MailFormPage(const QByteArray& target, bool dutch) {
    const QUrlQuery query(QUrl::fromEncoded(target).query());
    const QString program = query.queryItemValue(QStringLiteral("ProgNam"), QUrl::FullyDecoded);
    const QString contents = query.queryItemValue(QStringLiteral("Contents"), QUrl::FullyDecoded);
    const QString title = dutch ? QStringLiteral("Bedankt voor uw reactie")
                                : QStringLiteral("Thank you for your feedback");
    return QStringLiteral("<html><head><meta charset=\"utf-8\"><title>%1</title></head><body>"
                          "<h1>%1</h1><p>%2</p><pre>%3</pre></body></html>\n")
        .arg(title, program.toHtmlEscaped(), contents.toHtmlEscaped())
        .toUtf8();
}

} // namespace

QString PublishedFileName(const QByteArray& path) {
    if (!path.startsWith('/'))
        return {};
    const QString name = QUrl::fromPercentEncoding(path.mid(1));
    if (name.isEmpty() || name.startsWith(u'.') || name.contains(u'/') || name.contains(u'\\'))
        return {};
    return name;
}

PublisherServer::PublisherServer(const QString& folder, QObject* parent)
    : HttpServer(parent), folder(folder) {}

void PublisherServer::Respond(QTcpSocket* socket, const HttpRequest& request) {
    log.append(QString::fromLatin1(request.method + ' ' + request.target));
    static const QByteArray notFound = "<html><body><h1>404 Niet gevonden</h1></body></html>\n";
    if (request.method != "GET") {
        SendResponse(socket, 405, {}, DefaultContentType, {{"Allow", "GET"}});
        return;
    }
    const QByteArray path = request.Path();
    if (path == "/mailform_n_php.php" || path == "/mailform_e_php.php") {
        SendResponse(socket, 200, MailFormPage(request.target, path == "/mailform_n_php.php"));
        return;
    }
    const QString name = PublishedFileName(path);
    const QFileInfo info(QDir(folder).filePath(name));
    QFile file(info.filePath());
    if (name.isEmpty() || !info.isFile() || info.size() > MaxFileSize ||
        !file.open(QIODevice::ReadOnly)) {
        SendResponse(socket, 404, notFound);
        return;
    }
    SendResponse(socket, 200, file.readAll(), ContentType(name));
}
