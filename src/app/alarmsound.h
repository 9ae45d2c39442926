#pragma once

#include "app/alarm.h"

#include <QAudioFormat>
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>

class QAudioSink;
class QIODevice;

// Plays the alarm's sweeps without ever making the window wait. One audio sink serves the
// program's whole life; it is made when the first series is asked for, so a program whose
// alarm never sounds loads no audio at all. Without an audio device the alarm is silent.
class AlarmSound : public QObject {
    Q_OBJECT

public:
    explicit AlarmSound(QObject* parent = nullptr);
    ~AlarmSound() override;

    // Queues a series. The series asked for in one turn of the event loop (the steps of one
    // reading) play one after another; a series asked for in a later turn drops those that
    // have not started yet, so the sound never lags behind the readings.
    void Play(Sweep sweep);
    // Series queued, or samples still to be handed to the sink.
    bool Busy() const;

signals:
    void SeriesStarted(Sweep sweep);

private:
    bool OpenSink();
    void Feed();

    QAudioFormat Format;
    QAudioSink* Sink = nullptr;
    QIODevice* Output = nullptr;
    bool NoDevice = false;
    QTimer Feeder;
    QList<Sweep> Pending;
    QByteArray Current;
    qsizetype Written = 0;
    bool TurnOpen = false;
};
