#pragma once

#include "alarm/alarm.h"
#include "alarm/audiooutput.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>

#include <memory>

// Plays the alarm's sweeps without ever making the window wait. One audio sink serves the
// program's whole life; it is made when the first series is asked for, so a program whose
// alarm never sounds loads no audio libraries at all. Without an audio device the alarm is silent.
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

    std::unique_ptr<AudioOutput> Sink;
    bool NoDevice = false;
    QTimer Feeder;
    QList<Sweep> Pending;
    QByteArray Current;
    qsizetype Written = 0;
    bool TurnOpen = false;
};
