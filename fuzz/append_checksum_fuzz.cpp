// AppendChecksum on any text: it adds exactly one byte, the checksum of the text's bytes; the
// text before it is kept; Hex and Decimal results are well formed; and for text without
// negative caret pairs the checksum equals plain modular arithmetic over the bytes.
//
// Input: one control byte (mode = control % 3, type = control / 3 % 6, where 5 stands for a
// text that names no type), then the text.

#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "notation/byte_notation.h"
#include "notation/checksum.h"

namespace kestrum::fuzz {
namespace {

using enum DisplayMode;

bool EndsInLoneCaret(std::string_view text) {
    bool caret = false;
    for (const char c : text) {
        caret = !caret && c == '^';
    }
    return caret;
}

// True when some caret pair of the Ascii text has a second character below code 64.
bool HasNegativePair(std::string_view ascii) {
    bool caret = false;
    for (const char c : ascii) {
        if (caret) {
            caret = false;
            if (c != '|' && static_cast<unsigned char>(c) < 64) {
                return true;
            }
        } else {
            caret = c == '^';
        }
    }
    return false;
}

// The checksum as arithmetic modulo 256 over the bytes.
std::uint8_t ReferenceChecksum(std::string_view bytes, ChecksumType type) {
    unsigned sum = 0;
    unsigned bitsXor = 0;
    unsigned bitsOr = 0;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        sum += b;
        bitsXor ^= b;
        bitsOr |= b;
    }
    switch (type) {
        case ChecksumType::NegativeSum:
            return static_cast<std::uint8_t>(256 - sum % 256);
        case ChecksumType::Modulo255Sum:
            return static_cast<std::uint8_t>(255 + 256 - sum % 256);
        case ChecksumType::PositiveSum:
            return static_cast<std::uint8_t>(sum);
        case ChecksumType::Xor:
            return static_cast<std::uint8_t>(bitsXor);
        case ChecksumType::Or:
            return static_cast<std::uint8_t>(bitsOr);
    }
    return 0;
}

void Check(std::string_view text, std::uint8_t control) {
    const DisplayMode mode = ModeOf(control);
    const std::size_t typeIndex = control / 3 % 6;
    if (typeIndex >= kChecksumTypeLabels.size()) {
        // The blank list entry, or a label that is almost right.
        const std::string_view noType = control / 18 % 2 == 0 ? "" : "XOR ";
        KESTRUM_PROPERTY(AppendChecksum(text, mode, noType) == text,
                         "a text that names no checksum type changed the string");
        return;
    }
    const ChecksumType type = static_cast<ChecksumType>(typeIndex + 1);
    const std::string result = AppendChecksum(text, mode, kChecksumTypeLabels[typeIndex]);

    std::string ascii = mode == Ascii ? std::string(text) : ChangeMode(text, mode, Ascii);
    if (EndsInLoneCaret(ascii)) {
        ascii.pop_back();
    }
    const std::string before = EncodeTransmitBytes(ascii, Ascii);
    const std::string resultAscii = mode == Ascii ? result : ChangeMode(result, mode, Ascii);
    const std::string after = EncodeTransmitBytes(resultAscii, Ascii);
    const std::uint8_t checksum = ComputeChecksum(ascii, type);

    KESTRUM_PROPERTY(after.size() == before.size() + 1,
                     ModeName(mode) + ": " + GotExpected(after, before) + " plus one byte");
    KESTRUM_PROPERTY(
        after.compare(0, before.size(), before) == 0,
        ModeName(mode) + ": the bytes before the checksum changed: " + GotExpected(after, before));
    KESTRUM_PROPERTY(static_cast<std::uint8_t>(after.back()) == checksum,
                     "appended " + std::to_string(static_cast<unsigned char>(after.back())) +
                         ", checksum " + std::to_string(checksum));
    if (mode == Ascii) {
        KESTRUM_PROPERTY(result.compare(0, ascii.size(), ascii) == 0,
                         "the Ascii text was not kept: " + GotExpected(result, ascii));
    } else {
        std::string why;
        KESTRUM_PROPERTY(ReadWritten(result, mode, false, &why).has_value(), why);
    }
    if (!HasNegativePair(ascii)) {
        const std::uint8_t reference = ReferenceChecksum(before, type);
        KESTRUM_PROPERTY(checksum == reference, std::string(kChecksumTypeLabels[typeIndex]) + ": " +
                                                    std::to_string(checksum) + " vs " +
                                                    std::to_string(reference));
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
