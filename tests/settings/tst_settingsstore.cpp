#include "settings/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

class TestSettingsStore : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_ini;
    int m_fileNumber = 0;

    // A store on a hand-written INI file with the given lines.
    SettingsStore WithFile(const QByteArray& lines) {
        QFile file(m_ini);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(m_ini));
        file.write(lines);
        file.close();
        return SettingsStore::AtPath(m_ini);
    }

    QByteArray FileText() const {
        QFile file(m_ini);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return file.readAll();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        // The user's store follows the XDG configuration folder; point it into the scratch folder
        // before the first store is opened.
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toLocal8Bit());
    }

    void init() { m_ini = m_dir.filePath(QStringLiteral("store%1.ini").arg(++m_fileNumber)); }

    void readInteger_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("plain") << QByteArray("39") << 39;
        QTest::newRow("negative") << QByteArray("-12") << -12;
        QTest::newRow("plus sign") << QByteArray("+8") << 8;
        QTest::newRow("zero") << QByteArray("0") << 0;
        QTest::newRow("letters") << QByteArray("abc") << 77;
        QTest::newRow("empty") << QByteArray("") << 77;
        QTest::newRow("leading blank") << QByteArray("\" 7\"") << 77;
        QTest::newRow("trailing text") << QByteArray("7x") << 77;
        QTest::newRow("decimal") << QByteArray("7.5") << 77;
        QTest::newRow("sign only") << QByteArray("-") << 77;
        QTest::newRow("hex") << QByteArray("0x1A") << 77;
        QTest::newRow("too large") << QByteArray("99999999999") << 77;
        QTest::newRow("largest") << QByteArray("2147483647") << 2147483647;
        QTest::newRow("smallest") << QByteArray("-2147483648") << int(-2147483647 - 1);
    }
    void readInteger() {
        QFETCH(QByteArray, stored);
        QFETCH(int, expected);
        const SettingsStore store = WithFile("[Defaults]\nValue=" + stored + "\n");
        QCOMPARE(store.ReadInteger(QStringLiteral("Value"), 77), expected);
    }

    void readMissing() {
        const SettingsStore store = WithFile("[Other]\nValue=5\n");
        QCOMPARE(store.ReadInteger(QStringLiteral("Value"), 30), 30);
        QCOMPARE(store.ReadBool(QStringLiteral("Value"), true), true);
        QCOMPARE(store.ReadBool(QStringLiteral("Value"), false), false);
        QCOMPARE(store.ReadString(QStringLiteral("Value"), QStringLiteral("d")),
                 QStringLiteral("d"));
        const SettingsStore noFile =
            SettingsStore::AtPath(m_dir.filePath(QStringLiteral("none.ini")));
        QCOMPARE(noFile.ReadInteger(QStringLiteral("Value"), -4), -4);
    }

    void readBool_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("defaultValue");
        QTest::addColumn<bool>("expected");
        QTest::newRow("one") << QByteArray("1") << false << true;
        QTest::newRow("zero") << QByteArray("0") << true << false;
        QTest::newRow("two") << QByteArray("2") << false << true;
        QTest::newRow("minus one") << QByteArray("-1") << false << true;
        QTest::newRow("letters, default on") << QByteArray("abc") << true << true;
        QTest::newRow("letters, default off") << QByteArray("abc") << false << false;
        QTest::newRow("true is no number") << QByteArray("true") << false << false;
        QTest::newRow("empty, default on") << QByteArray("") << true << true;
    }
    void readBool() {
        QFETCH(QByteArray, stored);
        QFETCH(bool, defaultValue);
        QFETCH(bool, expected);
        const SettingsStore store = WithFile("[Defaults]\nAlarm%20Aan=" + stored + "\n");
        QCOMPARE(store.ReadBool(QStringLiteral("Alarm Aan"), defaultValue), expected);
    }

    void writeAsText_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind"); // 0 integer, 1 boolean
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("integer") << "MainTop" << 0 << 100 << QByteArray("MainTop=100");
        QTest::newRow("negative") << "ConfigLeft" << 0 << -12 << QByteArray("ConfigLeft=-12");
        QTest::newRow("blank in name")
            << "Aantal seconden" << 0 << 30 << QByteArray("Aantal%20seconden=30");
        QTest::newRow("true") << "DownloadTimer Aan" << 1 << 1
                              << QByteArray("DownloadTimer%20Aan=1");
        QTest::newRow("false") << "Normale Modus" << 1 << 0 << QByteArray("Normale%20Modus=0");
    }
    void writeAsText() {
        QFETCH(QString, name);
        QFETCH(int, kind);
        QFETCH(int, value);
        QFETCH(QByteArray, line);
        SettingsStore store = SettingsStore::AtPath(m_ini);
        if (kind == 0)
            store.WriteInteger(name, value);
        else
            store.WriteBool(name, value != 0);
        // Synced at once: the file holds the value before the store is touched again.
        const QByteArray text = FileText();
        QVERIFY2(text.contains("[Defaults]"), text.constData());
        QVERIFY2(text.contains(line + "\n"), text.constData());
        QCOMPARE(store.ReadInteger(name, 12345), value);
        QCOMPARE(SettingsStore::AtPath(m_ini).ReadString(name, QString()), QString::number(value));
    }

    void roundTripStrings_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("comma") << QStringLiteral("a,b");
        QTest::newRow("path") << QStringLiteral("C:\\Users\\jan\\export.xml");
        QTest::newRow("at sign") << QStringLiteral("@Variant(x)");
        QTest::newRow("blanks") << QStringLiteral("  twee  ");
        QTest::newRow("semicolon and quote") << QStringLiteral("a;b\"c");
        QTest::newRow("empty") << QString("");
    }
    void roundTripStrings() {
        QFETCH(QString, value);
        SettingsStore::AtPath(m_ini).WriteString(QStringLiteral("FileName"), value);
        QCOMPARE(SettingsStore::AtPath(m_ini).ReadString(QStringLiteral("FileName"),
                                                         QStringLiteral("-")),
                 value);
    }

    void deleteValue() {
        SettingsStore store = SettingsStore::AtPath(m_ini);
        store.WriteInteger(QStringLiteral("Aantal minuten"), 2);
        store.WriteInteger(QStringLiteral("Aantal seconden"), 45);
        store.DeleteValue(QStringLiteral("Aantal minuten"));
        QVERIFY(!FileText().contains("minuten"));
        QCOMPARE(store.ReadInteger(QStringLiteral("Aantal minuten"), 0), 0);
        QCOMPARE(store.ReadInteger(QStringLiteral("Aantal seconden"), 30), 45);
        store.DeleteValue(QStringLiteral("never there"));
        QCOMPARE(store.ReadInteger(QStringLiteral("Aantal seconden"), 30), 45);
    }

    // A file as an older version or a person may have left it: names with blanks escaped or
    // written plainly, other sections, and a comma in a text value.
    void oldHandWrittenFile() {
        SettingsStore store = WithFile("[General]\nMainTop=1\n\n"
                                       "[Defaults]\n"
                                       "MainTop=250\n"
                                       "Aantal%20minuten=2\n"
                                       "Alarm Aan=0\n"
                                       "Geluid Aan = 2\n"
                                       "Path=/home/jan/Orvane,oud\n");
        QCOMPARE(store.ReadInteger(QStringLiteral("MainTop"), 100), 250);
        QCOMPARE(store.ReadInteger(QStringLiteral("Aantal minuten"), 0), 2);
        QCOMPARE(store.ReadBool(QStringLiteral("Alarm Aan"), true), false);
        QCOMPARE(store.ReadBool(QStringLiteral("Geluid Aan"), false), true);
        QCOMPARE(store.ReadString(QStringLiteral("Path"), QString()),
                 QStringLiteral("/home/jan/Orvane,oud"));

        // Writing keeps the other values and sections.
        store.DeleteValue(QStringLiteral("Aantal minuten"));
        store.WriteInteger(QStringLiteral("Aantal seconden"), 120);
        const SettingsStore again = SettingsStore::AtPath(m_ini);
        QCOMPARE(again.ReadInteger(QStringLiteral("Aantal minuten"), 0), 0);
        QCOMPARE(again.ReadInteger(QStringLiteral("Aantal seconden"), 30), 120);
        QCOMPARE(again.ReadInteger(QStringLiteral("MainTop"), 100), 250);
        QCOMPARE(again.ReadBool(QStringLiteral("Alarm Aan"), true), false);
        QVERIFY(FileText().contains("[General]"));
    }

    void userStoreLocation() {
        SettingsStore store(QStringLiteral("qzRate"));
        const QString expected = m_dir.filePath(QStringLiteral("config/qzRate/qzRate.ini"));
        QCOMPARE(store.Location(), expected);
        store.WriteInteger(QStringLiteral("About-Top"), 150);
        QVERIFY(QFile::exists(expected));
        QCOMPARE(
            SettingsStore(QStringLiteral("qzRate")).ReadInteger(QStringLiteral("About-Top"), 0),
            150);
        QCOMPARE(
            SettingsStore(QStringLiteral("Orvane")).ReadInteger(QStringLiteral("About-Top"), 0), 0);
    }

    void failedWriteThrows() {
        // A folder in the file's place cannot be written.
        QVERIFY(QDir().mkpath(m_ini));
        SettingsStore store = SettingsStore::AtPath(m_ini);
        try {
            store.WriteInteger(QStringLiteral("MainTop"), 5);
            QFAIL("no error for a store that cannot be written");
        } catch (const std::runtime_error& error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     QStringLiteral("Failed to set data for 'MainTop'"));
        }
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
