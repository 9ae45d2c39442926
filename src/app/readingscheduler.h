#pragma once

#include "app/promptreadings.h"
#include "app/refreshcycle.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

#include <functional>

// Starts or stops a timer only when its state changes, so a running count goes on.
void SetTimerRunning(QTimer& timer, bool running);

// When the rate is read: the start timer's first reading, one per download tick, and readings
// at once when the machine wakes or the network returns; the source follows the market's hours.
class ReadingScheduler : public QObject {
    Q_OBJECT
public:
    ReadingScheduler(RateReading& reading, ServiceConfig services, RegionalSettings regional,
                     QObject* parent = nullptr);

    // Reads the rate from the source MarketClosed chooses, without blocking; a request while a
    // reading runs is merged into one reading after it.
    void RefreshRate();
    // MarketClosed from the local clock now.
    void ChooseSource();
    void TimerStartTimer();
    void DownloadTimerTimer();
    // Interval and running state of the download timer; a value it already has changes
    // nothing, so a running count is not restarted needlessly.
    void SetDownloadTimer(int intervalMs, bool enabled);
    bool IsMarketClosedNow() const;
    // What the system bus reports: the machine woke, NetworkManager's state.
    void Woke();
    void NetworkState(uint state, bool changed);
    void WakeWaitTimer();

    // Seams: the local clock, for the source choice, and a monotonic clock in ms, for the
    // readings on the system bus's signals.
    std::function<QDateTime()> Clock = &QDateTime::currentDateTime;
    std::function<qint64()> Uptime = [] { return QDeadlineTimer::current().deadline(); };

    QTimer DownloadTimer;
    QTimer TimerStart;
    // How long a wake's reading may wait for the network.
    QTimer WakeWait;
    // No refresh may run until the start timer has fired.
    bool StartPending = true;
    // Source choice: true reads the D2E page, false the IEX page.
    bool MarketClosed = false;
    RefreshCycle Refresh;

signals:
    // A download tick (or a reading at once) begins; its reading may follow.
    void Ticked();
    // No reading runs and none is waiting.
    void Idle();

private:
    // Where a download tick would read, and no reading runs.
    bool PromptReadingFree() const;
    void ReadPromptly(const char* why);

    PromptReadings Prompt;
};
