// Keeps readings as fast as the history takes them, numbered from FIRST on: reading n has time
// BASE + n. Prints each number as it hands the reading over, so a test that kills it knows what
// may be lost: the last one at most.
//   history_writer FILE FIRST BASE
// Or keeps two readings while FILE cannot be written, and a third once it can again.
//   history_writer --read-only FILE
#include "historytest.h"

#include "history/historyservice.h"
#include "history/historyworker.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

namespace {

int ReadOnlyFile(const QString& path) {
    const QDateTime now(QDate(2026, 3, 10), QTime(12, 0));
    if (!ReadingStore(path, "made").Open(now))
        return 1;
    const auto mode = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    QFile::setPermissions(path, mode);
    HistoryWorker worker(path, [now] { return now; });
    worker.Open();
    worker.Keep(Good(now.toMSecsSinceEpoch(), 0.91));
    worker.Keep(Good(now.toMSecsSinceEpoch() + 1, 0.92));
    QFile::setPermissions(path, mode | QFile::WriteOwner);
    worker.Keep(Good(now.toMSecsSinceEpoch() + 2, 0.93));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--read-only")
        return ReadOnlyFile(QString::fromLocal8Bit(argv[2]));
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
