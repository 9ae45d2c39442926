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
    ChartOpener(HistoryService& history, const QString& iniPath, LevelsFunction levels);
    ~ChartOpener() override;

    void OpenChart();

    std::unique_ptr<ChartWindow> Chart;

private:
    HistoryService& History;
    QString IniPath;
    LevelsFunction Levels;
};
