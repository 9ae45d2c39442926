#pragma once

#include <QString>

// Outcome codes of a version check.
enum class CheckCode {
    UpToDate = 0,
    NoText = 1,
    NotUsable = 2,
    NameNotFound = 3,
    UpdateAdvised = 4,
    NoPing = 5,
};

struct VersionCheckResult {
    CheckCode code = CheckCode::UpToDate;
    // The program's name, or the installer's file name once the program's line was read.
    QString name;
    // The offered version for display, e.g. "1.03b"; empty until the line was read.
    QString latest;
    int installerSizeKB = 0; // kept as it was unless the line was read
};

// The text the worker hands back from the list download: the list itself, "1" when no attempt
// brought any text, "2" when the text is too short to be a list or the session never opened.
QString VersionListResult(bool sessionOpened, const QString& text);

// The check proper. pingMs is the server's round-trip time (0 or less: no usable answer);
// listText is what VersionListResult gave.
VersionCheckResult CheckVersion(int pingMs, const QString& listText, const QString& name,
                                const QString& versionText, int installerSizeKB);

// The line logged after every check.
QString CheckLogLine(const VersionCheckResult& result);
