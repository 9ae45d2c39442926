#include "platform/screens.h"

#include <QGuiApplication>

bool OnWayland() {
    return QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
}
