#include "app/mainformlogic.h"

namespace {

constexpr int EdgeMargin = 10;
constexpr int TaskBarRoom = 40;
constexpr int WaitWidth = 31;

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

QString WaitText(const QString& host) {
    const QString text = QStringLiteral("Wacht op ") + host;
    const qsizetype blanks = qMax<qsizetype>(0, WaitWidth - text.size());
    const qsizetype before = blanks / 2;
    return QStringLiteral("\r\n") + QString(before, u' ') + text + QString(blanks - before, u' ') +
           QStringLiteral("\r\n");
}
