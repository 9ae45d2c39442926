#include "app/windowset.h"

#include "app/mainform.h"
#include "app/messageform.h"
#include "history/chartopener.h"
#include "history/historyservice.h"
#include "history/storedreading.h"
#include "info/aboutbox.h"
#include "platform/application.h"
#include "platform/desktopnotifier.h"
#include "platform/screens.h"
#include "platform/singleinstance.h"
#include "platform/systembus.h"
#include "settings/optionsform.h"
#include "sources/ratereading.h"
#include "update/terminateform.h"
#include "update/versionsform.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWindow>

#include <exception>
#include <functional>

namespace {

// Runs make once: soon after the watched window's first paint, or at once on the first timer
// tick or input event of this thread, whichever comes first.
class FirstPaintOrTick : public QObject {
public:
    FirstPaintOrTick(QObject& window, std::function<void()> make)
        : Window(window), Make(std::move(make)) {
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &Window && event->type() == QEvent::Paint)
            // After the paint and its flush to the screen: the next turn of the event loop.
            QMetaObject::invokeMethod(this, &FirstPaintOrTick::Fire, Qt::QueuedConnection);
        else if ((event->type() == QEvent::Timer && qobject_cast<QTimer*>(watched)) ||
                 event->isInputEvent())
            Fire();
        return false;
    }

private:
    void Fire() {
        if (!Make)
            return;
        qApp->removeEventFilter(this);
        std::exchange(Make, nullptr)();
    }

    QObject& Window;
    std::function<void()> Make;
};

} // namespace

WindowSet::WindowSet(const SettingsStore& store, Unseen unseen) : Settings(store), Store(store) {
    UpdateTimer.setInterval(60000);
    UpdateTimer.setSingleShot(true);
    MainForm = std::make_unique<TMainForm>(store, Settings);
    WireSettings();
    OptionsForm = std::make_unique<TOptionsForm>(store, Settings);
    WireOptionsForm();
    if (unseen == Unseen::Now)
        MakeUnseen();
    else
        UnseenWatch = std::make_unique<FirstPaintOrTick>(*MainForm, [this] { MakeUnseen(); });
}

void WindowSet::WireSettings() {
    TMainForm& main = *MainForm;
    QObject::connect(&Settings, &SettingsModel::DownloadTimerChanged, &main.Scheduler,
                     &ReadingScheduler::SetDownloadTimer);
    QObject::connect(&Settings, &SettingsModel::UpdatesApplied, &UpdateTimer,
                     [this](bool on) { SetTimerRunning(UpdateTimer, on); });
    QObject::connect(&Settings, &SettingsModel::AlarmShown, &main, [&main](bool on) {
        main.SetAlarmDisplay(on);
        // The check asks the applied setting, which a click alone has not changed yet.
        if (on)
            main.CheckAlarmAtCurrentRate();
    });
}

void WindowSet::WireOptionsForm() {
    TMainForm& main = *MainForm;
    TOptionsForm& options = *OptionsForm;
    QObject::connect(&main, &TMainForm::FirstShown, &options, &TOptionsForm::FirstShowing);
    QObject::connect(&main.Desk, &TradingDesk::AdviceChanged, &options,
                     [&options](const AdviceTexts& texts) {
                         options.ShowLimits(texts.LabelBoven, texts.LabelOnder);
                     });
    QObject::connect(&main, &TMainForm::SettingsAsked, &options, [&main, &options] {
        // Above the main window even when it stays on top in large mode.
        options.winId();
        options.windowHandle()->setTransientParent(main.windowHandle());
        options.exec();
    });
    QObject::connect(&main, &TMainForm::QuitAsked, &options, [&options] {
        // A save that fails is reported while the main window is still open: once it has
        // closed the program is ending and an error box would vanish at once. The program
        // ends either way.
        try {
            options.SaveSettings();
        } catch (const std::exception& error) {
            Application::ShowException(QString::fromLocal8Bit(error.what()));
        }
    });
}

void WindowSet::MakeUnseen() {
    AboutBox = std::make_unique<TAboutBox>(Store);
    AboutBox->MainForm = MainForm.get();
    QObject::connect(MainForm.get(), &TMainForm::AboutAsked, AboutBox.get(), &TAboutBox::exec);
    AboutBox->FormCreate();
    VersionsForm = std::make_unique<TVersionsForm>();
    VersionsForm->FormCreate();
    VersionsForm->MainWindow = MainForm.get();
    VersionsForm->EndProgram = [this] { MainForm->close(); };
    OptionsForm->CheckNow = [this](int top, int left, int height, int width) {
        VersionsForm->ManualCheck(top, left, height, width);
    };
    QObject::connect(&UpdateTimer, &QTimer::timeout, VersionsForm.get(), &TVersionsForm::AutoCheck);
    // Ending the program stops a running check or download at once.
    QObject::connect(MainForm.get(), &TMainForm::Closed, VersionsForm.get(), &TVersionsForm::Abort);
    MessageForm = std::make_unique<TMessageForm>(MainForm->palette().color(QPalette::Window));
    QObject::connect(MainForm.get(), &TMainForm::MessageAsked, MessageForm.get(),
                     [&main = *MainForm, &form = *MessageForm](const QString& line) {
                         const QRect place = FrameOnScreen(main);
                         form.ShowTimed(place.top(), place.left(), main.height(), main.width(),
                                        line, QString(), 5000);
                     });
    AboutBox->ShowTimed = [form = MessageForm.get()](int top, int left, int height, int width,
                                                     const QString& line1, const QString& line2,
                                                     int intervalMs) {
        form->ShowTimed(top, left, height, width, line1, line2, intervalMs);
    };
    TerminateForm = std::make_unique<TTerminateForm>();
    TerminateForm->FormCreate();
}

WindowSet::~WindowSet() = default;

void WindowSet::Attach(DesktopNotifier& notifier) {
    AlarmWatch& alarm = MainForm->Alarm;
    QObject::connect(&alarm, &AlarmWatch::NoticeRaised, &notifier, &DesktopNotifier::Notify);
    QObject::connect(&alarm, &AlarmWatch::NoticeWithdrawn, &notifier, &DesktopNotifier::Close);
    QObject::connect(&notifier, &DesktopNotifier::SilenceAsked, &alarm, &AlarmWatch::SilenceAlarm);
}

void WindowSet::Attach(SystemBus& bus) {
    ReadingScheduler& scheduler = MainForm->Scheduler;
    QObject::connect(&bus, &SystemBus::Woke, &scheduler, &ReadingScheduler::Woke);
    QObject::connect(&bus, &SystemBus::NetworkState, &scheduler, &ReadingScheduler::NetworkState);
}

void WindowSet::Attach(HistoryService& history, ChartOpener& chart) {
    TMainForm& main = *MainForm;
    QObject::connect(&main.Scheduler.Refresh, &RefreshCycle::ReadingTaken, &history,
                     [&history, &main](ReadingSource source) {
                         history.Keep(StoredReadingOf(SharedRateReading(), source,
                                                      main.Scheduler.Clock().toMSecsSinceEpoch()));
                     });
    QObject::connect(main.Koersverloop, &QAction::triggered, &chart, &ChartOpener::OpenChart);
    chart.Levels = [&desk = main.Desk] {
        return std::pair{desk.Trading.BuyLevel, desk.Trading.SellLevel};
    };
    QObject::connect(&history, &HistoryService::ReferenceHeld, &main.Scheduler.Refresh,
                     &RefreshCycle::HoldReference);
    QObject::connect(&main.Scheduler.Refresh, &RefreshCycle::ReferenceFetched, &history,
                     &HistoryService::KeepReference);
}

void WindowSet::Attach(SingleInstance& instance, ChartOpener& chart) {
    TMainForm& main = *MainForm;
    QObject::connect(&instance, &SingleInstance::Activated, &main, [&main] {
        main.setWindowState(main.windowState() & ~Qt::WindowMinimized);
        main.show();
        main.raise();
        main.activateWindow();
    });
    QObject::connect(&instance, &SingleInstance::ChartAsked, &chart, &ChartOpener::OpenChart);
    QObject::connect(&main, &TMainForm::Closed, &instance, &SingleInstance::Close);
}
