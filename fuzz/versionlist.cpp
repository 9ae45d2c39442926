// Any version list through the check, as the worker hands it over.
#include "update/versioncheck.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    const VersionCheckResult result = CheckVersion(
        1, VersionListResult(true, text), QStringLiteral("qzRate"), QStringLiteral("1.02"), 0);
    CheckLogLine(result);
    return 0;
}
