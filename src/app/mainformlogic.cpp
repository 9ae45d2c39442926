#include "app/mainformlogic.h"

namespace {

constexpr int EdgeMargin = 10;
constexpr int TaskBarRoom = 40;
constexpr int WaitWidth = 31;

} // namespace

QPoint KeepOnScreen(const QPoint& position, const QSize& window, const QSize& screen) {
    qint64 top = position.y();
    qint64 left = position.x();
    if (top < 0)
        top = EdgeMargin;
    if (left < 0)
        left = EdgeMargin;
    if (left + window.width() > screen.width())
        left = screen.width() - window.width();
    if (top + window.height() > screen.height() - TaskBarRoom)
        top = screen.height() - window.height() - TaskBarRoom;
    return {int(left), int(top)};
}

QString WaitText(const QString& host) {
    const QString text = QStringLiteral("Wacht op ") + host;
    const qsizetype blanks = qMax<qsizetype>(0, WaitWidth - text.size());
    const qsizetype before = blanks / 2;
    return QStringLiteral("\r\n") + QString(before, u' ') + text + QString(blanks - before, u' ') +
           QStringLiteral("\r\n");
}
