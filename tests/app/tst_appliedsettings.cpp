#include "app/mainform.h"
#include "app/windowset.h"
#include "settings/optionsform.h"
#include "settings/settingsstore.h"
#include "sources/ratereading.h"
#include "testkit/testhome.h"
#include "testkit/windowfixture.h"
#include "update/versionsform.h"
#include "widgets/clrbtn.h"

#include <QCheckBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

using Values = QList<QPair<QString, QString>>;

// What the settings dialog applies, as the program's windows and timers take it.
class TestAppliedSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void alarmCheckWithARate_data();
    void alarmCheckWithARate();
    void unchangedSettingsKeepTheTimersCounting();
    void checkNuCentresTheUpdateDialogOverThisOne();
    void applyRearmsStoppedUpdateTimer();

private:
    void CreateWindows(const Values& stored = {});
    SettingsStore Store() const { return SettingsStore::AtPath(IniPath); }

    TestHome Home;
    QString IniPath;
    std::unique_ptr<WindowFixture> Window;
    TOptionsForm* Options = nullptr;
    TMainForm* Main = nullptr;
};

void TestAppliedSettings::initTestCase() {
    // The window's first reading finds no server, and never asks the real sites.
    QVERIFY(Home.IsValid());
}

void TestAppliedSettings::init() {
    static int run = 0;
    IniPath = Home.FilePath(QStringLiteral("store%1.ini").arg(++run));
}

void TestAppliedSettings::cleanup() {
    Window.reset();
    SharedRateReading() = RateReading{};
}

void TestAppliedSettings::CreateWindows(const Values& stored) {
    SettingsStore store = Store();
    for (const auto& [name, value] : stored)
        store.WriteString(name, value);
    Window = std::make_unique<WindowFixture>(IniPath);
    Options = Window->Set->OptionsForm.get();
    Main = Window->Main;
}

void TestAppliedSettings::alarmCheckWithARate_data() {
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
void TestAppliedSettings::alarmCheckWithARate() {
    QFETCH(QString, stored);
    QFETCH(bool, ok);
    QFETCH(QString, afterClick);
    QFETCH(QString, afterButton);
    QFETCH(QString, storedAfter);

    // As at the program's start: no rate.
    SharedRateReading() = RateReading{};
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

// Applying a value a timer already has changes nothing: its count goes on.
void TestAppliedSettings::unchangedSettingsKeepTheTimersCounting() {
    CreateWindows();
    // A second into the counts, so that a restart shows whatever the timers' clock lags.
    QTRY_VERIFY(Main->Scheduler.DownloadTimer.remainingTime() < 29000);
    for (TClrBtn* button : {Options->BtnOK, Options->BtnCancel}) {
        button->click();
        QVERIFY(Main->Scheduler.DownloadTimer.remainingTime() < 29500);
        QVERIFY(Window->Set->UpdateTimer.remainingTime() < 59500);
    }
}

// The first showing of the update dialog centres on the main window, later ones on this dialog.
void TestAppliedSettings::checkNuCentresTheUpdateDialogOverThisOne() {
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

void TestAppliedSettings::applyRearmsStoppedUpdateTimer() {
    CreateWindows();
    QVERIFY(Window->Set->UpdateTimer.isActive());
    Window->Set->UpdateTimer.stop(); // as after the automatic check has run
    Options->BtnOK->click();
    QVERIFY(Window->Set->UpdateTimer.isActive());
    QCOMPARE(Window->Set->UpdateTimer.remainingTime() > 59000, true);
}

QTEST_MAIN(TestAppliedSettings)
#include "tst_appliedsettings.moc"
