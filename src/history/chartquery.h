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

// A reference day lies at 16:00 in Frankfurt on its date, when the bank publishes its rates.
qint64 ReferenceDayMs(QDate day);
// The first date (yyyy-MM-dd) whose reference time lies at or after ms; for a time before the
// year 1000 or after 9998, that year's first day, so that the widest span takes in every day.
QString ReferenceDayFrom(qint64 ms);

// A reference rate holds until the next day's, for a week at most: the bank publishes every
// working day and pauses five days at the longest (over Easter), so a longer gap is days the
// history lacks, and the steps break there.
inline constexpr qint64 ReferenceHoldMs = qint64(7) * 24 * 60 * 60 * 1000;

// The ends of what the history holds: its earliest time (the reference days' included), its
// newest, and its newest no more than AheadMs ahead of now (both of readings and candles: a
// reference day never moves a range's end).
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
// The same for the reference days, their rate 1/r as the widget shows it; first, when its hold
// reaches into the span, the day before the span, whose rate holds at its start.
QList<Slice> QueryReferenceSlices(const QSqlDatabase& db, TimeSpan span, int slices,
                                  QString& error);

// Readings more than this far apart are not joined by the line: the longest interval between
// readings is 10 minutes, so only a program that did not run leaves such a hole.
inline constexpr qint64 ReadingGapMs = 20 * 60 * 1000;

// A slice puts its lowest and highest at its first and last time, in the order that joins
// the previous point by the shorter way, so the line never runs back in time. A slice of
// failed readings alone breaks the line; a stretch of a single point is drawn as a dot. The
// reference days are steps: each slice rises or falls at its first day over its lowest and
// highest and holds its last day's rate until the next slice, the span's end or the end of
// its hold.
ChartLines BuildChartLines(TimeSpan span, const QList<Slice>& readings, const QList<Slice>& candles,
                           const QList<Slice>& reference = {});

// Fits the rate axis to the rates drawn, with a little room (to the levels when nothing is
// drawn), places the levels (none below 0.0001) and marks the time axis for a plot `pixels`
// wide, labelled in `language`'s own formats. The levels' labels are left to the caller.
ChartFrame FrameChart(const ChartLines& lines, double buyLevel, double sellLevel, int pixels,
                      const QLocale& language);

// Marks on round local hours, midnights, month or year starts, the finest that keep their
// labels apart over `pixels`.
QList<TimeTick> TimeTicks(TimeSpan span, int pixels, const QLocale& language);

// The good slice nearest `ms` (a reading's over a candle's over a reference day's when as
// near), with its time and rate, or its lowest to highest, in the regional format (reference
// days as "ECB" and their dates); none when nothing is drawn.
std::optional<ChartHover> HoverAt(const ChartLines& lines, qint64 ms,
                                  const RegionalSettings& regional);
