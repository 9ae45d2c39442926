#pragma once

#include <QDate>

// Saturdays, Sundays, 1 January, 1 May, 25 and 26 December, Good Friday and Easter Monday.
bool IsMarketClosedDay(const QDate& date);
// Gregorian Easter Sunday, for years 1583 to 9999.
QDate EasterSunday(int year);
