#pragma once

#include "history/chartopener.h"
#include "history/historyservice.h"

#include <QObject>

class TMainForm;

// The rate history beside the main window: every reading the window takes goes into the
// history, and its menu item opens the chart.
class HistoryWiring : public QObject {
    Q_OBJECT

public:
    // iniPath: the program's settings file, where the chart keeps its own group.
    HistoryWiring(TMainForm& main, const QString& iniPath, const QString& databasePath);

    HistoryService History;
    ChartOpener Opener;
};
