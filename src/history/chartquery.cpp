#include "history/chartquery.h"

#include "history/candlefolder.h"
#include "sources/referencerates.h"
#include "support/regional.h"
#include "support/texthelpers.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimeZone>
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

// Frankfurt's clock; an hour ahead of UTC all year where the system knows no zones.
const QTimeZone& Frankfurt() {
    static const QTimeZone zone = [] {
        const QTimeZone berlin("Europe/Berlin");
        return berlin.isValid() ? berlin : QTimeZone(3600);
    }();
    return zone;
}

QDate DayOf(const QVariant& text) {
    return QDate::fromString(text.toString(), Qt::ISODate);
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

qint64 ReferenceDayMs(QDate day) {
    return QDateTime(day, QTime(16, 0), Frankfurt()).toMSecsSinceEpoch();
}

QString ReferenceDayFrom(qint64 ms) {
    static const qint64 leastMs = ReferenceDayMs(QDate(1000, 1, 1));
    static const qint64 mostMs = ReferenceDayMs(QDate(9999, 1, 1));
    ms = std::clamp(ms, leastMs, mostMs);
    const QDate date = QDateTime::fromMSecsSinceEpoch(ms, Frankfurt()).date();
    return (ReferenceDayMs(date) >= ms ? date : date.addDays(1)).toString(Qt::ISODate);
}

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
    KeptTimes kept{
        first(QStringLiteral("SELECT min(t) FROM (SELECT min(t) AS t FROM readings "
                             "UNION ALL SELECT min(t) FROM candles)")),
        first(QStringLiteral("SELECT max(t) FROM (SELECT max(t) AS t FROM readings "
                             "UNION ALL SELECT max(t) FROM candles)")),
        first(QStringLiteral("SELECT max(t) FROM (SELECT max(t) AS t FROM readings WHERE t <= ? "
                             "UNION ALL SELECT max(t) FROM candles WHERE t <= ?)"),
              nowMs + AheadMs)};
    // Asked apart: a history from before the reference rates, read as it lies, has no table.
    QSqlQuery oldest(db);
    if (oldest.exec(QStringLiteral("SELECT min(day) FROM reference")) && oldest.next() &&
        !oldest.value(0).isNull()) {
        const qint64 ms = ReferenceDayMs(DayOf(oldest.value(0)));
        kept.EarliestMs = std::min(kept.EarliestMs.value_or(ms), ms);
    }
    return kept;
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

TimeSpan RangeSpanIn(const QSqlDatabase& db, ChartRange range, const QDateTime& now) {
    return RangeSpan(range, now, QueryKeptTimes(db, now.toMSecsSinceEpoch()));
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

QList<Slice> QueryReferenceSlices(const QSqlDatabase& db, TimeSpan span, int slices,
                                  QString& error) {
    if (slices < 1 || span.ToMs <= span.FromMs)
        return {};
    QList<Slice> found;
    QString fromDay = ReferenceDayFrom(span.FromMs);
    QSqlQuery before(db);
    before.prepare(
        QStringLiteral("SELECT day, usd FROM reference WHERE day < ? ORDER BY day DESC LIMIT 1"));
    before.bindValue(0, fromDay);
    if (!before.exec()) {
        error = before.lastError().text();
        return {};
    }
    if (before.next()) {
        const ReferenceDay held{DayOf(before.value(0)), before.value(1).toDouble()};
        const qint64 ms = ReferenceDayMs(held.Date);
        const double rate = ReferenceRate(held);
        if (ms + ReferenceHoldMs > span.FromMs)
            found.append(Slice{ms, ms, rate, rate, 1, 0, rate});
    }
    // The lowest rate is the most dollars per euro.
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(
        "SELECT max(usd), min(usd), min(day), max(day), count(*), (SELECT usd FROM reference "
        "WHERE day >= ? AND day < ? ORDER BY day DESC LIMIT 1) FROM reference "
        "WHERE day >= ? AND day < ?"));
    const qint64 width = (span.ToMs - span.FromMs + slices - 1) / slices;
    for (qint64 from = span.FromMs; from < span.ToMs; from += width) {
        const QString toDay = ReferenceDayFrom(std::min(from + width, span.ToMs));
        // Most parts of a short span hold no day's 16:00 at all.
        if (fromDay < toDay) {
            for (int i = 0; i < 4; ++i)
                query.bindValue(i, i % 2 ? toDay : fromDay);
            if (!query.exec() || !query.next()) {
                error = query.lastError().text();
                return found;
            }
            if (query.value(4).toLongLong() > 0) {
                const auto rate = [&](int column) {
                    return ReferenceRate({QDate(), query.value(column).toDouble()});
                };
                found.append(Slice{ReferenceDayMs(DayOf(query.value(2))),
                                   ReferenceDayMs(DayOf(query.value(3))), rate(0), rate(1),
                                   query.value(4).toLongLong(), 0, rate(5)});
            }
            query.finish();
        }
        fromDay = toDay;
    }
    return found;
}

ChartLines BuildChartLines(TimeSpan span, const QList<Slice>& readings, const QList<Slice>& candles,
                           const QList<Slice>& reference) {
    ChartLines chart;
    chart.Span = span;
    chart.Readings = readings;
    chart.Candles = candles;
    chart.Reference = reference;
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

    // Steps: a point is added where it differs from the last, kept within the span.
    const auto step = [&](qint64 ms, double rate) {
        const QPointF point(qreal(std::clamp(ms, span.FromMs, span.ToMs)), rate);
        if (chart.Steps.last().isEmpty() || chart.Steps.last().last() != point)
            chart.Steps.last().append(point);
    };
    const auto holdTo = [&](qint64 ms) {
        step(std::min(ms, previous->LastMs + ReferenceHoldMs), previous->Last);
    };
    previous = nullptr;
    for (const Slice& slice : reference) {
        if (previous)
            holdTo(slice.FirstMs);
        if (!previous || slice.FirstMs - previous->LastMs > ReferenceHoldMs)
            chart.Steps.append(QList<QPointF>());
        // The extreme farther from the last day's rate first, so that the step ends on it.
        const bool lowNearer = std::abs(slice.Last - slice.Low) < std::abs(slice.Last - slice.High);
        step(slice.FirstMs, lowNearer ? slice.High : slice.Low);
        step(slice.FirstMs, lowNearer ? slice.Low : slice.High);
        step(slice.LastMs, lowNearer ? slice.Low : slice.High);
        step(slice.LastMs, slice.Last);
        widen(slice);
        previous = &slice;
    }
    if (previous)
        holdTo(span.ToMs);
    return chart;
}

namespace {

// Time labels are kept at least this far apart.
constexpr int TickSpacingPx = 90;

enum class TickUnit { Hour, Day, Week, Month, Year };
struct TickStep {
    TickUnit Unit;
    int Count;
    qint64 ApproxMs;
};
constexpr qint64 MonthMs = 30 * DayMs + 10 * HourMs;
constexpr qint64 YearMs = 365 * DayMs + 6 * HourMs;
constexpr TickStep TickSteps[] = {
    {TickUnit::Hour, 1, HourMs},        {TickUnit::Hour, 2, 2 * HourMs},
    {TickUnit::Hour, 3, 3 * HourMs},    {TickUnit::Hour, 6, 6 * HourMs},
    {TickUnit::Hour, 12, 12 * HourMs},  {TickUnit::Day, 1, DayMs},
    {TickUnit::Day, 2, 2 * DayMs},      {TickUnit::Week, 1, 7 * DayMs},
    {TickUnit::Month, 1, MonthMs},      {TickUnit::Month, 2, 2 * MonthMs},
    {TickUnit::Month, 3, 3 * MonthMs},  {TickUnit::Month, 6, 6 * MonthMs},
    {TickUnit::Year, 1, YearMs},        {TickUnit::Year, 2, 2 * YearMs},
    {TickUnit::Year, 5, 5 * YearMs},    {TickUnit::Year, 10, 10 * YearMs},
    {TickUnit::Year, 20, 20 * YearMs},  {TickUnit::Year, 50, 50 * YearMs},
    {TickUnit::Year, 100, 100 * YearMs}};

// A short date format without its year, when the year comes first or last: "dd-MM-yyyy"
// gives "dd-MM", "M/d/yy" gives "M/d", "yyyy-MM-dd" gives "MM-dd".
QString WithoutYear(QString format) {
    static const QRegularExpression last(QStringLiteral("[^A-Za-z']*y+[^A-Za-z']*$"));
    static const QRegularExpression first(QStringLiteral("^y+[^A-Za-z']*"));
    return format.remove(last).remove(first);
}

// A midnight's label: the day without its year, but for the year's first day.
QString DayLabel(QDate date, const QLocale& language) {
    if (date.dayOfYear() == 1)
        return language.toString(date, QLocale::ShortFormat);
    return language.toString(date, WithoutYear(language.dateFormat(QLocale::ShortFormat)));
}

// A step between 1, 2 or 5 times a power of ten, at least `least`, and never below 0.0001.
double RoundStep(double least) {
    double step = 0.0001;
    for (int i = 0; step < least; ++i)
        step *= i % 3 == 1 ? 2.5 : 2;
    return step;
}

// How far a slice lies from a time.
qint64 Distance(const Slice& slice, qint64 ms) {
    return ms < slice.FirstMs ? slice.FirstMs - ms : std::max<qint64>(ms - slice.LastMs, 0);
}

} // namespace

QList<TimeTick> TimeTicks(TimeSpan span, int pixels, const QLocale& language) {
    const qint64 most = std::max(2, pixels / TickSpacingPx);
    const TickStep* step =
        std::find_if(std::begin(TickSteps), std::end(TickSteps) - 1, [&](const TickStep& s) {
            return (span.ToMs - span.FromMs) / s.ApproxMs <= most;
        });
    QList<TimeTick> ticks;
    const QDateTime from = QDateTime::fromMSecsSinceEpoch(span.FromMs);
    if (step->Unit == TickUnit::Hour) {
        // Real hours, so the hour that a change of clock repeats is marked twice.
        const qint64 firstMs =
            QDateTime(from.date(), QTime(from.time().hour(), 0)).toMSecsSinceEpoch();
        for (qint64 ms = firstMs; ms < span.ToMs; ms += HourMs) {
            const QDateTime at = QDateTime::fromMSecsSinceEpoch(ms);
            if (ms < span.FromMs || at.time().minute() != 0 || at.time().hour() % step->Count)
                continue;
            ticks.append({ms, at.time().hour() == 0
                                  ? DayLabel(at.date(), language)
                                  : language.toString(at.time(), QLocale::ShortFormat)});
        }
        return ticks;
    }
    // Local dates, from the first that can hold a mark.
    QDate date = from.date();
    if (step->Unit == TickUnit::Month)
        date = QDate(date.year(), date.month(), 1);
    if (step->Unit == TickUnit::Year)
        date = QDate(date.year(), 1, 1);
    for (;;) {
        const qint64 ms = QDateTime(date, QTime(0, 0)).toMSecsSinceEpoch();
        if (ms >= span.ToMs)
            return ticks;
        bool marked = ms >= span.FromMs;
        QString label;
        switch (step->Unit) {
        case TickUnit::Hour: // marked above
        case TickUnit::Day:
            marked &= date.toJulianDay() % step->Count == 0;
            label = DayLabel(date, language);
            date = date.addDays(1);
            break;
        case TickUnit::Week:
            marked &= date.dayOfWeek() == language.firstDayOfWeek();
            label = DayLabel(date, language);
            date = date.addDays(1);
            break;
        case TickUnit::Month:
            marked &= (date.month() - 1) % step->Count == 0;
            label = date.month() == 1
                        ? QString::number(date.year())
                        : language.standaloneMonthName(date.month(), QLocale::ShortFormat);
            date = date.addMonths(1);
            break;
        case TickUnit::Year:
            marked &= date.year() % step->Count == 0;
            label = QString::number(date.year());
            date = date.addYears(1);
            break;
        }
        if (marked)
            ticks.append({ms, label});
    }
}

ChartFrame FrameChart(const ChartLines& lines, double buyLevel, double sellLevel, int pixels,
                      const QLocale& language) {
    ChartFrame frame;
    frame.Ticks = TimeTicks(lines.Span, pixels, language);
    QList<double> levels;
    for (const double level : {buyLevel, sellLevel})
        if (level >= 0.0001)
            levels.append(level);
    if (lines.Empty() && levels.isEmpty())
        return frame;
    double low = lines.Low;
    double high = lines.High;
    if (lines.Empty()) {
        low = *std::min_element(levels.begin(), levels.end());
        high = *std::max_element(levels.begin(), levels.end());
    }
    const double room = std::max((high - low) * 0.08, 0.0005);
    frame.RateLow = low - room;
    frame.RateHigh = high + room;
    frame.RateStep = RoundStep((frame.RateHigh - frame.RateLow) / 6);
    const auto place = [&](double level) -> std::optional<LimitMark> {
        if (level < 0.0001)
            return std::nullopt;
        return LimitMark{level,
                         level > frame.RateHigh  ? LimitMark::Above
                         : level < frame.RateLow ? LimitMark::Below
                                                 : LimitMark::Inside,
                         QString()};
    };
    frame.Lower = place(buyLevel);
    frame.Upper = place(sellLevel);
    return frame;
}

std::optional<ChartHover> HoverAt(const ChartLines& lines, qint64 ms,
                                  const RegionalSettings& regional) {
    enum class Kind { Reading, Candle, Reference };
    const Slice* nearest = nullptr;
    Kind kind = Kind::Reading;
    for (const auto& [slices, of] :
         {std::pair{&lines.Readings, Kind::Reading}, std::pair{&lines.Candles, Kind::Candle},
          std::pair{&lines.Reference, Kind::Reference}}) {
        for (const Slice& slice : *slices) {
            if (slice.Good > 0 && (!nearest || Distance(slice, ms) < Distance(*nearest, ms))) {
                nearest = &slice;
                kind = of;
            }
        }
    }
    if (!nearest)
        return std::nullopt;
    // The regional short date and long time, without the zone's name.
    const auto time = [&](qint64 atMs, bool withDate) {
        const QDateTime at = QDateTime::fromMSecsSinceEpoch(atMs);
        const QString clock = regional.locale.toString(at.time(), regional.timeFormat);
        return withDate ? regional.locale.toString(at.date(), QLocale::ShortFormat) + u' ' + clock
                        : clock;
    };
    // A reference day by its own date, which is Frankfurt's.
    const auto day = [&](qint64 atMs) {
        return regional.locale.toString(QDateTime::fromMSecsSinceEpoch(atMs, Frankfurt()).date(),
                                        QLocale::ShortFormat);
    };
    QString text;
    if (kind == Kind::Reference) {
        text = QStringLiteral("ECB ") + day(nearest->FirstMs);
        if (nearest->Good > 1)
            text += QStringLiteral(" – ") + day(nearest->LastMs);
    } else {
        text = time(nearest->FirstMs, true);
        // Several readings in one pixel, or candles: from their first to their last.
        if (kind == Kind::Candle || nearest->Good > 1)
            text +=
                QStringLiteral(" – ") +
                time(nearest->LastMs, QDateTime::fromMSecsSinceEpoch(nearest->FirstMs).date() !=
                                          QDateTime::fromMSecsSinceEpoch(nearest->LastMs).date());
    }
    text += QStringLiteral("  ") + FormatFixed(1, 4, nearest->Low, regional.decimalSeparator);
    if (nearest->High != nearest->Low)
        text += QStringLiteral("–") + FormatFixed(1, 4, nearest->High, regional.decimalSeparator);
    // The middle of several, and the day before the span, whose rate holds at its start, there.
    return ChartHover{
        std::clamp((nearest->FirstMs + nearest->LastMs) / 2, lines.Span.FromMs, lines.Span.ToMs),
        nearest->Low, nearest->High, text};
}
