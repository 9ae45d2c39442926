#pragma once

#include <QList>
#include <QPointF>

// The ranges the chart offers: today up to now, the last 7, 31 and 365 days, and everything
// kept.
enum class ChartRange { Day, Week, Month, Year, All };

// Times in UTC milliseconds, from inclusive, to exclusive.
struct TimeSpan {
    qint64 FromMs = 0;
    qint64 ToMs = 0;
    bool operator==(const TimeSpan&) const = default;
};

// What the chart draws: the rate as lines (x in UTC milliseconds) that break at every gap, a
// stretch of one point as a dot, and the candles' highest and lowest as bands that break at
// every missing slice.
struct ChartLines {
    TimeSpan Span;
    QList<QList<QPointF>> Lines;
    QList<QPointF> Dots;
    QList<QList<QPointF>> BandHighs;
    QList<QList<QPointF>> BandLows;
    double Low = 0;
    double High = 0;
    bool Empty() const { return Lines.isEmpty() && Dots.isEmpty() && BandHighs.isEmpty(); }
};
