#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

struct FetchOptions {
    int maxAttempts = 1;
    // The transfer ends once the text holds this many characters (the chunk that got there
    // is kept; the next one is dropped).
    qsizetype sizeCap = 0;
    bool reload = true; // true: always from the server; false: ask proxies not to cache
    int attemptTimeoutMs = 20000;
};

struct FetchResult {
    QString text;              // the page as single-byte text, possibly empty
    bool sessionOpened = true; // false when the fetch could not start at all
    int attempts = 0;
};

// Fetches a page asynchronously: retries at once while an attempt brings no text, reads the
// body in 2048-byte pieces and cuts each piece at its first NUL byte. One fetch at a time.
class PageFetcher : public QObject {
    Q_OBJECT
public:
    explicit PageFetcher(QObject* parent = nullptr);

    void FetchPage(const QUrl& url, const FetchOptions& options);
    bool Busy() const;

signals:
    void finished(const FetchResult& result);
};
