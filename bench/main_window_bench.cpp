// The main window receiving from a real pseudo-terminal while it shows Hex (one long
// monitor line): a flood as fast as the device takes it, and a sustained 100 KB/s stream.
// KESTRUM_SUSTAINED_SECONDS shortens the sustained run (default 60).

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>
#include "qt_benchmark_main.h"
#include "silent_prompts.h"

#include <QApplication>
#include <QEventLoop>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/prompts.h"
#include "platform/qt_serial_port.h"
#include "session/app_state.h"
#include "storage/settings_store.h"
#include "ui/main/mainfrm.h"
#include "ui/monitor/data_monitor.h"

namespace kestrum {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

class Pty {
public:
    Pty() {
        termios raw{};
        ::cfmakeraw(&raw);
        char name[256] = {};
        int device = -1;
        if (::openpty(&master_, &device, name, &raw, nullptr) != 0) {
            throw std::runtime_error("openpty failed");
        }
        ::close(device);
        path_ = QString::fromLocal8Bit(name);
    }
    ~Pty() { ::close(master_); }
    int Master() const { return master_; }
    const QString& Path() const { return path_; }

private:
    int master_ = -1;
    QString path_;
};

long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

double CpuSeconds(int who) {
    rusage usage{};
    ::getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A main window in Hex on a pseudo-terminal, shown so that every append is painted.
struct Terminal {
    Pty pty;
    QTemporaryDir folder;
    SettingsStore settings{folder.filePath("Kestrum.ini")};
    std::unique_ptr<QtSerialPort> port;
    SilentPrompts prompts;
    AppState state;
    std::unique_ptr<Mainfrm> window;

    Terminal() {
        settings.SaveSetting("Device1", pty.Path());
        settings.SaveSetting("CommPort1", "115200,n,8,1");
        settings.SaveSetting("Filetype", "Hex");
        port = std::make_unique<QtSerialPort>(DevicesFromSettings(settings));
        window = std::make_unique<Mainfrm>(state, settings, *port, prompts);
        window->Form_Load();
        window->show();
        QApplication::processEvents();
    }
    std::size_t Shown() const { return window->Monitor().Text().Size(); }
};

// Writes `total` bytes to the master side, `chunk` at a time, optionally paced.
void Feed(int fd, std::size_t total, std::size_t chunk, std::chrono::microseconds tick,
          std::atomic<bool>& stop) {
    std::string data(chunk, '\0');
    for (std::size_t i = 0; i < chunk; ++i) {
        data[i] = static_cast<char>(i * 7 + 1);
    }
    std::size_t sent = 0;
    auto next = Clock::now();
    while (sent < total && !stop) {
        const std::size_t n = std::min(chunk, total - sent);
        std::size_t done = 0;
        while (done < n && !stop) {
            const ssize_t w = ::write(fd, data.data() + done, n - done);
            if (w > 0) {
                done += static_cast<std::size_t>(w);
            } else {
                std::this_thread::sleep_for(200us);
            }
        }
        sent += done;
        if (tick.count() > 0) {
            next += tick;
            std::this_thread::sleep_until(next);
        }
    }
}

void BM_MainWindowFlood(benchmark::State& state) {
    constexpr std::size_t kTotal = std::size_t{4} << 20;
    for (auto _ : state) {
        Terminal terminal;
        std::atomic<bool> stop = false;
        Clock::duration longestGap{};
        auto lastTurn = Clock::now();
        QTimer turns;
        turns.setInterval(0);
        QObject::connect(&turns, &QTimer::timeout, [&] {
            const auto now = Clock::now();
            longestGap = std::max(longestGap, now - lastTurn);
            lastTurn = now;
        });
        const auto start = Clock::now();
        std::thread writer(Feed, terminal.pty.Master(), kTotal, 4096, 0us, std::ref(stop));
        turns.start();
        lastTurn = Clock::now();
        const auto deadline = start + 60s;
        while (terminal.Shown() < 3 * kTotal && Clock::now() < deadline) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        turns.stop();
        stop = true;
        writer.join();
        state.SetIterationTime(seconds);
        state.counters["bytes_shown"] = static_cast<double>(terminal.Shown() / 3);
        state.counters["bytes_sent"] = static_cast<double>(kTotal);
        state.counters["MB_per_s"] = static_cast<double>(kTotal) / seconds / 1e6;
        state.counters["longest_loop_gap_ms"] =
            std::chrono::duration<double, std::milli>(longestGap).count();
    }
}
BENCHMARK(BM_MainWindowFlood)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_MainWindowSustained(benchmark::State& state) {
    const int seconds = qEnvironmentVariableIntValue("KESTRUM_SUSTAINED_SECONDS") > 0
                            ? qEnvironmentVariableIntValue("KESTRUM_SUSTAINED_SECONDS")
                            : 60;
    constexpr std::size_t kRate = 100'000;  // bytes per second
    constexpr auto kTick = 10ms;
    const std::size_t total = kRate * static_cast<std::size_t>(seconds);
    for (auto _ : state) {
        Terminal terminal;
        std::atomic<bool> stop = false;
        // Event-loop delay: how late a 10 ms precise timer fires.
        std::vector<double> delaysMs;
        delaysMs.reserve(static_cast<std::size_t>(seconds) * 110);
        auto expected = Clock::now() + kTick;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        probe.setInterval(kTick);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const auto now = Clock::now();
            delaysMs.push_back(
                std::max(0.0, std::chrono::duration<double, std::milli>(now - expected).count()));
            expected = now + kTick;
        });

        const long rssBefore = ResidentBytes();
        double writerCpu = 0;
        const double cpuBefore = CpuSeconds(RUSAGE_SELF);
        const auto start = Clock::now();
        std::thread writer([&] {
            const double own = CpuSeconds(RUSAGE_THREAD);
            Feed(terminal.pty.Master(), total, kRate / 100,
                 std::chrono::duration_cast<std::chrono::microseconds>(kTick), stop);
            writerCpu = CpuSeconds(RUSAGE_THREAD) - own;
        });
        probe.start();
        expected = Clock::now() + kTick;
        const auto deadline = start + std::chrono::seconds(seconds) + 10s;
        // A real event loop that sleeps between events, as the program's does.
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, [&] {
            if (terminal.Shown() >= 3 * total || Clock::now() >= deadline) {
                loop.quit();
            }
        });
        check.start(100);
        loop.exec();
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        probe.stop();
        stop = true;
        writer.join();
        const double cpu = CpuSeconds(RUSAGE_SELF) - cpuBefore - writerCpu;
        const long rssAfter = ResidentBytes();

        std::sort(delaysMs.begin(), delaysMs.end());
        const double p95 =
            delaysMs.empty() ? 0 : delaysMs[static_cast<std::size_t>(0.95 * (delaysMs.size() - 1))];
        QScrollBar* bar = terminal.window->ReceiveBox().verticalScrollBar();
        state.SetIterationTime(elapsed);
        state.counters["bytes_shown"] = static_cast<double>(terminal.Shown() / 3);
        state.counters["bytes_sent"] = static_cast<double>(total);
        state.counters["cpu_percent"] = 100.0 * cpu / elapsed;
        state.counters["loop_delay_p95_ms"] = p95;
        state.counters["loop_delay_max_ms"] = delaysMs.empty() ? 0 : delaysMs.back();
        state.counters["rss_growth_per_byte"] =
            static_cast<double>(rssAfter - rssBefore) / static_cast<double>(total);
        state.counters["following_end"] = bar->value() == bar->maximum() ? 1 : 0;
    }
}
BENCHMARK(BM_MainWindowSustained)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
}  // namespace kestrum

int main(int argc, char** argv) {
    return kestrum::RunQtBenchmarks(argc, argv);
}
