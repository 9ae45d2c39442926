// chart_open_ms: from the menu command to the chart's first paint on its month, over a history
// of 31 days of readings every 5 s and 10 years of candles; chart_open_stall_ms: the main
// window's longest stall meanwhile, while a reading goes on.
//   bench_chart HISTORY_FILE
#include "app/mainform.h"
#include "app/windows.h"
#include "history/chartwindow.h"
#include "history/historywiring.h"
#include "server/ratefeed.h"
#include "server/ratepageserver.h"
#include "settings/settingsstore.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {
template <class Sender, class Signal>
bool Wait(Sender* sender, Signal signal, int timeoutMs) {
    QEventLoop loop;
    bool came = false;
    QObject::connect(sender, signal, &loop, [&] {
        came = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return came;
}
} // namespace

int main(int argc, char** argv) {
    QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", folder.filePath("config").toUtf8());
    qputenv("XDG_DATA_HOME", folder.filePath("data").toUtf8());
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    RateFeed feed(0.9230, 7);
    RatePageServer iex(RatePageServer::Kind::IEX, feed);
    RatePageServer d2e(RatePageServer::Kind::D2E, feed);
    if (!iex.Listen() || !d2e.Listen())
        return 1;
    qputenv("QZRATE_IEX_URL", iex.Url().toString().toUtf8());
    qputenv("QZRATE_D2E_URL", d2e.Url().toString().toUtf8());

    const QString ini = folder.filePath("qzRate.ini");
    QSettings(ini, QSettings::IniFormat).setValue(QStringLiteral("Koersverloop/Bereik"), 2);
    Windows windows(SettingsStore::AtPath(ini));
    TMainForm& main = *windows.MainForm;
    main.show();
    main.TimerStart.stop();
    main.DownloadTimer.stop();
    main.StartPending = false;
    HistoryWiring history(main, ini, QString::fromLocal8Bit(argv[1]));
    history.History.Start();
    // The file is open and checked once the first reading is in.
    main.RefreshRate();
    if (!Wait(&history.History, &HistoryService::Kept, 60000))
        return 1;

    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, clock.elapsed() - lastTick);
        lastTick = clock.elapsed();
    });
    int readings = 0;
    QObject::connect(&main.Refresh, &RefreshCycle::readingFinished, [&] { ++readings; });
    clock.start();
    ticker.start();
    main.Koersverloop->trigger();
    main.RefreshRate();
    if (!Wait(history.Chart.get(), &ChartWindow::Painted, 60000))
        return 1;
    const qint64 openMs = clock.elapsed();
    longestGap = std::max(longestGap, openMs - lastTick);
    std::printf("chart_open_ms %lld ms\nchart_open_stall_ms %lld ms\nchart_open_readings %d\n",
                static_cast<long long>(openMs), static_cast<long long>(longestGap), readings);
    return 0;
}
