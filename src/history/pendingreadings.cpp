#include "history/pendingreadings.h"

bool PendingReadings::Add(const StoredReading& reading) {
    Waiting.append(reading);
    if (Waiting.size() <= Capacity)
        return false;
    Waiting.removeFirst();
    return !std::exchange(Dropped, true);
}

void PendingReadings::Clear() {
    Waiting.clear();
    Dropped = false;
}
