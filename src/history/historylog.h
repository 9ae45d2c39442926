#pragma once

#include <QLoggingCategory>

// The rate history: opening, pausing and resuming its writes, moving a damaged file aside.
Q_DECLARE_LOGGING_CATEGORY(lcHistory)
