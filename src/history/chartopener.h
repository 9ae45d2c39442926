#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <utility>

class ChartWindow;
class HistoryService;

// Opens the rate history's chart, made on its first opening.
class ChartOpener : public QObject {
    Q_OBJECT

public:
    // The buy level and the sell level, which the chart draws as lines.
    using LevelsFunction = std::function<std::pair<double, double>()>;

    // iniPath: the program's settings file, where the chart keeps its own group.
    ChartOpener(HistoryService& history, const QString& iniPath);
    ~ChartOpener() override;

    void OpenChart();

    // Asked each time the chart draws; none before the chart is wired to a window.
    LevelsFunction Levels = [] { return std::pair{0.0, 0.0}; };
    std::unique_ptr<ChartWindow> Chart;

private:
    HistoryService& History;
    QString IniPath;
};
