#include "support/modules.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPluginLoader>

QObject* LoadModule(const QString& fileName, QString* error) {
    // The installed program finds its modules relative to itself; programs in the build tree
    // (the tests among them) in the build's module folder.
    const QString installed = QCoreApplication::applicationDirPath() +
                              QStringLiteral("/" QZRATE_INSTALLED_MODULES "/") + fileName;
    const QString path = QFileInfo::exists(installed)
                             ? installed
                             : QStringLiteral(QZRATE_BUILD_MODULES "/") + fileName;
    QPluginLoader loader(path);
    QObject* root = loader.instance();
    if (error)
        *error = root ? QString() : loader.errorString();
    return root;
}
