#pragma once
// The checksums appended by the checksum calculator: five one-byte sums and seven CRCs.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "notation/byte_notation.h"

namespace kestrum {

// The checksum types, in list order; each is known everywhere by its label. The CRCs follow
// the five sums, whose places and labels stay as they always were.
enum class ChecksumType : std::int16_t {
    NegativeSum = 1,  // two's complement of the 8-bit sum
    Modulo255Sum,     // one's complement of the 8-bit sum (arithmetic modulo 256 from 255)
    PositiveSum,      // the 8-bit sum
    Xor,
    Or,
    Crc8Smbus,        // poly 07
    Crc8Maxim,        // poly 31 reflected (Dallas 1-Wire)
    Crc16Modbus,      // poly 8005 reflected, init FFFF
    Crc16CcittFalse,  // poly 1021, init FFFF
    Crc16Xmodem,      // poly 1021, init 0
    Crc16Kermit,      // poly 1021 reflected, init 0
    Crc32,            // poly 04C11DB7 reflected, init and final xor FFFFFFFF
};

inline constexpr std::size_t kChecksumTypeCount = 12;

// The labels, in list order, exactly as shown (two spaces before each "(").
extern const std::array<std::string_view, kChecksumTypeCount> kChecksumTypeLabels;

// The type whose label equals `label` exactly; nullopt for any other text (the blank entry).
std::optional<ChecksumType> ChecksumTypeFromLabel(std::string_view label);

bool IsCrc(ChecksumType type);

// Folds the bytes of an Ascii-notation string into one checksum byte. Caret pairs are read
// without checking the second character: a pair such as "^1" contributes its negative value
// (code minus 64). The accumulator is a signed 16-bit value corrected at most once per step, as
// the devices expect; when negative contributions leave it outside 0..255 the checksum is the
// accumulator reduced modulo 256. A "^" that ends the string contributes nothing.
// Example: "abc" gives 218 (NegativeSum), 217, 38, 96, 99 (Or). For the five sums only; a CRC
// type gives 0.
std::uint8_t ComputeChecksum(std::string_view asciiText, ChecksumType type);

// The CRC of type `type` over raw bytes (one char = one byte), as a number of 8, 16 or 32
// bits. Example: "123456789" gives 0x4B37 for Crc16Modbus. A sum type gives 0.
std::uint32_t ComputeCrc(std::string_view bytes, ChecksumType type);

// The bytes a CRC value is appended as: 1, 2 or 4 of them, low byte first for the reflected
// models (Modbus, Kermit, CRC-32) and high byte first for the others, the order in which the
// CRC's own bits run, so that a receiver can run the CRC over message and CRC together.
// Example: 0x4B37 for Crc16Modbus gives "\x37\x4B". Empty for a sum type.
std::string CrcBytes(std::uint32_t crc, ChecksumType type);

// Returns `text` (in notation `mode`) with the checksum of type `type` (a label of
// kChecksumTypeLabels) appended, in the same notation: the sum byte, or the CrcBytes of a CRC.
// Hex and Decimal text is first read as ChangeMode reads it and comes back in the written form
// of its notation, ending with a space; a CRC covers the bytes of that rewritten text, which are
// the bytes the result sends before its CRC. In Ascii notation the text is kept as it stands,
// except that a lone "^" ending it is dropped (left in place it would pair with the appended
// character and send a different byte); a CRC covers the bytes the text sends, so a caret pair
// that stands for no byte adds nothing to it.
// A label that is not in the list gives `text` unchanged. Never fails.
// Example: AppendChecksum("61 62 63 ", Hex, kChecksumTypeLabels[0]) == "61 62 63 DA ", and
// "123456789" in Ascii with the CRC-16/MODBUS label gives "1234567897K".
std::string AppendChecksum(std::string_view text, DisplayMode mode, std::string_view type);

}  // namespace kestrum
