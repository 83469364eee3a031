#pragma once
// The one-byte checksums appended by the checksum calculator.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "notation/byte_notation.h"

namespace kestrum {

// The five checksum types, in list order; each is known everywhere by its label.
enum class ChecksumType : std::int16_t {
    NegativeSum = 1,  // two's complement of the 8-bit sum
    Modulo255Sum,     // one's complement of the 8-bit sum (arithmetic modulo 256 from 255)
    PositiveSum,      // the 8-bit sum
    Xor,
    Or,
};

// The five labels, in list order, exactly as shown (two spaces before each "(").
extern const std::array<std::string_view, 5> kChecksumTypeLabels;

// The type whose label equals `label` exactly; nullopt for any other text (the blank entry).
std::optional<ChecksumType> ChecksumTypeFromLabel(std::string_view label);

// Folds the bytes of an Ascii-notation string into one checksum byte. Caret pairs are read
// without checking the second character: a pair such as "^1" contributes its negative value
// (code minus 64). The accumulator is a signed 16-bit value corrected at most once per step, as
// the devices expect; when negative contributions leave it outside 0..255 the checksum is the
// accumulator reduced modulo 256. A "^" that ends the string contributes nothing.
// Example: "abc" gives 218 (NegativeSum), 217, 38, 96, 99 (Or).
std::uint8_t ComputeChecksum(std::string_view asciiText, ChecksumType type);

// Returns `text` (in notation `mode`) with the checksum byte of type `type` (a label of
// kChecksumTypeLabels) appended, in the same notation. Hex and Decimal text is first read as
// ChangeMode reads it and comes back in the written form of its notation, ending with a space.
// In Ascii notation the text is kept as it stands, except that a lone "^" ending it is dropped
// (left in place it would pair with the appended character and send a different byte).
// A label that is not one of the five gives `text` unchanged. Never fails.
// Example: AppendChecksum("61 62 63 ", Hex, kChecksumTypeLabels[0]) == "61 62 63 DA ".
std::string AppendChecksum(std::string_view text, DisplayMode mode, std::string_view type);

}  // namespace kestrum
