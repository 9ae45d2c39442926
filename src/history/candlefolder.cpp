#include "history/candlefolder.h"

#include <algorithm>

qint64 CandleStart(qint64 timeMs) {
    // Floor, also for times before 1970.
    const qint64 start = timeMs / CandleMs * CandleMs;
    return start > timeMs ? start - CandleMs : start;
}

qint64 FoldCutoff(qint64 nowMs) {
    return CandleStart(nowMs - RawKeptMs);
}

void CandleFolder::Add(qint64 timeMs, double rate) {
    const qint64 start = CandleStart(timeMs);
    if (Candles.isEmpty() || Candles.last().StartMs != start) {
        Candles.append(Candle{start, rate, rate, rate, rate, 1});
        return;
    }
    Candle& candle = Candles.last();
    candle.High = std::max(candle.High, rate);
    candle.Low = std::min(candle.Low, rate);
    candle.Last = rate;
    ++candle.Count;
}

QList<Candle> CandleFolder::Take() {
    return std::exchange(Candles, {});
}

Candle MergeCandles(const Candle& earlier, const Candle& later) {
    return Candle{earlier.StartMs,
                  earlier.First,
                  std::max(earlier.High, later.High),
                  std::min(earlier.Low, later.Low),
                  later.Last,
                  earlier.Count + later.Count};
}
