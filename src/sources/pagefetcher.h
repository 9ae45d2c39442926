#pragma once

#include "sources/httptransfer.h"

#include <QObject>
#include <QString>
#include <QUrl>

class QTimer;

struct FetchOptions {
    int maxAttempts = 1;
    // The transfer ends once the text holds this many characters or more (the piece that got
    // there is kept, the next one is never read); 0 reads the whole body.
    qsizetype sizeCap = 0;
    bool reload = true; // true: always from the server; false: ask proxies not to cache
    // An attempt still running after this long brought no text: what it read is dropped and
    // the next attempt starts.
    int attemptTimeoutMs = 20000;
    // All attempts of one fetch end by then; a fetch that runs out of time brought no text.
    int deadlineMs = 60000;
};

struct FetchResult {
    QString text;              // the page as single-byte text, possibly empty
    bool sessionOpened = true; // false when the fetch could not start at all
    int attempts = 0;
};

// Fetches a page asynchronously: retries at once while an attempt brings no text, reads the
// body in 2048-byte pieces and cuts each piece at its first NUL byte. An attempt that ends in a
// network error or its time-out brings no text, whatever it had read. One fetch at a time.
class PageFetcher : public QObject {
    Q_OBJECT
public:
    explicit PageFetcher(QObject* parent = nullptr);
    ~PageFetcher() override;

    // Starts a fetch and returns at once; finished follows, also when the URL names no
    // http(s) host (no session, no attempt). False while a fetch runs: nothing is started.
    bool FetchPage(const QUrl& url, const FetchOptions& options);
    bool Busy() const;

    static constexpr qsizetype PieceSize = HttpTransfer::PieceSize;

signals:
    void finished(const FetchResult& result);

private:
    void StartAttempt();
    bool TakePiece(QByteArrayView piece);
    void EndAttempt(HttpTransfer::Outcome outcome);
    void Finish();

    HttpTransfer* transfer;
    QTimer* deadline;
    QUrl url;
    FetchOptions options;
    FetchResult result;
    bool busy = false;
};
