#include "history/readingstore.h"

#include "history/candlefolder.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>

#include <unistd.h>

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

bool ReadingStore::Open(const QDateTime& now) {
    MovedAsidePath.clear();
    if (!QSqlDatabase::contains(Connection))
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), Connection).setDatabaseName(Path);
    if (QFileInfo::exists(Path)) {
        MakeLogsWritable();
        if (!Check() && !MoveAside(now, QStringLiteral("damaged")))
            return false;
    } else if (QFileInfo::exists(Path + "-wal") || QFileInfo::exists(Path + "-shm")) {
        // SQLite could replay an old log into a new file of the same name.
        if (!MoveAside(now, QStringLiteral("gone, its -wal or -shm left behind")))
            return false;
    }
    QSqlDatabase db = Database();
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        return Fail(QStringLiteral("cannot open ") + Path, db.lastError().text());
    if (IsForeign()) {
        db.close();
        if (!MoveAside(now, QStringLiteral("of another kind")))
            return false;
        if (!db.open())
            return Fail(QStringLiteral("cannot open ") + Path, db.lastError().text());
    }
    // A file SQLite could only open read-only is no open store: opening is tried again later.
    Ready = Prepare() && Migrate();
    if (!Ready) {
        db.close();
        return false;
    }
    Insert.emplace(db);
    Insert->prepare(
        QStringLiteral("INSERT INTO readings(t, source, rate, code) VALUES(?, ?, ?, ?)"));
    Oldest.emplace(db);
    Oldest->prepare(QStringLiteral("SELECT min(t) FROM readings"));
    Shrink.emplace(db);
    Shrink->prepare(QStringLiteral("PRAGMA shrink_memory"));
    return true;
}

bool ReadingStore::OpenForReading() {
    LastError.clear();
    if (!QFileInfo::exists(Path))
        return false;
    QSqlDatabase db = QSqlDatabase::contains(Connection)
                          ? Database()
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), Connection);
    // Without a -wal and a -shm no program writes the file: it is read as it lies, and SQLite
    // makes neither of them.
    const bool alone = !QFileInfo::exists(Path + "-wal") && !QFileInfo::exists(Path + "-shm");
    db.setDatabaseName(alone ? QUrl::fromLocalFile(Path).toString(QUrl::FullyEncoded) +
                                   QStringLiteral("?immutable=1")
                             : Path);
    db.setConnectOptions(alone ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI")
                               : QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        return Fail(QStringLiteral("cannot open ") + Path, db.lastError().text());
    return true;
}

ReadingStore::Stamp ReadingStore::StampNow() const {
    const QFileInfo file(Path);
    const QFileInfo log(Path + "-wal");
    return Stamp{file.size(), file.lastModified().toMSecsSinceEpoch(),
                 log.exists() ? log.size() : -1, log.lastModified().toMSecsSinceEpoch()};
}

bool ReadingStore::Check() {
    // A file that passed and has not changed since is not read through again.
    const Stamp stamp = StampNow();
    if (Checked == stamp)
        return true;
    QSqlDatabase db = Database();
    // Read-only, so that a damaged file's write-ahead log is neither replayed nor removed.
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        return !IsDamage(db.lastError());
    bool whole = false;
    {
        QSqlQuery check(db);
        if (!check.exec(QStringLiteral("PRAGMA quick_check")))
            whole = !IsDamage(check.lastError());
        else if (check.next() && check.value(0).toString() == u"ok")
            Checked = stamp;
    }
    // Open() opens the connection again, read-write, afterwards.
    db.close();
    return whole || Checked == stamp;
}

bool ReadingStore::IsForeign() {
    // The tables of every version so far, with their columns and the version that made them.
    struct Table {
        QString Name;
        QStringList Columns;
        int Since;
    };
    static const Table own[] = {
        {QStringLiteral("readings"), {"t", "source", "rate", "code"}, 1},
        {QStringLiteral("candles"), {"t", "first", "high", "low", "last", "count"}, 1},
        {QStringLiteral("reference"), {"day", "usd"}, 2},
        {QStringLiteral("marks"), {"name", "value"}, 2},
    };
    QSqlQuery query(Database());
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return false;
    const int version = query.value(0).toInt();
    if (!query.exec(QStringLiteral("SELECT type, name FROM sqlite_master "
                                   "WHERE name NOT LIKE 'sqlite!_%' ESCAPE '!'")))
        return false;
    QStringList tables;
    while (query.next()) {
        const QString name = query.value(1).toString();
        tables.append(name);
        // Before the version was kept, a file held nothing but the program's own.
        if (version == 0 && name != u"readings_by_time" &&
            std::none_of(std::begin(own), std::end(own),
                         [&](const Table& table) { return table.Name == name; }))
            return true;
    }
    for (const Table& table : own) {
        if (!tables.contains(table.Name)) {
            if (version >= table.Since)
                return true;
            continue;
        }
        QStringList found;
        query.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table.Name));
        while (query.next())
            found.append(query.value(1).toString());
        if (found != table.Columns)
            return true;
    }
    return false;
}

bool ReadingStore::MoveAside(const QDateTime& now, const QString& why) {
    const QString base = FreeName(Path + QStringLiteral(".damaged-") +
                                      now.toString(QStringLiteral("yyyyMMdd-HHmmss")),
                                  [](const QString& name) { return QFileInfo::exists(name); });
    // The logs first: a file moved without its log would get a new one beside the old log.
    for (const char* suffix : {"-wal", "-shm", ""}) {
        if (QFileInfo::exists(Path + suffix) && !QFile::rename(Path + suffix, base + suffix))
            return Fail(QStringLiteral("cannot move the damaged ") + Path + suffix + " aside",
                        QStringLiteral("rename failed"));
    }
    MovedAsidePath = base;
    MovedAsideReason = why;
    Checked.reset();
    return true;
}

void ReadingStore::MakeLogsWritable() const {
    // A read-only file leaves its -wal and -shm read-only too: once the file may be written
    // again, so may they, or every later connection stays read-only.
    const QFileInfo file(Path);
    if (!file.isWritable())
        return;
    for (const char* suffix : {"-wal", "-shm"}) {
        QFile log(Path + suffix);
        if (log.exists() && !QFileInfo(log).isWritable() && QFileInfo(log).ownerId() == getuid())
            log.setPermissions(log.permissions() | QFile::WriteOwner);
    }
}

bool ReadingStore::Prepare() {
    QSqlQuery query(Database());
    // WAL keeps every committed reading through a killed process; NORMAL spares an fsync per
    // reading and still leaves the file whole after a power cut. After a large fold the log
    // goes back to a megabyte.
    for (const char* statement : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL",
                                  "PRAGMA cache_size=-512", "PRAGMA journal_size_limit=1048576"}) {
        if (!query.exec(QString::fromLatin1(statement)))
            return Fail(QStringLiteral("cannot prepare ") + Path, query.lastError().text());
    }
    return true;
}

bool ReadingStore::Migrate() {
    // Each step brings the file from the version before it to its own, in one transaction.
    static const QList<QStringList> steps = {
        {
            QStringLiteral("CREATE TABLE IF NOT EXISTS readings(t INTEGER NOT NULL, "
                           "source INTEGER NOT NULL, rate REAL, code INTEGER)"),
            // Covers the chart's questions: the lowest and highest rate of a time slice.
            QStringLiteral("CREATE INDEX IF NOT EXISTS readings_by_time ON readings(t, rate)"),
            QStringLiteral("CREATE TABLE IF NOT EXISTS candles(t INTEGER PRIMARY KEY, "
                           "first REAL NOT NULL, high REAL NOT NULL, low REAL NOT NULL, "
                           "last REAL NOT NULL, count INTEGER NOT NULL)"),
        },
        {
            // The central bank's reference rate of each working day (dollars per euro), and
            // what the program notes of its fetches.
            QStringLiteral("CREATE TABLE IF NOT EXISTS reference(day TEXT PRIMARY KEY, "
                           "usd REAL NOT NULL)"),
            QStringLiteral("CREATE TABLE IF NOT EXISTS marks(name TEXT PRIMARY KEY, "
                           "value TEXT NOT NULL)"),
        },
    };
    static_assert(LayoutVersion == 2);
    QSqlDatabase db = Database();
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return Fail(QStringLiteral("cannot read ") + Path, query.lastError().text());
    const int version = query.value(0).toInt();
    query.finish();
    if (!db.transaction())
        return Fail(QStringLiteral("cannot write ") + Path, db.lastError().text());
    QStringList statements;
    for (int step = version; step < steps.size(); ++step)
        statements += steps.at(step);
    // Written even when nothing changes: a file SQLite opened read-only fails here.
    statements += QStringLiteral("PRAGMA user_version=%1").arg(std::max(version, LayoutVersion));
    for (const QString& statement : statements) {
        if (!query.exec(statement)) {
            const QString error = query.lastError().text();
            db.rollback();
            return Fail(QStringLiteral("cannot write ") + Path, error);
        }
    }
    if (!db.commit()) {
        const QString error = db.lastError().text();
        db.rollback();
        return Fail(QStringLiteral("cannot write ") + Path, error);
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

bool ReadingStore::PutReference(const QList<ReferenceDay>& days, const Marks& marks) {
    QSqlDatabase db = Database();
    if (!Ready)
        return Fail(QStringLiteral("not open"), Path);
    if (!db.transaction())
        return Fail(QStringLiteral("cannot write"), db.lastError().text());
    QSqlQuery day(db);
    // A day is stored once: the bank never changes a published rate.
    day.prepare(QStringLiteral("INSERT OR IGNORE INTO reference(day, usd) VALUES(?, ?)"));
    QSqlQuery mark(db);
    mark.prepare(QStringLiteral("INSERT OR REPLACE INTO marks(name, value) VALUES(?, ?)"));
    bool ok = true;
    for (qsizetype i = 0; ok && i < days.size(); ++i) {
        day.bindValue(0, days.at(i).Date.toString(Qt::ISODate));
        day.bindValue(1, days.at(i).UsdPerEuro);
        ok = day.exec();
    }
    for (auto it = marks.cbegin(); ok && it != marks.cend(); ++it) {
        mark.bindValue(0, it.key());
        mark.bindValue(1, it.value());
        ok = mark.exec();
    }
    if (!ok || !db.commit()) {
        const QString error = ok ? db.lastError().text()
                                 : (day.lastError().isValid() ? day : mark).lastError().text();
        db.rollback();
        return Fail(QStringLiteral("cannot write"), error);
    }
    return true;
}

QList<ReferenceDay> NewestReferenceDays(const QSqlDatabase& db, int count) {
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT day, usd FROM reference ORDER BY day DESC LIMIT ?"));
    query.bindValue(0, count);
    QList<ReferenceDay> days;
    if (query.exec())
        while (query.next())
            days.append(ReferenceDay{QDate::fromString(query.value(0).toString(), Qt::ISODate),
                                     query.value(1).toDouble()});
    return days;
}

ReferenceState ReadReferenceState(const QSqlDatabase& db) {
    ReferenceState state;
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("SELECT min(day), max(day) FROM reference")) && query.next()) {
        state.Oldest = QDate::fromString(query.value(0).toString(), Qt::ISODate);
        state.Newest = QDate::fromString(query.value(1).toString(), Qt::ISODate);
    }
    if (query.exec(QStringLiteral("SELECT name, value FROM marks")))
        while (query.next())
            state.Marks.insert(query.value(0).toString(), query.value(1).toString());
    return state;
}
