#pragma once

#include <QLoggingCategory>
#include <QString>

struct RateReading;

Q_DECLARE_LOGGING_CATEGORY(lcSources)

// One log line per reading: "reading USD: rate=0,9230 percent=-0,25% step=0.0 time=14:05:09",
// or only "reading D2E: rate=-1" when the reading ended in a result code.
QString ReadingLogLine(const QString& prefix, const RateReading& reading);
