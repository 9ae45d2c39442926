#include "update/versionsform.h"

#include "platform/screens.h"
#include "settings/programidentity.h"
#include "support/serviceconfig.h"
#include "support/systeminfo.h"
#include "update/installertransfer.h"
#include "update/installrules.h"
#include "update/processes.h"
#include "update/updatelog.h"
#include "update/versionlistthread.h"
#include "widgets/clrbtn.h"
#include "widgets/verdanafont.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QProcess>
#include <QProgressBar>
#include <QSaveFile>
#include <QScopeGuard>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {

const QColor DialogColour(255, 255, 227);
const QColor HoverColour(255, 255, 136);
constexpr int ClientWidth = 428;
constexpr int ClientHeight = 253;
constexpr int PanelHeight = 80;
constexpr int InstallPauseMs = 1000;

TClrBtn* ColourButton(const QString& text, QWidget* parent, const QRect& rect) {
    auto* button = new TClrBtn(text, parent);
    button->setGeometry(rect);
    button->setFont(VerdanaFont(16));
    return button;
}

void SetBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// The file name joined to the base address's path, so '?', '#' or ':' in it stay part of it.
QUrl AddressOf(const QUrl& base, const QString& fileName) {
    QUrl url = base;
    url.setPath(base.path() + fileName, QUrl::DecodedMode);
    return url;
}

QPoint CentredOver(const QRect& outer, const QSize& own) {
    return {outer.left() + (outer.width() - own.width()) / 2,
            outer.top() + (outer.height() - own.height()) / 2};
}

} // namespace

TVersionsForm::TVersionsForm(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(VerdanaFont(14));
    setFixedSize(ClientWidth, ClientHeight);

    Panel1 = new QFrame(this);
    Panel1->setGeometry(0, ClientHeight - PanelHeight, ClientWidth, PanelHeight);
    Gauge1 = new QProgressBar(Panel1);
    Gauge1->setGeometry(13, 10, 400, 17);
    Gauge1->setFormat(QStringLiteral("%p%"));
    Gauge1->setAlignment(Qt::AlignCenter);
    Gauge1->setValue(0);
    Gauge1->hide();
    BtnDownload = ColourButton(QStringLiteral("Download nu"), Panel1, {29, 35, 170, 35});
    BtnExit = ColourButton(QStringLiteral("Download later"), Panel1, {235, 35, 170, 35});
    connect(BtnDownload, &QPushButton::clicked, this, &TVersionsForm::BtnDownloadClick);
    connect(BtnExit, &QPushButton::clicked, this, &TVersionsForm::BtnExitClick);

    Memo1 = new QTextEdit(this);
    Memo1->setGeometry(0, 0, ClientWidth, 177);
    Memo1->setReadOnly(true);
    QTextOption centred = Memo1->document()->defaultTextOption();
    centred.setAlignment(Qt::AlignHCenter);
    Memo1->document()->setDefaultTextOption(centred);
}

TVersionsForm::~TVersionsForm() {
    Abort();
}

void TVersionsForm::FormCreate() {
    SetBackground(this, DialogColour);
    SetBackground(Panel1, DialogColour);
    BtnDownload->SetColours(DialogColour, HoverColour);
    BtnExit->SetColours(DialogColour, HoverColour);

    Dutch = LanguageCode() == QStringLiteral("NLD");
    Publisher = SystemServiceConfig().publisher;
    ProgramFolderPath = ProgramFolder();
    DownloadFolderPath = DownloadFolder();
    ProgramFileName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

void TVersionsForm::FormShow() {
    setWindowTitle(ProductName + QStringLiteral(" - Update"));
    // The first showing of a run centres on the main window, whoever asked for it.
    if (!ShownBefore && MainWindow)
        move(CentredOver(FrameOnScreen(*MainWindow), frameGeometry().size()));
    ShownBefore = true;
}

void TVersionsForm::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

QString TVersionsForm::Text(const char* dutch, const char* english) const {
    return QString::fromUtf8(Dutch ? dutch : english);
}

QStringList TVersionsForm::Lines() const {
    return MemoLines;
}

void TVersionsForm::ClearMemo() {
    MemoLines.clear();
    Memo1->clear();
}

// The text box drops a leading empty line when appended to, so it is given all lines at once.
void TVersionsForm::AddLine(const QString& line) {
    MemoLines.append(line);
    Memo1->setPlainText(MemoLines.join(u'\n'));
}

void TVersionsForm::SetGaugeProgress(int progress) {
    // A progress past the maximum shows as full.
    Gauge1->setValue(std::min(progress, Gauge1->maximum()));
}

bool TVersionsForm::WaitUntil(const bool& done) {
    QEventLoop loop;
    Waiting = &loop;
    emit waitStarted();
    // Also returns when the application quits all its event loops.
    if (!done && !Aborted)
        loop.exec();
    Waiting = nullptr;
    return done && !Aborted;
}

void TVersionsForm::SetResult(const QString& Text) {
    VersionListText = Text;
    ListDelivered = true;
    Conclude();
    EndWait();
}

void TVersionsForm::EndWait() {
    if (Waiting)
        Waiting->quit();
}

void TVersionsForm::Abort() {
    Aborted = true;
    EndWait();
    if (isVisible())
        reject();
}

std::optional<CheckCode> TVersionsForm::CheckVersion(QString& Name, QString& Latest) {
    // The dialog open with an outcome or a download counts as a check still running.
    if (Busy() || Aborted || isVisible())
        return std::nullopt;

    CheckedName = Name;
    Concluded.reset();
    bool pinged = false;
    const auto pingDone = connect(&Ping, &PingServer::finished, this, [&](int ms) {
        PingMs = ms;
        pinged = true;
        if (ms <= 0)
            Conclude();
        EndWait();
    });
    Ping.Start(Publisher.host());
    const bool pingEnded = WaitUntil(pinged);
    disconnect(pingDone);
    if (!pingEnded) {
        Ping.Cancel();
        return std::nullopt;
    }

    VersionListText.clear();
    ListDelivered = false;
    if (PingMs > 0) {
        TThread1 worker(AddressOf(Publisher, QStringLiteral("versions.dat")));
        connect(&worker, &TThread1::resultReady, this, &TVersionsForm::SetResult);
        worker.start();
        // Leaving the scope stops the worker, also when the program ends meanwhile.
        if (!WaitUntil(ListDelivered))
            return std::nullopt;
    }

    Name = Concluded->name;
    Latest = Concluded->latest;
    return Concluded->code;
}

// Taken as soon as the check's last answer is in, so that a showing waiting for it gets it at once,
// whatever event loop the check itself still waits in.
void TVersionsForm::Conclude() {
    const VersionCheckResult result =
        ::CheckVersion(PingMs, VersionListText, CheckedName, VersionText, InstallerSizeKB);
    qCInfo(lcUpdate).noquote() << CheckLogLine(result);
    InstallerSizeKB = result.installerSizeKB;
    // Only a download of the showing that follows may make the exit button install.
    InstallerReady = false;
    Concluded = result;
    if (AwaitingOutcome) {
        AwaitingOutcome = false;
        ShownEarly = true;
        DownloadName = result.name;
        ShowOutcome(result.code, result.latest);
    }
}

void TVersionsForm::AddVersionLines(const QString& version, const QString& latest) {
    AddLine(Text("Uw huidige versie is ", "Your current version is ") + version);
    AddLine(Text("De nieuwste versie is ", "The latest version is ") + latest);
    AddLine(Text("De Downloadnaam is ", "The Download Name is ") + DownloadName);
}

void TVersionsForm::OfferUpdate(const QString& exitCaption) {
    BtnExit->show();
    // The package manager updates a program in a system folder; it must not replace itself.
    if (IsSystemFolder(ProgramFolderPath)) {
        AddLine(QString());
        AddLine(Text("Werk bij via het pakketbeheer van uw systeem.",
                     "Update through your system's package manager."));
        BtnDownload->hide();
        BtnExit->setText(Text("Sluit Venster", "Close Window"));
        return;
    }
    BtnDownload->setText(Text("Start Downloaden", "Start Downloading"));
    BtnDownload->show();
    BtnExit->setText(exitCaption);
}

void TVersionsForm::AutoCheck() {
    DownloadName = ProductName;
    CurrentVersion = VersionText;
    ShownEarly = false;
    QString latest;
    const std::optional<CheckCode> code = CheckVersion(DownloadName, latest);
    if (!code || ShownEarly)
        return;
    ClearMemo();
    AddLine(QString());
    if (*code != CheckCode::UpdateAdvised)
        return;
    AddLine(Text("Een Update wordt aanbevolen", "Update is advised"));
    AddLine(QString());
    AddVersionLines(CurrentVersion, latest);
    OfferUpdate(QStringLiteral("Download Later"));
    exec();
    InstallerName = DownloadName;
    DownloadBase = Publisher;
    BtnDownload->show();
    BtnExit->show();
}

void TVersionsForm::ManualCheck(int Top, int Left, int Height, int Width) {
    if (Busy()) {
        // Shown at once without a loop of its own: the running check or download goes on and its
        // outcome takes this line's place.
        move(CentredOver(QRect(Left, Top, Width, Height), frameGeometry().size()));
        ClearMemo();
        AddLine(QString());
        AddLine(Text("Er loopt al een controle.", "A check is already running."));
        ShowCloseOnly();
        // No download of this showing yet: its exit button only closes.
        InstallerReady = false;
        AwaitingOutcome = true;
        setModal(true);
        show();
        return;
    }
    DownloadName = ProductName;
    ShownEarly = false;
    QString latest;
    const std::optional<CheckCode> code = CheckVersion(DownloadName, latest);
    if (!code)
        return;
    if (!ShownEarly) {
        move(CentredOver(QRect(Left, Top, Width, Height), frameGeometry().size()));
        ShowOutcome(*code, latest);
    } else if (!isVisible()) {
        return;
    }
    exec();
    raise();
}

void TVersionsForm::ShowOutcome(CheckCode code, const QString& latest) {
    ClearMemo();
    AddLine(QString());
    switch (code) {
    case CheckCode::UpToDate:
        AddLine(Text("Een Update is niet nodig,", "No Update is needed,"));
        AddLine(Text("u heeft de nieuwste versie.", "you are using the latest version."));
        AddLine(Text("Uw huidige versie is ", "Your current version is ") + VersionText + u'.');
        break;
    case CheckCode::NoText:
        AddLine(Text("De server reageert niet", "No reaction from Server"));
        break;
    case CheckCode::NotUsable:
        AddLine(Text("Het bestand is te klein", "File not downloaded correctly"));
        break;
    case CheckCode::NameNotFound:
        AddLine(Text("Programma-naam niet gevonden", "Program Name not found"));
        break;
    case CheckCode::UpdateAdvised:
        AddLine(Text("Een Update wordt aanbevolen", "Update is advised"));
        break;
    case CheckCode::NoPing:
        AddLine(Text("Ping naar ", "Ping to ") + Publisher.host() +
                Text(" geeft Time-out", " gives Time-out"));
        break;
    }
    if (code == CheckCode::UpdateAdvised) {
        AddLine(QString());
        AddVersionLines(VersionText, latest);
        InstallerName = DownloadName;
        DownloadBase = Publisher;
        OfferUpdate(QStringLiteral("Download later"));
    } else {
        ShowCloseOnly();
    }
}

void TVersionsForm::ShowCloseOnly() {
    BtnExit->setText(Text("Sluit Venster", "Close Window"));
    BtnDownload->hide();
    BtnExit->show();
}

void TVersionsForm::BtnDownloadClick() {
    if (Busy())
        return;
    InstallerName = DownloadName;
    DownloadBase = Publisher;
    const bool ok = DownloadFile(InstallerName, DownloadBase);
    // A showing that waited for this download gets its outcome: the offer again after a failure.
    const bool awaited = std::exchange(AwaitingOutcome, false);
    if (!ok) {
        if (awaited && Concluded)
            ShowOutcome(Concluded->code, Concluded->latest);
        return;
    }
    ClearMemo();
    AddLine(QString());
    AddLine(InstallerName + Text(" is met succes gedownload", " has been succesfully downloaded"));
    AddLine(Text("Klik \"Installeer\" om het progamma te installeren",
                 "Click \"Install\" to install the progam"));
    BtnExit->setText(Text("Installeer", "Install"));
    BtnDownload->hide();
    BtnExit->show();
    InstallerReady = true;
    BtnExit->setFocus();
}

void TVersionsForm::BtnExitClick() {
    if (InstallerReady)
        StartInstallation();
    else
        accept();
}

// Only the program's own installers, and only once the new one is complete: a failed download
// leaves every file as it was. The new file itself took its namesake's place in the download
// folder.
void TVersionsForm::DeleteOldFiles(const QString& fileName) {
    const QString oldName = OldInstallerName(ProductName, VersionText);
    const QString newFile = DownloadFolderPath + fileName;
    for (const auto& [folder, name] :
         {std::pair{ProgramFolderPath, oldName}, std::pair{ProgramFolderPath, fileName},
          std::pair{DownloadFolderPath, oldName}}) {
        if (folder + name != newFile &&
            MayDeleteInProgramFolder(name, ProductName, ProgramFileName))
            QFile::remove(folder + name);
    }
}

bool TVersionsForm::DownloadFile(const QString& FileName, const QUrl& Base) {
    Gauge1->show();
    Gauge1->setMaximum(std::max(1, InstallerSizeKB));
    Gauge1->setValue(0);

    // Written beside its place and renamed into it only once complete, so a failed download
    // never leaves a partial installer.
    QSaveFile file(DownloadFolderPath + FileName);
    // A fresh account may not have its download folder yet.
    QDir().mkpath(DownloadFolderPath);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error(QStringLiteral("Cannot create %1: %2")
                                     .arg(file.fileName(), file.errorString())
                                     .toStdString());
    const bool ok = DownloadToStream(file, AddressOf(Base, FileName));
    if (!ok) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return false;
    DeleteOldFiles(FileName);
    return true;
}

bool TVersionsForm::DownloadToStream(QIODevice& Stream, const QUrl& Url) {
    ReceivedKB = 0;
    if (Busy() || Aborted)
        return false;
    InstallerTransfer transfer;
    bool done = false;
    bool ok = false;
    connect(&transfer, &InstallerTransfer::progress, &transfer, [this](int receivedKB) {
        ReceivedKB = receivedKB;
        SetGaugeProgress(ReceivedKB + 1);
    });
    connect(&transfer, &InstallerTransfer::finished, &transfer, [&](bool success) {
        ok = success;
        done = true;
        EndWait();
    });
    if (!transfer.Start(Url, &Stream, DownloadLimitBytes(InstallerSizeKB)))
        return false;
    // Leaving the scope ends the transfer, also when the program ends meanwhile.
    return WaitUntil(done) && ok;
}

void TVersionsForm::StartInstallation() {
    // One installer per showing: a second click while this one runs does nothing.
    BtnExit->setEnabled(false);
    const QString name = InstallerDisplayName(InstallerName);
    AddLine(QString());
    AddLine(Dutch ? QStringLiteral("De installatie van %1 wordt gestart.").arg(name)
                  : QStringLiteral("The installation of %1 is started.").arg(name));
    const QString installer = DownloadFolderPath + InstallerName;
    QFile::setPermissions(installer, QFile::permissions(installer) | QFile::ExeOwner);
    const bool started = QProcess::startDetached(
        installer, {QStringLiteral("/SP-"), QStringLiteral("/silent"), QStringLiteral("/noicons")});
    if (!started) {
        AddLine(Text("Installatie is mislukt.", "Installation failed."));
        BtnExit->setEnabled(true);
        return;
    }
    AddLine(Dutch ? QStringLiteral("De installatie van %1 is gestart.").arg(name)
                  : QStringLiteral("The installation of %1 has started.").arg(name));
    // The line is painted during the pause before the program ends.
    bool paused = false;
    QTimer pause;
    pause.setSingleShot(true);
    // A coarse timer may end up to 5 % early; the line stays a full second.
    pause.setTimerType(Qt::PreciseTimer);
    connect(&pause, &QTimer::timeout, &pause, [&] {
        paused = true;
        EndWait();
    });
    pause.start(InstallPauseMs);
    WaitUntil(paused);
    TerminateAll(ProgramFolderPath + ProductName + QStringLiteral("_Sched"));
    accept();
    if (EndProgram)
        EndProgram();
}
