#pragma once

#include "history/chartquery.h"
#include "history/historyexport.h"
#include "history/pendingreadings.h"
#include "history/readingstore.h"
#include "history/sparsecode.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

// The history's own thread: it opens and checks the file, writes the readings, folds the old
// ones and answers the chart and the export, so the window never waits for the database.
// Readings that cannot be written wait in memory and go with the next reading that can.
class HistoryWorker : public QObject {
    Q_OBJECT

public:
    using Clock = std::function<QDateTime()>;
    HistoryWorker(const QString& path, Clock clock);

    // Each runs on the worker's thread.
    void Open();
    void Keep(const StoredReading& reading);
    void Ask(quint64 ticket, ChartRange range, int pixels);
    void Export(const QString& path, std::optional<ChartRange> range,
                std::shared_ptr<std::atomic_bool> cancel);

signals:
    // The readings waiting were written.
    void Kept();
    // The chart's answer; error tells why there is none.
    void Answered(quint64 ticket, const ChartLines& lines, const QString& error);
    void Exported(const ExportResult& result);

private:
    bool EnsureOpen();
    void Flush();
    void Fold();
    TimeSpan SpanOf(ChartRange range);
    // After each step: the database's code goes back until the next. After a large one the
    // heap's freed memory goes back too; what a reading's write frees, the next one takes again.
    void Rest(bool large = true);

    ReadingStore Store;
    Clock Now;
    PendingReadings Pending;
    bool Paused = false;
    bool Folding = false;
    std::optional<ResidentCode> DatabaseCode;
};
