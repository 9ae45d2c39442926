#include "sources/pagefetcher.h"

#include "sources/sourceslog.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace {
const QByteArray UserAgent = QByteArrayLiteral("qzRate");

bool CanOpen(const QUrl& url) {
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == u"http" || url.scheme() == u"https");
}
} // namespace

PageFetcher::PageFetcher(QObject* parent)
    : QObject(parent), manager(new QNetworkAccessManager(this)), attemptTimer(new QTimer(this)) {
    // Direct connections only, never a proxy.
    manager->setProxy(QNetworkProxy::NoProxy);
    attemptTimer->setSingleShot(true);
    connect(attemptTimer, &QTimer::timeout, this, [this] {
        qCDebug(lcSources) << "attempt" << result.attempts + 1 << "on" << url.toDisplayString()
                           << "timed out";
        // A page that never finished is no page: the attempt counts as one without text.
        result.text.clear();
        EndAttempt();
    });
}

PageFetcher::~PageFetcher() {
    if (reply) {
        reply->disconnect(this);
        reply->abort();
        delete reply;
    }
}

bool PageFetcher::Busy() const {
    return busy;
}

bool PageFetcher::FetchPage(const QUrl& pageUrl, const FetchOptions& fetchOptions) {
    if (busy)
        return false;
    busy = true;
    url = pageUrl;
    options = fetchOptions;
    result = FetchResult{};
    if (!CanOpen(url)) {
        result.sessionOpened = false;
        // Delivered from the event loop, never from inside this call.
        QMetaObject::invokeMethod(this, &PageFetcher::Finish, Qt::QueuedConnection);
        return true;
    }
    StartAttempt();
    return true;
}

void PageFetcher::StartAttempt() {
    result.text.clear();
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, UserAgent);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    if (options.reload)
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                             QNetworkRequest::AlwaysNetwork);
    else
        request.setRawHeader("Pragma", "no-cache");

    reply = manager->get(request);
    connect(reply, &QNetworkReply::readyRead, this, [this] { ReadPieces(false); });
    connect(reply, &QNetworkReply::finished, this, [this] {
        if (reply->error() != QNetworkReply::NoError)
            qCDebug(lcSources) << "attempt" << result.attempts + 1 << "on" << url.toDisplayString()
                               << "ended:" << reply->errorString();
        if (!ReadPieces(true))
            EndAttempt();
    });
    attemptTimer->start(options.attemptTimeoutMs);
}

// Reads whole pieces only while the body is still coming, so pieces start at fixed offsets of
// the body; at its end (or when the attempt is cut short) the last, shorter piece follows. Each
// piece counts up to its first NUL byte. True when the cap ended the attempt; the caller then
// leaves it alone, as the next attempt or fetch may already be running.
bool PageFetcher::ReadPieces(bool toEnd) {
    while (reply &&
           (reply->bytesAvailable() >= PieceSize || (toEnd && reply->bytesAvailable() > 0))) {
        const QByteArray piece = reply->read(PieceSize);
        if (piece.isEmpty())
            return false;
        const qsizetype nul = piece.indexOf('\0');
        result.text += QString::fromLatin1(nul < 0 ? piece : piece.left(nul));
        // The cap is reached: the rest of the body is not read.
        if (options.sizeCap > 0 && result.text.size() >= options.sizeCap) {
            EndAttempt();
            return true;
        }
    }
    return false;
}

void PageFetcher::EndAttempt() {
    if (!reply)
        return;
    attemptTimer->stop();
    QNetworkReply* done = reply;
    reply = nullptr;
    done->disconnect(this);
    done->abort();
    done->deleteLater();

    ++result.attempts;
    if (result.text.isEmpty() && result.attempts < options.maxAttempts) {
        StartAttempt();
        return;
    }
    Finish();
}

void PageFetcher::Finish() {
    busy = false;
    emit finished(result);
}
