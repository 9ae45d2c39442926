#include "alarm/alarmsound.h"

#include "alarm/audiooutput.h"
#include "alarm/tones.h"

#include "support/modules.h"

#include <QByteArray>
#include <QList>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <memory>

namespace {

constexpr int SampleRate = 44100;
// A quarter second queued in the sink: enough to ride out a busy moment,
// short enough that a series starts soon after it is asked for.
constexpr int BufferMs = 250;
constexpr int FeedMs = 20;
constexpr int LeadMs = 50;
constexpr int BytesPerSample = 2;

std::atomic<bool> Opened = false;

// The module stays loaded: the sinks it makes may live as long as we do.
AudioModule* LoadAudioModule() {
    QString error;
    auto* module = LoadModuleAs<AudioModule>(QStringLiteral(QZRATE_SOUND_MODULE), &error);
    if (!module)
        qCWarning(lcAlarm) << "no audio module:" << error;
    return module;
}

} // namespace

// The sound's side on its own thread: the stream and the series it is fed.
class AlarmSound::Player : public QObject {
    Q_OBJECT

public:
    Player() : Feeder(this) {
        Feeder.setInterval(FeedMs);
        connect(&Feeder, &QTimer::timeout, this, &Player::Feed);
    }

    void Queue(Sweep sweep, bool newTurn, quint64 request) {
        Request = request;
        if (!OpenSink()) {
            emit PlayedOut(Request);
            return;
        }
        // A newer reading: what an older one asked for and has not started is stale.
        if (newTurn)
            Pending.clear();
        Pending.append(sweep);
        // Feed stops the feeder once everything is handed to the stream.
        Feeder.start();
        Feed();
    }

    void Stop() {
        Pending.clear();
        Current.clear();
        Written = 0;
        Feeder.stop();
        // What the stream holds would play on: only closing it ends the sound at once. The
        // next series opens a new one.
        Sink.reset();
    }

signals:
    void SeriesStarted(Sweep sweep);
    void PlayedOut(quint64 request);

private:
    bool OpenSink() {
        if (Sink)
            return true;
        if (NoDevice)
            return false;
        if (AudioModule* module = LoadAudioModule())
            Sink.reset(module->OpenAudioOutput(SampleRate, BufferMs));
        Opened = Opened || Sink;
        if (!Sink) {
            qCWarning(lcAlarm) << "no audio device: the alarm stays silent";
            NoDevice = true;
            return false;
        }
        return true;
    }

    void Feed() {
        while (true) {
            if (Written == Current.size()) {
                if (Pending.isEmpty()) {
                    Feeder.stop();
                    emit PlayedOut(Request);
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

    std::unique_ptr<AudioOutput> Sink;
    bool NoDevice = false;
    QTimer Feeder;
    QList<Sweep> Pending;
    QByteArray Current;
    qsizetype Written = 0;
    quint64 Request = 0;
};

AlarmSound::AlarmSound(QObject* parent) : QObject(parent) {
    Thread.setObjectName(QStringLiteral("alarm sound"));
}

AlarmSound::~AlarmSound() {
    Thread.quit();
    Thread.wait();
}

void AlarmSound::Play(Sweep sweep) {
    if (sweep == Sweep::None)
        return;
    if (!Worker) {
        Worker = new Player;
        Worker->moveToThread(&Thread);
        // The stream is closed on its own thread, as the thread ends.
        connect(&Thread, &QThread::finished, Worker, &QObject::deleteLater);
        connect(Worker, &Player::SeriesStarted, this, &AlarmSound::SeriesStarted);
        connect(Worker, &Player::PlayedOut, this,
                [this](quint64 request) { Done = std::max(Done, request); });
        Thread.start();
    }
    const bool newTurn = !TurnOpen;
    if (newTurn) {
        TurnOpen = true;
        QTimer::singleShot(0, this, [this] { TurnOpen = false; });
    }
    const quint64 request = ++Asked;
    QMetaObject::invokeMethod(Worker, [worker = Worker, sweep, newTurn, request] {
        worker->Queue(sweep, newTurn, request);
    });
}

bool AlarmSound::StreamOpened() {
    return Opened;
}

void AlarmSound::Stop() {
    Done = Asked;
    if (Worker)
        QMetaObject::invokeMethod(Worker, [worker = Worker] { worker->Stop(); });
}

#include "alarmsound.moc"
