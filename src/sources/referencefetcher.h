#pragma once

#include "sources/httptransfer.h"
#include "sources/referencerates.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

class QTimer;

// The central bank's three reference-rate files, all in one folder.
enum class ReferenceFile {
    Day,    // eurofxref-daily.xml: the last working day
    Days90, // eurofxref-hist-90d.xml: the last 90 days
    Full,   // eurofxref-hist.xml: every working day since 4 January 1999
};

struct ReferenceFetch {
    enum class Outcome {
        Rates,       // days holds at least one usable day
        NotModified, // the server has nothing newer than ifModifiedSince
        Failed,      // no rate: see error
    };

    ReferenceFile file = ReferenceFile::Day;
    Outcome outcome = Outcome::Failed;
    QList<ReferenceDay> days = {}; // newest first
    // The answer's Last-Modified, to send as If-Modified-Since next time; with NotModified the
    // value asked with when the answer names none.
    QByteArray lastModified = {};
    QString error = {};
};
Q_DECLARE_METATYPE(ReferenceFetch)

// Fetches one reference-rate file at a time and reads it, on the event loop of the thread the
// object lives in. A file larger than its cap, cut off, answered with a status outside 2xx or
// not a readable reference file with a usable day brings no rate; what arrived is never read in
// part. The day's file is one attempt of at most Times::dayMs; a history file ends when no byte
// came for Times::quietMs or after Times::historyMs in all.
class ReferenceFetcher : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    struct Times {
        int dayMs = 10 * 1000;
        int quietMs = 20 * 1000;
        int historyMs = 5 * 60 * 1000;
    };

    // The clock gives today for the reading: days after tomorrow are left out.
    explicit ReferenceFetcher(Clock clock, QObject* parent = nullptr);
    ~ReferenceFetcher() override;

    void SetTimes(const Times& times);

    // Starts fetching file from the folder base (a URL ending in '/') and returns at once;
    // finished follows. A non-empty ifModifiedSince is sent as If-Modified-Since. False, with
    // nothing started and no signal, while a fetch runs, when base is not an http(s) URL with
    // a host (a reference turned off is an empty URL) or when libcurl cannot be loaded.
    bool Fetch(ReferenceFile file, const QUrl& base, const QByteArray& ifModifiedSince = {});
    bool Busy() const;

    static QString FileName(ReferenceFile file);
    // The largest file of each kind that is read.
    static qsizetype MaxSize(ReferenceFile file);

signals:
    void finished(const ReferenceFetch& fetch);

private:
    bool TakePiece(QByteArrayView piece);
    void WatchQuiet();
    void EndTransfer(HttpTransfer::Outcome outcome);
    void ReadBody();
    void Finish(ReferenceFetch::Outcome outcome, const QString& error = {});

    HttpTransfer* transfer;
    QTimer* quietWatch;
    Clock clock;
    Times times;
    QByteArray askedSince;
    QByteArray body;
    ReferenceFetch result;
    qint64 bytesSeen = 0;
    QElapsedTimer sinceLastByte;
    bool tooLarge = false;
};
