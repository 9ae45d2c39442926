#pragma once

#include "alarm/alarm.h"

#include <QByteArray>

// The alarm's sound as 16-bit signed mono samples in native byte order: five sweeps, each
// of 50 tones of 5 ms at 1000 + 5 k Hz (rising) or 1000 - 5 k Hz (falling) for k = 1 .. 50,
// followed by 300 ms of silence. One series lasts 2750 ms.
struct ToneSeries {
    static constexpr int Sweeps = 5;
    static constexpr int TonesPerSweep = 50;
    static constexpr int ToneMs = 5;
    static constexpr int PauseMs = 300;
    static constexpr int BaseHz = 1000;
    static constexpr int StepHz = 5;
};

// The tone k (1 .. 50) of a sweep, in hertz.
int ToneFrequency(Sweep sweep, int k);

// The samples of one series at the given rate; empty for Sweep::None.
QByteArray SynthesizeSeries(Sweep sweep, int sampleRate);
