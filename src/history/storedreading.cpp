#include "history/storedreading.h"

#include "sources/ratereading.h"
#include "support/texthelpers.h"

StoredReading StoredReadingOf(const RateReading& reading, bool fromD2E, qint64 timeMs) {
    StoredReading stored{timeMs, fromD2E ? ReadingSource::D2E : ReadingSource::IEX, {}, {}};
    if (reading.RateText == NoConnectionCode)
        stored.Code = -1;
    else if (reading.RateText == NoUsablePageCode)
        stored.Code = -2;
    else if (const double rate = ParseNumber(reading.RateText); rate > 0)
        stored.Rate = rate;
    return stored;
}
