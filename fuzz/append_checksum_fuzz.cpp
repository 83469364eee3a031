// AppendChecksum on any text: a sum adds exactly one byte, the checksum of the text's bytes,
// and a CRC adds its 1, 2 or 4 bytes, the CRC of the text's bytes in the model's byte order;
// the text before it is kept; Hex and Decimal results are well formed; and for text without
// negative caret pairs a sum equals plain modular arithmetic over the bytes, while a CRC always
// equals a bit-at-a-time reference.
//
// Input: one control byte (mode = control % 3, type = control / 3 % 13, where 12 stands for a
// text that names no type), then the text.

#include <array>
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
        default:
            return 0;
    }
}

struct ReferenceModel {
    int width;
    std::uint32_t poly;
    std::uint32_t init;
    bool reflected;
    std::uint32_t xorOut;
};

// The published models, in list order after the five sums.
constexpr std::array<ReferenceModel, 7> kCrcModels = {{
    {8, 0x07, 0, false, 0},
    {8, 0x31, 0, true, 0},
    {16, 0x8005, 0xFFFF, true, 0},
    {16, 0x1021, 0xFFFF, false, 0},
    {16, 0x1021, 0, false, 0},
    {16, 0x1021, 0, true, 0},
    {32, 0x04C11DB7, 0xFFFFFFFF, true, 0xFFFFFFFF},
}};

// The CRC one message bit at a time, as bytes in the order they go on the line: low byte
// first for the reflected models.
std::string ReferenceCrcBytes(std::string_view bytes, const ReferenceModel& m) {
    const std::uint32_t top = 1u << (m.width - 1);
    const std::uint64_t mask = (std::uint64_t{1} << m.width) - 1;
    std::uint32_t crc = m.init;
    for (const char c : bytes) {
        for (int bit = 0; bit < 8; ++bit) {
            const bool in = (static_cast<unsigned char>(c) >> (m.reflected ? bit : 7 - bit) & 1);
            const bool out = (crc & top) != 0;
            crc = static_cast<std::uint32_t>((std::uint64_t{crc} << 1) & mask) ^
                  (in != out ? m.poly : 0u);
        }
    }
    if (m.reflected) {
        std::uint32_t reflected = 0;
        for (int bit = 0; bit < m.width; ++bit) {
            reflected = reflected << 1 | (crc >> bit & 1);
        }
        crc = reflected;
    }
    crc ^= m.xorOut;
    std::string line;
    const int count = m.width / 8;
    for (int i = 0; i < count; ++i) {
        line.push_back(static_cast<char>(crc >> 8 * (m.reflected ? i : count - 1 - i)));
    }
    return line;
}

void Check(std::string_view text, std::uint8_t control) {
    const DisplayMode mode = ModeOf(control);
    const std::size_t typeIndex = control / 3 % (kChecksumTypeLabels.size() + 1);
    if (typeIndex >= kChecksumTypeLabels.size()) {
        // The blank list entry, or a label that is almost right.
        constexpr std::string_view kNoType[] = {"", "XOR ", "CRC-32 (low byte first)"};
        const std::string_view noType = kNoType[control / 39 % 3];
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
    const std::string checksum =
        IsCrc(type) ? ReferenceCrcBytes(before, kCrcModels[typeIndex - 5])
                    : std::string(1, static_cast<char>(ComputeChecksum(ascii, type)));

    KESTRUM_PROPERTY(after.size() == before.size() + checksum.size(),
                     ModeName(mode) + ": " + GotExpected(after, before) + " plus " +
                         std::to_string(checksum.size()) + " bytes");
    KESTRUM_PROPERTY(
        after.compare(0, before.size(), before) == 0,
        ModeName(mode) + ": the bytes before the checksum changed: " + GotExpected(after, before));
    KESTRUM_PROPERTY(after.compare(before.size(), std::string::npos, checksum) == 0,
                     std::string(kChecksumTypeLabels[typeIndex]) + ": appended " +
                         GotExpected(after.substr(before.size()), checksum));
    if (mode == Ascii) {
        KESTRUM_PROPERTY(result.compare(0, ascii.size(), ascii) == 0,
                         "the Ascii text was not kept: " + GotExpected(result, ascii));
    } else {
        std::string why;
        KESTRUM_PROPERTY(ReadWritten(result, mode, false, &why).has_value(), why);
    }
    if (!IsCrc(type) && !HasNegativePair(ascii)) {
        const std::uint8_t sum = static_cast<std::uint8_t>(checksum[0]);
        const std::uint8_t reference = ReferenceChecksum(before, type);
        KESTRUM_PROPERTY(sum == reference, std::string(kChecksumTypeLabels[typeIndex]) + ": " +
                                               std::to_string(sum) + " vs " +
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
