#pragma once

#include <QPoint>
#include <QRect>

// True on Wayland, where the compositor places windows and keeps their position to itself:
// a program neither moves its window there nor learns where it is.
bool OnWayland();
// The geometry of the screen that holds the point, or of the primary screen when none does.
QRect ScreenGeometryAt(const QPoint& point);
