#include "history/storedreading.h"

#include "support/texthelpers.h"

StoredReading StoredReadingOf(const RateReading& reading, ReadingSource source, qint64 timeMs) {
    StoredReading stored{timeMs, source, {}, {}};
    if (reading.RateText == NoConnectionCode)
        stored.Code = -1;
    else if (reading.RateText == NoUsablePageCode)
        stored.Code = -2;
    else if (const double rate = ParseNumber(reading.RateText); rate > 0)
        stored.Rate = rate;
    return stored;
}
