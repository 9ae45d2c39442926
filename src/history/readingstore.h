#pragma once

#include "history/storedreading.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <functional>
#include <optional>

// The history database file with a connection of its own: every call runs on the thread that
// made the store, never on the window's. Readings are kept as they come (time is no key: a clock
// set back repeats times); whole 15-minute slices older than 31 days are folded into candles.
class ReadingStore {
public:
    ReadingStore(const QString& path, const QString& connectionName);
    ~ReadingStore();
    ReadingStore(const ReadingStore&) = delete;
    ReadingStore& operator=(const ReadingStore&) = delete;

    // Opens or creates the file in WAL mode. A file that is not SQLite, is cut off or fails a
    // quick check is moved aside with its -wal and -shm files first (never deleted), named
    // after now; MovedAside() tells where. False when the file cannot be opened or created.
    // Without checkFirst the file is taken as it is (an export beside the running program).
    // Once it has worked, not again.
    bool Open(const QDateTime& now, bool checkFirst = true);
    bool IsOpen() const { return Ready; }
    QString Error() const { return LastError; }
    QString MovedAside() const { return MovedAsidePath; }

    // All or nothing, in one transaction.
    bool Append(const QList<StoredReading>& readings);
    // Folds the oldest day of slices that lie before the cutoff of nowMs; the number of
    // readings folded, 0 when nothing is left to fold, -1 on an error.
    int FoldSome(qint64 nowMs);
    // Adds candles, merged into those already stored for the same slices.
    bool PutCandles(const QList<Candle>& candles);

    // Frees the pages SQLite caches; they are read again from the file when next needed.
    void FreeCache();

    qint64 ReadingCount();
    qint64 CandleCount();
    QSqlDatabase Database() const;

private:
    bool Check();
    bool MoveAside(const QDateTime& now);
    bool Prepare();
    bool Fail(const QString& what, const QString& error);
    int FoldFailed(const QString& error);

    QString Path;
    QString Connection;
    QString LastError;
    QString MovedAsidePath;
    bool Ready = false;
    // What runs at every reading, compiled once: the compiler is most of SQLite's code.
    std::optional<QSqlQuery> Insert;
    std::optional<QSqlQuery> Oldest;
    std::optional<QSqlQuery> Shrink;
};

// name, name-2, name-3 ...: the first for which taken gives false.
QString FreeName(const QString& name, const std::function<bool(const QString&)>& taken);
