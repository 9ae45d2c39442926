#pragma once

#include <QLoggingCategory>
#include <QString>

struct AdviceTexts;

Q_DECLARE_LOGGING_CATEGORY(lcAdvice)

// The three advice texts as shown, leading blanks included:
// advice " Handel-advies: Kopen: 415 (414,9219) stuks" " Bij ..." " Bij ..."
QString AdviceLogLine(const AdviceTexts& texts);
