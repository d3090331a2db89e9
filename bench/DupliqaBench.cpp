// dupliqa_bench: times the main window's real backup path (status bar, gauge and event pump
// included) on trees that it can also make. It is a measuring tool with a command line of its own,
// not the program: the program itself takes no arguments.
#include "MainFrm/TMain.h"
#include "bench/BenchTree.h"
#include "bench/PageCache.h"
#include "engine/ErrorLog.h"
#include "tests/support/SystemSeams.h"
#include "widgets/GuardedApplication.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr const char* Usage =
    "usage:\n"
    "  dupliqa_bench backup [OPTIONS] EXE_FOLDER SOURCE DESTINATION\n"
    "      one backup run of the main window, timed; EXE_FOLDER is a scratch folder for its files\n"
    "  dupliqa_bench scan [OPTIONS] EXE_FOLDER FOLDER\n"
    "      the source scan alone into the file table, timed, with the peak resident memory\n"
    "  dupliqa_bench make-tree ROOT FILES FOLDERS MAX_SIZE [SEED]\n"
    "      FILES files of 0 to MAX_SIZE pseudo-random bytes spread over FOLDERS folders below ROOT\n"
    "  dupliqa_bench make-file PATH SIZE [SEED]\n"
    "      one file of SIZE pseudo-random bytes\n"
    "backup and scan print one line of name=value figures: seconds, files, failed, max_gap_ms\n"
    "(longest time without an event handled, by a probe timer), max_gap_at (where the run stood at\n"
    "both ends of it: scan:<files found> or copy:<gauge position>), gaps_over_20ms, ticks,\n"
    "cpu_user_s, cpu_sys_s, rss_before_kib, peak_rss_kib (VmHWM), log_lines (lines in the scratch\n"
    "folder's error log).\n"
    "The window is shown (offscreen unless QT_QPA_PLATFORM says otherwise). OPTIONS:\n"
    "  --hidden        keep the window hidden, as when the tray icon shows\n"
    "  --probe-ms N    interval of the probe timer (default 10)\n"
    "  --cold          drop the cached pages of SOURCE (or FOLDER) just before the timed part\n";

int64_t KibFromStatus(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(status, line))
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::strtoll(line.c_str() + prefix.size(), nullptr, 10);
    return -1;
}

double Seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

int64_t CountLogLines()
{
    std::ifstream log(ErrorLogPath(), std::ios::binary);
    if (!log)
        return 0;
    return std::count(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>(), '\n');
}

// The largest interval between two ticks of a fast timer: how long the event loop went without
// handling an event. The stretch from the last tick to the end of the work counts too. Where the
// run stood at both ends of that interval is kept, so that a long gap can be traced to its file.
class GapProbe {
public:
    GapProbe(int intervalMs, std::function<std::string()> whereNow) : m_whereNow(std::move(whereNow))
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(intervalMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
    }

    void Start()
    {
        m_clock.start();
        m_last = 0;
        m_lastWhere = m_whereNow();
        m_timer.start();
    }

    void Stop()
    {
        Tick();
        m_timer.stop();
    }

    double MaxGapMs() const { return static_cast<double>(m_maxGap) / 1e6; }
    int64_t Ticks() const { return m_ticks; }
    int64_t SlowGaps() const { return m_slowGaps; } // gaps longer than SlowGapMs
    const std::string& MaxGapWhere() const { return m_maxGapWhere; }

    static constexpr int SlowGapMs = 20;

private:
    void Tick()
    {
        const qint64 now = m_clock.nsecsElapsed();
        const qint64 gap = now - m_last;
        std::string where = m_whereNow();
        if (gap > qint64{SlowGapMs} * 1000000)
            ++m_slowGaps;
        if (gap > m_maxGap) {
            m_maxGap = gap;
            m_maxGapWhere = m_lastWhere + ".." + where;
        }
        m_last = now;
        m_lastWhere = std::move(where);
        ++m_ticks;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    std::function<std::string()> m_whereNow;
    qint64 m_last = 0;
    qint64 m_maxGap = 0;
    int64_t m_ticks = 0;
    int64_t m_slowGaps = 0;
    std::string m_lastWhere;
    std::string m_maxGapWhere;
};

// Where a run stands: the scan by the files found so far, the copy loop by the gauge's position.
std::string WhereTheRunIs(const TMain& window)
{
    if (window.Gauge1->isVisibleTo(&window) && window.Gauge1->value() > 0)
        return "copy:" + std::to_string(window.Gauge1->value());
    return "scan:" + std::to_string(window.FileCount);
}

struct Options {
    bool hidden = false;
    bool cold = false;
    int probeMs = 10;
    std::vector<std::string> arguments;
};

Options ParseOptions(int argc, char** argv, int first)
{
    Options options;
    for (int i = first; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--hidden")
            options.hidden = true;
        else if (argument == "--cold")
            options.cold = true;
        else if (argument == "--probe-ms" && i + 1 < argc)
            options.probeMs = std::max(1, std::atoi(argv[++i]));
        else
            options.arguments.push_back(argument);
    }
    return options;
}

// The main window as at a program start in exeFolder, with its timers stopped so that no
// scheduled run starts, and shown as on a desktop without a tray (or hidden).
std::unique_ptr<TMain> StartMainWindow(const std::string& exeFolder, bool hidden)
{
    SystemSeams::SetExeFolder(exeFolder);
    auto window = std::make_unique<TMain>();
    for (QTimer* timer : window->findChildren<QTimer*>(Qt::FindDirectChildrenOnly))
        timer->stop();
    window->FormCreate();
    // The start-up events (the window showing itself, its first layout) are handled before any timing.
    QEventLoop settle;
    QTimer::singleShot(200, &settle, &QEventLoop::quit);
    settle.exec();
    if (hidden)
        window->hide();
    else
        window->show();
    QApplication::processEvents();
    return window;
}

template <typename Work>
int Measure(const Options& options, Work work)
{
    // Qt is given the program's name alone: the bench's own arguments are none of its business.
    static char name[] = "dupliqa_bench";
    static char* qtArguments[] = {name, nullptr};
    static int qtArgumentCount = 1;
    GuardedApplication application(qtArgumentCount, qtArguments);
    auto window = StartMainWindow(options.arguments[0], options.hidden);
    const int64_t rssBefore = KibFromStatus("VmHWM");
    if (options.cold)
        EvictPages(options.arguments[1]);
    GapProbe probe(options.probeMs, [&window] { return WhereTheRunIs(*window); });
    rusage usageBefore {};
    ::getrusage(RUSAGE_SELF, &usageBefore);
    probe.Start();
    const auto start = std::chrono::steady_clock::now();
    work(*window);
    const auto end = std::chrono::steady_clock::now();
    probe.Stop();
    rusage usageAfter {};
    ::getrusage(RUSAGE_SELF, &usageAfter);
    std::printf("seconds=%.6f files=%d failed=%d max_gap_ms=%.1f max_gap_at=%s gaps_over_%dms=%lld ticks=%lld "
                "cpu_user_s=%.3f cpu_sys_s=%.3f rss_before_kib=%lld peak_rss_kib=%lld log_lines=%lld\n",
                std::chrono::duration<double>(end - start).count(), window->FileCount, window->LastRunFailed,
                probe.MaxGapMs(), probe.MaxGapWhere().c_str(), GapProbe::SlowGapMs,
                static_cast<long long>(probe.SlowGaps()), static_cast<long long>(probe.Ticks()),
                Seconds(usageAfter.ru_utime) - Seconds(usageBefore.ru_utime),
                Seconds(usageAfter.ru_stime) - Seconds(usageBefore.ru_stime), static_cast<long long>(rssBefore),
                static_cast<long long>(KibFromStatus("VmHWM")), static_cast<long long>(CountLogLines()));
    return 0;
}

int RunCommand(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs(Usage, stderr);
        return 2;
    }
    const std::string command = argv[1];
    const Options options = ParseOptions(argc, argv, 2);
    const auto& arguments = options.arguments;
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    if (command == "backup" && arguments.size() == 3)
        return Measure(options, [&](TMain& window) { window.RunBackup(arguments[1], arguments[2]); });
    if (command == "scan" && arguments.size() == 2)
        return Measure(options, [&](TMain& window) {
            window.FileCount = 0;
            window.ScanFolder(arguments[1], "*.*", true);
        });
    if (command == "make-tree" && (arguments.size() == 4 || arguments.size() == 5)) {
        TreeShape shape;
        shape.files = std::atoll(arguments[1].c_str());
        shape.folders = std::atoll(arguments[2].c_str());
        shape.maxSize = std::atoll(arguments[3].c_str());
        if (arguments.size() == 5)
            shape.seed = std::strtoull(arguments[4].c_str(), nullptr, 10);
        const TreeMade made = MakeTree(arguments[0], shape);
        std::printf("files=%lld folders=%lld bytes=%lld\n", static_cast<long long>(made.files),
                    static_cast<long long>(made.folders), static_cast<long long>(made.bytes));
        return 0;
    }
    if (command == "make-file" && (arguments.size() == 2 || arguments.size() == 3)) {
        const uint64_t seed = arguments.size() == 3 ? std::strtoull(arguments[2].c_str(), nullptr, 10) : 1;
        MakeBigFile(arguments[0], std::atoll(arguments[1].c_str()), seed);
        return 0;
    }
    std::fputs(Usage, stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return RunCommand(argc, argv);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "dupliqa_bench: %s\n", failure.what());
        return 1;
    }
}
