#include "alarm/alarm.h"

Q_LOGGING_CATEGORY(lcAlarm, "qzrate.alarm")

AlarmDecision DecideAlarm(double rate, double upperLimit, double lowerLimit, bool alarmOn,
                          bool soundOn) {
    if (!alarmOn)
        return {.State = AlarmState::Off};
    if (rate < 0.01)
        return {};
    if (rate > upperLimit)
        return {.State = AlarmState::Above,
                .Sound = soundOn ? Sweep::Rising : Sweep::None,
                .ShowMax = true,
                .MaxTimer = true};
    if (rate < lowerLimit)
        return {.State = AlarmState::Below,
                .Sound = soundOn ? Sweep::Falling : Sweep::None,
                .ShowMin = true,
                .MinTimer = true};
    return {.State = AlarmState::Inside, .ShowCheck = true};
}

QString AlarmLogLine(AlarmState state) {
    switch (state) {
    case AlarmState::Off:
        return QStringLiteral("alarm off");
    case AlarmState::Above:
        return QStringLiteral("alarm above");
    case AlarmState::Inside:
        return QStringLiteral("alarm inside");
    case AlarmState::Below:
        return QStringLiteral("alarm below");
    case AlarmState::Unchanged:
        break;
    }
    return QString();
}
