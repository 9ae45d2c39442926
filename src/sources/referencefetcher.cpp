#include "sources/referencefetcher.h"

#include "sources/sourceslog.h"

#include <QTimer>

using Outcome = ReferenceFetch::Outcome;

ReferenceFetcher::ReferenceFetcher(Clock clock, QObject* parent)
    : QObject(parent), transfer(new HttpTransfer(this)), quietWatch(new QTimer(this)),
      clock(std::move(clock)) {
    connect(transfer, &HttpTransfer::finished, this, &ReferenceFetcher::EndTransfer);
    connect(quietWatch, &QTimer::timeout, this, &ReferenceFetcher::WatchQuiet);
}

ReferenceFetcher::~ReferenceFetcher() = default;

void ReferenceFetcher::SetTimes(const Times& newTimes) {
    times = newTimes;
}

QString ReferenceFetcher::FileName(ReferenceFile file) {
    switch (file) {
    case ReferenceFile::Day:
        return QStringLiteral("eurofxref-daily.xml");
    case ReferenceFile::Days90:
        return QStringLiteral("eurofxref-hist-90d.xml");
    case ReferenceFile::Full:
        return QStringLiteral("eurofxref-hist.xml");
    }
    Q_UNREACHABLE();
}

qsizetype ReferenceFetcher::MaxSize(ReferenceFile file) {
    switch (file) {
    case ReferenceFile::Day:
        return 64 * 1024;
    case ReferenceFile::Days90:
        return 1024 * 1024;
    case ReferenceFile::Full:
        return 16 * 1024 * 1024;
    }
    Q_UNREACHABLE();
}

bool ReferenceFetcher::Busy() const {
    return transfer->IsRunning();
}

bool ReferenceFetcher::Fetch(ReferenceFile file, const QUrl& base,
                             const QByteArray& ifModifiedSince) {
    const bool day = file == ReferenceFile::Day;
    HttpTransfer::Options options;
    options.timeoutMs = day ? times.dayMs : times.historyMs;
    if (!ifModifiedSince.isEmpty())
        options.headers.emplaceBack("If-Modified-Since", ifModifiedSince);
    // Refused while a transfer runs, and for anything but an http(s) URL with a host.
    if (!transfer->Start(base.resolved(QUrl(FileName(file))), options,
                         [this](QByteArrayView piece) { return TakePiece(piece); }))
        return false;
    result = ReferenceFetch{.file = file};
    askedSince = ifModifiedSince;
    tooLarge = false;
    if (!day) {
        bytesSeen = 0;
        sinceLastByte.start();
        quietWatch->start(qMax(1, times.quietMs / 10));
    }
    return true;
}

bool ReferenceFetcher::TakePiece(QByteArrayView piece) {
    // Never cut and read: a file over its cap is no file at all.
    const qsizetype cap = MaxSize(result.file);
    if (tooLarge || body.size() + piece.size() > cap) {
        tooLarge = true;
        return false;
    }
    if (body.isEmpty())
        body.reserve(qsizetype(qBound(qint64(0), transfer->ContentLength(), qint64(cap))));
    body.append(piece);
    return true;
}

// Bytes arrive in any sizes, pieces only every 2048 bytes: the byte count tells whether the
// server still sends. Checked ten times per quiet time.
void ReferenceFetcher::WatchQuiet() {
    if (transfer->BytesReceived() != bytesSeen) {
        bytesSeen = transfer->BytesReceived();
        sinceLastByte.start();
        return;
    }
    if (sinceLastByte.elapsed() < times.quietMs)
        return;
    transfer->Abort();
    Finish(Outcome::Failed, QStringLiteral("no byte for %1 ms").arg(times.quietMs));
}

void ReferenceFetcher::EndTransfer(HttpTransfer::Outcome outcome) {
    // The last piece comes with the end of the transfer, which it can no longer stop.
    if (tooLarge)
        Finish(Outcome::Failed, QStringLiteral("larger than %1 bytes").arg(MaxSize(result.file)));
    else if (outcome == HttpTransfer::Outcome::Complete)
        ReadBody();
    else
        Finish(Outcome::Failed, transfer->ErrorString());
}

void ReferenceFetcher::ReadBody() {
    const int status = transfer->HttpStatus();
    const QByteArray lastModified = transfer->ResponseHeader("Last-Modified");
    if (status == 304 && !askedSince.isEmpty()) {
        result.lastModified = lastModified.isEmpty() ? askedSince : lastModified;
        Finish(Outcome::NotModified);
        return;
    }
    if (status < 200 || status > 299) {
        Finish(Outcome::Failed, QStringLiteral("HTTP status %1").arg(status));
        return;
    }
    const auto days = ReadReferenceRates(body, clock().date());
    if (!days || days->isEmpty()) {
        Finish(Outcome::Failed, days ? QStringLiteral("no usable day")
                                     : QStringLiteral("not a reference-rate file"));
        return;
    }
    result.days = *days;
    result.lastModified = lastModified;
    Finish(Outcome::Rates);
}

void ReferenceFetcher::Finish(Outcome outcome, const QString& error) {
    quietWatch->stop();
    // The full history's text is large; it is not kept once read.
    body = QByteArray();
    result.outcome = outcome;
    result.error = error;
    if (outcome == Outcome::Rates) {
        qCInfo(lcSources).noquote()
            << "reference" << FileName(result.file) << result.days.size() << "days, newest"
            << result.days.first().Date.toString(Qt::ISODate);
    } else {
        qCInfo(lcSources).noquote()
            << "reference" << FileName(result.file)
            << (outcome == Outcome::NotModified ? QStringLiteral("not modified") : error);
    }
    const ReferenceFetch fetch = std::exchange(result, ReferenceFetch{});
    emit finished(fetch);
}
