#include "app/messageform.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>

namespace {

int ShownLines(QTextEdit* memo) {
    QTextDocument* document = memo->document();
    document->documentLayout()->documentSize();
    int lines = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        lines += block.layout()->lineCount();
    return lines;
}

} // namespace

class TestMessageForm : public QObject {
    Q_OBJECT

private:
    const QColor m_background{240, 240, 240};

private slots:
    void createdHidden() {
        TMessageForm form(m_background);
        QVERIFY(!form.isVisible());
        QVERIFY(!form.Timer->isActive());
        QVERIFY(form.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(form.palette().color(QPalette::Window), m_background);
        QCOMPARE(form.MessageMemo->palette().color(QPalette::Base), m_background);
        QVERIFY(form.MessageMemo->isReadOnly());
        QCOMPARE(QFontInfo(form.MessageMemo->font()).pixelSize(), 14);
    }

    // What the memo shows after wrapping must be what the height was computed from.
    void sizeFollowsShownText_data() {
        QTest::addColumn<QString>("line1");
        QTest::addColumn<QString>("line2");
        // The lines the memo shows, the blank first one included, and where the window goes over
        // a window of 395 x 294 at (400, 100) on the 800 pixels high screen: 50 pixels wider
        // than the longer line up to 500, (lines + 4) * 11 high up to the screen less 200.
        QTest::addColumn<int>("lines");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("both empty") << ""
                                    << "" << 1 << QRect(572, 219, 50, 55);
        QTest::newRow("one line") << "Geen verbinding"
                                  << "" << 2 << QRect(514, 214, 166, 66);
        QTest::newRow("two lines") << "Mail niet verzonden (code 2)."
                                   << "Probeer het later opnieuw." << 3 << QRect(470, 208, 255, 77);
        QTest::newRow("wrapping") << QString("Geen gegevens ontvangen ").repeated(8) << "kort" << 6
                                  << QRect(348, 192, 500, 110);
        QTest::newRow("longer than the screen") << QString("Geen gegevens ontvangen ").repeated(200)
                                                << "" << 87 << QRect(348, -53, 500, 600);
        QTest::newRow("one long word") << QString(90, u'W') << "" << 4 << QRect(348, 203, 500, 88);
    }
    void sizeFollowsShownText() {
        QFETCH(QString, line1);
        QFETCH(QString, line2);
        QFETCH(int, lines);
        QFETCH(QRect, geometry);
        TMessageForm form(m_background);
        form.ShowTimed(100, 400, 294, 395, line1, line2, 5000);
        QVERIFY(form.isVisible());
        QVERIFY(form.Timer->isActive());

        QCOMPARE(ShownLines(form.MessageMemo), lines);
        QCOMPARE(form.geometry(), geometry);
        if (form.height() < (lines + 4) * 11) {
            QTRY_VERIFY(form.MessageMemo->verticalScrollBar()->maximum() > 0);
        }
        if (line1.size() > 60)
            QVERIFY2(lines > 2, "a long line wraps");
        QVERIFY(form.MessageMemo->document()->firstBlock().text().isEmpty());
        QVERIFY(form.MessageMemo->textCursor().atEnd());
        QVERIFY(!form.MessageMemo->textCursor().hasSelection());
    }

    void tickHides() {
        TMessageForm form(m_background);
        QSignalSpy ticks(form.Timer, &QTimer::timeout);
        form.ShowTimed(100, 400, 294, 395, QStringLiteral("Geen verbinding"), QString(), 50);
        QVERIFY(form.isVisible());
        QVERIFY(ticks.wait(5000));
        QVERIFY(!form.isVisible());
        QVERIFY(!form.Timer->isActive());
        QCOMPARE(ticks.count(), 1);
    }

    // Second message while the first shows, with the same interval: it replaces the first and
    // stays its own full time, counted from the second call.
    void newerMessageGetsFullInterval() {
        TMessageForm form(m_background);
        QSignalSpy ticks(form.Timer, &QTimer::timeout);
        QElapsedTimer clock;
        clock.start();
        qint64 secondShownAt = -1;
        form.ShowTimed(100, 400, 294, 395, QStringLiteral("Eerste"), QString(), 600);
        QTimer::singleShot(300, &form, [&] {
            QVERIFY(form.isVisible());
            secondShownAt = clock.elapsed();
            form.ShowTimed(0, 0, 50, 50, QStringLiteral("Tweede bericht"), QString(), 600);
        });
        QVERIFY(ticks.wait(5000));
        const qint64 hiddenAt = clock.elapsed();
        QVERIFY(secondShownAt >= 0);
        QVERIFY2(hiddenAt - secondShownAt >= 550,
                 qPrintable(QStringLiteral("hidden %1 ms after the second message")
                                .arg(hiddenAt - secondShownAt)));
        QVERIFY(!form.isVisible());
        QCOMPARE(ticks.count(), 1);
        QCOMPARE(form.MessageMemo->toPlainText(), QStringLiteral("\nTweede bericht"));
        // 156 pixels wide, centred over the 50 of the second message.
        QCOMPARE(form.x(), -53);
    }

    // A shorter newer interval replaces a longer one.
    void newerShorterIntervalWins() {
        TMessageForm form(m_background);
        QSignalSpy ticks(form.Timer, &QTimer::timeout);
        form.ShowTimed(100, 400, 294, 395, QStringLiteral("Lang"), QString(), 60000);
        form.ShowTimed(100, 400, 294, 395, QStringLiteral("Kort"), QString(), 50);
        QCOMPARE(form.Timer->interval(), 50);
        QVERIFY(ticks.wait(5000));
        QVERIFY(!form.isVisible());
        // Shown again after hiding, the timer runs again.
        form.ShowTimed(100, 400, 294, 395, QStringLiteral("Weer"), QString(), 50);
        QVERIFY(form.Timer->isActive());
        QTRY_VERIFY(!form.isVisible());
    }
};

QTEST_MAIN(TestMessageForm)
#include "tst_messageform.moc"
