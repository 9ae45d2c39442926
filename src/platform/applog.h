#pragma once

#include <QLoggingCategory>

// The program's own messages: start-up, windows, settings and unexpected errors.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
