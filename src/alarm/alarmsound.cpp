#include "alarm/alarmsound.h"

#include "alarm/tones.h"

#include "support/modules.h"

namespace {

constexpr int SampleRate = 44100;
// A quarter second queued in the sink: enough to ride out a busy moment of the window,
// short enough that a series starts soon after it is asked for.
constexpr int BufferMs = 250;
constexpr int FeedMs = 20;
constexpr int LeadMs = 50;
constexpr int BytesPerSample = 2;

// The module stays loaded: the sink it makes lives as long as we do.
AudioModule* LoadAudioModule() {
    QString error;
    auto* module = LoadModuleAs<AudioModule>(QStringLiteral(QZRATE_SOUND_MODULE), &error);
    if (!module)
        qCWarning(lcAlarm) << "no audio module:" << error;
    return module;
}

} // namespace

AlarmSound::AlarmSound(QObject* parent) : QObject(parent) {
    Feeder.setInterval(FeedMs);
    connect(&Feeder, &QTimer::timeout, this, &AlarmSound::Feed);
}

AlarmSound::~AlarmSound() = default;

void AlarmSound::Play(Sweep sweep) {
    if (sweep == Sweep::None || !OpenSink())
        return;
    if (!TurnOpen) {
        // A newer reading: what an older one asked for and has not started is stale.
        Pending.clear();
        TurnOpen = true;
        QTimer::singleShot(0, this, [this] { TurnOpen = false; });
    }
    Pending.append(sweep);
    Feed();
    if (Busy())
        Feeder.start();
}

bool AlarmSound::Busy() const {
    return !Pending.isEmpty() || Written < Current.size();
}

bool AlarmSound::OpenSink() {
    if (Sink)
        return true;
    if (NoDevice)
        return false;
    if (AudioModule* module = LoadAudioModule())
        Sink.reset(module->OpenAudioOutput(SampleRate, BufferMs));
    if (!Sink) {
        qCWarning(lcAlarm) << "no audio device: the alarm stays silent";
        NoDevice = true;
        return false;
    }
    return true;
}

void AlarmSound::Feed() {
    while (true) {
        if (Written == Current.size()) {
            if (Pending.isEmpty()) {
                Feeder.stop();
                return;
            }
            const Sweep sweep = Pending.takeFirst();
            Current = SynthesizeSeries(sweep, SampleRate);
            // A stream that starts (or starts again after running dry) loses its first
            // milliseconds; a lead of silence takes that loss instead of the first tones.
            if (!Sink->Playing())
                Current.prepend(QByteArray(SampleRate * LeadMs / 1000 * BytesPerSample, '\0'));
            Written = 0;
            emit SeriesStarted(sweep);
        }
        const qsizetype room = qMin<qsizetype>(Sink->BytesFree(), Current.size() - Written);
        // Whole samples only.
        const qint64 n =
            room < BytesPerSample ? 0 : Sink->Write(Current.constData() + Written, room & ~1);
        if (n <= 0)
            return;
        Written += n;
    }
}
