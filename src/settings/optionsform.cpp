#include "settings/optionsform.h"

#include "platform/applog.h"
#include "settings/programidentity.h"
#include "settings/settingsmodel.h"
#include "widgets/clrbtn.h"
#include "widgets/verdanafont.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>

#include <exception>

namespace {

const QColor DialogColour(255, 255, 227);
const QColor HoverColour(255, 255, 136);

template <typename Widget> Widget* Place(Widget* widget, int left, int top) {
    widget->move(left, top);
    return widget;
}

QGroupBox* Group(const QString& title, QWidget* parent, const QRect& rect) {
    auto* box = new QGroupBox(title, parent);
    box->setGeometry(rect);
    return box;
}

TClrBtn* ColourButton(const QString& text, QWidget* parent, const QRect& rect) {
    auto* button = new TClrBtn(text, parent);
    button->setGeometry(rect);
    button->setFont(VerdanaFont(16));
    button->SetColours(DialogColour, HoverColour);
    return button;
}

} // namespace

TOptionsForm::TOptionsForm(const SettingsStore& store, SettingsModel& settings, QWidget* parent)
    : QDialog(parent), Store(store), Settings(settings) {
    setFont(VerdanaFont(14));

    GroupBox1 = Group(QStringLiteral(" DownloadTimer "), this, {13, 10, 253, 89});
    DownloadCheck = Place(new QCheckBox(QStringLiteral("DownloadTimer Aan"), GroupBox1), 9, 26);
    Label2 = Place(new QLabel(QStringLiteral("Download elke"), GroupBox1), 9, 52);
    SecondsEdit = new QSpinBox(GroupBox1);
    SecondsEdit->setGeometry(116, 49, 45, 27);
    SecondsEdit->setRange(SettingsModel::MinSeconds, SettingsModel::MaxSeconds);
    SecondsEdit->setSingleStep(5);
    SecondsEdit->setValue(30);
    // A typed value out of range is brought into range when the field loses the focus.
    SecondsEdit->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    Label3 = Place(new QLabel(QStringLiteral("seconden"), GroupBox1), 162, 52);

    GroupBox2 = Group(QStringLiteral(" Alarm "), this, {13, 109, 253, 154});
    AlarmCheck = Place(new QCheckBox(QStringLiteral("Alarm Aan"), GroupBox2), 9, 26);
    Label1 = Place(new QLabel(QStringLiteral("Bovengrens:"), GroupBox2), 17, 54);
    LabelBoven = Place(new QLabel(QStringLiteral("-"), GroupBox2), 112, 54);
    Label4 = Place(new QLabel(QStringLiteral("Ondergrens:"), GroupBox2), 17, 88);
    LabelOnder = Place(new QLabel(QStringLiteral("-"), GroupBox2), 112, 88);
    GeluidCheck = Place(new QCheckBox(QStringLiteral("Geluid Aan"), GroupBox2), 18, 120);

    GroupBox4 = Group(QStringLiteral(" Update "), this, {282, 109, 222, 90});
    UpdatesCheck = Place(new QCheckBox(QStringLiteral("Check voor Updates Aan"), GroupBox4), 8, 21);
    UpdatesCheck->setChecked(true);
    BtnCheck = ColourButton(QStringLiteral("Check nu"), GroupBox4, {60, 46, 100, 35});

    ModusBox = Group(QStringLiteral(" Modus "), this, {282, 10, 222, 89});
    // One group: checking either radio button unchecks the other.
    RadioNormal = Place(new QRadioButton(QStringLiteral("Normale Modus"), ModusBox), 9, 26);
    RadioGroot = Place(new QRadioButton(QStringLiteral("Grote Modus"), ModusBox), 9, 51);
    RadioNormal->setChecked(true);

    BtnOK = ColourButton(QStringLiteral("OK"), this, {282, 227, 100, 35});
    BtnCancel = ColourButton(QStringLiteral("Cancel"), this, {404, 227, 100, 35});

    // Labels and boxes as large as their captions.
    for (QWidget* child : findChildren<QWidget*>()) {
        if (qobject_cast<QLabel*>(child) || qobject_cast<QCheckBox*>(child) ||
            qobject_cast<QRadioButton*>(child))
            child->adjustSize();
    }

    // toggled also fires when the program sets a box, which makes a loaded value act as a
    // click would; an unchanged state fires nothing.
    connect(DownloadCheck, &QCheckBox::toggled, this, &TOptionsForm::ApplyDownloadTimer);
    connect(AlarmCheck, &QCheckBox::toggled, this, &TOptionsForm::ApplyAlarm);
    connect(BtnOK, &QPushButton::clicked, this, &TOptionsForm::BtnOKClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TOptionsForm::BtnCancelClick);
    // The update dialog lives above this library; the window set hands its check in.
    connect(BtnCheck, &QPushButton::clicked, this, [this] {
        if (CheckNow)
            CheckNow(frameGeometry().top(), frameGeometry().left(), frameGeometry().height(),
                     frameGeometry().width());
    });
    connect(&Settings, &SettingsModel::LargeModeChanged, this, &TOptionsForm::CheckSizeMode);
    FormCreate();
}

TOptionsForm::~TOptionsForm() {
    FormDestroy();
}

void TOptionsForm::FormCreate() {
    QPalette colours = palette();
    colours.setColor(QPalette::Window, DialogColour);
    setPalette(colours);
    setAutoFillBackground(true);

    setWindowTitle(ProductName + QStringLiteral(" - Instellingen"));
    setFixedSize(ModusBox->x() + ModusBox->width() + GroupBox1->x(),
                 GroupBox2->y() + GroupBox2->height() + GroupBox1->y());

    const QSize screen = QGuiApplication::primaryScreen()->size();
    int top = Store.ReadInteger(QStringLiteral("ConfigTop"), (screen.height() - height()) / 2);
    if (top < 0)
        top = 10;
    int left = Store.ReadInteger(QStringLiteral("ConfigLeft"), (screen.width() - width()) / 2);
    if (left < 0)
        left = 10;
    move(left, top);

    LoadSettings();
    ApplySettings();
}

void TOptionsForm::LoadSettings() {
    const StoredSettings stored = Settings.Load();
    DownloadCheck->setChecked(stored.DownloadOn);
    SecondsEdit->setValue(stored.Seconds);
    AlarmCheck->setChecked(stored.AlarmOn);
    GeluidCheck->setChecked(stored.SoundOn);
    UpdatesCheck->setChecked(stored.UpdatesOn);
    CheckSizeMode(!stored.NormalMode);
}

void TOptionsForm::FirstShowing() {
    LoadSettings();
    GeluidCheck->setEnabled(false);
}

void TOptionsForm::ApplySettings() {
    Settings.Apply({AlarmCheck->isChecked(), GeluidCheck->isChecked(), UpdatesCheck->isChecked()});
    const bool large = RadioGroot->isChecked();
    if (large != Settings.LargeMode())
        Settings.SetLargeMode(large);
    ApplyDownloadTimer();
    ApplyAlarm();
}

void TOptionsForm::SaveSettings() {
    Store.WriteInteger(QStringLiteral("ConfigTop"), y());
    Store.WriteInteger(QStringLiteral("ConfigLeft"), x());
    Settings.Save({DownloadCheck->isChecked(), SecondsEdit->value(), AlarmCheck->isChecked(),
                   GeluidCheck->isChecked(), UpdatesCheck->isChecked(), RadioNormal->isChecked()});
}

void TOptionsForm::ApplyDownloadTimer() {
    const bool on = DownloadCheck->isChecked();
    for (QWidget* control : {static_cast<QWidget*>(Label2), static_cast<QWidget*>(Label3),
                             static_cast<QWidget*>(SecondsEdit)})
        control->setEnabled(on);
    Settings.SetDownloadTimer(SecondsEdit->value() * 1000, on);
}

void TOptionsForm::ApplyAlarm() {
    const bool on = AlarmCheck->isChecked();
    for (QWidget* control : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label4),
                             static_cast<QWidget*>(GeluidCheck)})
        control->setEnabled(on);
    // Shown with a check of the alarm, which asks the applied setting: a click alone has not
    // changed that yet.
    Settings.ShowAlarm(on);
}

void TOptionsForm::CheckSizeMode(bool large) {
    (large ? RadioGroot : RadioNormal)->setChecked(true);
}

void TOptionsForm::ShowLimits(const QString& upper, const QString& lower) {
    for (const auto& [label, text] : {std::pair{LabelBoven, upper}, std::pair{LabelOnder, lower}}) {
        label->setText(text);
        label->adjustSize();
    }
}

void TOptionsForm::BtnOKClick() {
    ApplySettings();
    SaveSettings();
    accept();
}

void TOptionsForm::BtnCancelClick() {
    LoadSettings();
    ApplySettings();
    reject();
}

void TOptionsForm::FormDestroy() {
    // Nothing may escape a destructor; a store that cannot be written loses these values.
    try {
        LoadSettings();
        SaveSettings();
    } catch (const std::exception& error) {
        qCWarning(lcApp) << "settings not stored at the end:" << error.what();
    }
}
