#include "history/referencebackfill.h"

#include "history/historylog.h"

namespace {

const QString FullDone = QStringLiteral("full-history");
const QString FullTried = QStringLiteral("full-history-tried");

} // namespace

QList<ReferenceFile> BackfillPlan(const ReferenceState& state, const QDate& today) {
    QList<ReferenceFile> plan;
    if (!state.Newest.isValid() || state.Newest.daysTo(today) > 4)
        plan.append(ReferenceFile::Days90);
    const bool older = state.Oldest.isValid() && state.Oldest < today.addDays(-90);
    if (!older && state.Marks.value(FullDone).isEmpty() &&
        state.Marks.value(FullTried) != today.toString(Qt::ISODate))
        plan.append(ReferenceFile::Full);
    return plan;
}

ReadingStore::Marks BackfillMarks(ReferenceFile file, bool fetched, const QDate& today) {
    if (file != ReferenceFile::Full)
        return {};
    ReadingStore::Marks marks{{FullTried, today.toString(Qt::ISODate)}};
    if (fetched)
        marks.insert(FullDone, today.toString(Qt::ISODate));
    return marks;
}

ReferenceBackfill::ReferenceBackfill(const QUrl& base, QList<ReferenceFile> plan,
                                     ReferenceFetcher::Clock clock)
    : Base(base), Plan(std::move(plan)), Clock(clock), Fetcher(std::move(clock), this) {
    connect(&Fetcher, &ReferenceFetcher::finished, this, &ReferenceBackfill::Take);
}

void ReferenceBackfill::Run() {
    Next();
}

void ReferenceBackfill::Next() {
    while (!Plan.isEmpty()) {
        if (Fetcher.Fetch(Plan.first(), Base))
            return;
        Plan.removeFirst();
    }
    emit Finished();
}

void ReferenceBackfill::Take(const ReferenceFetch& fetch) {
    const bool fetched = fetch.outcome == ReferenceFetch::Outcome::Rates;
    if (fetched)
        qCInfo(lcHistory) << "reference rates fetched:" << ReferenceFetcher::FileName(fetch.file)
                          << fetch.days.size() << "days";
    else
        qCInfo(lcHistory).noquote() << "reference rates not fetched:"
                                    << ReferenceFetcher::FileName(fetch.file) << fetch.error;
    // A file that brought nothing stores nothing but the day it was tried.
    emit Fetched(fetched ? fetch.days : QList<ReferenceDay>{},
                 BackfillMarks(fetch.file, fetched, Clock().date()));
    Plan.removeFirst();
    Next();
}
