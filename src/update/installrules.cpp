#include "update/installrules.h"

#include "support/texthelpers.h"

#include <QStringList>

namespace {

// Upper case for "a" to "z" only, whatever the locale.
QString UpperFirst(QString text) {
    if (!text.isEmpty() && text[0] >= u'a' && text[0] <= u'z')
        text[0] = QChar(text[0].unicode() - 'a' + 'A');
    return text;
}

} // namespace

QString InstallerDisplayName(const QString& installerName) {
    const QString name = DropDigits(TextBefore(u'.', installerName));
    if (name.startsWith(QStringLiteral("qz")))
        return (QStringLiteral("qz") + UpperFirst(name.mid(2))).left(255);
    return UpperFirst(name);
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
