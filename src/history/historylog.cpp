#include "history/historylog.h"

Q_LOGGING_CATEGORY(lcHistory, "qzrate.history")
