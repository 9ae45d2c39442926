#pragma once

#include <QtPlugin>

// The audio stream the alarm writes its tones into. It lives in a module of its own, loaded
// when the first series is asked for, so a program whose alarm never sounds neither loads nor
// links the audio libraries.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Mono 16-bit samples at the rate it was opened with.
    virtual qint64 Write(const char* data, qint64 size) = 0;
    virtual qint64 BytesFree() const = 0;
    // False when the stream has run dry or not yet started.
    virtual bool Playing() const = 0;
};

// The module's root object: the program loads it (support/modules.h) and never links it.
class AudioModule {
public:
    virtual ~AudioModule() = default;
    // A stream on the default output device with bufferMs queued at most, or null when there
    // is no device to play on.
    virtual AudioOutput* OpenAudioOutput(int sampleRate, int bufferMs) = 0;
};

#define AudioModule_iid "nl.qzrate.AudioModule/1"
Q_DECLARE_INTERFACE(AudioModule, AudioModule_iid)
