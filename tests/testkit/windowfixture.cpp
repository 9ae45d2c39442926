#include "testkit/windowfixture.h"

#include "app/mainform.h"
#include "settings/settingsstore.h"

#include <QSignalSpy>
#include <QTest>

WindowFixture::WindowFixture(const QString& iniPath, WindowSet::Unseen unseen)
    : Set(std::make_unique<WindowSet>(SettingsStore::AtPath(iniPath), unseen)),
      Main(Set->MainForm.get()) {
    Main->ScreenGeometry = [](const QPoint&) { return QRect(0, 0, 1920, 1080); };
}

WindowFixture::~WindowFixture() = default;

void WindowFixture::PinClock(const QDateTime& now) {
    Main->Scheduler.Clock = [now] { return now; };
}

bool WindowFixture::Show() {
    Main->show();
    return QTest::qWaitForWindowExposed(Main);
}

void WindowFixture::Quiet() {
    Main->Scheduler.TimerStart.stop();
    Main->Scheduler.DownloadTimer.stop();
    Main->Scheduler.StartPending = false;
}

bool WindowFixture::Read(int timeoutMs) {
    QSignalSpy finished(&Main->Scheduler.Refresh, &RefreshCycle::ReadingFinished);
    Main->RefreshRate();
    return finished.wait(timeoutMs);
}
