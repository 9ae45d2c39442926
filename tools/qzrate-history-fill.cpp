// Writes a generated rate history into FILE (see history/historyfill.h) and tells what it holds:
//   qzrate-history-fill [--days N] [--interval S] [--raw-days N] [--end ISO] [--fold] FILE
// --fold then folds as the program does when it opens the file.
#include "history/historyfill.h"
#include "history/readingstore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes a generated rate history."));
    parser.addHelpOption();
    const QCommandLineOption days(QStringLiteral("days"), QStringLiteral("Days of history."),
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
    const QCommandLineOption fold(QStringLiteral("fold"),
                                  QStringLiteral("Fold as the program does afterwards."));
    parser.addOptions({days, interval, rawDays, end, fold});
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The history file."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1) {
        QTextStream(stderr) << parser.helpText();
        return 2;
    }
    const QString path = parser.positionalArguments().first();
    const HistoryFill fill{parser.isSet(end) ? QDateTime::fromString(parser.value(end), Qt::ISODate)
                                             : QDateTime::currentDateTime(),
                           parser.value(days).toInt(), parser.value(interval).toInt(),
                           parser.value(rawDays).toInt()};
    ReadingStore store(path, QStringLiteral("fill"));
    if (!store.Open(fill.End) || !FillHistory(store, fill)) {
        QTextStream(stderr) << "qzrate-history-fill: " << store.Error() << '\n';
        return 1;
    }
    QTextStream out(stdout);
    out << "generated: readings " << store.ReadingCount() << " candles " << store.CandleCount()
        << '\n';
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
