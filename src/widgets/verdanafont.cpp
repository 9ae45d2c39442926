#include "widgets/verdanafont.h"

QFont VerdanaFont(int pixelSize) {
    QFont font(QStringLiteral("Verdana"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    return font;
}
