#include "historytest.h"

#include "history/candlefolder.h"
#include "history/chartquery.h"
#include "history/readingstore.h"
#include "support/regional.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>

using Points = QList<QList<QPointF>>;
Q_DECLARE_METATYPE(ChartRange)

// What the chart asks of the history and how the answer becomes lines.
class TestChartQuery : public QObject {
    Q_OBJECT

    static constexpr qint64 Minute = 60000;
    static constexpr qint64 Day = 24 * 60 * Minute;

    static qint64 At(const QString& iso) {
        return QDateTime::fromString(iso, Qt::ISODate).toMSecsSinceEpoch();
    }

    static Slice S(qint64 first, qint64 last, double low, double high, qint64 good = 2,
                   qint64 failed = 0) {
        return Slice{first, last, low, high, good, failed};
    }

private slots:
    // near: the newest reading at most a day ahead; far: the newest of all (none: as near).
    void ranges_data() {
        QTest::addColumn<ChartRange>("range");
        QTest::addColumn<QString>("now");
        QTest::addColumn<QString>("near");
        QTest::addColumn<QString>("far");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("end");
        const QString noon = "2026-06-15T12:00:00+02:00";
        const QString none;
        QTest::newRow("day ends at now")
            << ChartRange::Day << noon << none << none << "2026-06-15T00:00:00+02:00" << noon;
        QTest::newRow("a young day shows the last 24 hours")
            << ChartRange::Day << "2026-06-15T05:59:00+02:00" << none << none
            << "2026-06-14T05:59:00+02:00"
            << "2026-06-15T05:59:00+02:00";
        QTest::newRow("day of 23 hours") << ChartRange::Day << "2026-03-29T18:00:00+02:00" << none
                                         << none << "2026-03-29T00:00:00+01:00"
                                         << "2026-03-29T18:00:00+02:00";
        QTest::newRow("day of 25 hours") << ChartRange::Day << "2026-10-25T06:30:00+01:00" << none
                                         << none << "2026-10-25T00:00:00+02:00"
                                         << "2026-10-25T06:30:00+01:00";
        QTest::newRow("week") << ChartRange::Week << noon << none << none
                              << "2026-06-08T12:00:00+02:00" << noon;
        QTest::newRow("month over a change of clock")
            << ChartRange::Month << "2026-04-15T12:00:00+02:00" << none << none
            << "2026-03-15T11:00:00+01:00"
            << "2026-04-15T12:00:00+02:00";
        QTest::newRow("year") << ChartRange::Year << noon << none << none
                              << "2025-06-15T12:00:00+02:00" << noon;
        QTest::newRow("a clock set back: the week ends at the newest reading")
            << ChartRange::Week << noon << "2026-06-15T13:00:00+02:00" << none
            << "2026-06-08T13:00:00+02:00"
            << "2026-06-15T13:00:00+02:00";
        QTest::newRow("a reading from a jump ahead leaves the year at now")
            << ChartRange::Year << noon << "2026-06-15T11:00:00+02:00"
            << "2027-01-01T00:00:00+01:00"
            << "2025-06-15T12:00:00+02:00" << noon;
        QTest::newRow("all runs to the newest of all")
            << ChartRange::All << noon << noon << "2027-01-01T00:00:00+01:00"
            << "2016-01-01T00:00:00+01:00"
            << "2027-01-01T00:00:00+01:00";
        QTest::newRow("all of nothing")
            << ChartRange::All << noon << none << none << "2026-06-14T12:00:00+02:00" << noon;
    }
    void ranges() {
        QFETCH(ChartRange, range);
        QFETCH(QString, now);
        QFETCH(QString, near);
        QFETCH(QString, far);
        QFETCH(QString, from);
        QFETCH(QString, end);
        const auto ms = [](const QString& text) {
            return text.isEmpty() ? std::nullopt : std::optional(At(text));
        };
        const KeptTimes kept{near.isEmpty() ? std::nullopt : ms(from),
                             far.isEmpty() ? ms(near) : ms(far), ms(near)};
        const TimeSpan span = RangeSpan(range, QDateTime::fromString(now, Qt::ISODate), kept);
        QCOMPARE(span.FromMs, *ms(from));
        // A reading taken at the end is in.
        QCOMPARE(span.ToMs, *ms(end) + 1);
    }

    void lines_data() {
        QTest::addColumn<QList<Slice>>("readings");
        QTest::addColumn<QList<Slice>>("candles");
        QTest::addColumn<QList<Slice>>("reference");
        QTest::addColumn<Points>("lines");
        QTest::addColumn<QList<QPointF>>("dots");
        QTest::addColumn<Points>("highs");
        QTest::addColumn<Points>("steps");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        const QList<Slice> none;
        QTest::newRow("extremes join by the shorter way")
            << QList<Slice>{S(0, 10, 0.90, 0.92), S(20, 20, 0.93, 0.93, 1), S(30, 40, 0.90, 0.95)}
            << none << none << Points{{{0, 0.90}, {10, 0.92}, {20, 0.93}, {30, 0.95}, {40, 0.90}}}
            << QList<QPointF>{} << Points{} << Points{} << 0.90 << 0.95;
        QTest::newRow("failed readings alone break the line, a lone one is a point")
            << QList<Slice>{S(0, 0, 0.9, 0.9, 1), S(2, 2, 0.91, 0.91, 1), S(5, 6, 0, 0, 0, 2),
                            S(10, 10, 0.8, 0.8, 1)}
            << none << none << Points{{{0, 0.9}, {2, 0.91}}} << QList<QPointF>{{10, 0.8}}
            << Points{} << Points{} << 0.8 << 0.91;
        QTest::newRow("twenty minutes apart still join")
            << QList<Slice>{S(60 * Minute, 60 * Minute, 0.9, 0.9, 1),
                            S(80 * Minute, 80 * Minute, 0.9, 0.9, 1)}
            << none << none << Points{{{60 * Minute, 0.9}, {80 * Minute, 0.9}}} << QList<QPointF>{}
            << Points{} << Points{} << 0.9 << 0.9;
        QTest::newRow("longer apart break; a pixel of one rate is a point")
            << QList<Slice>{S(0, 10, 0.9, 0.9, 3), S(20 * Minute + 11, 21 * Minute, 0.9, 0.92)}
            << none << none << Points{{{20 * Minute + 11, 0.9}, {21 * Minute, 0.92}}}
            << QList<QPointF>{{0, 0.9}} << Points{} << Points{} << 0.9 << 0.92;
        QTest::newRow("candles band, broken by a missing slice")
            << QList<Slice>{}
            << QList<Slice>{S(0, 15 * Minute, 0.8, 0.9), S(15 * Minute, 30 * Minute, 0.7, 0.85),
                            S(45 * Minute, 60 * Minute, 0.86, 0.87)}
            << none << Points{} << QList<QPointF>{}
            << Points{{{0, 0.9}, {15 * Minute, 0.9}, {15 * Minute, 0.85}, {30 * Minute, 0.85}},
                      {{45 * Minute, 0.87}, {60 * Minute, 0.87}}}
            << Points{} << 0.7 << 0.9;
        // The day before the span holds at its start; a pixel of several days goes first to
        // the extreme farther from its last day's rate and ends on that; a week without a day
        // still holds, more breaks the steps, each ending a week after its last day or with
        // the span.
        QTest::newRow("reference steps")
            << none << none
            << QList<Slice>{{-Day, -Day, 0.90, 0.90, 1, 0, 0.90},
                            {Day, Day, 0.92, 0.92, 1, 0, 0.92},
                            {2 * Day, 4 * Day, 0.91, 0.96, 3, 0, 0.93},
                            {11 * Day, 12 * Day, 0.94, 0.98, 2, 0, 0.97},
                            {20 * Day, 20 * Day, 0.95, 0.95, 1, 0, 0.95}}
            << Points{} << QList<QPointF>{} << Points{}
            << Points{{{0, 0.90},
                       {Day, 0.90},
                       {Day, 0.92},
                       {2 * Day, 0.92},
                       {2 * Day, 0.96},
                       {2 * Day, 0.91},
                       {4 * Day, 0.91},
                       {4 * Day, 0.93},
                       {11 * Day, 0.93},
                       {11 * Day, 0.94},
                       {11 * Day, 0.98},
                       {12 * Day, 0.98},
                       {12 * Day, 0.97},
                       {19 * Day, 0.97}},
                      {{20 * Day, 0.95}, {25 * Day, 0.95}}}
            << 0.90 << 0.98;
    }
    void lines() {
        QFETCH(QList<Slice>, readings);
        QFETCH(QList<Slice>, candles);
        QFETCH(QList<Slice>, reference);
        QFETCH(Points, lines);
        QFETCH(QList<QPointF>, dots);
        QFETCH(Points, highs);
        QFETCH(double, low);
        QFETCH(double, high);
        const ChartLines chart = BuildChartLines({0, 25 * Day}, readings, candles, reference);
        QCOMPARE(chart.Lines, lines);
        QCOMPARE(chart.Dots, dots);
        QCOMPARE(chart.BandHighs, highs);
        QTEST(chart.Steps, "steps");
        QCOMPARE(chart.BandLows.size(), highs.size());
        if (!candles.isEmpty())
            QCOMPARE(chart.BandLows.first().first().y(), candles.first().Low);
        QCOMPARE(chart.Low, low);
        QCOMPARE(chart.High, high);
        QCOMPARE(chart.Empty(), readings.isEmpty() && candles.isEmpty() && reference.isEmpty());
    }

    void frame_data() {
        QTest::addColumn<double>("low"); // none drawn when below 0
        QTest::addColumn<double>("high");
        QTest::addColumn<double>("buy");
        QTest::addColumn<double>("sell");
        QTest::addColumn<double>("rateLow");
        QTest::addColumn<double>("rateHigh");
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("lower"); // where each level goes; none: -1
        QTest::addColumn<int>("upper");
        QTest::newRow("fits the rates; levels beyond are markers")
            << 0.92 << 0.925 << 0.90 << 0.94 << 0.9195 << 0.9255 << 0.001 << int(LimitMark::Below)
            << int(LimitMark::Above);
        QTest::newRow("a level among the rates is a line")
            << 0.92 << 0.93 << 0.925 << 0.00009 << 0.9192 << 0.9308 << 0.002
            << int(LimitMark::Inside) << -1;
        QTest::newRow("nothing drawn fits both levels")
            << -1.0 << -1.0 << 0.8084 << 0.8482 << 0.805216 << 0.851384 << 0.01
            << int(LimitMark::Inside) << int(LimitMark::Inside);
        QTest::newRow("nothing at all")
            << -1.0 << -1.0 << 0.0 << 0.0 << 0.0 << 0.0 << 0.0 << -1 << -1;
    }
    void frame() {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(double, buy);
        QFETCH(double, sell);
        ChartLines lines;
        if (low >= 0) {
            lines.Dots = {{0, low}, {1, high}};
            lines.Low = low;
            lines.High = high;
        }
        const ChartFrame frame = FrameChart(lines, buy, sell, 700, QLocale::c());
        QTEST(frame.RateLow, "rateLow");
        QTEST(frame.RateHigh, "rateHigh");
        QTEST(frame.RateStep, "step");
        QTEST(frame.Lower ? int(frame.Lower->Where) : -1, "lower");
        QTEST(frame.Upper ? int(frame.Upper->Where) : -1, "upper");
    }

    // span: from/to; first: the first mark's time; labels joined by " | ".
    void ticks_data() {
        QTest::addColumn<QString>("span");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QLocale>("language");
        QTest::addColumn<QString>("labels");
        const QLocale dutch(QLocale::Dutch, QLocale::Netherlands);
        const QLocale english(QLocale::English);
        QTest::newRow("24 hours in English, midnight as its date")
            << "2026-03-09T22:30:00+01:00/2026-03-10T22:30:00+01:00" << 720
            << "2026-03-10T00:00:00+01:00" << english
            << "3/10 | 3:00 AM | 6:00 AM | 9:00 AM | 12:00 PM | 3:00 PM | 6:00 PM | 9:00 PM";
        QTest::newRow("a week by midnights from its start, a year's first day with its year")
            << "2025-12-29T00:00:00+01:00/2026-01-04T12:00:00+01:00" << 720
            << "2025-12-29T00:00:00+01:00" << dutch
            << "29-12 | 30-12 | 31-12 | 01-01-2026 | 02-01 | 03-01 | 04-01";
        QTest::newRow("a month by the language's weeks")
            << "2026-03-01T12:00:00+01:00/2026-04-01T12:00:00+02:00" << 720
            << "2026-03-08T00:00:00+01:00" << english << "3/8 | 3/15 | 3/22 | 3/29";
        QTest::newRow("a year by two months, January as its year")
            << "2026-03-10T12:00:00+01:00/2027-03-10T12:00:00+01:00" << 720
            << "2026-05-01T00:00:00+02:00" << dutch << "mei | jul. | sep. | nov. | 2027 | mrt.";
        QTest::newRow("ten years by two")
            << "2016-06-01T00:00:00+02:00/2026-06-01T00:00:00+02:00" << 720
            << "2018-01-01T00:00:00+01:00" << english << "2018 | 2020 | 2022 | 2024 | 2026";
    }
    void ticks() {
        QFETCH(QString, span);
        QFETCH(int, pixels);
        QFETCH(QString, first);
        QFETCH(QLocale, language);
        const QList<TimeTick> ticks =
            TimeTicks({At(span.section('/', 0, 0)), At(span.section('/', 1, 1))}, pixels, language);
        QStringList labels;
        for (const TimeTick& tick : ticks)
            labels << tick.Label;
        QTEST(labels.join(" | "), "labels");
        QCOMPARE(ticks.first().Ms, At(first));
    }

    void hover_data() {
        QTest::addColumn<QList<Slice>>("readings");
        QTest::addColumn<QList<Slice>>("candles");
        QTest::addColumn<QList<Slice>>("reference");
        QTest::addColumn<qint64>("at");
        QTest::addColumn<qint64>("snapped"); // none: -1
        QTest::addColumn<QString>("text");
        const qint64 t = At("2026-03-10T14:05:09+01:00");
        const QList<Slice> none;
        QTest::newRow("a reading") << QList<Slice>{S(t, t, 0.9201, 0.9201, 1)} << none << none
                                   << t + Minute << t << "10-03-2026 14:05:09  0,9201";
        QTest::newRow("the nearest good pixel, with its first and last time")
            << QList<Slice>{S(t, t, 0.9201, 0.9201, 1),
                            S(t + 5 * Minute, t + 5 * Minute, 0, 0, 0, 3),
                            S(t + 10 * Minute, t + 12 * Minute, 0.92, 0.9233, 5)}
            << none << none << t + 6 * Minute << t + 11 * Minute
            << "10-03-2026 14:15:09 – 14:17:09  0,9200–0,9233";
        QTest::newRow("candles over midnight")
            << none << QList<Slice>{S(t + 585 * Minute, t + 615 * Minute, 0.91, 0.93)} << none << t
            << t + 600 * Minute << "10-03-2026 23:50:09 – 11-03-2026 00:20:09  0,9100–0,9300";
        QTest::newRow("a reading before a reference day as near")
            << QList<Slice>{S(t, t, 0.9201, 0.9201, 1)} << none
            << QList<Slice>{{t + 2 * Minute, t + 2 * Minute, 0.93, 0.93, 1, 0, 0.93}} << t + Minute
            << t << "10-03-2026 14:05:09  0,9201";
        QTest::newRow("reference days by their dates")
            << none << none << QList<Slice>{{t - Day, t, 0.91, 0.93, 2, 0, 0.93}} << t
            << t - Day / 2 << "ECB 09-03-2026 – 10-03-2026  0,9100–0,9300";
        QTest::newRow("the day before the span, marked at its start")
            << none << none << QList<Slice>{{-Day, -Day, 0.92, 0.92, 1, 0, 0.92}} << t << qint64(0)
            << "ECB 31-12-1969  0,9200";
        QTest::newRow("nothing drawn")
            << QList<Slice>{S(t, t, 0, 0, 0, 1)} << none << none << t << qint64(-1) << "";
    }
    void hover() {
        QFETCH(QList<Slice>, readings);
        QFETCH(QList<Slice>, candles);
        QFETCH(QList<Slice>, reference);
        QFETCH(qint64, at);
        QFETCH(qint64, snapped);
        const std::optional<ChartHover> hover =
            HoverAt(BuildChartLines({0, at * 2}, readings, candles, reference), at,
                    RegionalSettingsFrom(QLocale(QLocale::Dutch, QLocale::Netherlands)));
        QCOMPARE(hover ? hover->Ms : -1, snapped);
        QTEST(hover ? hover->Text : QString(), "text");
    }

    // SQLite answers per slice, in time order even for readings written out of it.
    void slicesFromTheFile() {
        QTemporaryDir dir;
        ReadingStore store(dir.filePath("h.sqlite"), "query");
        QVERIFY(store.Open(QDateTime::fromMSecsSinceEpoch(0)));
        // Nothing kept, no earliest time.
        QVERIFY(!QueryKeptTimes(store.Database(), 0).EarliestMs);
        QVERIFY(store.Append({Good(250, 0.93), Good(120, 0.91), Failed(130), Good(199, 0.95),
                              Good(100, 0.92), Failed(320), Failed(330, -2), Good(400, 0.99),
                              Good(2 * AheadMs, 0.9)}));
        QVERIFY(
            store.PutCandles({{0, 0.9, 0.95, 0.85, 0.9, 3}, {CandleMs, 0.9, 0.96, 0.8, 0.9, 3}}));
        QString error;
        const QList<Slice> slices = QueryReadingSlices(store.Database(), {100, 400}, 3, error);
        QCOMPARE(slices.size(), 3);
        const auto same = [](const Slice& a, const Slice& b) {
            return a.FirstMs == b.FirstMs && a.LastMs == b.LastMs && a.Low == b.Low &&
                   a.High == b.High && a.Good == b.Good && a.Failed == b.Failed && a.Last == b.Last;
        };
        QVERIFY(same(slices[0], S(100, 199, 0.91, 0.95, 3, 0)));
        QVERIFY(same(slices[1], S(250, 250, 0.93, 0.93, 1, 0)));
        QVERIFY(same(slices[2], S(300, 300, 0, 0, 0, 2)));
        QCOMPARE(QueryReadingSlices(store.Database(), {100, 400}, 0, error).size(), 0);
        const QList<Slice> candles =
            QueryCandleSlices(store.Database(), {0, 3 * CandleMs}, 1, error);
        QCOMPARE(candles.size(), 1);
        QVERIFY(same(candles[0], S(0, 2 * CandleMs, 0.8, 0.96, 2, 0)));

        // Reference days at 16:00 in Frankfurt, on either side of the change to summer time;
        // the day before a span holds at its start for a week.
        QVERIFY(store.PutReference({{QDate(2026, 3, 31), 1.25},
                                    {QDate(2026, 3, 27), 1.08},
                                    {QDate(2026, 3, 30), 1.0543},
                                    {QDate(2026, 3, 20), 1.1},
                                    {QDate(1969, 12, 31), 1.0}}));
        const qint64 friday = At("2026-03-27T15:00:00Z");
        const qint64 monday = At("2026-03-30T14:00:00Z");
        const qint64 tuesday = At("2026-03-31T14:00:00Z");
        QList<Slice> days = QueryReferenceSlices(store.Database(), {monday, tuesday}, 1, error);
        QCOMPARE(days.size(), 2);
        QVERIFY(same(days[0], Slice{friday, friday, 0.9259, 0.9259, 1, 0, 0.9259}));
        QVERIFY(same(days[1], Slice{monday, monday, 0.9485, 0.9485, 1, 0, 0.9485}));
        days = QueryReferenceSlices(store.Database(), {friday - Day, tuesday + 1}, 2, error);
        QCOMPARE(days.size(), 3);
        QCOMPARE(days[0].Last, 0.9091);
        QCOMPARE(days[1].FirstMs, friday);
        QVERIFY(same(days[2], Slice{monday, tuesday, 0.8, 0.9485, 2, 0, 0.8}));
        // Nothing for no span, no pixels, or a span that the last day's hold does not reach.
        for (const auto& [span, pixels] :
             {std::pair{TimeSpan{monday, monday}, 1}, std::pair{TimeSpan{monday, tuesday}, 0},
              std::pair{TimeSpan{tuesday + 7 * Day, tuesday + 8 * Day}, 9}})
            QVERIFY(QueryReferenceSlices(store.Database(), span, pixels, error).isEmpty());

        // The newest near now is a candle's; the reading two days ahead is only the newest; a
        // reference day older than them all is the earliest.
        const KeptTimes kept = QueryKeptTimes(store.Database(), 0);
        QCOMPARE(kept.EarliestMs, At("1969-12-31T15:00:00Z"));
        QCOMPARE(kept.NewestMs, 2 * AheadMs);
        QCOMPARE(kept.NewestNearMs, CandleMs);
        // A question that fails says so.
        QVERIFY(QSqlQuery("DROP TABLE candles", store.Database()).isActive());
        QVERIFY(QueryCandleSlices(store.Database(), {0, 3 * CandleMs}, 1, error).isEmpty());
        QVERIFY2(error.contains("candles"), qPrintable(error));
    }
};

int main(int argc, char** argv) {
    // The days of 23 and 25 hours are those of this zone.
    qputenv("TZ", "Europe/Amsterdam");
    tzset();
    TestChartQuery test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_chartquery.moc"
