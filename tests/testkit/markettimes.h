#pragma once

#include <QDateTime>

// Noon on a trading day and on a closed day, for the window's clock.
inline const QDateTime OpenTime(QDate(2026, 3, 10), QTime(12, 0));   // a Tuesday
inline const QDateTime ClosedTime(QDate(2026, 3, 14), QTime(12, 0)); // a Saturday
