#pragma once

#include <QString>

class QLocale;

// "NLD" for Dutch (1043, 2067) and Afrikaans (1078), "ENU" for every other language id.
QString LanguageCodeForId(int languageId);
// The Windows language id of a locale (nl_NL 1043, nl_BE 2067, af 1078, en_US 1033, ...).
int WindowsLanguageId(const QLocale& locale);

// The folder text with one '/' at its end ("/" stays "/").
QString FolderWithSeparator(const QString& folder);

// Fixes the facts below, once, before the first window exists.
void SupportStartup();
const QString& LanguageCode();
const QString& ProgramFolder();  // ends in '/'
const QString& DownloadFolder(); // ends in '/'

// The per-user data folder of a program, created when missing; ends in '/'.
// The process's current folder is the same afterwards.
QString UserDataFolder(const QString& programName);
