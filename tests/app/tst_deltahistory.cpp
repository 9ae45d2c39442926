#include "app/deltahistory.h"
#include "app/ratepresentation.h"

#include <QTest>

namespace {

constexpr int Width = 383;
constexpr int Height = 24;
constexpr int LastMark = 27;

int MarkX(int mark) {
    return 12 * mark - 8;
}

// Starts dark so that a drawing that leaves parts unpainted shows.
QImage FreshImage() {
    QImage image(Width, Height, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

QColor At(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

const QColor White(255, 255, 255);

// What each mark shows: 'u' a rise, 'd' a fall, 'l' level.
char MarkKind(const QImage& image, int mark) {
    const int x = MarkX(mark) + 5;
    if (At(image, x, 6) == RateGreen && At(image, x, 18) == RateGreen)
        return 'u';
    if (At(image, x, 6) == RateRed && At(image, x, 18) == RateRed)
        return 'd';
    if (At(image, x, 12) == RateBlue && At(image, x, 6) == White && At(image, x, 18) == White)
        return 'l';
    return '?';
}

// Beyond the marks' box x 4..326, y 6..18 everything is white.
void VerifyWhiteOutsideMarks(const QImage& image) {
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            if (x >= 4 && x <= 326 && y >= 6 && y <= 18)
                continue;
            if (At(image, x, y) != White)
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 not white").arg(x).arg(y)));
        }
    }
}

} // namespace

class TestDeltaHistory : public QObject {
    Q_OBJECT

private slots:
    void firstRateDrawsLevelRow();
    void newestChange_data();
    void newestChange();
    void resetRestartsLevel();
    void wrappedRingShowsLastChanges();
};

void TestDeltaHistory::firstRateDrawsLevelRow() {
    DeltaHistory history;
    history.Reset();
    QImage image = FreshImage();
    history.DrawDeltaImage(0.9027, image);

    for (double rate : history.RateHistory())
        QCOMPARE(rate, 0.9027);
    QCOMPARE(history.HistoryIndex(), 1);
    QVERIFY(!history.HistoryResetPending());

    int coloured = 0;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            coloured += At(image, x, y) != White;
    QCOMPARE(coloured, 27 * 11);
    for (int mark = 1; mark <= LastMark; ++mark) {
        for (int x = MarkX(mark); x <= MarkX(mark) + 10; ++x)
            QCOMPARE(At(image, x, 12), RateBlue);
    }
    QCOMPARE(At(image, 3, 12), White);
    QCOMPARE(At(image, 327, 12), White);
    VerifyWhiteOutsideMarks(image);
}

void TestDeltaHistory::newestChange_data() {
    QTest::addColumn<double>("before");
    QTest::addColumn<double>("now");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("tipY"); // 0 for a level line

    QTest::newRow("rise") << 0.9027 << 0.9030 << RateGreen << 6;
    QTest::newRow("fall") << 0.9027 << 0.9020 << RateRed << 18;
    QTest::newRow("smallest rise") << 0.9027 << 0.9028 << RateGreen << 6;
    QTest::newRow("level") << 0.9027 << 0.9027 << RateBlue << 0;
    QTest::newRow("fifth decimal only") << 0.90271 << 0.90274 << RateBlue << 0;
    QTest::newRow("fifth decimal falling") << 0.90274 << 0.90271 << RateBlue << 0;
    QTest::newRow("fifth decimal rounds apart") << 0.90274 << 0.90276 << RateGreen << 6;
}

void TestDeltaHistory::newestChange() {
    QFETCH(double, before);
    QFETCH(double, now);
    QFETCH(QColor, colour);
    QFETCH(int, tipY);

    DeltaHistory history;
    history.Reset();
    QImage image = FreshImage();
    history.DrawDeltaImage(before, image);
    image = FreshImage();
    history.DrawDeltaImage(now, image);

    const int x = MarkX(LastMark);
    const int mid = x + 5;
    if (tipY == 0) {
        for (int px = x; px <= x + 10; ++px)
            QCOMPARE(At(image, px, 12), colour);
        QCOMPARE(At(image, mid, 6), White);
        QCOMPARE(At(image, mid, 18), White);
    } else {
        const int tail = 24 - tipY;
        const int inward = tipY < 12 ? 1 : -1;
        for (int y = 6; y <= 18; ++y)
            QCOMPARE(At(image, mid, y), colour);
        QCOMPARE(At(image, x, 12), colour);
        QCOMPARE(At(image, x + 10, 12), colour);
        // The slanted lines leave the tip, not the tail.
        QCOMPARE(At(image, mid - 1, tipY + inward), colour);
        QCOMPARE(At(image, mid + 1, tipY + inward), colour);
        QCOMPARE(At(image, mid - 1, tail - inward), White);
        QCOMPARE(At(image, mid + 1, tail - inward), White);
        // An arrow has no flat centre line.
        QCOMPARE(At(image, mid - 2, 12), White);
        QCOMPARE(At(image, mid + 2, 12), White);
    }
    // The neighbour still shows the level start.
    QCOMPARE(MarkKind(image, LastMark - 1), 'l');
    for (int px = MarkX(LastMark - 1); px <= MarkX(LastMark - 1) + 10; ++px)
        QCOMPARE(At(image, px, 12), RateBlue);
    VerifyWhiteOutsideMarks(image);
}

void TestDeltaHistory::resetRestartsLevel() {
    DeltaHistory history;
    QImage image = FreshImage();
    for (double rate : {0.90, 0.91, 0.89, 0.92})
        history.DrawDeltaImage(rate, image);
    QCOMPARE(MarkKind(image, LastMark), 'u');
    // Without a reset the first rate still fills the ring: no rise from an empty slot.
    QCOMPARE(MarkKind(image, LastMark - 3), 'l');

    history.Reset();
    QVERIFY(history.HistoryResetPending());
    QCOMPARE(history.HistoryIndex(), 0);
    image = FreshImage();
    history.DrawDeltaImage(0.85, image);
    for (int mark = 1; mark <= LastMark; ++mark)
        QCOMPARE(MarkKind(image, mark), 'l');
}

void TestDeltaHistory::wrappedRingShowsLastChanges() {
    // Change k (1..29) from reading k-1 to reading k; irregular so that a shifted or
    // mirrored row cannot match.
    const QByteArray changes = "ddluuldulldduuuldlduudllludud";
    QCOMPARE(changes.size(), 29);

    DeltaHistory history;
    history.Reset();
    QImage image = FreshImage();
    double rate = 0.9;
    history.DrawDeltaImage(rate, image);
    for (char change : changes) {
        rate += change == 'u' ? 0.0001 : change == 'd' ? -0.0001 : 0.0;
        image = FreshImage();
        history.DrawDeltaImage(rate, image);
    }

    QCOMPARE(history.HistoryIndex(), 30 % 28);
    QCOMPARE(history.RateHistory()[1], rate);
    // The last 28 readings are 2..29; their changes 3..29 fill marks 1..27.
    QByteArray row;
    for (int mark = 1; mark <= LastMark; ++mark)
        row.append(MarkKind(image, mark));
    QCOMPARE(row, changes.mid(2));
    VerifyWhiteOutsideMarks(image);
}

QTEST_GUILESS_MAIN(TestDeltaHistory)
#include "tst_deltahistory.moc"
