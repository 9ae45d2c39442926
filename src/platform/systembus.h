#pragma once

#include <QObject>

class QThread;

// What the system bus tells about the machine: logind says when it wakes from sleep and
// NetworkManager how well it is connected. Only a signal from the owner of the name counts:
// anyone on the bus can send one under the same path and interface. Without the bus, logind
// or NetworkManager the signals simply never come, and one log line says so.
class SystemBus : public QObject {
    Q_OBJECT

public:
    explicit SystemBus(QObject* parent = nullptr);
    // Waits for a connection still being made: its signals lead here.
    ~SystemBus() override;

    // Returns at once: connecting blocks until the bus daemon answers (25 s when it hangs), so
    // it runs on a thread of its own. The signals come on this object's thread.
    void Connect();

signals:
    // The machine woke from sleep.
    void Woke();
    // NetworkManager's state (70: full connectivity). changed is false for the state read
    // when connecting, true for a change it announced.
    void NetworkState(uint state, bool changed);
    // Connecting is over, with or without a bus.
    void Ready();

private slots:
    void PrepareForSleep(bool start);
    void StateChanged(uint state);

private:
    void ConnectNow();

    QThread* Worker = nullptr;
};
