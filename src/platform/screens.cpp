#include "platform/screens.h"

#include <QGuiApplication>
#include <QScreen>

bool OnWayland() {
    return QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
}

QRect ScreenGeometryAt(const QPoint& point) {
    const QScreen* screen = QGuiApplication::screenAt(point);
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    return screen->geometry();
}
