#pragma once

#include <QChar>
#include <QLocale>
#include <QString>

// The user's regional notation, read once from the locale and passed to whatever formats
// numbers or times, so tests can pin it.
struct RegionalSettings {
    QChar decimalSeparator = u',';
    QChar groupSeparator = u'.';
    QString dateTimeFormat = QStringLiteral("dd-MM-yyyy HH:mm:ss"); // short date + long time
    QString timeFormat = QStringLiteral("HH:mm:ss");                // long time, no zone name
    QLocale locale = QLocale::c(); // writes the formats: its AM/PM markers and digits
};

RegionalSettings RegionalSettingsFrom(const QLocale& locale);
RegionalSettings SystemRegionalSettings();
