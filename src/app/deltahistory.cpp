#include "app/deltahistory.h"

#include "app/ratepresentation.h"
#include "support/texthelpers.h"

#include <cstdlib>

namespace {

constexpr int MarkWidth = 10;
constexpr int HalfWidth = MarkWidth / 2;
constexpr int MarkStep = MarkWidth + 2;
constexpr int CentreY = 12;
constexpr int ArrowHeight = 6;

// One-pixel line including both ends. Plotted by hand so that an arrow comes out the same
// pixel for pixel, mirror-symmetric, whatever the painter's rasterizer would do.
void DrawLine(QImage& image, QPoint from, QPoint to, const QColor& colour) {
    const int dx = std::abs(to.x() - from.x());
    const int dy = -std::abs(to.y() - from.y());
    const int sx = from.x() < to.x() ? 1 : -1;
    const int sy = from.y() < to.y() ? 1 : -1;
    int err = dx + dy;
    for (QPoint p = from;;) {
        if (image.valid(p))
            image.setPixelColor(p, colour);
        if (p == to)
            return;
        const int twice = 2 * err;
        if (twice >= dy) {
            err += dy;
            p.rx() += sx;
        }
        if (twice <= dx) {
            err += dx;
            p.ry() += sy;
        }
    }
}

} // namespace

void DeltaHistory::Reset() {
    m_resetPending = true;
    m_index = 0;
}

void DeltaHistory::DrawDeltaImage(double rate, QImage& image) {
    if (m_resetPending) {
        m_history.fill(rate);
        m_index = 0;
    }
    m_resetPending = false;
    m_history[m_index] = rate;
    m_index = (m_index + 1) % Size;

    image.fill(Qt::white);
    for (int i = 1; i < Size; ++i) {
        const int c = (m_index + i) % Size;
        const int q = (c + Size - 1) % Size;
        const double now = RoundTo4(m_history[c]);
        const double before = RoundTo4(m_history[q]);
        const int x = MarkStep * i - 8;
        const QPoint left(x, CentreY);
        const QPoint right(x + MarkWidth, CentreY);
        if (now == before) {
            DrawLine(image, left, right, RateBlue);
            continue;
        }
        const QPoint top(x + HalfWidth, CentreY - ArrowHeight);
        const QPoint bottom(x + HalfWidth, CentreY + ArrowHeight);
        const QPoint tip = now > before ? top : bottom;
        const QColor& colour = now > before ? RateGreen : RateRed;
        DrawLine(image, top, bottom, colour);
        DrawLine(image, tip, left, colour);
        DrawLine(image, tip, right, colour);
    }
}
