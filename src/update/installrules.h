#pragma once

#include <QString>

#include <QtGlobal>

// The name the installation messages show: the installer's name before its first "." without
// digits; "qz" names keep their "qz" and get an upper-case third letter, other names an
// upper-case first letter ("qzrate103.exe" shows as "qzRate", "setup_103.exe" as "Setup_").
QString InstallerDisplayName(const QString& installerName);

// The installer name an older version of the program left behind: "qzRate1.02.exe".
QString OldInstallerName(const QString& productName, const QString& versionText);

// Whether a file of the program's own folder may be deleted before a download: only the
// program's installers, never the running program nor its scheduler.
bool MayDeleteInProgramFolder(const QString& fileName, const QString& productName,
                              const QString& programFileName);

// A program run from a system folder was installed by the package manager, which also
// updates it; it must not replace its own files.
bool IsSystemFolder(const QString& folder);

// A download larger than this fails: twice the listed size, or 512 MB when the list gives none.
qint64 DownloadLimitBytes(int installerSizeKB);

// What a piece of a download adds to the kilobyte count: 2048 bytes add 2, 1024 to 2047 add 1.
inline int PieceKB(qint64 pieceBytes) {
    return int(pieceBytes / 1024);
}
