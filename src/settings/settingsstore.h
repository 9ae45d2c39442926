#pragma once

#include <QSettings>
#include <QString>

#include <memory>

// Values of section "Defaults" of a program's store, every value kept as text. Each operation
// opens the store and syncs it when done, so nothing is held open between operations.
// A write that cannot be stored throws std::runtime_error("Failed to set data for '<name>'").
class SettingsStore {
public:
    // The user's store of a program ("qzRate", or the sibling "Orvane").
    explicit SettingsStore(const QString& programName);
    // A store in an INI file, for tests.
    static SettingsStore AtPath(const QString& iniPath);

    // Text that is not a whole decimal number, or a missing value, gives the default.
    int ReadInteger(const QString& name, int defaultValue) const;
    // An integer whose default is 1 or 0; true when not 0.
    bool ReadBool(const QString& name, bool defaultValue) const;
    QString ReadString(const QString& name, const QString& defaultValue) const;
    void WriteInteger(const QString& name, int value);
    void WriteBool(const QString& name, bool value);
    void WriteString(const QString& name, const QString& value);
    void DeleteValue(const QString& name);

    // Where the values live: the INI file, or the registry key on Windows.
    QString Location() const;

private:
    SettingsStore(const QString& location, QSettings::Format format);
    std::unique_ptr<QSettings> Open() const;

    QString m_location;
    QSettings::Format m_format;
};
