// Any page, through both readers, with either decimal separator and either history.
#include "sources/ratereaders.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FetchResult page;
    page.text = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    const QDateTime now(QDate(2026, 12, 7), QTime(14, 5, 9));
    for (const QChar separator : {QChar(u','), QChar(u'.')}) {
        RegionalSettings regional;
        regional.decimalSeparator = separator;
        RateReading reading;
        reading.FirstReading = true;
        ReadIEXRate(reading, page, now, regional);
        ReadD2ERate(reading, page, now, regional);
        ReadIEXRate(reading, page, now, regional);
    }
    return 0;
}
