#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

// The longest time this thread's event loop went without turning: a tick every millisecond
// measures the gaps, which is how long a window would neither paint nor answer. Only a real
// event loop counts (QSignalSpy::wait, WaitInLoop): QTRY_* sleeps between its turns.
//
// A gap counts without the time the thread stood ready while no core was free: on a loaded
// machine the scheduler holds a ready thread back for 10 to 30 ms, whatever the program does.
// The program's own work and its waits (a blocking call, a lock, a round trip) still count.
// Steps of the test's own that block (opening a menu, connecting a client) are left out with
// Paused.
class StallMeter : public QObject {
public:
    StallMeter() : Sched(::open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC)) {
        Ticker.setTimerType(Qt::PreciseTimer);
        connect(&Ticker, &QTimer::timeout, this, [this] {
            const qint64 waited = Waited();
            if (!Pauses)
                Longest =
                    std::max(Longest, (Since.nsecsElapsed() - (waited - WaitedBefore)) / 1000000);
            Since.restart();
            WaitedBefore = waited;
        });
        Restart();
        Ticker.start(1);
    }
    ~StallMeter() override {
        if (Sched >= 0)
            ::close(Sched);
    }
    StallMeter(const StallMeter&) = delete;
    StallMeter& operator=(const StallMeter&) = delete;

    qint64 LongestMs() const { return Longest; }

    // Leaves out the gaps while the returned guard lives, up to its end.
    [[nodiscard]] auto Paused() {
        struct Guard {
            StallMeter* Meter;
            ~Guard() {
                if (--Meter->Pauses == 0)
                    Meter->Restart();
            }
        };
        ++Pauses;
        return Guard{this};
    }

private:
    void Restart() {
        Since.start();
        WaitedBefore = Waited();
    }
    // Nanoseconds this thread has waited for a core so far; 0 where the kernel does not say.
    qint64 Waited() const {
        char text[96];
        const ssize_t n = Sched < 0 ? -1 : ::pread(Sched, text, sizeof text - 1, 0);
        if (n <= 0)
            return 0;
        text[n] = '\0';
        // "time on a core" "time waiting for one" "time slices"
        char* end = nullptr;
        std::strtoll(text, &end, 10);
        return std::strtoll(end, nullptr, 10);
    }

    int Sched;
    QTimer Ticker;
    QElapsedTimer Since;
    qint64 WaitedBefore = 0;
    qint64 Longest = 0;
    int Pauses = 0;
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
