#include "platform/screens.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <xcb/xcb.h>

#include <memory>

bool OnWayland() {
    return QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
}

QRect ScreenGeometryAt(const QPoint& point) {
    const QScreen* screen = QGuiApplication::screenAt(point);
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    return screen->geometry();
}

QRect FrameOnScreen(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    const WId id = window.internalWinId();
    if (QGuiApplication::platformName() != QStringLiteral("xcb") || id == 0)
        return frame;
    xcb_connection_t* connection =
        qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> reply(
        xcb_translate_coordinates_reply(
            connection, xcb_translate_coordinates(connection, xcb_window_t(id), root, 0, 0),
            nullptr),
        &std::free);
    if (!reply)
        return frame;
    const QPoint client =
        (QPointF(reply->dst_x, reply->dst_y) / window.devicePixelRatio()).toPoint();
    return frame.translated(client - window.geometry().topLeft());
}
