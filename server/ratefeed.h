#pragma once

#include <QList>
#include <QRandomGenerator>
#include <QString>

#include <optional>

// The dollar's price in euros that the demo pages quote: a small random walk around the
// previous close, or a given series that repeats from its start when it runs out.
class RateFeed {
public:
    explicit RateFeed(double previousClose = 0.9230, quint32 seed = 1);
    explicit RateFeed(const QList<double>& series);

    // The rate for the next request, four decimals.
    double Next();
    // The close the day's change is measured against.
    double PreviousClose() const;

private:
    double previousClose;
    double current;
    QList<double> series;
    qsizetype nextInSeries = 0;
    QRandomGenerator random;
};

// Reads "0,9230;0,9241" (comma or point as decimal mark); nothing when a value is not a
// positive number or the list is empty.
std::optional<QList<double>> ParseRateSeries(const QString& text);
