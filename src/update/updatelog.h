#pragma once

#include <QLoggingCategory>

// The update service: one line after every version check, so a user can see what the
// publisher offered.
Q_DECLARE_LOGGING_CATEGORY(lcUpdate)
