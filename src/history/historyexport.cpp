#include "history/historyexport.h"

#include "history/readingstore.h"

#include <QDateTime>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <QThread>
#include <QVariant>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace {

QByteArray Number(double value) {
    return QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

// Local time with the offset it had then (+00:00 rather than Z), so the hour repeated in autumn
// stays apart.
QByteArray Time(qint64 ms) {
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms);
    const int offset = std::abs(local.offsetFromUtc()) / 60;
    return (local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) +
            (local.offsetFromUtc() < 0 ? u'-' : u'+') +
            QStringLiteral("%1:%2")
                .arg(offset / 60, 2, 10, QChar(u'0'))
                .arg(offset % 60, 2, 10, QChar(u'0')))
        .toLatin1();
}

QByteArray Row(std::initializer_list<QByteArray> fields) {
    QByteArray row;
    for (const QByteArray& field : fields)
        row += field + ',';
    row.chop(1);
    return row + "\r\n";
}

// Rows of one table in time order, read as the export needs them: each row's time and CSV.
class Cursor {
public:
    using Read = QByteArray (*)(const QSqlQuery& query, qint64& timeMs);
    // The rows whose key lies from `from` to before `to`.
    Cursor(const QSqlDatabase& db, const QString& table, const QString& columns, const QString& key,
           const QVariant& from, const QVariant& to, Read read)
        : Query(db), ReadRow(read) {
        const QString where = QStringLiteral(" FROM %1 WHERE %2 >= ? AND %2 < ?").arg(table, key);
        CountQuery = QStringLiteral("SELECT count(*)") + where;
        Query.setForwardOnly(true);
        Query.prepare(QStringLiteral("SELECT ") + columns + where +
                      QStringLiteral(" ORDER BY %1, rowid").arg(key));
        Query.bindValue(0, from);
        Query.bindValue(1, to);
        Ok = Query.exec();
        Next();
    }
    void Next() {
        AtEnd = !(Ok && Query.next());
        if (!AtEnd)
            Row = ReadRow(Query, TimeMs);
    }
    // How many rows it gives in all.
    qint64 Count(const QSqlDatabase& db) const {
        QSqlQuery count(db);
        count.prepare(CountQuery);
        count.bindValue(0, Query.boundValue(0));
        count.bindValue(1, Query.boundValue(1));
        return count.exec() && count.next() ? count.value(0).toLongLong() : 0;
    }

    QSqlQuery Query;
    bool Ok = false;
    bool AtEnd = true;
    qint64 TimeMs = 0;
    QByteArray Row;

private:
    Read ReadRow;
    QString CountQuery;
};

std::optional<double> OptionalDouble(const QVariant& value) {
    return value.isNull() ? std::nullopt : std::optional(value.toDouble());
}

std::optional<int> OptionalInt(const QVariant& value) {
    return value.isNull() ? std::nullopt : std::optional(value.toInt());
}

QByteArray ReadingRow(const QSqlQuery& query, qint64& timeMs) {
    timeMs = query.value(0).toLongLong();
    return CsvRow(StoredReading{timeMs, ReadingSource(query.value(1).toInt()),
                                OptionalDouble(query.value(2)), OptionalInt(query.value(3))});
}

QByteArray CandleRow(const QSqlQuery& query, qint64& timeMs) {
    timeMs = query.value(0).toLongLong();
    return CsvRow(Candle{timeMs, query.value(1).toDouble(), query.value(2).toDouble(),
                         query.value(3).toDouble(), query.value(4).toDouble(),
                         query.value(5).toInt()});
}

QByteArray ReferenceRow(const QSqlQuery& query, qint64& timeMs) {
    const ReferenceDay day{QDate::fromString(query.value(0).toString(), Qt::ISODate),
                           query.value(1).toDouble()};
    timeMs = ReferenceDayMs(day.Date);
    return CsvRow(day);
}

} // namespace

QByteArray CsvHeader() {
    return "time,source,rate,high,low,count,code\r\n";
}

QByteArray CsvRow(const StoredReading& reading) {
    return Row({Time(reading.TimeMs),
                reading.Source == ReadingSource::D2E ? "D2E" : "IEX",
                reading.Rate ? Number(*reading.Rate) : QByteArray(),
                {},
                {},
                {},
                reading.Code ? QByteArray::number(*reading.Code) : QByteArray()});
}

QByteArray CsvRow(const ReferenceDay& day) {
    return Row({Time(ReferenceDayMs(day.Date)), "ECB", Number(ReferenceRate(day)), {}, {}, {}, {}});
}

QByteArray CsvRow(const Candle& candle) {
    return Row({Time(candle.StartMs),
                {},
                Number(candle.Last),
                Number(candle.High),
                Number(candle.Low),
                QByteArray::number(candle.Count),
                {}});
}

ExportResult ExportHistory(const QSqlDatabase& db, TimeSpan span, const QString& path,
                           const std::atomic_bool* cancel, const Progress& progress) {
    ExportResult result;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        result.Error = file.errorString();
        return result;
    }
    // One snapshot of every table, even while the program writes beside the export.
    QSqlDatabase connection = db;
    connection.transaction();
    // At equal times a candle comes before a reading, a reading before a reference day.
    std::vector<Cursor> cursors;
    cursors.reserve(3);
    cursors.emplace_back(db, QStringLiteral("candles"),
                         QStringLiteral("t, first, high, low, last, count"), QStringLiteral("t"),
                         span.FromMs, span.ToMs, CandleRow);
    cursors.emplace_back(db, QStringLiteral("readings"), QStringLiteral("t, source, rate, code"),
                         QStringLiteral("t"), span.FromMs, span.ToMs, ReadingRow);
    // A history from before the reference rates, read as it lies, has no such table.
    if (db.tables().contains(QStringLiteral("reference")))
        cursors.emplace_back(db, QStringLiteral("reference"), QStringLiteral("day, usd"),
                             QStringLiteral("day"), ReferenceDayFrom(span.FromMs),
                             ReferenceDayFrom(span.ToMs), ReferenceRow);
    qint64 total = 0;
    if (progress)
        for (const Cursor& cursor : cursors)
            total += cursor.Count(db);
    bool ok = std::all_of(cursors.begin(), cursors.end(), [](const Cursor& c) { return c.Ok; }) &&
              file.write(CsvHeader()) >= 0;
    int shown = 0;
    while (ok) {
        Cursor* next = nullptr;
        for (Cursor& cursor : cursors)
            if (!cursor.AtEnd && (!next || cursor.TimeMs < next->TimeMs))
                next = &cursor;
        if (!next)
            break;
        if (cancel && cancel->load()) {
            result.Cancelled = true;
            break;
        }
        ok = file.write(next->Row) == next->Row.size();
        next->Next();
        // A failed write says only "Unknown error"; the system's own reason is the one to tell.
        if (!ok)
            result.Error = qt_error_string(errno);
        ++result.Rows;
        if (total > 0 && result.Rows * 100 / total > shown)
            progress(shown = int(result.Rows * 100 / total));
    }
    // A cursor that could not start, or whose read failed half-way, gives no complete export.
    for (const Cursor& cursor : cursors) {
        if (result.Error.isEmpty() && cursor.Query.lastError().isValid()) {
            ok = false;
            result.Error = cursor.Query.lastError().text();
        }
    }
    connection.commit();
    if (ok && !result.Cancelled && file.commit()) {
        result.Ok = true;
        return result;
    }
    // Not committed, the file that was being written goes with the QSaveFile.
    if (result.Error.isEmpty() && !result.Cancelled)
        result.Error = file.errorString();
    return result;
}

ExportResult ExportHistoryFile(const QString& databasePath, std::optional<ChartRange> range,
                               const QDateTime& now, const QString& path,
                               const std::atomic_bool* cancel, const Progress& progress) {
    ReadingStore store(databasePath,
                       QStringLiteral("qzrate-export-%1").arg(quintptr(QThread::currentThread())));
    // A file just made, its tables not yet written, holds no history either.
    if (store.OpenForReading() && store.Database().tables().contains(QStringLiteral("readings")))
        return ExportHistory(store.Database(),
                             range ? RangeSpanIn(store.Database(), *range, now) : WholeHistory,
                             path, cancel, progress);
    if (!store.Error().isEmpty())
        return ExportResult{.Error = store.Error()};
    // No history yet: the header alone.
    QSaveFile file(path);
    ExportResult result;
    result.Ok = file.open(QIODevice::WriteOnly) && file.write(CsvHeader()) >= 0 && file.commit();
    if (!result.Ok)
        result.Error = file.errorString();
    return result;
}

int ExportHistoryCommand(const QString& databasePath, const QString& file) {
    const ExportResult result = ExportHistoryFile(databasePath, std::nullopt, QDateTime(), file);
    if (!result.Ok) {
        QTextStream(stderr) << "qzrate: cannot export the history to " << file << ": "
                            << result.Error << '\n';
        return 1;
    }
    QTextStream(stdout) << result.Rows << " rows written to " << file << '\n';
    return 0;
}
