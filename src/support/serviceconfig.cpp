#include "support/serviceconfig.h"

#include <QLoggingCategory>
#include <QProcessEnvironment>
#include <QSettings>
#include <QStandardPaths>

Q_LOGGING_CATEGORY(lcServiceConfig, "qzrate.support")

QUrl ServiceBaseUrl(const QString& value) {
    const QString text = value.trimmed();
    if (text.isEmpty())
        return {};
    QUrl url;
    if (text.contains(QStringLiteral("://"))) {
        url = QUrl(text, QUrl::StrictMode);
        // Only web locations can serve the pages; anything else would be fetched blindly.
        if (url.scheme() != u"http" && url.scheme() != u"https")
            return {};
    } else {
        url.setScheme(QStringLiteral("https"));
        url.setHost(text, QUrl::StrictMode);
    }
    if (!url.isValid() || url.host().isEmpty())
        return {};
    // A base URL ends in '/' so that relative names resolve below it.
    if (!url.path().endsWith(u'/'))
        url.setPath(url.path() + u'/');
    return url;
}

namespace {

struct ServiceEntry {
    const char* key;         // in qzrate.conf
    const char* environment; // overrides the file when set and not empty
    const char* fallback;    // when neither gives a value
    QUrl ServiceConfig::*target;
    bool optional = false; // "off" leaves the URL empty: the service is never asked
};

const ServiceEntry kServiceEntries[] = {
    {"Sources/IEX", "QZRATE_IEX_URL", "www.iex.nl", &ServiceConfig::iex},
    {"Sources/D2E", "QZRATE_D2E_URL", "www.dollars2euros.com", &ServiceConfig::d2e},
    {"Sources/Reference", "QZRATE_REFERENCE_URL", "https://www.ecb.europa.eu/stats/eurofxref/",
     &ServiceConfig::reference, true},
    // One host serves the ping, the version list, the installers, the home page and the mail form.
    {"Publisher/Host", "QZRATE_PUBLISHER_URL", "www.qzrate.example", &ServiceConfig::publisher},
};

} // namespace

ServiceConfig LoadServiceConfig(const QString& confPath, const QProcessEnvironment& env) {
    const QSettings file(confPath, QSettings::IniFormat);
    ServiceConfig config;
    for (const ServiceEntry& entry : kServiceEntries) {
        QString value = env.value(QString::fromLatin1(entry.environment)).trimmed();
        if (value.isEmpty())
            value = file.value(QString::fromLatin1(entry.key)).toString().trimmed();
        if (value.isEmpty())
            value = QString::fromLatin1(entry.fallback);
        if (entry.optional && value.compare(u"off", Qt::CaseInsensitive) == 0)
            continue;
        config.*entry.target = ServiceBaseUrl(value);
        if (!value.isEmpty() && !(config.*entry.target).isValid())
            qCWarning(lcServiceConfig) << entry.key << "is not a host or base URL:" << value;
    }
    return config;
}

QString ServiceConfigPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/qzRate/qzrate.conf");
}

ServiceConfig SystemServiceConfig() {
    return LoadServiceConfig(ServiceConfigPath(), QProcessEnvironment::systemEnvironment());
}
