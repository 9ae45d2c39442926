#pragma once

#include "sources/ratereading.h"
#include "sources/referencerates.h"

#include <QColor>
#include <QString>

#include <optional>

inline const QColor RateGreen(0, 128, 0);
inline const QColor RateRed(255, 0, 0);
inline const QColor RateBlue(0, 0, 255);
inline const QColor RateBlack(0, 0, 0);

// What Label2 and Label3 of the rate line read.
struct RateLabelTexts {
    QString Label2;
    QString Label3;
};

// The rate line's texts, or nothing when there is no rate to show: no reading yet, or a
// result code, so the labels keep the last rate they showed.
std::optional<RateLabelTexts> RateLineTexts(const RateReading& reading);

// What a reading does to the rate line's colours and whether the alarm is checked.
struct RateLabelColours {
    bool RunCheckAlarm = false;
    QColor Label1; // direction over the day
    QColor Label2; // direction of the last step
};

// Nothing while the reading carries no time: then the colours stay as they are and the
// alarm is not checked.
std::optional<RateLabelColours> RateLineColours(const RateReading& reading, bool alarmOn);

// The rate line when a reading brought no rate and the central bank's reference rate stands in:
// "ECB: " in place of the page's prefix, the rate with its change against the day before, the
// day (dd-MM) in place of the time, and a tooltip that says what it is and which page failed.
struct ReferenceLineTexts {
    QString Label1;
    QString Label2;
    QString Label3;
    QString ToolTip;
};
// askedPrefix: the failed page's ("USD: " for IEX, "D2E: "); english: the language setting.
ReferenceLineTexts ReferenceLine(const ReferenceDay& day,
                                 const std::optional<ReferenceDay>& previous,
                                 const QString& askedPrefix, QChar decimalSeparator, bool english);

// The waiting label's text: "Wacht op <host>" centred with blanks to 31 characters, between
// two line breaks. A longer text is kept whole.
QString WaitText(const QString& host);
