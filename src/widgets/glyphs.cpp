#include "widgets/glyphs.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor Red(220, 0, 0);
const QColor DarkRed(150, 0, 0);
const QColor Yellow(255, 221, 0);
const QColor Amber(190, 140, 0);
const QColor Green(0, 160, 0);
const QColor Slate(40, 40, 48);

// Turns a design colour into the colour painted: itself, or a light grey of the same brightness
// for the disabled form.
class Ink {
public:
    explicit Ink(bool greyed) : m_greyed(greyed) {}
    QColor operator()(const QColor& colour) const {
        if (!m_greyed)
            return colour;
        const int grey = 110 + qGray(colour.rgb()) * 100 / 255;
        return QColor(grey, grey, grey);
    }

private:
    bool m_greyed;
};

// Each picture is drawn on a 16 x 16 design grid; the engine scales it to the size asked.
using Drawing = void (*)(QPainter&, const Ink&);

void DrawInfo(QPainter& p, const Ink& ink) {
    p.setPen(QPen(ink(Amber), 1.0));
    p.setBrush(ink(Yellow));
    p.drawEllipse(QRectF(1.0, 1.0, 14.0, 14.0));

    QPainterPath hook;
    hook.moveTo(5.3, 6.0);
    hook.arcTo(QRectF(5.3, 3.3, 5.4, 5.4), 180.0, -225.0);
    hook.lineTo(8.0, 9.2);
    hook.lineTo(8.0, 10.0);
    p.setPen(QPen(ink(Red), 2.0, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(ink(Red));
    p.drawEllipse(QPointF(8.0, 12.3), 1.2, 1.2);
}

// An arrow with its point at tipY and its tail at tailY, above or below a bar at barY.
void DrawArrowAndBar(QPainter& p, const Ink& ink, qreal tipY, qreal tailY, qreal barY) {
    const qreal headBase = tipY + (tailY > tipY ? 5.0 : -5.0);
    QPainterPath arrow;
    arrow.moveTo(8.0, tipY);
    arrow.lineTo(13.0, headBase);
    arrow.lineTo(9.6, headBase);
    arrow.lineTo(9.6, tailY);
    arrow.lineTo(6.4, tailY);
    arrow.lineTo(6.4, headBase);
    arrow.lineTo(3.0, headBase);
    arrow.closeSubpath();
    p.setPen(QPen(ink(DarkRed), 0.6));
    p.setBrush(ink(Red));
    p.drawPath(arrow);
    p.drawRect(QRectF(1.5, barY, 13.0, 2.4));
}

void DrawAlarmLow(QPainter& p, const Ink& ink) {
    DrawArrowAndBar(p, ink, 12.2, 0.8, 13.2);
}

void DrawAlarmHigh(QPainter& p, const Ink& ink) {
    DrawArrowAndBar(p, ink, 3.8, 15.2, 0.4);
}

// A stroke across the arrow, on a light edge so it reads over the red: the alarm is silenced.
void StrikeThrough(QPainter& p, const Ink& ink) {
    const QLineF stroke(2.2, 2.2, 13.8, 13.8);
    p.setPen(QPen(ink(Qt::white), 3.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(stroke);
    p.setPen(QPen(ink(Slate), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(stroke);
}

void DrawAlarmLowSilenced(QPainter& p, const Ink& ink) {
    DrawAlarmLow(p, ink);
    StrikeThrough(p, ink);
}

void DrawAlarmHighSilenced(QPainter& p, const Ink& ink) {
    DrawAlarmHigh(p, ink);
    StrikeThrough(p, ink);
}

void DrawAlarmOk(QPainter& p, const Ink& ink) {
    QPainterPath check;
    check.moveTo(2.5, 8.5);
    check.lineTo(6.3, 12.3);
    check.lineTo(13.6, 3.6);
    p.setPen(QPen(ink(Green), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(check);
}

class GlyphEngine : public QIconEngine {
public:
    explicit GlyphEngine(Drawing drawing) : m_drawing(drawing) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        const qreal side = qMin(rect.width(), rect.height());
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.x() + (rect.width() - side) / 2.0,
                           rect.y() + (rect.height() - side) / 2.0);
        painter->scale(side / 16.0, side / 16.0);
        m_drawing(*painter, Ink(mode == QIcon::Disabled));
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            paint(&painter, image.rect(), mode, state);
        }
        return QPixmap::fromImage(image);
    }

    QIconEngine* clone() const override { return new GlyphEngine(m_drawing); }

    QString key() const override { return QStringLiteral("qzglyph"); }

private:
    Drawing m_drawing;
};

} // namespace

QIcon InfoGlyph() {
    return QIcon(new GlyphEngine(DrawInfo));
}

QIcon AlarmLowGlyph() {
    return QIcon(new GlyphEngine(DrawAlarmLow));
}

QIcon AlarmOkGlyph() {
    return QIcon(new GlyphEngine(DrawAlarmOk));
}

QIcon AlarmHighGlyph() {
    return QIcon(new GlyphEngine(DrawAlarmHigh));
}

QIcon AlarmLowSilencedGlyph() {
    return QIcon(new GlyphEngine(DrawAlarmLowSilenced));
}

QIcon AlarmHighSilencedGlyph() {
    return QIcon(new GlyphEngine(DrawAlarmHighSilenced));
}
