#include "settings/settingsmodel.h"

#include <QLoggingCategory>

#include <algorithm>
#include <exception>

Q_LOGGING_CATEGORY(lcSettings, "qzrate.app")

namespace {

const QString DownloadName = QStringLiteral("DownloadTimer Aan");
const QString SecondsName = QStringLiteral("Aantal seconden");
const QString MinutesName = QStringLiteral("Aantal minuten");
const QString AlarmName = QStringLiteral("Alarm Aan");
const QString SoundName = QStringLiteral("Geluid Aan");
const QString UpdatesName = QStringLiteral("Updates Aan");
const QString NormalName = QStringLiteral("Normale Modus");

} // namespace

SettingsModel::SettingsModel(const SettingsStore& store, QObject* parent)
    : QObject(parent), Store(store) {}

StoredSettings SettingsModel::Load() {
    StoredSettings values;
    values.DownloadOn = Store.ReadBool(DownloadName, true);
    const int minutes = Store.ReadInteger(MinutesName, 0);
    if (minutes != 0) {
        // Counted in 64 bits, so a huge stored value cannot overflow.
        values.Seconds = int(std::clamp<qint64>(qint64(minutes) * 60, MinSeconds, MaxSeconds));
        // Stored in its new form before the old one goes. A store that cannot be written keeps
        // the old form for the next start.
        try {
            Store.WriteInteger(SecondsName, values.Seconds);
            Store.DeleteValue(MinutesName);
        } catch (const std::exception& error) {
            qCWarning(lcSettings) << "interval not converted to seconds:" << error.what();
        }
    } else {
        values.Seconds = std::clamp(Store.ReadInteger(SecondsName, 30), MinSeconds, MaxSeconds);
    }
    values.AlarmOn = Store.ReadBool(AlarmName, true);
    values.SoundOn = Store.ReadBool(SoundName, true);
    values.UpdatesOn = Store.ReadBool(UpdatesName, true);
    values.NormalMode = Store.ReadBool(NormalName, true);
    return values;
}

void SettingsModel::Save(const StoredSettings& values) {
    Store.WriteBool(DownloadName, values.DownloadOn);
    Store.WriteInteger(SecondsName, values.Seconds);
    Store.WriteBool(AlarmName, values.AlarmOn);
    Store.WriteBool(SoundName, values.SoundOn);
    Store.WriteBool(UpdatesName, values.UpdatesOn);
    Store.WriteBool(NormalName, values.NormalMode);
}

void SettingsModel::Apply(const AppliedSettings& applied) {
    AppliedValues = applied;
    emit UpdatesApplied(applied.UpdatesOn);
}

void SettingsModel::SetDownloadTimer(int intervalMs, bool on) {
    emit DownloadTimerChanged(intervalMs, on);
}

void SettingsModel::ShowAlarm(bool on) {
    emit AlarmShown(on);
}

void SettingsModel::SetLargeMode(bool large) {
    LargeModeValue = large;
    emit LargeModeChanged(large);
}

void SettingsModel::StoreSizeMode() {
    Store.WriteBool(NormalName, !LargeModeValue);
}
