#include "app/messagelayout.h"

#include <algorithm>
#include <cmath>

const QString& LongerLine(const QString& Line1, const QString& Line2) {
    return Line1.size() > Line2.size() ? Line1 : Line2;
}

QString MessageText(const QString& Line1, const QString& Line2) {
    QString text;
    for (const QString* line : {&Line1, &Line2}) {
        if (!line->isEmpty())
            text += u'\n' + *line;
    }
    return text;
}

int MessageClientWidth(int textWidth) {
    return textWidth <= 500 ? textWidth + 50 : 500;
}

int FontPoints(int pixelSize, int logicalDpi) {
    return int(std::lround(pixelSize * 72.0 / logicalDpi));
}

int MessageClientHeight(int displayLines, int pixelSize, int logicalDpi, int screenHeight) {
    return std::min((displayLines + 4) * FontPoints(pixelSize, logicalDpi), screenHeight - 200);
}

QRect MessageGeometry(const MessageMeasure& measure, const QRect& reference) {
    const int width = MessageClientWidth(measure.TextWidth);
    const int height = MessageClientHeight(measure.DisplayLines, measure.PixelSize,
                                           measure.LogicalDpi, measure.ScreenHeight);
    // C++ division truncates toward zero, which is what places a tall message over a small window.
    return QRect(reference.left() + (reference.width() - width) / 2,
                 reference.top() + (reference.height() - height) / 2, width, height);
}
