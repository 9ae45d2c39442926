// Writes a generated rate history into FILE (see history/historyfill.h) and tells what it holds:
//   qzrate-history-fill [--days N] [--interval S] [--raw-days N] [--end ISO] [--office-hours]
//                       [--reference-days N] [--fold] FILE
// --fold then folds as the program does when it opens the file. A value that is not what its
// option takes ends it with status 2, before anything is written.
#include "history/historyfill.h"
#include "history/readingstore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTextStream>

#include <optional>

namespace {

// A whole number from least to most, or nothing, told on standard error.
std::optional<int> WholeNumber(const QCommandLineParser& parser, const QCommandLineOption& option,
                               int least, int most) {
    bool ok = false;
    const QString text = parser.value(option);
    const int value = text.toInt(&ok);
    if (ok && value >= least && value <= most)
        return value;
    QTextStream(stderr) << "qzrate-history-fill: --" << option.names().first()
                        << " takes a whole number from " << least << " to " << most << ", not '"
                        << text << "'\n";
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes a generated rate history."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption days(QStringLiteral("days"),
                                  QStringLiteral("Days of readings (0: none)."),
                                  QStringLiteral("n"), QStringLiteral("7"));
    const QCommandLineOption interval(QStringLiteral("interval"),
                                      QStringLiteral("Seconds between readings."),
                                      QStringLiteral("s"), QStringLiteral("5"));
    const QCommandLineOption rawDays(QStringLiteral("raw-days"),
                                     QStringLiteral("Days kept as readings; older are candles."),
                                     QStringLiteral("n"), QStringLiteral("31"));
    const QCommandLineOption end(QStringLiteral("end"),
                                 QStringLiteral("Time of the last reading (ISO 8601; now)."),
                                 QStringLiteral("time"));
    const QCommandLineOption officeHours(
        QStringLiteral("office-hours"),
        QStringLiteral("Readings on weekdays from 08:30 to 17:30 local time only."));
    const QCommandLineOption referenceDays(
        QStringLiteral("reference-days"),
        QStringLiteral("Working days of reference rates up to the end's date."),
        QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption fold(QStringLiteral("fold"),
                                  QStringLiteral("Fold as the program does afterwards."));
    parser.addOptions({days, interval, rawDays, end, officeHours, referenceDays, fold});
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The history file."));
    if (!parser.parse(QCoreApplication::arguments())) {
        QTextStream(stderr) << "qzrate-history-fill: " << parser.errorText() << '\n';
        return 2;
    }
    if (parser.isSet(help))
        parser.showHelp();
    if (parser.positionalArguments().size() != 1) {
        QTextStream(stderr) << parser.helpText();
        return 2;
    }
    const QString path = parser.positionalArguments().first();
    const QDateTime endTime = parser.isSet(end)
                                  ? QDateTime::fromString(parser.value(end), Qt::ISODate)
                                  : QDateTime::currentDateTime();
    if (!endTime.isValid()) {
        QTextStream(stderr) << "qzrate-history-fill: --end takes an ISO 8601 time such as "
                               "2026-03-10T12:00:00, not '"
                            << parser.value(end) << "'\n";
        return 2;
    }
    // A hundred years at most: more is no history the program could have kept.
    const std::optional<int> dayCount = WholeNumber(parser, days, 0, 36525);
    const std::optional<int> seconds = WholeNumber(parser, interval, 1, 86400);
    const std::optional<int> rawDayCount = WholeNumber(parser, rawDays, 0, 36525);
    const std::optional<int> referenceDayCount = WholeNumber(parser, referenceDays, 0, 26100);
    if (!dayCount || !seconds || !rawDayCount || !referenceDayCount)
        return 2;
    const HistoryFill fill{
        endTime, *dayCount, *seconds, *rawDayCount, parser.isSet(officeHours), *referenceDayCount};
    ReadingStore store(path, QStringLiteral("fill"));
    if (!store.Open(fill.End) || !FillHistory(store, fill)) {
        QTextStream(stderr) << "qzrate-history-fill: " << store.Error() << '\n';
        return 1;
    }
    QTextStream out(stdout);
    qint64 referenceDaysHeld = -1;
    if (QSqlQuery count(QStringLiteral("SELECT count(*) FROM reference"), store.Database());
        count.next())
        referenceDaysHeld = count.value(0).toLongLong();
    out << "generated: readings " << store.ReadingCount() << " candles " << store.CandleCount()
        << " reference days " << referenceDaysHeld << '\n';
    if (parser.isSet(fold)) {
        qint64 folded = 0;
        for (int n; (n = store.FoldSome(fill.End.toMSecsSinceEpoch())) > 0;)
            folded += n;
        out << "folded " << folded << " readings: readings " << store.ReadingCount() << " candles "
            << store.CandleCount() << '\n';
    }
    QSqlQuery(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"), store.Database());
    out << "file " << path << " bytes " << QFileInfo(path).size() << '\n';
    return 0;
}
