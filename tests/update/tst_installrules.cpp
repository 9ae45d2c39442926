#include "update/installrules.h"

#include <QTest>

class TestInstallRules : public QObject {
    Q_OBJECT

private slots:
    void displayName_data();
    void displayName();
    void deletableInProgramFolder_data();
    void deletableInProgramFolder();
    void systemFolder_data();
    void systemFolder();
    void limits();
};

void TestInstallRules::displayName_data() {
    QTest::addColumn<QString>("installer");
    QTest::addColumn<QString>("shown");
    QTest::newRow("qz name") << "qzrate103.exe"
                             << "qzRate";
    QTest::newRow("qz name already upper") << "qzRate103.run"
                                           << "qzRate";
    QTest::newRow("other name") << "setup_103.exe"
                                << "Setup_";
    QTest::newRow("no point") << "qzRate103"
                              << "";
    QTest::newRow("only qz") << "qz1.exe"
                             << "qz";
    QTest::newRow("qz and z") << "qzz1.exe"
                              << "qzZ";
    QTest::newRow("long qz name cut") << "qz" + QString(300, u'a') + ".exe"
                                      << "qzA" + QString(252, u'a');
    QTest::newRow("digits only") << "103.exe"
                                 << "";
    QTest::newRow("capital QZ is not qz") << "QZrate.exe"
                                          << "QZrate";
    QTest::newRow("non-ASCII first letter kept") << "\u00e9t\u00e91.exe"
                                                 << "\u00e9t\u00e9";
}

void TestInstallRules::displayName() {
    QFETCH(QString, installer);
    QFETCH(QString, shown);
    QCOMPARE(InstallerDisplayName(installer), shown);
}

void TestInstallRules::deletableInProgramFolder_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("deletable");
    QTest::newRow("old installer") << "qzRate1.02.exe" << true;
    QTest::newRow("offered installer, other case") << "QZRATE103.exe" << true;
    QTest::newRow("the running program") << "qzrate" << false;
    QTest::newRow("the scheduler") << "qzRate_Sched" << false;
    QTest::newRow("another program") << "python3.11" << false;
    QTest::newRow("name ending in ours") << "OldqzRate500.exe" << false;
}

void TestInstallRules::deletableInProgramFolder() {
    QFETCH(QString, file);
    QFETCH(bool, deletable);
    QCOMPARE(MayDeleteInProgramFolder(file, "qzRate", "qzrate"), deletable);
}

void TestInstallRules::systemFolder_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("system");
    QTest::newRow("/usr/bin") << "/usr/bin/" << true;
    QTest::newRow("/usr/local/bin") << "/usr/local/bin/" << true;
    QTest::newRow("/bin") << "/bin/" << true;
    QTest::newRow("flatpak") << "/app/bin/" << true;
    QTest::newRow("home") << "/home/ann/qzRate/" << false;
    QTest::newRow("user folder named usr") << "/home/ann/usr/bin/" << false;
    QTest::newRow("/opt") << "/opt/qzRate/" << false;
}

void TestInstallRules::systemFolder() {
    QFETCH(QString, folder);
    QFETCH(bool, system);
    QCOMPARE(IsSystemFolder(folder), system);
}

void TestInstallRules::limits() {
    QCOMPARE(OldInstallerName("qzRate", "versie 1.02"), QString("qzRate1.02.exe"));
    QCOMPARE(DownloadLimitBytes(1400), qint64(2800) * 1024);
    QCOMPARE(DownloadLimitBytes(1), qint64(2048));
    QCOMPARE(DownloadLimitBytes(0), qint64(512) * 1024 * 1024);
    QCOMPARE(PieceKB(2048), 2);
    QCOMPARE(PieceKB(2047), 1);
    QCOMPARE(PieceKB(1023), 0);
}

QTEST_APPLESS_MAIN(TestInstallRules)
#include "tst_installrules.moc"
