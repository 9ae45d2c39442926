#include "update/processes.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <csignal>

namespace {

const QString DeletedSuffix = QStringLiteral(" (deleted)");

bool IsExecutableOf(pid_t pid, const QString& exePath) {
    QString target = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
    if (target.endsWith(DeletedSuffix) && !QFile::exists(target))
        target.chop(DeletedSuffix.size());
    return !target.isEmpty() && target == exePath;
}

// A killed process stays listed until the kernel has taken it down; wait a little for that so
// the next search does not count it again.
void AwaitGone(pid_t pid, const QString& exePath) {
    const QDeadlineTimer deadline(500);
    while (IsExecutableOf(pid, exePath) && !deadline.hasExpired())
        QThread::msleep(5);
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
        if (::kill(pid, SIGKILL) == 0)
            ++report.terminated;
        AwaitGone(pid, exePath);
    }
    return report;
}
