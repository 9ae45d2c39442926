#include "widgets/glyphs.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTest>

namespace {

enum class Look { Clear, Red, Yellow, Green, Dark };

// A point of the 16 x 16 design and what should be painted there.
struct Probe {
    qreal X;
    qreal Y;
    Look Expected;
};

bool Matches(const QColor& c, Look look, bool greyed) {
    if (look == Look::Clear)
        return c.alpha() == 0;
    if (c.alpha() < 250)
        return false;
    if (greyed)
        return qAbs(c.red() - c.green()) <= 2 && qAbs(c.green() - c.blue()) <= 2;
    switch (look) {
    case Look::Red:
        return c.red() > 180 && c.green() < 60 && c.blue() < 60;
    case Look::Yellow:
        return c.red() > 220 && c.green() > 180 && c.blue() < 60;
    case Look::Green:
        return c.green() > 120 && c.red() < 60 && c.blue() < 60;
    case Look::Dark:
        return c.red() < 80 && c.green() < 80 && c.blue() < 80;
    case Look::Clear:
        break;
    }
    return false;
}

void CheckProbes(const QImage& image, qreal scale, const QList<Probe>& probes, bool greyed) {
    for (const Probe& probe : probes) {
        const QColor colour = image.pixelColor(int(probe.X * scale), int(probe.Y * scale));
        QVERIFY2(Matches(colour, probe.Expected, greyed),
                 qPrintable(QStringLiteral("at %1,%2 (scale %3): %4 alpha %5")
                                .arg(probe.X)
                                .arg(probe.Y)
                                .arg(scale)
                                .arg(colour.name())
                                .arg(colour.alpha())));
    }
}

} // namespace

Q_DECLARE_METATYPE(QList<Probe>)

class TestGlyphs : public QObject {
    Q_OBJECT

private slots:
    void pictures_data() {
        QTest::addColumn<QIcon>("icon");
        QTest::addColumn<QList<Probe>>("probes");
        QTest::newRow("info") << InfoGlyph()
                              << QList<Probe>{{0.3, 0.3, Look::Clear},  {15.7, 15.7, Look::Clear},
                                              {3.5, 8.5, Look::Yellow}, {12.5, 11.5, Look::Yellow},
                                              {8.2, 12.4, Look::Red},   {8.2, 9.6, Look::Red},
                                              {8.0, 3.4, Look::Red}};
        QTest::newRow("alarm low")
            << AlarmLowGlyph() << QList<Probe>{{2.5, 14.5, Look::Red},  {13.5, 14.5, Look::Red},
                                               {8.0, 3.0, Look::Red},   {8.0, 10.5, Look::Red},
                                               {6.0, 8.5, Look::Red},   {2.5, 3.0, Look::Clear},
                                               {13.5, 3.0, Look::Clear}};
        QTest::newRow("alarm high")
            << AlarmHighGlyph() << QList<Probe>{{2.5, 1.5, Look::Red},    {13.5, 1.5, Look::Red},
                                                {8.0, 13.0, Look::Red},   {8.0, 5.5, Look::Red},
                                                {6.0, 7.5, Look::Red},    {2.5, 13.0, Look::Clear},
                                                {13.5, 13.0, Look::Clear}};
        // Struck through, the arrow still in view beside the stroke.
        QTest::newRow("alarm high silenced") << AlarmHighSilencedGlyph()
                                             << QList<Probe>{{13.5, 1.5, Look::Red},
                                                             {8.0, 13.0, Look::Red},
                                                             {8.0, 8.0, Look::Dark},
                                                             {12.5, 12.5, Look::Dark},
                                                             {2.5, 13.0, Look::Clear}};
        QTest::newRow("alarm low silenced") << AlarmLowSilencedGlyph()
                                            << QList<Probe>{{2.5, 14.5, Look::Red},
                                                            {8.0, 3.0, Look::Red},
                                                            {8.0, 8.0, Look::Dark},
                                                            {3.5, 3.5, Look::Dark},
                                                            {13.5, 3.0, Look::Clear}};
        QTest::newRow("alarm ok") << AlarmOkGlyph()
                                  << QList<Probe>{{4.5, 10.5, Look::Green},
                                                  {10.5, 7.5, Look::Green},
                                                  {6.3, 12.1, Look::Green},
                                                  {3.0, 3.0, Look::Clear},
                                                  {13.0, 13.0, Look::Clear}};
    }

    void pictures() {
        QFETCH(QIcon, icon);
        QFETCH(QList<Probe>, probes);
        QVERIFY(!icon.isNull());
        for (const qreal scale : {1.0, 2.0}) {
            for (const bool greyed : {false, true}) {
                const QPixmap pixmap =
                    icon.pixmap(QSize(16, 16), scale, greyed ? QIcon::Disabled : QIcon::Normal);
                // Drawn at the device's resolution, not enlarged from 16 pixels.
                QCOMPARE(pixmap.size(), QSize(16, 16) * scale);
                QCOMPARE(pixmap.devicePixelRatio(), scale);
                CheckProbes(pixmap.toImage(), scale, probes, greyed);
                if (QTest::currentTestFailed())
                    return;
            }
        }
    }

    // Painted straight onto a high-resolution surface, as a button does.
    void paintedOnHighResolution_data() { pictures_data(); }
    void paintedOnHighResolution() {
        QFETCH(QIcon, icon);
        QFETCH(QList<Probe>, probes);
        QImage image(48, 48, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(3.0);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            icon.paint(&painter, QRect(0, 0, 16, 16));
        }
        CheckProbes(image, 3.0, probes, false);
    }
};

QTEST_MAIN(TestGlyphs)
#include "tst_glyphs.moc"
