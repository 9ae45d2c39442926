#pragma once

#include <QIcon>
#include <QString>

// The name under which the desktop knows the program: its desktop entry, its AppStream
// component, its icon and, on Wayland, its application id.
inline const QString DesktopId = QStringLiteral("nl.qzrate.qzRate");

// The sizes at which the program's icon is drawn, the smallest first.
inline const QList<int> ProgramIconSizes{16, 22, 24, 32, 48, 64, 128, 256};

// The program's icon at the sizes the desktop asks for most, each read from its picture only
// when the desktop asks for it.
QIcon ProgramIcon();
