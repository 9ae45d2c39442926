#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class SettingsStore;

// Where a window goes so that it stays on the screen: top or left above or left of the screen
// becomes 10, then the right edge is pulled inside the screen and the bottom edge at least 40
// pixels above the screen's bottom (room for the task bar). Applied in that order, so a window
// larger than the screen ends up with its far edges in view, not its top-left corner. Summed
// in 64 bits, so a stored position near the integer limit still comes back on the screen.
// The screen may lie anywhere on the desktop (a second monitor).
QPoint KeepOnScreen(const QPoint& position, const QSize& window, const QRect& screen);

// The main window's stored position ("MainLeft" 400, "MainTop" 100 when none). One farther off
// than any screen reaches is brought back to that distance first, so the window's edges
// (position plus size) cannot overflow; keeping it on screen does the rest.
QPoint StoredPosition(const SettingsStore& store);
// "MainTop", then "MainLeft"; a write that fails throws, as the store's do.
void StorePosition(SettingsStore& store, const QPoint& position);
