#pragma once

#include "history/chartlines.h"

#include <QString>
#include <QtPlugin>

#include <functional>

class QWidget;

// What the plot writes, in the user's language.
struct ChartTexts {
    QString Rate;
    QString Band;
    QString LowerLimit;
    QString UpperLimit;
    QString NoReadings;
};

// The chart itself, drawn with Qt Charts in a module of its own, loaded when the chart first
// opens, so a program that never shows its chart never maps Qt Charts.
class ChartPlot {
public:
    virtual ~ChartPlot() = default;
    // The plot as a widget; its parent owns it.
    virtual QWidget* Widget() = 0;
    // Replaces what is drawn. A level below 0.0001 draws no line.
    virtual void Show(const ChartLines& lines, double buyLevel, double sellLevel) = 0;
    // Draws nothing at all: no axes, no legend, no message.
    virtual void Clear() = 0;
    // Horizontal pixels of the plot area: one slice each.
    virtual int PlotWidth() const = 0;
};

// The module's root object: the program loads it (support/modules.h) and never links it.
class ChartModule {
public:
    virtual ~ChartModule() = default;
    // hoverText writes the crosshair's time (UTC milliseconds) and rate.
    virtual ChartPlot* CreatePlot(QWidget* parent, const ChartTexts& texts,
                                  std::function<QString(qint64, double)> hoverText) = 0;
};

#define ChartModule_iid "nl.qzrate.ChartModule/2"
Q_DECLARE_INTERFACE(ChartModule, ChartModule_iid)
