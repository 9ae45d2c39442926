#pragma once

#include <QDateTime>
#include <QTime>

// Before 09:00 or after 17:30 (to the minute; seconds are ignored).
bool IsOutsideTradingHours(const QTime& time);
// A closed trading day, or outside trading hours on an open one: the D2E source's time.
bool IsMarketClosedAt(const QDateTime& localNow);
