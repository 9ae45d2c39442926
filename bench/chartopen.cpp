// chart_open_ms: from the menu command to the chart's first paint on its month, over a history
// of 31 days of readings every 5 s and 10 years of candles; chart_open_stall_ms: the main
// window's longest stall meanwhile, while a reading goes on. With `all`, the same on everything
// kept (chart_open_ms_all, chart_open_stall_ms_all), over decades of reference days too.
//   bench_chart HISTORY_FILE [all]
#include "app/mainform.h"
#include "app/windowset.h"
#include "bench/benchwindow.h"
#include "history/chartopener.h"
#include "history/chartwindow.h"
#include "history/historyservice.h"
#include "testkit/stallmeter.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QSignalSpy>

#include <cstdio>

int main(int argc, char** argv) {
    TestHome home;
    // Nothing here reaches out for the reference rates: the file holds them.
    qputenv("QZRATE_REFERENCE_URL", "off");
    QApplication app(argc, argv);
    const bool all = argc == 3 && qstrcmp(argv[2], "all") == 0;
    if (argc != 2 && !all)
        return 2;
    QSettings(home.Ini(), QSettings::IniFormat)
        .setValue(QStringLiteral("Koersverloop/Bereik"),
                  int(all ? ChartRange::All : ChartRange::Month));
    BenchWindow window(home);
    if (!window.Listening())
        return 1;
    TMainForm& main = *window.Main;
    HistoryService history(QString::fromLocal8Bit(argv[1]));
    ChartOpener chart(history, home.Ini());
    window.Set->Attach(history, chart);
    history.Start();
    // The file is open and checked once the first reading is in.
    QSignalSpy kept(&history, &HistoryService::Kept);
    main.RefreshRate();
    if (!kept.wait(60000))
        return 1;

    int readings = 0;
    QObject::connect(&main.Scheduler.Refresh, &RefreshCycle::ReadingFinished, [&] { ++readings; });
    QElapsedTimer clock;
    clock.start();
    const StallMeter stalls;
    main.Koersverloop->trigger();
    main.RefreshRate();
    QSignalSpy painted(chart.Chart.get(), &ChartWindow::Painted);
    if (!painted.wait(60000))
        return 1;
    const qint64 openMs = clock.elapsed();
    // The turn that painted counts too.
    RunEventLoop(20);
    const char* suffix = all ? "_all" : "";
    std::printf("chart_open_ms%s %lld ms\nchart_open_stall_ms%s %lld ms\nchart_open_readings %d\n",
                suffix, static_cast<long long>(openMs), suffix,
                static_cast<long long>(stalls.LongestMs()), readings);
    return 0;
}
