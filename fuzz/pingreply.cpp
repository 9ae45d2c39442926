// Any ping output through the reply reader; a reply time is never negative.
#include "update/pingreply.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString output = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    if (ReadPingReply(output) < 0)
        __builtin_trap();
    return 0;
}
