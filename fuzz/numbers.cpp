// Any text through the number reader, and what it reads back through the writers.
#include "support/texthelpers.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    const double x = ParseNumber(text);
    FormatFixed(2, 4, x, u',');
    FormatGrouped(2, 2, x, u',', u'.');
    RoundTo4(x);
    KeepNumberChars(text);
    TextAfterLast(u' ', text);
    TextAfterSub(QStringLiteral("ms"), text);
    return 0;
}
