#pragma once

#include "server/httpserver.h"

#include <QString>

// The publisher's web server: every file of one folder by its name ("versions.dat", the
// installers, "index.php", "index_n.php"), and the two feedback mail forms.
class PublisherServer : public HttpServer {
    Q_OBJECT
public:
    explicit PublisherServer(const QString& folder, QObject* parent = nullptr);

    // Requests answered so far, as "<method> <target>", oldest first.
    const QStringList& Log() const { return log; }

protected:
    void Respond(QTcpSocket* socket, const HttpRequest& request) override;

private:
    QString folder;
    QStringList log;
};

// The file a request path names in the folder: one plain name, percent-decoded, never a
// sub-folder, a hidden file or a way up. Empty when the path names none.
QString PublishedFileName(const QByteArray& path);
