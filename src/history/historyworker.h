#pragma once

#include "history/chartquery.h"
#include "history/pendingreadings.h"
#include "history/readingstore.h"
#include "history/sparsecode.h"

#include <QObject>

#include <functional>
#include <optional>

// The history's own thread: it opens and checks the file, writes the readings, folds the old
// ones and answers the chart, so the window never waits for the database. Readings that cannot
// be written wait in memory and go with the next reading that can.
class HistoryWorker : public QObject {
    Q_OBJECT

public:
    using Clock = std::function<QDateTime()>;
    // A clock that only runs forward, suspends included, in milliseconds.
    using Ticks = std::function<qint64()>;
    HistoryWorker(const QString& path, Clock clock, Ticks ticks = BootTicks);

    // Folding deletes raw readings for good, so it waits until the wall clock has kept in step
    // with the ticks for this long: a clock set ahead for a while folds nothing.
    static constexpr qint64 SettleMs = 60 * 60 * 1000;
    // A wall clock that moves this far against the ticks has jumped.
    static constexpr qint64 JumpMs = 60 * 1000;

    // Each runs on the worker's thread.
    void Open();
    void Keep(const StoredReading& reading);
    void Ask(quint64 ticket, ChartRange range, int pixels);
    // Reference days (each date kept once) and marks, in one transaction; then ReferenceHeld.
    void KeepReference(const QList<ReferenceDay>& days, const ReadingStore::Marks& marks);
    // ReferenceRead with what the history holds of the reference rates; nothing while the file
    // cannot be written, since a backfill would have nowhere to go.
    void ReadReference();
    // The program ends: readings that wait get one last try.
    void Finish();

    static qint64 BootTicks();

signals:
    // The readings waiting were written.
    void Kept();
    // The chart's answer; error tells why there is none.
    void Answered(quint64 ticket, const ChartLines& lines, const QString& error);
    // The newest reference days held, newest first: the day and the one before, or fewer.
    void ReferenceHeld(const QList<ReferenceDay>& days);
    void ReferenceRead(const ReferenceState& state);

private:
    bool EnsureOpen();
    bool Flush();
    void TellReferenceHeld();
    void Fold();
    bool ClockSettled();
    // After each step: the database's code goes back until the next. After a large one the
    // heap's freed memory goes back too; what a reading's write frees, the next one takes again.
    void Rest(bool large = true);

    ReadingStore Store;
    Clock Now;
    Ticks Since;
    PendingReadings Pending;
    bool Paused = false;
    bool Folding = false;
    bool FoldFailing = false;
    bool ReferenceFailing = false;
    std::optional<qint64> SteadySince;
    qint64 LastOffset = 0;
    std::optional<ResidentCode> DatabaseCode;
};
