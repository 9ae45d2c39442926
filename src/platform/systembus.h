#pragma once

#include <QObject>

#include <memory>
#include <thread>

class SystemBusLink;

// What the system bus tells about the machine: logind says when it wakes from sleep and
// NetworkManager how well it is connected. Only a signal from the owner of the name counts:
// anyone on the bus can send one under the same path and interface. Without the bus, logind
// or NetworkManager the signals simply never come, and one log line says so.
class SystemBus : public QObject {
    Q_OBJECT

public:
    explicit SystemBus(QObject* parent = nullptr);
    // Does not wait for a connection still being made: a bus daemon that accepted it and never
    // answers would hold it for ever. See LeftConnecting.
    ~SystemBus() override;

    // Returns at once: connecting blocks until the bus daemon answers (25 s when it hangs), so
    // it runs on a thread of its own. The signals come on this object's thread.
    void Connect();

    // True once a SystemBus went while its connection was still being made. Qt's D-Bus thread
    // then waits on that daemon, and a normal exit waits for Qt's D-Bus thread: the program
    // must end without the exit's clean-up.
    static bool LeftConnecting();

signals:
    // The machine woke from sleep.
    void Woke();
    // NetworkManager's state (70: full connectivity). changed is false for the state read
    // when connecting, true for a change it announced.
    void NetworkState(uint state, bool changed);
    // Connecting is over, with or without a bus.
    void Ready();

private:
    // Shared with the connecting thread, which may outlive this object.
    std::shared_ptr<SystemBusLink> Link;
    std::thread Worker;
};
