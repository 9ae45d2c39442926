#include "app/readingscheduler.h"

#include "app/marketclock.h"

#include <QLoggingCategory>

namespace {
// Under the program's own category, as the windows log: this library links no platform.
Q_LOGGING_CATEGORY(lcReadings, "qzrate.app")
} // namespace

void SetTimerRunning(QTimer& timer, bool running) {
    if (running != timer.isActive()) {
        if (running)
            timer.start();
        else
            timer.stop();
    }
}

ReadingScheduler::ReadingScheduler(RateReading& reading, ServiceConfig services,
                                   RegionalSettings regional, QObject* parent)
    : QObject(parent),
      Refresh(reading, std::move(services), std::move(regional), [this] { return Clock(); }) {
    DownloadTimer.setInterval(100);
    DownloadTimer.start();
    TimerStart.setInterval(1000);
    TimerStart.setSingleShot(true);
    TimerStart.start();
    WakeWait.setSingleShot(true);
    WakeWait.setInterval(PromptReadings::WakeWaitMs);

    connect(&TimerStart, &QTimer::timeout, this, &ReadingScheduler::TimerStartTimer);
    connect(&DownloadTimer, &QTimer::timeout, this, &ReadingScheduler::DownloadTimerTimer);
    connect(&WakeWait, &QTimer::timeout, this, &ReadingScheduler::WakeWaitTimer);
    connect(&Refresh, &RefreshCycle::Idle, this, &ReadingScheduler::Idle);
    connect(&Refresh, &RefreshCycle::ReadingFinished, this,
            [this, &reading] { Prompt.ReadingEnded(reading.RateText == NoConnectionCode); });
}

void ReadingScheduler::RefreshRate() {
    Refresh.RefreshRate([this] { return MarketClosed; });
}

void ReadingScheduler::ChooseSource() {
    MarketClosed = IsMarketClosedNow();
}

void ReadingScheduler::TimerStartTimer() {
    StartPending = false;
    TimerStart.stop();
    RefreshRate();
}

void ReadingScheduler::DownloadTimerTimer() {
    emit Ticked();
    ChooseSource();
    if (!StartPending)
        RefreshRate();
    if (!Refresh.Reading())
        emit Idle();
}

void ReadingScheduler::SetDownloadTimer(int intervalMs, bool enabled) {
    // setInterval restarts a running timer even for the same value.
    if (DownloadTimer.interval() != intervalMs)
        DownloadTimer.setInterval(intervalMs);
    SetTimerRunning(DownloadTimer, enabled);
}

bool ReadingScheduler::IsMarketClosedNow() const {
    return IsMarketClosedAt(Clock());
}

bool ReadingScheduler::PromptReadingFree() const {
    return DownloadTimer.isActive() && !StartPending && !Refresh.Reading();
}

void ReadingScheduler::Woke() {
    if (Prompt.Woke(PromptReadingFree(), Uptime()))
        ReadPromptly("the machine woke");
    else if (Prompt.Waiting() && !WakeWait.isActive())
        WakeWait.start();
}

void ReadingScheduler::NetworkState(uint state, bool changed) {
    const bool read = Prompt.NetworkState(state, changed, PromptReadingFree(), Uptime());
    if (!Prompt.Waiting())
        WakeWait.stop();
    if (read)
        ReadPromptly("the network is back");
}

void ReadingScheduler::WakeWaitTimer() {
    if (Prompt.WaitOver(PromptReadingFree(), Uptime()))
        ReadPromptly("the machine woke; no full connectivity within 30 s");
}

void ReadingScheduler::ReadPromptly(const char* why) {
    qCInfo(lcReadings) << "reading at once:" << why;
    DownloadTimerTimer();
}
