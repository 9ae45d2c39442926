#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;

// One running program per settings folder. The first start takes a lock and listens on a
// local socket; a later start for the same folder asks it to bring its window to the front
// and ends. Programs with other settings folders (tests, separate runs) never meet.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    // The lock and the socket live in the user's runtime folder, named after the folder.
    explicit SingleInstance(const QString& settingsFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // What a later start asks of the running program.
    enum class Ask { Window, Chart };
    // Before the application object exists. True when a running program for this folder
    // answered within answerTimeoutMs: this start should end. False when this start is the
    // first (it holds the lock) or nobody answered in time (it runs on its own, unlocked).
    bool HandOver(int answerTimeoutMs = 1000, Ask ask = Ask::Window);
    // Once the event loop can run: the first start listens for hand-overs.
    void Listen();
    // Stops answering and frees the lock, so a start while this one ends runs on its own.
    void Close();

    bool IsFirst() const { return Lock.isLocked(); }
    QString ServerPath() const { return SocketPath; }

signals:
    // Another start asked for the window.
    void Activated();
    // Another start asked for the rate history's chart.
    void ChartAsked();

private:
    void Answer();

    QString SocketPath;
    QLockFile Lock;
    // The listening socket, -1 when not listening.
    int Server = -1;
    std::unique_ptr<QSocketNotifier> Knock;
};
