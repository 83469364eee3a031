// Throughput of the notation converter, the port encoder and the received-data formatter on
// large valid input. Target: at least 200 MB/s of input for every conversion, and a per-byte
// cost at 16 MiB within 1.3x of that at 1 MiB. The CRCs: at least 500 MB/s for CRC-32 over
// 1 MiB of bytes.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <utility>

#include "notation/byte_notation.h"
#include "notation/checksum.h"
#include "notation/received_formatter.h"

namespace kestrum {
namespace {

constexpr std::int64_t kOneMiB = 1 << 20;
constexpr std::int64_t kSixteenMiB = 16 << 20;

// Uniformly random bytes: about one in eight is a control byte, so Ascii text holds caret pairs.
std::string RandomBytes(std::size_t count) {
    std::mt19937 generator(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(count, '\0');
    for (char& b : bytes) {
        b = static_cast<char>(byte(generator));
    }
    return bytes;
}

// Valid text in `mode` of about `size` characters, built once per notation and size.
const std::string& Input(DisplayMode mode, std::int64_t size) {
    static std::map<std::pair<DisplayMode, std::int64_t>, std::string> cache;
    auto [it, inserted] = cache.try_emplace({mode, size});
    if (inserted) {
        // Characters per byte: Ascii about 1, Hex 3, Decimal 4.
        const std::size_t width = mode == DisplayMode::Ascii ? 1 : mode == DisplayMode::Hex ? 3 : 4;
        std::string text =
            ChangeMode(FormatReceived(RandomBytes(static_cast<std::size_t>(size) / width),
                                      DisplayMode::Hex, false),
                       DisplayMode::Hex, mode);
        // Ascii text is longer than its byte count; trim it to the size, never inside a pair.
        if (mode == DisplayMode::Ascii && text.size() > static_cast<std::size_t>(size)) {
            text.resize(static_cast<std::size_t>(size));
            if (text.back() == '^') {
                text.pop_back();
            }
        }
        it->second = std::move(text);
    }
    return it->second;
}

void BM_ChangeMode(benchmark::State& state, DisplayMode source, DisplayMode target) {
    const std::string& input = Input(source, state.range(0));
    for (auto _ : state) {
        std::string output = ChangeMode(input, source, target);
        benchmark::DoNotOptimize(output.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(input.size()));
}

// The same conversion as the monitor's re-render does it: 64 KiB pieces into a reused buffer,
// so the per-byte cost does not grow with the size.
void BM_ModeConverter(benchmark::State& state, DisplayMode source, DisplayMode target) {
    const std::string& input = Input(source, state.range(0));
    constexpr std::size_t kPiece = std::size_t{1} << 16;
    ModeConverter converter(source, target);
    std::string out;
    for (auto _ : state) {
        for (std::size_t at = 0; at < input.size(); at += kPiece) {
            out.clear();
            converter.Feed(std::string_view(input).substr(at, kPiece), out);
            benchmark::DoNotOptimize(out.data());
        }
        converter.Finish(out);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(input.size()));
}

void BM_EncodeTransmitBytes(benchmark::State& state, DisplayMode mode) {
    const std::string& input = Input(mode, state.range(0));
    for (auto _ : state) {
        std::string bytes = EncodeTransmitBytes(input, mode);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(input.size()));
}

void BM_FormatReceived(benchmark::State& state, DisplayMode mode) {
    const std::string bytes = RandomBytes(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::string text = FormatReceived(bytes, mode, true);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_Crc(benchmark::State& state, ChecksumType type) {
    const std::string bytes = RandomBytes(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComputeCrc(bytes, type));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

// The calculator's whole path: read the text, CRC its bytes, append, write back.
void BM_AppendCrc32(benchmark::State& state, DisplayMode mode) {
    const std::string& input = Input(mode, state.range(0));
    // Types count from 1, labels from 0.
    const std::string_view label =
        kChecksumTypeLabels[static_cast<std::size_t>(ChecksumType::Crc32) - 1];
    for (auto _ : state) {
        std::string text = AppendChecksum(input, mode, label);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(input.size()));
}

using enum DisplayMode;
using enum ChecksumType;

BENCHMARK_CAPTURE(BM_ChangeMode, AsciiToHex, Ascii, Hex)->Arg(kOneMiB)->Arg(kSixteenMiB);
BENCHMARK_CAPTURE(BM_ChangeMode, AsciiToDecimal, Ascii, Decimal)->Arg(kOneMiB)->Arg(kSixteenMiB);
BENCHMARK_CAPTURE(BM_ChangeMode, HexToAscii, Hex, Ascii)->Arg(kOneMiB)->Arg(kSixteenMiB);
BENCHMARK_CAPTURE(BM_ChangeMode, HexToDecimal, Hex, Decimal)->Arg(kOneMiB)->Arg(kSixteenMiB);
BENCHMARK_CAPTURE(BM_ChangeMode, DecimalToAscii, Decimal, Ascii)->Arg(kOneMiB)->Arg(kSixteenMiB);
BENCHMARK_CAPTURE(BM_ChangeMode, DecimalToHex, Decimal, Hex)->Arg(kOneMiB)->Arg(kSixteenMiB);
BENCHMARK_CAPTURE(BM_ModeConverter, AsciiToHex, Ascii, Hex)->Arg(kOneMiB)->Arg(kSixteenMiB);
BENCHMARK_CAPTURE(BM_ModeConverter, HexToAscii, Hex, Ascii)->Arg(kOneMiB)->Arg(kSixteenMiB);
BENCHMARK_CAPTURE(BM_ModeConverter, HexToDecimal, Hex, Decimal)->Arg(kOneMiB)->Arg(kSixteenMiB);
BENCHMARK_CAPTURE(BM_EncodeTransmitBytes, Ascii, Ascii)->Arg(kOneMiB)->Arg(kSixteenMiB);
BENCHMARK_CAPTURE(BM_EncodeTransmitBytes, Hex, Hex)->Arg(kOneMiB)->Arg(kSixteenMiB);
BENCHMARK_CAPTURE(BM_EncodeTransmitBytes, Decimal, Decimal)->Arg(kOneMiB)->Arg(kSixteenMiB);
BENCHMARK_CAPTURE(BM_FormatReceived, Ascii, Ascii)->Arg(kOneMiB)->Arg(kSixteenMiB);
BENCHMARK_CAPTURE(BM_FormatReceived, Hex, Hex)->Arg(kOneMiB)->Arg(kSixteenMiB);
BENCHMARK_CAPTURE(BM_FormatReceived, Decimal, Decimal)->Arg(kOneMiB)->Arg(kSixteenMiB);
BENCHMARK_CAPTURE(BM_Crc, Crc8Smbus, Crc8Smbus)->Arg(kOneMiB);
BENCHMARK_CAPTURE(BM_Crc, Crc8Maxim, Crc8Maxim)->Arg(kOneMiB);
BENCHMARK_CAPTURE(BM_Crc, Crc16Modbus, Crc16Modbus)->Arg(kOneMiB);
BENCHMARK_CAPTURE(BM_Crc, Crc16CcittFalse, Crc16CcittFalse)->Arg(kOneMiB);
BENCHMARK_CAPTURE(BM_Crc, Crc16Xmodem, Crc16Xmodem)->Arg(kOneMiB);
BENCHMARK_CAPTURE(BM_Crc, Crc16Kermit, Crc16Kermit)->Arg(kOneMiB);
BENCHMARK_CAPTURE(BM_Crc, Crc32, Crc32)->Arg(kOneMiB)->Arg(kSixteenMiB);
BENCHMARK_CAPTURE(BM_AppendCrc32, Ascii, Ascii)->Arg(kOneMiB);
BENCHMARK_CAPTURE(BM_AppendCrc32, Hex, Hex)->Arg(kOneMiB);

}  // namespace
}  // namespace kestrum

BENCHMARK_MAIN();
