#include "history/chartquery.h"

#include "history/candlefolder.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 HourMs = qint64(60) * 60 * 1000;
constexpr qint64 DayMs = 24 * HourMs;
// Until then, Day shows the last 24 hours rather than a few hours since midnight.
constexpr qint64 YoungDayMs = 6 * HourMs;

// good gives the lowest, highest, first and last time and count of the good rows of a part;
// failed, when given, counts the rows of a part without a good one.
QList<Slice> QuerySlices(const QSqlDatabase& db, TimeSpan span, int slices, const QString& good,
                         const QString& failed, qint64 lastExtraMs, QString& error) {
    if (slices < 1 || span.ToMs <= span.FromMs)
        return {};
    QList<Slice> found;
    const qint64 width = (span.ToMs - span.FromMs + slices - 1) / slices;
    QSqlQuery goodQuery(db);
    QSqlQuery failedQuery(db);
    goodQuery.setForwardOnly(true);
    if (!goodQuery.prepare(good) || (!failed.isEmpty() && !failedQuery.prepare(failed))) {
        error = (goodQuery.lastError().isValid() ? goodQuery : failedQuery).lastError().text();
        return {};
    }
    for (qint64 from = span.FromMs; from < span.ToMs; from += width) {
        const qint64 to = std::min(from + width, span.ToMs);
        goodQuery.bindValue(0, from);
        goodQuery.bindValue(1, to);
        if (!goodQuery.exec() || !goodQuery.next()) {
            error = goodQuery.lastError().text();
            return found;
        }
        const qint64 count = goodQuery.value(4).toLongLong();
        if (count > 0) {
            found.append(Slice{
                goodQuery.value(2).toLongLong(), goodQuery.value(3).toLongLong() + lastExtraMs,
                goodQuery.value(0).toDouble(), goodQuery.value(1).toDouble(), count, 0});
        } else if (!failed.isEmpty()) {
            failedQuery.bindValue(0, from);
            failedQuery.bindValue(1, to);
            if (!failedQuery.exec() || !failedQuery.next()) {
                error = failedQuery.lastError().text();
                return found;
            }
            if (failedQuery.value(0).toLongLong() > 0)
                found.append(Slice{from, from, 0, 0, 0, failedQuery.value(0).toLongLong()});
            failedQuery.finish();
        }
        goodQuery.finish();
    }
    return found;
}

// Adds a slice's two extremes to a stretch, the one nearer the stretch's last point first; one
// point when they are the same.
void AddExtremes(QList<QPointF>& stretch, const Slice& slice) {
    const bool highFirst = !stretch.isEmpty() && std::abs(stretch.last().y() - slice.High) <
                                                     std::abs(stretch.last().y() - slice.Low);
    stretch.append(QPointF(qreal(slice.FirstMs), highFirst ? slice.High : slice.Low));
    if (slice.High != slice.Low)
        stretch.append(QPointF(qreal(slice.LastMs), highFirst ? slice.Low : slice.High));
}

} // namespace

KeptTimes QueryKeptTimes(const QSqlDatabase& db, qint64 nowMs) {
    const auto first = [&](const QString& sql, std::optional<qint64> bound = std::nullopt) {
        QSqlQuery query(db);
        query.prepare(sql);
        if (bound) {
            query.bindValue(0, *bound);
            query.bindValue(1, *bound);
        }
        std::optional<qint64> found;
        if (query.exec() && query.next() && !query.value(0).isNull())
            found = query.value(0).toLongLong();
        return found;
    };
    return {
        first(QStringLiteral("SELECT min(t) FROM (SELECT min(t) AS t FROM readings "
                             "UNION ALL SELECT min(t) FROM candles)")),
        first(QStringLiteral("SELECT max(t) FROM (SELECT max(t) AS t FROM readings "
                             "UNION ALL SELECT max(t) FROM candles)")),
        first(QStringLiteral("SELECT max(t) FROM (SELECT max(t) AS t FROM readings WHERE t <= ? "
                             "UNION ALL SELECT max(t) FROM candles WHERE t <= ?)"),
              nowMs + AheadMs)};
}

TimeSpan RangeSpan(ChartRange range, const QDateTime& now, const KeptTimes& kept) {
    const qint64 nowMs = now.toMSecsSinceEpoch();
    const std::optional<qint64> newest =
        range == ChartRange::All ? kept.NewestMs : kept.NewestNearMs;
    // Inclusive: a reading taken at this very moment is in.
    const qint64 endMs = std::max(nowMs, newest.value_or(nowMs));
    switch (range) {
    case ChartRange::Day: {
        const qint64 midnightMs =
            QDateTime(QDateTime::fromMSecsSinceEpoch(endMs).date(), QTime(0, 0))
                .toMSecsSinceEpoch();
        return {endMs - midnightMs < YoungDayMs ? endMs - DayMs : midnightMs, endMs + 1};
    }
    case ChartRange::Week:
        return {endMs - 7 * DayMs, endMs + 1};
    case ChartRange::Month:
        return {endMs - 31 * DayMs, endMs + 1};
    case ChartRange::Year:
        return {endMs - 365 * DayMs, endMs + 1};
    case ChartRange::All:
        break;
    }
    return {std::min(kept.EarliestMs.value_or(endMs - DayMs), endMs), endMs + 1};
}

QList<Slice> QueryReadingSlices(const QSqlDatabase& db, TimeSpan span, int slices, QString& error) {
    return QuerySlices(db, span, slices,
                       QStringLiteral("SELECT min(rate), max(rate), min(t), max(t), count(*) "
                                      "FROM readings WHERE t >= ? AND t < ? AND rate IS NOT NULL"),
                       QStringLiteral("SELECT count(*) FROM readings WHERE t >= ? AND t < ?"), 0,
                       error);
}

QList<Slice> QueryCandleSlices(const QSqlDatabase& db, TimeSpan span, int slices, QString& error) {
    return QuerySlices(db, span, slices,
                       QStringLiteral("SELECT min(low), max(high), min(t), max(t), count(*) "
                                      "FROM candles WHERE t >= ? AND t < ?"),
                       QString(), CandleMs, error);
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
    QList<QPointF> stretch;
    // A line of one point is not seen: it is drawn as a point.
    const auto endStretch = [&] {
        if (stretch.size() == 1)
            chart.Dots.append(stretch.first());
        else if (stretch.size() > 1)
            chart.Lines.append(stretch);
        stretch.clear();
    };
    for (const Slice& slice : readings) {
        if (slice.Good == 0) {
            broken = true;
            continue;
        }
        if (!previous || broken || slice.FirstMs - previous->LastMs > ReadingGapMs)
            endStretch();
        AddExtremes(stretch, slice);
        widen(slice);
        previous = &slice;
        broken = false;
    }
    endStretch();

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
