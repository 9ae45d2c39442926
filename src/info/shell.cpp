#include "info/shell.h"

#include "info/schemehandler.h"

#include <QDesktopServices>
#include <QUrl>

DesktopShell::DesktopShell(QObject* parent) : QObject(parent) {}

void DesktopShell::Open(const QString& link, std::function<void(bool accepted)> done) {
    // The link is already percent-encoded; strict parsing keeps it exactly as built.
    const QUrl url = QUrl::fromEncoded(link.toUtf8(), QUrl::StrictMode);
    if (!url.isValid()) {
        done(false);
        return;
    }
    QueryDefaultHandler(url.scheme(), this, [url, done](const QString& handler) {
        done(!handler.isEmpty() && QDesktopServices::openUrl(url));
    });
}
