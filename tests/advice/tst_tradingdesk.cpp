#include "advice/tradingdesk.h"
#include "settings/settingsstore.h"
#include "support/regional.h"
#include "testkit/testhome.h"
#include "testkit/tradingexport.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The trading parameters as the sibling program's export gives them: the design parameters
// until it is read, the levels they give and the advice's limits at 0,8000.
class TestTradingDesk : public QObject {
    Q_OBJECT

    QTemporaryDir Folder;

private slots:
    void tradingFileAtFirstShowing_data() {
        QTest::addColumn<QStringList>("stored"); // Path and FileName in the sibling's store
        QTest::addColumn<bool>("atFirstShowing");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("aantal");

        const QString folder = Folder.path() + '/';
        QTest::newRow("no sibling program") << QStringList() << true << QString() << "1852";
        QTest::newRow("empty values") << QStringList{"", ""} << true << QString() << "1852";
        QTest::newRow("export read") << QStringList{folder, "export"} << true << QString() << "926";
        QTest::newRow("export missing")
            << QStringList{folder, "absent"} << true << "Cannot open file " + folder + "absent.xml"
            << "1852";
    }

    // Without the sibling program nothing is said at the first showing; a missing export is
    // reported and ends the row before the levels.
    void tradingFileAtFirstShowing() {
        QFETCH(QStringList, stored);
        QFETCH(bool, atFirstShowing);
        QFETCH(QString, error);
        QFETCH(QString, aantal);
        WriteFile(Folder.filePath("export.xml"), HalfHoldingExport);
        QFile::remove(Folder.filePath("Orvane.ini"));
        SettingsStore orvane = SettingsStore::AtPath(Folder.filePath("Orvane.ini"));
        if (!stored.isEmpty()) {
            orvane.WriteString("Path", stored[0]);
            orvane.WriteString("FileName", stored[1]);
        }

        TradingDesk desk;
        QSignalSpy advice(&desk, &TradingDesk::AdviceChanged);
        QCOMPARE(desk.ReadTradingParameters(orvane, atFirstShowing).value_or(QString()), error);
        QCOMPARE(desk.Texts()[7], aantal);
        // The levels follow the holding read: half the dollars, twice the price.
        QCOMPARE(desk.Trading.SellLevel,
                 aantal == "926" ? 1.6963 : (error.isEmpty() ? 0.8482 : 0.0));
        if (!error.isEmpty())
            return;
        QVERIFY(desk.ShowAdvice(0.8, RegionalSettings{}));
        QCOMPARE(advice.size(), 1);
        const auto texts = advice[0][0].value<AdviceTexts>();
        QCOMPARE(texts.LabelBoven + ' ' + texts.LabelOnder,
                 aantal == "926" ? "1,6963 1,6167" : "0,8482 0,8084");
        // Below 0,1 there is none: the panel and the alarm stay as they are.
        QVERIFY(!desk.ShowAdvice(0.05, RegionalSettings{}));
        QCOMPARE(advice.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestTradingDesk)
#include "tst_tradingdesk.moc"
