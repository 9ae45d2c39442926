#pragma once

#include "app/windowset.h"

#include <QDateTime>
#include <QString>

#include <memory>

class TMainForm;

// The program's windows on a store of the test's own, as the program makes them; the main
// window sees a Full HD screen whatever screen the machine has.
class WindowFixture {
public:
    explicit WindowFixture(const QString& iniPath,
                           WindowSet::Unseen unseen = WindowSet::Unseen::Now);
    ~WindowFixture();
    WindowFixture(const WindowFixture&) = delete;
    WindowFixture& operator=(const WindowFixture&) = delete;

    // The window's clock stands still at now.
    void PinClock(const QDateTime& now);
    // Shows the main window; false when it is never exposed.
    bool Show();
    // Stops the window's own readings: only those a test asks for come.
    void Quiet();
    // Asks for a reading; false when none finished within timeoutMs.
    bool Read(int timeoutMs = 10000);

    std::unique_ptr<WindowSet> Set;
    TMainForm* Main;
};
