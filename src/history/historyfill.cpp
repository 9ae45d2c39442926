#include "history/historyfill.h"

#include "history/candlefolder.h"
#include "history/readingstore.h"

#include <QRandomGenerator>

#include <cmath>
#include <limits>

namespace {

constexpr qint64 DayMs = qint64(24) * 60 * 60 * 1000;
constexpr qint64 OutageFromMs = 3 * 60 * 60 * 1000;
constexpr qint64 OutageMs = 10 * 60 * 1000;

// The reference rate's days, Monday to Friday, r a slow walk around 1.08 back from the last,
// so that the newest days are the same however many are asked.
QList<ReferenceDay> ReferenceDays(QDate last, int count) {
    QList<ReferenceDay> days;
    QRandomGenerator random(11);
    double usd = 1.08;
    for (QDate day = last; days.size() < count; day = day.addDays(-1)) {
        if (day.dayOfWeek() > 5)
            continue;
        days.append({day, std::round(usd * 10000) / 10000});
        usd += random.bounded(1.0) * 0.008 - 0.004 + (1.08 - usd) * 0.002;
    }
    return days;
}

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

// Whether a time lies within office hours, one local day worked out at a time.
class OfficeHours {
public:
    bool Contains(qint64 timeMs) {
        if (timeMs >= DayEndMs) {
            const QDate day = QDateTime::fromMSecsSinceEpoch(timeMs).date();
            DayEndMs = QDateTime(day.addDays(1), QTime(0, 0)).toMSecsSinceEpoch();
            const bool weekday = day.dayOfWeek() <= 5;
            FromMs = weekday ? QDateTime(day, QTime(8, 30)).toMSecsSinceEpoch() : DayEndMs;
            ToMs = weekday ? QDateTime(day, QTime(17, 30)).toMSecsSinceEpoch() : DayEndMs;
        }
        return timeMs >= FromMs && timeMs <= ToMs;
    }

private:
    qint64 DayEndMs = std::numeric_limits<qint64>::min();
    qint64 FromMs = 0;
    qint64 ToMs = 0;
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
    OfficeHours office;
    int count = 0;
    for (qint64 t = endMs - fill.Days * DayMs; fill.Days > 0 && t <= endMs; t += stepMs) {
        if (fill.OfficeHours && !office.Contains(t))
            continue;
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
    return flush() && store.PutReference(ReferenceDays(fill.End.date(), fill.ReferenceDays));
}
