#include "update/processes.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QScopeGuard>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

const QString DeletedSuffix = QStringLiteral(" (deleted)");
// How long one killed process may take to go; the events are served meanwhile.
constexpr int EndWaitMs = 500;
// Without pidfds the end is watched by looking again at this interval.
constexpr int PollMs = 5;

bool IsExecutableOf(pid_t pid, const QString& exePath) {
    QString target = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
    if (target.endsWith(DeletedSuffix) && !QFile::exists(target))
        target.chop(DeletedSuffix.size());
    return !target.isEmpty() && target == exePath;
}

// Serves the thread's events until the loop is told to quit or EndWaitMs have passed.
void ServeEvents(QEventLoop& loop) {
    QTimer::singleShot(EndWaitMs, &loop, &QEventLoop::quit);
    loop.exec();
}

// A kernel without pidfds: the number is signalled directly, and the end watched by looking.
bool KillByNumber(pid_t pid, const QString& exePath) {
    if (!IsExecutableOf(pid, exePath) || ::kill(pid, SIGKILL) != 0)
        return false;
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (!IsExecutableOf(pid, exePath))
            loop.quit();
    });
    look.start(PollMs);
    ServeEvents(loop);
    return true;
}

// Kills pid when it still runs exePath and waits for its end while the events go on. The pidfd
// holds on to the process, so its number cannot pass to another between the check and the kill.
bool Kill(pid_t pid, const QString& exePath) {
    const int pidfd = int(::syscall(SYS_pidfd_open, pid, 0));
    if (pidfd < 0)
        return errno == ENOSYS && KillByNumber(pid, exePath);
    const auto closeFd = qScopeGuard([pidfd] { ::close(pidfd); });
    if (!IsExecutableOf(pid, exePath) ||
        ::syscall(SYS_pidfd_send_signal, pidfd, SIGKILL, nullptr, 0) != 0)
        return false;
    QEventLoop loop;
    // A pidfd turns readable once its process has ended.
    QSocketNotifier ended(pidfd, QSocketNotifier::Read);
    QObject::connect(&ended, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    ServeEvents(loop);
    return true;
}

} // namespace

pid_t FindProcess(const QString& exePath) {
    const QStringList entries =
        QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        // Folders that are not process numbers ("self", "sys") read as 0.
        const pid_t pid = pid_t(entry.toInt());
        if (pid != 0 && IsExecutableOf(pid, exePath))
            return pid;
    }
    return 0;
}

TerminationReport TerminateAll(const QString& exePath, int maxSearches) {
    TerminationReport report;
    while (report.searches < maxSearches) {
        ++report.searches;
        const pid_t pid = FindProcess(exePath);
        if (pid == 0)
            break;
        if (Kill(pid, exePath))
            ++report.terminated;
    }
    return report;
}
