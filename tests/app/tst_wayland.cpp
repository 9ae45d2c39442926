#include "server/ratefeed.h"
#include "server/ratepageserver.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// The built program on a real Wayland compositor (a headless Weston), where a program cannot
// learn where its window is.
class TestWayland : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void readingsComeAndStoredPositionSurvives();

private:
    QTemporaryDir Runtime;
    QString Socket;
    QProcess Weston;
};

void TestWayland::initTestCase() {
    QVERIFY(Runtime.isValid());
    QVERIFY(QFile::setPermissions(Runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ExeOwner));
    Socket = QStringLiteral("qzrate-test-%1").arg(QCoreApplication::applicationPid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", Runtime.path());
    Weston.setProcessEnvironment(env);
    Weston.setProcessChannelMode(QProcess::MergedChannels);
    Weston.start("weston", {"--backend=headless-backend.so", "--socket=" + Socket, "--width=1280",
                            "--height=800", "--idle-time=0"});
    QVERIFY2(Weston.waitForStarted(10000), "weston did not start");
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(Runtime.filePath(Socket)), 20000);
}

void TestWayland::cleanupTestCase() {
    Weston.terminate();
    Weston.waitForFinished(10000);
}

void TestWayland::readingsComeAndStoredPositionSurvives() {
    RateFeed feed;
    RatePageServer iex(RatePageServer::Kind::IEX, feed);
    RatePageServer d2e(RatePageServer::Kind::D2E, feed);
    QVERIFY(iex.Listen());
    QVERIFY(d2e.Listen());

    QTemporaryDir home;
    const QString iniPath = home.filePath("config/qzRate/qzRate.ini");
    {
        QSettings ini(iniPath, QSettings::IniFormat);
        ini.setValue("Defaults/MainTop", "123");
        ini.setValue("Defaults/MainLeft", "456");
        ini.setValue("Defaults/Aantal seconden", "5");
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "wayland");
    env.insert("WAYLAND_DISPLAY", Socket);
    env.insert("XDG_RUNTIME_DIR", Runtime.path());
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    env.insert("QZRATE_IEX_URL", iex.Url().toString());
    env.insert("QZRATE_D2E_URL", d2e.Url().toString());
    env.insert("QZRATE_PUBLISHER_URL", "http://127.0.0.1:9/");
    env.remove("DISPLAY");
    QProcess program;
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(QStringLiteral(QZRATE_PROGRAM), {});
    QVERIFY(program.waitForStarted());

    // Two readings with a rate: the first after a second, the next after the interval.
    const QRegularExpression reading("reading \\w+: rate=0[,.]\\d{4}");
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT(
        (output += program.readAll(), QString::fromUtf8(output).count(reading) >= 2), 30000);
    QCOMPARE(program.state(), QProcess::Running);

    QCOMPARE(::kill(program.processId(), SIGTERM), 0);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    // The compositor placed the window; where the user had it stays stored.
    QSettings ini(iniPath, QSettings::IniFormat);
    QCOMPARE(ini.value("Defaults/MainTop").toString(), QStringLiteral("123"));
    QCOMPARE(ini.value("Defaults/MainLeft").toString(), QStringLiteral("456"));
    QCOMPARE(ini.value("Defaults/Aantal seconden").toString(), QStringLiteral("5"));
}

QTEST_GUILESS_MAIN(TestWayland)
#include "tst_wayland.moc"
