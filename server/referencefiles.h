#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>

#include <utility>

// The central bank's reference-rate files in the bank's documented format: a gesmes Envelope
// holding a Cube of dated Cubes, each holding a Cube per currency.

using CurrencyRates = QList<std::pair<QByteArray, QByteArray>>; // currency, rate text

// A whole file around the given dated Cubes.
QByteArray ReferenceDocument(const QByteArray& dayCubes);
// One dated Cube; time is the date as the file writes it ("2026-12-08").
QByteArray ReferenceDayCube(const QByteArray& time, const CurrencyRates& rates);

struct DemoReferenceDay {
    QDate date;
    double usdPerEuro = 0.0; // four decimals
};

// Made-up rates for every working day (Monday to Friday but 1 January, 1 May, 25 and 26
// December) from 4 January 1999 up to until, oldest first; the same at every call.
QList<DemoReferenceDay> DemoReferenceDays(const QDate& until);
// The demo's file of that name from the days (oldest first), newest day first:
// "eurofxref-daily.xml" (the last day), "eurofxref-hist-90d.xml" (the days of the 90 calendar
// days up to the last) or "eurofxref-hist.xml" (all of them). Empty for another name.
QByteArray DemoReferenceFile(const QByteArray& name, const QList<DemoReferenceDay>& days);
