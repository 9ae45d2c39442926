#include "app/historywiring.h"

#include "app/mainform.h"
#include "history/storedreading.h"
#include "sources/ratereading.h"

#include <QAction>

HistoryWiring::HistoryWiring(TMainForm& main, const QString& iniPath, const QString& databasePath)
    : History(databasePath), Opener(History, iniPath, [&main] {
          return std::pair{main.Trading.BuyLevel, main.Trading.SellLevel};
      }) {
    connect(&main.Refresh, &RefreshCycle::readingTaken, this, [this, &main](ReadingSource source) {
        History.Keep(
            StoredReadingOf(SharedRateReading(), source, main.Clock().toMSecsSinceEpoch()));
    });
    connect(main.Koersverloop, &QAction::triggered, &Opener, &ChartOpener::OpenChart);
    // The reference rates the history holds stand in for a failed reading; a day a reading
    // fetched is kept.
    connect(&History, &HistoryService::ReferenceHeld, &main.Refresh, &RefreshCycle::HoldReference);
    connect(&main.Refresh, &RefreshCycle::referenceFetched, &History,
            &HistoryService::KeepReference);
}
