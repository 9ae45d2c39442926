#include "update/processes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <limits>

#include <memory>

// Real processes: copies of sleep started from temporary folders.
class TestProcesses : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void terminateAll_data();
    void terminateAll();
    void replacedExecutableStillMatches();
    void survivorBoundsTheSearches();
    void theEventLoopRunsWhileProcessesEnd();

private:
    QString CopySleep(const QString& path);
    std::unique_ptr<QProcess> Run(const QString& path);

    QTemporaryDir dir;
};

void TestProcesses::initTestCase() {
    QVERIFY(dir.isValid());
}

QString TestProcesses::CopySleep(const QString& relative) {
    const QString path = dir.filePath(relative);
    QDir().mkpath(QFileInfo(path).path());
    if (!QFile::exists(path))
        QFile::copy(QStringLiteral("/bin/sleep"), path);
    return path;
}

std::unique_ptr<QProcess> TestProcesses::Run(const QString& path) {
    auto process = std::make_unique<QProcess>();
    process->start(path, {QStringLiteral("60")});
    process->waitForStarted();
    return process;
}

void TestProcesses::terminateAll_data() {
    QTest::addColumn<QStringList>("running");
    QTest::addColumn<QString>("wanted");
    QTest::addColumn<QList<bool>>("stopped");
    QTest::addColumn<int>("searches");
    QTest::newRow("two copies") << QStringList{"a/qzRate_Sched", "a/qzRate_Sched"}
                                << "a/qzRate_Sched" << QList<bool>{true, true} << 3;
    QTest::newRow("same name in another folder")
        << QStringList{"a/qzRate_Sched", "b/qzRate_Sched"} << "a/qzRate_Sched"
        << QList<bool>{true, false} << 2;
    QTest::newRow("other letter case")
        << QStringList{"c/qzrate_sched"} << "c/qzRate_Sched" << QList<bool>{false} << 1;
    QTest::newRow("longer name") << QStringList{"d/qzRate_Sched2"} << "d/qzRate_Sched"
                                 << QList<bool>{false} << 1;
    QTest::newRow("name ending in (deleted)")
        << QStringList{"h/qzRate_Sched (deleted)"} << "h/qzRate_Sched" << QList<bool>{false} << 1;
    QTest::newRow("none running") << QStringList{} << "e/qzRate_Sched" << QList<bool>{} << 1;
}

void TestProcesses::terminateAll() {
    QFETCH(QStringList, running);
    QFETCH(QString, wanted);
    QFETCH(QList<bool>, stopped);
    QFETCH(int, searches);

    std::vector<std::unique_ptr<QProcess>> processes;
    for (const QString& path : running)
        processes.push_back(Run(CopySleep(path)));
    const QString wantedPath = dir.filePath(wanted);

    const TerminationReport report = TerminateAll(wantedPath);
    QCOMPARE(report.searches, searches);
    QCOMPARE(report.terminated, searches - 1);
    for (size_t i = 0; i < processes.size(); ++i) {
        // The end may have been seen already while the events were served.
        QCOMPARE(processes[i]->state() == QProcess::NotRunning ||
                     processes[i]->waitForFinished(stopped[i] ? 5000 : 200),
                 stopped[i]);
        processes[i]->kill();
        processes[i]->waitForFinished();
    }
    QCOMPARE(FindProcess(wantedPath), pid_t(0));
}

void TestProcesses::replacedExecutableStillMatches() {
    const QString path = CopySleep(QStringLiteral("f/qzRate_Sched"));
    const auto process = Run(path);
    QVERIFY(QFile::remove(path));
    QCOMPARE(FindProcess(path), pid_t(process->processId()));
    // A new file in its place does not hide the old process.
    CopySleep(QStringLiteral("f/qzRate_Sched"));
    QCOMPARE(TerminateAll(path).terminated, 1);
    QTRY_COMPARE(process->state(), QProcess::NotRunning);
}

void TestProcesses::survivorBoundsTheSearches() {
    // A process that survives its kill is found again at every search; the bound ends that.
    const QString path = CopySleep(QStringLiteral("g/qzRate_Sched"));
    const auto first = Run(path);
    const auto second = Run(path);
    const TerminationReport report = TerminateAll(path, 1);
    QCOMPARE(report.searches, 1);
    QCOMPARE(report.terminated, 1);
    QVERIFY(FindProcess(path) != 0);
    QCOMPARE(TerminateAll(path).terminated, 1);
}

// The thread's events go on while processes end: no pause of 16 ms or more, at the best of three
// tries on a busy machine. Each end is seen as it comes, not after the longest wait for one.
void TestProcesses::theEventLoopRunsWhileProcessesEnd() {
    const QString path = CopySleep(QStringLiteral("k/qzRate_Sched"));
    qint64 best = std::numeric_limits<qint64>::max();
    qint64 quickest = best;
    for (int attempt = 0; attempt < 3 && (best >= 16 || quickest >= 500); ++attempt) {
        std::vector<std::unique_ptr<QProcess>> copies;
        for (int i = 0; i < 5; ++i)
            copies.push_back(Run(path));
        qint64 longest = 0;
        QElapsedTimer sinceTick;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        connect(&ticker, &QTimer::timeout,
                [&] { longest = std::max(longest, sinceTick.restart()); });
        ticker.start(1);
        sinceTick.start();
        QElapsedTimer took;
        took.start();
        QCOMPARE(TerminateAll(path).terminated, 5);
        quickest = std::min(quickest, took.elapsed());
        best = std::min(best, std::max(longest, sinceTick.elapsed()));
    }
    QVERIFY2(best < 16, qPrintable(QString::number(best)));
    QVERIFY2(quickest < 500, qPrintable(QString::number(quickest)));
}

QTEST_GUILESS_MAIN(TestProcesses)
#include "tst_processes.moc"
