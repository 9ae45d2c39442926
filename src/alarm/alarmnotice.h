#pragma once

#include "alarm/alarm.h"

#include <QChar>
#include <QString>

#include <optional>

// What the desktop notification says when the rate leaves the band: in Dutch when the
// language code is "NLD", in English otherwise, with the rate and the limit it crossed written
// with 4 decimals and the user's decimal separator. Its action silences the alarm.
struct AlarmNotice {
    QString Summary;
    QString Body;
    QString Action;
};

AlarmNotice AlarmNoticeText(bool above, double rate, double limit, const QString& languageCode,
                            QChar decimalSeparator);

// Follows the alarm from check to check and gives a notice only when a check moves the rate
// above or below the band: the first check outside counts, the same state again does not. A
// check without a rate changes nothing; after the alarm was off, the next move out counts.
class AlarmNotices {
public:
    std::optional<AlarmNotice> Checked(AlarmState state, double rate, double upperLimit,
                                       double lowerLimit, const QString& languageCode,
                                       QChar decimalSeparator);

private:
    AlarmState Last = AlarmState::Unchanged;
};
