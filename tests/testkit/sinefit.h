#pragma once

#include <QList>

#include <utility>

#include <cmath>
#include <numbers>

// How much of the samples' energy the best sine of frequency f explains (least squares).
inline double ExplainedEnergy(const qint16* samples, int count, int sampleRate, double f) {
    const double w = 2 * std::numbers::pi * f / sampleRate;
    double ss = 0, cc = 0, sc = 0, xs = 0, xc = 0;
    for (int i = 0; i < count; ++i) {
        const double s = std::sin(w * i), c = std::cos(w * i);
        ss += s * s;
        cc += c * c;
        sc += s * c;
        xs += samples[i] * s;
        xc += samples[i] * c;
    }
    const double det = ss * cc - sc * sc;
    if (det <= 0)
        return 0;
    return ((xs * cc - xc * sc) * xs + (xc * ss - xs * sc) * xc) / det;
}

// The frequency of the sine that fits the samples best, searched within guess +- 20 Hz in
// steps of 1 Hz, then around the best step in steps of 0.05 Hz. Zero crossings cannot tell
// 1005 Hz from 1010 Hz in 5 ms; a fit over every sample can.
inline double FitFrequency(const qint16* samples, int count, int sampleRate, double guess) {
    double best = guess;
    for (const auto& [span, step] : {std::pair{20.0, 1.0}, std::pair{1.0, 0.05}}) {
        const double centre = best;
        double bestEnergy = -1;
        for (double f = centre - span; f <= centre + span; f += step) {
            const double energy = ExplainedEnergy(samples, count, sampleRate, f);
            if (energy > bestEnergy) {
                bestEnergy = energy;
                best = f;
            }
        }
    }
    return best;
}

// Index of the first sample at or after from whose magnitude exceeds threshold; -1 if none.
inline qsizetype FirstLoud(const qint16* samples, qsizetype count, qsizetype from, int threshold) {
    for (qsizetype i = from; i < count; ++i) {
        if (std::abs(int(samples[i])) > threshold)
            return i;
    }
    return -1;
}

struct SeriesShape {
    QList<double> Frequencies; // every tone's fitted frequency, sweep after sweep
    QList<double> PausesMs;    // the silence after each sweep but the last
};

// Measures a series that starts at the first loud sample: each 5-ms tone fitted on its inner
// part (clear of the edges), each pause from a sweep's end to the next sweep's first sample.
inline SeriesShape MeasureSeries(const qint16* samples, qsizetype count, int sampleRate,
                                 bool rising, int sweeps = 5) {
    SeriesShape shape;
    const auto toneStart = [sampleRate](int k) {
        return qsizetype(qint64(k) * 5 * sampleRate / 1000);
    };
    const int trim = sampleRate / 2000;
    qsizetype start = FirstLoud(samples, count, 0, 2000);
    for (int s = 0; s < sweeps && start >= 0; ++s) {
        // A sine starting at phase 0 is quiet for its first sample or two.
        start = qMax<qsizetype>(0, start - 1);
        const qsizetype end = start + toneStart(50);
        if (end > count)
            break;
        for (int k = 1; k <= 50; ++k) {
            const qsizetype at = start + toneStart(k - 1) + trim;
            const int length = int(toneStart(k) - toneStart(k - 1)) - 2 * trim;
            shape.Frequencies << FitFrequency(samples + at, length, sampleRate,
                                              1000 + (rising ? 5 : -5) * k);
        }
        const qsizetype next = FirstLoud(samples, count, end + trim, 2000);
        if (s + 1 < sweeps && next >= 0)
            shape.PausesMs << (next - 1 - end) * 1000.0 / sampleRate;
        start = next;
    }
    return shape;
}
