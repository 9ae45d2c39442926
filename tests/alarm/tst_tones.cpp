#include "alarm/tones.h"
#include "testkit/sinefit.h"

#include <QTest>

#include <algorithm>

Q_DECLARE_METATYPE(Sweep)

class TestTones : public QObject {
    Q_OBJECT

private slots:
    void series_data();
    void series();
};

void TestTones::series_data() {
    QTest::addColumn<Sweep>("sweep");
    QTest::addColumn<int>("sampleRate");
    QTest::newRow("rising at 44100") << Sweep::Rising << 44100;
    QTest::newRow("falling at 44100") << Sweep::Falling << 44100;
    QTest::newRow("rising at 48000") << Sweep::Rising << 48000;
}

void TestTones::series() {
    QFETCH(Sweep, sweep);
    QFETCH(int, sampleRate);
    QVERIFY(SynthesizeSeries(Sweep::None, sampleRate).isEmpty());

    const QByteArray pcm = SynthesizeSeries(sweep, sampleRate);
    const auto* samples = reinterpret_cast<const qint16*>(pcm.constData());
    const qsizetype count = pcm.size() / 2;
    // 5 x (50 x 5 + 300) ms.
    QCOMPARE(count, qsizetype(sampleRate) * 2750 / 1000);

    const SeriesShape shape = MeasureSeries(samples, count, sampleRate, sweep == Sweep::Rising);
    QCOMPARE(shape.Frequencies.size(), 250);
    for (int i = 0; i < shape.Frequencies.size(); ++i) {
        const int k = i % 50 + 1;
        const double expected = 1000 + (sweep == Sweep::Rising ? 5 : -5) * k;
        QVERIFY2(std::abs(shape.Frequencies[i] - expected) < 3,
                 qPrintable(QStringLiteral("tone %1: %2 Hz").arg(i).arg(shape.Frequencies[i])));
    }
    QCOMPARE(shape.PausesMs.size(), 4);
    for (double pause : shape.PausesMs)
        QVERIFY2(std::abs(pause - 300) < 1, qPrintable(QString::number(pause)));
    // Each sweep starts at zero, so it sets in without a click, and peaks at half of full scale.
    const qsizetype sweepSamples = count / 5;
    for (int sweepIndex = 0; sweepIndex < 5; ++sweepIndex)
        QCOMPARE(samples[sweepIndex * sweepSamples], qint16(0));
    QCOMPARE(*std::max_element(samples, samples + count), qint16(16384));
    // The last sweep ends in its pause as well.
    for (qsizetype i = count - sampleRate * 300 / 1000; i < count; ++i)
        QCOMPARE(samples[i], qint16(0));
}

QTEST_APPLESS_MAIN(TestTones)
#include "tst_tones.moc"
