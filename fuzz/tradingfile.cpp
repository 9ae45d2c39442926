// Any export file through the line splitter and the USDEUR record reader.
#include "advice/tradingfile.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QTemporaryDir folder;
    static const QString fileName = folder.filePath(QStringLiteral("export.xml"));
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();
    try {
        ReadTradingLines(LoadLines(fileName), [](int index, const QString& value) {
            if (index < 0 || index >= int(TradingTags.size()))
                __builtin_trap();
            (void)value.size();
        });
    } catch (const std::runtime_error&) {
    } catch (const std::out_of_range&) {
    }
    return 0;
}
