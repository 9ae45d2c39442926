#pragma once

#include "history/chartquery.h"
#include "history/storedreading.h"
#include "sources/referencerates.h"

#include <QSqlDatabase>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>

// The history as CSV (RFC 4180: a header row, CRLF line ends), one row per reading, candle or
// reference day in time order:
//   time,source,rate,high,low,count,code
// A reading fills time (local time with its offset), source and its rate or its code; a
// candle fills time (its slice's start), rate (its last), high, low and count; a reference day
// fills time (16:00 in Frankfurt on its date), source (ECB) and rate (1/r as the widget shows
// it).
QByteArray CsvHeader();
QByteArray CsvRow(const StoredReading& reading);
QByteArray CsvRow(const Candle& candle);
QByteArray CsvRow(const ReferenceDay& day);

struct ExportResult {
    bool Ok = false;
    bool Cancelled = false;
    qint64 Rows = 0; // without the header
    QString Error;
};

// How far an export is, in percent of its rows, told as it grows.
using Progress = std::function<void(int percent)>;

// Writes what lies in the span (everything with the widest span) to path. An existing file is
// replaced only once the new one is complete; a failure or a cancel leaves nothing behind.
ExportResult ExportHistory(const QSqlDatabase& db, TimeSpan span, const QString& path,
                           const std::atomic_bool* cancel = nullptr, const Progress& progress = {});
inline constexpr TimeSpan WholeHistory{std::numeric_limits<qint64>::min(),
                                       std::numeric_limits<qint64>::max()};

// Everything, or a chart's range at now, from the history file at databasePath, opened
// read-only on a connection of the calling thread's own: it creates nothing, and works beside
// a running program and in a folder that cannot be written. No file: the header alone.
ExportResult ExportHistoryFile(const QString& databasePath, std::optional<ChartRange> range,
                               const QDateTime& now, const QString& path,
                               const std::atomic_bool* cancel = nullptr,
                               const Progress& progress = {});

// qzrate --export-history FILE: everything in the history at databasePath to file. 0 when
// written; 1 with the reason on standard error.
int ExportHistoryCommand(const QString& databasePath, const QString& file);
