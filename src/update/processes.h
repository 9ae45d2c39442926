#pragma once

#include <QString>

#include <sys/types.h>

// The first running process whose executable is exactly exePath, or 0. A process whose file
// was replaced or deleted while it ran still matches ("/path (deleted)").
pid_t FindProcess(const QString& exePath);

struct TerminationReport {
    int searches = 0;
    int terminated = 0; // kill signals sent
};

// Kills every running process whose executable is exePath, one per search, and waits for each
// to end while the thread's events go on, so a window stays painted. A process that survives its
// kill (another user's, say) would be found again and again, so the searches are bounded.
TerminationReport TerminateAll(const QString& exePath, int maxSearches = 20);
