#include "app/mainform.h"
#include "app/windowset.h"
#include "server/ratepages.h"
#include "server/scriptedhttpserver.h"
#include "settings/settingsstore.h"
#include "testkit/privatex.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

QString Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromLocal8Bit(process.readAll());
}

// Where the X server has the window on the screen.
QPoint RealPlace(const TMainForm& window) {
    const QStringList at =
        QRegularExpression("Position: (-?\\d+),(-?\\d+)")
            .match(Run("xdotool", {"getwindowgeometry", QString::number(window.winId())}))
            .capturedTexts();
    return {at.value(1).toInt(), at.value(2).toInt()};
}

// Real X input at a point of the screen.
void Click(const QPoint& at, int button) {
    Run("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y()), "click",
                    QString::number(button)});
}

} // namespace

// The main window under openbox, which frames the window in one of its own: it puts the frame in
// the screen's corner and moves it to the window's place a moment later. Qt reads the window's
// place in between as often as not, and then keeps a place the window does not have. The input is
// real X input at real screen points: QTest's own clicks go through Qt's idea of the place.
class TestFramedWindow : public QObject {
    Q_OBJECT

    QTemporaryDir Folder;
    ScriptedHttpServer Iex;
    ScriptedHttpServer D2e;
    std::unique_ptr<WindowSet> Set;
    TMainForm* Main = nullptr;

    SettingsStore Store() const { return SettingsStore::AtPath(Folder.filePath("qzRate.ini")); }
    // Opens the window until Qt has its place wrong.
    void OpenMisplaced() {
        for (int tries = 0; tries < 10; ++tries) {
            Set = std::make_unique<WindowSet>(Store());
            Main = Set->MainForm.get();
            Main->Alarm.PlaySweep = {};
            // Readings come only when the test asks for them.
            Main->Scheduler.TimerStart.stop();
            Main->Scheduler.DownloadTimer.stop();
            Main->Scheduler.StartPending = false;
            Main->show();
            QTRY_VERIFY(Main->windowHandle()->isExposed());
            if (Main->pos() != RealPlace(*Main))
                return;
        }
        QSKIP("openbox placed the window before Qt read its place every time");
    }

private slots:
    void initTestCase() {
        QVERIFY(Folder.isValid());
        QVERIFY(Iex.Listen() && D2e.Listen());
        qputenv("XDG_DATA_HOME", Folder.filePath("data").toUtf8());
        qputenv("XDG_CONFIG_HOME", Folder.filePath("config").toUtf8());
        qputenv("QZRATE_IEX_URL", Iex.Url().toString().toUtf8());
        qputenv("QZRATE_D2E_URL", D2e.Url().toString().toUtf8());
        OpenMisplaced();
        QTRY_COMPARE(Main->Desk.Trading.SellLevel, 0.8482);
    }

    void cleanupTestCase() { Set.reset(); }

    void aClickOnTheArrowSilences() {
        // Above the band of the design trading parameters (0,8084 to 0,8482): the check mark gives
        // way to the arrow.
        Iex.SetDefaultAnswer(ScriptedAnswer{.body = IEXRatePage(1.0834, 0.25)});
        D2e.SetDefaultAnswer(ScriptedAnswer{.body = D2ERatePage(0.9241)});
        Main->RefreshRate();
        QTRY_VERIFY(Main->ButtonCheck->isHidden());
        QVERIFY(!Main->Alarm.Silence.Silenced());
        Click(RealPlace(*Main) + Main->ButtonMax->mapTo(Main, QPoint(11, 12)), 1);
        QTRY_VERIFY(Main->Alarm.Silence.Silenced());
    }

    void theMenuOpensAtTheClick() {
        const QPoint at = RealPlace(*Main) + Main->Label3->mapTo(Main, QPoint(10, 5));
        Click(at, 3);
        QTRY_VERIFY(Main->PopupMenu->isVisible());
        QCOMPARE(Main->PopupMenu->pos(), at - QPoint(200, 200));
        Main->PopupMenu->close();
    }

    void thePlaceIsKeptAcrossARestart() {
        const QPoint place = RealPlace(*Main);
        // As the program ends: the window closes, then goes.
        Main->close();
        Set.reset();
        QCOMPARE(QPoint(Store().ReadInteger("MainLeft", 0), Store().ReadInteger("MainTop", 0)),
                 place);
        OpenMisplaced();
        QCOMPARE(RealPlace(*Main), place);
    }
};

int main(int argc, char** argv) {
    return ExecOnPrivateX<TestFramedWindow>(argc, argv, true);
}

#include "tst_framedwindow.moc"
