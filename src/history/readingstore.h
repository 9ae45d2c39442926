#pragma once

#include "history/storedreading.h"
#include "sources/referencerates.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <functional>
#include <optional>

// The history database file with a connection of its own: every call runs on the thread that
// made the store, never on the window's. Readings are kept as they come (time is no key: a clock
// set back repeats times); whole 15-minute slices older than 31 days are folded into candles.
// The file carries its layout's version, so a later version adds its tables by a migration.
class ReadingStore {
public:
    // The layout this program writes.
    static constexpr int LayoutVersion = 2;

    ReadingStore(const QString& path, const QString& connectionName);
    ~ReadingStore();
    ReadingStore(const ReadingStore&) = delete;
    ReadingStore& operator=(const ReadingStore&) = delete;

    // Opens or creates the file in WAL mode, for writing. A file that is not SQLite, is cut off,
    // fails a quick check or holds tables of another layout is moved aside with its -wal and -shm
    // files first (never deleted), named after now, and so are a -wal or -shm left without their
    // file; MovedAside() tells where. False when the file cannot be opened, created or written:
    // tried again, the file is checked again only when it has changed. Once it has worked, not
    // again.
    bool Open(const QDateTime& now);
    // The file as it is, read-only, creating nothing (an export beside the running program, or
    // in a folder that cannot be written). False with no error when there is no file.
    bool OpenForReading();
    bool IsOpen() const { return Ready; }
    QString Error() const { return LastError; }
    QString MovedAside() const { return MovedAsidePath; }
    // Why it was moved aside.
    QString MovedAsideWhy() const { return MovedAsideReason; }

    // All or nothing, in one transaction.
    bool Append(const QList<StoredReading>& readings);
    // Folds the oldest day of slices that lie before the cutoff of nowMs; the number of
    // readings folded, 0 when nothing is left to fold, -1 on an error.
    int FoldSome(qint64 nowMs);
    // Adds candles, merged into those already stored for the same slices.
    bool PutCandles(const QList<Candle>& candles);

    // Reference days (each date stored once) and marks, in one transaction.
    using Marks = QMap<QString, QString>;
    bool PutReference(const QList<ReferenceDay>& days, const Marks& marks = {});

    // Frees the pages SQLite caches; they are read again from the file when next needed.
    void FreeCache();

    qint64 ReadingCount();
    qint64 CandleCount();
    QSqlDatabase Database() const;

private:
    // What a check found, with the file's size and time when it was made.
    struct Stamp {
        qint64 Size = -1;
        qint64 Modified = 0;
        qint64 LogSize = -1;
        qint64 LogModified = 0;
        bool operator==(const Stamp&) const = default;
    };
    Stamp StampNow() const;
    bool Check();
    bool IsForeign();
    bool MoveAside(const QDateTime& now, const QString& why);
    void MakeLogsWritable() const;
    bool Prepare();
    bool Migrate();
    bool Fail(const QString& what, const QString& error);
    int FoldFailed(const QString& error);

    QString Path;
    QString Connection;
    QString LastError;
    QString MovedAsidePath;
    QString MovedAsideReason;
    std::optional<Stamp> Checked;
    bool Ready = false;
    // What runs at every reading, compiled once: the compiler is most of SQLite's code.
    std::optional<QSqlQuery> Insert;
    std::optional<QSqlQuery> Oldest;
    std::optional<QSqlQuery> Shrink;
};

// The newest reference days held, newest first.
QList<ReferenceDay> NewestReferenceDays(const QSqlDatabase& db, int count);

// What the history holds of the reference rates: its oldest and newest day (null when none),
// and the marks of its fetches.
struct ReferenceState {
    QDate Oldest;
    QDate Newest;
    ReadingStore::Marks Marks;
};
ReferenceState ReadReferenceState(const QSqlDatabase& db);

// name, name-2, name-3 ...: the first for which taken gives false.
QString FreeName(const QString& name, const std::function<bool(const QString&)>& taken);
