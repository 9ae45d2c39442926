#include "app/promptreadings.h"

#include <utility>

bool PromptReadings::Woke(bool free, qint64 nowMs) {
    if (!free)
        return false;
    if (State && *State < FullConnectivity) {
        WakeWaiting = true;
        return false;
    }
    return GapPassed(nowMs);
}

bool PromptReadings::NetworkState(uint state, bool changed, bool free, qint64 nowMs) {
    State = state;
    if (state < FullConnectivity)
        return false;
    if (std::exchange(WakeWaiting, false))
        return free && GapPassed(nowMs);
    if (!changed || !free || !NoConnection)
        return false;
    if (LastNetworkBackMs && nowMs - *LastNetworkBackMs < NetworkBackGapMs)
        return false;
    if (!GapPassed(nowMs))
        return false;
    LastNetworkBackMs = nowMs;
    return true;
}

bool PromptReadings::WaitOver(bool free, qint64 nowMs) {
    return std::exchange(WakeWaiting, false) && free && GapPassed(nowMs);
}

bool PromptReadings::GapPassed(qint64 nowMs) {
    if (LastPromptMs && nowMs - *LastPromptMs < PromptGapMs)
        return false;
    LastPromptMs = nowMs;
    return true;
}
