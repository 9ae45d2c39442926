#pragma once

#include "history/chartquery.h"
#include "history/storedreading.h"

#include <QSqlDatabase>
#include <QString>

#include <atomic>

// The history as CSV (RFC 4180: a header row, CRLF line ends), one row per reading or candle
// in time order:
//   time,source,rate,high,low,count,code
// A reading fills time (local time with its offset), source and its rate or its code; a
// candle fills time (its slice's start), rate (its last), high, low and count.
QByteArray CsvHeader();
QByteArray CsvRow(const StoredReading& reading);
QByteArray CsvRow(const Candle& candle);

struct ExportResult {
    bool Ok = false;
    bool Cancelled = false;
    qint64 Rows = 0; // without the header
    QString Error;
};

// Writes what lies in the span (everything with the widest span) to path. An existing file is
// replaced only once the new one is complete; a failure or a cancel leaves nothing behind.
ExportResult ExportHistory(const QSqlDatabase& db, TimeSpan span, const QString& path,
                           const std::atomic_bool* cancel = nullptr);
inline constexpr TimeSpan WholeHistory{std::numeric_limits<qint64>::min(),
                                       std::numeric_limits<qint64>::max()};

// qzrate --export-history FILE: everything in the history at databasePath to file. 0 when
// written; 1 with the reason on standard error.
int ExportHistoryCommand(const QString& databasePath, const QString& file);
