// FormatReceived on any bytes equals the reference: the bytes written as Decimal tokens, then
// converted with ChangeMode into the main window's notation (Decimal: one more space). And
// bytes split over two notifications show the same as together (except Decimal's extra space).
//
// Input: one control byte (mode = control % 3, Process Cr/Lf = bit 2, split = control / 8 as
// a fraction of the length), then the received bytes.

#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "notation/byte_notation.h"
#include "notation/received_formatter.h"

namespace kestrum::fuzz {
namespace {

using enum DisplayMode;

std::string Reference(std::string_view bytes, DisplayMode mode, bool processCrLf) {
    if (bytes.empty()) {
        return {};
    }
    const std::string decimal = DecimalOf(bytes);
    switch (mode) {
        case Decimal:
            return decimal + " ";
        case Hex:
            return ChangeMode(decimal, Decimal, Hex);
        case Ascii:
            return ChangeMode(decimal, Decimal, Ascii, processCrLf);
    }
    return {};
}

void Check(std::string_view bytes, std::uint8_t control) {
    const DisplayMode mode = ModeOf(control);
    const bool processCrLf = (control & 4) != 0;
    const std::string shown = FormatReceived(bytes, mode, processCrLf);
    const std::string expected = Reference(bytes, mode, processCrLf);
    KESTRUM_PROPERTY(shown == expected, ModeName(mode) + ": " + GotExpected(shown, expected));

    const std::size_t cut = bytes.size() * (control / 8) / 32;
    const std::string first = FormatReceived(bytes.substr(0, cut), mode, processCrLf);
    const std::string second = FormatReceived(bytes.substr(cut), mode, processCrLf);
    if (mode != Decimal) {
        KESTRUM_PROPERTY(first + second == shown, "split at " + std::to_string(cut) + ": " +
                                                      GotExpected(first + second, shown));
    } else if (cut > 0 && cut < bytes.size()) {
        // Each notification ends with its own extra space.
        KESTRUM_PROPERTY(first + second == DecimalOf(bytes.substr(0, cut)) + " " +
                                               DecimalOf(bytes.substr(cut)) + " ",
                         "Decimal split at " + std::to_string(cut));
    }
}

}  // namespace
}  // namespace kestrum::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrum::fuzz;
    const Split input = TakeControlByte(data, size);
    Check(input.rest, input.control);
    return 0;
}
