#pragma once

#include "sources/pagefetcher.h"
#include "sources/ratereading.h"
#include "support/regional.h"

#include <QDateTime>

// IEX: 11 attempts, the whole page up to 4 MiB, always from the server.
FetchOptions IEXFetchOptions();
// D2E: 2 attempts, reading stops at 9000 characters, proxies asked not to cache.
FetchOptions D2EFetchOptions();

// Each reader turns one fetched page into the reading, or leaves "-1" (no attempt brought
// text) or "-2" (no usable page) in RateText. "now" is the time of the reading. A page without
// its key, or whose value reads as 0, gives "-2" and leaves the rates and the other texts as
// they were (the texts the reader clears at its start stay empty).
void ReadIEXRate(RateReading& reading, const FetchResult& page, const QDateTime& now,
                 const RegionalSettings& regional);
void ReadD2ERate(RateReading& reading, const FetchResult& page, const QDateTime& now,
                 const RegionalSettings& regional);
