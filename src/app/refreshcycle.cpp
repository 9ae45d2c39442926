#include "app/refreshcycle.h"

#include "sources/ratereaders.h"
#include "sources/ratereading.h"
#include "sources/sourceslog.h"

RefreshCycle::RefreshCycle(RateReading& reading, ServiceConfig services, RegionalSettings regional,
                           Clock clock, QObject* parent)
    : QObject(parent), rateReading_(reading), services_(std::move(services)),
      regional_(std::move(regional)), clock_(std::move(clock)) {
    connect(&fetcher_, &PageFetcher::finished, this, &RefreshCycle::OnFetched);
}

void RefreshCycle::RefreshRate(const std::function<bool()>& marketClosed) {
    marketClosed_ = marketClosed;
    if (reading_) {
        pending_ = true;
        return;
    }
    Start();
}

void RefreshCycle::Start() {
    reading_ = true;
    closedSource_ = marketClosed_();
    if (closedSource_)
        fetcher_.FetchPage(services_.d2e, D2EFetchOptions());
    else
        fetcher_.FetchPage(services_.iex, IEXFetchOptions());
}

void RefreshCycle::OnFetched(const FetchResult& result) {
    const QDateTime now = clock_();
    if (closedSource_)
        ReadD2ERate(rateReading_, result, now, regional_);
    else
        ReadIEXRate(rateReading_, result, now, regional_);
    const QString prefix = closedSource_ ? QStringLiteral("D2E: ") : QStringLiteral("USD: ");
    qCInfo(lcSources).noquote() << ReadingLogLine(prefix, rateReading_);

    // Still reading while the window takes the reading in: a request made meanwhile waits for
    // the next one. An error there must not leave the cycle stuck.
    try {
        emit readingFinished(prefix);
    } catch (...) {
        Settle();
        throw;
    }
    Settle();
}

void RefreshCycle::Settle() {
    reading_ = false;
    if (pending_) {
        pending_ = false;
        Start();
    } else {
        emit idle();
    }
}
