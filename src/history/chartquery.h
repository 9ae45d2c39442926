#pragma once

#include "history/chartlines.h"

#include <QDateTime>
#include <QLocale>
#include <QSqlDatabase>

#include <optional>

struct RegionalSettings;

// A reading this far ahead of the clock can come from a clock set back a little; one further
// ahead comes from a clock that jumped, and only All shows it.
inline constexpr qint64 AheadMs = qint64(24) * 60 * 60 * 1000;

// The ends of what the history holds: its earliest time, its newest, and its newest no more
// than AheadMs ahead of now.
struct KeptTimes {
    std::optional<qint64> EarliestMs;
    std::optional<qint64> NewestMs;
    std::optional<qint64> NewestNearMs;
};
KeptTimes QueryKeptTimes(const QSqlDatabase& db, qint64 nowMs);

// The time axis of a range. Each ends with now, or with the newest reading when that lies
// ahead (by AheadMs at most; All with the newest of all). A day runs from local midnight, so
// a day of 23 or 25 hours keeps its length, and over the last 24 hours while today is young;
// All runs from the earliest time kept (none: the last day).
TimeSpan RangeSpan(ChartRange range, const QDateTime& now, const KeptTimes& kept);
// The same for the history in db.
TimeSpan RangeSpanIn(const QSqlDatabase& db, ChartRange range, const QDateTime& now);

// What SQLite gives for each of `slices` equal parts of the span, oldest first; a part with
// nothing in it is left out. Only aggregates come back, never a row per reading. A query that
// fails leaves the parts found before it, and its error in `error`.
QList<Slice> QueryReadingSlices(const QSqlDatabase& db, TimeSpan span, int slices, QString& error);
QList<Slice> QueryCandleSlices(const QSqlDatabase& db, TimeSpan span, int slices, QString& error);

// Readings more than this far apart are not joined by the line: the longest interval between
// readings is 10 minutes, so only a program that did not run leaves such a hole.
inline constexpr qint64 ReadingGapMs = 20 * 60 * 1000;

// A slice puts its lowest and highest at its first and last time, in the order that joins
// the previous point by the shorter way, so the line never runs back in time. A slice of
// failed readings alone breaks the line; a stretch of a single point is drawn as a dot.
ChartLines BuildChartLines(TimeSpan span, const QList<Slice>& readings,
                           const QList<Slice>& candles);

// Fits the rate axis to the rates drawn, with a little room (to the levels when nothing is
// drawn), places the levels (none below 0.0001) and marks the time axis for a plot `pixels`
// wide, labelled in `language`'s own formats. The levels' labels are left to the caller.
ChartFrame FrameChart(const ChartLines& lines, double buyLevel, double sellLevel, int pixels,
                      const QLocale& language);

// Marks on round local hours, midnights, month or year starts, the finest that keep their
// labels apart over `pixels`.
QList<TimeTick> TimeTicks(TimeSpan span, int pixels, const QLocale& language);

// The good slice nearest `ms` (a reading's over a candle's when as near), with its time and
// rate, or its lowest to highest, in the regional format; none when nothing is drawn.
std::optional<ChartHover> HoverAt(const ChartLines& lines, qint64 ms,
                                  const RegionalSettings& regional);
