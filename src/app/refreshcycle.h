#pragma once

#include "sources/pagefetcher.h"
#include "support/regional.h"
#include "support/serviceconfig.h"

#include <QDateTime>
#include <QObject>

#include <functional>

struct RateReading;

// Takes one reading at a time: chooses the page by the market state, fetches it without
// blocking the window and fills the reading. A request that comes while a reading runs is
// merged into one reading right after it.
class RefreshCycle : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    RefreshCycle(RateReading& reading, ServiceConfig services, RegionalSettings regional,
                 Clock clock, QObject* parent = nullptr);

    // marketClosed is asked when the reading starts, so a merged request sees the state
    // its own tick left.
    void RefreshRate(const std::function<bool()>& marketClosed);
    bool Reading() const { return reading_; }
    const ServiceConfig& Services() const { return services_; }

signals:
    // The reading is filled (or holds a result code); prefix is "USD: " or "D2E: ".
    void readingFinished(const QString& prefix);
    // No reading runs and none is waiting.
    void idle();

private:
    void Start();
    void OnFetched(const FetchResult& result);
    // Ends a reading: the merged request starts now, or the cycle is idle.
    void Settle();

    RateReading& rateReading_;
    ServiceConfig services_;
    RegionalSettings regional_;
    Clock clock_;
    PageFetcher fetcher_;
    std::function<bool()> marketClosed_;
    bool reading_ = false;
    bool pending_ = false;
    bool closedSource_ = false;
};
