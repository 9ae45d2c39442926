#include "app/mainform.h"

#include "app/ratepresentation.h"
#include "app/windowplacement.h"
#include "platform/application.h"
#include "platform/applog.h"
#include "platform/screens.h"
#include "settings/programidentity.h"
#include "settings/settingsmodel.h"
#include "sources/ratereading.h"
#include "support/regional.h"
#include "support/serviceconfig.h"
#include "support/systeminfo.h"
#include "support/texthelpers.h"
#include "widgets/glyphs.h"
#include "widgets/verdanafont.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

#include <exception>

namespace {

constexpr int NormalHeight = 125;
constexpr int LargeHeight = 300;
constexpr int WindowWidth = 340;

} // namespace

TMainForm::TMainForm(const SettingsStore& store, SettingsModel& settings, QWidget* parent)
    : QWidget(parent), ScreenGeometry(ScreenGeometryAt),
      Drag(*this, [this] { return ArrowSpot(); }),
      Scheduler(SharedRateReading(), SystemServiceConfig(), SystemRegionalSettings()), Store(store),
      Settings(settings), DeltaImage(383, 24, QImage::Format_RGB32) {
    // The system's light 3D colour, which the palette keeps as Midlight (on Windows the same
    // system colour), a little darker than the button face of the rate labels.
    SetColour(this, QPalette::Window, palette().color(QPalette::Midlight));
    setAutoFillBackground(true);
    setFont(VerdanaFont(12));
    resize(395, 294);

    SetupPanels(this);
    ConnectControls();

    MinTimer.setInterval(300);
    MaxTimer.setInterval(300);

    connect(&MaxTimer, &QTimer::timeout, this, &TMainForm::MaxTimerTimer);
    connect(&MinTimer, &QTimer::timeout, this, &TMainForm::MinTimerTimer);
    connect(&Alarm, &AlarmWatch::DisplayChanged, this, &TMainForm::ShowAlarm);
    connect(&Desk, &TradingDesk::AdviceChanged, this,
            qOverload<const AdviceTexts&>(&TMainForm::ShowAdvice));
    connect(Download, &QAction::triggered, this, &TMainForm::RefreshRate);
    connect(&Scheduler.Refresh, &RefreshCycle::ReadingFinished, this, &TMainForm::ReadingFinished);
    connect(&Scheduler.Refresh, &RefreshCycle::ReferenceShown, this, &TMainForm::ShowReferenceLine);
    connect(&Scheduler, &ReadingScheduler::Ticked, this, &TMainForm::ShowTick);
    connect(&Scheduler, &ReadingScheduler::Idle, this, &TMainForm::RestoreCursor);
    connect(&Settings, &SettingsModel::LargeModeChanged, this, &TMainForm::ArrangePanels);
    FormCreate();
}

TMainForm::~TMainForm() {
    FormDestroy();
}

void TMainForm::ConnectControls() {
    const std::array<QLineEdit*, 8> edits = ParameterEdits();
    for (int index = 0; index < 8; ++index) {
        edits[index]->setText(Desk.Texts()[index]);
        connect(edits[index], &QLineEdit::textChanged, &Desk,
                [this, index](const QString& text) { Desk.SetText(index, text); });
    }
    connect(&Desk, &TradingDesk::TextChanged, this,
            [this](int index, const QString& text) { ParameterEdits()[index]->setText(text); });
    connect(ButtonInfo, &QToolButton::clicked, this, &TMainForm::ButtonInfoClick);
    connect(LeesOrvane, &QAction::triggered, this, &TMainForm::LeesOrvaneClick);
    connect(Formaat, &QAction::triggered, this, &TMainForm::FormaatClick);
    connect(Instellingen, &QAction::triggered, this, &TMainForm::InstellingenClick);
    connect(OverqzRate1, &QAction::triggered, this, &TMainForm::ButtonInfoClick);
    connect(Afsluiten, &QAction::triggered, this, &TMainForm::AfsluitenClick);
    connect(OverqzRate, &QAction::triggered, this, &TMainForm::OverqzRateClick);
    // A widget on the desktop is seldom the active window; its tooltips show all the same.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    Drag.Watch(LabelWait);
    connect(&Drag, &WindowDrag::RightPressed, this,
            [this](const QPoint& onScreen) { PopupMenu->popup(onScreen - QPoint(200, 200)); });
    connect(&Drag, &WindowDrag::LeftReleased, this,
            [this](const QRect& spot, const QPoint& pressInWindow, const QPoint& pressAt,
                   const QPoint& releaseAt) {
                if (IsArrowClick(spot, pressInWindow, pressAt, releaseAt))
                    SilenceAlarm();
            });
}

// The arrows' spot counts in either phase of the blink, so a press on the panel while the arrow
// is hidden is a press on the arrow too.
QRect TMainForm::ArrowSpot() const {
    return QRect(ButtonMax->mapTo(this, QPoint(0, 0)), ButtonMax->size());
}

void TMainForm::FormCreate() {
    setWindowTitle(ProductName + QStringLiteral(", ") + VersionText);
    move(StoredPosition(Store));
    setWindowFlag(Qt::FramelessWindowHint);
    SharedRateReading().FirstReading = true;
    UserDataFolder(ProductName);
}

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void TMainForm::FormShow() {
    if (ShownOnce)
        return;
    ShownOnce = true;
    emit FirstShown();
    resize(WindowWidth, LargeMode() ? LargeHeight : NormalHeight);
    if (!Settings.Applied().AlarmOn) {
        ButtonMax->hide();
        ButtonMin->hide();
        ButtonCheck->hide();
    }

    Scheduler.ChooseSource();
    const ServiceConfig& services = Scheduler.Refresh.Services();
    ShowText(LabelWait, WaitText((Scheduler.MarketClosed ? services.d2e : services.iex).host()));
    LabelWait->move((width() - LabelWait->width()) / 2, 20);

    Marks.Reset();
    ArrangeWindow();
    ShowRateLabels();
    // Once the event loop runs: an error box shown from inside the showing would come before
    // the window, and an end asked for while it is open would be lost before the loop starts.
    QMetaObject::invokeMethod(
        this, [this] { ReadTradingParameters(true); }, Qt::QueuedConnection);
}

void TMainForm::ArrangeWindow() {
    ArrangeRateLine();
    CheckAlarm(SharedRateReading().CurrentRate);

    Scheduler.ChooseSource();
    if (LargeMode())
        ShowLargeSize();
    else
        ShowNormalSize();
    if (!Scheduler.StartPending)
        RefreshRate();
    // Kept on the screen the window stands on, so a second monitor keeps its window.
    move(KeepOnScreen(pos(), size(), ScreenGeometry(pos())));
}

void TMainForm::ShowRateLabels() {
    const std::optional<RateLabelTexts> texts = RateLineTexts(SharedRateReading());
    if (!texts)
        return;
    ShowText(Label2, texts->Label2);
    ShowText(Label3, texts->Label3);
    LineUpRateLabels();
}

void TMainForm::RefreshRate() {
    Scheduler.RefreshRate();
}

void TMainForm::ShowTick() {
    if (!WaitCursorShown) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        WaitCursorShown = true;
    }
    // Large mode keeps the window above the others; normal mode lets them cover it.
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) != LargeMode()) {
        const bool shown = isVisible();
        setWindowFlag(Qt::WindowStaysOnTopHint, LargeMode());
        if (shown)
            show();
    }
}

void TMainForm::RestoreCursor() {
    if (WaitCursorShown) {
        QApplication::restoreOverrideCursor();
        WaitCursorShown = false;
    }
}

void TMainForm::ReadingFinished(const QString& prefix) {
    LabelWait->hide();
    ShowText(Label1, prefix);
    // The two prefixes differ in width; the rest of the line follows the new one.
    LineUpRateLabels();
    const RateReading& reading = SharedRateReading();
    if (reading.RateText == NoConnectionCode) {
        emit MessageAsked(QStringLiteral("Geen verbinding"));
        return;
    }
    if (reading.RateText == NoUsablePageCode) {
        emit MessageAsked(QStringLiteral("Geen gegevens ontvangen"));
        return;
    }
    SetLineToolTip(QString());
    ColourRateLabels();
    ShowRateLabels();
    ShowAdvice();
    SharedRateReading().CurrentRate = ParseNumber(reading.RateText);
    DrawDeltaImage(reading.CurrentRate);
    CheckAlarm(reading.CurrentRate);
}

void TMainForm::ShowReferenceLine(const QString& prefix, const ReferenceDay& day,
                                  const std::optional<ReferenceDay>& previous) {
    const ReferenceLineTexts texts =
        ReferenceLine(day, previous, prefix, Regional.decimalSeparator, LanguageCode() != u"NLD");
    ShowText(Label1, texts.Label1);
    ShowText(Label2, texts.Label2);
    ShowText(Label3, texts.Label3);
    // No direction: an official rate of the day, not a step of the market's.
    for (QLabel* label : {Label1, Label2})
        SetColour(label, QPalette::WindowText, RateBlack);
    SetLineToolTip(texts.ToolTip);
    LineUpRateLabels();
}

void TMainForm::SetLineToolTip(const QString& text) {
    for (QLabel* label : {Label1, Label2, Label3})
        label->setToolTip(text);
}

void TMainForm::ReadTradingParameters(bool atFirstShowing) {
    if (const std::optional<QString> error =
            Desk.ReadTradingParameters(SettingsStore(QStringLiteral("Orvane")), atFirstShowing))
        Application::ShowException(*error);
    else
        ShowAdvice();
}

void TMainForm::ShowAdvice() {
    RateReading& reading = SharedRateReading();
    reading.CurrentRate = ParseNumber(reading.RateText);
    if (Desk.ShowAdvice(reading.CurrentRate, Regional))
        CheckAlarm(reading.CurrentRate);
}

void TMainForm::ShowAdvice(const AdviceTexts& texts) {
    ShowText(AdviesLabel, texts.AdviesLabel);
    ShowText(KoopLabel, texts.KoopLabel);
    ShowText(VerkoopLabel, texts.VerkoopLabel);
    SetColour(AdviesLabel, QPalette::WindowText, texts.AdviesColour);
}

void TMainForm::CheckAlarm(double rate) {
    const AppliedSettings& applied = Settings.Applied();
    Alarm.CheckAlarm(rate, Desk.Trading.SellLevel, Desk.Trading.BuyLevel, applied.AlarmOn,
                     applied.SoundOn, LanguageCode(), Regional.decimalSeparator);
}

void TMainForm::CheckAlarmAtCurrentRate() {
    CheckAlarm(SharedRateReading().CurrentRate);
}

void TMainForm::ShowAlarm(const AlarmDisplay& display) {
    // The arrows keep blinking, struck through while silenced: the rate is still outside the band.
    ButtonMax->setIcon(display.Silenced ? AlarmHighSilencedGlyph() : AlarmHighGlyph());
    ButtonMin->setIcon(display.Silenced ? AlarmLowSilencedGlyph() : AlarmLowGlyph());
    AlarmSpot->setToolTip(display.ToolTip);
    AlarmSpot->setGeometry(ButtonMax->geometry());
    AlarmSpot->setVisible(!display.ToolTip.isEmpty());
    if (!display.Arrows)
        return;
    if (display.Arrows->State == AlarmState::Off) {
        for (QToolButton* button : {ButtonMax, ButtonMin, ButtonCheck})
            button->hide();
        return;
    }
    ButtonMax->setVisible(display.Arrows->ShowMax);
    ButtonMin->setVisible(display.Arrows->ShowMin);
    ButtonCheck->setVisible(display.Arrows->ShowCheck);
    SetTimerRunning(MaxTimer, display.Arrows->MaxTimer);
    SetTimerRunning(MinTimer, display.Arrows->MinTimer);
}

void TMainForm::SetAlarmDisplay(bool on) {
    ButtonMax->setVisible(on);
    ButtonMin->setVisible(on);
    SetTimerRunning(MaxTimer, on);
    SetTimerRunning(MinTimer, on);
}

void TMainForm::MaxTimerTimer() {
    ButtonMax->setHidden(!ButtonMax->isHidden());
}

void TMainForm::MinTimerTimer() {
    ButtonMin->setHidden(!ButtonMin->isHidden());
}

void TMainForm::ColourRateLabels() {
    const std::optional<RateLabelColours> colours =
        RateLineColours(SharedRateReading(), Settings.Applied().AlarmOn);
    if (!colours)
        return;
    if (colours->RunCheckAlarm)
        CheckAlarm(SharedRateReading().CurrentRate);
    SetColour(Label1, QPalette::WindowText, colours->Label1);
    SetColour(Label2, QPalette::WindowText, colours->Label2);
}

void TMainForm::DrawDeltaImage(double rate) {
    Marks.DrawDeltaImage(rate, DeltaImage);
    ImageDelta->setPixmap(QPixmap::fromImage(DeltaImage));
}

void TMainForm::ShowNormalSize() {
    Settings.SetLargeMode(false);
}

void TMainForm::ShowLargeSize() {
    Settings.SetLargeMode(true);
}

bool TMainForm::LargeMode() const {
    return Settings.LargeMode();
}

void TMainForm::ArrangePanels(bool large) {
    resize(WindowWidth, large ? LargeHeight : NormalHeight);
    // The parameters stand above the advice in large mode only.
    PanelMain->setVisible(large);
    PanelKoers->show();
    if (large)
        PanelMain->move(PanelMain->x(), 1);
    PanelAdvies->move(PanelAdvies->x(), large ? PanelMain->y() + PanelMain->height() + 1 : 2);
    PanelKoers->move(PanelKoers->x(), PanelAdvies->y() + PanelAdvies->height() + 1);
    Formaat->setText(large ? QStringLiteral("Klein formaat") : QStringLiteral("Groot formaat"));
}

void TMainForm::FormaatClick() {
    if (!ShownOnce)
        return;
    if (LargeMode())
        ShowNormalSize();
    else
        ShowLargeSize();
    ShowRateLabels();
    // The size has changed either way; a store that cannot be written is not reported.
    try {
        Settings.StoreSizeMode();
    } catch (const std::exception& error) {
        qCWarning(lcApp) << "size mode not stored:" << error.what();
    }
}

void TMainForm::InstellingenClick() {
    emit SettingsAsked();
}

void TMainForm::AfsluitenClick() {
    // While the window is still open: a save that fails is reported before the program ends.
    emit QuitAsked();
    close();
}

void TMainForm::ButtonInfoClick() {
    InfoPopup->popup(FrameOnScreen(*this).topLeft() + ButtonInfo->pos() + QPoint(30, 20));
}

void TMainForm::OverqzRateClick() {
    emit AboutAsked();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) {
        // While it is still on the screen: a closed window has no place there.
        PlaceAtClose = FrameOnScreen(*this);
        emit Closed();
    }
}

void TMainForm::FormDestroy() {
    // Where the window's position cannot be known, the one the user had stays stored.
    if (OnWayland())
        return;
    // Nothing may escape a destructor; a store that cannot be written loses the position.
    try {
        StorePosition(Store, PlaceAtClose.value_or(FrameOnScreen(*this)).topLeft());
    } catch (const std::exception& error) {
        qCWarning(lcApp) << "window position not stored:" << error.what();
    }
}
