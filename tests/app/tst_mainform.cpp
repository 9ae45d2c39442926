#include "app/mainform.h"
#include "app/messageform.h"
#include "app/ratepresentation.h"
#include "app/windowset.h"
#include "info/aboutbox.h"
#include "platform/application.h"
#include "settings/optionsform.h"
#include "settings/settingsstore.h"
#include "sources/ratereading.h"
#include "testkit/markettimes.h"
#include "testkit/testhome.h"
#include "testkit/tradingexport.h"
#include "testkit/windowfixture.h"
#include "update/terminateform.h"
#include "widgets/clrbtn.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include <memory>

class TestMainForm : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstStartWithEmptyStore();
    void keptOnScreenAtFirstShowing_data();
    void keptOnScreenAtFirstShowing();
    void waitLabelNamesTheChosenSource_data();
    void waitLabelNamesTheChosenSource();
    void sizeCommandToggles();
    void sizeCommandWaitsForFirstShowing();
    void rightClickOpensMenuUpAndLeft();
    void infoButtonOpensInfoMenu();
    void settingsOpenModallyAboveTheWindow();
    void secondShowingChangesNothing();
    void closingStoresSettingsAndPosition();
    void closingEndsEvenWhenTheStoreFails();
    void alarmButtonsFollowTheAlarmSetting_data();
    void alarmButtonsFollowTheAlarmSetting();
    void tradingFileAtFirstShowing();
    void leesOrvaneReportsAMissingStore();
    void rightClickOnAnEditOpensOnlyTheWindowMenu();
    void blinkTimersFlipTheirButtons();
    void unseenWindowsComeBeforeTheFirstTickOrInput_data();
    void unseenWindowsComeBeforeTheFirstTickOrInput();

private:
    // Creates the window set on the test's store; the main window sees a Full HD screen.
    void CreateWindows(const QDateTime& now = OpenTime);
    void ShowMainForm();
    SettingsStore Store() const { return SettingsStore::AtPath(IniPath); }

    TestHome Home;
    QString IniPath;
    std::unique_ptr<WindowFixture> Window;
    TMainForm* Main = nullptr;
};

void TestMainForm::initTestCase() {
    QVERIFY(Home.IsValid());
    Home.ServeRates(QUrl("http://iex.test:8451/"), QUrl("http://127.0.0.1:8452/"));
}

void TestMainForm::init() {
    static int run = 0;
    IniPath = Home.FilePath(QStringLiteral("store%1.ini").arg(++run));
}

void TestMainForm::cleanup() {
    Window.reset();
    SharedRateReading() = RateReading{};
    Main = nullptr;
}

void TestMainForm::CreateWindows(const QDateTime& now) {
    Window = std::make_unique<WindowFixture>(IniPath);
    Window->PinClock(now);
    Main = Window->Main;
}

void TestMainForm::ShowMainForm() {
    QVERIFY(Window->Show());
}

void TestMainForm::firstStartWithEmptyStore() {
    CreateWindows();
    QCOMPARE(Main->pos(), QPoint(400, 100));
    QVERIFY(Main->windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(Main->windowTitle(), QStringLiteral("qzRate, versie 1.02"));
    QCOMPARE(Main->Label1->text(), QStringLiteral("USD: "));
    QCOMPARE(Main->Label2->text(), QStringLiteral("*******"));
    QCOMPARE(Main->Label3->text(), QStringLiteral(" @ *****"));
    // The settings dialog has applied the defaults before anything ticked.
    QCOMPARE(Main->Scheduler.DownloadTimer.interval(), 30000);
    QVERIFY(Main->Scheduler.DownloadTimer.isActive());
    QVERIFY(Window->Set->UpdateTimer.isActive());
    QVERIFY(Main->Scheduler.TimerStart.isActive());
    QVERIFY(Main->MaxTimer.isActive() && Main->MinTimer.isActive());
    QVERIFY(Main->Scheduler.StartPending);

    ShowMainForm();
    QCOMPARE(Main->pos(), QPoint(400, 100));
    QCOMPARE(Main->size(), QSize(340, 125));
    QVERIFY(!Main->LargeMode());
    QVERIFY(Window->Set->OptionsForm->RadioNormal->isChecked());
    QCOMPARE(Main->Formaat->text(), QStringLiteral("Groot formaat"));
    QVERIFY(Main->PanelMain->isHidden());
    QCOMPARE(Main->PanelAdvies->y(), 2);
    QCOMPARE(Main->PanelKoers->y(), 72);
    QVERIFY(!Window->Set->OptionsForm->GeluidCheck->isEnabled());

    // The rate line: info button, the alarm spot beside it, then the three labels in a row.
    QCOMPARE(Main->ButtonInfo->pos(), QPoint(1, 26));
    for (QToolButton* button : {Main->ButtonMax, Main->ButtonMin, Main->ButtonCheck})
        QCOMPARE(button->pos(), QPoint(22, 25));
    QCOMPARE(Main->Label1->pos(), QPoint(48, 27));
    QCOMPARE(Main->Label2->pos(), QPoint(48 + Main->Label1->width(), 27));
    QCOMPARE(Main->Label3->x(), Main->Label2->x() + Main->Label2->width());
}

void TestMainForm::keptOnScreenAtFirstShowing_data() {
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("left");
    QTest::addColumn<bool>("normal");
    QTest::addColumn<QPoint>("created");
    QTest::addColumn<QPoint>("expected");

    QTest::newRow("above and far right")
        << -50 << 5000 << true << QPoint(5000, -50) << QPoint(1580, 10);
    QTest::newRow("bottom within 40 pixels")
        << 1000 << 400 << true << QPoint(400, 1000) << QPoint(400, 915);
    QTest::newRow("large mode near the bottom")
        << 800 << 400 << false << QPoint(400, 800) << QPoint(400, 740);
    // Brought within reach at creation, so the window's edges cannot overflow.
    QTest::newRow("near the integer limit")
        << 2147483600 << 2147483600 << true << QPoint(1 << 24, 1 << 24) << QPoint(1580, 915);
    // A second monitor right of the primary one keeps its window.
    QTest::newRow("on the second screen")
        << 100 << 2000 << true << QPoint(2000, 100) << QPoint(2000, 100);
    QTest::newRow("past the second screen's right")
        << 100 << 3000 << true << QPoint(3000, 100) << QPoint(2860, 100);
    QTest::newRow("near the second screen's bottom")
        << 950 << 2000 << true << QPoint(2000, 950) << QPoint(2000, 859);
}

void TestMainForm::keptOnScreenAtFirstShowing() {
    QFETCH(int, top);
    QFETCH(int, left);
    QFETCH(bool, normal);
    QFETCH(QPoint, created);
    QFETCH(QPoint, expected);
    SettingsStore store = Store();
    store.WriteInteger("MainTop", top);
    store.WriteInteger("MainLeft", left);
    store.WriteBool("Normale Modus", normal);

    CreateWindows();
    Main->ScreenGeometry = [](const QPoint& point) {
        const QRect second(1920, 0, 1280, 1024);
        return second.contains(point) ? second : QRect(0, 0, 1920, 1080);
    };
    QCOMPARE(Main->pos(), created);
    ShowMainForm();
    QCOMPARE(Main->pos(), expected);

    Window.reset();
    QCOMPARE(store.ReadInteger("MainTop", 0), expected.y());
    QCOMPARE(store.ReadInteger("MainLeft", 0), expected.x());
}

void TestMainForm::waitLabelNamesTheChosenSource_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QString>("host");

    // x: centred in the window's 340 pixels.
    QTest::addColumn<int>("x");

    QTest::newRow("market open: IEX") << OpenTime << false << "iex.test" << 104;
    QTest::newRow("Saturday: D2E") << ClosedTime << true << "127.0.0.1" << 100;
    QTest::newRow("evening: D2E") << QDateTime(OpenTime.date(), QTime(17, 31)) << true
                                  << "127.0.0.1" << 100;
}

void TestMainForm::waitLabelNamesTheChosenSource() {
    QFETCH(QDateTime, now);
    QFETCH(bool, closed);
    QFETCH(QString, host);
    QFETCH(int, x);
    CreateWindows(now);
    ShowMainForm();
    QCOMPARE(Main->Scheduler.MarketClosed, closed);
    QCOMPARE(Main->LabelWait->text(), WaitText(host));
    QCOMPARE(Main->LabelWait->y(), 20);
    QCOMPARE(Main->LabelWait->x(), x);
    QVERIFY(Main->Marks.HistoryResetPending());
    QCOMPARE(Main->Marks.HistoryIndex(), 0);
}

void TestMainForm::sizeCommandToggles() {
    CreateWindows();
    ShowMainForm();
    SettingsStore store = Store();

    Main->Formaat->trigger();
    QVERIFY(Main->LargeMode());
    QCOMPARE(Main->size(), QSize(340, 300));
    QCOMPARE(Main->Formaat->text(), QStringLiteral("Klein formaat"));
    QVERIFY(!Main->PanelMain->isHidden());
    QCOMPARE(Main->PanelMain->y(), 1);
    QCOMPARE(Main->PanelAdvies->y(), 180);
    QCOMPARE(Main->PanelKoers->y(), 250);
    QVERIFY(Window->Set->OptionsForm->RadioGroot->isChecked());
    QVERIFY(!Window->Set->OptionsForm->RadioNormal->isChecked());
    QCOMPARE(store.ReadString("Normale Modus", QString()), QStringLiteral("0"));

    Main->Formaat->trigger();
    QVERIFY(!Main->LargeMode());
    QCOMPARE(Main->size(), QSize(340, 125));
    QCOMPARE(Main->Formaat->text(), QStringLiteral("Groot formaat"));
    QVERIFY(Main->PanelMain->isHidden());
    QCOMPARE(Main->PanelAdvies->y(), 2);
    QCOMPARE(Main->PanelKoers->y(), 72);
    QVERIFY(Window->Set->OptionsForm->RadioNormal->isChecked());
    QCOMPARE(store.ReadString("Normale Modus", QString()), QStringLiteral("1"));
}

void TestMainForm::sizeCommandWaitsForFirstShowing() {
    CreateWindows();
    Main->FormaatClick();
    QVERIFY(!Main->LargeMode());
    QCOMPARE(Store().ReadString("Normale Modus", "none"), QStringLiteral("none"));
    QCOMPARE(Main->Formaat->text(), QStringLiteral("Klein"));
}

void TestMainForm::rightClickOpensMenuUpAndLeft() {
    SettingsStore store = Store();
    store.WriteInteger("MainTop", 400);
    store.WriteInteger("MainLeft", 600);
    CreateWindows();
    ShowMainForm();
    QTest::mousePress(Main->Label3, Qt::RightButton, {}, QPoint(10, 5));
    QTRY_VERIFY(Main->PopupMenu->isVisible());
    QCOMPARE(Main->PopupMenu->pos(), Main->Label3->mapToGlobal(QPoint(10, 5)) - QPoint(200, 200));
    QVERIFY(!Main->Drag.Dragging);
    Main->PopupMenu->close();
}

void TestMainForm::infoButtonOpensInfoMenu() {
    SettingsStore store = Store();
    store.WriteInteger("MainTop", 400);
    store.WriteInteger("MainLeft", 600);
    CreateWindows();
    ShowMainForm();
    QTest::mouseClick(Main->ButtonInfo, Qt::LeftButton);
    QTRY_VERIFY(Main->InfoPopup->isVisible());
    // The button's place is taken within its panel, not within the window.
    QCOMPARE(Main->InfoPopup->pos(), QPoint(600 + 1 + 30, 400 + 26 + 20));
    QCOMPARE(Main->InfoPopup->actions().value(0)->text(), QStringLiteral("Over qzRate..."));
    Main->InfoPopup->close();
}

void TestMainForm::settingsOpenModallyAboveTheWindow() {
    CreateWindows();
    ShowMainForm();
    TOptionsForm& options = *Window->Set->OptionsForm;
    bool above = false;
    // Runs inside the modal showing.
    QTimer::singleShot(0, &options, [&] {
        above =
            options.isModal() && options.windowHandle()->transientParent() == Main->windowHandle();
        options.BtnCancel->click();
    });
    Main->Instellingen->trigger();
    QVERIFY(above);
    QVERIFY(!options.isVisible());
}

void TestMainForm::secondShowingChangesNothing() {
    CreateWindows();
    ShowMainForm();
    Main->hide();
    Main->move(-100, 2000);
    Main->LabelWait->setText(QStringLiteral("x"));
    Window->Set->OptionsForm->GeluidCheck->setEnabled(true);
    Window->Set->OptionsForm->DownloadCheck->setChecked(false);
    Main->Scheduler.Clock = [] { return ClosedTime; };

    ShowMainForm();
    QCOMPARE(Main->pos(), QPoint(-100, 2000));
    QCOMPARE(Main->LabelWait->text(), QStringLiteral("x"));
    QVERIFY(!Main->Scheduler.MarketClosed);
    QVERIFY(Window->Set->OptionsForm->GeluidCheck->isEnabled());
    QVERIFY(!Window->Set->OptionsForm->DownloadCheck->isChecked());
}

void TestMainForm::closingStoresSettingsAndPosition() {
    CreateWindows();
    ShowMainForm();
    QSignalSpy closed(Main, &TMainForm::Closed);
    // Not confirmed with "OK", yet "Afsluiten" stores the dialog as it stands.
    Window->Set->OptionsForm->DownloadCheck->setChecked(false);
    Main->Afsluiten->trigger();
    QCOMPARE(closed.count(), 1);
    QVERIFY(!Main->isVisible());
    QCOMPARE(Store().ReadString("DownloadTimer Aan", QString()), QStringLiteral("0"));
}

void TestMainForm::closingEndsEvenWhenTheStoreFails() {
    CreateWindows();
    ShowMainForm();
    QSignalSpy closed(Main, &TMainForm::Closed);
    // A folder in the store file's place cannot be written.
    QFile::remove(IniPath);
    QVERIFY(QDir().mkpath(IniPath));
    // The error is shown while the window is still open, then the program ends.
    QStringList shown;
    Application::SetErrorReporter([&](const QString& message) {
        shown << message + (Main->isVisible() ? " (open)" : " (closed)");
    });
    Main->AfsluitenClick();
    Application::SetErrorReporter({});
    QCOMPARE(shown, QStringList{"Failed to set data for 'ConfigTop' (open)"});
    QCOMPARE(closed.count(), 1);
    QVERIFY(!Main->isVisible());
}

void TestMainForm::alarmButtonsFollowTheAlarmSetting_data() {
    QTest::addColumn<QString>("alarm");
    QTest::addColumn<bool>("shown");
    QTest::newRow("alarm on") << "1" << true;
    QTest::newRow("alarm off") << "0" << false;
}

// Before the first reading the three alarm buttons share their spot with the alarm on, and
// none shows with it off.
void TestMainForm::alarmButtonsFollowTheAlarmSetting() {
    QFETCH(QString, alarm);
    QFETCH(bool, shown);
    Store().WriteString(QStringLiteral("Alarm Aan"), alarm);
    CreateWindows();
    ShowMainForm();
    for (const QToolButton* button : {Main->ButtonMax, Main->ButtonMin, Main->ButtonCheck})
        QCOMPARE(button->isVisible(), shown);
    QVERIFY(Main->ButtonInfo->isVisible());
}

// The export fills the parameter edits at the first showing, as soon as the event loop runs;
// the advice panel and the settings dialog show its levels.
void TestMainForm::tradingFileAtFirstShowing() {
    WriteFile(Home.FilePath("export.xml"), HalfHoldingExport);
    SettingsStore orvane(QStringLiteral("Orvane"));
    orvane.WriteString("Path", Home.Path() + '/');
    orvane.WriteString("FileName", "export");

    CreateWindows();
    // A rate is there already, so the first showing's advice has something to show.
    SharedRateReading().RateText = "0,8000";
    Main->Regional.decimalSeparator = u',';
    Main->Alarm.PlaySweep = {};
    ShowMainForm();
    QCoreApplication::sendPostedEvents();
    QCOMPARE(Main->Edit8->text(), QStringLiteral("926"));
    QVERIFY(!Main->AdviesLabel->text().isEmpty());
    QCOMPARE(Window->Set->OptionsForm->LabelBoven->text() + ' ' +
                 Window->Set->OptionsForm->LabelOnder->text(),
             QStringLiteral("1,6963 1,6167"));
    // Sized to their texts.
    for (const QLabel* label : {Main->AdviesLabel, Window->Set->OptionsForm->LabelBoven})
        QVERIFY(label->width() >= label->sizeHint().width());
}

void TestMainForm::leesOrvaneReportsAMissingStore() {
    QFile::remove(Home.FilePath("config/Orvane/Orvane.ini"));
    CreateWindows();
    ShowMainForm();
    Main->Edit8->setText("100");
    QStringList errors;
    Application::SetErrorReporter([&errors](const QString& message) { errors << message; });
    Main->LeesOrvane->trigger();
    Application::SetErrorReporter({});
    QCOMPARE(errors, QStringList{"Cannot open file .xml"});
    // The steps after the reading did not run.
    QCOMPARE(Main->Desk.Trading.Quantity, 1852.0);
}

void TestMainForm::rightClickOnAnEditOpensOnlyTheWindowMenu() {
    CreateWindows();
    Main->ShowLargeSize();
    ShowMainForm();
    QLineEdit* edit = Main->Edit1;
    const QPoint at(5, 5);
    QTest::mouseClick(edit, Qt::RightButton, {}, at);
    QTRY_VERIFY(Main->PopupMenu->isVisible());
    // An edit's own menu would run modally here; the check closes it again.
    bool checked = false;
    QStringList otherMenus;
    QTimer::singleShot(0, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<QMenu*>(widget) && widget->isVisible() && widget != Main->PopupMenu) {
                otherMenus << widget->metaObject()->className();
                widget->close();
            }
        }
        checked = true;
    });
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, edit->mapToGlobal(at));
    QCoreApplication::sendEvent(edit, &menuEvent);
    QTRY_VERIFY(checked);
    QCOMPARE(otherMenus, QStringList());
    Main->PopupMenu->close();
}

void TestMainForm::blinkTimersFlipTheirButtons() {
    CreateWindows();
    ShowMainForm();
    // Before the first reading both arrows blink on the same spot.
    QVERIFY(Main->MaxTimer.isActive() && Main->MinTimer.isActive());
    QCOMPARE(Main->MaxTimer.interval(), 300);
    QCOMPARE(Main->MinTimer.interval(), 300);
    QVERIFY(!Main->ButtonMax->isHidden() && !Main->ButtonMin->isHidden());
    QTRY_VERIFY_WITH_TIMEOUT(Main->ButtonMax->isHidden(), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(!Main->ButtonMax->isHidden(), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(Main->ButtonMin->isHidden(), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(!Main->ButtonMin->isHidden(), 2000);
}

void TestMainForm::unseenWindowsComeBeforeTheFirstTickOrInput_data() {
    QTest::addColumn<QString>("first");
    QTest::newRow("first paint") << "paint";
    QTest::newRow("timer tick") << "tick";
    QTest::newRow("key press") << "key";
}

void TestMainForm::unseenWindowsComeBeforeTheFirstTickOrInput() {
    QFETCH(QString, first);
    Window = std::make_unique<WindowFixture>(IniPath, WindowSet::Unseen::Later);
    Main = Window->Main;
    WindowSet& set = *Window->Set;
    QVERIFY(set.OptionsForm && !set.AboutBox);
    // The last of the four, made after the others, has run its creation handler.
    const auto made = [&set] {
        return set.TerminateForm && !set.TerminateForm->windowTitle().isEmpty();
    };
    if (first == "paint") {
        ShowMainForm();
        QTRY_VERIFY(made());
    } else if (first == "tick") {
        QTimer tick;
        tick.setSingleShot(true);
        bool madeAtTick = false;
        connect(&tick, &QTimer::timeout, this, [&] { madeAtTick = made(); });
        QSignalSpy ticked(&tick, &QTimer::timeout);
        tick.start(0);
        QVERIFY(ticked.wait());
        QVERIFY(madeAtTick);
    } else {
        QTest::keyClick(Main, Qt::Key_A);
        QVERIFY(made());
    }
}

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
