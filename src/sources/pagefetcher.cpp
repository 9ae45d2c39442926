#include "sources/pagefetcher.h"

#include "sources/sourceslog.h"

#include <QTimer>

PageFetcher::PageFetcher(QObject* parent)
    : QObject(parent), transfer(new HttpTransfer(this)), deadline(new QTimer(this)) {
    connect(transfer, &HttpTransfer::finished, this, &PageFetcher::EndAttempt);
    connect(deadline, &QTimer::timeout, this, [this] {
        qCDebug(lcSources) << "fetch of" << url.toDisplayString() << "out of time after"
                           << result.attempts << "attempts";
        transfer->Abort();
        result.text.clear();
        Finish();
    });
}

PageFetcher::~PageFetcher() = default;

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
    deadline->start(options.deadlineMs);
    StartAttempt();
    return true;
}

void PageFetcher::StartAttempt() {
    HttpTransfer::Options transferOptions;
    transferOptions.timeoutMs = options.attemptTimeoutMs;
    if (options.reload)
        transferOptions.headers.emplaceBack("Cache-Control", "no-cache");
    transferOptions.headers.emplaceBack("Pragma", "no-cache");
    if (!transfer->Start(url, transferOptions,
                         [this](QByteArrayView piece) { return TakePiece(piece); })) {
        // Not an http(s) URL with a host: there is no session to open.
        result.sessionOpened = false;
        // Delivered from the event loop, never from inside FetchPage.
        QMetaObject::invokeMethod(this, &PageFetcher::Finish, Qt::QueuedConnection);
    }
}

// Each piece counts up to its first NUL byte. False when the cap is reached: the rest of the
// body is not read.
bool PageFetcher::TakePiece(QByteArrayView piece) {
    const qsizetype nul = piece.indexOf('\0');
    result.text += QLatin1StringView(nul < 0 ? piece : piece.first(nul));
    return options.sizeCap <= 0 || result.text.size() < options.sizeCap;
}

void PageFetcher::EndAttempt(HttpTransfer::Outcome outcome) {
    if (outcome != HttpTransfer::Outcome::Complete && outcome != HttpTransfer::Outcome::Stopped) {
        qCDebug(lcSources) << "attempt" << result.attempts + 1 << "on" << url.toDisplayString()
                           << "ended:" << transfer->ErrorString();
        // A page that was cut off or never finished is no page.
        result.text.clear();
    }
    ++result.attempts;
    if (result.text.isEmpty() && result.attempts < options.maxAttempts) {
        StartAttempt();
        return;
    }
    Finish();
}

void PageFetcher::Finish() {
    deadline->stop();
    busy = false;
    emit finished(result);
}
