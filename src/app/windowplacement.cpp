#include "app/windowplacement.h"

#include "settings/settingsstore.h"

#include <algorithm>

namespace {

constexpr int EdgeMargin = 10;
constexpr int TaskBarRoom = 40;
constexpr int FarOff = 1 << 24;

} // namespace

QPoint KeepOnScreen(const QPoint& position, const QSize& window, const QRect& screen) {
    qint64 top = position.y();
    qint64 left = position.x();
    const qint64 right = qint64(screen.x()) + screen.width();
    const qint64 bottom = qint64(screen.y()) + screen.height();
    if (top < screen.y())
        top = qint64(screen.y()) + EdgeMargin;
    if (left < screen.x())
        left = qint64(screen.x()) + EdgeMargin;
    if (left + window.width() > right)
        left = right - window.width();
    if (top + window.height() > bottom - TaskBarRoom)
        top = bottom - window.height() - TaskBarRoom;
    return {int(left), int(top)};
}

QPoint StoredPosition(const SettingsStore& store) {
    return {std::clamp(store.ReadInteger(QStringLiteral("MainLeft"), 400), -FarOff, FarOff),
            std::clamp(store.ReadInteger(QStringLiteral("MainTop"), 100), -FarOff, FarOff)};
}

void StorePosition(SettingsStore& store, const QPoint& position) {
    store.WriteInteger(QStringLiteral("MainTop"), position.y());
    store.WriteInteger(QStringLiteral("MainLeft"), position.x());
}
