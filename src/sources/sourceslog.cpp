#include "sources/sourceslog.h"

#include "sources/ratereading.h"

Q_LOGGING_CATEGORY(lcSources, "qzrate.sources")

QString ReadingLogLine(const QString& prefix, const RateReading& reading) {
    const QString line =
        QStringLiteral("reading %1 rate=%2").arg(prefix.trimmed(), reading.RateText);
    if (reading.RateText == NoConnectionCode || reading.RateText == NoUsablePageCode)
        return line;
    return line + QStringLiteral(" percent=%1 step=%2 time=%3")
                      .arg(reading.PercentText, reading.StepText, reading.TimeText);
}
