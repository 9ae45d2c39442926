#include "historytest.h"

#include "history/chartplot.h"
#include "history/chartwindow.h"
#include "history/historyservice.h"
#include "history/readingstore.h"

#include <QAbstractButton>
#include <QAreaSeries>
#include <QButtonGroup>
#include <QChartView>
#include <QFile>
#include <QGraphicsSimpleTextItem>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>

// The chart's window over a real history file, its module loaded as the program loads it (the
// test links Qt Charts too, to look inside; the program test shows when it is mapped).
class TestChartWindow : public QObject {
    Q_OBJECT

    static QStringList Legend(QChart* chart) {
        QStringList names;
        for (QLegendMarker* marker : chart->legend()->markers())
            if (marker->isVisible())
                names << marker->label();
        return names;
    }

    static QStringList Texts(QChart* chart) {
        QStringList texts;
        for (QGraphicsItem* item : chart->scene()->items())
            if (auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(item);
                text && text->isVisible() && !text->text().isEmpty())
                texts << text->text();
        return texts;
    }

    QTemporaryDir Dir;
    // The history's clock: a Tuesday at noon, whatever the machine's clock says.
    const qint64 Now = QDateTime(QDate(2026, 3, 10), QTime(12, 0)).toMSecsSinceEpoch();
    const std::function<QDateTime()> Clock = [this] { return QDateTime::fromMSecsSinceEpoch(Now); };

private slots:
    // The chart shows the readings, the reference rate, the levels and, as they come, new
    // readings.
    void opensWithTheReadings() {
        {
            ReadingStore store(Dir.filePath("h.sqlite"), "reference");
            QVERIFY(store.Open(Clock()));
            QVERIFY(store.PutReference({{QDate(2026, 3, 6), 1.087}, {QDate(2026, 3, 9), 1.0858}}));
        }
        HistoryService history(Dir.filePath("h.sqlite"), Clock);
        // An hour of readings; half an hour without a connection between.
        for (int i = 0; i < 60; ++i)
            history.Keep(i > 20 && i < 50 ? Failed(Now - (60 - i) * 60000)
                                          : Good(Now - (60 - i) * 60000, 0.92 + i * 0.0001));
        ChartWindow window(history, Dir.filePath("qzRate.ini"));
        // The lower level among the rates, the upper far above them.
        window.Levels = [] { return std::pair{0.921, 0.95}; };
        QSignalSpy painted(&window, &ChartWindow::Painted);
        // The last hour may begin before midnight.
        window.SetRange(ChartRange::Week);
        window.Open();
        QCOMPARE(window.windowTitle(), "qzRate - Rate history");
        QVERIFY(painted.wait(20000));
        QChart* chart = window.findChild<QChartView*>()->chart();
        // The legend lays its markers out after the first paint.
        QTRY_COMPARE(Legend(chart), (QStringList{"Rate", "ECB reference rate", "Lower limit"}));
        // Two stretches of readings and one of steps.
        int lines = 0;
        for (QAbstractSeries* series : chart->series())
            lines += series->name() != u"Lower limit";
        QCOMPARE(lines, 3);
        QVERIFY(Texts(chart).join('\n').contains(u"\u25B2 Upper limit 0"));

        history.Keep(Good(Now - 1000, 0.99));
        QTRY_VERIFY(static_cast<QValueAxis*>(chart->axes(Qt::Vertical).first())->max() > 0.99);
        QVERIFY(!Texts(chart).contains("No readings yet"));
        window.SetRange(ChartRange::Year);
        window.close();
    }

    // The range is kept in the window's own group; an empty range says so; a first reading is
    // a point.
    void remembersItsRange() {
        HistoryService history(Dir.filePath("empty.sqlite"), Clock);
        const QString ini = Dir.filePath("range.ini");
        {
            ChartWindow window(history, ini);
            window.Open();
            QCOMPARE(window.Range(), ChartRange::Day);
            window.Ranges->button(2)->click();
            QTRY_VERIFY(window.Plot);
            QChart* chart = window.findChild<QChartView*>()->chart();
            QTRY_VERIFY(Texts(chart).contains("No readings yet"));
            QVERIFY(chart->series().isEmpty());
            history.Keep(Good(Now - 60000, 0.92));
            QTRY_VERIFY(qobject_cast<QScatterSeries*>(chart->series().value(0)));
            QCOMPARE(static_cast<QXYSeries*>(chart->series().first())->points(),
                     QList<QPointF>{QPointF(Now - 60000, 0.92)});
        }
        QSettings settings(ini, QSettings::IniFormat);
        QCOMPARE(settings.allKeys(),
                 (QStringList{"Koersverloop/Bereik", "Koersverloop/Geometrie"}));
        ChartWindow again(history, ini);
        QCOMPARE(again.Range(), ChartRange::Month);
    }

    // The window says so in its own words, the log in the database's; nothing is drawn.
    void unreadableHistorySaysSo() {
        const HistoryLogLines log;
        QVERIFY(QFile(Dir.filePath("file")).open(QIODevice::WriteOnly));
        HistoryService history(Dir.filePath("file/h.sqlite"), Clock);
        ChartWindow window(history, Dir.filePath("bad.ini"));
        QSignalSpy painted(&window, &ChartWindow::Painted);
        window.Open();
        QVERIFY(painted.wait(20000));
        QCOMPARE(window.Notice->text(), "The rate history cannot be read");
        QVERIFY(log.Lines().last().contains("file/h.sqlite"));
        QChart* chart = window.findChild<QChartView*>()->chart();
        QVERIFY(!chart->legend()->isVisible());
        for (QAbstractAxis* axis : chart->axes())
            QVERIFY(!axis->isVisible());
        QVERIFY(Texts(chart).isEmpty());
        QCOMPARE(window.width(), 800);
    }

    // The button writes the range shown, on the history's thread; a failure is told.
    void exportsTheRangeShown() {
        HistoryService history(Dir.filePath("export.sqlite"), Clock);
        QSignalSpy kept(&history, &HistoryService::Kept);
        history.Start();
        history.Keep(Good(Now - 400LL * 24 * 3600 * 1000, 0.9));
        history.Keep(Good(Now - 60000, 0.91));
        QTRY_COMPARE(kept.size(), 2);
        ChartWindow window(history, Dir.filePath("export.ini"));
        window.SetRange(ChartRange::Year);
        QString told;
        window.ShowExportError = [&](const QString& error) { told = error; };
        const QString path = Dir.filePath("year.csv");
        window.AskExportPath = [&] { return path; };
        window.ExportClick();
        QCOMPARE(window.ExportButton->text(), "Cancel");
        QTRY_COMPARE(window.ExportButton->text(), "Export...");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().count("\r\n"), 2);
        window.AskExportPath = [&] { return Dir.filePath("none/x.csv"); };
        window.ExportClick();
        QTRY_VERIFY(told.startsWith("Export failed: "));
    }
};

QTEST_MAIN(TestChartWindow)
#include "tst_chartwindow.moc"
