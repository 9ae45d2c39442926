#pragma once

#include "history/chartplot.h"
#include "history/chartquery.h"
#include "history/historyexport.h"
#include "support/regional.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>

class ChartModule;
class ChartPlot;
class HistoryService;
class QAbstractButton;
class QButtonGroup;
class QLabel;
class QProgressBar;
class QPushButton;
class QThread;
class QVBoxLayout;

// The rate history's window: the ranges, the chart and the export. It loads the chart's module
// when it first opens and asks the history's thread for what to draw, so neither the window
// nor the main window waits. It keeps its range and its geometry in a group of its own.
class ChartWindow : public QWidget {
    Q_OBJECT

public:
    // iniPath: the program's settings file.
    ChartWindow(HistoryService& history, const QString& iniPath, QWidget* parent = nullptr);
    ~ChartWindow() override;

    // Shows the window (raised when already open) on its last range.
    void Open();
    ChartRange Range() const { return CurrentRange; }
    void SetRange(ChartRange range);
    void ExportClick();

    // The current buy and sell levels.
    std::function<std::pair<double, double>()> Levels = [] { return std::pair{0.0, 0.0}; };
    // Seams for the export: the file chosen (empty: none) and how a failure is told.
    std::function<QString()> AskExportPath;
    std::function<void(const QString&)> ShowExportError;

    // One line that tells why there is no chart, hidden while there is one.
    QLabel* Notice;
    QPushButton* ExportButton;
    QProgressBar* ExportShare;
    QButtonGroup* Ranges;
    ChartPlot* Plot = nullptr;

signals:
    // The chart has painted what came back from the history.
    void Painted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void LoadModule();
    void ModuleLoaded();
    void Ask();
    void Answer(quint64 ticket, const ChartLines& lines, const QString& error);
    void ShowLines();
    void Exported(const ExportResult& result);
    void SaveState() const;
    QString Text(const char* dutch, const char* english) const;

    HistoryService& History;
    QString IniPath;
    RegionalSettings Regional;
    QLocale Language;
    ChartTexts Texts;
    ChartRange CurrentRange = ChartRange::Day;
    QVBoxLayout* Body;
    QTimer ResizeSettled;
    QThread* ModuleLoader = nullptr;
    ChartModule* Module = nullptr;
    QString ModuleError;
    quint64 Asked = 0;
    bool AskAgain = false;
    std::optional<ChartLines> Lines;
    // Nothing could be read: nothing is drawn.
    bool Unreadable = false;
    QString LastError;
    bool PaintPending = false;
    std::shared_ptr<std::atomic_bool> ExportCancel;
};
