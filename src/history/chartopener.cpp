#include "history/chartopener.h"

#include "history/chartwindow.h"

ChartOpener::ChartOpener(HistoryService& history, const QString& iniPath)
    : History(history), IniPath(iniPath) {}

ChartOpener::~ChartOpener() = default;

void ChartOpener::OpenChart() {
    if (!Chart) {
        Chart = std::make_unique<ChartWindow>(History, IniPath);
        Chart->Levels = Levels;
    }
    Chart->Open();
}
