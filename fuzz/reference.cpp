// Any document through the reference-rate reader; what it keeps must obey the reader's rules.
#include "sources/referencerates.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QDate today(2026, 12, 8);
    const auto days = ReadReferenceRates(
        QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)), today);
    QDate newer = today.addDays(2);
    for (const ReferenceDay& day : days.value_or(QList<ReferenceDay>{})) {
        if (!(day.Date < newer) || !(day.UsdPerEuro >= 0.2 && day.UsdPerEuro <= 5.0))
            __builtin_trap();
        newer = day.Date;
    }
    return 0;
}
