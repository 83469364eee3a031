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

// A 30,000-character needle on a full monitor of a 0xFF flood, which nearly matches it at every
// third character: the case that makes a search cost needle length times text size. Target:
// 200 ms for the whole text. Found: the needle ends the text; not found: its last byte differs.
void BM_FindLongNeedleInAFlood(benchmark::State& state) {
    static const MonitorText* const text = [] {
        auto* monitor = new MonitorText();
        std::string flood;
        while (flood.size() < (std::size_t{3} << 20)) {
            flood += "FF ";
        }
        while (monitor->Size() + flood.size() + 3 <= monitor->Capacity()) {
            monitor->AppendText(flood, kReceiveColour);
        }
        monitor->AppendText("FE ", kReceiveColour);
        return monitor;
    }();
    std::string needle;
    for (int i = 0; i < 9'999; ++i) {
        needle += "FF ";
    }
    const bool found = state.range(0) != 0;
    needle += found ? "FE " : "FD ";
    const bool matchCase = state.range(1) != 0;
    for (auto _ : state) {
        const auto hit = FindInMonitor(*text, needle, 0, SearchDirection::Forward, matchCase);
        if (hit.has_value() != found) {
            state.SkipWithError("wrong answer");
            break;
        }
        benchmark::DoNotOptimize(hit);
    }
    state.counters["characters"] = static_cast<double>(text->Size());
}
BENCHMARK(BM_FindLongNeedleInAFlood)
    ->ArgNames({"found", "matchCase"})
    ->ArgsProduct({{1, 0}, {1, 0}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrum

BENCHMARK_MAIN();
