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
    // The transfer ends once the text holds this many characters or more (the piece that got
    // there is kept, the next one is never read); 0 reads the whole body.
    qsizetype sizeCap = 0;
    bool reload = true; // true: always from the server; false: ask proxies not to cache
    // An attempt still running after this long brought no text: what it read is dropped and
    // the next attempt starts.
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
    ~PageFetcher() override;

    // Starts a fetch and returns at once; finished follows, also when the URL names no
    // http(s) host (no session, no attempt). False while a fetch runs: nothing is started.
    bool FetchPage(const QUrl& url, const FetchOptions& options);
    bool Busy() const;

    static constexpr qsizetype PieceSize = 2048;

signals:
    void finished(const FetchResult& result);

private:
    void StartAttempt();
    bool ReadPieces(bool toEnd);
    void EndAttempt();
    void Finish();

    QNetworkAccessManager* manager;
    QTimer* attemptTimer;
    QNetworkReply* reply = nullptr;
    QUrl url;
    FetchOptions options;
    FetchResult result;
    bool busy = false;
};
