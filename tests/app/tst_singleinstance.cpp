#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// The built program started twice, as a user double-clicking its menu entry would.
class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void secondStartBringsTheRunningWindowForward();
    void otherSettingsFolderRunsOnItsOwn();
    void startWithoutAnAnswerRunsOnItsOwn();

private:
    // A program with its settings in config/ below the folder; true once its window painted.
    bool StartPainted(QProcess& program, const QTemporaryDir& home);
    void Start(QProcess& program, const QTemporaryDir& home);

    std::unique_ptr<QTemporaryDir> Home;
    QProcess First;
    QByteArray FirstOutput;
};

void TestSingleInstance::Start(QProcess& program, const QTemporaryDir& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    // Nothing listens there: the program must not reach the outside.
    env.insert("QZRATE_IEX_URL", "http://127.0.0.1:9/");
    env.insert("QZRATE_D2E_URL", "http://127.0.0.1:9/");
    env.insert("QZRATE_PUBLISHER_URL", "http://127.0.0.1:9/");
    env.insert("QT_LOGGING_RULES", "qzrate.app.info=true");
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(QStringLiteral(QZRATE_PROGRAM), {});
}

bool TestSingleInstance::StartPainted(QProcess& program, const QTemporaryDir& home) {
    Start(program, home);
    QByteArray output;
    QElapsedTimer waited;
    waited.start();
    while (!(output += program.readAll()).contains("first paint after")) {
        if (waited.hasExpired(20000) || !program.waitForReadyRead(20000))
            return false;
    }
    return true;
}

void TestSingleInstance::init() {
    FirstOutput.clear();
    Home = std::make_unique<QTemporaryDir>();
    QVERIFY(Home->isValid());
    QVERIFY(StartPainted(First, *Home));
}

void TestSingleInstance::cleanup() {
    if (First.state() == QProcess::Running) {
        ::kill(First.processId(), SIGCONT);
        First.terminate();
        QVERIFY(First.waitForFinished(10000));
    }
}

void TestSingleInstance::secondStartBringsTheRunningWindowForward() {
    QProcess second;
    Start(second, *Home);
    QVERIFY(second.waitForStarted());
    QElapsedTimer took;
    took.start();
    QVERIFY(second.waitForFinished(10000));
    QVERIFY2(took.elapsed() < 1000, QByteArray::number(took.elapsed()));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(!second.readAll().contains("first paint after"));

    // The first heard the request and goes on.
    QTRY_VERIFY_WITH_TIMEOUT(
        (FirstOutput += First.readAll()).contains("a second start asked for the window"), 10000);
    QCOMPARE(First.state(), QProcess::Running);
}

void TestSingleInstance::otherSettingsFolderRunsOnItsOwn() {
    QTemporaryDir otherHome;
    QProcess other;
    QVERIFY(StartPainted(other, otherHome));
    other.terminate();
    QVERIFY(other.waitForFinished(10000));
    QVERIFY(!(FirstOutput += First.readAll()).contains("a second start asked for the window"));
}

void TestSingleInstance::startWithoutAnAnswerRunsOnItsOwn() {
    // A first program that hangs: it holds the lock but cannot answer.
    QCOMPARE(::kill(First.processId(), SIGSTOP), 0);
    QProcess second;
    QElapsedTimer took;
    took.start();
    QVERIFY(StartPainted(second, *Home));
    QVERIFY2(took.elapsed() >= 1000, QByteArray::number(took.elapsed()));
    second.terminate();
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
