#pragma once

#include <QtGlobal>

#include <optional>

// When to read at once, besides the timers: when the machine wakes (a timer that slept
// through the suspend would show the old rate for a whole interval), and when the network
// comes back after a reading found no connection. Such a reading goes only where a download
// tick would read (the download timer on, the start timer fired) and only while no reading
// runs: a signal meanwhile is dropped, never queued. A flood of signals reads at most once a
// second.
class PromptReadings {
public:
    // NetworkManager's state for full connectivity.
    static constexpr uint FullConnectivity = 70;
    // How long a wake reading waits for full connectivity.
    static constexpr int WakeWaitMs = 30000;
    // The shortest time between two readings for a returning network.
    static constexpr qint64 NetworkBackGapMs = 10000;
    // The shortest time between two readings for any of these signals.
    static constexpr qint64 PromptGapMs = 1000;

    // Each gives true when a reading should start now. free: a download tick would read
    // and no reading runs; nowMs on a monotonic clock.
    //
    // The machine woke. Without full connectivity the reading waits for it.
    bool Woke(bool free, qint64 nowMs);
    // NetworkManager's state: changed for a change it announced, not for the state read when
    // connecting.
    bool NetworkState(uint state, bool changed, bool free, qint64 nowMs);
    // The wake's wait for the network ran out: read with what there is.
    bool WaitOver(bool free, qint64 nowMs);
    // Every reading's end: noConnection when it gave "-1".
    void ReadingEnded(bool noConnection) { NoConnection = noConnection; }

    // A wake reading waits for the network: the window times the wait.
    bool Waiting() const { return WakeWaiting; }

private:
    // True, and the time kept, unless a prompt reading started less than PromptGapMs ago.
    bool GapPassed(qint64 nowMs);

    // Unknown without NetworkManager: then nothing waits for it.
    std::optional<uint> State;
    bool WakeWaiting = false;
    bool NoConnection = false;
    std::optional<qint64> LastNetworkBackMs;
    std::optional<qint64> LastPromptMs;
};
