#include "history/readingstore.h"

#include "history/candlefolder.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

constexpr qint64 DayMs = qint64(24) * 60 * 60 * 1000;
// SQLite's primary result codes for a damaged file.
constexpr int SqliteCorrupt = 11;
constexpr int SqliteNotADatabase = 26;

bool IsDamage(const QSqlError& error) {
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == SqliteCorrupt || code == SqliteNotADatabase;
}

QVariant Optional(const auto& value) {
    return value ? QVariant(*value) : QVariant();
}

} // namespace

QString FreeName(const QString& name, const std::function<bool(const QString&)>& taken) {
    QString free = name;
    for (int n = 2; taken(free); ++n)
        free = name + u'-' + QString::number(n);
    return free;
}

ReadingStore::ReadingStore(const QString& path, const QString& connectionName)
    : Path(path), Connection(connectionName) {}

ReadingStore::~ReadingStore() {
    Insert.reset();
    Oldest.reset();
    Shrink.reset();
    if (QSqlDatabase::contains(Connection)) {
        QSqlDatabase::database(Connection, false).close();
        QSqlDatabase::removeDatabase(Connection);
    }
}

QSqlDatabase ReadingStore::Database() const {
    return QSqlDatabase::database(Connection, false);
}

bool ReadingStore::Fail(const QString& what, const QString& error) {
    LastError = what + QStringLiteral(": ") + error;
    return false;
}

int ReadingStore::FoldFailed(const QString& error) {
    Fail(QStringLiteral("cannot fold"), error);
    return -1;
}

bool ReadingStore::Open(const QDateTime& now, bool checkFirst) {
    MovedAsidePath.clear();
    if (!QSqlDatabase::contains(Connection)) {
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), Connection).setDatabaseName(Path);
    }
    if (checkFirst && QFileInfo::exists(Path) && !Check() && !MoveAside(now))
        return false;
    Database().setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!Database().open())
        return Fail(QStringLiteral("cannot open ") + Path, Database().lastError().text());
    Ready = Prepare();
    if (!Ready) {
        Database().close();
        return false;
    }
    Insert.emplace(Database());
    Insert->prepare(
        QStringLiteral("INSERT INTO readings(t, source, rate, code) VALUES(?, ?, ?, ?)"));
    Oldest.emplace(Database());
    Oldest->prepare(QStringLiteral("SELECT min(t) FROM readings"));
    Shrink.emplace(Database());
    Shrink->prepare(QStringLiteral("PRAGMA shrink_memory"));
    return true;
}

bool ReadingStore::Check() {
    QSqlDatabase db = Database();
    // Read-only, so that a damaged file's write-ahead log is neither replayed nor removed.
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        return !IsDamage(db.lastError());
    // Open() opens the connection again, read-write, afterwards.
    QSqlQuery check(db);
    if (!check.exec(QStringLiteral("PRAGMA quick_check")))
        return !IsDamage(check.lastError());
    return check.next() && check.value(0).toString() == u"ok";
}

bool ReadingStore::MoveAside(const QDateTime& now) {
    const QString base = FreeName(Path + QStringLiteral(".damaged-") +
                                      now.toString(QStringLiteral("yyyyMMdd-HHmmss")),
                                  [](const QString& name) { return QFileInfo::exists(name); });
    for (const char* suffix : {"", "-wal", "-shm"}) {
        if (QFileInfo::exists(Path + suffix) && !QFile::rename(Path + suffix, base + suffix))
            return Fail(QStringLiteral("cannot move the damaged ") + Path + suffix + " aside",
                        QStringLiteral("rename failed"));
    }
    MovedAsidePath = base;
    return true;
}

bool ReadingStore::Prepare() {
    QSqlQuery query(Database());
    // WAL keeps every committed reading through a killed process; NORMAL spares an fsync per
    // reading and still leaves the file whole after a power cut.
    for (const char* statement : {
             "PRAGMA journal_mode=WAL",
             "PRAGMA synchronous=NORMAL",
             "PRAGMA cache_size=-512",
             "CREATE TABLE IF NOT EXISTS readings(t INTEGER NOT NULL, source INTEGER NOT NULL, "
             "rate REAL, code INTEGER)",
             // Covers the chart's questions: the lowest and highest rate of a time slice.
             "CREATE INDEX IF NOT EXISTS readings_by_time ON readings(t, rate)",
             "CREATE TABLE IF NOT EXISTS candles(t INTEGER PRIMARY KEY, first REAL NOT NULL, "
             "high REAL NOT NULL, low REAL NOT NULL, last REAL NOT NULL, count INTEGER NOT NULL)",
         }) {
        if (!query.exec(QString::fromLatin1(statement)))
            return Fail(QStringLiteral("cannot prepare ") + Path, query.lastError().text());
    }
    return true;
}

bool ReadingStore::Append(const QList<StoredReading>& readings) {
    QSqlDatabase db = Database();
    if (!Ready)
        return Fail(QStringLiteral("not open"), Path);
    if (!db.transaction())
        return Fail(QStringLiteral("cannot write"), db.lastError().text());
    QSqlQuery& insert = *Insert;
    for (const StoredReading& reading : readings) {
        insert.bindValue(0, reading.TimeMs);
        insert.bindValue(1, int(reading.Source));
        insert.bindValue(2, Optional(reading.Rate));
        insert.bindValue(3, Optional(reading.Code));
        if (!insert.exec()) {
            const QString error = insert.lastError().text();
            db.rollback();
            return Fail(QStringLiteral("cannot write"), error);
        }
    }
    if (!db.commit()) {
        const QString error = db.lastError().text();
        db.rollback();
        return Fail(QStringLiteral("cannot write"), error);
    }
    return true;
}

int ReadingStore::FoldSome(qint64 nowMs) {
    if (!Ready)
        return FoldFailed(Path + QStringLiteral(" is not open"));
    QSqlDatabase db = Database();
    if (!Oldest->exec() || !Oldest->next())
        return FoldFailed(Oldest->lastError().text());
    const QVariant oldest = Oldest->value(0);
    // A statement left on its row would hold a read transaction, and the log could never be
    // folded back into the file.
    Oldest->finish();
    const qint64 cutoff = FoldCutoff(nowMs);
    if (oldest.isNull() || oldest.toLongLong() >= cutoff)
        return 0;
    // A day of slices at a time, so new readings never wait long behind a fold.
    const qint64 upTo = std::min(cutoff, CandleStart(oldest.toLongLong()) + DayMs);

    if (!db.transaction())
        return FoldFailed(db.lastError().text());
    CandleFolder folder;
    int folded = 0;
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT t, rate FROM readings WHERE t < ? ORDER BY t, rowid"));
    query.bindValue(0, upTo);
    bool ok = query.exec();
    while (ok && query.next()) {
        ++folded;
        if (!query.value(1).isNull())
            folder.Add(query.value(0).toLongLong(), query.value(1).toDouble());
    }
    if (ok) {
        query.prepare(QStringLiteral("DELETE FROM readings WHERE t < ?"));
        query.bindValue(0, upTo);
        ok = query.exec();
    }
    if (!ok) {
        const QString error = query.lastError().text();
        db.rollback();
        return FoldFailed(error);
    }
    if (!PutCandles(folder.Take())) {
        db.rollback();
        return -1;
    }
    if (!db.commit()) {
        const QString error = db.lastError().text();
        db.rollback();
        return FoldFailed(error);
    }
    return folded;
}

bool ReadingStore::PutCandles(const QList<Candle>& candles) {
    QSqlDatabase db = Database();
    QSqlQuery find(db);
    find.prepare(QStringLiteral("SELECT first, high, low, last, count FROM candles WHERE t = ?"));
    QSqlQuery put(db);
    put.prepare(QStringLiteral("INSERT OR REPLACE INTO candles(t, first, high, low, last, count) "
                               "VALUES(?, ?, ?, ?, ?, ?)"));
    for (Candle candle : candles) {
        find.bindValue(0, candle.StartMs);
        if (!find.exec())
            return Fail(QStringLiteral("cannot fold"), find.lastError().text());
        if (find.next()) {
            const Candle stored{candle.StartMs,           find.value(0).toDouble(),
                                find.value(1).toDouble(), find.value(2).toDouble(),
                                find.value(3).toDouble(), find.value(4).toInt()};
            candle = MergeCandles(stored, candle);
        }
        const QVariantList values{candle.StartMs, candle.First, candle.High,
                                  candle.Low,     candle.Last,  candle.Count};
        for (int i = 0; i < values.size(); ++i)
            put.bindValue(i, values.at(i));
        if (!put.exec())
            return Fail(QStringLiteral("cannot fold"), put.lastError().text());
    }
    return true;
}

void ReadingStore::FreeCache() {
    if (Ready)
        Shrink->exec();
}

qint64 ReadingStore::ReadingCount() {
    QSqlQuery query(QStringLiteral("SELECT count(*) FROM readings"), Database());
    return query.next() ? query.value(0).toLongLong() : -1;
}

qint64 ReadingStore::CandleCount() {
    QSqlQuery query(QStringLiteral("SELECT count(*) FROM candles"), Database());
    return query.next() ? query.value(0).toLongLong() : -1;
}
