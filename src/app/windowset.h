#pragma once

#include "settings/settingsmodel.h"
#include "settings/settingsstore.h"

#include <QTimer>

#include <memory>

class ChartOpener;
class DesktopNotifier;
class HistoryService;
class QObject;
class SingleInstance;
class SystemBus;
class TAboutBox;
class TMainForm;
class TMessageForm;
class TOptionsForm;
class TTerminateForm;
class TVersionsForm;

// The program's six windows, and the one place that wires them to each other and to what the
// program runs beside them. Each window is created in this order and runs its creation handler
// at once; they are destroyed in the reverse order, the settings dialog and the main window
// storing their positions as they go.
class WindowSet {
public:
    // Unseen::Later makes only the main window and the settings dialog (whose creation applies
    // the settings to the main window) at once. The four windows the user does not see at
    // start follow right after the main window's first paint, so that paint does not wait for
    // them; a timer tick or input that comes sooner has them made first, so nothing that
    // could use them ever finds them missing.
    enum class Unseen { Now, Later };
    explicit WindowSet(const SettingsStore& store, Unseen unseen = Unseen::Now);
    ~WindowSet();

    WindowSet(const WindowSet&) = delete;
    WindowSet& operator=(const WindowSet&) = delete;

    // The alarm's changes of state go to the desktop too; its action silences the alarm.
    void Attach(DesktopNotifier& notifier);
    // Readings at once when the machine wakes and when the network returns.
    void Attach(SystemBus& bus);
    // Every reading goes into the history, whose reference days stand in for a failed reading;
    // the menu item opens the chart, which draws the trading levels. Both end before this set:
    // the chart asks the main window for the levels.
    void Attach(HistoryService& history, ChartOpener& chart);
    // A second start shows the main window, or opens the chart; an ending program answers none.
    void Attach(SingleInstance& instance, ChartOpener& chart);

    // What the windows and the timers run with; the settings dialog edits it.
    SettingsModel Settings;
    // Once, a minute after the settings are applied with the update check on: the automatic
    // check.
    QTimer UpdateTimer;

    // Members are destroyed bottom to top: the reverse of their creation.
    std::unique_ptr<TMainForm> MainForm;
    std::unique_ptr<TOptionsForm> OptionsForm;
    std::unique_ptr<TAboutBox> AboutBox;
    std::unique_ptr<TVersionsForm> VersionsForm;
    std::unique_ptr<TMessageForm> MessageForm;
    std::unique_ptr<TTerminateForm> TerminateForm;

private:
    // What the settings switch at once and at each application, wired before the dialog's
    // creation applies them.
    void WireSettings();
    // The main window's commands and changes that the settings dialog answers.
    void WireOptionsForm();
    void MakeUnseen();

    SettingsStore Store;
    // Watches for the first paint, tick or input while the unseen windows are still to come.
    std::unique_ptr<QObject> UnseenWatch;
};
