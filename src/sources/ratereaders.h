#pragma once

#include "sources/pagefetcher.h"
#include "sources/ratereading.h"
#include "support/regional.h"

#include <QDateTime>

// IEX: 11 attempts, the whole page up to 2 MiB, always from the server.
FetchOptions IEXFetchOptions();
// D2E: 2 attempts, reading stops at 9000 characters, proxies asked not to cache.
FetchOptions D2EFetchOptions();

// Each reader turns one fetched page into the reading, or leaves "-1" (no attempt brought
// text) or "-2" (no usable page) in RateText. "now" is the time of the reading. A page without
// its key gives "-2" like any unusable page: the texts the reader clears at its start stay
// empty, the rest as it was. A price or rate text longer than 12 characters or not a
// well-formed number, or a rate outside 0.0001 to 10000, gives "-2" and leaves everything else
// as it was before the reading.
void ReadIEXRate(RateReading& reading, const FetchResult& page, const QDateTime& now,
                 const RegionalSettings& regional);
void ReadD2ERate(RateReading& reading, const FetchResult& page, const QDateTime& now,
                 const RegionalSettings& regional);
