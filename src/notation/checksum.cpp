#include "notation/checksum.h"

#include "notation/crc.h"
#include "notation/notation_codec.h"

namespace kestrum {

using namespace notation_detail;

const std::array<std::string_view, kChecksumTypeCount> kChecksumTypeLabels = {
    "Negative Two's Complement Sum  (Orvane/Dynalite Dimmers)",
    "Modulo 255 Sum  (Dolby CP500)",
    "Positive Two's Complement Sum",
    "XOR",
    "OR",
    "CRC-8  (SMBus)",
    "CRC-8/MAXIM  (1-Wire)",
    "CRC-16/MODBUS  (low byte first)",
    "CRC-16/CCITT-FALSE  (high byte first)",
    "CRC-16/XMODEM  (high byte first)",
    "CRC-16/KERMIT  (low byte first)",
    "CRC-32  (low byte first)",
};

namespace {

constexpr ChecksumType kFirstCrc = ChecksumType::Crc8Smbus;

// In ChecksumType order from kFirstCrc.
constexpr std::array<Crc, 7> kCrcs = {
    Crc({.width = 8, .poly = 0x07, .init = 0x00, .reflected = false, .xorOut = 0x00}),
    Crc({.width = 8, .poly = 0x31, .init = 0x00, .reflected = true, .xorOut = 0x00}),
    Crc({.width = 16, .poly = 0x8005, .init = 0xFFFF, .reflected = true, .xorOut = 0x0000}),
    Crc({.width = 16, .poly = 0x1021, .init = 0xFFFF, .reflected = false, .xorOut = 0x0000}),
    Crc({.width = 16, .poly = 0x1021, .init = 0x0000, .reflected = false, .xorOut = 0x0000}),
    Crc({.width = 16, .poly = 0x1021, .init = 0x0000, .reflected = true, .xorOut = 0x0000}),
    Crc({.width = 32,
         .poly = 0x04C11DB7,
         .init = 0xFFFFFFFF,
         .reflected = true,
         .xorOut = 0xFFFFFFFF}),
};
static_assert(kCrcs.size() == kChecksumTypeCount - static_cast<std::size_t>(kFirstCrc) + 1);

const Crc& CrcOf(ChecksumType type) {
    return kCrcs[static_cast<std::size_t>(type) - static_cast<std::size_t>(kFirstCrc)];
}

// One step and its single correction, on the 16-bit accumulator. Wrapping on overflow (only
// possible with long runs of negative contributions) keeps the value modulo 256 intact.
std::int16_t Step(std::int16_t sum, int contribution, ChecksumType type) {
    int s = sum;
    switch (type) {
        case ChecksumType::NegativeSum:
        case ChecksumType::Modulo255Sum:
            s = static_cast<std::int16_t>(s - contribution);
            if (s < 0) {
                s += 256;
            }
            break;
        case ChecksumType::PositiveSum:
            s = static_cast<std::int16_t>(s + contribution);
            if (s > 255) {
                s -= 256;
            }
            break;
        case ChecksumType::Xor:
        case ChecksumType::Or:
            s = type == ChecksumType::Xor ? s ^ static_cast<std::int16_t>(contribution)
                                          : s | static_cast<std::int16_t>(contribution);
            if (s > 255) {
                s -= 256;
            }
            break;
        default:  // the CRCs are not folded here
            break;
    }
    return static_cast<std::int16_t>(s);
}

// True when the Ascii-notation text ends in a "^" that opens no pair.
bool EndsWithLoneCaret(std::string_view text) {
    bool caret = false;
    for (char c : text) {
        caret = !caret && c == kCaret;
    }
    return caret;
}

}  // namespace

std::optional<ChecksumType> ChecksumTypeFromLabel(std::string_view label) {
    for (std::size_t i = 0; i < kChecksumTypeLabels.size(); ++i) {
        if (label == kChecksumTypeLabels[i]) {
            return static_cast<ChecksumType>(i + 1);
        }
    }
    return std::nullopt;
}

bool IsCrc(ChecksumType type) {
    return type >= kFirstCrc;
}

std::uint8_t ComputeChecksum(std::string_view asciiText, ChecksumType type) {
    if (IsCrc(type)) {
        return 0;
    }
    std::int16_t sum = type == ChecksumType::Modulo255Sum ? 255 : 0;
    bool caret = false;
    for (char c : asciiText) {
        if (caret) {
            caret = false;
            sum = Step(sum, c == kCaretBar ? kCaretByte : Code(c) - kCaretOffset, type);
        } else if (c == kCaret) {
            caret = true;
        } else {
            sum = Step(sum, Code(c), type);
        }
    }
    return static_cast<std::uint8_t>(((sum % 256) + 256) % 256);
}

std::uint32_t ComputeCrc(std::string_view bytes, ChecksumType type) {
    return IsCrc(type) ? CrcOf(type).Compute(bytes) : 0;
}

std::string CrcBytes(std::uint32_t crc, ChecksumType type) {
    if (!IsCrc(type)) {
        return {};
    }
    const CrcModel& model = CrcOf(type).Model();
    const int count = model.width / 8;
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        const int shift = 8 * (model.reflected ? i : count - 1 - i);
        bytes.push_back(static_cast<char>((crc >> shift) & 0xFFu));
    }
    return bytes;
}

std::string AppendChecksum(std::string_view text, DisplayMode mode, std::string_view type) {
    const std::optional<ChecksumType> checksumType = ChecksumTypeFromLabel(type);
    if (!checksumType) {
        return std::string(text);
    }
    std::string ascii =
        mode == DisplayMode::Ascii ? std::string(text) : ChangeMode(text, mode, DisplayMode::Ascii);
    if (EndsWithLoneCaret(ascii)) {
        ascii.pop_back();
    }
    const std::string checksum =
        IsCrc(*checksumType)
            ? CrcBytes(ComputeCrc(EncodeTransmitBytes(ascii, DisplayMode::Ascii), *checksumType),
                       *checksumType)
            : std::string(1, static_cast<char>(ComputeChecksum(ascii, *checksumType)));
    for (const char b : checksum) {
        const WrittenByte& form = kAsciiForms[static_cast<unsigned char>(b)];
        ascii.append(form.chars.data(), form.size);
    }
    return mode == DisplayMode::Ascii ? ascii : ChangeMode(ascii, DisplayMode::Ascii, mode);
}

}  // namespace kestrum
