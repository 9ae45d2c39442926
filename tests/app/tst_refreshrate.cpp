#include "app/mainform.h"
#include "app/messageform.h"
#include "app/windowset.h"
#include "server/ratepages.h"
#include "server/referencefiles.h"
#include "server/scriptedhttpserver.h"
#include "sources/ratereading.h"
#include "testkit/markettimes.h"
#include "testkit/testhome.h"
#include "testkit/windowfixture.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>

#include <memory>

// The main window's side of a reading: what it shows after success and failure, and that it
// never waits for the network.
class TestRefreshRate : public QObject {
    Q_OBJECT

    TestHome Home;
    ScriptedHttpServer Iex;
    ScriptedHttpServer D2e;
    std::unique_ptr<WindowFixture> Window;
    TMainForm* Main = nullptr;
    QDateTime Now;
    QList<Sweep> Sweeps;
    // The level lines of the design parameters.
    const QString Koop = QStringLiteral(" Bij 0,8084 Kopen: 291 (290,7007) stuks");
    const QString Verkoop = QStringLiteral(" Bij 0,8482 Verkopen: 177 (177,1678) stuks");

    void CreateWindows(const QDateTime& now) {
        static int run = 0;
        Window = std::make_unique<WindowFixture>(
            Home.FilePath(QStringLiteral("store%1.ini").arg(++run)));
        Main = Window->Main;
        Now = now;
        Main->Scheduler.Clock = [this] { return Now; };
        Main->Regional.decimalSeparator = u',';
        Main->Regional.groupSeparator = u'.';
        Sweeps.clear();
        Main->Alarm.PlaySweep = [this](Sweep sweep) { Sweeps << sweep; };
        QVERIFY(Window->Show());
        // Readings come only when a test asks for them.
        Window->Quiet();
    }

    void Read() { QVERIFY(Window->Read()); }

private slots:
    void initTestCase() {
        QVERIFY(Home.IsValid());
        QVERIFY(Iex.Listen());
        QVERIFY(D2e.Listen());
        Home.ServeRates(Iex.Url(), D2e.Url());
    }

    void init() {
        SharedRateReading() = RateReading{};
        Iex.SetDefaultAnswer(ScriptedAnswer{.body = IEXRatePage(1.0834, 0.25)});
        D2e.SetDefaultAnswer(ScriptedAnswer{.body = D2ERatePage(0.9241)});
    }

    void cleanup() {
        Window.reset();
        Main = nullptr;
    }

    void aReadingFillsTheRateLine_data() {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("advice");
        QTest::newRow("market open") << OpenTime << "USD: "
                                     << "0" + QString(QLocale::system().decimalPoint()) + "9230"
                                     << " Handel-advies: Verkopen: 789 (788,5789) stuks";
        QTest::newRow("market closed") << ClosedTime << "D2E: "
                                       << "0,9241"
                                       << " Handel-advies: Verkopen: 797 (796,8257) stuks";
    }
    void aReadingFillsTheRateLine() {
        QFETCH(QDateTime, now);
        QFETCH(QString, prefix);
        QFETCH(QString, rate);
        QFETCH(QString, advice);
        CreateWindows(now);
        // The log shows the texts as the labels do.
        QTest::ignoreMessage(
            QtInfoMsg,
            qPrintable(QStringLiteral("advice \"%1\" \"%2\" \"%3\"").arg(advice, Koop, Verkoop)));
        for (int i = 0; i < 3; ++i)
            QTest::ignoreMessage(QtInfoMsg, "alarm above");
        QVERIFY(Main->LabelWait->isVisibleTo(Main));
        Read();
        QVERIFY(!Main->LabelWait->isVisibleTo(Main));
        QCOMPARE(Main->Label1->text(), prefix);
        QVERIFY2(Main->Label2->text().startsWith(rate + " ("), qPrintable(Main->Label2->text()));
        QVERIFY(Main->Label3->text().startsWith(QStringLiteral(" @ ")));
        // The labels read as one line.
        QCOMPARE(Main->Label2->x(), Main->Label1->x() + Main->Label1->width());
        QCOMPARE(Main->Label3->x(), Main->Label2->x() + Main->Label2->width());
        QVERIFY(!Main->ImageDelta->pixmap().isNull());
        QVERIFY(!Window->Set->MessageForm->isVisible());
        // Coloured: the day's change is down, the last step level.
        QCOMPARE(Main->Label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QCOMPARE(Main->Label2->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        // Advised and checked against the design levels' band, which the rate lies above.
        QCOMPARE(Main->AdviesLabel->text(), advice);
        QCOMPARE(Main->AdviesLabel->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(Main->KoopLabel->text(), Koop);
        QCOMPARE(Main->VerkoopLabel->text(), Verkoop);
        QVERIFY(!Main->ButtonMax->isHidden() && Main->ButtonCheck->isHidden());
        QVERIFY(Main->MaxTimer.isActive() && !Main->MinTimer.isActive());
        // Checked by the colouring, the advice and the reading itself.
        QCOMPARE(Sweeps, QList<Sweep>(3, Sweep::Rising));
    }

    // A failed reading says so for five seconds and leaves the rate line as it was, apart
    // from the prefix of the source that was tried. With a reference rate held (the day before
    // from the history, the day from the bank's file), the line shows it in black, with the
    // page that failed in its tooltip; nothing else changes.
    void aFailedReadingShowsItsMessage_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("reference"); // the line shown; empty: off, as it was
        QTest::addColumn<QString>("tip");
        QTest::newRow("no connection") << QByteArray() << "Geen verbinding" << false << ""
                                       << "";
        QTest::newRow("no usable page")
            << QByteArray("Default.htm") << "Geen gegevens ontvangen" << false << ""
            << "";
        QTest::newRow("no connection, a reference held")
            << QByteArray() << "Geen verbinding" << false << "ECB: |0,9485 (+0,13%)| @ 13-03"
            << "ECB reference rate of 13 March 2026; IEX gave no rate";
        QTest::newRow("D2E without a rate, a reference held")
            << QByteArray("Default.htm") << "Geen gegevens ontvangen" << true
            << "ECB: |0,9485 (+0,13%)| @ 13-03"
            << "ECB reference rate of 13 March 2026; D2E gave no rate";
    }
    void aFailedReadingShowsItsMessage() {
        QFETCH(QByteArray, body);
        QFETCH(QString, message);
        QFETCH(bool, closed);
        QFETCH(QString, reference);
        ScriptedHttpServer bank;
        QVERIFY(bank.Listen());
        bank.SetDefaultAnswer(
            {.body = ReferenceDocument(ReferenceDayCube("2026-03-13", {{"USD", "1.0543"}}))});
        Home.Set("QZRATE_REFERENCE_URL", reference.isEmpty() ? "off" : bank.Url().toEncoded());
        CreateWindows(ClosedTime);
        Read();
        const QStringList line{Main->Label1->text(), Main->Label2->text(), Main->Label3->text()};
        const QString advice = Main->AdviesLabel->text();
        const QImage marks = Main->ImageDelta->pixmap().toImage();
        const int historyIndex = Main->Marks.HistoryIndex();
        Sweeps.clear();
        // Held in no order, the day the bank serves among them: each date counts once.
        Main->Scheduler.Refresh.HoldReference(
            {{QDate(2026, 3, 12), 1.0556}, {QDate(2026, 3, 13), 1.0543}});

        D2e.SetDefaultAnswer(ScriptedAnswer{.body = body});
        Main->Scheduler.MarketClosed = closed;
        Iex.SetDefaultAnswer(ScriptedAnswer{.body = body});
        QSignalSpy shown(&Main->Scheduler.Refresh, &RefreshCycle::ReferenceShown);
        Read();
        QVERIFY(reference.isEmpty() ? shown.isEmpty() : shown.wait(10000));
        const QStringList shownLine{Main->Label1->text(), Main->Label2->text(),
                                    Main->Label3->text()};
        const QStringList asOff{closed ? "D2E: " : "USD: ", line[1], line[2]};
        QCOMPARE(shownLine, reference.isEmpty() ? asOff : reference.split('|'));
        QTEST(Main->Label2->toolTip(), "tip");
        if (!reference.isEmpty())
            QCOMPARE(Main->Label2->palette().color(QPalette::WindowText), QColor(Qt::black));
        QCOMPARE(Main->AdviesLabel->text(), advice);
        QCOMPARE(Main->Marks.HistoryIndex(), historyIndex);
        QCOMPARE(Main->ImageDelta->pixmap().toImage(), marks);
        QVERIFY(Sweeps.isEmpty());
        QVERIFY(Window->Set->MessageForm->isVisible());
        QCOMPARE(Window->Set->MessageForm->MessageMemo->toPlainText(), "\n" + message);
        QCOMPARE(Window->Set->MessageForm->Timer->interval(), 5000);
        qunsetenv("QZRATE_REFERENCE_URL");
    }

    // While a slow server takes five seconds, the window still handles timers and input: a
    // drag posted to the rate label moves it.
    void theWindowStaysResponsiveDuringAReading() {
        CreateWindows(OpenTime);
        Iex.Enqueue(ScriptedAnswer{.body = IEXRatePage(1.0834, 0.25), .delayMs = 5000});
        QSignalSpy finished(&Main->Scheduler.Refresh, &RefreshCycle::ReadingFinished);
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(50);

        Main->RefreshRate();
        const QPoint start = Main->pos();
        QLabel* label = Main->Label1;
        const QPointF grip(5, 5);
        QCoreApplication::postEvent(label, new QMouseEvent(QEvent::MouseButtonPress, grip,
                                                           label->mapToGlobal(grip), Qt::LeftButton,
                                                           Qt::LeftButton, Qt::NoModifier));
        const QPointF moved(25, 15);
        QCoreApplication::postEvent(label, new QMouseEvent(QEvent::MouseMove, moved,
                                                           label->mapToGlobal(moved), Qt::NoButton,
                                                           Qt::LeftButton, Qt::NoModifier));
        QTRY_COMPARE_WITH_TIMEOUT(Main->pos(), start + QPoint(20, 10), 2000);
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= 20, 3000);
        QVERIFY(Main->Scheduler.Refresh.Reading());
        QCOMPARE(finished.count(), 0);
        QVERIFY(finished.wait(8000));
    }

    // A timer tick shows the hourglass until its reading is done, and large mode keeps the
    // window above the others.
    void aTickShowsTheHourglassAndSetsTheWindowStyle() {
        CreateWindows(OpenTime);
        Iex.Enqueue(ScriptedAnswer{.body = IEXRatePage(1.0834, 0.25), .delayMs = 300});
        QSignalSpy finished(&Main->Scheduler.Refresh, &RefreshCycle::ReadingFinished);
        Main->ShowLargeSize();
        Main->Scheduler.DownloadTimerTimer();
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QVERIFY(Main->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(finished.wait());
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        Main->ShowNormalSize();
        Main->Scheduler.DownloadTimerTimer();
        QVERIFY(!Main->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(Main->isVisible());
        QTRY_COMPARE(QApplication::overrideCursor(), nullptr);
    }

    // The alarm follows the rate from reading to reading; a blinking arrow that its tick has
    // just hidden shows again at the next check.
    void theAlarmFollowsTheRate_data() {
        QTest::addColumn<double>("eurUsd");   // of the second reading
        QTest::addColumn<QString>("buttons"); // Max, Check, Min shown; Max and Min timers
        QTest::addColumn<QList<Sweep>>("sweeps");
        QTest::addColumn<QColor>("advice"); // firm in blue, too small in red
        QTest::newRow("above, then inside")
            << 1.2048 << ".X. .." << QList<Sweep>() << QColor(255, 0, 0);
        QTest::newRow("above, then below")
            << 1.25 << "..X .X" << QList<Sweep>(3, Sweep::Falling) << QColor(0, 0, 255);
        QTest::newRow("above again")
            << 1.0834 << "X.. X." << QList<Sweep>(3, Sweep::Rising) << QColor(0, 0, 255);
    }
    void theAlarmFollowsTheRate() {
        QFETCH(double, eurUsd);
        QFETCH(QString, buttons);
        QFETCH(QList<Sweep>, sweeps);
        QFETCH(QColor, advice);
        CreateWindows(OpenTime);
        Read();
        Main->MaxTimerTimer();
        QVERIFY(Main->ButtonMax->isHidden());
        Sweeps.clear();
        Iex.SetDefaultAnswer(ScriptedAnswer{.body = IEXRatePage(eurUsd, 0.25)});
        Read();
        const auto mark = [](bool on) { return on ? u'X' : u'.'; };
        QCOMPARE(QString() + mark(!Main->ButtonMax->isHidden()) +
                     mark(!Main->ButtonCheck->isHidden()) + mark(!Main->ButtonMin->isHidden()) +
                     u' ' + mark(Main->MaxTimer.isActive()) + mark(Main->MinTimer.isActive()),
                 buttons);
        QCOMPARE(Sweeps, sweeps);
        QCOMPARE(Main->AdviesLabel->palette().color(QPalette::WindowText), advice);
    }

    // The start timer takes the first reading on its own.
    void theStartTimerTakesTheFirstReading() {
        CreateWindows(OpenTime);
        Main->Scheduler.StartPending = true;
        QSignalSpy finished(&Main->Scheduler.Refresh, &RefreshCycle::ReadingFinished);
        Main->Scheduler.TimerStart.start();
        QVERIFY(finished.wait(10000));
        QVERIFY(!Main->Scheduler.StartPending);
        QVERIFY(!Main->Scheduler.TimerStart.isActive());
        QCOMPARE(Main->Label1->text(), QStringLiteral("USD: "));
    }

    // "Download USD" reads from the source chosen last, even when the clock has moved past
    // the market's close since: chosen at 17:29, read at 17:45 from the IEX page.
    void downloadKeepsTheSourceChoice() {
        CreateWindows(QDateTime(OpenTime.date(), QTime(17, 29)));
        QVERIFY(!Main->Scheduler.MarketClosed);
        Now = QDateTime(OpenTime.date(), QTime(17, 45));
        QSignalSpy finished(&Main->Scheduler.Refresh, &RefreshCycle::ReadingFinished);
        Main->Download->trigger();
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.at(0).at(0).toString(), QStringLiteral("USD: "));
        // A timer tick chooses again.
        Main->Scheduler.DownloadTimerTimer();
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.at(1).at(0).toString(), QStringLiteral("D2E: "));
    }

    // Ticks before the start timer has fired only choose the source.
    void ticksWaitForTheStartTimer() {
        CreateWindows(ClosedTime);
        Main->Scheduler.StartPending = true;
        const int requests = Iex.RequestCount() + D2e.RequestCount();
        Main->Scheduler.MarketClosed = false;
        Main->Scheduler.DownloadTimerTimer();
        QVERIFY(Main->Scheduler.MarketClosed);
        QVERIFY(!Main->Scheduler.Refresh.Reading());
        QCOMPARE(Iex.RequestCount() + D2e.RequestCount(), requests);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }
};

QTEST_MAIN(TestRefreshRate)
#include "tst_refreshrate.moc"
