#pragma once

#include <QByteArray>

// The two demo rate pages, Latin-1 HTML with Dutch decimal commas. The IEX page quotes the euro
// in dollars with its relative change of the day; the D2E page quotes the dollar in euros.
QByteArray IEXRatePage(double eurUsd, double relativeDifferencePercent);
QByteArray D2ERatePage(double usdEur);
// What either site shows while it is down for maintenance: no rate.
QByteArray MaintenancePage();
