#include "app/mainform.h"

#include "platform/applog.h"
#include "platform/systembus.h"
#include "sources/ratereading.h"

// Readings at once besides the timers: when the machine wakes and when the network returns.

void TMainForm::WatchSystemBus(const SystemBus& bus) {
    WakeWait.setSingleShot(true);
    WakeWait.setInterval(PromptReadings::WakeWaitMs);
    connect(&WakeWait, &QTimer::timeout, this, &TMainForm::WakeWaitTimer);
    connect(&bus, &SystemBus::Woke, this, &TMainForm::Woke);
    connect(&bus, &SystemBus::NetworkState, this, &TMainForm::NetworkState);
    connect(&Refresh, &RefreshCycle::readingFinished, this,
            [this] { Prompt.ReadingEnded(SharedRateReading().RateText == NoConnectionCode); });
}

bool TMainForm::PromptReadingFree() const {
    return DownloadTimer.isActive() && !StartPending && !Refresh.Reading();
}

void TMainForm::Woke() {
    if (Prompt.Woke(PromptReadingFree(), Uptime()))
        ReadPromptly("the machine woke");
    else if (Prompt.Waiting() && !WakeWait.isActive())
        WakeWait.start();
}

void TMainForm::NetworkState(uint state, bool changed) {
    const bool read = Prompt.NetworkState(state, changed, PromptReadingFree(), Uptime());
    if (!Prompt.Waiting())
        WakeWait.stop();
    if (read)
        ReadPromptly("the network is back");
}

void TMainForm::WakeWaitTimer() {
    if (Prompt.WaitOver(PromptReadingFree(), Uptime()))
        ReadPromptly("the machine woke; no full connectivity within 30 s");
}

void TMainForm::ReadPromptly(const char* why) {
    qCInfo(lcApp) << "reading at once:" << why;
    DownloadTimerTimer();
}
