#pragma once

#include <QString>

// The program's identity, fixed for the whole run: captions, the settings key, file names and
// version comparison all read these.
inline const QString ProductName = QStringLiteral("qzRate");
inline const QString VersionText = QStringLiteral("versie 1.02");
inline const QString CopyrightText = QStringLiteral("Copyright \u00a9 2026 qzRate");
