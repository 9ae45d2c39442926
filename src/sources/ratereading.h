#pragma once

#include <QString>

// The one program-wide set of rate variables, written by the two readers. "-1" (no
// connection) and "-2" (no usable page) stand in RateText in place of a rate.
struct RateReading {
    double CurrentRate = 0.0;
    double OpeningRate = 0.0;
    double BaseRate = 0.0;
    bool FirstReading = false;
    QString RateText;
    QString ChangeText;
    QString StepText;
    QString PercentText;
    QString SignText;
    QString TimeText;
    QString DateTimeText;
};

// Where a reading came from: the IEX page in market hours, the D2E page at other times.
enum class ReadingSource { IEX = 0, D2E = 1 };

inline const QString NoConnectionCode = QStringLiteral("-1");
inline const QString NoUsablePageCode = QStringLiteral("-2");

// The program's shared reading.
RateReading& SharedRateReading();
