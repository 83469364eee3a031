// Find over a full Data Monitor (64 Mi characters of Hex traffic). Target: at most 100 ms per
// hit found. The worst hit is the one just behind where the search starts: the search reads
// the whole text round the end to reach it, so that is what is timed, in each case mode.

#include <benchmark/benchmark.h>

#include <string>

#include "notation/received_formatter.h"
#include "ui/monitor/monitor_search.h"
#include "ui/monitor/monitor_text.h"

namespace kestrum {
namespace {

constexpr std::string_view kNeedle = "Kestrum";

// A monitor filled to its capacity with received Hex traffic, `kNeedle` once at its start.
const MonitorText& FullMonitor() {
    static const MonitorText* const text = [] {
        auto* monitor = new MonitorText();
        monitor->AppendText(kNeedle, kReceiveColour);
        std::string bytes(std::size_t{1} << 16, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<char>(i * 7 % 253);
        }
        const std::string burst = FormatReceived(bytes, DisplayMode::Hex, false);
        while (monitor->Size() + burst.size() <= monitor->Capacity()) {
            monitor->AppendText(burst, kReceiveColour);
        }
        return monitor;
    }();
    return *text;
}

void BM_FindRoundTheWholeMonitor(benchmark::State& state) {
    const MonitorText& text = FullMonitor();
    const bool matchCase = state.range(0) != 0;
    const auto direction =
        state.range(1) != 0 ? SearchDirection::Forward : SearchDirection::Backward;
    // Forward from just past the hit, backward from the end: either way the hit is the last
    // place the search looks.
    const std::size_t from = direction == SearchDirection::Forward ? 1 : text.Size();
    for (auto _ : state) {
        const auto hit =
            FindInMonitor(text, matchCase ? kNeedle : "KESTRUM", from, direction, matchCase);
        if (!hit || hit->from != 0) {
            state.SkipWithError("the hit was not found");
            break;
        }
        benchmark::DoNotOptimize(hit);
    }
    state.counters["characters"] = static_cast<double>(text.Size());
}
BENCHMARK(BM_FindRoundTheWholeMonitor)
    ->ArgNames({"matchCase", "forward"})
    ->ArgsProduct({{1, 0}, {1, 0}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrum

BENCHMARK_MAIN();
