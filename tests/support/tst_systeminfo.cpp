#include "support/systeminfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstring>

// Run as a child with one of these arguments, the test program prints the start-up facts:
// language code, program folder and download folder, one per line. Start-up runs a second
// time after HOME has moved, which must change nothing.
namespace {

constexpr char kFactsArgument[] = "--print-facts";
constexpr char kFactsWithoutApplicationArgument[] = "--print-facts-without-application";

int PrintFacts() {
    SupportStartup();
    qputenv("HOME", "/nonexistent-moved-home");
    qunsetenv("XDG_CONFIG_HOME");
    SupportStartup();
    std::printf("%s\n%s\n%s\n", qUtf8Printable(LanguageCode()), qUtf8Printable(ProgramFolder()),
                qUtf8Printable(DownloadFolder()));
    return 0;
}

} // namespace

class TestSystemInfo : public QObject {
    Q_OBJECT

private slots:
    void languageCodeForId_data();
    void languageCodeForId();
    void windowsLanguageId_data();
    void windowsLanguageId();
    void folderWithSeparator_data();
    void folderWithSeparator();
    void startupFacts_data();
    void startupFacts();
    void userDataFolder();
    void userDataFolderThatCannotBeMade();
};

void TestSystemInfo::languageCodeForId_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("code");

    QTest::newRow("Dutch, Netherlands") << 1043 << "NLD";
    QTest::newRow("Dutch, Belgium") << 2067 << "NLD";
    QTest::newRow("Afrikaans") << 1078 << "NLD";
    QTest::newRow("English, United States") << 1033 << "ENU";
    QTest::newRow("English, United Kingdom") << 2057 << "ENU";
    QTest::newRow("German") << 1031 << "ENU";
    QTest::newRow("French") << 1036 << "ENU";
    QTest::newRow("Frisian") << 1122 << "ENU";
    QTest::newRow("none") << 0 << "ENU";
}

void TestSystemInfo::languageCodeForId() {
    QFETCH(int, id);
    QFETCH(QString, code);
    QCOMPARE(LanguageCodeForId(id), code);
}

void TestSystemInfo::windowsLanguageId_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("id");

    QTest::newRow("nl_NL") << "nl_NL" << 1043;
    QTest::newRow("nl_BE") << "nl_BE" << 2067;
    QTest::newRow("nl_SR") << "nl_SR" << 1043;
    QTest::newRow("af") << "af" << 1078;
    QTest::newRow("af_ZA") << "af_ZA" << 1078;
    QTest::newRow("en_US") << "en_US" << 1033;
    QTest::newRow("en_GB") << "en_GB" << 2057;
    QTest::newRow("en_ZA") << "en_ZA" << 7177;
    QTest::newRow("de_DE") << "de_DE" << 1031;
    QTest::newRow("de_AT") << "de_AT" << 3079;
    QTest::newRow("fr_FR") << "fr_FR" << 1036;
    QTest::newRow("fr_BE") << "fr_BE" << 2060;
    QTest::newRow("pt_BR") << "pt_BR" << 1046;
    QTest::newRow("pt_PT") << "pt_PT" << 2070;
    QTest::newRow("es_ES") << "es_ES" << 3082;
    QTest::newRow("C") << "C" << 1033;
    QTest::newRow("unknown sw_KE") << "sw_KE" << 1033;
}

void TestSystemInfo::windowsLanguageId() {
    QFETCH(QString, locale);
    QFETCH(int, id);
    QCOMPARE(WindowsLanguageId(QLocale(locale)), id);
}

void TestSystemInfo::folderWithSeparator_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expected");

    QTest::newRow("root") << "/"
                          << "/";
    QTest::newRow("plain") << "/opt/qzrate"
                           << "/opt/qzrate/";
    QTest::newRow("already ends") << "/opt/qzrate/"
                                  << "/opt/qzrate/";
}

void TestSystemInfo::folderWithSeparator() {
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    QCOMPARE(FolderWithSeparator(folder), expected);
}

void TestSystemInfo::startupFacts_data() {
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("downloadDir"); // in user-dirs.dirs; empty: none set
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("downloads"); // below the home folder

    const QString facts = QString::fromLatin1(kFactsArgument);
    const QString bare = QString::fromLatin1(kFactsWithoutApplicationArgument);
    QTest::newRow("Dutch") << facts << "nl_NL.UTF-8"
                           << ""
                           << "NLD"
                           << "/Downloads/";
    QTest::newRow("Flemish") << facts << "nl_BE.UTF-8"
                             << ""
                             << "NLD"
                             << "/Downloads/";
    QTest::newRow("Afrikaans") << facts << "af_ZA.UTF-8"
                               << ""
                               << "NLD"
                               << "/Downloads/";
    QTest::newRow("American") << facts << "en_US.UTF-8"
                              << "$HOME/Fetched"
                              << "ENU"
                              << "/Fetched/";
    QTest::newRow("German") << facts << "de_DE.UTF-8"
                            << ""
                            << "ENU"
                            << "/Downloads/";
    QTest::newRow("no application") << bare << "nl_NL.UTF-8"
                                    << "$HOME/Fetched"
                                    << "NLD"
                                    << "/Fetched/";
}

void TestSystemInfo::startupFacts() {
    QFETCH(QString, argument);
    QFETCH(QString, lang);
    QFETCH(QString, downloadDir);
    QFETCH(QString, code);
    QFETCH(QString, downloads);

    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString config = home.path() + QStringLiteral("/config");
    QVERIFY(QDir().mkpath(config));
    if (!downloadDir.isEmpty()) {
        QFile dirs(config + QStringLiteral("/user-dirs.dirs"));
        QVERIFY(dirs.open(QIODevice::WriteOnly));
        dirs.write("XDG_DOWNLOAD_DIR=\"" + downloadDir.toUtf8() + "\"\n");
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LC_NUMERIC", "LC_TIME", "LANGUAGE"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("LANG"), lang);
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);

    QProcess child;
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {argument});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitCode(), 0);
    const QStringList lines =
        QString::fromUtf8(child.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines, QStringList({code, QCoreApplication::applicationDirPath() + u'/',
                                 home.path() + downloads}));
}

void TestSystemInfo::userDataFolder() {
    QTemporaryDir dataHome;
    QVERIFY(dataHome.isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
    const QString before = QDir::currentPath();

    const QString folder = UserDataFolder(QStringLiteral("qzRate"));
    QCOMPARE(folder, dataHome.path() + QStringLiteral("/qzRate/"));
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(QDir::currentPath(), before);
    // A second call finds the folder in place.
    QCOMPARE(UserDataFolder(QStringLiteral("qzRate")), folder);
    qunsetenv("XDG_DATA_HOME");
}

void TestSystemInfo::userDataFolderThatCannotBeMade() {
    QTemporaryDir dataHome;
    QVERIFY(dataHome.isValid());
    const QString blocker = dataHome.filePath(QStringLiteral("file"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    qputenv("XDG_DATA_HOME", QFile::encodeName(blocker));
    const QString before = QDir::currentPath();

    const QString folder = UserDataFolder(QStringLiteral("qzRate"));
    QCOMPARE(folder, blocker + QStringLiteral("/qzRate/"));
    QVERIFY(!QFileInfo::exists(folder));
    QCOMPARE(QDir::currentPath(), before);
    qunsetenv("XDG_DATA_HOME");
}

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], kFactsWithoutApplicationArgument) == 0)
        return PrintFacts();
    QCoreApplication app(argc, argv);
    if (argc == 2 && std::strcmp(argv[1], kFactsArgument) == 0)
        return PrintFacts();
    TestSystemInfo test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_systeminfo.moc"
