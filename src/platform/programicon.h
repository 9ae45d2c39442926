#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

// The name under which the desktop knows the program: its desktop entry, its AppStream
// component, its icon and, on Wayland, its application id.
inline const QString DesktopId = QStringLiteral("nl.qzrate.qzRate");

// The program's icon, drawn from its SVG at the sizes the desktop asks for most.
QIcon ProgramIcon();
// The icon drawn at size x size pixels on a transparent ground.
QImage ProgramIconImage(int size);
