#include "update/versioncheck.h"

#include <QTest>

Q_DECLARE_METATYPE(CheckCode)

class TestVersionCheck : public QObject {
    Q_OBJECT

private slots:
    void listResult_data();
    void listResult();
    void checkVersion_data();
    void checkVersion();
    void logLine();
};

namespace {
// Pads a list past the 50 characters below which it is not usable.
QString List(const QString& lines) {
    return lines + QStringLiteral("Other,Other200.exe,a,900,padding to make the list long\r\n");
}
} // namespace

void TestVersionCheck::listResult_data() {
    QTest::addColumn<bool>("sessionOpened");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    const QString fifty(50, u'x');
    QTest::newRow("list") << true << fifty << fifty;
    QTest::newRow("49 characters") << true << QString(49, u'x') << "2";
    QTest::newRow("no text in two attempts") << true << ""
                                             << "1";
    QTest::newRow("no session") << false << ""
                                << "2";
    QTest::newRow("Default.htm") << true << "Default.htm"
                                 << "2";
}

void TestVersionCheck::listResult() {
    QFETCH(bool, sessionOpened);
    QFETCH(QString, text);
    QFETCH(QString, result);
    QCOMPARE(VersionListResult(sessionOpened, text), result);
}

void TestVersionCheck::checkVersion_data() {
    QTest::addColumn<int>("pingMs");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("versionText");
    QTest::addColumn<CheckCode>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("latest");
    QTest::addColumn<int>("sizeKB");

    const QString v102 = QStringLiteral("versie 1.02");
    using C = CheckCode;
    QTest::newRow("newer with letter") << 23 << List("qzRate,qzRate103.exe,b,1400\r\n") << v102
                                       << C::UpdateAdvised << "qzRate103.exe"
                                       << "1.03b" << 1400;
    QTest::newRow("no ping") << 0 << List("qzRate,qzRate103.exe,b,1400\r\n") << v102 << C::NoPing
                             << "qzRate"
                             << "" << -1;
    QTest::newRow("no text") << 1 << "1" << v102 << C::NoText << "qzRate"
                             << "" << -1;
    QTest::newRow("short list") << 1 << "2" << v102 << C::NotUsable << "qzRate"
                                << "" << -1;
    QTest::newRow("49 characters") << 1 << QString(49, u'x') << v102 << C::NotUsable << "qzRate"
                                   << "" << -1;
    QTest::newRow("Default.htm") << 1 << "Default.htm" << v102 << C::NotUsable << "qzRate"
                                 << "" << -1;
    QTest::newRow("same digits, letter offered") << 1 << List("qzRate,qzRate102.exe,a,1400\r\n")
                                                 << v102 << C::UpdateAdvised << "qzRate102.exe"
                                                 << "1.02a" << 1400;
    QTest::newRow("same digits and letter") << 1 << List("qzRate,qzRate102.exe,b,7,x,nl,en\r\n")
                                            << "versie 1.02b" << C::UpToDate << "qzRate102.exe"
                                            << "1.02b" << 7;
    QTest::newRow("same digits, letter z on both")
        << 1 << List("qzRate,qzRate102.exe,z,7\r\n") << "versie 1.02z" << C::UpToDate
        << "qzRate102.exe"
        << "1.02z" << 7;
    QTest::newRow("only the first character of field 3")
        << 1 << List("qzRate,qzRate102.exe,ab,7\r\n") << "versie 1.02a" << C::UpToDate
        << "qzRate102.exe"
        << "1.02a" << 7;
    QTest::newRow("same digits, older letter") << 1 << List("qzRate,qzRate102.exe,a,7\r\n")
                                               << "versie 1.02b" << C::UpToDate << "qzRate102.exe"
                                               << "1.02a" << 7;
    QTest::newRow("a capital is no version letter")
        << 1 << List("qzRate,qzRate102.exe,A,7\r\n") << "versie 1.02B" << C::UpdateAdvised
        << "qzRate102.exe"
        << "1.02A" << 7;
    QTest::newRow("same digits, a digit for a letter")
        << 1 << List("qzRate,qzRate102.exe,1,7\r\n") << v102 << C::UpdateAdvised << "qzRate102.exe"
        << "1.021" << 7;
    QTest::newRow("99 is newer than 102 as text")
        << 1 << List("qzRate,qzRate99.exe,,50\r\n") << v102 << C::UpdateAdvised << "qzRate99.exe"
        << "9.9" << 50;
    QTest::newRow("older") << 1 << List("qzRate,qzRate101.exe,z,50\r\n") << v102 << C::UpToDate
                           << "qzRate101.exe"
                           << "1.01z" << 50;
    QTest::newRow("longer digit text is newer") << 1 << List("qzRate,qzRate1021.exe,,50\r\n")
                                                << v102 << C::UpdateAdvised << "qzRate1021.exe"
                                                << "1.02" << 50;
    QTest::newRow("version text without point")
        << 1 << List("qzRate,qzRate100.exe,,50\r\n") << "versie 102" << C::UpdateAdvised
        << "qzRate100.exe"
        << "1.00" << 50;
    QTest::newRow("trailing comma gives no empty field")
        << 1 << List("qzRate,qzRate103.exe,b,1400,\r\n") << v102 << C::UpdateAdvised
        << "qzRate103.exe"
        << "1.03b" << 1400;
    QTest::newRow("line later in the list")
        << 1 << List("Other,x,a,1\r\nqzRate,qzRate103.exe,,9\r\n") << v102 << C::UpdateAdvised
        << "qzRate103.exe"
        << "1.03" << 9;
    QTest::newRow("line after a carriage return alone")
        << 1 << List("Other,x,a,1\rqzRate,qzRate103.exe,,9\r\n") << v102 << C::UpdateAdvised
        << "qzRate103.exe"
        << "1.03" << 9;
    QTest::newRow("name not found")
        << 1 << List("qzrate,qzrate103.exe,b,1\r\n") << v102 << C::NameNotFound << "qzRate"
        << "" << -1;
    QTest::newRow("name at the very end")
        << 1 << List("") + QStringLiteral("qzRate,") << v102 << C::NameNotFound << "qzRate"
        << "" << -1;
    QTest::newRow("name inside another program's line")
        << 1 << List("OldqzRate,OldqzRate500.exe,a,10\r\n") << v102 << C::NameNotFound << "qzRate"
        << "" << -1;
    QTest::newRow("another program's line before ours")
        << 1 << List("OldqzRate,OldqzRate500.exe,a,10\r\nqzRate,qzRate101.exe,,5\r\n") << v102
        << C::UpToDate << "qzRate101.exe"
        << "1.01" << 5;
    QTest::newRow("last line without carriage return")
        << 1 << List("") + QStringLiteral("qzRate,qzRate103.exe,b,1400") << v102 << C::NotUsable
        << "qzRate"
        << "" << -1;
    QTest::newRow("three fields") << 1 << List("qzRate,qzRate103.exe,b\r\n") << v102 << C::NotUsable
                                  << "qzRate"
                                  << "" << -1;
    QTest::newRow("size not a number")
        << 1 << List("qzRate,qzRate103.exe,b,14k\r\n") << v102 << C::NotUsable << "qzRate"
        << "" << -1;
    QTest::newRow("size negative")
        << 1 << List("qzRate,qzRate103.exe,b,-5\r\n") << v102 << C::NotUsable << "qzRate"
        << "" << -1;
    QTest::newRow("size overflows")
        << 1 << List("qzRate,qzRate103.exe,b,99999999999\r\n") << v102 << C::NotUsable << "qzRate"
        << "" << -1;
    QTest::newRow("file name with a folder")
        << 1 << List("qzRate,sub/qzRate103.exe,b,1\r\n") << v102 << C::NotUsable << "qzRate"
        << "" << -1;
    QTest::newRow("file name with a backslash")
        << 1 << List("qzRate,sub\\qzRate103.exe,b,1\r\n") << v102 << C::NotUsable << "qzRate"
        << "" << -1;
    QTest::newRow("absolute file name")
        << 1 << List("qzRate,/usr/bin/python3.11,b,1\r\n") << v102 << C::NotUsable << "qzRate"
        << "" << -1;
    QTest::newRow("file name climbing up")
        << 1 << List("qzRate,..,b,1\r\n") << v102 << C::NotUsable << "qzRate"
        << "" << -1;
    QTest::newRow("empty file name")
        << 1 << List("qzRate,,b,1\r\n") << v102 << C::NotUsable << "qzRate"
        << "" << -1;
}

void TestVersionCheck::checkVersion() {
    QFETCH(int, pingMs);
    QFETCH(QString, list);
    QFETCH(QString, versionText);
    QFETCH(CheckCode, code);
    QFETCH(QString, name);
    QFETCH(QString, latest);
    QFETCH(int, sizeKB);

    const VersionCheckResult result =
        CheckVersion(pingMs, list, QStringLiteral("qzRate"), versionText, -1);
    QCOMPARE(result.code, code);
    QCOMPARE(result.name, name);
    QCOMPARE(result.latest, latest);
    QCOMPARE(result.installerSizeKB, sizeKB);
}

void TestVersionCheck::logLine() {
    const VersionCheckResult result{CheckCode::UpdateAdvised, QStringLiteral("qzRate103.exe"),
                                    QStringLiteral("1.03b"), 1400};
    QCOMPARE(CheckLogLine(result),
             QStringLiteral("check code=4 latest=1.03b name=qzRate103.exe size=1400"));
}

QTEST_APPLESS_MAIN(TestVersionCheck)
#include "tst_versioncheck.moc"
