#pragma once

#include "history/chartquery.h"
#include "history/historyexport.h"
#include "history/readingstore.h"
#include "history/storedreading.h"

#include <QDateTime>
#include <QObject>
#include <QThread>
#include <QUrl>

#include <atomic>
#include <functional>
#include <memory>

class HistoryWorker;

// The window's side of the rate history: hands readings and the chart's questions to the
// history's thread, runs exports on a thread of their own (a reading's write never waits
// behind one), and brings the answers back as signals. Nothing here waits for the database.
class HistoryService : public QObject {
    Q_OBJECT

public:
    // path: the database file; its folder is made when missing. clock: now, for folding and
    // for the chart's ranges.
    explicit HistoryService(const QString& path,
                            std::function<QDateTime()> clock = &QDateTime::currentDateTime,
                            QObject* parent = nullptr);
    // Cancels a running export; readings still waiting, or still on their way, get one last
    // write before the thread ends.
    ~HistoryService() override;

    // The user's history: history.sqlite in the program's data folder.
    static QString UserPath();

    // Starts the thread, which opens and checks the file: after the window's first paint, so
    // neither the SQLite driver nor the check slows the start. Readings kept before wait.
    void Start();
    void Keep(const StoredReading& reading);
    // The answer comes as Answered with the same ticket.
    quint64 Ask(ChartRange range, int pixels);
    // Everything with no range. The answer comes as Exported, with ExportProgress on the way;
    // setting the flag cancels. One export at a time: while one runs, its flag comes back.
    std::shared_ptr<std::atomic_bool> Export(const QString& path, std::optional<ChartRange> range);
    // Reference days fetched beside the readings, each date kept once.
    void KeepReference(const QList<ReferenceDay>& days);
    // Fetches what the history lacks of the reference rates from the folder base (an empty URL:
    // none), on a thread of its own, once the history is open; readings never wait for it.
    void Backfill(const QUrl& base);

signals:
    void Kept();
    void Answered(quint64 ticket, const ChartLines& lines, const QString& error);
    void ExportProgress(int percent);
    // The newest reference days held, newest first (the day and the one before, or fewer).
    void ReferenceHeld(const QList<ReferenceDay>& days);
    void Exported(const ExportResult& result);

private:
    void StartBackfill(const ReferenceState& state);

    QString Path;
    std::function<QDateTime()> Clock;
    QThread Thread;
    HistoryWorker* Worker;
    QList<StoredReading> Early;
    quint64 LastTicket = 0;
    std::unique_ptr<QThread> ExportJob;
    std::shared_ptr<std::atomic_bool> ExportCancel;
    QThread BackfillThread;
    QUrl BackfillBase;
};
