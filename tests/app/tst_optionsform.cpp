#include "app/mainform.h"
#include "app/windowset.h"
#include "settings/appliedsettings.h"
#include "settings/optionsform.h"
#include "settings/settingsstore.h"
#include "sources/ratereading.h"
#include "testkit/testhome.h"
#include "testkit/windowfixture.h"
#include "update/versionsform.h"
#include "widgets/clrbtn.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

using Values = QList<QPair<QString, QString>>;

class TestOptionsForm : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void loadSettings_data();
    void loadSettings();
    void minutesSurviveTheFirstShowing();
    void firstShowingReloadsWithoutApplying();
    void emptyStoreCentresTheDialog();
    void negativePositionBecomesTen_data();
    void negativePositionBecomesTen();
    void downloadCheckActsAtOnce();
    void alarmCheckActsAtOnce();
    void alarmCheckWithARate_data();
    void alarmCheckWithARate();
    void okAppliesAndStoresEverything();
    void unchangedSettingsKeepTheTimersCounting();
    void checkNuCentresTheUpdateDialogOverThisOne();
    void cancelRestoresStoredMode();
    void applyRearmsStoppedUpdateTimer();
    void unconfirmedChangesAreDroppedAtTheEnd();

private:
    void CreateWindows(const Values& stored = {});
    SettingsStore Store() const { return SettingsStore::AtPath(IniPath); }

    TestHome Home;
    QString IniPath;
    std::unique_ptr<WindowFixture> Window;
    TOptionsForm* Options = nullptr;
    TMainForm* Main = nullptr;
};

void TestOptionsForm::initTestCase() {
    // The window's first reading finds no server, and never asks the real sites.
    QVERIFY(Home.IsValid());
}

void TestOptionsForm::init() {
    static int run = 0;
    IniPath = Home.FilePath(QStringLiteral("store%1.ini").arg(++run));
}

void TestOptionsForm::cleanup() {
    Window.reset();
    SharedRateReading() = RateReading{};
}

void TestOptionsForm::CreateWindows(const Values& stored) {
    SettingsStore store = Store();
    for (const auto& [name, value] : stored)
        store.WriteString(name, value);
    Window = std::make_unique<WindowFixture>(IniPath);
    Options = Window->Set->OptionsForm.get();
    Main = Window->Main;
}

void TestOptionsForm::loadSettings_data() {
    QTest::addColumn<Values>("stored");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<bool>("download");
    QTest::addColumn<bool>("alarm");
    QTest::addColumn<bool>("sound");
    QTest::addColumn<bool>("updates");
    QTest::addColumn<bool>("normal");
    QTest::addColumn<QString>("minutesAfter");

    QTest::newRow("empty store") << Values{} << 30 << true << true << true << true << true
                                 << "absent";
    QTest::newRow("minutes 2") << Values{{"Aantal minuten", "2"}} << 120 << true << true << true
                               << true << true << "absent";
    QTest::newRow("minutes 15 hits the maximum") << Values{{"Aantal minuten", "15"}} << 600 << true
                                                 << true << true << true << true << "absent";
    QTest::newRow("minutes -1 gives the minimum") << Values{{"Aantal minuten", "-1"}} << 5 << true
                                                  << true << true << true << true << "absent";
    QTest::newRow("huge minutes") << Values{{"Aantal minuten", "2147483647"}} << 600 << true << true
                                  << true << true << true << "absent";
    QTest::newRow("minutes win over seconds")
        << Values{{"Aantal minuten", "1"}, {"Aantal seconden", "45"}} << 60 << true << true << true
        << true << true << "absent";
    QTest::newRow("minutes 0 reads seconds")
        << Values{{"Aantal minuten", "0"}, {"Aantal seconden", "45"}} << 45 << true << true << true
        << true << true << "0";
    QTest::newRow("seconds 3") << Values{{"Aantal seconden", "3"}} << 5 << true << true << true
                               << true << true << "absent";
    QTest::newRow("seconds 601") << Values{{"Aantal seconden", "601"}} << 600 << true << true
                                 << true << true << true << "absent";
    QTest::newRow("seconds abc") << Values{{"Aantal seconden", "abc"}} << 30 << true << true << true
                                 << true << true << "absent";
    QTest::newRow("alarm 2 reads as on")
        << Values{{"Alarm Aan", "2"}} << 30 << true << true << true << true << true << "absent";
    QTest::newRow("everything off") << Values{{"DownloadTimer Aan", "0"},
                                              {"Alarm Aan", "0"},
                                              {"Geluid Aan", "0"},
                                              {"Updates Aan", "0"},
                                              {"Normale Modus", "0"}}
                                    << 30 << false << false << false << false << false << "absent";
}

void TestOptionsForm::loadSettings() {
    QFETCH(Values, stored);
    QFETCH(int, seconds);
    QFETCH(bool, download);
    QFETCH(bool, alarm);
    QFETCH(bool, sound);
    QFETCH(bool, updates);
    QFETCH(bool, normal);
    QFETCH(QString, minutesAfter);
    CreateWindows(stored);

    QCOMPARE(Options->SecondsEdit->value(), seconds);
    QCOMPARE(Options->DownloadCheck->isChecked(), download);
    QCOMPARE(Options->AlarmCheck->isChecked(), alarm);
    QCOMPARE(Options->GeluidCheck->isChecked(), sound);
    QCOMPARE(Options->UpdatesCheck->isChecked(), updates);
    QCOMPARE(Options->RadioNormal->isChecked(), normal);
    QCOMPARE(Options->RadioGroot->isChecked(), !normal);
    // The old minutes value is used once and removed.
    QCOMPARE(Store().ReadString("Aantal minuten", "absent"), minutesAfter);

    // Applied to the main window at creation.
    const AppliedSettings& applied = SharedAppliedSettings();
    QCOMPARE(applied.AlarmOn, alarm);
    QCOMPARE(applied.SoundOn, sound);
    QCOMPARE(applied.UpdatesOn, updates);
    QCOMPARE(Main->Scheduler.DownloadTimer.interval(), seconds * 1000);
    QCOMPARE(Main->Scheduler.DownloadTimer.isActive(), download);
    QCOMPARE(Main->UpdateTimer.isActive(), updates);
    QCOMPARE(Main->MaxTimer.isActive(), alarm);
    QCOMPARE(Main->MinTimer.isActive(), alarm);
    QCOMPARE(Main->ButtonMax->isHidden(), !alarm);
    QCOMPARE(Main->LargeMode, !normal);
    QCOMPARE(Options->SecondsEdit->isEnabled(), download);
    QCOMPARE(Options->GeluidCheck->isEnabled(), alarm);
}

void TestOptionsForm::minutesSurviveTheFirstShowing() {
    CreateWindows({{"Aantal minuten", "2"}});
    // The first showing reloads the dialog from the store before anything was saved.
    Main->show();
    QVERIFY(QTest::qWaitForWindowExposed(Main));
    QCOMPARE(Options->SecondsEdit->value(), 120);
    Window.reset();
    QCOMPARE(Store().ReadString("Aantal seconden", QString()), QStringLiteral("120"));
}

void TestOptionsForm::firstShowingReloadsWithoutApplying() {
    CreateWindows();
    // Stored after the dialog's creation: the first showing reads it, yet applies nothing.
    Store().WriteBool("Geluid Aan", false);
    Main->show();
    QVERIFY(QTest::qWaitForWindowExposed(Main));
    QVERIFY(!Options->GeluidCheck->isChecked());
    QVERIFY(SharedAppliedSettings().SoundOn);
}

void TestOptionsForm::emptyStoreCentresTheDialog() {
    CreateWindows();
    QCOMPARE(Options->windowTitle(), QStringLiteral("qzRate - Instellingen"));
    QCOMPARE(Options->size(), QSize(517, 273));
    QCOMPARE(Options->palette().color(QPalette::Window), QColor(255, 255, 227));
    QVERIFY(Options->BtnOK->styleSheet().contains("#ffffe3") &&
            Options->BtnCheck->styleSheet().contains("#ffff88"));
    QCOMPARE(Options->BtnOK->geometry(), QRect(282, 227, 100, 35));
    QCOMPARE(Options->GroupBox4->geometry(), QRect(282, 109, 222, 90));
    QCOMPARE(Options->LabelBoven->pos(), QPoint(112, 54));
    const QSize screen = QGuiApplication::primaryScreen()->size();
    QCOMPARE(Options->pos(), QPoint((screen.width() - 517) / 2, (screen.height() - 273) / 2));
}

void TestOptionsForm::negativePositionBecomesTen_data() {
    QTest::addColumn<QString>("top");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QPoint>("placed");
    QTest::newRow("top 0 stays, left negative") << "0"
                                                << "-400" << QPoint(10, 0);
    QTest::newRow("top negative, left 0 stays") << "-3"
                                                << "0" << QPoint(0, 10);
}

void TestOptionsForm::negativePositionBecomesTen() {
    QFETCH(QString, top);
    QFETCH(QString, left);
    QFETCH(QPoint, placed);
    CreateWindows({{"ConfigTop", top}, {"ConfigLeft", left}});
    QCOMPARE(Options->pos(), placed);
    Window.reset();
    QCOMPARE(Store().ReadInteger("ConfigTop", 99), placed.y());
    QCOMPARE(Store().ReadInteger("ConfigLeft", 99), placed.x());
}

void TestOptionsForm::downloadCheckActsAtOnce() {
    CreateWindows({{"Aantal seconden", "45"}});
    Options->DownloadCheck->click();
    QVERIFY(!Main->Scheduler.DownloadTimer.isActive());
    QVERIFY(!Options->SecondsEdit->isEnabled());
    QVERIFY(!Options->Label2->isEnabled() && !Options->Label3->isEnabled());
    QVERIFY(Options->Label1->isEnabled());
    Options->SecondsEdit->setValue(55);
    Options->SecondsEdit->stepBy(1);
    Options->DownloadCheck->click();
    QVERIFY(Main->Scheduler.DownloadTimer.isActive());
    QCOMPARE(Main->Scheduler.DownloadTimer.interval(), 60000);

    Options->DownloadCheck->click();
    Options->BtnCancel->click();
    QVERIFY(Main->Scheduler.DownloadTimer.isActive());
    QCOMPARE(Main->Scheduler.DownloadTimer.interval(), 45000);
    QCOMPARE(Options->result(), int(QDialog::Rejected));
}

void TestOptionsForm::alarmCheckActsAtOnce() {
    CreateWindows();
    Options->AlarmCheck->click();
    QVERIFY(Main->ButtonMax->isHidden());
    QVERIFY(Main->ButtonMin->isHidden());
    QVERIFY(!Main->MaxTimer.isActive() && !Main->MinTimer.isActive());
    QVERIFY(!Options->GeluidCheck->isEnabled());
    QVERIFY(!Options->Label1->isEnabled() && !Options->Label4->isEnabled());
    QVERIFY(Options->Label2->isEnabled());
    // Only "OK" changes the applied setting.
    QVERIFY(SharedAppliedSettings().AlarmOn);
    Options->BtnOK->click();
    QVERIFY(!SharedAppliedSettings().AlarmOn);
    QCOMPARE(Store().ReadString("Alarm Aan", QString()), QStringLiteral("0"));
}

void TestOptionsForm::alarmCheckWithARate_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("ok");
    // ButtonMax, ButtonCheck, ButtonMin shown; then MaxTimer and MinTimer running.
    QTest::addColumn<QString>("afterClick");
    QTest::addColumn<QString>("afterButton");
    QTest::addColumn<QString>("storedAfter");

    QTest::newRow("on, unchecked, OK") << "1" << true << "... .."
                                       << "... .."
                                       << "0";
    QTest::newRow("on, unchecked, Cancel") << "1" << false << "... .."
                                           << "X.. X."
                                           << "1";
    // The check asks the applied setting, still off until "OK".
    QTest::newRow("off, checked, OK") << "0" << true << "... XX"
                                      << "X.. X."
                                      << "1";
    QTest::newRow("off, checked, Cancel") << "0" << false << "... XX"
                                          << "... .."
                                          << "0";
}

// The alarm check box and the two buttons with a rate above the band of the design levels.
void TestOptionsForm::alarmCheckWithARate() {
    QFETCH(QString, stored);
    QFETCH(bool, ok);
    QFETCH(QString, afterClick);
    QFETCH(QString, afterButton);
    QFETCH(QString, storedAfter);

    // As at the program's start: nothing applied yet, no rate.
    SharedRateReading() = RateReading{};
    SharedAppliedSettings() = AppliedSettings{};
    CreateWindows({{"Alarm Aan", stored}});
    QList<Sweep> sweeps;
    Main->Alarm.PlaySweep = [&sweeps](Sweep sweep) { sweeps << sweep; };
    Main->ComputeTradingLevels();
    SharedRateReading().CurrentRate = 0.85;
    const auto state = [this] {
        const auto mark = [](bool on) { return on ? u'X' : u'.'; };
        return QString() + mark(!Main->ButtonMax->isHidden()) +
               mark(!Main->ButtonCheck->isHidden()) + mark(!Main->ButtonMin->isHidden()) + u' ' +
               mark(Main->MaxTimer.isActive()) + mark(Main->MinTimer.isActive());
    };

    Options->AlarmCheck->click();
    QCOMPARE(state(), afterClick);
    (ok ? Options->BtnOK : Options->BtnCancel)->click();
    QCOMPARE(state(), afterButton);
    QCOMPARE(Store().ReadString("Alarm Aan", QString()), storedAfter);
    QCOMPARE(sweeps.isEmpty(), afterButton != "X.. X.");
    QVERIFY(sweeps.count(Sweep::Falling) == 0);
}

// Every control goes to its own applied setting and value, none to a neighbour's.
void TestOptionsForm::okAppliesAndStoresEverything() {
    CreateWindows();
    Options->RadioGroot->click();
    Options->GeluidCheck->click();
    Options->UpdatesCheck->click();
    Options->SecondsEdit->setValue(45);
    QVERIFY(!Main->LargeMode);
    Options->move(77, 33);
    Options->BtnOK->click();
    QVERIFY(Main->LargeMode);
    QCOMPARE(Main->height(), 300);
    QCOMPARE(Options->result(), int(QDialog::Accepted));
    const AppliedSettings& applied = SharedAppliedSettings();
    QVERIFY(applied.AlarmOn && !applied.SoundOn && !applied.UpdatesOn);
    QVERIFY(!Main->UpdateTimer.isActive());
    QCOMPARE(Main->Scheduler.DownloadTimer.interval(), 45000);
    const Values stored{{"ConfigTop", "33"},        {"ConfigLeft", "77"},
                        {"DownloadTimer Aan", "1"}, {"Aantal seconden", "45"},
                        {"Alarm Aan", "1"},         {"Geluid Aan", "0"},
                        {"Updates Aan", "0"},       {"Normale Modus", "0"}};
    for (const auto& [name, value] : stored)
        QCOMPARE(Store().ReadString(name, QString()), value);
    Options->RadioNormal->click();
    Options->GeluidCheck->click();
    Options->BtnOK->click();
    QCOMPARE(Main->height(), 125);
    QVERIFY(Store().ReadString("Geluid Aan", QString()) == "1" &&
            Store().ReadString("Updates Aan", QString()) == "0");
}

// Applying a value a timer already has changes nothing: its count goes on.
void TestOptionsForm::unchangedSettingsKeepTheTimersCounting() {
    CreateWindows();
    // A second into the counts, so that a restart shows whatever the timers' clock lags.
    QTRY_VERIFY(Main->Scheduler.DownloadTimer.remainingTime() < 29000);
    for (TClrBtn* button : {Options->BtnOK, Options->BtnCancel}) {
        button->click();
        QVERIFY(Main->Scheduler.DownloadTimer.remainingTime() < 29500);
        QVERIFY(Main->UpdateTimer.remainingTime() < 59500);
    }
}

// The first showing of the update dialog centres on the main window, later ones on this dialog.
void TestOptionsForm::checkNuCentresTheUpdateDialogOverThisOne() {
    CreateWindows();
    TVersionsForm* update = Window->Set->VersionsForm.get();
    update->Ping.Program = QStringLiteral("/nonexistent/ping");
    Main->setGeometry(100, 50, 340, 125);
    Options->setGeometry(500, 300, 517, 273);
    QList<QPoint> shownAt;
    QTimer watch;
    connect(&watch, &QTimer::timeout, update, [&] {
        if (update->isVisible()) {
            shownAt << update->pos();
            update->reject();
        }
    });
    watch.start(10);
    Options->BtnCheck->click();
    Options->BtnCheck->click();
    const QSize size = update->frameGeometry().size();
    const auto centred = [&size](const QRect& over) {
        return QPoint(over.left() + (over.width() - size.width()) / 2,
                      over.top() + (over.height() - size.height()) / 2);
    };
    QCOMPARE(shownAt.size(), 2);
    // The frame's own size is known only once it was shown.
    QVERIFY((shownAt[0] - centred(Main->frameGeometry())).manhattanLength() <= 4);
    QCOMPARE(shownAt[1], centred(Options->frameGeometry()));
}

void TestOptionsForm::cancelRestoresStoredMode() {
    CreateWindows();
    Options->RadioGroot->click();
    Options->BtnCancel->click();
    QVERIFY(!Main->LargeMode);
    QVERIFY(Options->RadioNormal->isChecked());
    QVERIFY(!Options->RadioGroot->isChecked());
}

void TestOptionsForm::applyRearmsStoppedUpdateTimer() {
    CreateWindows();
    QVERIFY(Main->UpdateTimer.isActive());
    Main->UpdateTimer.stop(); // as after the automatic check has run
    Options->BtnOK->click();
    QVERIFY(Main->UpdateTimer.isActive());
    QCOMPARE(Main->UpdateTimer.remainingTime() > 59000, true);
}

void TestOptionsForm::unconfirmedChangesAreDroppedAtTheEnd() {
    CreateWindows();
    Options->DownloadCheck->click();
    Options->UpdatesCheck->click();
    Window.reset();
    QCOMPARE(Store().ReadString("DownloadTimer Aan", QString()), QStringLiteral("1"));
    QCOMPARE(Store().ReadString("Updates Aan", QString()), QStringLiteral("1"));
    QCOMPARE(Store().ReadString("Aantal seconden", QString()), QStringLiteral("30"));
}

QTEST_MAIN(TestOptionsForm)
#include "tst_optionsform.moc"
