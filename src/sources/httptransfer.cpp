#include "sources/httptransfer.h"

#include <QEventLoop>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QThreadPool>
#include <QTimer>

#include <curl/curl.h>
#include <dlfcn.h>

Q_LOGGING_CATEGORY(lcHttp, "qzrate.http")

namespace {

// libcurl and the TLS, name and protocol libraries behind it take tens of milliseconds to load
// and set up, and some megabytes. Loaded when first needed rather than with the program, they
// keep out of its start.
#define CURL_FUNCTIONS(X)                                                                          \
    X(easy_init)                                                                                   \
    X(easy_setopt)                                                                                 \
    X(easy_getinfo)                                                                                \
    X(easy_strerror)                                                                               \
    X(easy_cleanup)                                                                                \
    X(multi_init)                                                                                  \
    X(multi_setopt)                                                                                \
    X(multi_add_handle)                                                                            \
    X(multi_socket_action)                                                                         \
    X(multi_info_read)                                                                             \
    X(multi_remove_handle)                                                                         \
    X(multi_cleanup)                                                                               \
    X(slist_append)                                                                                \
    X(slist_free_all)

struct CurlLibrary {
    bool loaded = false;
#define CURL_POINTER(name) decltype(&::curl_##name) name = nullptr;
    CURL_FUNCTIONS(CURL_POINTER)
#undef CURL_POINTER
};

template <typename Function> bool Resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

CurlLibrary LoadCurl() {
    CurlLibrary curl;
    // Stays loaded: transfers on any thread may use it until the program ends.
    void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    decltype(&::curl_global_init) global_init = nullptr;
#define CURL_RESOLVE(name) &&Resolve(library, "curl_" #name, curl.name)
    const bool resolved =
        library && Resolve(library, "curl_global_init", global_init) CURL_FUNCTIONS(CURL_RESOLVE);
#undef CURL_RESOLVE
    if (!resolved) {
        qCWarning(lcHttp) << "no HTTP transfers: libcurl cannot be loaded:" << dlerror();
        return curl;
    }
    curl.loaded = global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (!curl.loaded)
        qCWarning(lcHttp) << "no HTTP transfers: libcurl cannot be set up";
    return curl;
}

// Loaded once, by whichever thread asks first; the others wait for it.
const CurlLibrary& Curl() {
    static const CurlLibrary curl = LoadCurl();
    return curl;
}

bool IsHttp(const QUrl& url) {
    return url.scheme() == u"http" || url.scheme() == u"https";
}
} // namespace

const QByteArray HttpTransfer::UserAgent = QByteArrayLiteral("qzRate");

bool HttpTransfer::RedirectAllowed(const QUrl& from, const QUrl& to) {
    return IsHttp(to) && !(from.scheme() == u"https" && to.scheme() != u"https");
}

void HttpTransfer::LoadInBackground() {
    QThreadPool::globalInstance()->start([] { Curl(); });
}

HttpTransfer::HttpTransfer(QObject* parent) : QObject(parent), timer(new QTimer(this)) {
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this] { Drive(CURL_SOCKET_TIMEOUT, 0); });
}

HttpTransfer::~HttpTransfer() {
    Release();
}

bool HttpTransfer::Start(const QUrl& url, const Options& options, PieceHandler handler) {
    if (IsRunning() || !url.isValid() || url.host().isEmpty() || !IsHttp(url) || !Curl().loaded)
        return false;
    // A multi handle of its own: no connection outlives the transfer, and transfers on
    // different threads share nothing.
    multi = Curl().multi_init();
    easy = Curl().easy_init();
    if (!multi || !easy) {
        Release();
        return false;
    }

    ++generation;
    onPiece = std::move(handler);
    partial.clear();
    partial.reserve(PieceSize);
    errorBuffer.fill('\0', CURL_ERROR_SIZE);
    errorText.clear();
    bytesReceived = 0;
    headerBytes = 0;
    responseHeaders.clear();
    lastStatus = 0;
    contentLength = -1;
    abortAsked = false;
    stoppedByHandler = false;
    outcome = Outcome::Running;

    for (const auto& [name, value] : options.headers)
        requestHeaders = Curl().slist_append(requestHeaders, name + ": " + value);

    const QByteArray address = url.toEncoded();
    Curl().easy_setopt(easy, CURLOPT_URL, address.constData());
    Curl().easy_setopt(easy, CURLOPT_HTTPHEADER, requestHeaders);
    Curl().easy_setopt(easy, CURLOPT_USERAGENT, UserAgent.constData());
    // Redirects included; OnHeader refuses the step from https down to http.
    Curl().easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    Curl().easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    Curl().easy_setopt(easy, CURLOPT_MAXREDIRS, MaxRedirects);
    // An empty proxy overrides any proxy from the environment.
    Curl().easy_setopt(easy, CURLOPT_PROXY, "");
    Curl().easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    Curl().easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!options.caCertificates.isEmpty()) {
        curl_blob trusted{const_cast<char*>(options.caCertificates.constData()),
                          size_t(options.caCertificates.size()), CURL_BLOB_COPY};
        Curl().easy_setopt(easy, CURLOPT_CAINFO_BLOB, &trusted);
    }
    Curl().easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    Curl().easy_setopt(easy, CURLOPT_TIMEOUT_MS, long(options.timeoutMs));
    Curl().easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer.data());
    Curl().easy_setopt(easy, CURLOPT_HEADERFUNCTION, &HttpTransfer::OnHeader);
    Curl().easy_setopt(easy, CURLOPT_HEADERDATA, this);
    Curl().easy_setopt(easy, CURLOPT_WRITEFUNCTION, &HttpTransfer::OnBody);
    Curl().easy_setopt(easy, CURLOPT_WRITEDATA, this);

    Curl().multi_setopt(multi, CURLMOPT_SOCKETFUNCTION, &HttpTransfer::OnSocket);
    Curl().multi_setopt(multi, CURLMOPT_SOCKETDATA, this);
    Curl().multi_setopt(multi, CURLMOPT_TIMERFUNCTION, &HttpTransfer::OnTimer);
    Curl().multi_setopt(multi, CURLMOPT_TIMERDATA, this);
    // Asks for the timer, whose first tick starts the transfer from the event loop.
    Curl().multi_add_handle(multi, easy);
    return true;
}

void HttpTransfer::Abort() {
    if (!IsRunning())
        return;
    if (insideCurl) {
        // Called from the piece handler: libcurl must unwind first.
        abortAsked = true;
        return;
    }
    Release();
    outcome = Outcome::Aborted;
    ++generation;
}

HttpTransfer::Outcome HttpTransfer::WaitForFinished() {
    if (IsRunning()) {
        QEventLoop loop;
        connect(this, &HttpTransfer::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return outcome;
}

int HttpTransfer::HttpStatus() const {
    return int(lastStatus);
}

qint64 HttpTransfer::ContentLength() const {
    return contentLength;
}

QByteArray HttpTransfer::ResponseHeader(QByteArrayView name) const {
    for (const QByteArray& line : responseHeaders) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.first(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.sliced(colon + 1).trimmed();
    }
    return {};
}

int HttpTransfer::OnSocket(void*, int socket, int what, void* self, void*) {
    static_cast<HttpTransfer*>(self)->WatchSocket(socket, what);
    return 0;
}

int HttpTransfer::OnTimer(void*, long timeoutMs, void* self) {
    QTimer* timer = static_cast<HttpTransfer*>(self)->timer;
    // Never driven from inside libcurl: a due timeout runs from the event loop.
    if (timeoutMs < 0)
        timer->stop();
    else
        timer->start(int(qMin(timeoutMs, long(INT_MAX))));
    return 0;
}

size_t HttpTransfer::OnHeader(char* data, size_t size, size_t count, void* self) {
    auto* transfer = static_cast<HttpTransfer*>(self);
    const size_t length = size * count;
    transfer->headerBytes += qsizetype(length);
    if (transfer->headerBytes > MaxHeaderSize) {
        transfer->errorText = QStringLiteral("response header too large");
        return CURL_WRITEFUNC_ERROR;
    }
    const QByteArrayView line(data, qsizetype(length));
    // A status line starts the headers of the next response of a redirect.
    if (line.startsWith("HTTP/"))
        transfer->responseHeaders.clear();
    else
        transfer->responseHeaders.append(line.toByteArray());
    if (line.size() < 9 || qstrnicmp(line.data(), "location:", 9) != 0)
        return length;
    long& status = transfer->lastStatus;
    Curl().easy_getinfo(transfer->easy, CURLINFO_RESPONSE_CODE, &status);
    if (status < 300 || status > 399)
        return length;
    const char* current = nullptr;
    Curl().easy_getinfo(transfer->easy, CURLINFO_EFFECTIVE_URL, &current);
    const QUrl from = QUrl::fromEncoded(current);
    const QUrl to = from.resolved(QUrl::fromEncoded(line.sliced(9).trimmed().toByteArray()));
    if (RedirectAllowed(from, to))
        return length;
    transfer->errorText = QStringLiteral("redirect to %1 refused").arg(to.toDisplayString());
    return CURL_WRITEFUNC_ERROR;
}

size_t HttpTransfer::OnBody(char* data, size_t size, size_t count, void* self) {
    auto* transfer = static_cast<HttpTransfer*>(self);
    const size_t length = size * count;
    if (transfer->contentLength < 0) {
        curl_off_t announced = -1;
        Curl().easy_getinfo(transfer->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
        transfer->contentLength = announced;
    }
    transfer->bytesReceived += qint64(length);
    QByteArrayView rest(data, qsizetype(length));
    QByteArray& partial = transfer->partial;
    while (!rest.isEmpty()) {
        const qsizetype take = qMin(PieceSize - partial.size(), rest.size());
        partial.append(rest.first(take));
        rest = rest.sliced(take);
        if (partial.size() == PieceSize && !transfer->Deliver(partial))
            return CURL_WRITEFUNC_ERROR;
    }
    return transfer->abortAsked ? CURL_WRITEFUNC_ERROR : length;
}

bool HttpTransfer::Deliver(QByteArrayView piece) {
    const bool goOn = onPiece(piece);
    partial.resize(0);
    if (!goOn)
        stoppedByHandler = true;
    return goOn && !abortAsked;
}

void HttpTransfer::WatchSocket(int socket, int what) {
    Watch& watch = watches[socket];
    if (what == CURL_POLL_REMOVE) {
        // libcurl is about to close the socket: the notifiers must let go of it now.
        Drop(watch);
        watches.remove(socket);
        return;
    }
    watch.read = Notifier(watch.read, socket, true);
    watch.write = Notifier(watch.write, socket, false);
    watch.read->setEnabled(what & CURL_POLL_IN);
    watch.write->setEnabled(what & CURL_POLL_OUT);
}

// Possibly from inside the notifier's own signal, hence deleteLater.
void HttpTransfer::Drop(const Watch& watch) {
    for (QSocketNotifier* notifier : {watch.read, watch.write}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
}

QSocketNotifier* HttpTransfer::Notifier(QSocketNotifier* existing, int socket, bool read) {
    if (existing)
        return existing;
    auto* notifier =
        new QSocketNotifier(socket, read ? QSocketNotifier::Read : QSocketNotifier::Write, this);
    const int events = read ? CURL_CSELECT_IN : CURL_CSELECT_OUT;
    connect(notifier, &QSocketNotifier::activated, this,
            [this, socket, events] { Drive(socket, events); });
    return notifier;
}

void HttpTransfer::Drive(int socket, int events) {
    if (!multi) // ended: a notifier whose deletion is pending
        return;
    int running = 0;
    insideCurl = true;
    Curl().multi_socket_action(multi, socket, events, &running);
    insideCurl = false;
    CheckDone();
}

void HttpTransfer::CheckDone() {
    if (abortAsked) {
        Abort();
        return;
    }
    int left = 0;
    while (CURLMsg* message = Curl().multi_info_read(multi, &left)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        const CURLcode code = message->data.result;
        Curl().easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &lastStatus);
        if (code == CURLE_OK) {
            // The last, shorter piece; a false from the handler changes nothing now.
            if (!partial.isEmpty())
                Deliver(partial);
            End(Outcome::Complete);
        } else if (stoppedByHandler) {
            End(Outcome::Stopped);
        } else {
            if (errorText.isEmpty())
                errorText = QString::fromUtf8(errorBuffer.constData()).trimmed();
            if (errorText.isEmpty())
                errorText = QString::fromUtf8(Curl().easy_strerror(code));
            End(code == CURLE_OPERATION_TIMEDOUT ? Outcome::TimedOut : Outcome::Failed);
        }
        return;
    }
}

// The connection closes here; the signal follows from the event loop, so the receiver may
// restart or delete the transfer.
void HttpTransfer::End(Outcome result) {
    Release();
    const quint64 ended = generation;
    QMetaObject::invokeMethod(
        this,
        [this, ended, result] {
            if (generation != ended || !IsRunning())
                return;
            outcome = result;
            emit finished(result);
        },
        Qt::QueuedConnection);
}

void HttpTransfer::Release() {
    timer->stop();
    // Sockets libcurl did not report as removed.
    for (const Watch& watch : std::as_const(watches))
        Drop(watch);
    watches.clear();
    if (easy) {
        if (multi)
            Curl().multi_remove_handle(multi, easy);
        Curl().easy_cleanup(easy);
        easy = nullptr;
    }
    if (multi) {
        Curl().multi_cleanup(multi);
        multi = nullptr;
    }
    if (requestHeaders)
        Curl().slist_free_all(requestHeaders);
    requestHeaders = nullptr;
}
