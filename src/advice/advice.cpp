#include "advice/advice.h"

#include "support/texthelpers.h"

#include <cmath>

namespace {

// Rounded to the nearest whole number, halves to even, without grouping. Written from the double
// itself, so a quantity beyond any integer type still shows as calculated (a rounded -0 shows
// as 0).
QString Whole(double x) {
    return QString::number(std::nearbyint(x), 'f', 0);
}

} // namespace

double AggressionFactor(double aggression) {
    return aggression < 0.99999 ? 1.0 / (1.0 - aggression) : 1.0;
}

void SetTradingLevels(TradingParameters& p, const ParameterTexts& texts) {
    p.BuyThreshold = ParseNumber(texts[0]);
    p.SellThreshold = ParseNumber(texts[1]);
    p.BuyFactor = AggressionFactor(ParseNumber(texts[2]));
    p.SellFactor = AggressionFactor(ParseNumber(texts[3]));
    p.CostPercentage = ParseNumber(texts[4]);
    p.ReferenceValue = ParseNumber(texts[5]);
    p.Quantity = ParseNumber(texts[7]);
    if (p.Quantity < 0.0001) {
        p.BuyLevel = p.SellLevel = p.BuyQuantity = p.SellQuantity = 0;
        return;
    }
    // Multiplied before the division, as written: dividing first changes the fourth decimal now
    // and then.
    p.BuyLevel = RoundTo4((1 - 0.01 * p.BuyThreshold) * p.ReferenceValue / p.Quantity);
    p.SellLevel = RoundTo4((0.01 * p.SellThreshold + 1) * p.ReferenceValue / p.Quantity);
    if (p.BuyLevel > 0 && p.SellLevel > 0) {
        p.BuyQuantity =
            RoundTo4(0.01 * p.BuyThreshold * p.BuyFactor * p.ReferenceValue / p.BuyLevel);
        p.SellQuantity =
            RoundTo4(0.01 * p.SellThreshold * p.SellFactor * p.ReferenceValue / p.SellLevel);
    } else {
        p.BuyQuantity = p.SellQuantity = 0;
    }
}

std::optional<AdviceTexts> AdviceAt(TradingParameters& p, double currentRate,
                                    const QString& buyAggression, const QString& sellAggression,
                                    QChar decimalSeparator, QChar groupSeparator) {
    const double f = ParseNumber(buyAggression);
    const double v = ParseNumber(sellAggression);
    if (currentRate < 0.1)
        return std::nullopt;
    const double F = AggressionFactor(f);
    const double V = AggressionFactor(v);
    if (std::abs(p.ReferenceValue) >= 1e8)
        return std::nullopt;

    const auto grouped = [&](int decimals, double x) {
        return FormatGrouped(2, decimals, x, decimalSeparator, groupSeparator);
    };
    const double d = p.ReferenceValue / currentRate - p.Quantity;
    const double q = d >= 0.0001 ? d * F : d * V;
    p.AdviceQuantity = q;
    const bool firm = (q < 0.0001 && -q >= p.SellQuantity) || (q >= 0.0001 && q >= p.BuyQuantity);

    AdviceTexts texts;
    // A sale shows its quantity as a positive number.
    const bool sell = q <= -0.001;
    const double shown = sell ? -q : q;
    const QString action = sell ? QStringLiteral(" Verkopen: ") : QStringLiteral(" Kopen: ");
    QString exact;
    if (!firm)
        exact = grouped(2, shown); // too small to act on: two decimals, not rounded to 4 first
    else if (std::abs(q) >= 0.001)
        exact = grouped(4, RoundTo4(shown));
    else
        exact = grouped(2, RoundTo4(shown));
    texts.AdviesLabel =
        (firm ? QStringLiteral(" Handel-advies:") : QStringLiteral(" Verandering te klein; ")) +
        action + Whole(shown) + QStringLiteral(" (") + exact + QStringLiteral(")") +
        QStringLiteral(" stuks");
    texts.AdviesColour = firm ? FirmAdviceColour : SmallChangeColour;

    if (p.BuyLevel >= 0.0001 && p.SellLevel >= 0.0001) {
        const auto levelLine = [&](double level, const QString& act, double quantity) {
            return QStringLiteral(" Bij ") + grouped(4, RoundTo4(level)) + act + Whole(quantity) +
                   QStringLiteral(" (") + grouped(4, RoundTo4(quantity)) + QStringLiteral(")") +
                   QStringLiteral(" stuks");
        };
        texts.KoopLabel = levelLine(p.BuyLevel, QStringLiteral(" Kopen: "), p.BuyQuantity);
        texts.VerkoopLabel = levelLine(p.SellLevel, QStringLiteral(" Verkopen: "), p.SellQuantity);
    }
    texts.LabelBoven = FormatFixed(2, 4, p.SellLevel, decimalSeparator);
    texts.LabelOnder = FormatFixed(2, 4, p.BuyLevel, decimalSeparator);
    return texts;
}
