#pragma once

#include <QList>
#include <QPointF>
#include <QString>

#include <optional>

// The ranges the chart offers: today up to now, the last 7, 31 and 365 days, and everything
// kept.
enum class ChartRange { Day, Week, Month, Year, All };

// Times in UTC milliseconds, from inclusive, to exclusive.
struct TimeSpan {
    qint64 FromMs = 0;
    qint64 ToMs = 0;
    bool operator==(const TimeSpan&) const = default;
};

// One horizontal pixel of the chart: the lowest and highest good rate in it, when the first
// and the last of them were read (for candles, the end of the last one), how many were good;
// and for a pixel without a good one, how many failed. Of reference days, also the last one's
// rate, which holds on after the pixel.
struct Slice {
    qint64 FirstMs = 0;
    qint64 LastMs = 0;
    double Low = 0;
    double High = 0;
    qint64 Good = 0;
    qint64 Failed = 0;
    double Last = 0;
};

// What the chart draws: the rate as lines (x in UTC milliseconds) that break at every gap, a
// stretch of one point as a dot, the candles' highest and lowest as bands that break at every
// missing slice, and the central bank's reference rate as steps. The slices they come from
// stay for the crosshair.
struct ChartLines {
    TimeSpan Span;
    QList<Slice> Readings;
    QList<Slice> Candles;
    QList<Slice> Reference;
    QList<QList<QPointF>> Lines;
    QList<QPointF> Dots;
    QList<QList<QPointF>> BandHighs;
    QList<QList<QPointF>> BandLows;
    QList<QList<QPointF>> Steps;
    // The lowest and highest rate drawn.
    double Low = 0;
    double High = 0;
    bool Empty() const {
        return Lines.isEmpty() && Dots.isEmpty() && BandHighs.isEmpty() && Steps.isEmpty();
    }
};

// A time axis mark on a round hour, a midnight, a month's or a year's start.
struct TimeTick {
    qint64 Ms = 0;
    QString Label;
    bool operator==(const TimeTick&) const = default;
};

// A buy or sell level: its line when it lies within the rate axis, else a marker at the edge
// it lies beyond.
struct LimitMark {
    enum Place { Inside, Above, Below };
    double Level = 0;
    Place Where = Inside;
    QString Label;
};

// How the plot frames what it draws: the rate axis (its ticks on multiples of Step), the time
// axis's marks and the levels.
struct ChartFrame {
    double RateLow = 0;
    double RateHigh = 0;
    double RateStep = 0;
    QList<TimeTick> Ticks;
    std::optional<LimitMark> Lower;
    std::optional<LimitMark> Upper;
};

// Where the crosshair snaps: the reading (or the pixel's readings, candles or reference days)
// nearest the mouse, and what its label says.
struct ChartHover {
    qint64 Ms = 0;
    double Low = 0;
    double High = 0;
    QString Text;
};
