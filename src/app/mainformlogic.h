#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

// Where a window goes so that it stays on the screen: top or left above or left of the screen
// becomes 10, then the right edge is pulled inside the screen and the bottom edge at least 40
// pixels above the screen's bottom (room for the task bar). Applied in that order, so a window
// larger than the screen ends up with its far edges in view, not its top-left corner. Summed
// in 64 bits, so a stored position near the integer limit still comes back on the screen.
// The screen may lie anywhere on the desktop (a second monitor).
QPoint KeepOnScreen(const QPoint& position, const QSize& window, const QRect& screen);

// The waiting label's text: "Wacht op <host>" centred with blanks to 31 characters, between
// two line breaks. A longer text is kept whole.
QString WaitText(const QString& host);
