#include "history/readingstore.h"
#include "server/ratefeed.h"
#include "server/ratepageserver.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

// The built program keeps its readings from the demo pages, exports them beside itself, opens
// its chart for a second start; and a history survives being killed at any moment.
class TestHistoryProgram : public QObject {
    Q_OBJECT

    static bool Mapped(qint64 pid, const char* library) {
        QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
        return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(library);
    }

private slots:
    void readingsKeptExportedAndCharted() {
        RateFeed feed(QList<double>{0.9230, 0.9241});
        RatePageServer iex(RatePageServer::Kind::IEX, feed);
        RatePageServer d2e(RatePageServer::Kind::D2E, feed);
        QVERIFY(iex.Listen() && d2e.Listen());
        QTemporaryDir home;
        QSettings ini(home.filePath("config/qzRate/qzRate.ini"), QSettings::IniFormat);
        ini.setValue("Defaults/Aantal seconden", "5");
        ini.setValue("Defaults/DownloadTimer Aan", "1");
        ini.sync();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_DATA_HOME", home.filePath("data"));
        env.insert("XDG_RUNTIME_DIR", home.path());
        env.insert("QZRATE_IEX_URL", iex.Url().toString());
        env.insert("QZRATE_D2E_URL", d2e.Url().toString());
        env.insert("QZRATE_PUBLISHER_URL", "http://127.0.0.1:9/");
        env.insert("QT_LOGGING_RULES", "qzrate.*.info=true");
        QProcess program;
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(QZRATE_PROGRAM, {});
        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT(
            (output += program.readAll()).count("qzrate.sources: reading") >= 2, 30000);
        QVERIFY(!Mapped(program.processId(), "libQt6Charts"));

        QProcess other;
        other.setProcessEnvironment(env);
        const QString csv = home.filePath("out.csv");
        other.start(QZRATE_PROGRAM, {"--export-history", csv});
        QVERIFY(other.waitForFinished(20000));
        QCOMPARE(other.exitCode(), 0);
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> rows = file.readAll().split('\n');
        QVERIFY2(rows.size() >= 3, rows.join('|'));
        for (const QByteArray& row : rows.mid(1, rows.size() - 2))
            QVERIFY2(QRegularExpression("^[-0-9T:.+]+,(IEX|D2E),(0.923|0.9241),,,,\r$")
                         .match(QString::fromLatin1(row))
                         .hasMatch(),
                     row);

        other.start(QZRATE_PROGRAM, {"--chart"});
        QVERIFY(other.waitForFinished(20000));
        QCOMPARE(other.exitCode(), 0);
        QTRY_VERIFY((output += program.readAll()).contains("a second start asked for the chart"));
        QTRY_VERIFY_WITH_TIMEOUT(Mapped(program.processId(), "libQt6Charts"), 20000);
        program.terminate();
        QVERIFY(program.waitForFinished(10000));
    }

    // Readings kept while the file cannot be written wait, and are written once it can: the
    // read-only connection SQLite gave is not kept, nor the -shm it left read-only. Mode bits
    // bind no root: as root, the writer runs as nobody.
    void aReadOnlyFileResumes() {
        QTemporaryDir dir;
        const QString path = dir.filePath("history.sqlite");
        QStringList command{QZRATE_WRITER, "--read-only", path};
        if (geteuid() == 0) {
            QCOMPARE(::chown(QFile::encodeName(dir.path()).constData(), 65534, 65534), 0);
            command = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups"} + command;
            command.prepend("setpriv");
        }
        QProcess writer;
        writer.setProcessChannelMode(QProcess::ForwardedChannels);
        writer.start(command.takeFirst(), command);
        QVERIFY(writer.waitForFinished(20000));
        QCOMPARE(writer.exitCode(), 0);
        ReadingStore store(path, "read-only");
        QVERIFY(store.Open(QDateTime(QDate(2026, 3, 10), QTime(12, 0))));
        QCOMPARE(store.ReadingCount(), 3);
        QCOMPARE(QDir(dir.path()).entryList({"*damaged*"}), QStringList());
    }

    // Killed at any moment, the writer loses the reading it was handing over at most, and the
    // file opens clean afterwards.
    void killStorm() {
        QTemporaryDir dir;
        const QString path = dir.filePath("history.sqlite");
        const int kills = qEnvironmentVariableIntValue("QZRATE_KILLS");
        qint64 kept = 0;
        const QDateTime start(QDate(2026, 3, 10), QTime(12, 0));
        const qint64 base = start.toMSecsSinceEpoch();
        for (int round = 0; round < (kills > 0 ? kills : 12); ++round) {
            QProcess writer;
            writer.start(QZRATE_WRITER, {path, QString::number(kept), QString::number(base)});
            QVERIFY(writer.waitForReadyRead(20000));
            QTest::qWait(QRandomGenerator::global()->bounded(10, 150));
            ::kill(writer.processId(), SIGKILL);
            QVERIFY(writer.waitForFinished(10000));
            const QList<QByteArray> handed = writer.readAllStandardOutput().trimmed().split('\n');
            const qint64 last = handed.last().toLongLong();

            ReadingStore store(path, "storm");
            QVERIFY(store.Open(start));
            QVERIFY(store.MovedAside().isEmpty());
            QSqlQuery query("SELECT count(*), count(DISTINCT t), min(t), max(t) FROM readings",
                            store.Database());
            QVERIFY(query.next());
            kept = query.value(0).toLongLong();
            QVERIFY2(kept == last || kept == last + 1,
                     qPrintable(QString("%1 kept, %2 handed over").arg(kept).arg(last + 1)));
            QCOMPARE(query.value(1).toLongLong(), kept);
            if (kept > 0) {
                QCOMPARE(query.value(2).toLongLong(), base);
                QCOMPARE(query.value(3).toLongLong(), base + kept - 1);
            }
        }
        qInfo() << kept << "readings kept through the storm";
    }
};

QTEST_GUILESS_MAIN(TestHistoryProgram)
#include "tst_historyprogram.moc"
