#include "history/historywiring.h"

#include "app/mainform.h"
#include "history/chartwindow.h"
#include "sources/ratereading.h"

#include <QAction>

HistoryWiring::HistoryWiring(TMainForm& main, const QString& iniPath, const QString& databasePath)
    : History(databasePath), Main(main), IniPath(iniPath) {
    connect(&Main, &TMainForm::ReadingTaken, this, [this](bool fromD2E) {
        History.Keep(
            StoredReadingOf(SharedRateReading(), fromD2E, Main.Clock().toMSecsSinceEpoch()));
    });
    connect(Main.Koersverloop, &QAction::triggered, this, &HistoryWiring::OpenChart);
    // The reference rates the history holds stand in for a failed reading; a day a reading
    // fetched is kept.
    connect(&History, &HistoryService::ReferenceHeld, &Main.Refresh, &RefreshCycle::HoldReference);
    connect(&Main.Refresh, &RefreshCycle::referenceFetched, &History,
            &HistoryService::KeepReference);
}

HistoryWiring::~HistoryWiring() = default;

void HistoryWiring::OpenChart() {
    if (!Chart) {
        Chart = std::make_unique<ChartWindow>(History, IniPath);
        Chart->Levels = [this] { return std::pair{Main.Trading.BuyLevel, Main.Trading.SellLevel}; };
    }
    Chart->Open();
}
