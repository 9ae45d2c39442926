#include "app/mainform.h"
#include "app/windowset.h"
#include "server/publisherserver.h"
#include "settings/optionsform.h"
#include "testkit/testhome.h"
#include "testkit/windowfixture.h"
#include "update/versionsform.h"
#include "widgets/clrbtn.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProgressBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

// The whole update against the demo publisher on loopback: "Check nu" in the settings dialog,
// the download, the stand-in installer and the end of the program.
class TestUpdateFlow : public QObject {
    Q_OBJECT

private slots:
    void checkDownloadInstallAndEnd();
};

void TestUpdateFlow::checkDownloadInstallAndEnd() {
    TestHome home;
    QVERIFY(home.IsValid());
    const QString publisherFolder = home.FilePath("publisher");
    QVERIFY(QDir().mkpath(publisherFolder) && QDir().mkpath(home.FilePath("program")) &&
            QDir().mkpath(home.FilePath("downloads")));
    const QDir demo(QStringLiteral(QZRATE_SOURCE_DIR "/server/publisher"));
    for (const QString& name : demo.entryList(QDir::Files))
        QVERIFY(QFile::copy(demo.filePath(name), publisherFolder + '/' + name));
    PublisherServer publisher(publisherFolder);
    QVERIFY(publisher.Listen());

    home.Set("QZRATE_PUBLISHER_URL", publisher.Url().toString().toUtf8());

    const QString scheduler = home.FilePath("program/qzRate_Sched");
    QVERIFY(QFile::copy("/bin/sleep", scheduler));
    QProcess schedulerRun;
    schedulerRun.start(scheduler, {"60"});
    QVERIFY(schedulerRun.waitForStarted());

    const QString iniPath = home.FilePath("store.ini");
    auto fixture = std::make_unique<WindowFixture>(iniPath);
    WindowSet* windows = fixture->Set.get();
    TVersionsForm& form = *windows->VersionsForm;
    form.Dutch = false;
    form.ProgramFolderPath = home.FilePath("program/");
    form.DownloadFolderPath = home.FilePath("downloads/");
    QSignalSpy closed(windows->MainForm.get(), &TMainForm::Closed);
    windows->MainForm->show();

    // Works the dialog as a user would once it shows the advice.
    QStringList advice;
    int gaugeAtEnd = -1;
    bool installFocused = false;
    bool acting = false;
    QTimer user;
    connect(&user, &QTimer::timeout, this, [&] {
        if (!form.isVisible() || acting)
            return;
        acting = true;
        advice = form.Lines();
        form.Memo1->setFocus();
        form.BtnDownload->click();
        gaugeAtEnd = form.Gauge1->value() == form.Gauge1->maximum() ? form.Gauge1->value() : -1;
        installFocused = form.BtnExit->hasFocus();
        form.BtnExit->click();
    });
    user.start(10);
    windows->OptionsForm->BtnCheck->click();

    QCOMPARE(advice,
             (QStringList{"", "Update is advised", "", "Your current version is versie 1.02",
                          "The latest version is 1.03b", "The Download Name is qzRate103.run"}));
    QCOMPARE(gaugeAtEnd, form.InstallerSizeKB);
    QVERIFY(installFocused);
    QCOMPARE(form.ReceivedKB, 3);
    QCOMPARE(publisher.Log(), (QStringList{"GET /versions.dat", "GET /qzRate103.run"}));
    QCOMPARE(closed.size(), 1);
    QTRY_COMPARE(schedulerRun.state(), QProcess::NotRunning);
    QFile args(home.FilePath("downloads/qzRate103.run.args"));
    QTRY_VERIFY(args.size() > 0);
    QVERIFY(args.open(QIODevice::ReadOnly));
    QCOMPARE(args.readAll(), QByteArray("/SP-\n/silent\n/noicons\n"));

    // The windows go as at the program's end, storing their settings.
    fixture.reset();
    const QSettings ini(iniPath, QSettings::IniFormat);
    QVERIFY(ini.contains("Defaults/MainTop"));
    QCOMPARE(ini.value("Defaults/Updates Aan").toString(), QString("1"));
}

QTEST_MAIN(TestUpdateFlow)
#include "tst_updateflow.moc"
