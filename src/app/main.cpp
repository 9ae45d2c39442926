#include "app/commandline.h"
#include "app/mainform.h"
#include "app/windows.h"
#include "platform/application.h"
#include "platform/applog.h"
#include "platform/desktopnotifier.h"
#include "platform/singleinstance.h"
#include "platform/terminationsignals.h"
#include "settings/programidentity.h"
#include "settings/settingsstore.h"
#include "sources/httptransfer.h"
#include "support/serviceconfig.h"
#include "support/systeminfo.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>

namespace {

// Logs once how long the program took to paint its main window for the first time, then has
// the HTTP library loaded off this thread while the first reading is still a second away: the
// window comes up without waiting for it, and no reading waits for it either.
class FirstPaintWatcher : public QObject {
public:
    explicit FirstPaintWatcher(const QElapsedTimer& sinceStart) : SinceStart(sinceStart) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            qCInfo(lcApp) << "first paint after" << SinceStart.elapsed() << "ms";
            watched->removeEventFilter(this);
            HttpTransfer::LoadInBackground();
        }
        return false;
    }

private:
    QElapsedTimer SinceStart;
};

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();

    if (const std::optional<int> exitCode = HandleCommandLine(argc, argv))
        return *exitCode;

    SupportStartup();
    const SettingsStore store(ProductName);
    // Decided before the application object: a second start needs no display to hand over.
    SingleInstance instance(QFileInfo(store.Location()).absolutePath());
    if (instance.HandOver())
        return 0;

    Application app(argc, argv);
    QCoreApplication::setOrganizationName(ProductName);
    QCoreApplication::setApplicationName(ProductName);
    // The main window alone ends the program, whatever other window is open.
    QGuiApplication::setQuitOnLastWindowClosed(false);

    // Watched before the windows exist, so an early signal still ends the program cleanly.
    TerminationSignals termination;
    Windows windows{store};
    TMainForm& mainForm = *windows.MainForm;
    instance.Listen();
    DesktopNotifier notifier(QDBusConnection::sessionBus(),
                             DesktopNotifier::EnabledIn(ServiceConfigPath()));
    mainForm.Notifier = &notifier;
    QObject::connect(&notifier, &DesktopNotifier::SilenceAsked, &mainForm,
                     &TMainForm::SilenceAlarm);
    QObject::connect(&instance, &SingleInstance::Activated, &mainForm, [&mainForm] {
        mainForm.setWindowState(mainForm.windowState() & ~Qt::WindowMinimized);
        mainForm.show();
        mainForm.raise();
        mainForm.activateWindow();
    });
    // An ending program answers no second start: that one runs on its own.
    QObject::connect(&mainForm, &TMainForm::Closed, &instance, &SingleInstance::Close);
    QObject::connect(&termination, &TerminationSignals::Received, &mainForm, &TMainForm::close);
    QObject::connect(&mainForm, &TMainForm::Closed, &app, &QCoreApplication::quit);

    FirstPaintWatcher firstPaint(sinceStart);
    mainForm.installEventFilter(&firstPaint);
    mainForm.show();
    return app.exec();
}
