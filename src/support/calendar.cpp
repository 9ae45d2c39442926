#include "support/calendar.h"

bool IsMarketClosedDay(const QDate& date) {
    const int weekday = date.dayOfWeek();
    if (weekday == Qt::Saturday || weekday == Qt::Sunday)
        return true;
    const int month = date.month();
    const int day = date.day();
    if ((month == 1 && day == 1) || (month == 5 && day == 1) ||
        (month == 12 && (day == 25 || day == 26)))
        return true;
    const QDate easter = EasterSunday(date.year());
    return date == easter.addDays(-2) || date == easter.addDays(1);
}

QDate EasterSunday(int year) {
    const int a = year % 19;
    const int b = year / 100;
    const int c = year % 100;
    const int d = b / 4;
    const int e = b % 4;
    const int f = (b + 8) / 25;
    const int g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4;
    const int k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int n = h + l - 7 * m + 114;
    return QDate(year, n / 31, n % 31 + 1);
}
