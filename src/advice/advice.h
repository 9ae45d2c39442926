#pragma once

#include <QColor>
#include <QString>

#include <array>
#include <optional>

// The trading parameters and what they give; all 0 until the first computation.
struct TradingParameters {
    double BuyThreshold = 0;  // D, percent
    double SellThreshold = 0; // U, percent
    double BuyFactor = 0;     // F
    double SellFactor = 0;    // V
    double CostPercentage = 0;
    double ReferenceValue = 0; // R, euros
    double Quantity = 0;       // N, dollars held
    double BuyLevel = 0;       // also the alarm's lower limit
    double SellLevel = 0;      // also the alarm's upper limit
    double BuyQuantity = 0;
    double SellQuantity = 0;
    double AdviceQuantity = 0; // positive: buy, negative: sell
};

inline const QColor FirmAdviceColour(0, 0, 255);
inline const QColor SmallChangeColour(255, 0, 0);

// The parameter edits' texts, Edit1 .. Edit8.
using ParameterTexts = std::array<QString, 8>;

// 1 / (1 - aggression) below 0.99999, else 1.
double AggressionFactor(double aggression);

// The levels and the quantities at them, from the parameter texts; AdviceQuantity is kept.
void SetTradingLevels(TradingParameters& parameters, const ParameterTexts& texts);

// What the advice panel and the settings dialog's limit labels show.
struct AdviceTexts {
    QString AdviesLabel;
    QColor AdviesColour;
    QString KoopLabel;
    QString VerkoopLabel;
    QString LabelBoven;
    QString LabelOnder;
};

// The advice at the current rate, with the aggressions as their edits read now. Nothing for
// a rate below 0.1 (no rate yet, or a result code) or a reference value of 1e8 or more; then
// the labels and the alarm stay as they are. Sets AdviceQuantity otherwise.
std::optional<AdviceTexts> AdviceAt(TradingParameters& parameters, double currentRate,
                                    const QString& buyAggression, const QString& sellAggression,
                                    QChar decimalSeparator, QChar groupSeparator);
