#include "history/chartopener.h"

#include "history/chartwindow.h"

ChartOpener::ChartOpener(HistoryService& history, const QString& iniPath, LevelsFunction levels)
    : History(history), IniPath(iniPath), Levels(std::move(levels)) {}

ChartOpener::~ChartOpener() = default;

void ChartOpener::OpenChart() {
    if (!Chart) {
        Chart = std::make_unique<ChartWindow>(History, IniPath);
        Chart->Levels = Levels;
    }
    Chart->Open();
}
