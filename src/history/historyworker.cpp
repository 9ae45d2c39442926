#include "history/historyworker.h"

#include "history/historylog.h"

#include <QThread>
#include <QTimer>

#include <malloc.h>

HistoryWorker::HistoryWorker(const QString& path, Clock clock)
    : Store(path, QStringLiteral("qzrate-history-%1").arg(quintptr(this))), Now(std::move(clock)) {}

void HistoryWorker::Open() {
    if (EnsureOpen())
        Fold();
    Rest();
}

void HistoryWorker::Rest(bool large) {
    if (!DatabaseCode && Store.IsOpen())
        DatabaseCode.emplace(QStringList{QStringLiteral("/libsqlite3.so"),
                                         QStringLiteral("/libqsqlite.so"),
                                         QStringLiteral("/libQt6Sql.so")});
    if (DatabaseCode) {
        Store.FreeCache();
        DatabaseCode->HandBack();
        if (large)
            malloc_trim(0);
    }
}

bool HistoryWorker::EnsureOpen() {
    if (Store.IsOpen())
        return true;
    if (!Store.Open(Now())) {
        if (!Paused)
            qCWarning(lcHistory).noquote() << "history writing paused:" << Store.Error();
        Paused = true;
        return false;
    }
    if (!Store.MovedAside().isEmpty())
        qCWarning(lcHistory).noquote()
            << "history file damaged: moved aside as" << Store.MovedAside() << "and started anew";
    return true;
}

void HistoryWorker::Keep(const StoredReading& reading) {
    if (Pending.Add(reading))
        qCWarning(lcHistory) << "history: more readings wait than memory keeps; the oldest go";
    Flush();
    Rest(false);
}

void HistoryWorker::Flush() {
    // Tried again at each reading, so writing resumes by itself once the disk allows it.
    if (!EnsureOpen())
        return;
    if (!Store.Append(Pending.Readings())) {
        if (!Paused)
            qCWarning(lcHistory).noquote()
                << "history writing paused, readings wait in memory:" << Store.Error();
        Paused = true;
        return;
    }
    if (Paused)
        qCInfo(lcHistory) << "history writing resumed:" << Pending.Readings().size()
                          << "readings written";
    Paused = false;
    Pending.Clear();
    emit Kept();
    Fold();
}

void HistoryWorker::Fold() {
    if (Folding)
        return;
    const int folded = Store.FoldSome(Now().toMSecsSinceEpoch());
    if (folded < 0)
        qCWarning(lcHistory).noquote() << "history folding failed:" << Store.Error();
    if (folded <= 0)
        return;
    // The next day of slices after whatever came meanwhile.
    Folding = true;
    QTimer::singleShot(0, this, [this] {
        Folding = false;
        Fold();
        Rest();
    });
}

TimeSpan HistoryWorker::SpanOf(ChartRange range) {
    const QDateTime now = Now();
    return RangeSpan(range, now, QueryKeptTimes(Store.Database(), now.toMSecsSinceEpoch()));
}

void HistoryWorker::Ask(quint64 ticket, ChartRange range, int pixels) {
    if (!EnsureOpen()) {
        emit Answered(ticket, {}, Store.Error());
        return;
    }
    const TimeSpan span = SpanOf(range);
    // A query that fails part-way leaves what it found, drawn with its error.
    QString error;
    const QList<Slice> readings = QueryReadingSlices(Store.Database(), span, pixels, error);
    const QList<Slice> candles = QueryCandleSlices(Store.Database(), span, pixels, error);
    emit Answered(ticket, BuildChartLines(span, readings, candles), error);
    Rest();
}

void HistoryWorker::Export(const QString& path, std::optional<ChartRange> range,
                           std::shared_ptr<std::atomic_bool> cancel) {
    if (!EnsureOpen()) {
        emit Exported(ExportResult{.Error = Store.Error()});
        return;
    }
    const TimeSpan span = range ? SpanOf(*range) : WholeHistory;
    emit Exported(ExportHistory(Store.Database(), span, path, cancel.get()));
    Rest();
}
