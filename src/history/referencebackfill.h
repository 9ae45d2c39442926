#pragma once

#include "history/readingstore.h"
#include "sources/referencefetcher.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <QUrl>

// What a history lacks of the reference rates, from what it holds: the 90 days when its newest
// day is more than 4 days old; the whole history since 1999 once ever, when it holds no day
// before the last 90, tried at most once a day until it has worked. In the order to fetch.
QList<ReferenceFile> BackfillPlan(const ReferenceState& state, const QDate& today);

// The marks a fetch of the whole history leaves: tried today, and done when it brought rates.
ReadingStore::Marks BackfillMarks(ReferenceFile file, bool fetched, const QDate& today);

// Fetches the files of a plan one after the other on the thread it lives on, and hands each
// file's days over as they come, for the history to keep in one transaction per file.
class ReferenceBackfill : public QObject {
    Q_OBJECT
public:
    ReferenceBackfill(const QUrl& base, QList<ReferenceFile> plan, ReferenceFetcher::Clock clock);

    // Starts the plan; Finished follows.
    void Run();

signals:
    // A file fetched: its days (none when it failed) and the marks to keep with them.
    void Fetched(const QList<ReferenceDay>& days, const ReadingStore::Marks& marks);
    void Finished();

private:
    void Next();
    void Take(const ReferenceFetch& fetch);

    QUrl Base;
    QList<ReferenceFile> Plan;
    ReferenceFetcher::Clock Clock;
    ReferenceFetcher Fetcher;
};
