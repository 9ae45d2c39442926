#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

// True on Wayland, where the compositor places windows and keeps their position to itself:
// a program neither moves its window there nor learns where it is.
bool OnWayland();
// The geometry of the screen that holds the point, or of the primary screen when none does.
QRect ScreenGeometryAt(const QPoint& point);
// The window's frame where it really lies on the screen. On X11 the X server is asked: a window
// manager that frames the window in a window of its own (openbox) may move that frame after Qt
// has taken the window's place from it, and then Qt keeps a place the window never had.
QRect FrameOnScreen(const QWidget& window);
