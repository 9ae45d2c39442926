#pragma once

#include "history/historyservice.h"

#include <QObject>

#include <memory>

class ChartWindow;
class TMainForm;

// The rate history beside the main window: every reading the window takes goes into the
// history, and its menu item opens the chart, made on first use.
class HistoryWiring : public QObject {
    Q_OBJECT

public:
    // iniPath: the program's settings file, where the chart keeps its own group.
    HistoryWiring(TMainForm& main, const QString& iniPath, const QString& databasePath);
    ~HistoryWiring() override;

    void OpenChart();

    HistoryService History;
    std::unique_ptr<ChartWindow> Chart;

private:
    TMainForm& Main;
    QString IniPath;
};
