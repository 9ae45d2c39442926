#include "advice/tradingdesk.h"

#include "advice/advicelog.h"
#include "advice/tradingfile.h"
#include "support/regional.h"

#include <exception>

TradingDesk::TradingDesk(QObject* parent) : QObject(parent) {}

void TradingDesk::ReadTradingFile(const SettingsStore& orvane, bool atFirstShowing) {
    // Without the sibling program there is nothing to read, which is no error at start.
    if (atFirstShowing && !HasTradingFile(orvane))
        return;
    ReadTradingLines(LoadLines(TradingFileName(orvane)),
                     [this](int index, const QString& value) { SetText(index, value); });
}

void TradingDesk::ComputeTradingLevels() {
    SetTradingLevels(Trading, Parameters);
}

std::optional<QString> TradingDesk::ReadTradingParameters(const SettingsStore& orvane,
                                                          bool atFirstShowing) {
    try {
        ReadTradingFile(orvane, atFirstShowing);
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    }
    ComputeTradingLevels();
    return std::nullopt;
}

bool TradingDesk::ShowAdvice(double rate, const RegionalSettings& regional) {
    const std::optional<AdviceTexts> texts =
        AdviceAt(Trading, rate, Parameters[2], Parameters[3], regional.decimalSeparator,
                 regional.groupSeparator);
    if (!texts)
        return false;
    emit AdviceChanged(*texts);
    qCInfo(lcAdvice).noquote() << AdviceLogLine(*texts);
    return true;
}

void TradingDesk::SetText(int index, const QString& text) {
    if (Parameters[index] == text)
        return;
    Parameters[index] = text;
    emit TextChanged(index, text);
}
