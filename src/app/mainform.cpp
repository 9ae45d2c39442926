#include "app/mainform.h"

#include "advice/advicelog.h"
#include "advice/tradingfile.h"
#include "app/mainformlogic.h"
#include "app/marketclock.h"
#include "app/messageform.h"
#include "app/ratepresentation.h"
#include "platform/application.h"
#include "platform/applog.h"
#include "settings/appliedsettings.h"
#include "settings/optionsform.h"
#include "settings/programidentity.h"
#include "sources/ratereading.h"
#include "support/regional.h"
#include "support/serviceconfig.h"
#include "support/systeminfo.h"
#include "support/texthelpers.h"
#include "widgets/glyphs.h"
#include "widgets/verdanafont.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QToolButton>
#include <QWindow>

#include <exception>

namespace {

constexpr int NormalHeight = 125;
constexpr int LargeHeight = 300;
constexpr int WindowWidth = 340;

QSize PrimaryScreenSize() {
    return QGuiApplication::primaryScreen()->size();
}

void SetTimerRunning(QTimer& timer, bool running) {
    if (running != timer.isActive()) {
        if (running)
            timer.start();
        else
            timer.stop();
    }
}

bool OnWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

TMainForm::TMainForm(const SettingsStore& store, QWidget* parent)
    : QWidget(parent), Clock(&QDateTime::currentDateTime), ScreenSize(PrimaryScreenSize),
      Refresh(SharedRateReading(), SystemServiceConfig(), SystemRegionalSettings(),
              [this] { return Clock(); }),
      Store(store), DeltaImage(383, 24, QImage::Format_RGB32) {
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

    DownloadTimer.setInterval(100);
    DownloadTimer.start();
    UpdateTimer.setInterval(60000);
    UpdateTimer.setSingleShot(true);
    MinTimer.setInterval(300);
    MaxTimer.setInterval(300);
    TimerStart.setInterval(1000);
    TimerStart.setSingleShot(true);
    TimerStart.start();

    connect(&TimerStart, &QTimer::timeout, this, &TMainForm::TimerStartTimer);
    connect(&DownloadTimer, &QTimer::timeout, this, &TMainForm::DownloadTimerTimer);
    connect(&MaxTimer, &QTimer::timeout, this, &TMainForm::MaxTimerTimer);
    connect(&MinTimer, &QTimer::timeout, this, &TMainForm::MinTimerTimer);
    connect(Download, &QAction::triggered, this, &TMainForm::RefreshRate);
    connect(&Refresh, &RefreshCycle::readingFinished, this, &TMainForm::ReadingFinished);
    connect(&Refresh, &RefreshCycle::idle, this, &TMainForm::RestoreCursor);
}

TMainForm::~TMainForm() {
    FormDestroy();
}

void TMainForm::FormCreate() {
    setWindowTitle(ProductName + QStringLiteral(", ") + VersionText);
    move(Store.ReadInteger(QStringLiteral("MainLeft"), 400),
         Store.ReadInteger(QStringLiteral("MainTop"), 100));
    ShownOnce = false;
    StartPending = true;
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
    OptionsForm->LoadSettings();
    resize(WindowWidth, LargeMode ? LargeHeight : NormalHeight);
    if (!SharedAppliedSettings().AlarmOn) {
        ButtonMax->hide();
        ButtonMin->hide();
        ButtonCheck->hide();
    }
    OptionsForm->GeluidCheck->setEnabled(false);

    MarketClosed = IsMarketClosedNow();
    const ServiceConfig& services = Refresh.Services();
    LabelWait->setText(WaitText((MarketClosed ? services.d2e : services.iex).host()));
    LabelWait->adjustSize();
    LabelWait->move((width() - LabelWait->width()) / 2, 20);

    History.Reset();
    ArrangeWindow();
    ShowRateLabels();
    ReadTradingFile(true);
    ComputeTradingLevels();
    ShowAdvice();
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

    MarketClosed = IsMarketClosedNow();
    if (LargeMode)
        ShowLargeSize();
    else
        ShowNormalSize();
    if (!StartPending)
        RefreshRate();
    move(KeepOnScreen(pos(), size(), ScreenSize()));
}

void TMainForm::ShowRateLabels() {
    const std::optional<RateLabelTexts> texts = ::ShowRateLabels(SharedRateReading());
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
    Refresh.RefreshRate([this] { return MarketClosed; });
}

void TMainForm::TimerStartTimer() {
    StartPending = false;
    TimerStart.stop();
    RefreshRate();
}

void TMainForm::DownloadTimerTimer() {
    if (!WaitCursorShown) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        WaitCursorShown = true;
    }
    MarketClosed = IsMarketClosedNow();
    if (!StartPending)
        RefreshRate();
    if (!Refresh.Reading())
        RestoreCursor();
    // Large mode keeps the window above the others; normal mode lets them cover it.
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) != LargeMode) {
        const bool shown = isVisible();
        setWindowFlag(Qt::WindowStaysOnTopHint, LargeMode);
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
        ShowMessage(QStringLiteral("Geen verbinding"));
        return;
    }
    if (reading.RateText == NoUsablePageCode) {
        ShowMessage(QStringLiteral("Geen gegevens ontvangen"));
        return;
    }
    ColourRateLabels();
    ShowRateLabels();
    ShowAdvice();
    SharedRateReading().CurrentRate = ParseNumber(reading.RateText);
    DrawDeltaImage(reading.CurrentRate);
    CheckAlarm(reading.CurrentRate);
}

void TMainForm::ShowMessage(const QString& line) {
    if (MessageForm)
        MessageForm->ShowTimed(y(), x(), height(), width(), line, QString(), 5000);
}

void TMainForm::ColourRateLabels() {
    const std::optional<RateLabelColours> colours =
        ::ColourRateLabels(SharedRateReading(), SharedAppliedSettings().AlarmOn);
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
    History.DrawDeltaImage(rate, DeltaImage);
    ImageDelta->setPixmap(QPixmap::fromImage(DeltaImage));
}

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
    ::ComputeTradingLevels(Trading, texts);
}

void TMainForm::ShowAdvice() {
    RateReading& reading = SharedRateReading();
    reading.CurrentRate = ParseNumber(reading.RateText);
    const std::optional<AdviceTexts> texts =
        ::ShowAdvice(Trading, reading.CurrentRate, Edit3->text(), Edit4->text(),
                     Regional.decimalSeparator, Regional.groupSeparator);
    if (!texts)
        return;
    for (const auto& [label, text] :
         {std::pair{AdviesLabel, texts->AdviesLabel}, std::pair{KoopLabel, texts->KoopLabel},
          std::pair{VerkoopLabel, texts->VerkoopLabel},
          std::pair{OptionsForm->LabelBoven, texts->LabelBoven},
          std::pair{OptionsForm->LabelOnder, texts->LabelOnder}}) {
        label->setText(text);
        label->adjustSize();
    }
    QPalette colours = AdviesLabel->palette();
    colours.setColor(QPalette::WindowText, texts->AdviesColour);
    AdviesLabel->setPalette(colours);
    qCInfo(lcAdvice).noquote() << AdviceLogLine(*texts);
    CheckAlarm(reading.CurrentRate);
}

void TMainForm::CheckAlarm(double rate) {
    const AppliedSettings& applied = SharedAppliedSettings();
    const AlarmDecision alarm =
        ::CheckAlarm(rate, Trading.SellLevel, Trading.BuyLevel, applied.AlarmOn, applied.SoundOn);
    if (alarm.State == AlarmState::Unchanged)
        return;
    qCInfo(lcAlarm).noquote() << AlarmLogLine(alarm.State);
    if (alarm.State == AlarmState::Off) {
        for (QToolButton* button : {ButtonMax, ButtonMin, ButtonCheck})
            button->hide();
        return;
    }
    if (alarm.Sound != Sweep::None && PlaySweep)
        PlaySweep(alarm.Sound);
    ButtonMax->setVisible(alarm.ShowMax);
    ButtonMin->setVisible(alarm.ShowMin);
    ButtonCheck->setVisible(alarm.ShowCheck);
    SetTimerRunning(MaxTimer, alarm.MaxTimer);
    SetTimerRunning(MinTimer, alarm.MinTimer);
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
    ReadTradingFile();
    ComputeTradingLevels();
    ShowAdvice();
}

void TMainForm::ShowNormalSize() {
    LargeMode = false;
    if (OptionsForm)
        OptionsForm->CheckSizeMode(false);
    resize(WindowWidth, NormalHeight);
    PanelMain->hide();
    PanelKoers->show();
    PanelAdvies->move(PanelAdvies->x(), 2);
    PanelKoers->move(PanelKoers->x(), PanelAdvies->y() + PanelAdvies->height() + 1);
    Formaat->setText(QStringLiteral("Groot formaat"));
}

void TMainForm::ShowLargeSize() {
    LargeMode = true;
    if (OptionsForm)
        OptionsForm->CheckSizeMode(true);
    resize(WindowWidth, LargeHeight);
    PanelMain->show();
    PanelKoers->show();
    PanelMain->move(PanelMain->x(), 1);
    PanelAdvies->move(PanelAdvies->x(), PanelMain->y() + PanelMain->height() + 1);
    PanelKoers->move(PanelKoers->x(), PanelAdvies->y() + PanelAdvies->height() + 1);
    Formaat->setText(QStringLiteral("Klein formaat"));
}

void TMainForm::SetDownloadTimer(int intervalMs, bool enabled) {
    // setInterval restarts a running timer even for the same value.
    if (DownloadTimer.interval() != intervalMs)
        DownloadTimer.setInterval(intervalMs);
    SetTimerRunning(DownloadTimer, enabled);
}

void TMainForm::SetUpdateTimerEnabled(bool enabled) {
    SetTimerRunning(UpdateTimer, enabled);
}

void TMainForm::SetAlarmDisplay(bool on) {
    ButtonMax->setVisible(on);
    ButtonMin->setVisible(on);
    SetTimerRunning(MaxTimer, on);
    SetTimerRunning(MinTimer, on);
}

bool TMainForm::IsMarketClosedNow() const {
    return IsMarketClosedAt(Clock());
}

void TMainForm::FormaatClick() {
    if (!ShownOnce)
        return;
    if (LargeMode)
        ShowNormalSize();
    else
        ShowLargeSize();
    ShowRateLabels();
    // The size has changed either way; a store that cannot be written is not reported.
    try {
        Store.WriteBool(QStringLiteral("Normale Modus"), !LargeMode);
    } catch (const std::exception& error) {
        qCWarning(lcApp) << "size mode not stored:" << error.what();
    }
}

void TMainForm::InstellingenClick() {
    // Above this window even when it stays on top in large mode.
    OptionsForm->winId();
    OptionsForm->windowHandle()->setTransientParent(windowHandle());
    OptionsForm->exec();
}

void TMainForm::AfsluitenClick() {
    // A save that fails is reported while the window is still open: once it has closed the
    // program is ending and an error box would vanish at once. The program ends either way.
    try {
        OptionsForm->SaveSettings();
    } catch (const std::exception& error) {
        Application::ShowException(QString::fromLocal8Bit(error.what()));
    }
    close();
}

void TMainForm::ButtonInfoClick() {
    InfoPopup->popup(QPoint(x() + ButtonInfo->x() + 30, y() + ButtonInfo->y() + 20));
}

void TMainForm::FormMouseDown(Qt::MouseButton button, int X, int Y) {
    if (button == Qt::RightButton) {
        PopupMenu->popup(QPoint(x() + X - 200, y() + Y - 200));
    } else if (button == Qt::LeftButton) {
        DragStartX = X;
        DragStartY = Y;
        Dragging = true;
    }
}

void TMainForm::FormMouseMove(int X, int Y) {
    if (Dragging)
        move(x() + X - DragStartX, y() + Y - DragStartY);
}

void TMainForm::FormMouseUp() {
    Dragging = false;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(watched, event);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint at = mouse->position().toPoint();
    switch (type) {
    case QEvent::MouseButtonPress:
        // Wayland lets no window place itself; the compositor moves it instead. Buttons and
        // edit boxes keep their press there, or they could not be clicked.
        if (mouse->button() == Qt::LeftButton && OnWayland() && windowHandle() &&
            !qobject_cast<QAbstractButton*>(watched) && !qobject_cast<QLineEdit*>(watched)) {
            windowHandle()->startSystemMove();
            return true;
        }
        FormMouseDown(mouse->button(), at.x(), at.y());
        break;
    case QEvent::MouseMove:
        FormMouseMove(at.x(), at.y());
        break;
    default:
        FormMouseUp();
        break;
    }
    return false;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted())
        emit Closed();
}

void TMainForm::FormDestroy() {
    // Nothing may escape a destructor; a store that cannot be written loses the position.
    try {
        Store.WriteInteger(QStringLiteral("MainTop"), y());
        Store.WriteInteger(QStringLiteral("MainLeft"), x());
    } catch (const std::exception& error) {
        qCWarning(lcApp) << "window position not stored:" << error.what();
    }
}
