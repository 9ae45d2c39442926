#include "app/ratepresentation.h"

#include "support/texthelpers.h"

#include <QLocale>

#include <cmath>

std::optional<RateLabelTexts> RateLineTexts(const RateReading& reading) {
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

std::optional<RateLabelColours> RateLineColours(const RateReading& reading, bool alarmOn) {
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

ReferenceLineTexts ReferenceLine(const ReferenceDay& day,
                                 const std::optional<ReferenceDay>& previous,
                                 const QString& askedPrefix, QChar decimalSeparator, bool english) {
    ReferenceLineTexts texts;
    texts.Label1 = QStringLiteral("ECB: ");
    texts.Label2 = ReferenceRateText(day, decimalSeparator);
    if (previous) {
        const double change = (ReferenceRate(day) / ReferenceRate(*previous) - 1) * 100;
        const QString percent = FormatFixed(1, 2, change, decimalSeparator) + u'%';
        texts.Label2 +=
            (change > 0 ? QStringLiteral(" (+") : QStringLiteral(" (")) + percent + u')';
    }
    texts.Label3 = QStringLiteral(" @ ") + day.Date.toString(QStringLiteral("dd-MM"));
    const QString page = askedPrefix == u"D2E: " ? QStringLiteral("D2E") : QStringLiteral("IEX");
    const QString date =
        QLocale(english ? QLocale::English : QLocale::Dutch).toString(day.Date, u"d MMMM yyyy");
    texts.ToolTip =
        english ? QStringLiteral("ECB reference rate of %1; %2 gave no rate").arg(date, page)
                : QStringLiteral("ECB-referentiekoers van %1; %2 gaf geen koers").arg(date, page);
    return texts;
}

namespace {

constexpr int WaitWidth = 31;

} // namespace

QString WaitText(const QString& host) {
    const QString text = QStringLiteral("Wacht op ") + host;
    const qsizetype blanks = qMax<qsizetype>(0, WaitWidth - text.size());
    const qsizetype before = blanks / 2;
    return QStringLiteral("\r\n") + QString(before, u' ') + text + QString(blanks - before, u' ') +
           QStringLiteral("\r\n");
}
