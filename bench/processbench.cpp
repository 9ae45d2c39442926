// Measures the built program from outside, side by side with its two yardsticks (the bare Qt
// Widgets window of MINIMAL, and the same with --curl: the floor of a Qt program that fetches
// through libcurl): time to the first paint and the first reading, resident and proportional
// memory and where it lies by mapping, CPU time while it reads every 5 s. The rate pages are
// served from this process.
//
//   bench_process PROGRAM MINIMAL startup RUNS
//   bench_process PROGRAM MINIMAL steady RUNS MEMORY_S CPU_S
//   bench_process PROGRAM MINIMAL sound RUNS AFTER_S
//   bench_process PROGRAM MINIMAL chart RUNS AFTER_S HISTORY   (on an X server: DISPLAY)
//   bench_process PROGRAM BEFORE memory RUNS AFTER_S   (an older build of the program beside it)
#include "server/ratefeed.h"
#include "server/ratepageserver.h"
#include "server/referenceserver.h"
#include "server/scriptedhttpserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
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

// Closes the window of process pid whose title contains title, as a window manager's close
// button does: WM_DELETE_WINDOW to a top-level window of the X server in DISPLAY. The chart is
// "qzRate - Koersverloop" or "qzRate - Rate history" by the language.
bool CloseWindow(qint64 pid, const QByteArray& title) {
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        xcb_disconnect(x);
        return false;
    }
    const auto atom = [x](const char* name) {
        xcb_intern_atom_reply_t* reply =
            xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return found;
    };
    const auto property = [x](xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
        xcb_get_property_reply_t* reply =
            xcb_get_property_reply(x, xcb_get_property(x, 0, window, name, type, 0, 1024), nullptr);
        QByteArray value;
        if (reply)
            value = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                               xcb_get_property_value_length(reply));
        free(reply);
        return value;
    };
    const xcb_atom_t wmPid = atom("_NET_WM_PID");
    const xcb_atom_t wmName = atom("_NET_WM_NAME");
    const xcb_atom_t utf8 = atom("UTF8_STRING");
    const xcb_atom_t protocols = atom("WM_PROTOCOLS");
    const xcb_atom_t deleteWindow = atom("WM_DELETE_WINDOW");
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(x, xcb_query_tree(x, root), nullptr);
    bool closed = false;
    for (int i = 0; tree && i < xcb_query_tree_children_length(tree); ++i) {
        const xcb_window_t window = xcb_query_tree_children(tree)[i];
        const QByteArray owner = property(window, wmPid, XCB_ATOM_CARDINAL);
        if (owner.size() != 4 || qint64(*reinterpret_cast<const uint32_t*>(owner.data())) != pid ||
            !property(window, wmName, utf8).contains(title))
            continue;
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = protocols;
        message.data.data32[0] = deleteWindow;
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(x, 0, window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&message));
        closed = true;
    }
    free(tree);
    xcb_flush(x);
    xcb_disconnect(x);
    return closed;
}

struct Pages {
    QUrl iex;
    QUrl d2e;
    QUrl publisher;
    QUrl reference;
};

// What a started process runs and what its home folders hold besides the settings.
struct Launch {
    Launch(QString program, QStringList arguments = {}, bool soundOn = false, QString history = {})
        : program(std::move(program)), arguments(std::move(arguments)), soundOn(soundOn),
          history(std::move(history)) {}

    QString program;
    QStringList arguments;
    bool soundOn;
    // Copied in as the program's history; none when empty.
    QString history;
};

// One started process with its own home folders; it notes when its first paint and its first
// reading show on standard error.
class Started {
public:
    Started(const Launch& launch, const Pages& pages) {
        const QString config = home.filePath(QStringLiteral("config"));
        QSettings ini(config + QStringLiteral("/qzRate/qzRate.ini"), QSettings::IniFormat);
        ini.beginGroup(QStringLiteral("Defaults"));
        ini.setValue(QStringLiteral("Aantal seconden"), QStringLiteral("5"));
        ini.setValue(QStringLiteral("DownloadTimer Aan"), QStringLiteral("1"));
        ini.setValue(QStringLiteral("Alarm Aan"), QStringLiteral("1"));
        ini.setValue(QStringLiteral("Geluid Aan"),
                     launch.soundOn ? QStringLiteral("1") : QStringLiteral("0"));
        ini.setValue(QStringLiteral("Updates Aan"), QStringLiteral("1"));
        ini.endGroup();
        // The chart opens on its month.
        ini.setValue(QStringLiteral("Koersverloop/Bereik"), 2);
        ini.sync();
        QFile tradingFile(home.filePath(QStringLiteral("export.xml")));
        if (tradingFile.open(QIODevice::WriteOnly))
            tradingFile.write(TradingExport);
        QSettings orvane(config + QStringLiteral("/Orvane/Orvane.ini"), QSettings::IniFormat);
        orvane.setValue(QStringLiteral("Defaults/Path"), home.path() + u'/');
        orvane.setValue(QStringLiteral("Defaults/FileName"), QStringLiteral("export"));
        orvane.sync();
        const QString data = home.filePath(QStringLiteral("data"));
        if (!launch.history.isEmpty()) {
            QDir().mkpath(data + QStringLiteral("/qzRate"));
            QFile::copy(launch.history, data + QStringLiteral("/qzRate/history.sqlite"));
        }

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        env.insert(QStringLiteral("XDG_DATA_HOME"), data);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        env.insert(QStringLiteral("QZRATE_IEX_URL"), pages.iex.toString());
        env.insert(QStringLiteral("QZRATE_D2E_URL"), pages.d2e.toString());
        env.insert(QStringLiteral("QZRATE_PUBLISHER_URL"), pages.publisher.toString());
        // The bank's files on loopback: each start fills its history back to 1999 after the
        // first paint, so every figure from then on is taken with that done.
        env.insert(QStringLiteral("QZRATE_REFERENCE_URL"), pages.reference.toString());
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
        process.start(launch.program, launch.arguments);
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
            Started bare({minimal}, pages);
            if (!WaitFor([&] { return bare.firstPaintMs >= 0; }, 30000))
                return 1;
            minimalPaint.push_back(bare.firstPaintMs);
        }
        Started qzrate({program}, pages);
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

// Resident kB by mapping, from /proc/<pid>/smaps: each file by its name, the heap, the stack,
// and anonymous memory (other allocator arenas and thread stacks among it) together.
std::map<QString, qint64> ResidentByMapping(qint64 pid) {
    std::map<QString, qint64> resident;
    QFile smaps(QStringLiteral("/proc/%1/smaps").arg(pid));
    if (!smaps.open(QIODevice::ReadOnly))
        return resident;
    QString mapping;
    for (const QByteArray& line : smaps.readAll().split('\n')) {
        // A mapping's first line starts with its address range, its fields with a name and ':'.
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 5 && fields.at(0).contains('-') && !fields.at(0).endsWith(':')) {
            const QString path =
                fields.size() > 5 ? QString::fromLocal8Bit(fields.at(5)) : QString();
            mapping = path.isEmpty() ? QStringLiteral("[anonymous]") : path.section(u'/', -1);
        } else if (fields.size() >= 2 && fields.at(0) == "Rss:") {
            resident[mapping] += fields.at(1).toLongLong();
        }
    }
    return resident;
}

// The process of the given ones whose resident size is their median.
const Started& MedianProcess(const std::vector<std::unique_ptr<Started>>& started) {
    std::vector<const Started*> sorted;
    for (const auto& one : started)
        sorted.push_back(one.get());
    std::sort(sorted.begin(), sorted.end(),
              [](const Started* a, const Started* b) { return RssKb(a->Pid()) < RssKb(b->Pid()); });
    return *sorted.at(sorted.size() / 2);
}

// Processes started side by side, RUNS of each kind at once, sampled after the same time.
struct SideBySide {
    SideBySide(const std::vector<Launch>& launches, const Pages& pages, int runs) {
        kinds.resize(launches.size());
        for (int run = 0; run < runs; ++run) {
            for (size_t kind = 0; kind < launches.size(); ++kind)
                kinds[kind].push_back(std::make_unique<Started>(launches[kind], pages));
        }
    }

    // The median of what sample gives for the processes of one kind.
    double Median(size_t kind, const std::function<double(const Started&)>& sample) const {
        std::vector<double> values;
        for (const auto& started : kinds.at(kind))
            values.push_back(sample(*started));
        return ::Median(values);
    }
    double MedianKb(size_t kind, qint64 (*sample)(qint64)) const {
        return Median(kind,
                      [sample](const Started& started) { return double(sample(started.Pid())); });
    }

    const std::vector<std::unique_ptr<Started>>& Programs() const { return kinds.front(); }

    std::vector<std::vector<std::unique_ptr<Started>>> kinds;
};

// The program beside both yardsticks: the bare window and the libcurl floor.
enum Kind : size_t { Program, Bare, Floor };

std::vector<Launch> WithYardsticks(const Launch& program, const QString& minimal) {
    return {program, {minimal}, {minimal, {QStringLiteral("--curl")}}};
}

// Resident memory against both yardsticks: name_ratio (against the bare window, for the record)
// and name_floor_ratio, with suffix after each; and where it lies, mapping by mapping, in the
// median process of each kind.
void PrintMemory(const SideBySide& side, const char* suffix) {
    const double program = side.MedianKb(Program, RssKb);
    const double bare = side.MedianKb(Bare, RssKb);
    const double floor = side.MedianKb(Floor, RssKb);
    std::fprintf(stderr, "rss%s: program %.0f kB, libcurl floor %.0f kB, bare window %.0f kB\n",
                 suffix, program, floor, bare);
    Print(qPrintable(QStringLiteral("rss_ratio%1").arg(QLatin1String(suffix))), program / bare,
          "ratio");
    Print(qPrintable(QStringLiteral("rss_floor_ratio%1").arg(QLatin1String(suffix))),
          program / floor, "ratio");

    std::array<std::map<QString, qint64>, 3> maps;
    for (size_t kind : {Program, Bare, Floor})
        maps[kind] = ResidentByMapping(MedianProcess(side.kinds.at(kind)).Pid());
    std::map<QString, std::array<qint64, 3>> rows;
    std::array<qint64, 3> rest{};
    for (size_t kind : {Program, Bare, Floor}) {
        for (const auto& [name, kb] : maps[kind])
            rows[name][kind] += kb;
    }
    std::vector<std::pair<QString, std::array<qint64, 3>>> shown;
    for (const auto& [name, kb] : rows) {
        // What stays under 100 kB in all three goes into one line.
        if (*std::max_element(kb.begin(), kb.end()) < 100) {
            for (size_t kind : {Program, Bare, Floor})
                rest[kind] += kb[kind];
        } else {
            shown.emplace_back(name, kb);
        }
    }
    std::sort(shown.begin(), shown.end(),
              [](const auto& a, const auto& b) { return a.second[Program] > b.second[Program]; });
    shown.emplace_back(QStringLiteral("(each under 100 kB)"), rest);
    std::array<qint64, 3> total{};
    std::printf("smaps%s %-34s %8s %8s %8s kB\n", suffix, "mapping", "program", "floor", "bare");
    for (const auto& [name, kb] : shown) {
        std::printf("smaps%s %-34s %8lld %8lld %8lld\n", suffix, qPrintable(name),
                    static_cast<long long>(kb[Program]), static_cast<long long>(kb[Floor]),
                    static_cast<long long>(kb[Bare]));
        for (size_t kind : {Program, Bare, Floor})
            total[kind] += kb[kind];
    }
    std::printf("smaps%s %-34s %8lld %8lld %8lld\n", suffix, "(total)",
                static_cast<long long>(total[Program]), static_cast<long long>(total[Floor]),
                static_cast<long long>(total[Bare]));
    std::fflush(stdout);
}

// Says so when a run did not do what its figure stands for.
void Expect(const SideBySide& side, const char* text, const char* otherwise) {
    for (const auto& started : side.Programs()) {
        if (!started->output.contains(text))
            std::fprintf(stderr, "%s\n", otherwise);
    }
}

int Steady(const QString& program, const QString& minimal, const Pages& pages, int runs,
           int memoryS, int cpuS) {
    SideBySide side(WithYardsticks({program, {}, true}, minimal), pages, runs);
    Wait(memoryS * 1000);
    PrintMemory(side, "");
    Print("pss_ratio", side.MedianKb(Program, PssKb) / side.MedianKb(Bare, PssKb), "ratio");
    std::vector<double> before;
    for (const auto& started : side.Programs())
        before.push_back(CpuMs(started->Pid()));
    Wait(cpuS * 1000);
    std::vector<double> percent;
    for (size_t i = 0; i < side.Programs().size(); ++i)
        percent.push_back((CpuMs(side.Programs()[i]->Pid()) - before[i]) / (cpuS * 10.0));
    Print("idle_cpu_pct", Median(percent), "%");
    for (const auto& started : side.Programs()) {
        if (!started->output.contains("alarm inside") || started->output.contains("alarm above"))
            std::fputs("steady: the rate was not inside the alarm's band\n", stderr);
    }
    Expect(side, "qzrate.advice: advice", "steady: no advice logged");
    return 0;
}

int Sound(const QString& program, const QString& minimal, const Pages& pages, int runs,
          int afterS) {
    SideBySide side(WithYardsticks({program, {}, true}, minimal), pages, runs);
    Wait(afterS * 1000);
    PrintMemory(side, "_after_sound");
    Expect(side, "alarm above", "after_sound: no reading above the band logged");
    Expect(side, "check code=", "after_sound: no version check logged");
    return 0;
}

// The chart opened at start on the history, closed as the user would once it has drawn, and
// the memory taken after the given time. Needs an X server: closing a window from outside is
// what a window manager does.
int Chart(const QString& program, const QString& minimal, const Pages& pages, int runs,
          const QString& history, int afterS) {
    SideBySide side(WithYardsticks({program, {QStringLiteral("--chart")}, true, history}, minimal),
                    pages, runs);
    const auto chartsLoaded = [&] {
        return std::all_of(side.Programs().begin(), side.Programs().end(), [](const auto& one) {
            QFile maps(QStringLiteral("/proc/%1/maps").arg(one->Pid()));
            return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6Charts");
        });
    };
    if (!WaitFor(chartsLoaded, 60000)) {
        std::fputs("after_chart: the chart's module was not loaded\n", stderr);
        return 1;
    }
    // It draws within half a second of the module's loading; some room for a loaded machine.
    Wait(3000);
    for (const auto& started : side.Programs()) {
        if (!CloseWindow(started->Pid(), "qzRate - "))
            std::fputs("after_chart: the chart's window was not found\n", stderr);
    }
    const qint64 elapsed = side.Programs().front()->clock.elapsed();
    Wait(std::max<qint64>(0, afterS * 1000 - elapsed));
    PrintMemory(side, "_after_chart");
    return 0;
}

// Resident memory of the program and of an older build of it, side by side, reading every 5 s;
// and whether the program maps Qt Charts without ever opening its chart.
int Memory(const QString& program, const QString& before, const Pages& pages, int runs,
           int afterS) {
    SideBySide side({{program}, {before}}, pages, runs);
    Wait(afterS * 1000);
    int charts = 0;
    for (const auto& started : side.Programs()) {
        QFile maps(QStringLiteral("/proc/%1/maps").arg(started->Pid()));
        charts += maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6Charts");
    }
    const double now = side.MedianKb(0, RssKb);
    const double then = side.MedianKb(1, RssKb);
    Print("rss_kb", now, "kB");
    Print("rss_kb_before", then, "kB");
    Print("rss_delta_kb", now - then, "kB");
    Print("charts_mapped", charts, "programs");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5) {
        std::fputs("usage: bench_process PROGRAM MINIMAL startup|steady|sound|chart|memory RUNS "
                   "[SECONDS...] [HISTORY]\n",
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
    ReferenceServer bank([] { return QDate::currentDate(); });
    if (!bank.Listen())
        return 1;
    const Pages pages{iex.Url(), d2e.Url(), publisher.Url(), bank.FolderUrl()};

    if (mode == u"startup")
        return Startup(program, minimal, pages, runs);
    if (mode == u"steady")
        return Steady(program, minimal, pages, runs, seconds(5, 30), seconds(6, 120));
    if (mode == u"sound")
        return Sound(program, minimal, pages, runs, seconds(5, 65));
    if (mode == u"chart" && args.size() > 6)
        return Chart(program, minimal, pages, runs, args.at(6), seconds(5, 30));
    if (mode == u"memory")
        return Memory(program, minimal, pages, runs, seconds(5, 30));
    return 2;
}
