#include "alarm/alarmnotice.h"

#include "support/texthelpers.h"

#include <utility>

AlarmNotice AlarmNoticeText(bool above, double rate, double limit, const QString& languageCode,
                            QChar decimalSeparator) {
    const QString rateText = FormatFixed(1, 4, rate, decimalSeparator);
    const QString limitText = FormatFixed(1, 4, limit, decimalSeparator);
    if (languageCode == u"NLD") {
        const QString action = QStringLiteral("Stil");
        if (above)
            return {QStringLiteral("Koers boven de bovengrens"),
                    QStringLiteral("De dollar staat op %1, boven de bovengrens van %2.")
                        .arg(rateText, limitText),
                    action};
        return {QStringLiteral("Koers onder de ondergrens"),
                QStringLiteral("De dollar staat op %1, onder de ondergrens van %2.")
                    .arg(rateText, limitText),
                action};
    }
    const QString action = QStringLiteral("Silence");
    if (above)
        return {QStringLiteral("Rate above the upper limit"),
                QStringLiteral("The dollar stands at %1, above the upper limit of %2.")
                    .arg(rateText, limitText),
                action};
    return {QStringLiteral("Rate below the lower limit"),
            QStringLiteral("The dollar stands at %1, below the lower limit of %2.")
                .arg(rateText, limitText),
            action};
}

std::optional<AlarmNotice> AlarmNotices::Checked(AlarmState state, double rate, double upperLimit,
                                                 double lowerLimit, const QString& languageCode,
                                                 QChar decimalSeparator) {
    if (state == AlarmState::Unchanged)
        return std::nullopt;
    const AlarmState before = std::exchange(Last, state);
    if (state == before || (state != AlarmState::Above && state != AlarmState::Below))
        return std::nullopt;
    const bool above = state == AlarmState::Above;
    return AlarmNoticeText(above, rate, above ? upperLimit : lowerLimit, languageCode,
                           decimalSeparator);
}
