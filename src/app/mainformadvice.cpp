#include "app/mainform.h"

#include "advice/advicelog.h"
#include "advice/tradingfile.h"
#include "platform/application.h"
#include "sources/ratereading.h"
#include "support/texthelpers.h"

#include <QLabel>
#include <QLineEdit>

#include <exception>

// The main window's advice panel: the trading parameters and the advice texts.

std::array<QLineEdit*, 8> TMainForm::ParameterEdits() const {
    return {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8};
}

void TMainForm::ReadTradingFile(bool atFirstShowing) {
    const SettingsStore orvane(QStringLiteral("Orvane"));
    // Without the sibling program there is nothing to read, which is no error at start.
    if (atFirstShowing && !HasTradingFile(orvane))
        return;
    const std::array<QLineEdit*, 8> edits = ParameterEdits();
    ReadTradingLines(LoadLines(TradingFileName(orvane)),
                     [&edits](int index, const QString& value) { edits[index]->setText(value); });
}

void TMainForm::ComputeTradingLevels() {
    ParameterTexts texts;
    const std::array<QLineEdit*, 8> edits = ParameterEdits();
    for (size_t i = 0; i < edits.size(); ++i)
        texts[i] = edits[i]->text();
    SetTradingLevels(Trading, texts);
}

void TMainForm::ShowAdvice() {
    RateReading& reading = SharedRateReading();
    reading.CurrentRate = ParseNumber(reading.RateText);
    const std::optional<AdviceTexts> texts =
        AdviceAt(Trading, reading.CurrentRate, Edit3->text(), Edit4->text(),
                 Regional.decimalSeparator, Regional.groupSeparator);
    if (!texts)
        return;
    for (const auto& [label, text] :
         {std::pair{AdviesLabel, texts->AdviesLabel}, std::pair{KoopLabel, texts->KoopLabel},
          std::pair{VerkoopLabel, texts->VerkoopLabel}}) {
        label->setText(text);
        label->adjustSize();
    }
    emit AdviceChanged(*texts);
    QPalette colours = AdviesLabel->palette();
    colours.setColor(QPalette::WindowText, texts->AdviesColour);
    AdviesLabel->setPalette(colours);
    qCInfo(lcAdvice).noquote() << AdviceLogLine(*texts);
    CheckAlarm(reading.CurrentRate);
}

void TMainForm::LeesOrvaneClick() {
    ReadTradingParameters(false);
}

void TMainForm::ReadTradingParameters(bool atFirstShowing) {
    try {
        ReadTradingFile(atFirstShowing);
    } catch (const std::exception& error) {
        Application::ShowException(QString::fromUtf8(error.what()));
        return;
    }
    ComputeTradingLevels();
    ShowAdvice();
}
