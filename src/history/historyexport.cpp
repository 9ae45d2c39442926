#include "history/historyexport.h"

#include "history/readingstore.h"

#include <QDateTime>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <QThread>
#include <QVariant>

#include <cerrno>

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

// Rows of one table in time order, read as the export needs them.
class Cursor {
public:
    Cursor(const QSqlDatabase& db, const QString& sql, TimeSpan span) : Query(db) {
        Query.setForwardOnly(true);
        Query.prepare(sql);
        Query.bindValue(0, span.FromMs);
        Query.bindValue(1, span.ToMs);
        Ok = Query.exec();
        Next();
    }
    void Next() { AtEnd = !(Ok && Query.next()); }
    qint64 Time() const { return Query.value(0).toLongLong(); }
    QVariant Value(int i) const { return Query.value(i); }

    QSqlQuery Query;
    bool Ok;
    bool AtEnd = true;
};

std::optional<double> OptionalDouble(const QVariant& value) {
    return value.isNull() ? std::nullopt : std::optional(value.toDouble());
}

std::optional<int> OptionalInt(const QVariant& value) {
    return value.isNull() ? std::nullopt : std::optional(value.toInt());
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
    // One snapshot of both tables, even while the program writes beside the export.
    QSqlDatabase connection = db;
    connection.transaction();
    qint64 total = 0;
    if (progress) {
        QSqlQuery count(db);
        count.prepare(QStringLiteral("SELECT (SELECT count(*) FROM readings WHERE t >= ? AND "
                                     "t < ?) + (SELECT count(*) FROM candles WHERE t >= ? AND "
                                     "t < ?)"));
        for (int i = 0; i < 4; ++i)
            count.bindValue(i, i % 2 ? span.ToMs : span.FromMs);
        if (count.exec() && count.next())
            total = count.value(0).toLongLong();
    }
    Cursor readings(db,
                    QStringLiteral("SELECT t, source, rate, code FROM readings "
                                   "WHERE t >= ? AND t < ? ORDER BY t, rowid"),
                    span);
    Cursor candles(db,
                   QStringLiteral("SELECT t, first, high, low, last, count FROM candles "
                                  "WHERE t >= ? AND t < ? ORDER BY t"),
                   span);
    bool ok = readings.Ok && candles.Ok && file.write(CsvHeader()) >= 0;
    int shown = 0;
    while (ok && (!readings.AtEnd || !candles.AtEnd)) {
        if (cancel && cancel->load()) {
            result.Cancelled = true;
            break;
        }
        QByteArray row;
        if (candles.AtEnd || (!readings.AtEnd && readings.Time() < candles.Time())) {
            row = CsvRow(StoredReading{readings.Time(), ReadingSource(readings.Value(1).toInt()),
                                       OptionalDouble(readings.Value(2)),
                                       OptionalInt(readings.Value(3))});
            readings.Next();
        } else {
            row = CsvRow(Candle{candles.Time(), candles.Value(1).toDouble(),
                                candles.Value(2).toDouble(), candles.Value(3).toDouble(),
                                candles.Value(4).toDouble(), candles.Value(5).toInt()});
            candles.Next();
        }
        ok = file.write(row) == row.size();
        // A failed write says only "Unknown error"; the system's own reason is the one to tell.
        if (!ok)
            result.Error = qt_error_string(errno);
        ++result.Rows;
        if (total > 0 && result.Rows * 100 / total > shown)
            progress(shown = int(result.Rows * 100 / total));
    }
    // A cursor that could not start, or whose read failed half-way, gives no complete export.
    for (const Cursor* cursor : {&readings, &candles}) {
        if (result.Error.isEmpty() && cursor->Query.lastError().isValid()) {
            ok = false;
            result.Error = cursor->Query.lastError().text();
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
