#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// The built program, started as the user would start it, ended by a signal.
class TestProgramEnd : public QObject {
    Q_OBJECT

private slots:
    void signalEndsLikeClosingTheWindow_data();
    void signalEndsLikeClosingTheWindow();
};

void TestProgramEnd::signalEndsLikeClosingTheWindow_data() {
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<bool>("repeated"); // the signal again and again while the program ends
    QTest::newRow("SIGTERM") << int(SIGTERM) << false;
    QTest::newRow("SIGINT") << int(SIGINT) << false;
    QTest::newRow("SIGTERM during the end") << int(SIGTERM) << true;
}

void TestProgramEnd::signalEndsLikeClosingTheWindow() {
    QFETCH(int, signalNumber);
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString iniPath = home.filePath("config/qzRate/qzRate.ini");
    {
        QSettings ini(iniPath, QSettings::IniFormat);
        ini.setValue("Defaults/MainTop", "-50");
        ini.setValue("Defaults/MainLeft", "5000");
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen"); // an 800 x 600 screen
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    // Nothing listens there: the program must not reach the outside.
    env.insert("QZRATE_IEX_URL", "http://127.0.0.1:9/");
    env.insert("QZRATE_D2E_URL", "http://127.0.0.1:9/");
    env.insert("QZRATE_PUBLISHER_URL", "http://127.0.0.1:9/");
    env.insert("QT_LOGGING_RULES", "qzrate.app.info=true");

    QProcess program;
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(QStringLiteral(QZRATE_PROGRAM), {});
    QVERIFY(program.waitForStarted());

    // Up once the main window has painted itself.
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += program.readAll()).contains("first paint after"), 20000);
    QCOMPARE(::kill(program.processId(), signalNumber), 0);
    QFETCH(bool, repeated);
    QElapsedTimer ending;
    ending.start();
    while (repeated && !program.waitForFinished(1) && ending.elapsed() < 10000)
        ::kill(program.processId(), signalNumber);
    QVERIFY(program.state() == QProcess::NotRunning || program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    // Stored as the window was placed at its first showing: kept on the 800 x 600 screen.
    QSettings ini(iniPath, QSettings::IniFormat);
    QCOMPARE(ini.value("Defaults/MainTop").toString(), QStringLiteral("10"));
    QCOMPARE(ini.value("Defaults/MainLeft").toString(), QString::number(800 - 340));
    // The settings dialog stored its values on the way out as well.
    QCOMPARE(ini.value("Defaults/Aantal seconden").toString(), QStringLiteral("30"));
}

QTEST_GUILESS_MAIN(TestProgramEnd)
#include "tst_programend.moc"
