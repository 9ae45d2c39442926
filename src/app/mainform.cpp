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
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QToolButton>
#include <QWindow>

#include <exception>

namespace {

constexpr int NormalHeight = 125;
constexpr int LargeHeight = 300;
constexpr int WindowWidth = 340;

const QColor WaitColour(255, 255, 227);

QFrame* Panel(QWidget* parent, const QRect& rect) {
    auto* panel = new QFrame(parent);
    panel->setGeometry(rect);
    return panel;
}

// A label that is as large as its text, as the rate line's labels must be.
QLabel* SizedLabel(const QString& text, QWidget* parent, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QToolButton* SpeedButton(const QIcon& glyph, QWidget* parent, const QRect& rect) {
    auto* button = new QToolButton(parent);
    button->setGeometry(rect);
    button->setAutoRaise(true);
    button->setIcon(glyph);
    button->setIconSize({16, 16});
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

TMainForm::TMainForm(const SettingsStore& store, SettingsModel& settings, QWidget* parent)
    : QWidget(parent), ScreenGeometry(ScreenGeometryAt),
      Drag(*this, [this] { return ArrowSpot(); }),
      Scheduler(SharedRateReading(), SystemServiceConfig(), SystemRegionalSettings()), Store(store),
      Settings(settings), DeltaImage(383, 24, QImage::Format_RGB32) {
    // The system's light 3D colour, which the palette keeps as Midlight (on Windows the same
    // system colour), a little darker than the button face of the rate labels.
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Midlight));
    setPalette(colours);
    setAutoFillBackground(true);
    setFont(VerdanaFont(12));
    resize(395, 294);

    CreatePanelMain();
    CreatePanelAdvies();
    CreatePanelKoers();
    CreateMenus();
    RouteMouseEvents();

    MinTimer.setInterval(300);
    MaxTimer.setInterval(300);

    connect(&MaxTimer, &QTimer::timeout, this, &TMainForm::MaxTimerTimer);
    connect(&MinTimer, &QTimer::timeout, this, &TMainForm::MinTimerTimer);
    connect(&Alarm, &AlarmWatch::DisplayChanged, this, &TMainForm::ShowAlarm);
    connect(&Desk, &TradingDesk::AdviceChanged, this,
            qOverload<const AdviceTexts&>(&TMainForm::ShowAdvice));
    connect(Download, &QAction::triggered, this, &TMainForm::RefreshRate);
    connect(&Scheduler.Refresh, &RefreshCycle::readingFinished, this, &TMainForm::ReadingFinished);
    connect(&Scheduler.Refresh, &RefreshCycle::referenceShown, this, &TMainForm::ShowReferenceLine);
    connect(&Scheduler, &ReadingScheduler::Ticked, this, &TMainForm::ShowTick);
    connect(&Scheduler, &ReadingScheduler::Idle, this, &TMainForm::RestoreCursor);
    connect(&Settings, &SettingsModel::LargeModeChanged, this, &TMainForm::ArrangePanels);
    FormCreate();
}

TMainForm::~TMainForm() {
    FormDestroy();
}

void TMainForm::CreatePanelMain() {
    PanelMain = Panel(this, {0, 0, 395, 178});
    const struct {
        QLabel* TMainForm::*label;
        QLineEdit* TMainForm::*edit;
        const char* caption;
    } rows[] = {
        {&TMainForm::Label4, &TMainForm::Edit1, "KoopDrempel %"},
        {&TMainForm::Label5, &TMainForm::Edit2, "VerkoopDrempel %"},
        {&TMainForm::Label6, &TMainForm::Edit3, "KoopAgressie"},
        {&TMainForm::Label7, &TMainForm::Edit4, "VerkoopAgressie"},
        {&TMainForm::Label8, &TMainForm::Edit5, "Kosten %"},
        {&TMainForm::Label9, &TMainForm::Edit6, "ReferentieWaarde"},
        {&TMainForm::Label10, &TMainForm::Edit7, "ReferentieKoers"},
        {&TMainForm::Label11, &TMainForm::Edit8, "Aantal"},
    };
    int top = 4;
    for (int index = 0; index < 8; ++index) {
        const auto& row = rows[index];
        QLabel* label = new QLabel(QString::fromUtf8(row.caption), PanelMain);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setGeometry(8, top, 166, 20);
        QLineEdit* edit = new QLineEdit(Desk.Texts()[index], PanelMain);
        // A right click opens the window's menu only, not the edit's own menu on top of it.
        edit->setContextMenuPolicy(Qt::PreventContextMenu);
        edit->setGeometry(182, top, 90, 20);
        connect(edit, &QLineEdit::textChanged, &Desk,
                [this, index](const QString& text) { Desk.SetText(index, text); });
        this->*row.label = label;
        this->*row.edit = edit;
        top += 21;
    }
    connect(&Desk, &TradingDesk::TextChanged, this,
            [this](int index, const QString& text) { ParameterEdits()[index]->setText(text); });
}

void TMainForm::CreatePanelAdvies() {
    PanelAdvies = Panel(this, {1, 175, 391, 69});
    AdviesLabel = SizedLabel(QString(), PanelAdvies, 8, 4);
    KoopLabel = SizedLabel(QString(), PanelAdvies, 8, 25);
    VerkoopLabel = SizedLabel(QString(), PanelAdvies, 8, 46);
    LabelWait = SizedLabel(QStringLiteral("Wachten op verbinding"), PanelAdvies, 112, 30);
    QPalette colours = LabelWait->palette();
    colours.setColor(QPalette::Window, WaitColour);
    LabelWait->setPalette(colours);
    LabelWait->setAutoFillBackground(true);
}

void TMainForm::CreatePanelKoers() {
    PanelKoers = Panel(this, {0, 244, 395, 50});
    PanelKoers->setFont(VerdanaFont(15));
    ImageDelta = new QLabel(PanelKoers);
    ImageDelta->setGeometry(6, 0, 383, 24);

    ButtonInfo = SpeedButton(InfoGlyph(), PanelKoers, {5, 25, 20, 21});
    // Created bottom to top: ButtonMax lies over ButtonCheck, which lies over ButtonMin.
    ButtonMin = SpeedButton(AlarmLowGlyph(), PanelKoers, {29, 25, 22, 24});
    ButtonCheck = SpeedButton(AlarmOkGlyph(), PanelKoers, {29, 25, 22, 24});
    ButtonMax = SpeedButton(AlarmHighGlyph(), PanelKoers, {29, 25, 22, 24});
    connect(ButtonInfo, &QToolButton::clicked, this, &TMainForm::ButtonInfoClick);

    Label1 = SizedLabel(QString(), PanelKoers, 61, 29);
    Label2 = SizedLabel(QString(), PanelKoers, 138, 29);
    Label3 = SizedLabel(QString(), PanelKoers, 215, 29);
    for (QLabel* label : {Label1, Label2, Label3}) {
        QPalette colours = label->palette();
        colours.setColor(QPalette::Window, colours.color(QPalette::Button));
        label->setPalette(colours);
        label->setAutoFillBackground(true);
    }
}

void TMainForm::RouteMouseEvents() {
    AlarmSpot = new QWidget(ButtonMax->parentWidget());
    AlarmSpot->setCursor(Qt::PointingHandCursor);
    AlarmSpot->hide();
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

void TMainForm::CreateMenus() {
    PopupMenu = new QMenu(this);
    Download = PopupMenu->addAction(QStringLiteral("Download USD"));
    Download->setShortcut(Qt::Key_F5);
    // On the window too, so F5 works while the menu is closed.
    addAction(Download);
    LeesOrvane = PopupMenu->addAction(QStringLiteral("Lees Orvane Data"));
    Formaat = PopupMenu->addAction(QStringLiteral("Klein"));
    Instellingen = PopupMenu->addAction(QStringLiteral("Instellingen..."));
    Koersverloop = PopupMenu->addAction(QStringLiteral("Koersverloop..."));
    PopupMenu->addSeparator();
    OverqzRate1 = PopupMenu->addAction(QStringLiteral("Informatie..."));
    PopupMenu->addSeparator();
    Afsluiten = PopupMenu->addAction(QStringLiteral("Afsluiten"));
    connect(LeesOrvane, &QAction::triggered, this, &TMainForm::LeesOrvaneClick);
    connect(Formaat, &QAction::triggered, this, &TMainForm::FormaatClick);
    connect(Instellingen, &QAction::triggered, this, &TMainForm::InstellingenClick);
    connect(OverqzRate1, &QAction::triggered, this, &TMainForm::ButtonInfoClick);
    connect(Afsluiten, &QAction::triggered, this, &TMainForm::AfsluitenClick);

    InfoPopup = new QMenu(this);
    OverqzRate = InfoPopup->addAction(QStringLiteral("Over qzRate..."));
    connect(OverqzRate, &QAction::triggered, this, &TMainForm::OverqzRateClick);
}

void TMainForm::FormCreate() {
    setWindowTitle(ProductName + QStringLiteral(", ") + VersionText);
    move(StoredPosition(Store));
    ShownOnce = false;
    Scheduler.StartPending = true;
    setWindowFlag(Qt::FramelessWindowHint);
    Label1->setText(QStringLiteral("USD: "));
    MaxTimer.stop();
    MinTimer.stop();
    SharedRateReading().FirstReading = true;

    ButtonInfo->move(1, ButtonInfo->y());
    ButtonMax->move(ButtonInfo->x() + ButtonInfo->width() + 1, ButtonMax->y());
    ButtonMin->move(ButtonMax->x(), ButtonMin->y());
    ButtonCheck->move(ButtonMax->x(), ButtonCheck->y());
    ButtonMax->hide();
    ButtonMin->hide();
    ButtonCheck->show();

    Label2->setText(QStringLiteral("*******"));
    Label3->setText(QStringLiteral(" @ *****"));
    for (QLabel* label : {Label1, Label2, Label3})
        label->adjustSize();
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
    LabelWait->setText(WaitText((Scheduler.MarketClosed ? services.d2e : services.iex).host()));
    LabelWait->adjustSize();
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
    Label1->move(Label1->x(), 27);
    Label2->move(Label2->x(), Label1->y());
    Label3->move(Label3->x(), Label1->y());
    const int buttonTop = Label2->y() - 2;
    for (QToolButton* button : {ButtonCheck, ButtonMax, ButtonMin})
        button->move(button->x(), buttonTop);
    ButtonInfo->move(ButtonInfo->x(), buttonTop + 1);

    Label1->move(ButtonInfo->width() + 3 + ButtonCheck->width() + 3, Label1->y());
    LineUpRateLabels();
    for (QToolButton* button : {ButtonInfo, ButtonMax, ButtonMin, ButtonCheck})
        button->show();
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
    Label2->setText(texts->Label2);
    Label3->setText(texts->Label3);
    Label2->adjustSize();
    Label3->adjustSize();
    LineUpRateLabels();
}

void TMainForm::LineUpRateLabels() {
    Label2->move(Label1->x() + Label1->width(), Label2->y());
    Label3->move(Label2->x() + Label2->width(), Label3->y());
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
    Label1->setText(prefix);
    Label1->adjustSize();
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
    for (const auto& [label, text] :
         {std::pair{Label1, texts.Label1}, std::pair{Label2, texts.Label2},
          std::pair{Label3, texts.Label3}}) {
        label->setText(text);
        label->adjustSize();
    }
    // No direction: an official rate of the day, not a step of the market's.
    for (QLabel* label : {Label1, Label2}) {
        QPalette colours = label->palette();
        colours.setColor(QPalette::WindowText, RateBlack);
        label->setPalette(colours);
    }
    SetLineToolTip(texts.ToolTip);
    LineUpRateLabels();
}

void TMainForm::SetLineToolTip(const QString& text) {
    for (QLabel* label : {Label1, Label2, Label3})
        label->setToolTip(text);
}

std::array<QLineEdit*, 8> TMainForm::ParameterEdits() const {
    return {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8};
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
    for (const auto& [label, text] :
         {std::pair{AdviesLabel, texts.AdviesLabel}, std::pair{KoopLabel, texts.KoopLabel},
          std::pair{VerkoopLabel, texts.VerkoopLabel}}) {
        label->setText(text);
        label->adjustSize();
    }
    QPalette colours = AdviesLabel->palette();
    colours.setColor(QPalette::WindowText, texts.AdviesColour);
    AdviesLabel->setPalette(colours);
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
    for (const auto& [label, colour] :
         {std::pair{Label1, colours->Label1}, std::pair{Label2, colours->Label2}}) {
        QPalette text = label->palette();
        text.setColor(QPalette::WindowText, colour);
        label->setPalette(text);
    }
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
