#include "settings/optionsform.h"
#include "settings/settingsmodel.h"
#include "settings/settingsstore.h"
#include "widgets/clrbtn.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <utility>

using Values = QList<QPair<QString, QString>>;

class TestOptionsForm : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
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
    void okAppliesAndStoresEverything();
    void cancelRestoresStoredMode();
    void unconfirmedChangesAreDroppedAtTheEnd();

private:
    // The dialog over a settings model of its own, created on a store with these values.
    void CreateDialog(const Values& stored = {});
    // Ends the dialog, which stores its values as it goes.
    void EndDialog() { Options.reset(); }
    SettingsStore Store() const { return SettingsStore::AtPath(IniPath); }

    QTemporaryDir Folder;
    QString IniPath;
    std::unique_ptr<SettingsModel> Settings;
    std::unique_ptr<TOptionsForm> Options;
    // What the settings last asked of the download timer, the update timer and the alarm
    // buttons.
    std::pair<int, bool> DownloadTimer;
    bool UpdatesOn = false;
    bool AlarmShown = false;
};

void TestOptionsForm::initTestCase() {
    QVERIFY(Folder.isValid());
}

void TestOptionsForm::cleanup() {
    Options.reset();
    Settings.reset();
}

void TestOptionsForm::CreateDialog(const Values& stored) {
    static int run = 0;
    IniPath = Folder.filePath(QStringLiteral("store%1.ini").arg(++run));
    SettingsStore store = Store();
    for (const auto& [name, value] : stored)
        store.WriteString(name, value);
    Settings = std::make_unique<SettingsModel>(store);
    connect(Settings.get(), &SettingsModel::DownloadTimerChanged, this,
            [this](int intervalMs, bool on) {
                DownloadTimer = {intervalMs, on};
            });
    connect(Settings.get(), &SettingsModel::UpdatesApplied, this,
            [this](bool on) { UpdatesOn = on; });
    connect(Settings.get(), &SettingsModel::AlarmShown, this, [this](bool on) { AlarmShown = on; });
    Options = std::make_unique<TOptionsForm>(store, *Settings);
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
    CreateDialog(stored);

    QCOMPARE(Options->SecondsEdit->value(), seconds);
    QCOMPARE(Options->DownloadCheck->isChecked(), download);
    QCOMPARE(Options->AlarmCheck->isChecked(), alarm);
    QCOMPARE(Options->GeluidCheck->isChecked(), sound);
    QCOMPARE(Options->UpdatesCheck->isChecked(), updates);
    QCOMPARE(Options->RadioNormal->isChecked(), normal);
    QCOMPARE(Options->RadioGroot->isChecked(), !normal);
    // The old minutes value is used once and removed.
    QCOMPARE(Store().ReadString("Aantal minuten", "absent"), minutesAfter);

    // Applied at creation.
    const AppliedSettings& applied = Settings->Applied();
    QCOMPARE(applied.AlarmOn, alarm);
    QCOMPARE(applied.SoundOn, sound);
    QCOMPARE(applied.UpdatesOn, updates);
    QCOMPARE(DownloadTimer, std::pair(seconds * 1000, download));
    QCOMPARE(UpdatesOn, updates);
    QCOMPARE(AlarmShown, alarm);
    QCOMPARE(Settings->LargeMode(), !normal);
    QCOMPARE(Options->SecondsEdit->isEnabled(), download);
    QCOMPARE(Options->GeluidCheck->isEnabled(), alarm);
}

void TestOptionsForm::minutesSurviveTheFirstShowing() {
    CreateDialog({{"Aantal minuten", "2"}});
    // The main window's first showing reloads the dialog from the store before anything was
    // saved.
    Options->FirstShowing();
    QCOMPARE(Options->SecondsEdit->value(), 120);
    EndDialog();
    QCOMPARE(Store().ReadString("Aantal seconden", QString()), QStringLiteral("120"));
}

void TestOptionsForm::firstShowingReloadsWithoutApplying() {
    CreateDialog();
    // Stored after the dialog's creation: the first showing reads it, yet applies nothing.
    Store().WriteBool("Geluid Aan", false);
    Options->FirstShowing();
    QVERIFY(!Options->GeluidCheck->isChecked());
    QVERIFY(Settings->Applied().SoundOn);
}

void TestOptionsForm::emptyStoreCentresTheDialog() {
    CreateDialog();
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
    CreateDialog({{"ConfigTop", top}, {"ConfigLeft", left}});
    QCOMPARE(Options->pos(), placed);
    EndDialog();
    QCOMPARE(Store().ReadInteger("ConfigTop", 99), placed.y());
    QCOMPARE(Store().ReadInteger("ConfigLeft", 99), placed.x());
}

void TestOptionsForm::downloadCheckActsAtOnce() {
    CreateDialog({{"Aantal seconden", "45"}});
    Options->DownloadCheck->click();
    QVERIFY(!DownloadTimer.second);
    QVERIFY(!Options->SecondsEdit->isEnabled());
    QVERIFY(!Options->Label2->isEnabled() && !Options->Label3->isEnabled());
    QVERIFY(Options->Label1->isEnabled());
    Options->SecondsEdit->setValue(55);
    Options->SecondsEdit->stepBy(1);
    Options->DownloadCheck->click();
    QCOMPARE(DownloadTimer, std::pair(60000, true));

    Options->DownloadCheck->click();
    Options->BtnCancel->click();
    QCOMPARE(DownloadTimer, std::pair(45000, true));
    QCOMPARE(Options->result(), int(QDialog::Rejected));
}

void TestOptionsForm::alarmCheckActsAtOnce() {
    CreateDialog();
    Options->AlarmCheck->click();
    QVERIFY(!AlarmShown);
    QVERIFY(!Options->GeluidCheck->isEnabled());
    QVERIFY(!Options->Label1->isEnabled() && !Options->Label4->isEnabled());
    QVERIFY(Options->Label2->isEnabled());
    // Only "OK" changes the applied setting.
    QVERIFY(Settings->Applied().AlarmOn);
    Options->BtnOK->click();
    QVERIFY(!Settings->Applied().AlarmOn);
    QCOMPARE(Store().ReadString("Alarm Aan", QString()), QStringLiteral("0"));
}

// Every control goes to its own applied setting and value, none to a neighbour's.
void TestOptionsForm::okAppliesAndStoresEverything() {
    CreateDialog();
    Options->RadioGroot->click();
    Options->GeluidCheck->click();
    Options->UpdatesCheck->click();
    Options->SecondsEdit->setValue(45);
    QVERIFY(!Settings->LargeMode());
    Options->move(77, 33);
    Options->BtnOK->click();
    QVERIFY(Settings->LargeMode());
    QCOMPARE(Options->result(), int(QDialog::Accepted));
    const AppliedSettings& applied = Settings->Applied();
    QVERIFY(applied.AlarmOn && !applied.SoundOn && !applied.UpdatesOn);
    QVERIFY(!UpdatesOn);
    QCOMPARE(DownloadTimer, std::pair(45000, true));
    const Values stored{{"ConfigTop", "33"},        {"ConfigLeft", "77"},
                        {"DownloadTimer Aan", "1"}, {"Aantal seconden", "45"},
                        {"Alarm Aan", "1"},         {"Geluid Aan", "0"},
                        {"Updates Aan", "0"},       {"Normale Modus", "0"}};
    for (const auto& [name, value] : stored)
        QCOMPARE(Store().ReadString(name, QString()), value);
    Options->RadioNormal->click();
    Options->GeluidCheck->click();
    Options->BtnOK->click();
    QVERIFY(!Settings->LargeMode());
    QVERIFY(Store().ReadString("Geluid Aan", QString()) == "1" &&
            Store().ReadString("Updates Aan", QString()) == "0");
}

void TestOptionsForm::cancelRestoresStoredMode() {
    CreateDialog();
    Options->RadioGroot->click();
    Options->BtnCancel->click();
    QVERIFY(!Settings->LargeMode());
    QVERIFY(Options->RadioNormal->isChecked());
    QVERIFY(!Options->RadioGroot->isChecked());
}

void TestOptionsForm::unconfirmedChangesAreDroppedAtTheEnd() {
    CreateDialog();
    Options->DownloadCheck->click();
    Options->UpdatesCheck->click();
    EndDialog();
    QCOMPARE(Store().ReadString("DownloadTimer Aan", QString()), QStringLiteral("1"));
    QCOMPARE(Store().ReadString("Updates Aan", QString()), QStringLiteral("1"));
    QCOMPARE(Store().ReadString("Aantal seconden", QString()), QStringLiteral("30"));
}

QTEST_MAIN(TestOptionsForm)
#include "tst_optionsform.moc"
