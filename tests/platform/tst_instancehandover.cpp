#include "platform/singleinstance.h"

#include <QFuture>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent/QtConcurrentRun>

// The hand-over between starts of the program, each start played by one SingleInstance. A
// later start asks from a thread of its own, as a separate process would, while the first
// answers from this thread's event loop.
class TestInstanceHandOver : public QObject {
    Q_OBJECT

private slots:
    void laterStartHandsOverUntilTheFirstCloses();
    void otherFolderIsFirstOfItsOwn();

private:
    // True when a start for the folder would hand over and end.
    static bool LaterStartHandsOver(const QString& folder, bool* becameFirst = nullptr);
};

bool TestInstanceHandOver::LaterStartHandsOver(const QString& folder, bool* becameFirst) {
    QFuture<std::pair<bool, bool>> start = QtConcurrent::run([folder] {
        SingleInstance later(folder);
        const bool handedOver = later.HandOver();
        return std::pair{handedOver, later.IsFirst()};
    });
    // The first start answers from this loop.
    while (!start.isFinished())
        QTest::qWait(10);
    if (becameFirst != nullptr)
        *becameFirst = start.result().second;
    return start.result().first;
}

void TestInstanceHandOver::laterStartHandsOverUntilTheFirstCloses() {
    QTemporaryDir settings;
    SingleInstance first(settings.path());
    QVERIFY(!first.HandOver());
    QVERIFY(first.IsFirst());
    first.Listen();
    QSignalSpy activated(&first, &SingleInstance::Activated);

    bool becameFirst = true;
    QVERIFY(LaterStartHandsOver(settings.path(), &becameFirst));
    QVERIFY(!becameFirst);
    QCOMPARE(activated.size(), 1);
    QVERIFY(LaterStartHandsOver(settings.path()));
    QCOMPARE(activated.size(), 2);

    // A start that got no answer runs on its own, but never takes the first one's calls.
    SingleInstance unanswered(settings.path());
    unanswered.Listen();
    QSignalSpy stolen(&unanswered, &SingleInstance::Activated);
    QVERIFY(LaterStartHandsOver(settings.path()));
    QCOMPARE(activated.size(), 3);
    QCOMPARE(stolen.size(), 0);

    // Once the first is ending, the next start is the first of its own at once.
    first.Close();
    QVERIFY(!LaterStartHandsOver(settings.path(), &becameFirst));
    QVERIFY(becameFirst);
    QCOMPARE(activated.size(), 3);
}

void TestInstanceHandOver::otherFolderIsFirstOfItsOwn() {
    QTemporaryDir settings;
    QTemporaryDir otherSettings;
    SingleInstance first(settings.path());
    QVERIFY(!first.HandOver());
    first.Listen();
    bool becameFirst = false;
    QVERIFY(!LaterStartHandsOver(otherSettings.path(), &becameFirst));
    QVERIFY(becameFirst);
    // The same folder named another way is the same folder.
    QVERIFY(LaterStartHandsOver(settings.path() + "/./"));
}

QTEST_GUILESS_MAIN(TestInstanceHandOver)
#include "tst_instancehandover.moc"
