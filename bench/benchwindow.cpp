#include "bench/benchwindow.h"

#include "app/mainform.h"
#include "app/windows.h"
#include "settings/settingsstore.h"

#include <QEventLoop>
#include <QTimer>

BenchHome::BenchHome() {
    qputenv("XDG_CONFIG_HOME", Folder.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", Folder.filePath(QStringLiteral("data")).toUtf8());
}

QString BenchHome::Ini() const {
    return Folder.filePath(QStringLiteral("qzRate.ini"));
}

BenchWindow::BenchWindow(const BenchHome& home) : Listens(Iex.Listen() && D2e.Listen()) {
    qputenv("QZRATE_IEX_URL", Iex.Url().toString().toUtf8());
    qputenv("QZRATE_D2E_URL", D2e.Url().toString().toUtf8());
    Set = std::make_unique<Windows>(SettingsStore::AtPath(home.Ini()));
    Main = Set->MainForm.get();
    Main->show();
    Main->TimerStart.stop();
    Main->DownloadTimer.stop();
    Main->StartPending = false;
}

BenchWindow::~BenchWindow() = default;

void RunEventLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
