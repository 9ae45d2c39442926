#include "sources/ratereaders.h"

#include "support/texthelpers.h"

#include <cmath>
#include <optional>

namespace {
const QString PriceKey = QStringLiteral("190143785LastPrice");
const QString ChangeKey = QStringLiteral("190143785RelativeDifference");
const QString D2ERateKey = QStringLiteral("ratesC1Value");
constexpr qsizetype IEXWindow = 2048; // the change must stand this close after the price
constexpr qsizetype MinPageLength = 50;
// A rate or price text longer than this, or a rate outside these bounds, is no reading.
constexpr qsizetype MaxNumberLength = 12;
constexpr double MinRate = 0.0001;
constexpr double MaxRate = 10000;

// Puts "-1" or "-2" into RateText when the fetch brought no usable page.
bool SetResultCode(RateReading& reading, const FetchResult& page) {
    if (page.sessionOpened && page.text.isEmpty()) {
        reading.RateText = NoConnectionCode;
        return true;
    }
    if (page.text == u"Default.htm" || page.text.size() < MinPageLength) {
        reading.RateText = NoUsablePageCode;
        return true;
    }
    return false;
}

// A number as the page writes it, when it is short and well formed.
std::optional<double> PageNumber(const QString& text) {
    if (text.size() > MaxNumberLength)
        return std::nullopt;
    return ParseWholeNumber(text);
}

bool PlausibleRate(double rate) {
    return rate >= MinRate && rate <= MaxRate;
}

// An implausible rate is no reading at all: everything stays as it was but the code.
void RejectReading(RateReading& reading, const RateReading& before) {
    reading = before;
    reading.RateText = NoUsablePageCode;
}

// The (at most) 2048 characters after the first occurrence of key, or nothing.
std::optional<QString> WindowAfter(const QString& key, const QString& text) {
    const qsizetype at = text.indexOf(key);
    if (at < 0)
        return std::nullopt;
    return text.mid(at + key.size(), IEXWindow);
}
} // namespace

FetchOptions IEXFetchOptions() {
    FetchOptions options;
    options.maxAttempts = 11;
    // Far above any real page, low enough that an endless body costs little memory.
    options.sizeCap = 2 * 1024 * 1024;
    options.reload = true;
    return options;
}

FetchOptions D2EFetchOptions() {
    FetchOptions options;
    options.maxAttempts = 2;
    options.sizeCap = 9000;
    options.reload = false;
    return options;
}

void ReadIEXRate(RateReading& reading, const FetchResult& page, const QDateTime& now,
                 const RegionalSettings& regional) {
    const QChar separator = regional.decimalSeparator;
    const RateReading before = reading;
    reading.RateText.clear();
    reading.ChangeText.clear();
    reading.PercentText.clear();
    if (SetResultCode(reading, page))
        return;

    const std::optional<QString> afterPrice = WindowAfter(PriceKey, page.text);
    if (!afterPrice) {
        reading.RateText = NoUsablePageCode;
        return;
    }
    QString text = TextAfter(u'>', *afterPrice);
    // The page quotes the euro in dollars. Rounded through the text, so RateText and
    // CurrentRate agree exactly.
    const std::optional<double> price = PageNumber(TextBefore(u'<', text));
    const QString rateText =
        price && *price > 0 ? FormatFixed(2, 4, 1.0 / *price, separator) : QString();
    if (!PlausibleRate(ParseNumber(rateText))) {
        RejectReading(reading, before);
        return;
    }

    const double previousRate = reading.CurrentRate;
    reading.RateText = rateText;
    reading.CurrentRate = ParseNumber(reading.RateText);
    if (reading.FirstReading) {
        reading.FirstReading = false;
        reading.OpeningRate = reading.CurrentRate;
        reading.StepText = QStringLiteral("0.0");
    } else {
        reading.StepText = FormatFixed(2, 4, reading.CurrentRate - previousRate, separator);
    }

    // Without the change key the next element after the price is taken.
    if (const std::optional<QString> afterChange = WindowAfter(ChangeKey, text))
        text = *afterChange;
    reading.PercentText = TextBefore(u'<', TextAfter(u'>', text));
    const QString number = TextBefore(u'%', reading.PercentText);
    // The euro's rise is the dollar's fall; a change of 0 becomes -0 and keeps its minus.
    const double relative = -ParseNumber(number.isEmpty() ? reading.PercentText : number);

    reading.SignText = relative > 0 ? QStringLiteral("+") : QStringLiteral("-");
    reading.PercentText = FormatFixed(2, 2, relative, separator) + u'%';
    reading.ChangeText =
        FormatFixed(2, 4, ParseNumber(reading.RateText) * relative / 100, separator);
    // The previous close in dollar terms, as rounded through the texts.
    reading.BaseRate = reading.CurrentRate - ParseNumber(reading.ChangeText);
    reading.DateTimeText = regional.locale.toString(now, regional.dateTimeFormat);
    reading.TimeText = regional.locale.toString(now, regional.timeFormat);
}

void ReadD2ERate(RateReading& reading, const FetchResult& page, const QDateTime& now,
                 const RegionalSettings& regional) {
    const QChar separator = regional.decimalSeparator;
    const RateReading before = reading;
    reading.ChangeText.clear();
    reading.PercentText.clear();
    if (SetResultCode(reading, page))
        return;

    const qsizetype keyAt = page.text.indexOf(D2ERateKey);
    const qsizetype tagEnd = keyAt < 0 ? -1 : page.text.indexOf(u'>', keyAt);
    if (tagEnd < 0) {
        reading.RateText = NoUsablePageCode;
        return;
    }
    const QString rateText = TextBefore(u'<', page.text.mid(tagEnd + 1));
    const std::optional<double> rate = PageNumber(rateText);
    if (!rate || !PlausibleRate(*rate)) {
        RejectReading(reading, before);
        return;
    }

    const double previousRate = reading.CurrentRate;
    reading.RateText = rateText; // as the page writes it
    reading.CurrentRate = *rate;
    reading.StepText = FormatFixed(2, 4, reading.CurrentRate - previousRate, separator);
    if (reading.FirstReading) {
        reading.FirstReading = false;
        reading.OpeningRate = reading.CurrentRate;
        reading.StepText = QStringLiteral("0.0");
    }

    // Against the last IEX base when there is one, else against the opening rate.
    const double change = std::abs(reading.BaseRate) >= 0.0001
                              ? reading.CurrentRate - reading.BaseRate
                              : reading.CurrentRate - reading.OpeningRate;
    reading.SignText = change > 0 ? QStringLiteral("+") : QStringLiteral("-");
    reading.ChangeText = FormatFixed(2, 4, change, separator);
    reading.PercentText = FormatFixed(2, 2, change * 100 / reading.CurrentRate, separator) + u'%';
    // A change as large as the rate itself: it was measured against 0.
    if (reading.PercentText == u"100,00%")
        reading.PercentText = QStringLiteral("***%");
    reading.TimeText = regional.locale.toString(now, regional.timeFormat);
}
