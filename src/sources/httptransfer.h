#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <utility>

class QSocketNotifier;
class QTimer;
struct curl_slist;

// One HTTP GET through libcurl, driven by the event loop of the thread the object lives in (socket
// notifiers and a timer), so it never blocks that thread. Everything a hostile server could
// stretch is bounded: the time of the whole transfer, the header, the redirects (at most 5, never
// from https to http); only http and https, certificates always checked, never a proxy, a new
// connection for every transfer, closed as soon as the transfer ends for any reason.
//
// The body comes in pieces of PieceSize bytes at fixed offsets of the body (the last one may be
// shorter), handed to the piece handler as they arrive; nothing of the body is buffered beyond
// one piece, so the caller decides what it keeps.
class HttpTransfer : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Idle,     // not started yet
        Running,  // started, finished not yet emitted
        Complete, // the whole response arrived; see HttpStatus() (a 404 page is complete too)
        Stopped,  // the piece handler returned false
        Aborted,  // Abort() was called
        TimedOut, // the transfer's time ran out
        Failed,   // network, TLS or protocol error, too many redirects, header too large
    };
    Q_ENUM(Outcome)

    struct Options {
        int timeoutMs = 20000; // the whole transfer, redirects included; 0: no limit
        QList<std::pair<QByteArray, QByteArray>> headers = {}; // added to the request
        // PEM certificates to trust instead of the system's store (a private server's);
        // empty: the system's store.
        QByteArray caCertificates = {};
    };

    // Returns false to stop the transfer at once (Outcome Stopped). It must not delete the
    // transfer; it may call Abort().
    using PieceHandler = std::function<bool(QByteArrayView piece)>;

    explicit HttpTransfer(QObject* parent = nullptr);
    // A running transfer is aborted.
    ~HttpTransfer() override;

    // Loads libcurl on a worker thread, so the first transfer need not wait for it on its own
    // thread. Without it the library is loaded by the first Start.
    static void LoadInBackground();

    // Starts the transfer and returns at once; finished follows from the event loop. False,
    // with nothing started and no signal, while a transfer runs, when the URL is not an http
    // or https URL with a host, or when libcurl cannot be loaded.
    bool Start(const QUrl& url, const Options& options, PieceHandler onPiece);
    // Ends a running transfer at once and closes its connection; finished is not emitted.
    void Abort();
    // Runs a local event loop until finished; for worker threads. Gives the outcome.
    Outcome WaitForFinished();

    Outcome Result() const { return outcome; }
    bool IsRunning() const { return outcome == Outcome::Running; }
    // The status of the last response (after redirects), 0 before one arrived.
    int HttpStatus() const;
    // The announced length of the body, -1 when unknown; known from the first piece on.
    qint64 ContentLength() const;
    // The value of a header of the last response (after redirects), the name in any case;
    // empty when it has none.
    QByteArray ResponseHeader(QByteArrayView name) const;
    qint64 BytesReceived() const { return bytesReceived; }
    // Why the transfer failed or timed out; empty otherwise.
    QString ErrorString() const { return errorText; }

    static constexpr qsizetype PieceSize = 2048;
    static constexpr qsizetype MaxHeaderSize = 64 * 1024; // all responses of one transfer
    static constexpr long MaxRedirects = 5;
    static const QByteArray UserAgent;

    // Whether a redirect from one URL to another may be followed: http(s) only, never from
    // https to http.
    static bool RedirectAllowed(const QUrl& from, const QUrl& to);

signals:
    void finished(HttpTransfer::Outcome outcome);

private:
    struct Watch {
        QSocketNotifier* read = nullptr;
        QSocketNotifier* write = nullptr;
    };

    static int OnSocket(void* easy, int socket, int what, void* self, void* socketData);
    static int OnTimer(void* multi, long timeoutMs, void* self);
    static size_t OnHeader(char* data, size_t size, size_t count, void* self);
    static size_t OnBody(char* data, size_t size, size_t count, void* self);

    void WatchSocket(int socket, int what);
    static void Drop(const Watch& watch);
    QSocketNotifier* Notifier(QSocketNotifier* existing, int socket, bool read);
    void Drive(int socket, int events);
    void CheckDone();
    bool Deliver(QByteArrayView piece);
    void End(Outcome result);
    void Release();

    void* multi = nullptr; // CURLM*
    void* easy = nullptr;  // CURL*
    curl_slist* requestHeaders = nullptr;
    QTimer* timer;
    QHash<int, Watch> watches;
    PieceHandler onPiece;
    QByteArray partial;
    QList<QByteArray> responseHeaders; // the last response's header lines
    QByteArray errorBuffer;
    QString errorText;
    qint64 bytesReceived = 0;
    qsizetype headerBytes = 0;
    long lastStatus = 0;
    qint64 contentLength = -1;
    Outcome outcome = Outcome::Idle;
    bool insideCurl = false;
    bool abortAsked = false;
    bool stoppedByHandler = false;
    quint64 generation = 0; // a restarted or aborted transfer drops the old finished signal
};
