#pragma once

#include "sources/pagefetcher.h"
#include "sources/ratereading.h"
#include "support/regional.h"

#include <QDateTime>

FetchOptions IEXFetchOptions();
FetchOptions D2EFetchOptions();

// Each reader turns one fetched page into the reading, or leaves "-1" / "-2" in RateText.
// "now" is the time of the reading.
void ReadIEXRate(RateReading& reading, const FetchResult& page, const QDateTime& now,
                 const RegionalSettings& regional);
void ReadD2ERate(RateReading& reading, const FetchResult& page, const QDateTime& now,
                 const RegionalSettings& regional);
