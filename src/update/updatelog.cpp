#include "update/updatelog.h"

Q_LOGGING_CATEGORY(lcUpdate, "qzrate.update")
