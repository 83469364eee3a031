// EncodeTransmitBytes on any text: the bytes sent agree with ChangeMode(text, mode, Hex) read
// back, token by token, where the token gives a byte; and encoding is token-local, so a text
// cut at a token boundary encodes to the two halves' bytes.
//
// Input: one control byte (mode = control % 3, cut point = control / 3), then the text.

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "notation/byte_notation.h"

namespace kestrum::fuzz {
namespace {

using enum DisplayMode;

std::size_t StepOf(DisplayMode mode) {
    return mode == Hex ? 3 : mode == Decimal ? 4 : 1;
}

// Ascii: the bytes sent are the bytes the Hex conversion writes.
void CheckAscii(std::string_view text) {
    const std::string sent = EncodeTransmitBytes(text, Ascii);
    const std::string hex = ChangeMode(text, Ascii, Hex);
    std::string why;
    const auto values = ReadWritten(hex, Hex, false, &why);
    KESTRUM_PROPERTY(values.has_value(), why);
    KESTRUM_PROPERTY(sent == BytesOf(*values), GotExpected(sent, BytesOf(*values)));
}

// Hex: the conversion reads every token leniently and writes one byte for each; the sender
// sends exactly the tokens whose characters are all hexadecimal digits, with the same value.
void CheckHex(std::string_view text) {
    const std::string sent = EncodeTransmitBytes(text, Hex);
    const std::string canonical = ChangeMode(ChangeMode(text, Hex, Decimal), Decimal, Hex);
    std::string why;
    const auto values = ReadWritten(canonical, Hex, false, &why);
    KESTRUM_PROPERTY(values.has_value(), why);
    KESTRUM_PROPERTY(values->size() == (text.size() + 2) / 3,
                     "one token per three characters: " + std::to_string(values->size()));
    std::string expected;
    for (std::size_t i = 0; i < values->size(); ++i) {
        const std::string_view token = text.substr(i * 3, 2);
        bool strict = true;
        for (const char c : token) {
            strict = strict && HexDigit(c) >= 0;
        }
        if (strict) {
            expected.push_back(static_cast<char>((*values)[i]));
        }
    }
    KESTRUM_PROPERTY(sent == expected, GotExpected(sent, expected));
}

// Decimal: token by token, the sender sends what the conversion writes for that token when it
// is 0..255, and skips a larger value or a token that is not a number (where the conversion of
// the whole text stops). Linear in the text.
void CheckDecimal(std::string_view text) {
    const std::string sent = EncodeTransmitBytes(text, Decimal);
    std::string expected;
    std::vector<int> converted;  // what the whole text converts to: up to the first non-number
    bool stopped = false;
    std::string why;
    for (std::size_t at = 0; at < text.size(); at += 4) {
        const std::string_view token = text.substr(at, 3);
        const auto values = ReadWritten(ChangeMode(token, Decimal, Hex), Hex, true, &why);
        KESTRUM_PROPERTY(values.has_value() && values->size() <= 1, why);
        if (values->empty()) {
            stopped = true;
            continue;
        }
        const int v = values->front();
        if (!stopped) {
            converted.push_back(v);
        }
        if (v <= 255) {
            expected.push_back(static_cast<char>(v));
        }
    }
    KESTRUM_PROPERTY(sent == expected, GotExpected(sent, expected));
    const auto whole = ReadWritten(ChangeMode(text, Decimal, Hex), Hex, true, &why);
    KESTRUM_PROPERTY(whole.has_value() && *whole == converted,
                     "the whole text converted otherwise than its tokens: " + why);
}

bool EndsInLoneCaret(std::string_view text) {
    bool caret = false;
    for (const char c : text) {
        caret = !caret && c == '^';
    }
    return caret;
}

void CheckCut(std::string_view text, DisplayMode mode, std::size_t cutTokens) {
    std::size_t cut = std::min(text.size(), cutTokens * StepOf(mode));
    if (mode == Ascii && EndsInLoneCaret(text.substr(0, cut))) {
        return;  // the cut would split a caret pair
    }
    const std::string whole = EncodeTransmitBytes(text, mode);
    const std::string halves = EncodeTransmitBytes(text.substr(0, cut), mode) +
                               EncodeTransmitBytes(text.substr(cut), mode);
    KESTRUM_PROPERTY(whole == halves, ModeName(mode) + " cut at " + std::to_string(cut) + ": " +
                                          GotExpected(halves, whole));
}

}  // namespace
}  // namespace kestrum::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrum::fuzz;
    const Split input = TakeControlByte(data, size);
    CheckAscii(input.rest);
    CheckHex(input.rest);
    CheckDecimal(input.rest);
    CheckCut(input.rest, ModeOf(input.control), input.control / 3);
    return 0;
}
