#include "platform/programicondrawing.h"

#include <QPainter>
#include <QSvgRenderer>

QImage ProgramIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer svg(QStringLiteral(":/icon-drawing/nl.qzrate.qzRate.svg"));
    QPainter painter(&image);
    svg.render(&painter);
    return image;
}
