#include "info/schemehandler.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

namespace {

// xdg-mime answers in milliseconds; one that hangs must not keep the mail from being sent.
constexpr int kQueryTimeoutMs = 10000;

QString ExecOfEntryFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    bool inDesktopEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'['))
            inDesktopEntry = line == u"[Desktop Entry]";
        else if (inDesktopEntry && line.startsWith(u"Exec="))
            return line.mid(5).trimmed();
    }
    return {};
}

} // namespace

void QueryDefaultHandler(const QString& scheme, QObject* context,
                         std::function<void(const QString&)> done) {
    auto* process = new QProcess(context);
    QObject::connect(process, &QProcess::finished, process,
                     [process, done](int exitCode, QProcess::ExitStatus status) {
                         QString id;
                         if (status == QProcess::NormalExit && exitCode == 0)
                             id = QString::fromLocal8Bit(process->readAllStandardOutput())
                                      .section(u'\n', 0, 0)
                                      .trimmed();
                         process->deleteLater();
                         done(id);
                     });
    // A program that cannot start sends no finished signal.
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, done](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         process->deleteLater();
                         done(QString());
                     });
    QTimer::singleShot(kQueryTimeoutMs, process, [process] { process->kill(); });
    process->start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                                QStringLiteral("x-scheme-handler/") + scheme});
}

QString DesktopEntryExec(const QString& desktopId, const QStringList& dataFolders) {
    if (desktopId.isEmpty() || desktopId.contains(u'/'))
        return {};
    // An id "vendor-app.desktop" may stand for applications/vendor/app.desktop.
    QStringList relativePaths{desktopId};
    if (desktopId.contains(u'-'))
        relativePaths.append(QString(desktopId).replace(desktopId.indexOf(u'-'), 1, u'/'));
    for (const QString& folder : dataFolders) {
        for (const QString& relative : relativePaths) {
            const QString path = folder + QStringLiteral("/applications/") + relative;
            if (QFile::exists(path))
                return ExecOfEntryFile(path);
        }
    }
    return {};
}

void ReadMailHandlerCommand(QObject* context, std::function<void(const QString&)> done) {
    QueryDefaultHandler(QStringLiteral("mailto"), context, [done](const QString& id) {
        done(DesktopEntryExec(
            id, QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)));
    });
}
