#pragma once

// What the settings dialog may do to the main window. The dialog lives below the main window's
// library, so it sees the window only through this.
class MainWindowControls {
public:
    virtual ~MainWindowControls() = default;

    // Interval and running state of the download timer; a value it already has changes
    // nothing, so a running count is not restarted needlessly.
    virtual void SetDownloadTimer(int intervalMs, bool enabled) = 0;
    // Enabling a stopped update timer schedules one more check a full interval later.
    virtual void SetUpdateTimerEnabled(bool enabled) = 0;
    // The blinking alarm buttons and their timers.
    virtual void SetAlarmDisplay(bool on) = 0;
    // The alarm check with the rate of the last reading.
    virtual void CheckAlarmAtCurrentRate() = 0;
    virtual bool IsLargeMode() const = 0;
    virtual void ShowLargeSize() = 0;
    virtual void ShowNormalSize() = 0;
};
