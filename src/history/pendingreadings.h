#pragma once

#include "history/storedreading.h"

#include <QList>

// Readings that wait in memory while the file cannot be written: up to a capacity, past which
// the oldest go.
class PendingReadings {
public:
    explicit PendingReadings(qsizetype capacity = 10000) : Capacity(capacity) {}

    // True when this dropped the oldest reading for the first time since the last Clear.
    bool Add(const StoredReading& reading);
    const QList<StoredReading>& Readings() const { return Waiting; }
    void Clear();

private:
    qsizetype Capacity;
    QList<StoredReading> Waiting;
    bool Dropped = false;
};
