#include "historytest.h"

#include "history/historyexport.h"
#include "history/historyservice.h"
#include "history/readingstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>

// The history as CSV: its rows, their order, and a file that is whole or not there.
class TestHistoryExport : public QObject {
    Q_OBJECT

    // 2026-01-15 13:00:00 in Amsterdam (winter) and 2026-07-15 13:00:00 (summer).
    static constexpr qint64 Winter = 1768478400000;
    static constexpr qint64 Summer = 1784113200000;

    static QByteArray Read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    }

private slots:
    void rows_data() {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("rate") << CsvRow(Good(Winter + 5, 0.923))
                              << QByteArray("2026-01-15T13:00:00.005+01:00,IEX,0.923,,,,\r\n");
        QTest::newRow("code") << CsvRow(Failed(Summer, -2))
                              << QByteArray("2026-07-15T13:00:00.000+02:00,D2E,,,,,-2\r\n");
        QTest::newRow("gap") << CsvRow(StoredReading{Summer, ReadingSource::IEX, {}, {}})
                             << QByteArray("2026-07-15T13:00:00.000+02:00,IEX,,,,,\r\n");
        QTest::newRow("candle")
            << CsvRow(Candle{Winter, 0.9, 0.9312, 0.8999, 0.91, 180})
            << QByteArray("2026-01-15T13:00:00.000+01:00,,0.91,0.9312,0.8999,180,\r\n");
        QTest::newRow("reference day")
            << CsvRow(ReferenceDay{QDate(2026, 12, 8), 1.0543})
            << QByteArray("2026-12-08T16:00:00.000+01:00,ECB,0.9485,,,,\r\n");
    }
    void rows() {
        QFETCH(QByteArray, row);
        QFETCH(QByteArray, expected);
        QCOMPARE(row, expected);
    }

    void everythingInTimeOrder() {
        QTemporaryDir dir;
        ReadingStore store(dir.filePath("h.sqlite"), "export");
        QVERIFY(store.Open(QDateTime::fromMSecsSinceEpoch(Summer)));
        const QString path = dir.filePath("out.csv");
        // An empty history: the header alone.
        QVERIFY(ExportHistory(store.Database(), WholeHistory, path).Ok);
        QCOMPARE(Read(path), CsvHeader());

        QVERIFY(
            store.Append({Good(Winter + 1000, 0.95), Failed(Winter - 1000), Good(Summer, 0.94)}));
        QVERIFY(store.PutCandles({{Winter, 0.9, 0.93, 0.89, 0.91, 180}}));
        const ReferenceDay before{QDate(2026, 1, 14), 1.08};
        const ReferenceDay after{QDate(2026, 1, 15), 1.0543};
        QVERIFY(store.PutReference({after, before}));
        QList<int> percents;
        const ExportResult result = ExportHistory(store.Database(), WholeHistory, path, nullptr,
                                                  [&](int percent) { percents << percent; });
        QVERIFY(result.Ok);
        QCOMPARE(result.Rows, 6);
        QCOMPARE(percents.last(), 100);
        QCOMPARE(Read(path), CsvHeader() + CsvRow(before) + CsvRow(Failed(Winter - 1000)) +
                                 CsvRow(Candle{Winter, 0.9, 0.93, 0.89, 0.91, 180}) +
                                 CsvRow(Good(Winter + 1000, 0.95)) + CsvRow(after) +
                                 CsvRow(Good(Summer, 0.94)));
        // A range: what lies in it.
        QVERIFY(ExportHistory(store.Database(), {Winter, Summer}, path).Ok);
        QCOMPARE(Read(path), CsvHeader() + CsvRow(Candle{Winter, 0.9, 0.93, 0.89, 0.91, 180}) +
                                 CsvRow(Good(Winter + 1000, 0.95)) + CsvRow(after));
    }

    // A file that exists is replaced only by a complete one; nothing half-written stays.
    void failureLeavesNothing() {
        QTemporaryDir dir;
        ReadingStore store(dir.filePath("h.sqlite"), "export");
        QVERIFY(store.Open(QDateTime::fromMSecsSinceEpoch(Summer)));
        QList<StoredReading> many;
        for (int i = 0; i < 5000; ++i)
            many.append(Good(Winter + i, 0.9));
        QVERIFY(store.Append(many));
        const QString path = dir.filePath("out.csv");
        {
            QFile old(path);
            old.open(QIODevice::WriteOnly);
            old.write("old");
        }
        std::atomic_bool cancel = true;
        const ExportResult cancelled = ExportHistory(store.Database(), WholeHistory, path, &cancel);
        QVERIFY(cancelled.Cancelled);
        QVERIFY(!cancelled.Ok);
        QCOMPARE(Read(path), QByteArray("old"));
        const ExportResult nowhere =
            ExportHistory(store.Database(), WholeHistory, dir.filePath("none/out.csv"));
        QVERIFY(!nowhere.Ok);
        QVERIFY(!nowhere.Error.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot),
                 (QStringList{"h.sqlite", "h.sqlite-shm", "h.sqlite-wal", "out.csv"}));
        // A table that cannot be read: an error, and the old file stays.
        QSqlQuery(QStringLiteral("ALTER TABLE candles RENAME TO c"), store.Database());
        const ExportResult unread = ExportHistory(store.Database(), WholeHistory, path);
        QVERIFY(!unread.Ok);
        QVERIFY(!unread.Error.isEmpty());
        QCOMPARE(Read(path), QByteArray("old"));
        QSqlQuery(QStringLiteral("ALTER TABLE c RENAME TO candles"), store.Database());
        // The command: everything, or a clear error and status 1; a history from before the
        // reference rates has no table of them.
        QSqlQuery(QStringLiteral("DROP TABLE reference"), store.Database());
        QCOMPARE(ExportHistoryCommand(dir.filePath("h.sqlite"), path), 0);
        QCOMPARE(Read(path).count("\r\n"), 5001);
        QCOMPARE(ExportHistoryCommand(dir.filePath("h.sqlite"), dir.filePath("none/out.csv")), 1);
    }

    // The command reads the history as it lies and makes nothing: no data folder, an empty
    // one, a file that no program has open (no -wal, no -shm).
    void theCommandMakesNothing() {
        QTemporaryDir dir;
        const QString csv = dir.filePath("out.csv");
        const QString history = dir.filePath("history.sqlite");
        QCOMPARE(ExportHistoryCommand(dir.filePath("none/history.sqlite"), csv), 0);
        QCOMPARE(Read(csv), CsvHeader());
        QCOMPARE(ExportHistoryCommand(history, csv), 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"out.csv"});
        {
            ReadingStore store(history, "closed");
            QVERIFY(store.Open(QDateTime::fromMSecsSinceEpoch(Summer)));
            QVERIFY(store.Append({Good(Winter, 0.9)}));
        }
        QCOMPARE(ExportHistoryCommand(history, csv), 0);
        QCOMPARE(Read(csv), CsvHeader() + CsvRow(Good(Winter, 0.9)));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{"history.sqlite", "out.csv"}));
    }

    // A reading's write never waits behind an export: it has a thread and a connection of its
    // own.
    void aReadingPassesAnExport() {
        QTemporaryDir dir;
        ReadingStore store(dir.filePath("h.sqlite"), "many");
        QVERIFY(store.Open(QDateTime::fromMSecsSinceEpoch(Summer)));
        QVERIFY(store.Append(QList<StoredReading>(50000, Good(Summer, 0.9))));
        {
            HistoryService history(dir.filePath("h.sqlite"),
                                   [] { return QDateTime::fromMSecsSinceEpoch(Summer); });
            QSignalSpy kept(&history, &HistoryService::Kept);
            QSignalSpy exported(&history, &HistoryService::Exported);
            QSignalSpy progress(&history, &HistoryService::ExportProgress);
            history.Start();
            history.Export(dir.filePath("out.csv"), std::nullopt);
            history.Keep(Good(Summer, 0.91));
            QVERIFY(kept.wait(20000));
            QCOMPARE(exported.size(), 0);
            QVERIFY(exported.wait(20000));
            QVERIFY(exported.first().first().value<ExportResult>().Ok);
            QCOMPARE(progress.last().first().toInt(), 100);
        }
        QCOMPARE(store.ReadingCount(), 50001);
    }
};

int main(int argc, char** argv) {
    qputenv("TZ", "Europe/Amsterdam");
    tzset();
    QCoreApplication app(argc, argv);
    TestHistoryExport test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_historyexport.moc"
