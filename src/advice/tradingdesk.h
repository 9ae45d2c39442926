#pragma once

#include "advice/advice.h"

#include <QObject>
#include <QString>

#include <optional>

class SettingsStore;
struct RegionalSettings;

// The trading parameters: their eight texts (the parameter edits'), the levels they give and
// the advice at a rate. The edits follow TextChanged; the advice goes out as AdviceChanged.
class TradingDesk : public QObject {
    Q_OBJECT

public:
    explicit TradingDesk(QObject* parent = nullptr);

    // Fills the texts from the sibling program's export, each as it is read. Errors reach the
    // caller; at the first showing a store that names no file means there is nothing to read.
    void ReadTradingFile(const SettingsStore& orvane, bool atFirstShowing = false);
    void ComputeTradingLevels();
    // The reading, then the levels; an error of the reading ends the row and is returned.
    std::optional<QString> ReadTradingParameters(const SettingsStore& orvane, bool atFirstShowing);
    // The advice at rate, with the aggressions as their texts read now; false when there is
    // none to show.
    bool ShowAdvice(double rate, const RegionalSettings& regional);

    // index 0 .. 7 stands for Edit1 .. Edit8.
    void SetText(int index, const QString& text);
    const ParameterTexts& Texts() const { return Parameters; }

    TradingParameters Trading;

signals:
    void TextChanged(int index, const QString& text);
    void AdviceChanged(const AdviceTexts& texts);

private:
    // The design parameters until the export or the user changes them.
    ParameterTexts Parameters = {"2,45", "2,35",    "0,84",   "0,76",
                                 "0,22", "1534,71", "0,9027", "1852"};
};
