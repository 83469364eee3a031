// What the watch for a lost device costs while it waits: the process's CPU time over a
// wait of KESTRUM_WATCH_SECONDS (default 30) as a share of one core, with the device absent
// (a stat per look) and with a path that is there but refuses the open (an open per look).

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include "qt_benchmark_main.h"

#include <QEventLoop>
#include <QTimer>
#include <chrono>

#include "platform/qt_serial_port.h"
#include "session/reconnect_watch.h"

namespace kestrum {
namespace {

double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

int WaitSeconds() {
    const int seconds = qEnvironmentVariableIntValue("KESTRUM_WATCH_SECONDS");
    return seconds > 0 ? seconds : 30;
}

void WatchWaiting(benchmark::State& state, const char* device) {
    const QString path = QString::fromLatin1(device);
    QtSerialPort port([path](int) { return path; });
    ReconnectWatch watch(port);
    int looks = 0;
    QObject::connect(&watch, &ReconnectWatch::ProblemChanged, [&looks] { ++looks; });
    for (auto _ : state) {
        const double cpuBefore = CpuSeconds();
        const auto wallBefore = std::chrono::steady_clock::now();
        watch.Start();
        QEventLoop loop;
        QTimer::singleShot(WaitSeconds() * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        watch.Stop();
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
        state.counters["cpu_percent"] = 100.0 * (CpuSeconds() - cpuBefore) / wall;
        state.counters["wait_s"] = wall;
    }
    state.counters["problems_told"] = looks;
}

BENCHMARK_CAPTURE(WatchWaiting, DeviceAbsent, "/dev/serial/by-id/kestrum-bench-absent")
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(WatchWaiting, DeviceRefusesOpen, "/dev/null")
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace kestrum

int main(int argc, char** argv) {
    return kestrum::RunQtBenchmarks(argc, argv);
}
