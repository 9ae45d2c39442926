#include "platform/terminationsignals.h"
#include "server/scriptedhttpserver.h"
#include "testkit/testhome.h"
#include "update/processes.h"
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

// Counts the showings of a window.
class ShowCounter : public QObject {
public:
    int Count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        Count += event->type() == QEvent::Show;
        return false;
    }
};

ScriptedAnswer Answer(const QByteArray& body, int status = 200) {
    return {.status = status, .body = body};
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
    void oldFilesDeletedOnlyOnceTheNewOneIsComplete();
    void stalledDownloadFails();
    void installation_data();
    void installation();
    void secondClickOnInstallStartsNothing();
    void installerThatCannotStart_data();
    void installerThatCannotStart();
    void checkNuWhileACheckRunsShowsItsOutcome();
    void earlyShowingClosedBeforeTheOutcomeStaysClosed();
    void downloadTakesTheOffersPlace();
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
        if (form->isVisible())
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
    // No answers: the ping brings none.
    QTest::newRow("no ping") << false << QList<QByteArray>{}
                             << QStringList{"", "Ping to 127.0.0.1 gives Time-out"} << false
                             << "Close Window";
    QTest::newRow("no ping, Dutch")
        << true << QList<QByteArray>{} << QStringList{"", "Ping naar 127.0.0.1 geeft Time-out"}
        << false << "Sluit Venster";
}

void TestVersionsForm::manualCheckShowsTheOutcome() {
    QFETCH(bool, dutch);
    QFETCH(QList<QByteArray>, answers);
    QFETCH(QStringList, lines);
    QFETCH(bool, downloadOffered);
    QFETCH(QString, exitCaption);
    for (const QByteArray& body : answers)
        server->Enqueue(Answer(body));
    if (answers.isEmpty())
        form->Ping.Program = "/nonexistent/ping";
    form->Dutch = dutch;
    // As after a download in an earlier showing that the title bar closed.
    form->InstallerReady = true;
    int ended = 0;
    form->EndProgram = [&] { ++ended; };

    bool downloadVisible = false;
    QString downloadCaption;
    const auto shown = Shown([&] { form->ManualCheck(0, 0, 300, 500); },
                             [&] {
                                 downloadVisible = form->BtnDownload->isVisible();
                                 downloadCaption = form->BtnDownload->text();
                                 QTest::mouseClick(form->BtnExit, Qt::LeftButton);
                             });
    QVERIFY(shown);
    QCOMPARE(*shown, lines);
    QCOMPARE(downloadVisible, downloadOffered);
    if (downloadOffered)
        QCOMPARE(downloadCaption, QString(dutch ? "Start Downloaden" : "Start Downloading"));
    QCOMPARE(form->BtnExit->text(), exitCaption);
    QCOMPARE(form->InstallerName, QString(downloadOffered ? "qzRate103.exe" : ""));
    // The exit button only closes: an installer runs only after this showing's own download.
    QCOMPARE(form->result(), int(QDialog::Accepted));
    QCOMPARE(ended, 0);
    QVERIFY(!form->InstallerReady);
    QCOMPARE(server->RequestCount(), answers.size());
    if (!answers.isEmpty()) {
        QCOMPARE(server->Requests().first().Path(), QByteArray("/versions.dat"));
        QCOMPARE(server->Requests().first().Header("Cache-Control"), QByteArray("no-cache"));
    }
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
        QCOMPARE(form->DownloadBase, server->Url());
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
    QCOMPARE(form->windowTitle(), QString("qzRate - Update"));
    QCOMPARE(form->size(), QSize(428, 253));
    QCOMPARE(form->palette().color(QPalette::Window), QColor(255, 255, 227));
    QVERIFY(form->BtnExit->styleSheet().contains("#ffffe3") &&
            form->BtnDownload->styleSheet().contains("#ffff88"));
    // Centred by the frame, 432 x 257, dividing toward zero: over a smaller window it sticks
    // out to the left and above.
    QCOMPARE(form->frameGeometry().size(), QSize(432, 257));
    QCOMPARE(first, QPoint(82, 11));
    QCOMPARE(second, QPoint(334, 422));
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
    // Both buttons are back once the dialog closed.
    QVERIFY(form->BtnDownload->isVisibleTo(form.get()));
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
    QTest::addColumn<bool>("dutch");
    const QByteArray big(1000 * 2048, 'i');
    QTest::newRow("1000 pieces") << Answer(big) << 2000 << true << 2000 << false;
    QTest::newRow("larger than listed, within twice")
        << Answer(big) << 1000 << true << 2000 << false;
    QTest::newRow("2047 bytes") << Answer(QByteArray(2047, 'i')) << 2 << false << 1 << false;
    QTest::newRow("2048 bytes, Dutch") << Answer(QByteArray(2048, 'i')) << 2 << true << 2 << true;
    QTest::newRow("error page") << Answer(QByteArray(8192, 'e'), 404) << 8 << false << 8 << false;
    QTest::newRow("status 300") << Answer(QByteArray(8192, 'e'), 300) << 8 << false << 8 << false;
    QTest::newRow("status 299") << Answer(QByteArray(8192, 'i'), 299) << 8 << true << 8 << false;
    QTest::newRow("cut off after 4 KB")
        << ScriptedAnswer{.body = big, .cutAfter = 4096} << 2000 << false << 4 << false;
    QTest::newRow("over twice the listed size")
        << Answer(QByteArray(8192, 'i')) << 3 << false << 6 << false;
}

void TestVersionsForm::download() {
    QFETCH(ScriptedAnswer, answer);
    QFETCH(int, sizeKB);
    QFETCH(bool, ok);
    QFETCH(int, receivedKB);
    QFETCH(bool, dutch);
    server->Enqueue(answer);
    form->Dutch = dutch;
    // Made when missing.
    form->DownloadFolderPath = dir->filePath("new/downloads/");
    form->DownloadName = "qzRate103.exe";
    form->InstallerSizeKB = sizeKB;
    QVERIFY(form->Gauge1->isHidden());
    form->BtnDownloadClick();
    QCOMPARE(form->ReceivedKB, receivedKB);
    QCOMPARE(server->Requests().first().Path(), QByteArray("/qzRate103.exe"));
    // Always from the server, never from a cache on the way.
    QCOMPARE(server->Requests().first().Header("Cache-Control"), QByteArray("no-cache"));
    QVERIFY(form->Gauge1->isVisibleTo(form.get()));
    QCOMPARE(form->Gauge1->value(), std::min(receivedKB + 1, sizeKB));
    QCOMPARE(form->InstallerReady, ok);
    QCOMPARE(form->BtnDownload->isVisibleTo(form.get()), !ok);
    // Only the complete installer is ever in the download folder.
    const QStringList files =
        QDir(dir->filePath("new/downloads")).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(files, ok ? QStringList{"qzRate103.exe"} : QStringList{});
    // A failure shows nothing.
    QCOMPARE(form->Lines().isEmpty(), !ok);
    if (ok) {
        QCOMPARE(QFileInfo(dir->filePath("new/downloads/qzRate103.exe")).size(),
                 answer.body.size());
        QCOMPARE(form->Lines(),
                 (dutch ? QStringList{"", "qzRate103.exe is met succes gedownload",
                                      "Klik \"Installeer\" om het progamma te installeren"}
                        : QStringList{"", "qzRate103.exe has been succesfully downloaded",
                                      "Click \"Install\" to install the progam"}));
        QCOMPARE(form->BtnExit->text(), QString(dutch ? "Installeer" : "Install"));
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

void TestVersionsForm::oldFilesDeletedOnlyOnceTheNewOneIsComplete() {
    const QStringList present{"program/qzRate1.02.exe", "program/qzrate",
                              "program/qzRate_Sched",   "program/python3.11",
                              "program/qzRate103.exe",  "downloads/qzRate1.02.exe",
                              "downloads/python3.11"};
    for (const QString& file : present)
        WriteFile(dir->filePath(file), "x");
    const auto files = [this](const QString& folder) {
        return QDir(dir->filePath(folder)).entryList(QDir::Files, QDir::Name);
    };
    // A failed download deletes nothing, not even the file the server named.
    server->Enqueue(Answer("", 404));
    form->DownloadName = "python3.11";
    form->BtnDownloadClick();
    QCOMPARE(files("program"), (QStringList{"python3.11", "qzRate1.02.exe", "qzRate103.exe",
                                            "qzRate_Sched", "qzrate"}));
    QCOMPARE(files("downloads"), (QStringList{"python3.11", "qzRate1.02.exe"}));
    // A complete one takes the program's old installers along, never the program's own files.
    for (const QString name : {"qzrate", "qzRate_Sched", "qzRate103.exe"}) {
        server->Enqueue(Answer(QByteArray(2048, 'n')));
        form->DownloadName = name;
        form->BtnDownloadClick();
    }
    QCOMPARE(files("program"), (QStringList{"python3.11", "qzRate_Sched", "qzrate"}));
    QCOMPARE(files("downloads"),
             (QStringList{"python3.11", "qzRate103.exe", "qzRate_Sched", "qzrate"}));
    QCOMPARE(QFileInfo(dir->filePath("program/qzrate")).size(), 1);
}

void TestVersionsForm::stalledDownloadFails() {
    // 8 KB, then the connection stays open without a byte.
    server->Enqueue({.body = QByteArray(64 * 1024, 'i'), .cutAfter = 8192, .hangAfterCut = true});
    QElapsedTimer sinceLastPiece;
    connect(form->Gauge1, &QProgressBar::valueChanged, this, [&] { sinceLastPiece.start(); });
    // Long past the time-out, the program's end stops the download.
    QTimer::singleShot(30000, form.get(), &TVersionsForm::Abort);
    form->DownloadName = "qzRate103.exe";
    form->InstallerSizeKB = 64;
    form->BtnDownloadClick();
    const qint64 stalledMs = sinceLastPiece.elapsed();
    QCOMPARE(form->ReceivedKB, 8);
    QVERIFY(!form->InstallerReady);
    QVERIFY2(stalledMs >= 19900 && stalledMs < 23000, qPrintable(QString::number(stalledMs)));
}

void TestVersionsForm::installation_data() {
    QTest::addColumn<bool>("dutch");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("English") << false
                             << QStringList{"", "The installation of qzRate is started.",
                                            "The installation of qzRate has started."};
    QTest::newRow("Dutch") << true
                           << QStringList{"", "De installatie van qzRate wordt gestart.",
                                          "De installatie van qzRate is gestart."};
}

void TestVersionsForm::installation() {
    QFETCH(bool, dutch);
    QFETCH(QStringList, lines);
    // The stand-in installer records its arguments next to itself.
    WriteFile(dir->filePath("downloads/qzrate103.run"),
              "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\n", true);
    const QString schedulerPath = dir->filePath("program/qzRate_Sched");
    QFile::copy("/bin/sleep", schedulerPath);
    QProcess scheduler;
    scheduler.start(schedulerPath, {"60"});
    QVERIFY(scheduler.waitForStarted());
    int ended = 0;
    bool schedulerStopped = false;
    form->EndProgram = [&] {
        ++ended;
        schedulerStopped = FindProcess(schedulerPath) == 0;
    };
    form->Dutch = dutch;
    form->InstallerName = "qzrate103.run";
    form->InstallerReady = true;

    // A monotonic clock started before the click cannot read the pause short.
    QElapsedTimer clock;
    clock.start();
    form->BtnExitClick();
    // The last line is in view for a full second before the program ends.
    QVERIFY2(clock.elapsed() >= 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(ended, 1);
    QVERIFY(schedulerStopped);
    QCOMPARE(form->Lines(), lines);
    QTRY_COMPARE(scheduler.state(), QProcess::NotRunning);
    QFile args(dir->filePath("downloads/qzrate103.run.args"));
    QTRY_VERIFY(args.size() > 0);
    QVERIFY(args.open(QIODevice::ReadOnly));
    QCOMPARE(args.readAll(), QByteArray("/SP-\n/silent\n/noicons\n"));
}

void TestVersionsForm::secondClickOnInstallStartsNothing() {
    // The stand-in installer notes each start.
    WriteFile(dir->filePath("downloads/qzrate103.run"), "#!/bin/sh\necho started >> \"$0.log\"\n",
              true);
    int ended = 0;
    form->EndProgram = [&] { ++ended; };
    // Should a second installation be left waiting in a nested loop, the program's end frees it
    // as it frees every running loop.
    QTimer::singleShot(5000, form.get(), [] { QCoreApplication::exit(); });
    form->InstallerName = "qzrate103.run";
    form->InstallerReady = true;
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    // The second click comes while the first waits its second before the end.
    QTimer::singleShot(150, form.get(),
                       [this] { QTest::mouseClick(form->BtnExit, Qt::LeftButton); });
    QTest::mouseClick(form->BtnExit, Qt::LeftButton);
    QCOMPARE(ended, 1);
    QFile log(dir->filePath("downloads/qzrate103.run.log"));
    QTRY_VERIFY(log.size() > 0);
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(), QByteArray("started\n"));
}

void TestVersionsForm::installerThatCannotStart_data() {
    QTest::addColumn<bool>("dutch");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("Dutch") << true
                           << QStringList{"", "De installatie van qzRate wordt gestart.",
                                          "Installatie is mislukt."};
    QTest::newRow("English") << false
                             << QStringList{"", "The installation of qzRate is started.",
                                            "Installation failed."};
}

void TestVersionsForm::installerThatCannotStart() {
    QFETCH(bool, dutch);
    QFETCH(QStringList, lines);
    int ended = 0;
    form->EndProgram = [&] { ++ended; };
    form->Dutch = dutch;
    form->InstallerName = "qzRate103.exe";
    form->InstallerReady = true;
    form->show();
    // A failed start leaves the button ready for another try.
    QTest::mouseClick(form->BtnExit, Qt::LeftButton);
    QTest::mouseClick(form->BtnExit, Qt::LeftButton);
    QCOMPARE(ended, 0);
    QCOMPARE(form->Lines(), lines + lines);
    QVERIFY(form->isVisible());
}

// "Check nu" while the automatic check waits for its list shows the dialog at once, and the
// check's outcome takes the place of its line in that same showing, even while the settings
// dialog it was asked from is still open.
void TestVersionsForm::checkNuWhileACheckRunsShowsItsOutcome() {
    server->Enqueue({.body = "qzRate,qzRate103.exe,b,1400\r\n" + Padding, .delayMs = 1000});
    form->InstallerReady = true;
    ShowCounter showings;
    form->installEventFilter(&showings);
    QDialog settings;
    int waits = 0;
    QStringList waiting;
    bool readyWhileWaiting = true;
    connect(form.get(), &TVersionsForm::waitStarted, this, [&] {
        // The second wait is the one for the list.
        if (++waits == 2)
            QTimer::singleShot(0, &settings, [&] {
                QTimer::singleShot(0, form.get(), [&] {
                    form->ManualCheck(0, 0, 300, 500);
                    waiting = form->Lines();
                    readyWhileWaiting = form->InstallerReady;
                });
                settings.exec();
            });
    });
    QStringList outcome;
    bool settingsOpen = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        if (form->isVisible() && form->Lines() != waiting) {
            outcome = form->Lines();
            settingsOpen = settings.isVisible();
            form->reject();
            settings.reject();
        }
    });
    watch.start(10);
    QTimer::singleShot(10000, &settings, &QDialog::reject);
    form->AutoCheck();
    QCOMPARE(waiting, (QStringList{"", "A check is already running."}));
    QVERIFY(!readyWhileWaiting);
    QCOMPARE(outcome, AdvisedLines);
    QVERIFY(settingsOpen);
    QCOMPARE(showings.Count, 1);
    QCOMPARE(server->RequestCount(), 1);
}

void TestVersionsForm::earlyShowingClosedBeforeTheOutcomeStaysClosed() {
    server->Enqueue({.body = "qzRate,qzRate103.exe,b,1400\r\n" + Padding, .delayMs = 300});
    ShowCounter showings;
    form->installEventFilter(&showings);
    int waits = 0;
    connect(form.get(), &TVersionsForm::waitStarted, this, [&] {
        if (++waits == 2)
            QTimer::singleShot(0, form.get(), [&] {
                form->ManualCheck(0, 0, 300, 500);
                form->reject();
            });
    });
    QTimer::singleShot(3000, form.get(), &QDialog::reject);
    form->ManualCheck(0, 0, 300, 500);
    QCOMPARE(showings.Count, 1);
}

void TestVersionsForm::downloadTakesTheOffersPlace() {
    server->Enqueue(Answer("qzRate,qzRate103.exe,b,1400\r\n" + Padding));
    server->Enqueue(Answer(QByteArray(700 * 2048, 'i')));
    QStringList after;
    const auto shown = Shown([&] { form->ManualCheck(0, 0, 300, 500); },
                             [&] {
                                 QTest::mouseClick(form->BtnDownload, Qt::LeftButton);
                                 after = form->Lines();
                             });
    QCOMPARE(shown, AdvisedLines);
    QCOMPARE(after, (QStringList{"", "qzRate103.exe has been succesfully downloaded",
                                 "Click \"Install\" to install the progam"}));
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
