#include "alarm/alarmsound.h"
#include "sources/httptransfer.h"

#include <QFile>
#include <QTest>

// The audio libraries and libcurl are loaded when first needed, not with the program: they
// cost its start and some megabytes that a window whose alarm never sounds has no use for.
class TestLazyLibraries : public QObject {
    Q_OBJECT

    static bool Mapped(const char* library) {
        QFile maps(QStringLiteral("/proc/self/maps"));
        return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(library);
    }

private slots:
    // The module is found through the run path in the build tree and loaded on the sound's
    // own thread; with no sound server to reach, the alarm stays silent once loaded.
    void audioWithTheFirstSeries() {
        qputenv("PULSE_SERVER", "unix:/nonexistent/native");
        AlarmSound sound;
        QVERIFY(!Mapped("libQt6Multimedia"));
        QTest::ignoreMessage(QtWarningMsg, "no audio device: the alarm stays silent");
        QTest::failOnWarning(QRegularExpression("^no audio"));
        sound.Play(Sweep::Rising);
        QTRY_VERIFY(!sound.Busy());
        QVERIFY(Mapped("/qzrate-sound.so"));
        QVERIFY(Mapped("libQt6Multimedia"));
        // Said once: the next series does not try again.
        sound.Play(Sweep::Falling);
        QTRY_VERIFY(!sound.Busy());
    }

    void curlInTheBackground() {
        HttpTransfer transfer;
        QVERIFY(!Mapped("libcurl"));
        HttpTransfer::LoadInBackground();
        QTRY_VERIFY(Mapped("libcurl.so.4"));
    }
};

QTEST_GUILESS_MAIN(TestLazyLibraries)
#include "tst_lazylibraries.moc"
