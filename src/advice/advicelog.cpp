#include "advice/advicelog.h"

#include "advice/advice.h"

Q_LOGGING_CATEGORY(lcAdvice, "qzrate.advice")

QString AdviceLogLine(const AdviceTexts& texts) {
    return QStringLiteral("advice \"%1\" \"%2\" \"%3\"")
        .arg(texts.AdviesLabel, texts.KoopLabel, texts.VerkoopLabel);
}
