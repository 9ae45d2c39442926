#include "app/alarmsound.h"

#include "app/tones.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>

namespace {

constexpr int SampleRate = 44100;
// A quarter second queued in the sink: enough to ride out a busy moment of the window,
// short enough that a series starts soon after it is asked for.
constexpr int BufferMs = 250;
constexpr int FeedMs = 20;
constexpr int LeadMs = 50;

} // namespace

AlarmSound::AlarmSound(QObject* parent) : QObject(parent) {
    Format.setSampleRate(SampleRate);
    Format.setChannelCount(1);
    Format.setSampleFormat(QAudioFormat::Int16);
    Feeder.setInterval(FeedMs);
    connect(&Feeder, &QTimer::timeout, this, &AlarmSound::Feed);
}

AlarmSound::~AlarmSound() {
    if (Sink)
        Sink->stop();
}

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
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (!device.isNull()) {
        Sink = new QAudioSink(device, Format, this);
        Sink->setBufferSize(Format.bytesForDuration(BufferMs * 1000));
        Output = Sink->start();
    }
    if (!Output || Sink->error() != QAudio::NoError) {
        qCWarning(lcAlarm) << "no audio device: the alarm stays silent";
        delete Sink;
        Sink = nullptr;
        Output = nullptr;
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
            if (Sink->state() != QAudio::ActiveState)
                Current.prepend(QByteArray(Format.bytesForDuration(LeadMs * 1000), '\0'));
            Written = 0;
            emit SeriesStarted(sweep);
        }
        const qsizetype room = qMin<qsizetype>(Sink->bytesFree(), Current.size() - Written);
        // Whole samples only.
        const qint64 n = room < 2 ? 0 : Output->write(Current.constData() + Written, room & ~1);
        if (n <= 0)
            return;
        Written += n;
    }
}
