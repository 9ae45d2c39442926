#pragma once

#include <QByteArrayView>
#include <QChar>
#include <QDate>
#include <QList>
#include <QString>

#include <optional>

// One working day of the central bank's euro reference rates: the dollars one euro bought.
struct ReferenceDay {
    QDate Date;
    double UsdPerEuro = 0.0;

    bool operator==(const ReferenceDay&) const = default;
};

// Reads the central bank's reference-rate file (the day's, the 90 days' or the full history):
// a gesmes Envelope holding a Cube of dated Cubes, each holding a Cube per currency. Nothing
// when the document is not such a file, is not well-formed XML or carries a DTD (entity
// declarations included): it is refused whole. Otherwise the usable days, newest first, perhaps
// none. A day is left out when it has no USD rate or more than one, when its USD rate is not a
// plain positive decimal ("1.0543") from 0.2 to 5, when its date is not yyyy-MM-dd or lies after
// the day after today, or when its date comes twice in the file.
std::optional<QList<ReferenceDay>> ReadReferenceRates(QByteArrayView xml, const QDate& today);

// The dollar in euros, as the widget shows it: 1/r to four decimals.
double ReferenceRate(const ReferenceDay& day);
// ReferenceRate written with four decimals and the given decimal separator ("0,9485").
QString ReferenceRateText(const ReferenceDay& day, QChar decimalSeparator);
