#include "server/ratefeed.h"

#include <cmath>

namespace {
double Round4(double x) {
    return std::round(x * 10000.0) / 10000.0;
}
} // namespace

RateFeed::RateFeed(double previousClose, quint32 seed)
    : previousClose(previousClose), current(previousClose), random(seed) {}

RateFeed::RateFeed(const QList<double>& series)
    : previousClose(series.value(0)), current(previousClose), series(series) {}

double RateFeed::Next() {
    if (!series.isEmpty()) {
        current = series[nextInSeries];
        nextInSeries = (nextInSeries + 1) % series.size();
        return current;
    }
    // Steps of 1 to 8 pips either way, kept within 3% of the close.
    const int pips = random.bounded(1, 9) * (random.bounded(2) == 0 ? -1 : 1);
    const double next = Round4(current + pips / 10000.0);
    current = std::abs(next - previousClose) > previousClose * 0.03
                  ? Round4(current - pips / 10000.0)
                  : next;
    return current;
}

double RateFeed::PreviousClose() const {
    return previousClose;
}

std::optional<QList<double>> ParseRateSeries(const QString& text) {
    QList<double> rates;
    for (const QString& item : text.split(u';', Qt::SkipEmptyParts)) {
        bool ok = false;
        const double rate = QString(item.trimmed()).replace(u',', u'.').toDouble(&ok);
        if (!ok || !(rate > 0.0))
            return std::nullopt;
        rates.append(rate);
    }
    if (rates.isEmpty())
        return std::nullopt;
    return rates;
}
