#include "history/historyfill.h"

#include "history/candlefolder.h"
#include "history/readingstore.h"

#include <QRandomGenerator>

#include <cmath>

namespace {

constexpr qint64 DayMs = qint64(24) * 60 * 60 * 1000;
constexpr qint64 OutageFromMs = 3 * 60 * 60 * 1000;
constexpr qint64 OutageMs = 10 * 60 * 1000;

// A random walk around 0.92 with a small daily swing.
class Walk {
public:
    double Next(qint64 timeMs) {
        Level += Random.bounded(1.0) * 0.0002 - 0.0001 + (0.92 - Level) * 0.0005;
        const double day = std::sin(double(timeMs % DayMs) / double(DayMs) * 2 * M_PI);
        return std::round((Level + 0.002 * day) * 10000) / 10000;
    }

private:
    QRandomGenerator Random{7};
    double Level = 0.92;
};

} // namespace

bool FillHistory(ReadingStore& store, const HistoryFill& fill) {
    const qint64 endMs = fill.End.toMSecsSinceEpoch();
    const qint64 stepMs = std::max(1, fill.IntervalS) * qint64(1000);
    const qint64 rawFromMs = endMs - fill.RawDays * DayMs;
    QSqlDatabase db = store.Database();
    Walk walk;
    CandleFolder folder;
    QList<StoredReading> raw;
    // A slice cut by a flush is merged with its earlier part, as a fold in parts would be.
    const auto flush = [&] {
        const bool ok =
            db.transaction() && store.PutCandles(folder.Take()) && db.commit() && store.Append(raw);
        raw.clear();
        return ok;
    };
    int count = 0;
    for (qint64 t = endMs - fill.Days * DayMs; t <= endMs; t += stepMs) {
        const double rate = walk.Next(t);
        const bool outage = t % DayMs >= OutageFromMs && t % DayMs < OutageFromMs + OutageMs;
        if (t >= rawFromMs)
            raw.append(outage ? StoredReading{t, ReadingSource::D2E, {}, -1}
                              : StoredReading{t, ReadingSource::D2E, rate, {}});
        else if (!outage)
            folder.Add(t, rate);
        if (++count % 50000 == 0 && !flush())
            return false;
    }
    return flush();
}
