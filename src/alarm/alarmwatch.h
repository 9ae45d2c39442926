#pragma once

#include "alarm/alarm.h"
#include "alarm/alarmnotice.h"
#include "alarm/alarmsilence.h"
#include "alarm/alarmsound.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// What the window shows of the alarm after a check or a click on the arrow.
struct AlarmDisplay {
    // The arrows struck through, and their spot's tooltip (AlarmSilence::ToolTip).
    bool Silenced = false;
    QString ToolTip;
    // After a check that changed the state: the arrows shown and blinking. With the alarm off
    // all three hide and the blink is left as it is. A click leaves the arrows alone.
    std::optional<AlarmDecision> Arrows;
};

// The alarm from check to check: its decision, its silence, its sweeps and its notices to the
// desktop. What it shows goes out as DisplayChanged, which the window draws.
class AlarmWatch : public QObject {
    Q_OBJECT

public:
    explicit AlarmWatch(QObject* parent = nullptr);

    // The band runs from lower to upper; the notice speaks the language of languageCode.
    void CheckAlarm(double rate, double upper, double lower, bool alarmOn, bool soundOn,
                    const QString& languageCode, QChar decimalSeparator);
    // Each asks for one series of sweeps and returns at once; the series of one reading play
    // one after another.
    void BeepRising();
    void BeepFalling();
    // A click on the arrow or the notification's action: silences an alarm that sounds.
    void SilenceAlarm();

    // Plays a sweep without waiting for it; tests record the sweeps instead.
    std::function<void(Sweep)> PlaySweep = [this](Sweep sweep) { Sound.Play(sweep); };
    AlarmSilence Silence;

signals:
    void DisplayChanged(const AlarmDisplay& display);
    // To the desktop; the action (empty with the sound off) silences the alarm.
    void NoticeRaised(const QString& summary, const QString& body, const QString& action);
    // The notice shown is out of date: the rate came back, the alarm went off or was silenced.
    void NoticeWithdrawn();

private:
    AlarmSound Sound;
    AlarmNotices Notices;
};
