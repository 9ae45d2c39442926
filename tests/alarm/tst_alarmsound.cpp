#include "alarm/alarmsound.h"
#include "testkit/privatepulse.h"
#include "testkit/sinefit.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <ctime>
#include <memory>

// The sweeps as they come out of a real audio device: a PulseAudio daemon of the test's own
// with a null sink, recorded from the sink's monitor.
class TestAlarmSound : public QObject {
    Q_OBJECT

    QTemporaryDir Runtime;
    std::unique_ptr<PrivatePulse> Pulse;
    std::unique_ptr<PulseRecorder> Recorder;

    // The recording so far, as samples.
    const qint16* Samples() const { return Recorder->Samples(); }
    qsizetype Count() const { return Recorder->Count(); }

private slots:
    void initTestCase() {
        QVERIFY(Runtime.isValid());
        // Every PulseAudio client of this process, Qt's included, talks to the private daemon.
        Pulse = std::make_unique<PrivatePulse>(Runtime.path());
        if (!Pulse->Start())
            QSKIP("pulseaudio cannot start here");
        qputenv("PULSE_SERVER", Pulse->Server().toUtf8());
        Recorder = std::make_unique<PulseRecorder>();
        QVERIFY(Recorder->Start());
    }

    // The module and the device are there: nothing to complain about.
    void init() { QTest::failOnWarning(QRegularExpression("^no audio")); }

    void cleanupTestCase() {
        Recorder.reset();
        Pulse.reset();
    }

    // One reading asks for a rising series twice, a newer one for a falling series: the
    // second rising series has not started by then and is dropped. The event loop keeps
    // running throughout.
    void sweepsComeOutInOrder() {
        AlarmSound sound;
        QSignalSpy started(&sound, &AlarmSound::SeriesStarted);
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(50);

        Recorder->Clear();
        QElapsedTimer wall;
        wall.start();
        const std::clock_t cpuStart = std::clock();
        sound.Play(Sweep::Rising);
        sound.Play(Sweep::Rising);
        // The window busy for 400 ms, longer than the stream holds: the sound plays on, fed
        // from a thread of its own.
        QTRY_COMPARE(started.count(), 1);
        QTest::qWait(100);
        QThread::msleep(400);
        sound.Play(Sweep::Falling);
        QTRY_VERIFY_WITH_TIMEOUT(!sound.Busy(), 15000);
        // Fed by a timer at its pace, not by a loop that spins: a small share of one core.
        const double cpuShare =
            double(std::clock() - cpuStart) / CLOCKS_PER_SEC / (wall.elapsed() / 1000.0);
        QVERIFY2(cpuShare < 0.3, qPrintable(QString::number(cpuShare)));
        // The last samples still travel through the sink and the recorder.
        const qsizetype expected = Count() + 44100;
        QTRY_VERIFY_WITH_TIMEOUT(Count() > expected, 10000);
        QCOMPARE(started.count(), 2);
        QCOMPARE(started.at(1).at(0).value<Sweep>(), Sweep::Falling);
        // About 6 seconds of sound passed with the loop ticking all along.
        QVERIFY2(ticks > 60, qPrintable(QString::number(ticks)));

        const SeriesShape rising = MeasureSeries(Samples(), Count(), 44100, true);
        QCOMPARE(rising.Frequencies.size(), 250);
        for (int i = 0; i < 250; ++i) {
            const double expectedHz = 1000 + 5 * (i % 50 + 1);
            QVERIFY2(
                std::abs(rising.Frequencies[i] - expectedHz) < 3,
                qPrintable(QStringLiteral("tone %1: %2 Hz").arg(i).arg(rising.Frequencies[i])));
        }
        QCOMPARE(rising.PausesMs.size(), 4);
        for (double pause : rising.PausesMs)
            QVERIFY2(std::abs(pause - 300) < 10, qPrintable(QString::number(pause)));

        // The falling series follows the rising one after its last pause.
        const qsizetype start = FirstLoud(Samples(), Count(), 0, 2000);
        const qsizetype next = FirstLoud(Samples(), Count(), start + 44100 * 2500 / 1000, 2000);
        QVERIFY(next > 0);
        const SeriesShape falling = MeasureSeries(Samples() + next, Count() - next, 44100, false);
        QCOMPARE(falling.Frequencies.size(), 250);
        for (int i = 0; i < 250; ++i) {
            const double expectedHz = 1000 - 5 * (i % 50 + 1);
            QVERIFY2(
                std::abs(falling.Frequencies[i] - expectedHz) < 3,
                qPrintable(QStringLiteral("tone %1: %2 Hz").arg(i).arg(falling.Frequencies[i])));
        }
        for (double pause : falling.PausesMs)
            QVERIFY2(std::abs(pause - 300) < 10, qPrintable(QString::number(pause)));
        // Nothing after the falling series: the dropped one never played.
        const qsizetype fallingEnd = next + 44100 * 2450 / 1000;
        QCOMPARE(FirstLoud(Samples(), Count(), fallingEnd + 441, 2000), qsizetype(-1));
    }

    // A series starts as soon as it is asked for: a newer reading right after does not drop
    // it. The series one reading asks for all play, in order; a stop drops what is queued,
    // also when the next series is asked for in the same turn.
    void seriesOfOneTurn() {
        AlarmSound sound;
        QSignalSpy started(&sound, &AlarmSound::SeriesStarted);
        sound.Play(Sweep::Rising);
        QCoreApplication::processEvents();
        sound.Play(Sweep::Falling);
        QTRY_VERIFY_WITH_TIMEOUT(!started.isEmpty(), 10000);
        QCOMPARE(started.at(0).at(0).value<Sweep>(), Sweep::Rising);
        sound.Stop();
        started.clear();
        sound.Play(Sweep::Rising);
        sound.Play(Sweep::Falling);
        sound.Play(Sweep::Rising);
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 2, 10000);
        QCOMPARE(started.at(1).at(0).value<Sweep>(), Sweep::Falling);
        sound.Stop();
        started.clear();
        sound.Play(Sweep::Rising);
        sound.Play(Sweep::Rising);
        sound.Stop();
        sound.Play(Sweep::Falling);
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 2, 10000);
        QCOMPARE(started.at(1).at(0).value<Sweep>(), Sweep::Falling);
        sound.Stop();
    }

    // Stopped in the middle of a series with another queued: the sound ends at once and the
    // queued series never plays; the next series sounds again. What the stream holds queued
    // (up to 250 ms) would play on unless it is closed, so the bound is 100 ms, well inside
    // the 200 ms a click may take. The recorder lags behind, which only makes the bound
    // stricter.
    void stopEndsTheSoundAtOnce() {
        AlarmSound sound;
        Recorder->Clear();
        sound.Play(Sweep::Rising);
        sound.Play(Sweep::Rising);
        QTRY_VERIFY_WITH_TIMEOUT(FirstLoud(Samples(), Count(), 0, 2000) >= 0, 10000);
        const qsizetype heard = FirstLoud(Samples(), Count(), 0, 2000);
        // Half a second into the series.
        QTRY_VERIFY_WITH_TIMEOUT(Count() > heard + 44100 / 2, 10000);
        const qsizetype stoppedAt = Count();
        sound.Stop();
        QVERIFY(!sound.Busy());
        QTRY_VERIFY_WITH_TIMEOUT(Count() > stoppedAt + 44100 * 3, 10000);
        QCOMPARE(FirstLoud(Samples(), Count(), stoppedAt + 44100 * 100 / 1000, 2000),
                 qsizetype(-1));

        // The series asked for next, from its start: nothing of the stopped one is left.
        const qsizetype before = Count();
        sound.Play(Sweep::Falling);
        QTRY_VERIFY_WITH_TIMEOUT(FirstLoud(Samples(), Count(), before, 2000) >= 0, 10000);
        const qsizetype next = FirstLoud(Samples(), Count(), before, 2000);
        QTRY_VERIFY_WITH_TIMEOUT(Count() > next + 44100 * 3, 10000);
        const SeriesShape falling = MeasureSeries(Samples() + next, Count() - next, 44100, false);
        QCOMPARE(falling.Frequencies.size(), 250);
        QVERIFY2(std::abs(falling.Frequencies[0] - 995) < 3,
                 qPrintable(QString::number(falling.Frequencies[0])));
    }
};

QTEST_GUILESS_MAIN(TestAlarmSound)
#include "tst_alarmsound.moc"
