#include "alarm/tones.h"

#include <cmath>
#include <numbers>

namespace {

// Half of full scale: loud enough to hear, clear of clipping in any mixer.
constexpr double Amplitude = 16384;

} // namespace

int ToneFrequency(Sweep sweep, int k) {
    const int step = ToneSeries::StepHz * k;
    return sweep == Sweep::Falling ? ToneSeries::BaseHz - step : ToneSeries::BaseHz + step;
}

QByteArray SynthesizeSeries(Sweep sweep, int sampleRate) {
    if (sweep == Sweep::None)
        return {};
    // Tone k ends at k x 5 ms to the sample, so a rate such as 44100 Hz keeps the timing.
    const auto samplesIn = [sampleRate](qint64 ms) { return qsizetype(ms * sampleRate / 1000); };
    const qsizetype sweepSamples =
        samplesIn(ToneSeries::ToneMs * ToneSeries::TonesPerSweep + ToneSeries::PauseMs);
    QByteArray pcm(sweepSamples * ToneSeries::Sweeps * qsizetype(sizeof(qint16)), '\0');
    auto* samples = reinterpret_cast<qint16*>(pcm.data());
    for (int s = 0; s < ToneSeries::Sweeps; ++s) {
        qint16* out = samples + s * sweepSamples;
        // The phase runs on from tone to tone, so the steps in pitch make no clicks.
        double phase = 0;
        for (int k = 1; k <= ToneSeries::TonesPerSweep; ++k) {
            const double step = 2 * std::numbers::pi * ToneFrequency(sweep, k) / sampleRate;
            const qsizetype toneSamples =
                samplesIn(k * ToneSeries::ToneMs) - samplesIn((k - 1) * ToneSeries::ToneMs);
            for (qsizetype i = 0; i < toneSamples; ++i) {
                *out++ = qint16(std::lround(Amplitude * std::sin(phase)));
                phase = std::fmod(phase + step, 2 * std::numbers::pi);
            }
        }
    }
    return pcm;
}
