#pragma once

#include "update/pingserver.h"
#include "update/versioncheck.h"

#include <QDialog>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <optional>

class QEventLoop;
class QFrame;
class QIODevice;
class QProgressBar;
class QTextEdit;
class TClrBtn;
class TThread1;

// The update dialog: the version check, the download of a newer installer and its start.
// Checks and downloads wait in a local event loop, so the window and the rest of the program
// keep going; a check asked for while one runs waits for that one's outcome.
class TVersionsForm : public QDialog {
    Q_OBJECT

public:
    explicit TVersionsForm(QWidget* parent = nullptr);
    ~TVersionsForm() override;

    void FormCreate();
    void FormShow();

    // Silent unless an update is advised.
    void AutoCheck();
    // Always shows the outcome, centred over the window given by its top, left, height, width.
    // While a check or download runs it shows at once that one runs, and then its outcome.
    void ManualCheck(int Top, int Left, int Height, int Width);
    // The check proper; nothing when a check already runs, the dialog is open, or the program
    // ends during it. Every outcome takes back InstallerReady.
    // Name goes in as the program's name and comes out as the installer's file name.
    std::optional<CheckCode> CheckVersion(QString& Name, QString& Latest);

    void BtnDownloadClick();
    void BtnExitClick();
    bool DownloadFile(const QString& FileName, const QUrl& Base);
    bool DownloadToStream(QIODevice& Stream, const QUrl& Url);
    void StartInstallation();

    // The program ends: a running check or download stops at once, the dialog closes.
    void Abort();
    // A check or a download runs.
    bool Busy() const { return Waiting != nullptr; }
    // Memo1's lines.
    QStringList Lines() const;
    // Where the worker delivers the version list.
    void SetResult(const QString& Text);

    QTextEdit* Memo1;
    QFrame* Panel1;
    QProgressBar* Gauge1;
    TClrBtn* BtnDownload;
    TClrBtn* BtnExit;

    // The update state, kept for the run.
    QString DownloadName;
    QString CurrentVersion;
    QString InstallerName;
    QUrl DownloadBase;
    int InstallerSizeKB = 0;
    bool InstallerReady = false;
    int ReceivedKB = 0;
    QString VersionListText;

    // Seams, set from the support facts at creation; tests put their own here.
    bool Dutch = false;
    QUrl Publisher;
    QString ProgramFolderPath;  // ends in '/'
    QString DownloadFolderPath; // ends in '/'
    QString ProgramFileName;
    PingServer Ping;
    // Set by the window set: the window the first showing centres on, and how the program ends.
    QPointer<QWidget> MainWindow;
    std::function<void()> EndProgram;

signals:
    // Each time a check or a download starts waiting, for tests.
    void waitStarted();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Runs the event loop until done is set or Abort is called; false after an Abort.
    bool WaitUntil(const bool& done);
    void EndWait();
    void ClearMemo();
    void AddLine(const QString& line);
    void SetGaugeProgress(int progress);
    QString Text(const char* dutch, const char* english) const;
    void AddVersionLines(const QString& version, const QString& latest);
    // Code 4: lines and buttons for a download, or the package manager's line.
    void OfferUpdate(const QString& exitCaption);
    // The outcome lines of a manual check and the buttons that go with them.
    void ShowOutcome(CheckCode code, const QString& latest);
    void ShowCloseOnly();
    // Works out the check's outcome from its answers.
    void Conclude();
    void DeleteOldFiles(const QString& fileName);

    QStringList MemoLines;
    QString CheckedName;
    int PingMs = 0;
    std::optional<VersionCheckResult> Concluded;
    // A showing waits for the outcome of the check or download that runs.
    bool AwaitingOutcome = false;
    // The running check's outcome went to such a showing.
    bool ShownEarly = false;
    QEventLoop* Waiting = nullptr;
    bool Aborted = false;
    bool ListDelivered = false;
    bool ShownBefore = false;
};
