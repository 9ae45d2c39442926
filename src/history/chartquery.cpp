#include "history/chartquery.h"

#include "history/candlefolder.h"

#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 DayMs = qint64(24) * 60 * 60 * 1000;

QList<Slice> QuerySlices(const QSqlDatabase& db, TimeSpan span, int slices, const QString& sql,
                         qint64 lastExtraMs) {
    QList<Slice> found;
    if (slices < 1 || span.ToMs <= span.FromMs)
        return found;
    const qint64 width = (span.ToMs - span.FromMs + slices - 1) / slices;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(sql);
    for (qint64 from = span.FromMs; from < span.ToMs; from += width) {
        query.bindValue(0, from);
        query.bindValue(1, std::min(from + width, span.ToMs));
        if (!query.exec() || !query.next())
            return found;
        const qint64 all = query.value(5).toLongLong();
        if (all > 0) {
            found.append(Slice{query.value(2).toLongLong(),
                               query.value(3).toLongLong() + lastExtraMs, query.value(0).toDouble(),
                               query.value(1).toDouble(), query.value(4).toLongLong(),
                               all - query.value(4).toLongLong()});
        }
        query.finish();
    }
    return found;
}

// Adds a slice's two extremes to a stretch, the one nearer the stretch's last point first.
void AddExtremes(QList<QPointF>& stretch, const Slice& slice) {
    const bool highFirst = !stretch.isEmpty() && std::abs(stretch.last().y() - slice.High) <
                                                     std::abs(stretch.last().y() - slice.Low);
    stretch.append(QPointF(qreal(slice.FirstMs), highFirst ? slice.High : slice.Low));
    if (slice.Good > 1)
        stretch.append(QPointF(qreal(slice.LastMs), highFirst ? slice.Low : slice.High));
}

} // namespace

TimeSpan RangeSpan(ChartRange range, const QDateTime& now, std::optional<qint64> earliestMs) {
    const qint64 nowMs = now.toMSecsSinceEpoch();
    switch (range) {
    case ChartRange::Day: {
        const QDate today = now.toLocalTime().date();
        return {QDateTime(today, QTime(0, 0)).toMSecsSinceEpoch(),
                QDateTime(today.addDays(1), QTime(0, 0)).toMSecsSinceEpoch()};
    }
    case ChartRange::Week:
        return {nowMs - 7 * DayMs, nowMs};
    case ChartRange::Month:
        return {nowMs - 31 * DayMs, nowMs};
    case ChartRange::Year:
        return {nowMs - 365 * DayMs, nowMs};
    case ChartRange::All:
        break;
    }
    return {std::min(earliestMs.value_or(nowMs - DayMs), nowMs - 1), nowMs};
}

QList<Slice> QueryReadingSlices(const QSqlDatabase& db, TimeSpan span, int slices) {
    return QuerySlices(db, span, slices,
                       QStringLiteral("SELECT min(rate), max(rate), "
                                      "min(CASE WHEN rate IS NOT NULL THEN t END), "
                                      "max(CASE WHEN rate IS NOT NULL THEN t END), "
                                      "count(rate), count(*) FROM readings WHERE t >= ? AND t < ?"),
                       0);
}

QList<Slice> QueryCandleSlices(const QSqlDatabase& db, TimeSpan span, int slices) {
    return QuerySlices(db, span, slices,
                       QStringLiteral("SELECT min(low), max(high), min(t), max(t), count(*), "
                                      "count(*) FROM candles WHERE t >= ? AND t < ?"),
                       CandleMs);
}

std::optional<qint64> EarliestTime(const QSqlDatabase& db) {
    QSqlQuery query(QStringLiteral("SELECT min(t) FROM (SELECT min(t) AS t FROM readings "
                                   "UNION ALL SELECT min(t) FROM candles)"),
                    db);
    if (!query.next() || query.value(0).isNull())
        return std::nullopt;
    return query.value(0).toLongLong();
}

ChartLines BuildChartLines(TimeSpan span, const QList<Slice>& readings,
                           const QList<Slice>& candles) {
    ChartLines chart;
    chart.Span = span;
    bool any = false;
    const auto widen = [&](const Slice& slice) {
        chart.Low = any ? std::min(chart.Low, slice.Low) : slice.Low;
        chart.High = any ? std::max(chart.High, slice.High) : slice.High;
        any = true;
    };

    const Slice* previous = nullptr;
    bool broken = false;
    for (const Slice& slice : readings) {
        if (slice.Good == 0) {
            broken = true;
            continue;
        }
        if (!previous || broken || slice.FirstMs - previous->LastMs > ReadingGapMs)
            chart.Lines.append(QList<QPointF>());
        AddExtremes(chart.Lines.last(), slice);
        widen(slice);
        previous = &slice;
        broken = false;
    }

    previous = nullptr;
    for (const Slice& slice : candles) {
        if (!previous || slice.FirstMs > previous->LastMs) {
            chart.BandHighs.append(QList<QPointF>());
            chart.BandLows.append(QList<QPointF>());
        }
        for (const qint64 at : {slice.FirstMs, slice.LastMs}) {
            chart.BandHighs.last().append(QPointF(qreal(at), slice.High));
            chart.BandLows.last().append(QPointF(qreal(at), slice.Low));
        }
        widen(slice);
        previous = &slice;
    }
    return chart;
}
