#include "info/feedbackmail.h"
#include "info/schemehandler.h"
#include "recordingshell.h"
#include "testkit/testhome.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The mail handler is read through the real xdg-mime, from data and config folders that each
// test fills.
class TestFeedbackMail : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void route_data();
    void route();
    void desktopEntryExec();
    void desktopShellRefusesWithoutHandler();
    void brokenXdgMimeAnswersEmpty_data();
    void brokenXdgMimeAnswersEmpty();

private:
    // Registers a desktop entry with this Exec line as the handler of mailto links.
    void RegisterMailHandler(const QByteArray& exec);

    QTemporaryDir Folder;
    QString DataHome;
    QString SystemData;
    QString ConfigHome;
};

void TestFeedbackMail::initTestCase() {
    QVERIFY(Folder.isValid());
    // The generic lookup of xdg-mime, whatever desktop the test runs under.
    for (const char* name : {"XDG_CURRENT_DESKTOP", "KDE_FULL_SESSION", "KDE_SESSION_VERSION",
                             "GNOME_DESKTOP_SESSION_ID", "DESKTOP_SESSION", "BROWSER"})
        qunsetenv(name);
    DataHome = Folder.filePath(QStringLiteral("data"));
    SystemData = Folder.filePath(QStringLiteral("system"));
    ConfigHome = Folder.filePath(QStringLiteral("config"));
    qputenv("XDG_DATA_HOME", DataHome.toUtf8());
    qputenv("XDG_DATA_DIRS", SystemData.toUtf8());
    qputenv("XDG_CONFIG_HOME", ConfigHome.toUtf8());
    qputenv("XDG_CONFIG_DIRS", Folder.filePath(QStringLiteral("etc")).toUtf8());
}

void TestFeedbackMail::init() {
    for (const QString& folder : {DataHome, SystemData, ConfigHome})
        QDir(folder).removeRecursively();
}

void TestFeedbackMail::RegisterMailHandler(const QByteArray& exec) {
    WriteFile(ConfigHome + QStringLiteral("/mimeapps.list"),
              "[Default Applications]\nx-scheme-handler/mailto=testmail.desktop\n");
    WriteFile(DataHome + QStringLiteral("/applications/testmail.desktop"),
              "[Desktop Entry]\nType=Application\nName=Test mail\nExec=" + exec + "\n");
}

void TestFeedbackMail::route_data() {
    QTest::addColumn<QByteArray>("handler"); // empty: none registered
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("accepts");
    QTest::addColumn<QString>("linkStart");
    QTest::addColumn<int>("code");

    const QByteArray generic = "/bin/true url.dll,MailToProtocolHandler %u";
    QTest::newRow("generic handler, Dutch, refused")
        << generic << "NLD" << false
        << "http://127.0.0.1:8451/"
           "mailform_n_php.php?ProgNam=qzRate%2C%20versie%201.02&Contents=Hallo"
        << 2;
    QTest::newRow("generic handler, English, refused")
        << generic << "ENU" << false
        << "http://127.0.0.1:8451/"
           "mailform_e_php.php?ProgNam=qzRate%2C%20versie%201.02&Contents=Hallo"
        << 2;
    QTest::newRow("generic handler, accepted")
        << generic << "ENU" << true << "http://127.0.0.1:8451/mailform_e_php.php" << 0;
    QTest::newRow("marker in lower case, Dutch")
        << QByteArray("/bin/true mailtoprotocolhandler %u") << "NLD" << false
        << "mailto:feedback@qzrate.example?Subject=Programma%20qzRate%2C%20versie%201.02&Body=Hallo"
        << 1;
    QTest::newRow("mail program, accepted")
        << QByteArray("/bin/true --compose %u") << "ENU" << true
        << "mailto:feedback@qzrate.example?Subject=Program%20" << 0;
    QTest::newRow("no handler, English")
        << QByteArray() << "ENU" << false
        << "mailto:feedback@qzrate.example?Subject=Program%20qzRate%2C%20versie%201.02&Body=Hallo"
        << 1;
}

void TestFeedbackMail::route() {
    QFETCH(QByteArray, handler);
    QFETCH(QString, language);
    QFETCH(bool, accepts);
    QFETCH(QString, linkStart);
    if (!handler.isEmpty())
        RegisterMailHandler(handler);

    RecordingShell shell;
    shell.Accepts = accepts;
    FeedbackMail mail(shell, QUrl(QStringLiteral("http://127.0.0.1:8451/")), language);
    QSignalSpy finished(&mail, &FeedbackMail::Finished);
    mail.SendFeedbackMail({QStringLiteral("Hallo"), QStringLiteral("daar")},
                          QStringLiteral("qzRate"), QStringLiteral("versie 1.02"));
    QVERIFY(finished.wait(20000));
    QTEST(finished.at(0).at(0).toInt(), "code");
    QCOMPARE(shell.Links.size(), 1);
    QVERIFY2(shell.Links.at(0).startsWith(linkStart), qPrintable(shell.Links.at(0)));
}

void TestFeedbackMail::desktopEntryExec() {
    WriteFile(SystemData + QStringLiteral("/applications/vendor/mail.desktop"),
              "[Desktop Action New]\nExec=wrong\n[Desktop Entry]\nName=Mail\nExec=mail %u \n");
    WriteFile(DataHome + QStringLiteral("/applications/spaced.desktop"),
              "[Desktop Entry]\nExec= spaced %u\n");
    WriteFile(DataHome + QStringLiteral("/applications/noexec.desktop"),
              "Exec=wrong\n[Desktop Entry]\nName=None\n[Other]\nExec=wrong\n");
    const QStringList folders{DataHome, SystemData};
    // Found in the second folder, below the vendor's subfolder, in its own group only.
    QCOMPARE(DesktopEntryExec(QStringLiteral("vendor-mail.desktop"), folders),
             QStringLiteral("mail %u"));
    QCOMPARE(DesktopEntryExec(QStringLiteral("spaced.desktop"), folders),
             QStringLiteral("spaced %u"));
    QCOMPARE(DesktopEntryExec(QStringLiteral("noexec.desktop"), folders), QString());
    QCOMPARE(DesktopEntryExec(QStringLiteral("missing.desktop"), folders), QString());
    QCOMPARE(DesktopEntryExec(QString(), folders), QString());
    // An id names a file below "applications", never one elsewhere.
    WriteFile(DataHome + QStringLiteral("/outside.desktop"), "[Desktop Entry]\nExec=outside\n");
    QCOMPARE(DesktopEntryExec(QStringLiteral("../outside.desktop"), folders), QString());
}

void TestFeedbackMail::desktopShellRefusesWithoutHandler() {
    // Without a registered mail program the link would go nowhere: it must count as refused.
    DesktopShell shell;
    for (const QString& link :
         {QStringLiteral("mailto:feedback@qzrate.example?Subject=x"), QString()}) {
        bool answered = false;
        bool accepted = true;
        shell.Open(link, [&](bool answer) {
            answered = true;
            accepted = answer;
        });
        QTRY_VERIFY_WITH_TIMEOUT(answered, 20000);
        QVERIFY(!accepted);
    }
}

void TestFeedbackMail::brokenXdgMimeAnswersEmpty_data() {
    QTest::addColumn<QByteArray>("script"); // empty: no xdg-mime at all
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("hangs") << QByteArray("#!/bin/sh\nexec /bin/sleep 60\n");
    QTest::newRow("fails after an answer") << QByteArray("#!/bin/sh\necho mail.desktop\nexit 1\n");
}

void TestFeedbackMail::brokenXdgMimeAnswersEmpty() {
    // Without an answer the mail button would stay disabled for good.
    QFETCH(QByteArray, script);
    const QString bin = Folder.filePath(QStringLiteral("bin-") + QTest::currentDataTag());
    QVERIFY(QDir().mkpath(bin));
    if (!script.isEmpty()) {
        WriteFile(bin + QStringLiteral("/xdg-mime"), script);
        QFile(bin + QStringLiteral("/xdg-mime")).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    }
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.toUtf8());
    bool answered = false;
    QString handler = QStringLiteral("not asked");
    QueryDefaultHandler(QStringLiteral("mailto"), this, [&](const QString& id) {
        answered = true;
        handler = id;
    });
    qputenv("PATH", path);
    QTRY_VERIFY_WITH_TIMEOUT(answered, 30000);
    QCOMPARE(handler, QString());
}

QTEST_GUILESS_MAIN(TestFeedbackMail)
#include "tst_feedbackmail.moc"
