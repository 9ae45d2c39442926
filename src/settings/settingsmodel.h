#pragma once

#include "settings/appliedsettings.h"
#include "settings/settingsstore.h"

#include <QObject>

// The values the settings dialog edits, as the store holds them.
struct StoredSettings {
    bool DownloadOn = true;
    int Seconds = 30;
    bool AlarmOn = true;
    bool SoundOn = true;
    bool UpdatesOn = true;
    bool NormalMode = true;
};

// The settings the program runs with: the applied values, the size mode, and what the settings
// dialog's check boxes change at once. The dialog edits it; the main window, its reading timers
// and the update timer follow its signals, so neither side knows the other.
class SettingsModel : public QObject {
    Q_OBJECT
public:
    static constexpr int MinSeconds = 5;
    static constexpr int MaxSeconds = 600;

    explicit SettingsModel(const SettingsStore& store, QObject* parent = nullptr);

    // The stored values, the interval within MinSeconds to MaxSeconds. An interval still
    // stored in minutes is stored in seconds at once: the main window's first showing loads
    // again, and the interval must not fall back to the default there.
    StoredSettings Load();
    // In the order of the fields; a write that fails throws, and the values after it are not
    // written.
    void Save(const StoredSettings& values);

    const AppliedSettings& Applied() const { return AppliedValues; }
    // Announces the update switch each time, changed or not: a stopped update timer runs again.
    void Apply(const AppliedSettings& applied);
    // The download timer's interval and running state, at once.
    void SetDownloadTimer(int intervalMs, bool on);
    // The alarm buttons shown or not, at once; the applied AlarmOn changes only with Apply.
    void ShowAlarm(bool on);
    bool LargeMode() const { return LargeModeValue; }
    // Announced also when the mode is already the one asked for: its layout is applied again.
    void SetLargeMode(bool large);
    // The size command stores its mode itself; throws as Save does.
    void StoreSizeMode();

signals:
    void DownloadTimerChanged(int intervalMs, bool on);
    void UpdatesApplied(bool on);
    // The alarm buttons follow at once; shown, the alarm is checked at the last rate.
    void AlarmShown(bool on);
    void LargeModeChanged(bool large);

private:
    SettingsStore Store;
    AppliedSettings AppliedValues;
    // Normal until the settings are applied.
    bool LargeModeValue = false;
};
