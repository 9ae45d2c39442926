#include "app/refreshcycle.h"

#include "sources/ratereaders.h"
#include "sources/ratereading.h"
#include "sources/sourceslog.h"

#include <algorithm>

RefreshCycle::RefreshCycle(RateReading& reading, ServiceConfig services, RegionalSettings regional,
                           Clock clock, QObject* parent)
    : QObject(parent), rateReading_(reading), services_(std::move(services)),
      regional_(std::move(regional)), clock_(std::move(clock)), referenceFetcher_(clock_) {
    connect(&fetcher_, &PageFetcher::finished, this, &RefreshCycle::OnFetched);
    connect(&referenceFetcher_, &ReferenceFetcher::finished, this, &RefreshCycle::OnReference);
}

void RefreshCycle::HoldReference(const QList<ReferenceDay>& days) {
    // The newest two of what is held and what came, each date once.
    QList<ReferenceDay> all = referenceHeld_ + days;
    std::sort(all.begin(), all.end(),
              [](const ReferenceDay& a, const ReferenceDay& b) { return a.Date > b.Date; });
    all.erase(
        std::unique(all.begin(), all.end(),
                    [](const ReferenceDay& a, const ReferenceDay& b) { return a.Date == b.Date; }),
        all.end());
    referenceHeld_ = all.mid(0, 2);
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
    prefix_ = closedSource_ ? QStringLiteral("D2E: ") : QStringLiteral("USD: ");
    qCInfo(lcSources).noquote() << ReadingLogLine(prefix_, rateReading_);

    // Still reading while the window takes the reading in: a request made meanwhile waits for
    // the next one. An error there must not leave the cycle stuck.
    try {
        emit readingTaken(closedSource_ ? ReadingSource::D2E : ReadingSource::IEX);
        emit readingFinished(prefix_);
    } catch (...) {
        Settle();
        throw;
    }
    const QString& code = rateReading_.RateText;
    if (services_.reference.isValid() && (code == NoConnectionCode || code == NoUsablePageCode)) {
        // The day's file at most once in half an hour, failed or not; the reading ends with it.
        const qint64 now = Ticks();
        if (!referenceFetchedAt_ || now - *referenceFetchedAt_ >= ReferenceFetchGapMs) {
            referenceFetchedAt_ = now;
            if (referenceFetcher_.Fetch(ReferenceFile::Day, services_.reference,
                                        referenceModified_))
                return;
        }
        ShowReference();
    }
    Settle();
}

void RefreshCycle::OnReference(const ReferenceFetch& fetch) {
    if (fetch.outcome != ReferenceFetch::Outcome::Failed)
        referenceModified_ = fetch.lastModified;
    if (fetch.outcome == ReferenceFetch::Outcome::Rates) {
        HoldReference(fetch.days);
        emit referenceFetched(fetch.days);
    } else if (fetch.outcome == ReferenceFetch::Outcome::Failed) {
        qCInfo(lcSources).noquote() << "reference rate not fetched:" << fetch.error;
    }
    try {
        ShowReference();
    } catch (...) {
        Settle();
        throw;
    }
    Settle();
}

void RefreshCycle::ShowReference() {
    if (referenceHeld_.isEmpty())
        return;
    emit referenceShown(prefix_, referenceHeld_.first(),
                        referenceHeld_.size() > 1 ? std::optional(referenceHeld_.at(1))
                                                  : std::nullopt);
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
