#include "platform/screens.h"

#include <QGuiApplication>

bool PlatformReportsWindowPosition() {
    return !QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
}
