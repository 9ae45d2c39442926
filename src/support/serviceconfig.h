#pragma once

#include <QString>
#include <QUrl>

class QProcessEnvironment;

// Where the outside services live: qzrate.conf in the config folder ([Sources] IEX=, D2E=,
// Reference=, [Publisher] Host=), overridden by QZRATE_IEX_URL, QZRATE_D2E_URL,
// QZRATE_REFERENCE_URL, QZRATE_PUBLISHER_URL.
struct ServiceConfig {
    QUrl iex;
    QUrl d2e;
    QUrl publisher;
    // The folder of the central bank's reference-rate files; empty when turned off ("off"),
    // as it is in a config made without it.
    QUrl reference = {};
};

// A bare host means https://host/; a full base URL may name scheme and port. Empty or
// unreadable text gives an empty (invalid) URL.
QUrl ServiceBaseUrl(const QString& value);
ServiceConfig LoadServiceConfig(const QString& confPath, const QProcessEnvironment& env);
// qzrate.conf in the user's config folder.
QString ServiceConfigPath();
// qzrate.conf in the user's config folder, with the process environment.
ServiceConfig SystemServiceConfig();
