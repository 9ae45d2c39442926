#pragma once

#include "history/chartlines.h"

#include <QDateTime>
#include <QSqlDatabase>

#include <optional>

// The time axis of a range at now. A day runs from local midnight to the next, so a day of 23
// or 25 hours keeps its length; All runs from the earliest time kept (none: the last day).
TimeSpan RangeSpan(ChartRange range, const QDateTime& now, std::optional<qint64> earliestMs);
// The same for the history in db.
TimeSpan RangeSpanIn(const QSqlDatabase& db, ChartRange range, const QDateTime& now);

// One horizontal pixel of the chart: the lowest and highest good rate in it, when the first
// and the last of them were read (for candles, the end of the last one), how many were good;
// and for a pixel without a good one, how many failed.
struct Slice {
    qint64 FirstMs = 0;
    qint64 LastMs = 0;
    double Low = 0;
    double High = 0;
    qint64 Good = 0;
    qint64 Failed = 0;
};

// What SQLite gives for each of `slices` equal parts of the span, oldest first; a part with
// nothing in it is left out. Only aggregates come back, never a row per reading.
QList<Slice> QueryReadingSlices(const QSqlDatabase& db, TimeSpan span, int slices);
QList<Slice> QueryCandleSlices(const QSqlDatabase& db, TimeSpan span, int slices);
// The earliest time of a reading or a candle; nothing in an empty history.
std::optional<qint64> EarliestTime(const QSqlDatabase& db);

// Readings more than this far apart are not joined by the line: the longest interval between
// readings is 10 minutes, so only a program that did not run leaves such a hole.
inline constexpr qint64 ReadingGapMs = 20 * 60 * 1000;

// A slice puts its lowest and highest at its first and last time, in the order that joins
// the previous point by the shorter way, so the line never runs back in time. A slice of
// failed readings alone breaks the line.
ChartLines BuildChartLines(TimeSpan span, const QList<Slice>& readings,
                           const QList<Slice>& candles);
