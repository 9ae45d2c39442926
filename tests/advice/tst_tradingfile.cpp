#include "advice/tradingfile.h"
#include "settings/settingsstore.h"

#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

namespace {

// The tags as the export names them, Edit1 .. Edit8.
const QStringList Tags = {"DownDr", "UpDr", "f", "v", "KostenProc", "RefWrde", "Koers", "Aantal"};

// One USDEUR-style record: a name line, a delta line and the eight tags with values
// "<prefix>1" .. "<prefix>8".
QString Record(const QString& name, const QString& delta, const QString& prefix) {
    QString text =
        QStringLiteral("<Record>\n<Name>%1</Name>\n<Delta>%2</Delta>\n").arg(name, delta);
    for (int i = 0; i < 8; ++i)
        text += QStringLiteral("<%1>%2%3</%1>\n").arg(Tags[i], prefix).arg(i + 1);
    return text + QStringLiteral("</Record>\n");
}

QStringList Values(const QString& prefix) {
    QStringList values;
    for (int i = 1; i <= 8; ++i)
        values << prefix + QString::number(i);
    return values;
}

} // namespace

class TestTradingFile : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(Folder.isValid()); }
    void readFile_data();
    void readFile();
    void fileName_data();
    void fileName();
    void missingFileIsReported();

private:
    QTemporaryDir Folder;
};

void TestTradingFile::readFile_data() {
    QTest::addColumn<QByteArray>("content");
    // What the edits hold afterwards, starting from "e1" .. "e8".
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QString>("error");

    const QString usd = QStringLiteral("USDEUR");
    const QStringList untouched = Values(QStringLiteral("e"));
    QTest::newRow("one record") << Record(usd, "1", "a").toUtf8() << Values("a") << QString();
    QTest::newRow("last record wins")
        << (Record(usd, "1", "a") + Record("EURGBP", "1", "b") + Record(usd, "1", "c")).toUtf8()
        << Values("c") << QString();
    QTest::newRow("no record: first occurrences")
        << (Record("EURGBP", "1", "b") + Record("EURJPY", "1", "c")).toUtf8() << Values("b")
        << QString();
    QTest::newRow("name on the first line only")
        << ("<Name>USDEUR</Name>\n" + Record("EURGBP", "1", "b")).toUtf8() << Values("b")
        << QString();
    QTest::newRow("CR LF line ends")
        << Record(usd, "1", "a").replace("\n", "\r\n").toUtf8() << Values("a") << QString();
    QTest::newRow("CR line ends") << Record(usd, "1", "a").replace("\n", "\r").toUtf8()
                                  << Values("a") << QString();
    QTest::newRow("indented record") << Record(usd, "1", "a").replace("\n<", "\n  <").toUtf8()
                                     << untouched << "List index out of bounds (12)";
    QTest::newRow("empty file") << QByteArray() << untouched << "List index out of bounds (0)";
    QTest::newRow("empty delta keeps the edits")
        << Record(usd, "", "a").toUtf8() << untouched << QString();
    QTest::newRow("delta with attributes is no delta line")
        << Record(usd, "1", "a").replace("<Delta>", "<Delta id=1>").toUtf8() << untouched
        << "List index out of bounds (12)";
    QTest::newRow("record before the name is not searched")
        << (Record("EURGBP", "1", "b") + "<Name>USDEUR</Name>\n<Delta>1</Delta>\n").toUtf8()
        << untouched << "List index out of bounds (14)";
    QTest::newRow("missing tag: the tags before it are set")
        << Record(usd, "1", "a").remove("<RefWrde>a6</RefWrde>\n").toUtf8()
        << QStringList{"a1", "a2", "a3", "a4", "a5", "e6", "e7", "e8"}
        << "List index out of bounds (11)";
    QTest::newRow("tag case matters") << Record(usd, "1", "a").replace("<f>", "<F>").toUtf8()
                                      << QStringList{"a1", "a2", "e3", "e4", "e5", "e6", "e7", "e8"}
                                      << "List index out of bounds (12)";
    // Without a record the search starts at line 0; the last line needs no line end.
    QByteArray topless = "<Delta>1</Delta>";
    for (int i = 0; i < 8; ++i)
        topless += QStringLiteral("\n<%1>a%2</%1>").arg(Tags[i]).arg(i + 1).toUtf8();
    QTest::newRow("delta on the first line, no final line end")
        << topless << Values("a") << QString();
    QTest::newRow("byte-order mark") << "\xEF\xBB\xBF" + topless << Values("a") << QString();
    QTest::newRow("empty first line") << "\r\n" + topless << Values("a") << QString();
    QTest::newRow("line end first")
        << QByteArray("\n<Name>USDEUR</Name>") << untouched << "List index out of bounds (2)";
    QTest::newRow("CR LF ends one line") << QByteArray("<Name>USDEUR</Name>\r\nx\r\n") << untouched
                                         << "List index out of bounds (2)";
    QTest::newRow("delta searched from the name line")
        << (Record("EURGBP", "1", "b") + Record(usd, "", "a")).toUtf8() << untouched << QString();
    QTest::newRow("name line with a blank is no name line")
        << (Record(usd, "1", "a") + Record(usd, "1", "c").replace("</Name>", "</Name> ")).toUtf8()
        << Values("a") << QString();
    QTest::newRow("line without '>' has no head")
        << Record(usd, "1", "a").replace("<Delta>", "<Delta\n<Delta>").toUtf8() << Values("a")
        << QString();
    QTest::newRow("each tag searched from the name line")
        << ("<Name>USDEUR</Name>\n<Delta>1</Delta>\n<Aantal>a8</Aantal>\n" +
            Record("EURGBP", "1", "a").remove("<Aantal>a8</Aantal>\n"))
               .toUtf8()
        << Values("a") << QString();
    QTest::newRow("value ends at the next '<'")
        << Record(usd, "1", "a").replace("a8</Aantal>", "a8</Aantal><!-- x -->").toUtf8()
        << Values("a") << QString();
    QTest::newRow("every line end counts")
        << QByteArray("\n\n\r\r") << untouched << "List index out of bounds (4)";
    QTest::newRow("empty value copied")
        << Record(usd, "1", "a").replace("<Aantal>a8<", "<Aantal><").toUtf8()
        << QStringList{"a1", "a2", "a3", "a4", "a5", "a6", "a7", ""} << QString();
}

void TestTradingFile::readFile() {
    QFETCH(QByteArray, content);
    QFETCH(QStringList, edits);
    QFETCH(QString, error);

    const QString path = Folder.filePath(QTest::currentDataTag() + QStringLiteral(".xml"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    QStringList shown = Values(QStringLiteral("e"));
    QString thrown;
    try {
        ReadTradingLines(LoadLines(path),
                         [&](int index, const QString& value) { shown[index] = value; });
    } catch (const std::exception& e) {
        thrown = QString::fromUtf8(e.what());
    }
    QCOMPARE(thrown, error);
    QCOMPARE(shown, edits);
}

void TestTradingFile::fileName_data() {
    QTest::addColumn<QStringList>("stored"); // Path, FileName; a null text is not stored
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("named");

    QTest::newRow("nothing stored") << QStringList{QString(), QString()} << ".xml" << false;
    QTest::newRow("both empty") << QStringList{"", ""} << ".xml" << false;
    QTest::newRow("joined as they are")
        << QStringList{"/data", "export"} << "/dataexport.xml" << true;
    QTest::newRow("file name only") << QStringList{QString(), "export"} << "export.xml" << true;
    QTest::newRow("path only") << QStringList{"/data/", QString()} << "/data/.xml" << true;
}

void TestTradingFile::fileName() {
    QFETCH(QStringList, stored);
    QFETCH(QString, name);
    QFETCH(bool, named);

    SettingsStore orvane =
        SettingsStore::AtPath(Folder.filePath(QTest::currentDataTag() + QStringLiteral(".ini")));
    if (!stored[0].isNull())
        orvane.WriteString(QStringLiteral("Path"), stored[0]);
    if (!stored[1].isNull())
        orvane.WriteString(QStringLiteral("FileName"), stored[1]);
    QCOMPARE(TradingFileName(orvane), name);
    QCOMPARE(HasTradingFile(orvane), named);
}

void TestTradingFile::missingFileIsReported() {
    const QString path = Folder.filePath(QStringLiteral("absent.xml"));
    try {
        LoadLines(path);
        QFAIL("no error");
    } catch (const std::runtime_error& e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Cannot open file ") + path);
    }
}

QTEST_APPLESS_MAIN(TestTradingFile)
#include "tst_tradingfile.moc"
