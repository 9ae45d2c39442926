#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QObject;

// Asks xdg-mime, without waiting for it, which desktop entry handles links of a scheme; done
// gets the entry's file name, or an empty text when there is none or xdg-mime cannot run.
// Nothing is called when context is destroyed first.
void QueryDefaultHandler(const QString& scheme, QObject* context,
                         std::function<void(const QString&)> done);

// The Exec line of a desktop entry, looked up by its id below "applications" in each data
// folder in turn; empty when the entry or its Exec line is missing.
QString DesktopEntryExec(const QString& desktopId, const QStringList& dataFolders);

// The command registered for mail links: the Exec line of the mailto handler in the user's and
// the system's data folders, or an empty text.
void ReadMailHandlerCommand(QObject* context, std::function<void(const QString&)> done);
