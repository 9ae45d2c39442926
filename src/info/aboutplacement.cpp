#include "info/aboutplacement.h"

QPoint KeepAboutBoxOnScreen(const QRect& box, const QSize& screen) {
    int top = box.top();
    int left = box.left();
    if (top + box.height() > screen.height() - 45)
        top = screen.height() - box.height() - 45;
    if (left + box.width() > screen.width())
        left = screen.width() - box.width() - 3;
    if (top < 0)
        top = 2;
    if (left < 0)
        left = 2;
    return {left, top};
}
