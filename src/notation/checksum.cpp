#include "notation/checksum.h"

#include "notation/notation_codec.h"

namespace kestrum {

using namespace notation_detail;

const std::array<std::string_view, 5> kChecksumTypeLabels = {
    "Negative Two's Complement Sum  (Orvane/Dynalite Dimmers)",
    "Modulo 255 Sum  (Dolby CP500)",
    "Positive Two's Complement Sum",
    "XOR",
    "OR",
};

namespace {

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

std::uint8_t ComputeChecksum(std::string_view asciiText, ChecksumType type) {
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
    const WrittenByte& checksum = kAsciiForms[ComputeChecksum(ascii, *checksumType)];
    ascii.append(checksum.chars.data(), checksum.size);
    return mode == DisplayMode::Ascii ? ascii : ChangeMode(ascii, DisplayMode::Ascii, mode);
}

}  // namespace kestrum
