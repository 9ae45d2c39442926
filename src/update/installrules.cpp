#include "update/installrules.h"

#include "support/texthelpers.h"

#include <QStringList>

namespace {

QChar UpperAscii(QChar c) {
    return c >= u'a' && c <= u'z' ? QChar(c.unicode() - 'a' + 'A') : c;
}

} // namespace

QString InstallerDisplayName(const QString& installerName) {
    QString name = DropDigits(TextBefore(u'.', installerName));
    if (name.startsWith(QStringLiteral("qz"))) {
        if (name.size() > 2)
            name[2] = UpperAscii(name[2]);
        return name.left(255);
    }
    if (!name.isEmpty())
        name[0] = UpperAscii(name[0]);
    return name;
}

QString OldInstallerName(const QString& productName, const QString& versionText) {
    return productName + KeepNumberChars(versionText) + QStringLiteral(".exe");
}

bool MayDeleteInProgramFolder(const QString& fileName, const QString& productName,
                              const QString& programFileName) {
    return fileName.startsWith(productName, Qt::CaseInsensitive) && fileName != programFileName &&
           fileName != productName + QStringLiteral("_Sched");
}

bool IsSystemFolder(const QString& folder) {
    static const QStringList systemRoots{QStringLiteral("/usr/"),  QStringLiteral("/bin/"),
                                         QStringLiteral("/sbin/"), QStringLiteral("/lib/"),
                                         QStringLiteral("/snap/"), QStringLiteral("/app/")};
    for (const QString& root : systemRoots) {
        if (folder.startsWith(root))
            return true;
    }
    return false;
}

qint64 DownloadLimitBytes(int installerSizeKB) {
    return installerSizeKB > 0 ? 2 * qint64(installerSizeKB) * 1024 : qint64(512) * 1024 * 1024;
}
