#pragma once

#include "sources/ratereading.h"

#include <QtGlobal>

#include <optional>

// One reading as the history keeps it: its time in UTC milliseconds, and either its rate or,
// for a failed reading, its result code. A reading without a rate or a code is a gap (a page
// whose rate text was empty).
struct StoredReading {
    qint64 TimeMs = 0;
    ReadingSource Source = ReadingSource::IEX;
    std::optional<double> Rate;
    std::optional<int> Code;

    bool operator==(const StoredReading&) const = default;
};

// The reading RefreshRate has just finished, as the history keeps it: "-1" and "-2" become
// codes, and a text that reads as no rate (empty, or 0) a gap, never a rate of 0.
StoredReading StoredReadingOf(const RateReading& reading, ReadingSource source, qint64 timeMs);

// Fifteen minutes of older readings folded into one: only readings with a rate count.
struct Candle {
    qint64 StartMs = 0; // the slice's start, a multiple of CandleMs
    double First = 0;
    double High = 0;
    double Low = 0;
    double Last = 0;
    int Count = 0;

    bool operator==(const Candle&) const = default;
};
