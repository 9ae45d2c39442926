#include "settings/settingsstore.h"

#include <optional>
#include <stdexcept>

namespace {

const QString Section = QStringLiteral("Defaults");

// Optional sign and decimal digits only, within the range of int; anything else is no number.
std::optional<int> StrictInteger(const QString& text) {
    const qsizetype start = (text.startsWith(u'-') || text.startsWith(u'+')) ? 1 : 0;
    if (start == text.size())
        return std::nullopt;
    for (qsizetype i = start; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace

SettingsStore::SettingsStore(const QString& programName)
#ifdef Q_OS_WIN
    : SettingsStore(QStringLiteral("HKEY_CURRENT_USER\\Software\\") + programName,
                    QSettings::NativeFormat)
#else
    : SettingsStore(QSettings(QSettings::IniFormat, QSettings::UserScope, programName, programName)
                        .fileName(),
                    QSettings::IniFormat)
#endif
{
}

SettingsStore::SettingsStore(const QString& location, QSettings::Format format)
    : m_location(location), m_format(format) {}

SettingsStore SettingsStore::AtPath(const QString& iniPath) {
    return SettingsStore(iniPath, QSettings::IniFormat);
}

QString SettingsStore::Location() const {
    return m_location;
}

std::unique_ptr<QSettings> SettingsStore::Open() const {
    auto settings = std::make_unique<QSettings>(m_location, m_format);
    settings->beginGroup(Section);
    return settings;
}

int SettingsStore::ReadInteger(const QString& name, int defaultValue) const {
    return StrictInteger(ReadString(name, QString())).value_or(defaultValue);
}

bool SettingsStore::ReadBool(const QString& name, bool defaultValue) const {
    return ReadInteger(name, defaultValue ? 1 : 0) != 0;
}

QString SettingsStore::ReadString(const QString& name, const QString& defaultValue) const {
    const QVariant value = Open()->value(name);
    if (!value.isValid())
        return defaultValue;
    // An unquoted comma in a hand-edited file makes the INI reader split the text into a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    return value.toString();
}

void SettingsStore::WriteInteger(const QString& name, int value) {
    WriteString(name, QString::number(value));
}

void SettingsStore::WriteBool(const QString& name, bool value) {
    WriteString(name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void SettingsStore::WriteString(const QString& name, const QString& value) {
    const auto settings = Open();
    settings->setValue(name, value);
    settings->sync();
    if (settings->status() != QSettings::NoError)
        throw std::runtime_error(
            QStringLiteral("Failed to set data for '%1'").arg(name).toStdString());
}

void SettingsStore::DeleteValue(const QString& name) {
    Open()->remove(name);
}
