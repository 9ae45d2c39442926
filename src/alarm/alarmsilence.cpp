#include "alarm/alarmsilence.h"

void AlarmSilence::Checked(AlarmState state, bool soundOn) {
    if (state == AlarmState::Unchanged)
        return;
    const bool ends = Silence && (state != State || !soundOn);
    State = state;
    SoundOn = soundOn;
    if (ends) {
        Silence = false;
        qCInfo(lcAlarm) << "silence ended";
    }
}

bool AlarmSilence::Click() {
    if (Silence || !Sounds())
        return false;
    Silence = true;
    qCInfo(lcAlarm) << "silenced";
    return true;
}

bool AlarmSilence::Sounds() const {
    return SoundOn && (State == AlarmState::Above || State == AlarmState::Below);
}

QString AlarmSilence::ToolTip() const {
    if (Silence)
        return QStringLiteral("Alarm stil");
    if (Sounds())
        return QStringLiteral("Klik om het geluid van het alarm uit te zetten");
    return QString();
}

bool IsArrowClick(const QRect& spot, const QPoint& pressInWindow, const QPoint& pressOnScreen,
                  const QPoint& releaseOnScreen) {
    const QPoint moved = releaseOnScreen - pressOnScreen;
    return spot.contains(pressInWindow) && QPoint::dotProduct(moved, moved) <= 4 * 4;
}
