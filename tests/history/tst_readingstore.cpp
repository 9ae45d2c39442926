#include "historytest.h"

#include "history/candlefolder.h"
#include "history/historyservice.h"
#include "history/historyworker.h"
#include "history/pendingreadings.h"
#include "history/readingstore.h"
#include "history/referencebackfill.h"
#include "server/referenceserver.h"
#include "sources/ratereading.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <csignal>
#include <sys/resource.h>

// The history file: readings kept, old ones folded into candles, and the faults a file meets.
class TestReadingStore : public QObject {
    Q_OBJECT

    static constexpr qint64 Slice = CandleMs;
    const QDateTime Now =
        QDateTime::fromString(QStringLiteral("2026-06-15T12:07:00Z"), Qt::ISODate);

    QList<Candle> Candles(ReadingStore& store) {
        QList<Candle> candles;
        QSqlQuery query(QStringLiteral("SELECT t, first, high, low, last, count FROM candles "
                                       "ORDER BY t"),
                        store.Database());
        while (query.next())
            candles.append(Candle{query.value(0).toLongLong(), query.value(1).toDouble(),
                                  query.value(2).toDouble(), query.value(3).toDouble(),
                                  query.value(4).toDouble(), query.value(5).toInt()});
        return candles;
    }

private slots:
    void readingAsKept_data() {
        QTest::addColumn<QString>("rateText");
        QTest::addColumn<ReadingSource>("source");
        QTest::addColumn<StoredReading>("stored");
        QTest::newRow("rate") << "0,9230" << ReadingSource::IEX
                              << StoredReading{5, ReadingSource::IEX, 0.923, {}};
        QTest::newRow("no connection")
            << "-1" << ReadingSource::D2E << StoredReading{5, ReadingSource::D2E, {}, -1};
        QTest::newRow("no usable page")
            << "-2" << ReadingSource::IEX << StoredReading{5, ReadingSource::IEX, {}, -2};
        QTest::newRow("empty text is a gap")
            << "" << ReadingSource::D2E << StoredReading{5, ReadingSource::D2E, {}, {}};
        QTest::newRow("zero is a gap")
            << "0,0000" << ReadingSource::IEX << StoredReading{5, ReadingSource::IEX, {}, {}};
    }
    void readingAsKept() {
        QFETCH(QString, rateText);
        QFETCH(ReadingSource, source);
        QFETCH(StoredReading, stored);
        RateReading reading;
        reading.RateText = rateText;
        QCOMPARE(StoredReadingOf(reading, source, 5), stored);
    }

    void slices_data() {
        QTest::addColumn<qint64>("time");
        QTest::addColumn<qint64>("start");
        QTest::newRow("start") << Slice << Slice;
        QTest::newRow("last ms") << 2 * Slice - 1 << Slice;
        QTest::newRow("before 1970") << qint64(-1) << -Slice;
        QTest::newRow("before 1970, whole") << -Slice << -Slice;
    }
    void slices() {
        QFETCH(qint64, time);
        QFETCH(qint64, start);
        QCOMPARE(CandleStart(time), start);
    }

    // Whole slices more than 31 days old become candles; the rest stays as read.
    void foldsAcrossTheBoundary() {
        QTemporaryDir dir;
        ReadingStore store(dir.filePath("h.sqlite"), "fold");
        QVERIFY(store.Open(Now));
        const qint64 cutoff = FoldCutoff(Now.toMSecsSinceEpoch());
        QCOMPARE(cutoff % Slice, 0);
        QVERIFY(cutoff <= Now.toMSecsSinceEpoch() - RawKeptMs);
        QVERIFY(cutoff > Now.toMSecsSinceEpoch() - RawKeptMs - Slice);
        const qint64 first = cutoff - 2 * Slice;
        // Given out of time order, as a clock set back writes them.
        QVERIFY(store.Append({Good(first + 60000, 0.9300), Good(first, 0.9200),
                              Good(first + 120000, 0.9100), Failed(first + 180000),
                              Good(first + Slice - 1, 0.9250), Failed(cutoff - Slice + 5),
                              Good(cutoff, 0.9400), Failed(cutoff + 1)}));
        CandleFolder oneSlice;
        oneSlice.Add(first, 0.92);
        oneSlice.Add(first + Slice - 1, 0.93);
        QCOMPARE(oneSlice.Take().size(), 1);
        int folded = 0;
        for (int n; (n = store.FoldSome(Now.toMSecsSinceEpoch())) > 0;)
            folded += n;
        QCOMPARE(folded, 6);
        QCOMPARE(Candles(store), (QList<Candle>{{first, 0.92, 0.93, 0.91, 0.925, 4}}));
        QCOMPARE(store.ReadingCount(), 2);
        QCOMPARE(store.CandleCount(), 1);
        QCOMPARE(store.FoldSome(Now.toMSecsSinceEpoch()), 0);

        // A reading that comes late into a folded slice merges with its candle.
        QVERIFY(store.Append({Good(first + 30000, 0.9150), Good(first + 40000, 0.9000)}));
        QCOMPARE(store.FoldSome(Now.toMSecsSinceEpoch()), 2);
        QCOMPARE(Candles(store), (QList<Candle>{{first, 0.92, 0.93, 0.90, 0.90, 6}}));
        // No statement left holding a read: the log folds back into the file, all of it.
        QCOMPARE(store.FoldSome(Now.toMSecsSinceEpoch()), 0);
        QSqlQuery checkpoint("PRAGMA wal_checkpoint(TRUNCATE)", store.Database());
        QVERIFY(checkpoint.next());
        QCOMPARE(checkpoint.value(0).toInt(), 0);
        QCOMPARE(QFileInfo(dir.filePath("h.sqlite-wal")).size(), 0);
    }

    // A write or a fold that fails leaves the file as it was and says why; the next works.
    void failuresChangeNothing_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("undo");
        QTest::newRow("read only") << "PRAGMA query_only=1"
                                   << "PRAGMA query_only=0";
        QTest::newRow("no candles") << "ALTER TABLE candles RENAME TO c"
                                    << "ALTER TABLE c RENAME TO candles";
        QTest::newRow("no readings") << "ALTER TABLE readings RENAME TO r"
                                     << "ALTER TABLE r RENAME TO readings";
    }
    void failuresChangeNothing() {
        QFETCH(QString, statement);
        QFETCH(QString, undo);
        QTemporaryDir dir;
        ReadingStore store(dir.filePath("h.sqlite"), "fail");
        QVERIFY(store.Open(Now));
        const qint64 old = FoldCutoff(Now.toMSecsSinceEpoch()) - Slice;
        QVERIFY(store.Append({Good(old, 0.9), Good(old + 1, 0.91)}));
        QSqlQuery query(store.Database());
        QVERIFY(query.exec(statement));
        QCOMPARE(store.FoldSome(Now.toMSecsSinceEpoch()), -1);
        QVERIFY2(store.Error().startsWith("cannot fold"), qPrintable(store.Error()));
        QCOMPARE(store.Append({Good(old + 2, 0.92)}), statement.contains("candles"));
        QVERIFY(query.exec(undo));
        QVERIFY(store.Append({Good(old + 3, 0.93)}));
        QCOMPARE(store.CandleCount(), 0);
        const int kept = store.ReadingCount();
        QCOMPARE(store.FoldSome(Now.toMSecsSinceEpoch()), kept);
        QCOMPARE(store.CandleCount(), 1);
    }

    // A file the store cannot use is moved aside, never deleted, its -wal and -shm with it: a
    // damaged file, one of another layout, and a -wal and -shm left without their file (SQLite
    // could replay the old log into a new file). A history of its own from before the layout's
    // version was kept stays.
    void damagedFileMovedAside_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("moved");
        QTest::newRow("not SQLite") << "text" << true;
        QTest::newRow("cut off") << "cut" << true;
        QTest::newRow("fails the quick check") << "scribbled" << true;
        QTest::newRow("readings of two columns") << "CREATE TABLE readings(t, rate)" << true;
        QTest::newRow("readings of another kind") << "CREATE TABLE readings(x)" << true;
        QTest::newRow("a table of another program") << "CREATE TABLE notes(x)" << true;
        QTest::newRow("a -wal and -shm without their file") << "gone" << true;
        QTest::newRow("its own, before the version") << "PRAGMA user_version=0" << false;
    }
    void damagedFileMovedAside() {
        QFETCH(QString, damage);
        QFETCH(bool, moved);
        QTemporaryDir dir;
        const QString path = dir.filePath("history.sqlite");
        {
            ReadingStore store(path, "damage");
            QVERIFY(store.Open(Now));
            QList<StoredReading> many;
            for (int i = 0; i < 3000; ++i)
                many.append(Good(i * 5000, 0.9 + i % 50 * 0.0001));
            QVERIFY(store.Append(many));
            QSqlQuery query(store.Database());
            if (damage.startsWith("CREATE TABLE readings"))
                QVERIFY(query.exec("DROP TABLE readings"));
            if (damage.contains(' ')) {
                QVERIFY(query.exec(damage));
                QVERIFY(query.exec("PRAGMA user_version=0"));
            }
            QVERIFY(query.exec("PRAGMA wal_checkpoint(TRUNCATE)"));
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        if (damage == u"text") {
            file.resize(0);
            file.write("time,rate\n12:00,0.9230\n");
        } else if (damage == u"cut") {
            file.resize(file.size() / 2);
        } else if (damage == u"scribbled") {
            file.seek(file.size() / 2);
            file.write(QByteArray(3000, '\x5a'));
        }
        file.close();
        const QByteArray damaged = [&] {
            file.open(QIODevice::ReadOnly);
            return file.readAll();
        }();
        file.close();
        if (damage == u"gone")
            QVERIFY(file.remove());
        // Beside a damaged file, a log of its own; a file SQLite can read keeps its logs in order.
        const bool logs = !damage.contains(' ');
        if (logs) {
            for (const char* suffix : {"-wal", "-shm"}) {
                QFile side(path + suffix);
                QVERIFY(side.open(QIODevice::WriteOnly));
                side.write(suffix);
            }
        }
        // That name is taken already: the next one is used.
        const QString taken = path + ".damaged-20260615-140700";
        QVERIFY(QFile(taken).open(QIODevice::WriteOnly));

        ReadingStore store(path, "damage");
        QVERIFY2(store.Open(Now.toTimeZone(QTimeZone("Europe/Amsterdam"))),
                 qPrintable(store.Error()));
        QCOMPARE(store.MovedAside(), moved ? taken + "-2" : QString());
        QFile aside(taken + "-2");
        QCOMPARE(aside.open(QIODevice::ReadOnly), moved && damage != u"gone");
        if (aside.isOpen())
            QCOMPARE(aside.readAll(), damaged);
        QFile wal(taken + "-2-wal");
        QCOMPARE(wal.open(QIODevice::ReadOnly), logs);
        if (logs)
            QCOMPARE(wal.readAll(), QByteArray("-wal"));
        QCOMPARE(QFileInfo::exists(taken + "-2-shm"), logs);
        QVERIFY(store.Append({Good(-1, 0.92)}));
        QCOMPARE(store.ReadingCount(), moved ? 1 : 3001);
    }

    // Folding deletes raw readings for good: a clock set 40 days ahead for a while folds
    // nothing; a machine that was off for 40 days, its clock right, folds once its clock has
    // kept in step for an hour.
    void foldWaitsForASteadyClock() {
        QTemporaryDir dir;
        const QString path = dir.filePath("h.sqlite");
        constexpr qint64 Day = 24 * 3600 * 1000;
        qint64 wall = Now.toMSecsSinceEpoch();
        qint64 ticks = 0;
        const auto clock = [&] { return QDateTime::fromMSecsSinceEpoch(wall); };
        const auto counts = [&] {
            ReadingStore store(path, "counts");
            return store.Open(Now) ? std::pair{store.ReadingCount(), store.CandleCount()}
                                   : std::pair{qint64(-1), qint64(-1)};
        };
        {
            HistoryWorker worker(path, clock, [&] { return ticks; });
            worker.Open();
            wall += HistoryWorker::SettleMs;
            ticks += HistoryWorker::SettleMs;
            worker.Keep(Good(wall - 7 * Day, 0.91));
            worker.Keep(Good(wall, 0.92));
            wall += 40 * Day;
            ticks += 11000;
            worker.Keep(Good(wall, 0.93));
            QCoreApplication::processEvents();
        }
        QCOMPARE(counts(), std::pair(qint64(3), qint64(0)));
        wall -= HistoryWorker::SettleMs;
        ticks = 0;
        HistoryWorker worker(path, clock, [&] { return ticks; });
        worker.Open();
        worker.Keep(Good(wall, 0.94));
        QCOMPARE(counts(), std::pair(qint64(4), qint64(0)));
        wall += HistoryWorker::SettleMs;
        ticks += HistoryWorker::SettleMs;
        worker.Keep(Good(wall, 0.95));
        QTRY_COMPARE(counts(), std::pair(qint64(3), qint64(2)));
    }

    // A folder that cannot hold the file: readings wait in memory, with one line when writing
    // pauses and one when it resumes.
    void unwritableFolderPausesWriting() {
        QTemporaryDir dir;
        const QString folder = dir.filePath("qzRate");
        QVERIFY(QFile(folder).open(QIODevice::WriteOnly));
        HistoryLogLines log;
        HistoryWorker worker(folder + "/history.sqlite", [this] { return Now; });
        const qint64 now = Now.toMSecsSinceEpoch();
        worker.Open();
        worker.Keep(Good(now, 0.91));
        worker.Keep(Failed(now + 1));
        QCOMPARE(log.Lines().size(), 1);
        QVERIFY(log.Lines().first().startsWith("history writing paused: cannot open"));
        QVERIFY(QFile::remove(folder));
        QVERIFY(QDir().mkpath(folder));
        worker.Keep(Good(now + 2, 0.93));
        QCOMPARE(log.Lines().size(), 2);
        QCOMPARE(log.Lines().last(), "history writing resumed: 3 readings written");
        ReadingStore store(folder + "/history.sqlite", "check");
        QVERIFY(store.Open(Now));
        QCOMPARE(store.ReadingCount(), 3);
    }

    // A full disk: no write may extend a file.
    void fullDiskPausesWriting() {
        QTemporaryDir dir;
        const QString path = dir.filePath("history.sqlite");
        HistoryLogLines log;
        HistoryWorker worker(path, [this] { return Now; });
        const qint64 now = Now.toMSecsSinceEpoch();
        worker.Keep(Good(now, 0.91));
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit full{};
        getrlimit(RLIMIT_FSIZE, &full);
        const rlimit before = full;
        full.rlim_cur = std::max(QFileInfo(path).size(), QFileInfo(path + "-wal").size());
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &full), 0);
        for (int i = 2; i <= 40; ++i)
            worker.Keep(Good(now + i, 0.92));
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &before), 0);
        QCOMPARE(log.Lines().size(), 1);
        QVERIFY(log.Lines().first().startsWith("history writing paused"));
        worker.Keep(Good(now + 41, 0.93));
        QCOMPARE(log.Lines().last(), "history writing resumed: 40 readings written");
        ReadingStore store(path, "check");
        QVERIFY(store.Open(Now));
        QCOMPARE(store.ReadingCount(), 41);
    }

    // What a history lacks of the bank's reference rates, days counted back from today.
    void backfillPlan_data() {
        QTest::addColumn<int>("oldest"); // -1: no day held
        QTest::addColumn<int>("newest");
        QTest::addColumn<int>("done"); // the whole history fetched; -1: never
        QTest::addColumn<int>("tried");
        QTest::addColumn<QList<ReferenceFile>>("plan");
        const auto days90 = ReferenceFile::Days90;
        const auto full = ReferenceFile::Full;
        QTest::newRow("nothing held") << -1 << -1 << -1 << -1 << QList{days90, full};
        QTest::newRow("90 days, the newest 4 old") << 89 << 4 << -1 << -1 << QList{full};
        QTest::newRow("the newest 5 days old") << 400 << 5 << -1 << -1 << QList{days90};
        QTest::newRow("a day before the last 90") << 91 << 0 << -1 << -1 << QList<ReferenceFile>{};
        QTest::newRow("fetched once") << 60 << 0 << 30 << 30 << QList<ReferenceFile>{};
        QTest::newRow("tried today") << 60 << 0 << -1 << 0 << QList<ReferenceFile>{};
        QTest::newRow("tried yesterday") << 60 << 0 << -1 << 1 << QList{full};
    }
    void backfillPlan() {
        QFETCH(int, oldest);
        QFETCH(int, newest);
        QFETCH(int, done);
        QFETCH(int, tried);
        const QDate today(2026, 3, 10);
        ReferenceState state{oldest < 0 ? QDate() : today.addDays(-oldest),
                             newest < 0 ? QDate() : today.addDays(-newest),
                             {}};
        if (tried >= 0)
            state.Marks = BackfillMarks(ReferenceFile::Full, done >= 0, today.addDays(-tried));
        QTEST(BackfillPlan(state, today), "plan");
    }

    // A first start fills the history from the bank's files on a thread of its own; a history
    // that cannot be written asks for nothing.
    void backfillFillsTheHistory() {
        const QDate today(2026, 3, 10);
        const auto clock = [today] { return QDateTime(today, QTime(12, 0)); };
        ReferenceServer bank([today] { return today; });
        QVERIFY(bank.Listen());
        QTemporaryDir dir;
        QVERIFY(QFile(dir.filePath("file")).open(QIODevice::WriteOnly));
        HistoryWorker unwritable(dir.filePath("file/h.sqlite"), clock);
        QSignalSpy read(&unwritable, &HistoryWorker::ReferenceRead);
        unwritable.ReadReference();
        QVERIFY(read.isEmpty());
        // Read only: a second writer would race the worker to make the new file.
        const auto held = [&] {
            ReadingStore store(dir.filePath("h.sqlite"), "held");
            return store.OpenForReading() ? ReadReferenceState(store.Database()) : ReferenceState{};
        };
        HistoryService history(dir.filePath("h.sqlite"), clock);
        history.Backfill(bank.FolderUrl());
        QTRY_COMPARE_WITH_TIMEOUT(held().Marks.size(), 2, 20000);
        QCOMPARE(held().Oldest, QDate(1999, 1, 4));
        QCOMPARE(held().Newest, today);
    }

    void memoryKeepsTheNewest() {
        PendingReadings pending(3);
        QVERIFY(!pending.Add(Good(1, 0.91)));
        QVERIFY(!pending.Add(Good(2, 0.92)));
        QVERIFY(!pending.Add(Good(3, 0.93)));
        QVERIFY(pending.Add(Good(4, 0.94)));
        QVERIFY(!pending.Add(Good(5, 0.95)));
        QCOMPARE(pending.Readings(),
                 (QList<StoredReading>{Good(3, 0.93), Good(4, 0.94), Good(5, 0.95)}));
        pending.Clear();
        QVERIFY(pending.Readings().isEmpty());
        for (int i = 0; i < 3; ++i)
            pending.Add(Good(i, 0.9));
        QVERIFY(pending.Add(Good(9, 0.9)));
    }
};

QTEST_GUILESS_MAIN(TestReadingStore)
#include "tst_readingstore.moc"
