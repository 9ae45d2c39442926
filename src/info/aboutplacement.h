#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the information box shows so that it stays on the screen: its bottom at least 45
// pixels above the screen's bottom (the taskbar), its right edge on the screen, and its top
// and left edge not above or left of the screen (then 2 pixels in).
QPoint KeepAboutBoxOnScreen(const QRect& box, const QSize& screen);
