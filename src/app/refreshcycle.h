#pragma once

#include "sources/pagefetcher.h"
#include "sources/ratereading.h"
#include "sources/referencefetcher.h"
#include "support/regional.h"
#include "support/serviceconfig.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QObject>

#include <functional>
#include <optional>

// Takes one reading at a time: chooses the page by the market state, fetches it without
// blocking the window and fills the reading. A request that comes while a reading runs is
// merged into one reading right after it. After a reading that brought no rate, the central
// bank's reference rate held is offered in its place: the day's file is fetched within that
// reading when the last fetch lies half an hour back.
class RefreshCycle : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    RefreshCycle(RateReading& reading, ServiceConfig services, RegionalSettings regional,
                 Clock clock, QObject* parent = nullptr);

    // marketClosed is asked when the reading starts, so a merged request sees the state
    // its own tick left.
    void RefreshRate(const std::function<bool()>& marketClosed);
    bool Reading() const { return Running; }
    const ServiceConfig& Services() const { return Config; }
    // The newest reference days the history holds, newest first.
    void HoldReference(const QList<ReferenceDay>& days);

    // How far apart the day's file is fetched, on the monotonic clock.
    static constexpr qint64 ReferenceFetchGapMs = 30 * 60 * 1000;
    // The monotonic clock, in milliseconds.
    std::function<qint64()> Ticks = [] { return QDeadlineTimer::current().deadline(); };

signals:
    // The reading is filled (or holds a result code), and which page it came from: for the
    // history, which keeps it before the window shows it.
    void ReadingTaken(ReadingSource source);
    // The reading is filled (or holds a result code); prefix is "USD: " or "D2E: ".
    void ReadingFinished(const QString& prefix);
    // No reading runs and none is waiting.
    void Idle();
    // After a reading that brought no rate (its prefix): the reference day held to show in its
    // place, and the day before it when held.
    void ReferenceShown(const QString& prefix, const ReferenceDay& day,
                        const std::optional<ReferenceDay>& previous);
    // Days the reading's fetch brought, for the history.
    void ReferenceFetched(const QList<ReferenceDay>& days);

private:
    void Start();
    void OnFetched(const FetchResult& result);
    void OnReference(const ReferenceFetch& fetch);
    void ShowReference();
    // Ends a reading: the merged request starts now, or the cycle is idle.
    void Settle();

    RateReading& SharedReading;
    ServiceConfig Config;
    RegionalSettings Regional;
    Clock Now;
    PageFetcher Fetcher;
    ReferenceFetcher BankFetcher;
    QList<ReferenceDay> ReferenceHeld;
    QByteArray ReferenceModified;
    std::optional<qint64> ReferenceFetchedAt;
    QString Prefix;
    std::function<bool()> AskMarketClosed;
    bool Running = false;
    bool Pending = false;
    bool ClosedSource = false;
};
