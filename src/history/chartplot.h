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
    QString Reference;
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
    // Replaces what is drawn, in the frame given.
    virtual void Show(const ChartLines& lines, const ChartFrame& frame) = 0;
    // Draws nothing at all: no axes, no legend, no message.
    virtual void Clear() = 0;
    // Horizontal pixels of the plot area: one slice each.
    virtual int PlotWidth() const = 0;
};

// Where the crosshair goes for the mouse at a time (UTC milliseconds); none hides it.
using HoverFinder = std::function<std::optional<ChartHover>(qint64 ms)>;

// The module's root object: the program loads it (support/modules.h) and never links it.
class ChartModule {
public:
    virtual ~ChartModule() = default;
    virtual ChartPlot* CreatePlot(QWidget* parent, const ChartTexts& texts, HoverFinder hover) = 0;
};

#define ChartModule_iid "nl.qzrate.ChartModule/3"
Q_DECLARE_INTERFACE(ChartModule, ChartModule_iid)
