#include "app/mainform.h"

#include "platform/desktopnotifier.h"
#include "support/systeminfo.h"

#include "advice/advicelog.h"
#include "advice/tradingfile.h"
#include "platform/application.h"
#include "settings/settingsmodel.h"
#include "sources/ratereading.h"
#include "support/texthelpers.h"
#include "widgets/glyphs.h"

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include <exception>

// The main window's advice panel and alarm: the trading parameters, the advice texts, the
// alarm buttons with their blink timers and the sweeps.

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

void TMainForm::CheckAlarm(double rate) {
    const AppliedSettings& applied = Settings.Applied();
    const AlarmDecision alarm =
        DecideAlarm(rate, Trading.SellLevel, Trading.BuyLevel, applied.AlarmOn, applied.SoundOn);
    if (alarm.State == AlarmState::Unchanged)
        return;
    qCInfo(lcAlarm).noquote() << AlarmLogLine(alarm.State);
    Silence.Checked(alarm.State, applied.SoundOn);
    ShowSilence();
    const std::optional<AlarmNotice> notice =
        Notices.Checked(alarm.State, rate, Trading.SellLevel, Trading.BuyLevel, LanguageCode(),
                        Regional.decimalSeparator);
    if (Notifier) {
        if (notice)
            Notifier->Notify(notice->Summary, notice->Body,
                             applied.SoundOn ? notice->Action : QString());
        else if (alarm.State == AlarmState::Inside || alarm.State == AlarmState::Off)
            Notifier->Close();
    }
    if (alarm.State == AlarmState::Off) {
        for (QToolButton* button : {ButtonMax, ButtonMin, ButtonCheck})
            button->hide();
        return;
    }
    // A silenced alarm still shows, without a sound.
    if (!Silence.Silenced()) {
        if (alarm.Sound == Sweep::Rising)
            BeepRising();
        else if (alarm.Sound == Sweep::Falling)
            BeepFalling();
    }
    ButtonMax->setVisible(alarm.ShowMax);
    ButtonMin->setVisible(alarm.ShowMin);
    ButtonCheck->setVisible(alarm.ShowCheck);
    SetTimerRunning(MaxTimer, alarm.MaxTimer);
    SetTimerRunning(MinTimer, alarm.MinTimer);
}

void TMainForm::BeepRising() {
    if (PlaySweep)
        PlaySweep(Sweep::Rising);
}

void TMainForm::BeepFalling() {
    if (PlaySweep)
        PlaySweep(Sweep::Falling);
}

void TMainForm::SilenceAlarm() {
    if (!Silence.Click())
        return;
    Sound.Stop();
    if (Notifier)
        Notifier->Close();
    ShowSilence();
}

void TMainForm::ShowSilence() {
    // The arrows keep blinking, struck through while silenced: the rate is still outside the band.
    ButtonMax->setIcon(Silence.Silenced() ? AlarmHighSilencedGlyph() : AlarmHighGlyph());
    ButtonMin->setIcon(Silence.Silenced() ? AlarmLowSilencedGlyph() : AlarmLowGlyph());
    AlarmSpot->setToolTip(Silence.ToolTip());
    AlarmSpot->setGeometry(ButtonMax->geometry());
    AlarmSpot->setVisible(!Silence.ToolTip().isEmpty());
}

void TMainForm::SetAlarmDisplay(bool on) {
    ButtonMax->setVisible(on);
    ButtonMin->setVisible(on);
    SetTimerRunning(MaxTimer, on);
    SetTimerRunning(MinTimer, on);
}

void TMainForm::CheckAlarmAtCurrentRate() {
    CheckAlarm(SharedRateReading().CurrentRate);
}

void TMainForm::MaxTimerTimer() {
    ButtonMax->setHidden(!ButtonMax->isHidden());
}

void TMainForm::MinTimerTimer() {
    ButtonMin->setHidden(!ButtonMin->isHidden());
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
