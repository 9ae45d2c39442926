#include "app/promptreadings.h"

#include <utility>

bool PromptReadings::Woke(bool free) {
    if (!free)
        return false;
    if (State && *State < FullConnectivity) {
        WakeWaiting = true;
        return false;
    }
    return true;
}

bool PromptReadings::NetworkState(uint state, bool changed, bool free, qint64 nowMs) {
    State = state;
    if (state < FullConnectivity)
        return false;
    if (std::exchange(WakeWaiting, false))
        return free;
    if (!changed || !free || !NoConnection)
        return false;
    if (LastNetworkBackMs && nowMs - *LastNetworkBackMs < NetworkBackGapMs)
        return false;
    LastNetworkBackMs = nowMs;
    return true;
}

bool PromptReadings::WaitOver(bool free) {
    return std::exchange(WakeWaiting, false) && free;
}
