// Writes pictures of the program's windows, drawn off screen on a throw-away settings store,
// in the language of the environment (LANG), the chart on a generated history of 40 days:
//   qzrate-render [--dark-theme] <folder>
// --dark-theme starts the program as a dark desktop theme would: Fusion with light text on
// dark grey.
#include "app/mainform.h"
#include "app/messageform.h"
#include "app/windowset.h"
#include "history/chartopener.h"
#include "history/chartplot.h"
#include "history/chartwindow.h"
#include "history/historyfill.h"
#include "history/historyservice.h"
#include "history/readingstore.h"
#include "info/aboutbox.h"
#include "platform/application.h"
#include "platform/programicon.h"
#include "platform/programicondrawing.h"
#include "settings/optionsform.h"
#include "settings/programidentity.h"
#include "settings/settingsstore.h"
#include "sources/ratereading.h"
#include "support/systeminfo.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

namespace {

bool SaveImage(const QImage& picture, const QDir& folder, const QString& name) {
    const QString path = folder.filePath(name);
    const bool saved = picture.save(path);
    QTextStream(saved ? stdout : stderr) << (saved ? "wrote " : "cannot write ") << path << '\n';
    return saved;
}

bool Save(QWidget& window, const QDir& folder, const QString& name) {
    return SaveImage(window.grab().toImage(), folder, name);
}

// A reading as the readers leave it, and a few changes for the marks.
void ShowSampleReading(TMainForm& main) {
    RateReading& reading = SharedRateReading();
    reading.RateText = QStringLiteral("0,9027");
    reading.PercentText = QStringLiteral("0,15%");
    reading.TimeText = QStringLiteral("14:05:09");
    main.LabelWait->hide();
    main.ShowRateLabels();
    main.ShowAdvice();
    QImage marks(main.ImageDelta->size(), QImage::Format_RGB32);
    for (const double rate : {0.9020, 0.9022, 0.9022, 0.9019, 0.9025, 0.9027})
        main.Marks.DrawDeltaImage(rate, marks);
    main.ImageDelta->setPixmap(QPixmap::fromImage(marks));
}

// Runs the event loop until the chart has painted what it asked for.
bool ChartPainted(ChartWindow& chart) {
    QEventLoop loop;
    bool painted = false;
    QObject::connect(&chart, &ChartWindow::Painted, &loop, [&] {
        painted = true;
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    return painted;
}

// The day with the crosshair at the plot's middle, and the month.
bool SaveCharts(WindowSet& windows, const QString& iniPath, const QString& dataFolder,
                const QDir& folder) {
    const QString path = dataFolder + QStringLiteral("/history.sqlite");
    {
        ReadingStore store(path, QStringLiteral("render"));
        if (!QDir().mkpath(dataFolder) || !store.Open(QDateTime::currentDateTime()) ||
            !FillHistory(store, HistoryFill{QDateTime::currentDateTime(), 40, 30, 31}))
            return false;
    }
    HistoryService history(path);
    ChartOpener opener(history, iniPath);
    windows.Attach(history, opener);
    opener.OpenChart();
    ChartWindow& chart = *opener.Chart;
    if (!ChartPainted(chart))
        return false;
    QWidget* view = qobject_cast<QAbstractScrollArea*>(chart.Plot->Widget())->viewport();
    const QPointF middle = view->rect().center();
    QMouseEvent move(QEvent::MouseMove, middle, view->mapToGlobal(middle), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view, &move);
    bool saved = Save(chart, folder, QStringLiteral("chart-day.png"));
    chart.SetRange(ChartRange::Month);
    saved &= ChartPainted(chart) && Save(chart, folder, QStringLiteral("chart-month.png"));
    chart.close();
    return saved;
}

// A dark desktop theme as Qt's Fusion style shows it.
QPalette DarkThemePalette() {
    const QColor grey(53, 53, 53);
    return QPalette(Qt::white, grey, grey.lighter(150), grey.darker(150), grey.darker(120),
                    Qt::white, Qt::white, QColor(42, 42, 42), grey);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir scratch;
    qputenv("XDG_DATA_HOME", scratch.filePath("data").toUtf8());
    // No sibling program's store either: the advice comes from the parameter edits' own texts.
    qputenv("XDG_CONFIG_HOME", scratch.filePath("config").toUtf8());
    SupportStartup();
    const bool darkTheme = argc == 3 && qstrcmp(argv[1], "--dark-theme") == 0;
    if (darkTheme) {
        // In place before the application object, as the desktop's theme would be.
        qputenv("QT_STYLE_OVERRIDE", "Fusion");
        QApplication::setPalette(DarkThemePalette());
    }
    Application app(argc, argv);
    QApplication::setApplicationName(ProductName);
    if (argc != (darkTheme ? 3 : 2) || !scratch.isValid()) {
        QTextStream(stderr) << "usage: qzrate-render [--dark-theme] <folder>\n";
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[argc - 1]));
    if (!folder.mkpath(QStringLiteral(".")))
        return 1;

    WindowSet windows(SettingsStore::AtPath(scratch.filePath("qzRate.ini")));
    TMainForm& main = *windows.MainForm;
    // Pictures only: the alarm stays silent.
    main.Alarm.PlaySweep = {};
    main.show();
    // The first showing reads the trading parameters once the event loop runs: let it run
    // once, or the pictures show the advice of empty parameters.
    QCoreApplication::processEvents();
    bool saved = Save(main, folder, QStringLiteral("main-normal.png"));
    ShowSampleReading(main);
    main.FormaatClick();
    saved &= Save(main, folder, QStringLiteral("main-large.png"));
    main.FormaatClick();
    saved &= Save(main, folder, QStringLiteral("main-normal-reading.png"));
    windows.OptionsForm->show();
    saved &= Save(*windows.OptionsForm, folder, QStringLiteral("options.png"));
    windows.OptionsForm->hide();
    windows.MessageForm->ShowTimed(main.y(), main.x(), main.height(), main.width(),
                                   QStringLiteral("Geen verbinding"), QString(), 5000);
    saved &= Save(*windows.MessageForm, folder, QStringLiteral("message.png"));
    TAboutBox& about = *windows.AboutBox;
    about.show();
    saved &= Save(about, folder, QStringLiteral("about-main-page.png"));
    about.AutorBtnClick();
    saved &= Save(about, folder, QStringLiteral("about-author-page.png"));
    about.hide();
    saved &= SaveCharts(windows, scratch.filePath("qzRate.ini"), scratch.filePath("data/qzRate"),
                        folder);
    // The program's icon as it carries it in data/icons.
    for (const int size : ProgramIconSizes)
        saved &=
            SaveImage(ProgramIconImage(size), folder, QStringLiteral("qzrate-%1.png").arg(size));
    return saved ? 0 : 1;
}
