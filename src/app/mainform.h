#pragma once

#include "advice/tradingdesk.h"
#include "alarm/alarmwatch.h"
#include "app/deltahistory.h"
#include "app/mainpanels.h"
#include "app/readingscheduler.h"
#include "settings/settingsstore.h"
#include "widgets/windowdrag.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class SettingsModel;

// The borderless main window: trading parameters (large mode only), advice and the rate line.
// The whole surface drags the window; a right click anywhere opens the popup menu. It knows no
// other window: what it asks of them goes out as signals, which the window set connects.
class TMainForm : public QWidget, public MainPanels {
    Q_OBJECT

public:
    // Follows the settings' size mode; created as FormCreate leaves it.
    TMainForm(const SettingsStore& store, SettingsModel& settings, QWidget* parent = nullptr);
    // Stores the window's position.
    ~TMainForm() override;

    // Writes the rate and the time of the shared reading into Label2 and Label3 and lines the
    // rate line up again; nothing while there is no rate to show.
    void ShowRateLabels();
    // The size mode switched through the settings, which lay the window out.
    void ShowNormalSize();
    void ShowLargeSize();
    bool LargeMode() const;
    // The blinking alarm buttons and their timers.
    void SetAlarmDisplay(bool on);
    // The alarm check with the rate of the last reading.
    void CheckAlarmAtCurrentRate();

    // The scheduler's reading, as the menu's "Download USD" asks for it.
    void RefreshRate();
    void DrawDeltaImage(double rate);

    void ComputeTradingLevels() { Desk.ComputeTradingLevels(); }
    // The advice at the rate of the shared reading, then the alarm check.
    void ShowAdvice();
    // The alarm's check at the trading levels and the applied settings.
    void CheckAlarm(double rate);
    void MaxTimerTimer();
    void SilenceAlarm() { Alarm.SilenceAlarm(); }
    // The reading, the levels and the advice in a row; an error of the reading goes to the
    // general error handler and ends the row.
    void ReadTradingParameters(bool atFirstShowing);

    void FormaatClick();
    void AfsluitenClick();

    // Seam: the screen under a point, the window's top-left corner (the primary screen when
    // none is there).
    std::function<QRect(const QPoint&)> ScreenGeometry;
    RegionalSettings Regional = SystemRegionalSettings();

    // Drags the window from any control; a right press opens the popup menu.
    WindowDrag Drag;
    // The change marks' rate ring with its index and reset flag.
    DeltaHistory Marks;
    // The reading timers, the source choice and the readings at once.
    ReadingScheduler Scheduler;
    // The trading parameters, their levels and the advice; the edits and the panel follow it.
    TradingDesk Desk;
    // The alarm's decision, silence, sweeps and notices; the window draws what it shows.
    AlarmWatch Alarm;

    QTimer MinTimer;
    QTimer MaxTimer;

signals:
    // At the first showing, before the window takes its size: the settings are read again.
    void FirstShown();
    // A failed reading's message, to show over the window.
    void MessageAsked(const QString& line);
    // "Instellingen...": the settings dialog, modal and above this window.
    void SettingsAsked();
    // "Afsluiten": the settings are stored before the window closes.
    void QuitAsked();
    // "Over qzRate...": the information box, modal.
    void AboutAsked();
    // The window was closed: the program ends.
    void Closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Does its work on the first showing only.
    void FormShow();
    void ArrangeWindow();
    // Colours the prefix by the day's change and the rate by the last step.
    void ColourRateLabels();
    // Fills the parameter edits from the sibling program's export. Errors reach the caller;
    // at the first showing a store that names no file means there is nothing to read.
    void ReadTradingFile(bool atFirstShowing = false) {
        Desk.ReadTradingFile(SettingsStore(QStringLiteral("Orvane")), atFirstShowing);
    }
    void BeepRising() { Alarm.BeepRising(); }
    void BeepFalling() { Alarm.BeepFalling(); }
    void MinTimerTimer();
    void LeesOrvaneClick() { ReadTradingParameters(false); }
    void InstellingenClick();
    void ButtonInfoClick();
    // Shows the information box modally.
    void OverqzRateClick();
    void FormCreate();
    // Both sizes' layout: the window's height, the panels shown and stacked, the menu's text.
    void ArrangePanels(bool large);
    // What the controls, the desk and the drag do.
    void ConnectControls();
    void FormDestroy();
    // The steps that follow a reading, in their order.
    void ReadingFinished(const QString& prefix);
    void ShowReferenceLine(const QString& prefix, const ReferenceDay& day,
                           const std::optional<ReferenceDay>& previous);
    void SetLineToolTip(const QString& text);
    // A download tick shows the hourglass until its reading is done; large mode keeps the
    // window above the others.
    void ShowTick();
    void RestoreCursor();
    void ShowAdvice(const AdviceTexts& texts);
    // Where the alarm arrows lie in the window, whether one shows or not.
    QRect ArrowSpot() const;
    // The arrows, their blink and their spot's tooltip.
    void ShowAlarm(const AlarmDisplay& display);

    SettingsStore Store;
    SettingsModel& Settings;
    bool ShownOnce = false;
    QImage DeltaImage;
    // A timer tick shows the hourglass until its reading is done.
    bool WaitCursorShown = false;
    // Where the window was on the screen when it closed.
    std::optional<QRect> PlaceAtClose;
};
