#pragma once

#include "settings/settingsstore.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class TClrBtn;
class QRadioButton;
class QSpinBox;
class SettingsModel;

// The settings dialog: the download timer, the alarm, the update check and the size mode, edited
// in the settings model. Its two check boxes act the moment they change; "OK" applies and
// stores, "Cancel" goes back to the stored values. Created loaded and applied.
class TOptionsForm : public QDialog {
    Q_OBJECT

public:
    TOptionsForm(const SettingsStore& store, SettingsModel& settings, QWidget* parent = nullptr);
    // Stores the position and the stored values again, dropping unconfirmed changes.
    ~TOptionsForm() override;

    // Store -> controls; a control whose state changes runs its handler as a click would.
    void LoadSettings();
    // The main window's first showing reads the settings again; the sound box stays disabled
    // until the alarm is applied again.
    void FirstShowing();
    // Controls -> the applied settings, the size mode and the timers.
    void ApplySettings();
    // Position and controls -> store.
    void SaveSettings();
    void ApplyDownloadTimer();
    void ApplyAlarm();
    // The size mode's changes check the matching radio button here.
    void CheckSizeMode(bool large);
    // The alarm's limits, as the advice at the last rate has them.
    void ShowLimits(const QString& upper, const QString& lower);

    // "Check nu": the manual version check with this dialog's top, left, height and width.
    std::function<void(int, int, int, int)> CheckNow;

    QGroupBox* GroupBox1;
    QCheckBox* DownloadCheck;
    QLabel* Label2;
    QSpinBox* SecondsEdit;
    QLabel* Label3;
    QGroupBox* GroupBox2;
    QCheckBox* AlarmCheck;
    QLabel* Label1;
    QLabel* LabelBoven;
    QLabel* Label4;
    QLabel* LabelOnder;
    QCheckBox* GeluidCheck;
    QGroupBox* GroupBox4;
    QCheckBox* UpdatesCheck;
    TClrBtn* BtnCheck;
    QGroupBox* ModusBox;
    QRadioButton* RadioNormal;
    QRadioButton* RadioGroot;
    TClrBtn* BtnOK;
    TClrBtn* BtnCancel;

private:
    void FormCreate();
    void BtnOKClick();
    void BtnCancelClick();
    void FormDestroy();

    SettingsStore Store;
    SettingsModel& Settings;
};
