#include "app/marketclock.h"

#include "support/calendar.h"

bool IsOutsideTradingHours(const QTime& time) {
    return time.hour() < 9 || time.hour() * 60 + time.minute() > 17 * 60 + 30;
}

bool IsMarketClosedAt(const QDateTime& localNow) {
    return IsMarketClosedDay(localNow.date()) || IsOutsideTradingHours(localNow.time());
}
