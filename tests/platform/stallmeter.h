#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <algorithm>

// The longest time this thread's event loop went without turning: a tick every millisecond
// measures the gaps, which is how long a window would neither paint nor answer. Only a real
// event loop counts (QSignalSpy::wait, WaitInLoop): QTRY_* sleeps between its turns.
class StallMeter : public QObject {
public:
    StallMeter() {
        Ticker.setTimerType(Qt::PreciseTimer);
        connect(&Ticker, &QTimer::timeout, this, [this] {
            Longest = std::max(Longest, Since.restart());
        });
        Since.start();
        Ticker.start(1);
    }
    qint64 LongestMs() const { return Longest; }

private:
    QTimer Ticker;
    QElapsedTimer Since;
    qint64 Longest = 0;
};

// Runs a real event loop until ready() holds or timeoutMs pass, so a StallMeter sees only the
// program's own work. Gives ready()'s last answer.
template <class Ready> bool WaitInLoop(Ready ready, int timeoutMs) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (ready())
            loop.quit();
    });
    poll.start(10);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!ready())
        loop.exec();
    return ready();
}
