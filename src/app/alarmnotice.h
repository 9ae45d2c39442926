#pragma once

#include <QChar>
#include <QString>

// What the desktop notification says when the rate leaves the band: in Dutch when the
// language code is "NLD", in English otherwise, with the rate and the limit it crossed written
// with 4 decimals and the user's decimal separator.
struct AlarmNotice {
    QString Summary;
    QString Body;
};

AlarmNotice AlarmNoticeText(bool above, double rate, double limit, const QString& languageCode,
                            QChar decimalSeparator);
