#pragma once

#include "history/historylog.h"
#include "history/storedreading.h"

#include <QStringList>

// What the history logged, caught while a test runs.
class HistoryLogLines {
public:
    HistoryLogLines() {
        Lines().clear();
        Previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext& context, const QString& message) {
                if (QByteArray(context.category) == "qzrate.history")
                    Lines().append(message);
            });
    }
    ~HistoryLogLines() { qInstallMessageHandler(Previous); }
    static QStringList& Lines() {
        static QStringList lines;
        return lines;
    }

private:
    QtMessageHandler Previous;
};

inline StoredReading Good(qint64 timeMs, double rate) {
    return StoredReading{timeMs, ReadingSource::IEX, rate, {}};
}

inline StoredReading Failed(qint64 timeMs, int code = -1) {
    return StoredReading{timeMs, ReadingSource::D2E, {}, code};
}
