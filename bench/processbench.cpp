// Measures the built program from outside, side by side with a bare Qt Widgets window: time to
// the first paint and the first reading, resident and proportional memory, CPU time while it
// reads every 5 s. The rate pages are served from this process.
//
//   bench_process PROGRAM MINIMAL startup RUNS
//   bench_process PROGRAM MINIMAL steady RUNS MEMORY_S CPU_S
//   bench_process PROGRAM MINIMAL sound RUNS AFTER_S
//   bench_process PROGRAM BEFORE memory RUNS AFTER_S   (an older build of the program beside it)
#include "server/ratefeed.h"
#include "server/ratepageserver.h"
#include "server/scriptedhttpserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

// The rate the pages quote: inside the alarm's band that the trading parameters below give,
// or far above it.
constexpr double RateInside = 0.8300;
constexpr double RateOutside = 1.9230;

// The sibling program's export with the trading parameters, which fill the advice.
constexpr char TradingExport[] = "<Name>USDEUR</Name>\r\n<Delta>1</Delta>\r\n"
                                 "<DownDr>2,45</DownDr>\r\n<UpDr>2,35</UpDr>\r\n<f>0,84</f>\r\n"
                                 "<v>0,76</v>\r\n<KostenProc>0,22</KostenProc>\r\n"
                                 "<RefWrde>1534,71</RefWrde>\r\n<Koers>0,9027</Koers>\r\n"
                                 "<Aantal>1852</Aantal>\r\n";

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        Wait(2);
    }
    return true;
}

double Median(std::vector<double> values) {
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// A field of /proc/<pid>/status or smaps_rollup, in kB; -1 when missing.
qint64 ProcField(qint64 pid, const char* file, const QByteArray& name) {
    QFile proc(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(file)));
    if (!proc.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : proc.readAll().split('\n')) {
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 1).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

qint64 RssKb(qint64 pid) {
    return ProcField(pid, "status", "VmRSS");
}

qint64 PssKb(qint64 pid) {
    return ProcField(pid, "smaps_rollup", "Pss");
}

// CPU time used so far in milliseconds, user and system together.
double CpuMs(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Fields after the command name, which may hold blanks: state is field 3, utime 14, stime 15.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.at(11).toDouble() + fields.at(12).toDouble();
    return ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

struct Pages {
    QUrl iex;
    QUrl d2e;
    QUrl publisher;
};

// One started process with its own home folders; it notes when its first paint and its first
// reading show on standard error.
class Started {
public:
    Started(const QString& program, const Pages& pages, bool soundOn) {
        const QString config = home.filePath(QStringLiteral("config"));
        QSettings ini(config + QStringLiteral("/qzRate/qzRate.ini"), QSettings::IniFormat);
        ini.beginGroup(QStringLiteral("Defaults"));
        ini.setValue(QStringLiteral("Aantal seconden"), QStringLiteral("5"));
        ini.setValue(QStringLiteral("DownloadTimer Aan"), QStringLiteral("1"));
        ini.setValue(QStringLiteral("Alarm Aan"), QStringLiteral("1"));
        ini.setValue(QStringLiteral("Geluid Aan"),
                     soundOn ? QStringLiteral("1") : QStringLiteral("0"));
        ini.setValue(QStringLiteral("Updates Aan"), QStringLiteral("1"));
        ini.sync();
        QFile tradingFile(home.filePath(QStringLiteral("export.xml")));
        if (tradingFile.open(QIODevice::WriteOnly))
            tradingFile.write(TradingExport);
        QSettings orvane(config + QStringLiteral("/Orvane/Orvane.ini"), QSettings::IniFormat);
        orvane.setValue(QStringLiteral("Defaults/Path"), home.path() + u'/');
        orvane.setValue(QStringLiteral("Defaults/FileName"), QStringLiteral("export"));
        orvane.sync();

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        env.insert(QStringLiteral("QZRATE_IEX_URL"), pages.iex.toString());
        env.insert(QStringLiteral("QZRATE_D2E_URL"), pages.d2e.toString());
        env.insert(QStringLiteral("QZRATE_PUBLISHER_URL"), pages.publisher.toString());
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qzrate.*.info=true"));
        process.setProcessEnvironment(env);
        QObject::connect(&process, &QProcess::readyReadStandardError, [this] {
            output += process.readAllStandardError();
            if (firstPaintMs < 0 && output.contains("first paint"))
                firstPaintMs = double(clock.nsecsElapsed()) / 1e6;
            if (firstReadingMs < 0 && output.contains("qzrate.sources: reading"))
                firstReadingMs = double(clock.nsecsElapsed()) / 1e6;
        });
        clock.start();
        process.start(program, {});
    }

    ~Started() {
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished(5000);
    }

    qint64 Pid() const { return process.processId(); }

    QTemporaryDir home;
    QProcess process;
    QElapsedTimer clock;
    QByteArray output;
    double firstPaintMs = -1;
    double firstReadingMs = -1;
};

void Print(const char* name, double value, const char* unit) {
    std::printf("%s %.*f %s\n", name, value < 10 ? 3 : 1, value, unit);
    std::fflush(stdout);
}

int Startup(const QString& program, const QString& minimal, const Pages& pages, int runs) {
    std::vector<double> reading, paint, minimalPaint;
    for (int run = 0; run < runs; ++run) {
        {
            Started bare(minimal, pages, false);
            if (!WaitFor([&] { return bare.firstPaintMs >= 0; }, 30000))
                return 1;
            minimalPaint.push_back(bare.firstPaintMs);
        }
        Started qzrate(program, pages, false);
        if (!WaitFor([&] { return qzrate.firstReadingMs >= 0; }, 30000))
            return 1;
        paint.push_back(qzrate.firstPaintMs);
        reading.push_back(qzrate.firstReadingMs);
    }
    Print("first_reading_s", Median(reading) / 1000, "s");
    Print("first_paint_ms", Median(paint), "ms");
    Print("first_paint_ms_minimal", Median(minimalPaint), "ms");
    Print("first_paint_ratio", Median(paint) / Median(minimalPaint), "ratio");
    return 0;
}

// Runs the program and the bare window side by side, RUNS of each at once, and samples them
// after the given time.
struct SideBySide {
    SideBySide(const QString& program, const QString& minimal, const Pages& pages, int runs,
               bool soundOn) {
        for (int run = 0; run < runs; ++run) {
            programs.push_back(std::make_unique<Started>(program, pages, soundOn));
            minimals.push_back(std::make_unique<Started>(minimal, pages, false));
        }
    }

    // The median of what sample gives for each program divided by the same for the bare windows.
    double Ratio(const std::function<qint64(qint64)>& sample, const char* name) const {
        std::vector<double> mine, bare;
        for (const auto& started : programs)
            mine.push_back(double(sample(started->Pid())));
        for (const auto& started : minimals)
            bare.push_back(double(sample(started->Pid())));
        std::fprintf(stderr, "%s: program %.0f kB, bare window %.0f kB\n", name, Median(mine),
                     Median(bare));
        return Median(mine) / Median(bare);
    }

    std::vector<std::unique_ptr<Started>> programs;
    std::vector<std::unique_ptr<Started>> minimals;
};

int Steady(const QString& program, const QString& minimal, const Pages& pages, int runs,
           int memoryS, int cpuS) {
    SideBySide both(program, minimal, pages, runs, true);
    Wait(memoryS * 1000);
    Print("rss_ratio", both.Ratio(RssKb, "rss"), "ratio");
    Print("pss_ratio", both.Ratio(PssKb, "pss"), "ratio");
    std::vector<double> before;
    for (const auto& started : both.programs)
        before.push_back(CpuMs(started->Pid()));
    Wait(cpuS * 1000);
    std::vector<double> percent;
    for (size_t i = 0; i < both.programs.size(); ++i)
        percent.push_back((CpuMs(both.programs[i]->Pid()) - before[i]) / (cpuS * 10.0));
    Print("idle_cpu_pct", Median(percent), "%");
    for (const auto& started : both.programs) {
        if (!started->output.contains("alarm inside") || started->output.contains("alarm above"))
            std::fputs("steady: the rate was not inside the alarm's band\n", stderr);
        if (!started->output.contains("qzrate.advice: advice"))
            std::fputs("steady: no advice logged\n", stderr);
    }
    return 0;
}

int Sound(const QString& program, const QString& minimal, const Pages& pages, int runs,
          int afterS) {
    SideBySide both(program, minimal, pages, runs, true);
    Wait(afterS * 1000);
    Print("rss_ratio_after_sound", both.Ratio(RssKb, "rss after sound"), "ratio");
    // Says so when the run did not do what the figure stands for.
    for (const auto& started : both.programs) {
        if (!started->output.contains("alarm above"))
            std::fputs("rss_ratio_after_sound: no reading above the band logged\n", stderr);
        if (!started->output.contains("check code="))
            std::fputs("rss_ratio_after_sound: no version check logged\n", stderr);
    }
    return 0;
}

// Resident memory of the program and of an older build of it, side by side, reading every 5 s;
// and whether the program maps Qt Charts without ever opening its chart.
int Memory(const QString& program, const QString& before, const Pages& pages, int runs,
           int afterS) {
    SideBySide both(program, before, pages, runs, false);
    Wait(afterS * 1000);
    std::vector<double> now, then;
    int charts = 0;
    for (const auto& started : both.programs) {
        now.push_back(double(RssKb(started->Pid())));
        QFile maps(QStringLiteral("/proc/%1/maps").arg(started->Pid()));
        charts += maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6Charts");
    }
    for (const auto& started : both.minimals)
        then.push_back(double(RssKb(started->Pid())));
    Print("rss_kb", Median(now), "kB");
    Print("rss_kb_before", Median(then), "kB");
    Print("rss_delta_kb", Median(now) - Median(then), "kB");
    Print("charts_mapped", charts, "programs");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5) {
        std::fputs("usage: bench_process PROGRAM MINIMAL startup|steady|sound RUNS [SECONDS...]\n",
                   stderr);
        return 2;
    }
    const QString program = args.at(1);
    const QString minimal = args.at(2);
    const QString mode = args.at(3);
    const int runs = std::max(1, args.at(4).toInt());
    const auto seconds = [&](int index, int fallback) {
        return args.size() > index ? args.at(index).toInt() : fallback;
    };

    RateFeed feed(QList<double>{mode == u"sound" ? RateOutside : RateInside});
    RatePageServer iex(RatePageServer::Kind::IEX, feed);
    RatePageServer d2e(RatePageServer::Kind::D2E, feed);
    if (!iex.Listen() || !d2e.Listen())
        return 1;
    // The version list names this very version: the automatic check finds nothing to offer.
    ScriptedHttpServer publisher;
    publisher.SetDefaultAnswer(ScriptedAnswer{.body = "qzRate,qzRate" +
                                                      QByteArray(QZRATE_VERSION).replace('.', "") +
                                                      ".run,,4,2026-12-01,Demo,Demo\r\n"});
    if (!publisher.Listen())
        return 1;
    const Pages pages{iex.Url(), d2e.Url(), publisher.Url()};

    if (mode == u"startup")
        return Startup(program, minimal, pages, runs);
    if (mode == u"steady")
        return Steady(program, minimal, pages, runs, seconds(5, 30), seconds(6, 60));
    if (mode == u"sound")
        return Sound(program, minimal, pages, runs, seconds(5, 65));
    if (mode == u"memory")
        return Memory(program, minimal, pages, runs, seconds(5, 30));
    return 2;
}
