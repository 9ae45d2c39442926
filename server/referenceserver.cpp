#include "server/referenceserver.h"

#include "server/referencefiles.h"

#include <QLocale>

namespace {
const QByteArray Folder = "/eurofxref/";
}

ReferenceServer::ReferenceServer(Clock today, QObject* parent)
    : HttpServer(parent), today(std::move(today)) {}

QUrl ReferenceServer::FolderUrl() const {
    return Url().resolved(QUrl(QString::fromLatin1(Folder)));
}

void ReferenceServer::Respond(QTcpSocket* socket, const HttpRequest& request) {
    const QByteArray path = request.Path();
    const QList<DemoReferenceDay> days = DemoReferenceDays(today());
    const QByteArray file = path.startsWith(Folder)
                                ? DemoReferenceFile(path.sliced(Folder.size()), days)
                                : QByteArray();
    if (file.isEmpty() || days.isEmpty()) {
        SendResponse(socket, 404, "<html><body><h1>404 Not Found</h1></body></html>\n");
        return;
    }
    // The bank publishes around 16:00 in Frankfurt.
    const QDateTime published(days.last().date, QTime(15, 0), Qt::UTC);
    const QByteArray lastModified =
        QLocale::c().toString(published, u"ddd, dd MMM yyyy HH:mm:ss 'GMT'").toLatin1();
    const Headers headers{{"Last-Modified", lastModified}};
    if (request.Header("If-Modified-Since") == lastModified)
        SendResponse(socket, 304, {}, "text/xml", headers);
    else
        SendResponse(socket, 200, file, "text/xml", headers);
}
