#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT into a signal on the user-interface thread, so the program can end
// the same way as when its main window is closed. The handler only writes the signal's number
// into a socket pair; the event loop reads it. One instance at a time.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    // From here on the signals are ignored, so one that comes while the program ends cannot
    // end it with a failure status.
    ~TerminationSignals() override;

signals:
    void Received(int signalNumber);

private:
    void ReadSignal();

    QSocketNotifier* Notifier = nullptr;
};
