#include "app/refreshcycle.h"

#include "sources/ratereaders.h"
#include "sources/ratereading.h"
#include "sources/sourceslog.h"

#include <algorithm>

RefreshCycle::RefreshCycle(RateReading& reading, ServiceConfig services, RegionalSettings regional,
                           Clock clock, QObject* parent)
    : QObject(parent), SharedReading(reading), Config(std::move(services)),
      Regional(std::move(regional)), Now(std::move(clock)), BankFetcher(Now) {
    connect(&Fetcher, &PageFetcher::finished, this, &RefreshCycle::OnFetched);
    connect(&BankFetcher, &ReferenceFetcher::finished, this, &RefreshCycle::OnReference);
}

void RefreshCycle::HoldReference(const QList<ReferenceDay>& days) {
    // The newest two of what is held and what came, each date once.
    QList<ReferenceDay> all = ReferenceHeld + days;
    std::sort(all.begin(), all.end(),
              [](const ReferenceDay& a, const ReferenceDay& b) { return a.Date > b.Date; });
    all.erase(
        std::unique(all.begin(), all.end(),
                    [](const ReferenceDay& a, const ReferenceDay& b) { return a.Date == b.Date; }),
        all.end());
    ReferenceHeld = all.mid(0, 2);
}

void RefreshCycle::RefreshRate(const std::function<bool()>& marketClosed) {
    AskMarketClosed = marketClosed;
    if (Running) {
        Pending = true;
        return;
    }
    Start();
}

void RefreshCycle::Start() {
    Running = true;
    ClosedSource = AskMarketClosed();
    if (ClosedSource)
        Fetcher.FetchPage(Config.d2e, D2EFetchOptions());
    else
        Fetcher.FetchPage(Config.iex, IEXFetchOptions());
}

void RefreshCycle::OnFetched(const FetchResult& result) {
    const QDateTime now = Now();
    if (ClosedSource)
        ReadD2ERate(SharedReading, result, now, Regional);
    else
        ReadIEXRate(SharedReading, result, now, Regional);
    Prefix = ClosedSource ? QStringLiteral("D2E: ") : QStringLiteral("USD: ");
    qCInfo(lcSources).noquote() << ReadingLogLine(Prefix, SharedReading);

    // Still reading while the window takes the reading in: a request made meanwhile waits for
    // the next one. An error there must not leave the cycle stuck.
    try {
        emit ReadingTaken(ClosedSource ? ReadingSource::D2E : ReadingSource::IEX);
        emit ReadingFinished(Prefix);
    } catch (...) {
        Settle();
        throw;
    }
    const QString& code = SharedReading.RateText;
    if (Config.reference.isValid() && (code == NoConnectionCode || code == NoUsablePageCode)) {
        // The day's file at most once in half an hour, failed or not; the reading ends with it.
        const qint64 now = Ticks();
        if (!ReferenceFetchedAt || now - *ReferenceFetchedAt >= ReferenceFetchGapMs) {
            ReferenceFetchedAt = now;
            if (BankFetcher.Fetch(ReferenceFile::Day, Config.reference, ReferenceModified))
                return;
        }
        ShowReference();
    }
    Settle();
}

void RefreshCycle::OnReference(const ReferenceFetch& fetch) {
    if (fetch.outcome != ReferenceFetch::Outcome::Failed)
        ReferenceModified = fetch.lastModified;
    if (fetch.outcome == ReferenceFetch::Outcome::Rates) {
        HoldReference(fetch.days);
        emit ReferenceFetched(fetch.days);
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
    if (ReferenceHeld.isEmpty())
        return;
    emit ReferenceShown(Prefix, ReferenceHeld.first(),
                        ReferenceHeld.size() > 1 ? std::optional(ReferenceHeld.at(1))
                                                 : std::nullopt);
}

void RefreshCycle::Settle() {
    Running = false;
    if (Pending) {
        Pending = false;
        Start();
    } else {
        emit Idle();
    }
}
