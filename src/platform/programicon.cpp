#include "platform/programicon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

QImage ProgramIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer svg(QStringLiteral(":/icons/nl.qzrate.qzRate.svg"));
    QPainter painter(&image);
    svg.render(&painter);
    return image;
}

QIcon ProgramIcon() {
    // Drawn here rather than left to Qt's SVG icon engine, a plug-in the package would have
    // to name by hand.
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(ProgramIconImage(size)));
    return icon;
}
