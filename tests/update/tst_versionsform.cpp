#include "platform/terminationsignals.h"
#include "server/scriptedhttpserver.h"
#include "update/versionsform.h"
#include "widgets/clrbtn.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <functional>

namespace {

const QByteArray Padding = "Other,Other200.exe,a,900,padding to make the list long\r\n";

const QStringList AdvisedLines{"",
                               "Update is advised",
                               "",
                               "Your current version is versie 1.02",
                               "The latest version is 1.03b",
                               "The Download Name is qzRate103.exe"};

ScriptedAnswer Answer(const QByteArray& body, int status = 200) {
    return {.status = status, .body = body};
}

void WriteFile(const QString& path, const QByteArray& bytes, bool executable = false) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    if (executable)
        QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));
}

} // namespace

Q_DECLARE_METATYPE(ScriptedAnswer)

class TestVersionsForm : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void manualCheckShowsTheOutcome_data();
    void manualCheckShowsTheOutcome();
    void autoCheckIsSilentUnlessAdvised_data();
    void autoCheckIsSilentUnlessAdvised();
    void placement();
    void systemFolderOffersNoDownload();
    void secondCheckIsIgnored();
    void download_data();
    void download();
    void fileThatTakesNoBytesFailsTheDownload();
    void oldFilesDeletedOnlyWhereSafe();
    void installation();
    void installerThatCannotStart();
    void signalEndsACheckAtOnce();
    void signalEndsADownloadAndLeavesNothing();

private:
    // Runs a call that shows the dialog modally; gives the lines it showed and closes it, or
    // nothing when the dialog never appeared.
    std::optional<QStringList> Shown(const std::function<void()>& call,
                                     const std::function<void()>& whileShown = {});

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedHttpServer> server;
    std::unique_ptr<TVersionsForm> form;
};

void TestVersionsForm::init() {
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    QVERIFY(QDir(dir->path()).mkpath("program") && QDir(dir->path()).mkpath("downloads"));
    server = std::make_unique<ScriptedHttpServer>();
    QVERIFY(server->Listen());
    form = std::make_unique<TVersionsForm>();
    form->FormCreate();
    form->Dutch = false;
    form->Publisher = server->Url();
    form->ProgramFolderPath = dir->filePath("program/");
    form->DownloadFolderPath = dir->filePath("downloads/");
    form->ProgramFileName = "qzrate";
}

void TestVersionsForm::cleanup() {
    form.reset();
    server.reset();
    dir.reset();
}

std::optional<QStringList> TestVersionsForm::Shown(const std::function<void()>& call,
                                                   const std::function<void()>& whileShown) {
    std::optional<QStringList> lines;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        if (!form->isVisible() || lines)
            return;
        lines = form->Lines();
        if (whileShown)
            whileShown();
        form->reject();
    });
    watch.start(10);
    call();
    return lines;
}

void TestVersionsForm::manualCheckShowsTheOutcome_data() {
    QTest::addColumn<bool>("dutch");
    QTest::addColumn<QList<QByteArray>>("answers");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("downloadOffered");
    QTest::addColumn<QString>("exitCaption");

    QTest::newRow("advised") << false
                             << QList<QByteArray>{"qzRate,qzRate103.exe,b,1400\r\n" + Padding}
                             << AdvisedLines << true << "Download later";
    QTest::newRow("advised, Dutch")
        << true << QList<QByteArray>{"qzRate,qzRate103.exe,b,1400\r\n" + Padding}
        << QStringList{"",
                       "Een Update wordt aanbevolen",
                       "",
                       "Uw huidige versie is versie 1.02",
                       "De nieuwste versie is 1.03b",
                       "De Downloadnaam is qzRate103.exe"}
        << true << "Download later";
    QTest::newRow("first request fails, second delivers")
        << false << QList<QByteArray>{"", "qzRate,qzRate103.exe,b,1400\r\n" + Padding}
        << AdvisedLines << true << "Download later";
    QTest::newRow("up to date, Dutch")
        << true << QList<QByteArray>{"qzRate,qzRate102.exe,,1400\r\n" + Padding}
        << QStringList{"", "Een Update is niet nodig,", "u heeft de nieuwste versie.",
                       "Uw huidige versie is versie 1.02."}
        << false << "Sluit Venster";
    QTest::newRow("up to date") << false
                                << QList<QByteArray>{"qzRate,qzRate101.exe,,1400\r\n" + Padding}
                                << QStringList{"", "No Update is needed,",
                                               "you are using the latest version.",
                                               "Your current version is versie 1.02."}
                                << false << "Close Window";
    QTest::newRow("no text twice")
        << false << QList<QByteArray>{"", ""} << QStringList{"", "No reaction from Server"} << false
        << "Close Window";
    QTest::newRow("no text twice, Dutch")
        << true << QList<QByteArray>{"", ""} << QStringList{"", "De server reageert niet"} << false
        << "Sluit Venster";
    QTest::newRow("49 characters")
        << false << QList<QByteArray>{QByteArray(49, 'x')}
        << QStringList{"", "File not downloaded correctly"} << false << "Close Window";
    QTest::newRow("Default.htm, Dutch")
        << true << QList<QByteArray>{"Default.htm"} << QStringList{"", "Het bestand is te klein"}
        << false << "Sluit Venster";
    QTest::newRow("name not found")
        << false << QList<QByteArray>{Padding + Padding}
        << QStringList{"", "Program Name not found"} << false << "Close Window";
    QTest::newRow("name not found, Dutch")
        << true << QList<QByteArray>{Padding + Padding}
        << QStringList{"", "Programma-naam niet gevonden"} << false << "Sluit Venster";
}

void TestVersionsForm::manualCheckShowsTheOutcome() {
    QFETCH(bool, dutch);
    QFETCH(QList<QByteArray>, answers);
    QFETCH(QStringList, lines);
    QFETCH(bool, downloadOffered);
    QFETCH(QString, exitCaption);
    for (const QByteArray& body : answers)
        server->Enqueue(Answer(body));
    form->Dutch = dutch;
    form->InstallerReady = true;

    bool downloadVisible = false;
    const auto shown = Shown([&] { form->ManualCheck(0, 0, 300, 500); },
                             [&] { downloadVisible = form->BtnDownload->isVisible(); });
    QVERIFY(shown);
    QCOMPARE(*shown, lines);
    QCOMPARE(downloadVisible, downloadOffered);
    QCOMPARE(form->BtnExit->text(), exitCaption);
    QCOMPARE(server->RequestCount(), answers.size());
    QCOMPARE(server->Requests().first().Path(), QByteArray("/versions.dat"));
    // Only a list without the program's line takes back a finished download.
    QCOMPARE(form->InstallerReady, !QString(QTest::currentDataTag()).startsWith("name not"));
}

void TestVersionsForm::autoCheckIsSilentUnlessAdvised_data() {
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<bool>("pingAnswers");
    QTest::addColumn<bool>("shown");
    QTest::newRow("advised") << "qzRate,qzRate103.exe,b,1400\r\n" + Padding << true << true;
    QTest::newRow("up to date") << "qzRate,qzRate102.exe,,1400\r\n" + Padding << true << false;
    QTest::newRow("not found") << Padding + Padding << true << false;
    QTest::newRow("no ping") << "qzRate,qzRate103.exe,b,1400\r\n" + Padding << false << false;
}

void TestVersionsForm::autoCheckIsSilentUnlessAdvised() {
    QFETCH(QByteArray, list);
    QFETCH(bool, pingAnswers);
    QFETCH(bool, shown);
    server->SetDefaultAnswer(Answer(list));
    if (!pingAnswers)
        form->Ping.Program = "/nonexistent/ping";
    const auto lines = Shown([&] { form->AutoCheck(); });
    QCOMPARE(bool(lines), shown);
    QCOMPARE(server->RequestCount(), pingAnswers ? 1 : 0);
    if (shown) {
        QCOMPARE(lines->at(1), QString("Update is advised"));
        QCOMPARE(form->BtnExit->text(), QString("Download Later"));
        QCOMPARE(form->InstallerName, QString("qzRate103.exe"));
        QCOMPARE(form->InstallerSizeKB, 1400);
    }
}

void TestVersionsForm::placement() {
    server->SetDefaultAnswer(Answer("qzRate,qzRate101.exe,,1400\r\n" + Padding));
    QWidget mainWindow;
    mainWindow.setGeometry(100, 50, 395, 178);
    form->MainWindow = &mainWindow;
    QPoint first;
    QPoint second;
    Shown([&] { form->ManualCheck(400, 300, 300, 500); }, [&] { first = form->pos(); });
    Shown([&] { form->ManualCheck(400, 300, 301, 501); }, [&] { second = form->pos(); });
    const QSize size = form->frameGeometry().size();
    QCOMPARE(first, QPoint(100 + (395 - size.width()) / 2, 50 + (178 - size.height()) / 2));
    QCOMPARE(second, QPoint(300 + (501 - size.width()) / 2, 400 + (301 - size.height()) / 2));
}

void TestVersionsForm::systemFolderOffersNoDownload() {
    server->SetDefaultAnswer(Answer("qzRate,qzRate103.exe,b,1400\r\n" + Padding));
    form->ProgramFolderPath = "/usr/bin/";
    bool downloadVisible = true;
    const auto lines = Shown([&] { form->AutoCheck(); },
                             [&] { downloadVisible = form->BtnDownload->isVisible(); });
    QVERIFY(lines);
    QCOMPARE(lines->mid(3),
             (QStringList{"Your current version is versie 1.02", "The latest version is 1.03b",
                          "The Download Name is qzRate103.exe", "",
                          "Update through your system's package manager."}));
    QVERIFY(!downloadVisible);
}

void TestVersionsForm::secondCheckIsIgnored() {
    server->SetDefaultAnswer(Answer("qzRate,qzRate103.exe,b,1400\r\n" + Padding));
    std::optional<CheckCode> second = CheckCode::UpToDate;
    connect(form.get(), &TVersionsForm::waitStarted, this, [&] {
        QString name = "qzRate";
        QString latest;
        second = form->CheckVersion(name, latest);
    });
    QString name = "qzRate";
    QString latest;
    QCOMPARE(form->CheckVersion(name, latest), CheckCode::UpdateAdvised);
    QCOMPARE(second, std::nullopt);
    QCOMPARE(server->RequestCount(), 1);
    // Nor while the dialog shows an outcome.
    form->show();
    QCOMPARE(form->CheckVersion(name, latest), std::nullopt);
}

void TestVersionsForm::download_data() {
    QTest::addColumn<ScriptedAnswer>("answer");
    QTest::addColumn<int>("sizeKB");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("receivedKB");
    const QByteArray big(1000 * 2048, 'i');
    QTest::newRow("1000 pieces") << Answer(big) << 2000 << true << 2000;
    QTest::newRow("larger than listed, within twice") << Answer(big) << 1000 << true << 2000;
    QTest::newRow("2047 bytes") << Answer(QByteArray(2047, 'i')) << 2 << false << 1;
    QTest::newRow("2048 bytes") << Answer(QByteArray(2048, 'i')) << 2 << true << 2;
    QTest::newRow("error page") << Answer(QByteArray(8192, 'e'), 404) << 8 << false << 8;
    QTest::newRow("status 300") << Answer(QByteArray(8192, 'e'), 300) << 8 << false << 8;
    QTest::newRow("status 299") << Answer(QByteArray(8192, 'i'), 299) << 8 << true << 8;
    QTest::newRow("cut off after 4 KB")
        << ScriptedAnswer{.body = big, .cutAfter = 4096} << 2000 << false << 4;
    QTest::newRow("over twice the listed size") << Answer(QByteArray(8192, 'i')) << 3 << false << 6;
}

void TestVersionsForm::download() {
    QFETCH(ScriptedAnswer, answer);
    QFETCH(int, sizeKB);
    QFETCH(bool, ok);
    QFETCH(int, receivedKB);
    server->Enqueue(answer);
    // Made when missing.
    form->DownloadFolderPath = dir->filePath("new/downloads/");
    form->DownloadName = "qzRate103.exe";
    form->InstallerSizeKB = sizeKB;
    form->BtnDownloadClick();
    QCOMPARE(form->ReceivedKB, receivedKB);
    QCOMPARE(server->Requests().first().Path(), QByteArray("/qzRate103.exe"));
    QVERIFY(form->Gauge1->isVisibleTo(form.get()));
    QCOMPARE(form->Gauge1->value(), std::min(receivedKB + 1, sizeKB));
    QCOMPARE(form->InstallerReady, ok);
    QCOMPARE(form->BtnDownload->isVisibleTo(form.get()), !ok);
    // Only the complete installer is ever in the download folder.
    const QStringList files =
        QDir(dir->filePath("new/downloads")).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(files, ok ? QStringList{"qzRate103.exe"} : QStringList{});
    if (ok) {
        QCOMPARE(QFileInfo(dir->filePath("new/downloads/qzRate103.exe")).size(),
                 answer.body.size());
        QCOMPARE(form->Lines(), (QStringList{"", "qzRate103.exe has been succesfully downloaded",
                                             "Click \"Install\" to install the progam"}));
        QCOMPARE(form->BtnExit->text(), QString("Install"));
    }
}

void TestVersionsForm::fileThatTakesNoBytesFailsTheDownload() {
    // A disk that fills up after 4 KB.
    class FullAfter4KB : public QIODevice {
    protected:
        qint64 readData(char*, qint64) override { return -1; }
        qint64 writeData(const char*, qint64 size) override {
            room -= size;
            return room < 0 ? -1 : size;
        }
        qint64 room = 4096;
    } disk;
    disk.open(QIODevice::WriteOnly);
    server->Enqueue(Answer(QByteArray(8192, 'i')));
    QVERIFY(!form->DownloadToStream(disk, server->Url()));
    QCOMPARE(form->ReceivedKB, 4);
}

void TestVersionsForm::oldFilesDeletedOnlyWhereSafe() {
    server->SetDefaultAnswer(Answer("", 404));
    const QStringList present{"program/qzRate1.02.exe",   "program/qzrate",
                              "program/qzRate_Sched",     "program/python3.11",
                              "downloads/qzRate1.02.exe", "downloads/python3.11"};
    for (const QString& file : present)
        WriteFile(dir->filePath(file), "x");
    for (const QString name : {"python3.11", "qzrate", "qzRate_Sched"}) {
        form->DownloadName = name;
        form->BtnDownloadClick();
    }
    QCOMPARE(QDir(dir->filePath("program")).entryList(QDir::Files, QDir::Name),
             (QStringList{"python3.11", "qzRate_Sched", "qzrate"}));
    QCOMPARE(QDir(dir->filePath("downloads")).entryList(QDir::Files), QStringList{});
}

void TestVersionsForm::installation() {
    // The stand-in installer records its arguments next to itself.
    WriteFile(dir->filePath("downloads/qzrate103.run"),
              "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\n", true);
    QFile::copy("/bin/sleep", dir->filePath("program/qzRate_Sched"));
    QProcess scheduler;
    scheduler.start(dir->filePath("program/qzRate_Sched"), {"60"});
    QVERIFY(scheduler.waitForStarted());
    int ended = 0;
    form->EndProgram = [&] { ++ended; };
    form->InstallerName = "qzrate103.run";
    form->InstallerReady = true;

    form->BtnExitClick();
    QCOMPARE(ended, 1);
    QCOMPARE(form->Lines(), (QStringList{"", "The installation of qzRate is started.",
                                         "The installation of qzRate has started."}));
    QVERIFY(scheduler.waitForFinished(5000));
    QFile args(dir->filePath("downloads/qzrate103.run.args"));
    QTRY_VERIFY(args.size() > 0);
    QVERIFY(args.open(QIODevice::ReadOnly));
    QCOMPARE(args.readAll(), QByteArray("/SP-\n/silent\n/noicons\n"));
}

void TestVersionsForm::installerThatCannotStart() {
    int ended = 0;
    form->EndProgram = [&] { ++ended; };
    form->Dutch = true;
    form->InstallerName = "qzRate103.exe";
    form->InstallerReady = true;
    form->BtnExitClick();
    form->BtnExitClick();
    QCOMPARE(ended, 0);
    QCOMPARE(form->Lines().mid(0, 3), (QStringList{"", "De installatie van qzRate wordt gestart.",
                                                   "Installatie is mislukt."}));
    QCOMPARE(form->Lines().size(), 6);
}

void TestVersionsForm::signalEndsACheckAtOnce() {
    server->SetDefaultAnswer({.silent = true});
    TerminationSignals termination;
    connect(&termination, &TerminationSignals::Received, form.get(), &TVersionsForm::Abort);
    connect(server.get(), &ScriptedHttpServer::requestReceived, this,
            [] { ::kill(::getpid(), SIGTERM); });
    QElapsedTimer sinceSignal;
    connect(&termination, &TerminationSignals::Received, this, [&] { sinceSignal.start(); });
    const auto shown = Shown([&] { form->ManualCheck(0, 0, 300, 500); });
    QVERIFY(!shown);
    QVERIFY(sinceSignal.isValid());
    QVERIFY(sinceSignal.elapsed() < 1000);
}

void TestVersionsForm::signalEndsADownloadAndLeavesNothing() {
    // 8 KB of the body, then silence with the connection open.
    server->Enqueue({.body = QByteArray(64 * 1024, 'i'), .cutAfter = 8192, .hangAfterCut = true});
    TerminationSignals termination;
    connect(&termination, &TerminationSignals::Received, form.get(), &TVersionsForm::Abort);
    QElapsedTimer sinceSignal;
    connect(form->Gauge1, &QProgressBar::valueChanged, this, [&](int progress) {
        if (progress == 8 + 1 && !sinceSignal.isValid()) {
            sinceSignal.start();
            ::kill(::getpid(), SIGTERM);
        }
    });
    form->DownloadName = "qzRate103.exe";
    form->InstallerSizeKB = 64;
    form->BtnDownloadClick();
    QVERIFY(sinceSignal.isValid());
    QVERIFY(sinceSignal.elapsed() < 1000);
    QCOMPARE(form->ReceivedKB, 8);
    QCOMPARE(QDir(dir->filePath("downloads")).entryList(QDir::Files | QDir::Hidden), QStringList{});
}

QTEST_MAIN(TestVersionsForm)
#include "tst_versionsform.moc"
