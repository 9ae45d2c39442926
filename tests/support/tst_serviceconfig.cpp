#include "support/serviceconfig.h"
#include "testkit/testhome.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestServiceConfig : public QObject {
    Q_OBJECT

private slots:
    void serviceBaseUrl_data();
    void serviceBaseUrl();
    void loadServiceConfig_data();
    void loadServiceConfig();
    void systemServiceConfig();
};

void TestServiceConfig::serviceBaseUrl_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected"); // empty: an invalid URL

    QTest::newRow("bare host") << "www.iex.nl"
                               << "https://www.iex.nl/";
    QTest::newRow("bare host with blanks") << "  www.iex.nl\t"
                                           << "https://www.iex.nl/";
    QTest::newRow("loopback with port") << "http://127.0.0.1:8451/"
                                        << "http://127.0.0.1:8451/";
    QTest::newRow("no path") << "http://127.0.0.1:8451"
                             << "http://127.0.0.1:8451/";
    QTest::newRow("path without slash") << "https://example.org/rates"
                                        << "https://example.org/rates/";
    QTest::newRow("path with slash") << "https://example.org/rates/"
                                     << "https://example.org/rates/";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("blanks") << "   "
                            << "";
    QTest::newRow("scheme only") << "http://"
                                 << "";
    QTest::newRow("no host") << "http:///rates"
                             << "";
    QTest::newRow("file scheme") << "file:///etc/passwd"
                                 << "";
    QTest::newRow("other scheme") << "ftp://example.org/"
                                  << "";
    QTest::newRow("bare host with blank") << "www iex nl"
                                          << "";
    QTest::newRow("bare host with path") << "www.iex.nl/rates"
                                         << "";
    QTest::newRow("bad port") << "http://127.0.0.1:99999/"
                              << "";
}

void TestServiceConfig::serviceBaseUrl() {
    QFETCH(QString, value);
    QFETCH(QString, expected);
    const QUrl url = ServiceBaseUrl(value);
    QCOMPARE(url.isValid(), !expected.isEmpty());
    QCOMPARE(url.toString(), expected);
}

void TestServiceConfig::loadServiceConfig_data() {
    QTest::addColumn<QByteArray>("file"); // empty: no file at all
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QString>("iex");
    QTest::addColumn<QString>("d2e");
    QTest::addColumn<QString>("reference"); // empty: turned off
    QTest::addColumn<QString>("publisher");
    QTest::addColumn<bool>("warns");

    const QByteArray full = "[Sources]\nIEX=http://127.0.0.1:8451/\nD2E=d2e.example.org\n"
                            "Reference=http://127.0.0.1:8454/eurofxref\n"
                            "[Publisher]\nHost=http://127.0.0.1:8453/files\n";
    const QString fallback = "https://www.qzrate.example/";
    const QString bank = "https://www.ecb.europa.eu/stats/eurofxref/";
    const QString local = "http://127.0.0.1:8454/eurofxref/";
    QTest::newRow("defaults") << QByteArray() << QStringList() << "https://www.iex.nl/"
                              << "https://www.dollars2euros.com/" << bank << fallback << false;
    QTest::newRow("file") << full << QStringList() << "http://127.0.0.1:8451/"
                          << "https://d2e.example.org/" << local << "http://127.0.0.1:8453/files/"
                          << false;
    QTest::newRow("environment over file")
        << full
        << QStringList{"QZRATE_IEX_URL=http://127.0.0.1:9001", "QZRATE_PUBLISHER_URL=pub.example",
                       "QZRATE_REFERENCE_URL=off"}
        << "http://127.0.0.1:9001/"
        << "https://d2e.example.org/"
        << ""
        << "https://pub.example/" << false;
    QTest::newRow("empty environment ignored")
        << full << QStringList{"QZRATE_IEX_URL=", "QZRATE_D2E_URL=  ", "QZRATE_REFERENCE_URL="}
        << "http://127.0.0.1:8451/"
        << "https://d2e.example.org/" << local << "http://127.0.0.1:8453/files/" << false;
    QTest::newRow("environment without file")
        << QByteArray() << QStringList{"QZRATE_D2E_URL=http://127.0.0.1:8452/"}
        << "https://www.iex.nl/"
        << "http://127.0.0.1:8452/" << bank << fallback << false;
    QTest::newRow("empty values") << QByteArray(
                                         "[Sources]\nIEX=\nD2E=\nReference=\n[Publisher]\nHost=\n")
                                  << QStringList() << "https://www.iex.nl/"
                                  << "https://www.dollars2euros.com/" << bank << fallback << false;
    // Only the reference can be turned off; another host named "off" is a host.
    QTest::newRow("off") << QByteArray("[Sources]\nIEX=off\nReference= Off \n") << QStringList()
                         << "https://off/"
                         << "https://www.dollars2euros.com/"
                         << "" << fallback << false;
    QTest::newRow("unreadable value")
        << QByteArray("[Sources]\nIEX=http://\n") << QStringList() << ""
        << "https://www.dollars2euros.com/" << bank << fallback << true;
}

void TestServiceConfig::loadServiceConfig() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, environment);
    QFETCH(QString, iex);
    QFETCH(QString, d2e);
    QFETCH(QString, reference);
    QFETCH(QString, publisher);
    QFETCH(bool, warns);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("qzrate.conf"));
    if (!file.isEmpty())
        WriteFile(path, file);
    QProcessEnvironment env;
    for (const QString& entry : environment)
        env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));

    // Only the unreadable value is reported.
    const QRegularExpression report(QStringLiteral("not a host"));
    if (warns)
        QTest::ignoreMessage(QtWarningMsg, report);
    else
        QTest::failOnWarning(report);
    const ServiceConfig config = LoadServiceConfig(path, env);
    QCOMPARE(config.iex.toString(), iex);
    QCOMPARE(config.d2e.toString(), d2e);
    QCOMPARE(config.reference.toString(), reference);
    QCOMPARE(config.publisher.toString(), publisher);
}

void TestServiceConfig::systemServiceConfig() {
    QTemporaryDir configHome;
    QVERIFY(configHome.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    qputenv("QZRATE_D2E_URL", "http://127.0.0.1:8452");
    WriteFile(configHome.filePath(QStringLiteral("qzRate/qzrate.conf")),
              "[Sources]\nIEX=iex.example\nD2E=d2e.example\n");

    const ServiceConfig config = SystemServiceConfig();
    QCOMPARE(config.iex, QUrl(QStringLiteral("https://iex.example/")));
    QCOMPARE(config.d2e, QUrl(QStringLiteral("http://127.0.0.1:8452/")));
    QCOMPARE(config.publisher, QUrl(QStringLiteral("https://www.qzrate.example/")));
    qunsetenv("QZRATE_D2E_URL");
    qunsetenv("XDG_CONFIG_HOME");
}

QTEST_GUILESS_MAIN(TestServiceConfig)
#include "tst_serviceconfig.moc"
