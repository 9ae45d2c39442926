#include "alarm/alarmwatch.h"

AlarmWatch::AlarmWatch(QObject* parent) : QObject(parent) {}

void AlarmWatch::CheckAlarm(double rate, double upper, double lower, bool alarmOn, bool soundOn,
                            const QString& languageCode, QChar decimalSeparator) {
    const AlarmDecision alarm = DecideAlarm(rate, upper, lower, alarmOn, soundOn);
    if (alarm.State == AlarmState::Unchanged)
        return;
    qCInfo(lcAlarm).noquote() << AlarmLogLine(alarm.State);
    Silence.Checked(alarm.State, soundOn);
    const std::optional<AlarmNotice> notice =
        Notices.Checked(alarm.State, rate, upper, lower, languageCode, decimalSeparator);
    if (notice)
        emit NoticeRaised(notice->Summary, notice->Body, soundOn ? notice->Action : QString());
    else if (alarm.State == AlarmState::Inside || alarm.State == AlarmState::Off)
        emit NoticeWithdrawn();
    // A silenced alarm still shows, without a sound.
    if (!Silence.Silenced()) {
        if (alarm.Sound == Sweep::Rising)
            BeepRising();
        else if (alarm.Sound == Sweep::Falling)
            BeepFalling();
    }
    emit DisplayChanged({Silence.Silenced(), Silence.ToolTip(), alarm});
}

void AlarmWatch::BeepRising() {
    if (PlaySweep)
        PlaySweep(Sweep::Rising);
}

void AlarmWatch::BeepFalling() {
    if (PlaySweep)
        PlaySweep(Sweep::Falling);
}

void AlarmWatch::SilenceAlarm() {
    if (!Silence.Click())
        return;
    Sound.Stop();
    emit NoticeWithdrawn();
    emit DisplayChanged({Silence.Silenced(), Silence.ToolTip(), std::nullopt});
}
