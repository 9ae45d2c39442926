#include <QProcess>
#include <QTest>

// The built program's options, read where there is no display at all: the program must end
// before it would need one.
class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void optionsEndTheProgram_data();
    void optionsEndTheProgram();
};

void TestCommandLine::optionsEndTheProgram_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("standardOutput");
    QTest::addColumn<QByteArray>("standardError");

    const QByteArray help = "Usage: qzrate [options]\nKeeps the US dollar rate in euros in view.";
    QTest::newRow("--help") << QStringList{"--help"} << 0 << help << QByteArray();
    QTest::newRow("-h") << QStringList{"-h"} << 0 << help << QByteArray();
    QTest::newRow("--help-all") << QStringList{"--help-all"} << 0 << help << QByteArray();
    QTest::newRow("--version") << QStringList{"--version"} << 0 << QByteArray("qzRate 1.02\n")
                               << QByteArray();
    QTest::newRow("-v") << QStringList{"-v"} << 0 << QByteArray("qzRate 1.02\n") << QByteArray();
    QTest::newRow("unknown long option")
        << QStringList{"--fullscreen"} << 2 << QByteArray() << QByteArray("Unknown option");
    QTest::newRow("unknown option after --help")
        << QStringList{"--help", "-x"} << 2 << QByteArray() << QByteArray("Unknown option 'x'");
    QTest::newRow("argument") << QStringList{"rates.txt"} << 2 << QByteArray()
                              << QByteArray("Unexpected argument 'rates.txt'");
}

void TestCommandLine::optionsEndTheProgram() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, standardOutput);
    QFETCH(QByteArray, standardError);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(QZRATE_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(20000));
    const QByteArray out = program.readAllStandardOutput();
    const QByteArray err = program.readAllStandardError();
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    if (standardOutput.isEmpty())
        QVERIFY2(out.isEmpty(), out.constData());
    else
        QVERIFY2(out.startsWith(standardOutput), out.constData());
    QVERIFY2(err.startsWith(standardError), err.constData());
    // A refused command line shows how to use the program.
    if (exitCode == 2)
        QVERIFY(err.contains("Usage: qzrate [options]"));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
