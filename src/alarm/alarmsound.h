#pragma once

#include "alarm/alarm.h"

#include <QObject>
#include <QThread>

// Plays the alarm's sweeps without ever making the window wait. Loading the audio libraries
// and opening a stream take up to a few hundred milliseconds, so the sound has a thread of its
// own, started when the first series is asked for: a program whose alarm never sounds loads
// no audio libraries at all. Without an audio device the alarm is silent.
class AlarmSound : public QObject {
    Q_OBJECT

public:
    explicit AlarmSound(QObject* parent = nullptr);
    // Ends the sound and its thread.
    ~AlarmSound() override;

    // Queues a series. The series asked for in one turn of the event loop (the steps of one
    // reading) play one after another; a series asked for in a later turn drops those that
    // have not started yet, so the sound never lags behind the readings.
    void Play(Sweep sweep);
    // Ends the sound at once and drops the series queued.
    void Stop();
    // Series asked for and not played out yet.
    bool Busy() const { return Done < Asked; }
    // Whether this process ever opened an audio stream.
    static bool StreamOpened();

signals:
    void SeriesStarted(Sweep sweep);

private:
    class Player;

    QThread Thread;
    Player* Worker = nullptr;
    bool TurnOpen = false;
    // Requests are numbered; the player says up to which one it has played everything.
    quint64 Asked = 0;
    quint64 Done = 0;
};
