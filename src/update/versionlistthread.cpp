#include "update/versionlistthread.h"

#include "sources/pagefetcher.h"
#include "update/versioncheck.h"

#include <QEventLoop>

TThread1::TThread1(const QUrl& url, QObject* parent) : QThread(parent), listUrl(url) {}

TThread1::~TThread1() {
    Cancel();
    wait();
}

void TThread1::Cancel() {
    requestInterruption();
    quit();
}

void TThread1::run() {
    const QString text = DownloadVersionList();
    if (!isInterruptionRequested())
        emit resultReady(text);
}

QString TThread1::DownloadVersionList() {
    // The fetcher lives on this thread; leaving the function closes its connection.
    PageFetcher fetcher;
    FetchResult result;
    result.sessionOpened = false;
    connect(&fetcher, &PageFetcher::finished, &fetcher, [this, &result](const FetchResult& r) {
        result = r;
        quit();
    });
    // A list of a few lines: a server that sends without end is cut off at 1 MiB.
    const FetchOptions options{.maxAttempts = Attempts,
                               .sizeCap = 1024 * 1024,
                               .reload = true,
                               .attemptTimeoutMs = ReceiveTimeoutMs};
    fetcher.FetchPage(listUrl, options);
    if (!isInterruptionRequested())
        exec();
    return VersionListResult(result.sessionOpened, result.text);
}
