// AppendChecksum on any text: a sum adds exactly one byte, the checksum of the text's bytes,
// and a CRC adds its 1, 2 or 4 bytes, the CRC of the text's bytes; the text before it is kept;
// Hex and Decimal results are well formed; for text without negative caret pairs a sum equals
// plain modular arithmetic over the bytes; and the CRC over the result's bytes gives the
// model's residue, which holds only when the CRC bytes are right and in the order sent.
//
// Input: one control byte (mode = control % 3, type = control / 3 % 13, where 12 stands for a
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
        default:
            return 0;
    }
}

// Bytes a CRC type appends: its width in bytes.
std::size_t CrcSize(ChecksumType type) {
    switch (type) {
        case ChecksumType::Crc8Smbus:
        case ChecksumType::Crc8Maxim:
            return 1;
        case ChecksumType::Crc32:
            return 4;
        default:
            return 2;
    }
}

// The CRC over a message followed by its own CRC, in the order sent: zero for the models
// without a final xor, the well-known residue for CRC-32. A wrong byte order or a CRC of other
// bytes does not give it.
std::uint32_t Residue(ChecksumType type) {
    return type == ChecksumType::Crc32 ? 0x2144DF1Cu : 0u;
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
        IsCrc(type) ? CrcBytes(ComputeCrc(before, type), type)
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
    if (IsCrc(type)) {
        KESTRUM_PROPERTY(checksum.size() == CrcSize(type),
                         std::string(kChecksumTypeLabels[typeIndex]) + ": " +
                             std::to_string(checksum.size()) + " bytes");
        KESTRUM_PROPERTY(ComputeCrc(after, type) == Residue(type),
                         std::string(kChecksumTypeLabels[typeIndex]) +
                             " over message and CRC: " + std::to_string(ComputeCrc(after, type)));
    } else if (!HasNegativePair(ascii)) {
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
