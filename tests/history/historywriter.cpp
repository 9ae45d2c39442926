// Keeps readings as fast as the history takes them, numbered from FIRST on: reading n has time
// BASE + n. Prints each number as it hands the reading over, so a test that kills it knows what
// may be lost: the last one at most.
//   history_writer FILE FIRST BASE
#include "historytest.h"

#include "history/historyservice.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4)
        return 2;
    const qint64 base = QByteArray(argv[3]).toLongLong();
    // The history's clock stands at the first reading, as the test's does.
    HistoryService history(QString::fromLocal8Bit(argv[1]),
                           [base] { return QDateTime::fromMSecsSinceEpoch(base); });
    qint64 next = QByteArray(argv[2]).toLongLong();
    QTextStream out(stdout);
    const auto keep = [&] {
        out << next << Qt::endl;
        history.Keep(Good(base + next, 0.9 + double(next % 100) * 0.0001));
        ++next;
    };
    QObject::connect(&history, &HistoryService::Kept, &app, keep);
    history.Start();
    keep();
    return QCoreApplication::exec();
}
