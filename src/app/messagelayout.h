#pragma once

#include <QRect>
#include <QString>

// The arithmetic of the message window, apart from any widget: which line sets the width, what
// the memo holds, and where the window goes. Text measurement comes in as plain numbers.

// The line that sets the window's width: Line1 only when it is strictly longer.
const QString& LongerLine(const QString& Line1, const QString& Line2);

// The memo's text: always a blank first line, then each line that is not empty.
QString MessageText(const QString& Line1, const QString& Line2);

// Client width for a longest line W pixels wide: W + 50 up to 500, else 500 (the memo wraps).
int MessageClientWidth(int textWidth);

// The font's size in points, rounded half away from zero (14 px at 96 dpi gives 11).
int FontPoints(int pixelSize, int logicalDpi);

// Client height for n display lines: (n + 4) points, at most the screen height less 200.
int MessageClientHeight(int displayLines, int pixelSize, int logicalDpi, int screenHeight);

struct MessageMeasure {
    int TextWidth;    // pixel width of the longer line
    int DisplayLines; // lines the memo shows after wrapping
    int PixelSize;    // the memo font's character height
    int LogicalDpi;
    int ScreenHeight;
};

// The window's frame (it has no border): sized as above and centred over the reference window
// with division truncating toward zero; it may lie partly off the screen.
QRect MessageGeometry(const MessageMeasure& measure, const QRect& reference);
