#include "info/abouttexts.h"
#include "info/feedbacklinks.h"
#include "info/shell.h"
#include "testkit/testhome.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The desktop's shell on a real X server: the link travels through xdg-open to the desktop
// entry registered for its scheme.
class TestDesktopShell : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void open_data();
    void open();

private:
    QTemporaryDir Folder;
};

namespace {

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void TestDesktopShell::initTestCase() {
    QVERIFY(Folder.isValid());
    for (const char* name : {"XDG_CURRENT_DESKTOP", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID",
                             "DESKTOP_SESSION", "BROWSER"})
        qunsetenv(name);
    qputenv("XDG_DATA_DIRS", Folder.filePath(QStringLiteral("system")).toUtf8());
    qputenv("XDG_CONFIG_DIRS", Folder.filePath(QStringLiteral("etc")).toUtf8());
    // A mail program that writes the link it gets into a file.
    const QString program = Folder.filePath(QStringLiteral("mailprogram"));
    WriteFile(program, "#!/bin/sh\nprintf '%s' \"$1\" > \"$0.link\"\n");
    QFile(program).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    WriteFile(Folder.filePath(QStringLiteral("registered/config/mimeapps.list")),
              "[Default Applications]\nx-scheme-handler/mailto=testmail.desktop\n");
    WriteFile(Folder.filePath(QStringLiteral("registered/data/applications/testmail.desktop")),
              "[Desktop Entry]\nType=Application\nName=Test mail\nExec=" + program.toUtf8() +
                  " %u\n");
}

void TestDesktopShell::open_data() {
    QTest::addColumn<QString>("home"); // holds config/ and data/
    QTest::addColumn<bool>("accepted");

    QTest::newRow("mail program registered") << "registered" << true;
    // The launcher alone would start and report success for a link that goes nowhere.
    QTest::newRow("no mail program") << "unregistered" << false;
}

void TestDesktopShell::open() {
    QFETCH(QString, home);
    QFETCH(bool, accepted);
    qputenv("XDG_CONFIG_HOME", Folder.filePath(home + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", Folder.filePath(home + QStringLiteral("/data")).toUtf8());
    const QString received = Folder.filePath(QStringLiteral("mailprogram.link"));
    QFile::remove(received);

    const QString link = MailLink(AboutTextsFor(QStringLiteral("NLD")),
                                  {QStringLiteral("Prijs & koers? caf\u00e9"), QString()},
                                  QStringLiteral("qzRate"), QStringLiteral("versie 1.02"));
    DesktopShell shell;
    bool answered = false;
    bool answer = !accepted;
    shell.Open(link, [&](bool result) {
        answered = true;
        answer = result;
    });
    QTRY_VERIFY_WITH_TIMEOUT(answered, 30000);
    QCOMPARE(answer, accepted);
    if (accepted)
        QTRY_COMPARE_WITH_TIMEOUT(QString::fromUtf8(ReadFile(received)), link, 30000);
}

QTEST_MAIN(TestDesktopShell)
#include "tst_desktopshell.moc"
