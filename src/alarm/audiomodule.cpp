// The alarm's audio stream on Qt Multimedia, built as a module that the program loads on first
// use.
#include "alarm/audiooutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

#include <memory>

namespace {

class SinkOutput : public AudioOutput {
public:
    SinkOutput(std::unique_ptr<QAudioSink> sink, QIODevice* output)
        : Sink(std::move(sink)), Output(output) {}
    ~SinkOutput() override { Sink->stop(); }

    qint64 Write(const char* data, qint64 size) override { return Output->write(data, size); }
    qint64 BytesFree() const override { return Sink->bytesFree(); }
    bool Playing() const override { return Sink->state() == QAudio::ActiveState; }

private:
    std::unique_ptr<QAudioSink> Sink;
    QIODevice* Output;
};

class SinkModule : public QObject, public AudioModule {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID AudioModule_iid)
    Q_INTERFACES(AudioModule)

public:
    AudioOutput* OpenAudioOutput(int sampleRate, int bufferMs) override;
};

} // namespace

AudioOutput* SinkModule::OpenAudioOutput(int sampleRate, int bufferMs) {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return nullptr;
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    auto sink = std::make_unique<QAudioSink>(device, format);
    sink->setBufferSize(format.bytesForDuration(qint64(bufferMs) * 1000));
    QIODevice* output = sink->start();
    if (!output || sink->error() != QAudio::NoError)
        return nullptr;
    return new SinkOutput(std::move(sink), output);
}

#include "audiomodule.moc"
