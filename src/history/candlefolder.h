#pragma once

#include "history/storedreading.h"

#include <QList>

// Readings stay as they are for 31 days; older ones are folded into 15-minute candles.
inline constexpr qint64 CandleMs = 15 * 60 * 1000;
inline constexpr qint64 RawKeptMs = qint64(31) * 24 * 60 * 60 * 1000;

// The start of the 15-minute slice that holds a time (slices are whole in UTC).
qint64 CandleStart(qint64 timeMs);
// Readings before this time are folded: only whole slices that lie 31 days back or more.
qint64 FoldCutoff(qint64 nowMs);

// Builds candles from readings given in time order; a reading without a rate adds nothing, so
// a slice of failed readings alone gives no candle (a gap).
class CandleFolder {
public:
    void Add(qint64 timeMs, double rate);
    // The candles built so far, oldest first; the folder starts empty again.
    QList<Candle> Take();

private:
    QList<Candle> Candles;
};

// A slice folded in two parts (the earlier part already stored): the highest and the lowest
// of both, the first of the earlier and the last of the later part.
Candle MergeCandles(const Candle& earlier, const Candle& later);
