#pragma once

#include "alarm/alarm.h"

#include <QPoint>
#include <QRect>
#include <QString>

// Whether the user has silenced the alarm they have seen. A click silences an alarm that
// sounds (the rate outside the band, the alarm and its sound on); the silence lasts until the
// alarm's state changes (inside the band, out on the other side, the alarm off) or its sound is
// switched off. A check without a rate (a failed reading keeps the state as well) changes
// nothing. Nothing is stored: a restart sounds again.
class AlarmSilence {
public:
    // After every check of the alarm.
    void Checked(AlarmState state, bool soundOn);
    // A click on the arrow, or the notification's action. True when it silenced the alarm.
    bool Click();

    bool Silenced() const { return Silence; }
    // What the arrow's tooltip says: "Alarm stil" while silenced, how to silence while the
    // alarm sounds, nothing otherwise.
    QString ToolTip() const;

private:
    bool Sounds() const;

    AlarmState State = AlarmState::Unchanged;
    bool SoundOn = false;
    bool Silence = false;
};

// A left-button press on the arrow's spot, both in the window's coordinates, and its release at
// most 4 pixels away on the screen, since the window may move under the mouse in between. The
// spot is taken at the press.
bool IsArrowClick(const QRect& spot, const QPoint& pressInWindow, const QPoint& pressOnScreen,
                  const QPoint& releaseOnScreen);
