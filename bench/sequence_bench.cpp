// The sequence engine on large replies. Targets: `expect` finds its bytes at the end of a 1 MiB
// reply at 200 MB/s or more, `expect_regex` at 50 MB/s or more, whatever the piece size a port
// hands over; verdict latency (the last expected byte handed to the engine to its verdict,
// p99) in microseconds.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "session/sequence/sequence_engine.h"
#include "session/sequence/sequence_file.h"

namespace kestrum {
namespace {

constexpr std::size_t kOneMiB = 1 << 20;

std::shared_ptr<const Sequence> Load(const std::string& text) {
    SequenceLoad load = ParseSequence(text, QStringLiteral("bench.ksq"));
    if (!load.sequence) {
        std::abort();
    }
    return std::make_shared<const Sequence>(*load.sequence);
}

// Device chatter made of the expected text's characters but its CR, so that partial matches
// start all the time (the hard case: a search that skips to the first byte gains nothing) and
// none completes, then the expected text.
std::string Reply(const std::string& tail) {
    static const std::string alphabet = "ACK 0123456789\n";
    std::mt19937 generator(25);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string reply(kOneMiB - tail.size(), ' ');
    for (char& c : reply) {
        c = alphabet[pick(generator)];
    }
    return reply + tail;
}

void RunOnReply(benchmark::State& state, const std::string& file) {
    const auto sequence = Load(file);
    const std::string reply = Reply("ACK 42\r");
    const auto piece = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        SequenceEngine engine(sequence);
        engine.Start(Millis(0));
        for (std::size_t at = 0; at < reply.size(); at += piece) {
            engine.Received(std::string_view(reply).substr(at, piece), Millis(1));
        }
        if (!engine.Finished()) {
            state.SkipWithError("no verdict");
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply.size()));
}

void BM_Expect(benchmark::State& state) {
    RunOnReply(state, "[[step]]\nsend = \"GO\"\nexpect = \"ACK 42^M\"\n");
}
BENCHMARK(BM_Expect)->Arg(64)->Arg(4096)->Arg(kOneMiB)->Unit(benchmark::kMillisecond);

void BM_ExpectRegex(benchmark::State& state) {
    RunOnReply(state, "[[step]]\nsend = \"GO\"\nexpect_regex = \"ACK [0-9]+\\\\r\"\n");
}
BENCHMARK(BM_ExpectRegex)->Arg(64)->Arg(4096)->Arg(kOneMiB)->Unit(benchmark::kMillisecond);

// From the piece that completes the expectation to the verdict in the outputs, for a step that
// has already seen 64 KiB of chatter; p99 over the runs.
void BM_VerdictLatency(benchmark::State& state) {
    const auto sequence =
        Load(state.range(0) == 0 ? "[[step]]\nsend = \"GO\"\nexpect = \"OK^M\"\n"
                                 : "[[step]]\nsend = \"GO\"\nexpect_regex = \"O[K]\\\\r\"\n");
    const std::string chatter(64 << 10, 'x');
    std::vector<double> latencies;
    for (auto _ : state) {
        state.PauseTiming();
        SequenceEngine engine(sequence);
        engine.Start(Millis(0));
        engine.TakeOutputs();
        for (std::size_t at = 0; at < chatter.size(); at += 256) {
            engine.Received(std::string_view(chatter).substr(at, 256), Millis(1));
        }
        engine.Received("O", Millis(1));
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        engine.Received("K\r", Millis(2));
        const bool verdict = !engine.TakeOutputs().empty();
        latencies.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
        if (!verdict) {
            state.SkipWithError("no verdict");
        }
    }
    std::sort(latencies.begin(), latencies.end());
    state.counters["p99_us"] = latencies[latencies.size() * 99 / 100];
}
BENCHMARK(BM_VerdictLatency)->Arg(0)->Arg(1)->Iterations(2000);

}  // namespace
}  // namespace kestrum

BENCHMARK_MAIN();
