#include "server/ratepages.h"
#include "server/scriptedhttpserver.h"
#include "testkit/privatepulse.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

// Starts the built program on its own folders, an 800 x 600 screen and the given pages and
// audio server, with the program's log on its output.
void StartProgram(QProcess& program, const QTemporaryDir& home, const QString& iex,
                  const QString& d2e, const QString& pulseServer) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    env.insert("QZRATE_IEX_URL", iex);
    env.insert("QZRATE_D2E_URL", d2e);
    env.insert("QZRATE_PUBLISHER_URL", "http://127.0.0.1:9/");
    if (!pulseServer.isEmpty())
        env.insert("PULSE_SERVER", pulseServer);
    env.insert("QT_LOGGING_RULES", "qzrate.*.info=true");
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(QStringLiteral(QZRATE_PROGRAM), {});
}

} // namespace

// The built program, started as the user would start it, ended by a signal.
class TestProgramEnd : public QObject {
    Q_OBJECT

private slots:
    void signalEndsLikeClosingTheWindow_data();
    void signalEndsLikeClosingTheWindow();
    void signalInTheMiddleOfASweep_data();
    void signalInTheMiddleOfASweep();
    void signalWhileTheStartErrorIsShown();
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
        ini.setValue("Defaults/Aantal minuten", "2");
    }

    // Nothing listens there: the program must not reach the outside.
    QProcess program;
    StartProgram(program, home, "http://127.0.0.1:9/", "http://127.0.0.1:9/", {});
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
    // The settings dialog stored its values on the way out as well, the interval in its new
    // form.
    QCOMPARE(ini.value("Defaults/Aantal seconden").toString(), QStringLiteral("120"));
    QVERIFY(!ini.contains("Defaults/Aantal minuten"));
}

void TestProgramEnd::signalInTheMiddleOfASweep_data() {
    QTest::addColumn<bool>("device");
    QTest::addColumn<bool>("muteBus");
    QTest::newRow("audio device") << true << false;
    QTest::newRow("no audio device") << false << false;
    // A system bus that takes the connection and never answers, as a hung daemon does: libdbus
    // would wait for it for ever. The notification still goes out on the session bus.
    QTest::newRow("system bus mute") << false << true;
}

// A rate above the band of the design levels sounds the alarm; a signal in the middle of a
// series still ends the program cleanly. Without an audio device the alarm is silent and
// says so once.
void TestProgramEnd::signalInTheMiddleOfASweep() {
    QFETCH(bool, device);
    QFETCH(bool, muteBus);
    QTemporaryDir home;
    QVERIFY(home.isValid());
    PrivatePulse pulse(home.path());
    if (device && !pulse.Start())
        QSKIP("pulseaudio cannot start here");
    QLocalServer bus;
    if (muteBus) {
        QVERIFY(bus.listen(home.filePath("system_bus")));
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + bus.fullServerName().toUtf8());
    }
    ScriptedHttpServer iex;
    ScriptedHttpServer d2e;
    QVERIFY(iex.Listen() && d2e.Listen());
    iex.SetDefaultAnswer(ScriptedAnswer{.body = IEXRatePage(1.0834, 0.25)});
    d2e.SetDefaultAnswer(ScriptedAnswer{.body = D2ERatePage(0.9241)});

    QProcess program;
    StartProgram(program, home, iex.Url().toString(), d2e.Url().toString(),
                 device ? pulse.Server() : "unix:" + home.filePath("none"));
    if (muteBus)
        qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    QVERIFY(program.waitForStarted());
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += program.readAll()).contains("alarm above"), 20000);
    // A series lasts 2750 ms: this is well inside the first.
    QTest::qWait(500);
    QCOMPARE(::kill(program.processId(), SIGTERM), 0);
    QVERIFY(program.waitForFinished(10000));
    output += program.readAll();
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(output.count("no audio device"), device ? 0 : 1);
}

// A missing export is reported in a box once the program runs; a signal then still ends it.
void TestProgramEnd::signalWhileTheStartErrorIsShown() {
    QTemporaryDir home;
    QVERIFY(home.isValid());
    {
        QSettings orvane(home.filePath("config/Orvane/Orvane.ini"), QSettings::IniFormat);
        orvane.setValue("Defaults/Path", home.path() + '/');
        orvane.setValue("Defaults/FileName", "absent");
    }
    QProcess program;
    StartProgram(program, home, "http://127.0.0.1:9/", "http://127.0.0.1:9/", {});
    QVERIFY(program.waitForStarted());
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += program.readAll()).contains("Cannot open file"), 20000);
    QCOMPARE(::kill(program.processId(), SIGTERM), 0);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestProgramEnd)
#include "tst_programend.moc"
