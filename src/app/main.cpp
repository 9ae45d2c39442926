#include "alarm/alarmsound.h"
#include "app/commandline.h"
#include "app/mainform.h"
#include "app/windowset.h"
#include "history/chartopener.h"
#include "history/historyexport.h"
#include "history/historyservice.h"
#include "platform/application.h"
#include "platform/applog.h"
#include "platform/desktopnotifier.h"
#include "platform/singleinstance.h"
#include "platform/systembus.h"
#include "platform/terminationsignals.h"
#include "settings/programidentity.h"
#include "settings/settingsstore.h"
#include "sources/httptransfer.h"
#include "support/serviceconfig.h"
#include "support/systeminfo.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Logs once how long the program took to paint its main window for the first time, then has
// the HTTP library loaded off this thread while the first reading is still a second away: the
// window comes up without waiting for it, and no reading waits for it either. What else waits
// for the first paint comes after.
class FirstPaintWatcher : public QObject {
public:
    FirstPaintWatcher(const QElapsedTimer& sinceStart, std::function<void()> then)
        : SinceStart(sinceStart), Then(std::move(then)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            qCInfo(lcApp) << "first paint after" << SinceStart.elapsed() << "ms";
            watched->removeEventFilter(this);
            HttpTransfer::LoadInBackground();
            QMetaObject::invokeMethod(this, Then, Qt::QueuedConnection);
        }
        return false;
    }

private:
    QElapsedTimer SinceStart;
    std::function<void()> Then;
};

int Run(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();

    const CommandLine command = HandleCommandLine(argc, argv);
    if (command.ExitCode)
        return *command.ExitCode;
    if (!command.ExportPath.isEmpty()) {
        // No display and no window: beside a running program too.
        QCoreApplication app(argc, argv);
        return ExportHistoryCommand(HistoryService::UserPath(), command.ExportPath);
    }

    SupportStartup();
    const SettingsStore store(ProductName);
    // Decided before the application object: a second start needs no display to hand over.
    SingleInstance instance(QFileInfo(store.Location()).absolutePath());
    if (instance.HandOver(1000,
                          command.Chart ? SingleInstance::Ask::Chart : SingleInstance::Ask::Window))
        return 0;

    Application app(argc, argv);
    QCoreApplication::setOrganizationName(ProductName);
    QCoreApplication::setApplicationName(ProductName);
    // The main window alone ends the program, whatever other window is open.
    QGuiApplication::setQuitOnLastWindowClosed(false);

    // Watched before the windows exist, so an early signal still ends the program cleanly.
    TerminationSignals termination;
    WindowSet windows{store, WindowSet::Unseen::Later};
    TMainForm& mainForm = *windows.MainForm;
    // Every reading goes into the history, which its own thread opens after the first paint.
    HistoryService history(HistoryService::UserPath());
    ChartOpener chart(history, store.Location());
    windows.Attach(history, chart);
    instance.Listen();
    DesktopNotifier notifier([] { return QDBusConnection::sessionBus(); },
                             DesktopNotifier::EnabledIn(ServiceConfigPath()));
    windows.Attach(notifier);
    // An ending program answers no second start: that one runs on its own.
    windows.Attach(instance, chart);
    QObject::connect(&termination, &TerminationSignals::Received, &mainForm, &TMainForm::close);
    QObject::connect(&mainForm, &TMainForm::Closed, &app, &QCoreApplication::quit);

    // The system bus says when the machine wakes and when the network returns. Connecting
    // to it waits for its daemon: after the first paint, on a thread of its own.
    SystemBus systemBus;
    windows.Attach(systemBus);

    FirstPaintWatcher firstPaint(sinceStart, [&] {
        history.Start();
        history.Backfill(mainForm.Scheduler.Refresh.Services().reference);
        systemBus.Connect();
        if (command.Chart)
            chart.OpenChart();
    });
    mainForm.installEventFilter(&firstPaint);
    mainForm.show();
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    // Large buffers (the bank's files, an export's pages) mapped apart, so they go back to the
    // system when freed, and a heap top trimmed whenever 64 KiB lie free there. Left to itself,
    // glibc raises the mapping threshold, and with it the trim threshold, after the first large
    // buffer, and what a thread's heap took for the backfill then stays for good.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TOP_PAD, 0);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024);
    const int code = Run(argc, argv);
    // Everything of ours has ended here. A system bus that never answered still holds Qt's
    // D-Bus thread, and the exit's clean-up would wait for that thread for ever; once an audio
    // stream was open, Qt Multimedia's clean-up at exit stops its PulseAudio thread while that
    // thread may still run, which now and then aborts the program.
    if (SystemBus::LeftConnecting() || AlarmSound::StreamOpened()) {
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}
