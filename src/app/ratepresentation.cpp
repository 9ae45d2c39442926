#include "app/ratepresentation.h"

#include "support/texthelpers.h"

#include <cmath>

std::optional<RateLabelTexts> ShowRateLabels(const RateReading& reading) {
    const QString& rate = reading.RateText;
    if (rate.isEmpty() || rate == NoConnectionCode || rate == NoUsablePageCode)
        return std::nullopt;
    const QString percent = TextBefore(u'%', reading.PercentText);
    RateLabelTexts texts;
    if (percent.isEmpty())
        texts.Label2 = QStringLiteral("***** (****)");
    else if (ParseNumber(percent) > 0)
        texts.Label2 = rate + QStringLiteral(" (+") + reading.PercentText + u')';
    else // a fall brings its own minus sign
        texts.Label2 = rate + QStringLiteral(" (") + reading.PercentText + u')';
    texts.Label3 = QStringLiteral(" @ ") + reading.TimeText;
    return texts;
}

std::optional<RateLabelColours> ColourRateLabels(const RateReading& reading, bool alarmOn) {
    if (reading.TimeText.isEmpty() || reading.TimeText == QStringLiteral("*****"))
        return std::nullopt;
    RateLabelColours colours;
    colours.RunCheckAlarm = alarmOn;
    // Without an opening rate there is no direction to show.
    if (std::fabs(reading.OpeningRate) < 0.01) {
        colours.Label1 = colours.Label2 = RateBlack;
        return colours;
    }
    colours.Label1 = reading.SignText == QStringLiteral("+") ? RateGreen : RateRed;
    const double step = ParseNumber(reading.StepText);
    colours.Label2 = step == 0 ? RateBlue : step > 0 ? RateGreen : RateRed;
    return colours;
}
