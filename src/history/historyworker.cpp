#include "history/historyworker.h"

#include "history/historylog.h"

#include <QThread>
#include <QTimer>

#include <malloc.h>
#include <time.h>

HistoryWorker::HistoryWorker(const QString& path, Clock clock, Ticks ticks)
    : Store(path, QStringLiteral("qzrate-history-%1").arg(quintptr(this))), Now(std::move(clock)),
      Since(std::move(ticks)) {}

qint64 HistoryWorker::BootTicks() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void HistoryWorker::Open() {
    if (EnsureOpen()) {
        TellReferenceHeld();
        Fold();
    }
    Rest();
}

void HistoryWorker::TellReferenceHeld() {
    const QList<ReferenceDay> held = NewestReferenceDays(Store.Database(), 2);
    if (!held.isEmpty())
        emit ReferenceHeld(held);
}

void HistoryWorker::KeepReference(const QList<ReferenceDay>& days,
                                  const ReadingStore::Marks& marks) {
    const bool kept = EnsureOpen() && Store.PutReference(days, marks);
    // One line when keeping them starts failing, one when it works again.
    if (kept == ReferenceFailing) {
        ReferenceFailing = !kept;
        if (ReferenceFailing)
            qCWarning(lcHistory).noquote() << "reference rates not kept:" << Store.Error();
        else
            qCInfo(lcHistory) << "reference rates kept again";
    }
    if (kept)
        TellReferenceHeld();
    Rest();
}

void HistoryWorker::ReadReference() {
    if (EnsureOpen())
        emit ReferenceRead(ReadReferenceState(Store.Database()));
}

bool HistoryWorker::ClockSettled() {
    const qint64 ticks = Since();
    const qint64 offset = Now().toMSecsSinceEpoch() - ticks;
    if (!SteadySince || std::abs(offset - LastOffset) > JumpMs)
        SteadySince = ticks;
    LastOffset = offset;
    return ticks - *SteadySince >= SettleMs;
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
        qCWarning(lcHistory).noquote() << QStringLiteral("history file %1: moved aside as %2 and "
                                                         "started anew")
                                              .arg(Store.MovedAsideWhy(), Store.MovedAside());
    return true;
}

void HistoryWorker::Keep(const StoredReading& reading) {
    if (Pending.Add(reading))
        qCWarning(lcHistory) << "history: more readings wait than memory keeps; the oldest go";
    if (Flush())
        Fold();
    Rest(false);
}

void HistoryWorker::Finish() {
    if (!Pending.Readings().isEmpty())
        Flush();
}

bool HistoryWorker::Flush() {
    // Tried again at each reading, so writing resumes by itself once the disk allows it.
    if (!EnsureOpen())
        return false;
    if (!Store.Append(Pending.Readings())) {
        if (!Paused)
            qCWarning(lcHistory).noquote()
                << "history writing paused, readings wait in memory:" << Store.Error();
        Paused = true;
        return false;
    }
    if (Paused)
        qCInfo(lcHistory) << "history writing resumed:" << Pending.Readings().size()
                          << "readings written";
    Paused = false;
    Pending.Clear();
    emit Kept();
    return true;
}

void HistoryWorker::Fold() {
    if (Folding || !ClockSettled())
        return;
    const int folded = Store.FoldSome(Now().toMSecsSinceEpoch());
    // One line when folding starts failing, one when it works again.
    if ((folded < 0) != FoldFailing) {
        FoldFailing = folded < 0;
        if (FoldFailing)
            qCWarning(lcHistory).noquote() << "history folding failed:" << Store.Error();
        else
            qCInfo(lcHistory) << "history folding works again";
    }
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

void HistoryWorker::Ask(quint64 ticket, ChartRange range, int pixels) {
    if (!EnsureOpen()) {
        emit Answered(ticket, {}, Store.Error());
        return;
    }
    const TimeSpan span = RangeSpanIn(Store.Database(), range, Now());
    // A query that fails part-way leaves what it found, drawn with its error.
    QString error;
    const QList<Slice> readings = QueryReadingSlices(Store.Database(), span, pixels, error);
    const QList<Slice> candles = QueryCandleSlices(Store.Database(), span, pixels, error);
    const QList<Slice> reference = QueryReferenceSlices(Store.Database(), span, pixels, error);
    emit Answered(ticket, BuildChartLines(span, readings, candles, reference), error);
    Rest();
}
