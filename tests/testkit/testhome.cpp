#include "testkit/testhome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

TestHome::TestHome() {
    Set("XDG_DATA_HOME", FilePath(QStringLiteral("data")).toUtf8());
    Set("XDG_CONFIG_HOME", FilePath(QStringLiteral("config")).toUtf8());
    // Nothing listens on the discard port: a reading the test did not prepare fails at once.
    ServeRates(QUrl(QStringLiteral("http://127.0.0.1:9/")),
               QUrl(QStringLiteral("http://127.0.0.1:9/")));
}

TestHome::~TestHome() {
    // Newest first, so a variable set twice gets its first value back.
    for (auto saved = Saved.rbegin(); saved != Saved.rend(); ++saved) {
        if (saved->second)
            qputenv(saved->first.constData(), *saved->second);
        else
            qunsetenv(saved->first.constData());
    }
}

void TestHome::Set(const char* name, const QByteArray& value) {
    Saved.emplace_back(name, qEnvironmentVariableIsSet(name)
                                 ? std::optional<QByteArray>(qgetenv(name))
                                 : std::nullopt);
    qputenv(name, value);
}

void TestHome::ServeRates(const QUrl& iex, const QUrl& d2e) {
    Set("QZRATE_IEX_URL", iex.toString().toUtf8());
    Set("QZRATE_D2E_URL", d2e.toString().toUtf8());
}

void WriteFile(const QString& path, const QByteArray& content, bool executable) {
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
    file.close();
    if (executable)
        QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));
}
