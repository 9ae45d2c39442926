#pragma once

#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcAlarm)

enum class Sweep { None, Rising, Falling };

enum class AlarmState {
    Unchanged, // a rate under 0.01: no rate to judge
    Off,       // every alarm button hidden, the blink timers left as they are
    Above,
    Inside,
    Below,
};

// What one alarm check does: the sweep to play first, then the buttons and blink timers.
// The buttons and timers only count for Above, Inside and Below.
struct AlarmDecision {
    AlarmState State = AlarmState::Unchanged;
    Sweep Sound = Sweep::None;
    bool ShowMax = false;
    bool ShowCheck = false;
    bool ShowMin = false;
    bool MaxTimer = false;
    bool MinTimer = false;
};

// A rate equal to a limit counts as inside; with both limits 0 every rate counts as above.
AlarmDecision DecideAlarm(double rate, double upperLimit, double lowerLimit, bool alarmOn,
                          bool soundOn);

// "alarm above", "alarm inside", "alarm below" or "alarm off"; empty when nothing changes.
QString AlarmLogLine(AlarmState state);
