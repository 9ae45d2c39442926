#include "platform/applog.h"

Q_LOGGING_CATEGORY(lcApp, "qzrate.app")
