#include "notation/checksum.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace kestrum {
namespace {

using enum DisplayMode;

const std::string_view kNegative = kChecksumTypeLabels[0];
const std::string_view kModulo255 = kChecksumTypeLabels[1];
const std::string_view kPositive = kChecksumTypeLabels[2];
const std::string_view kXor = kChecksumTypeLabels[3];
const std::string_view kOr = kChecksumTypeLabels[4];
const std::string_view kSmbus = kChecksumTypeLabels[5];
const std::string_view kModbus = kChecksumTypeLabels[7];
const std::string_view kXmodem = kChecksumTypeLabels[9];

// The published CRC models, with their check values over "123456789" and the Hex bytes that
// check value is appended as.
struct CrcCase {
    std::string_view label;
    int width;
    std::uint32_t poly;
    std::uint32_t init;
    bool reflected;
    std::uint32_t xorOut;
    std::uint32_t check;
    std::string checkHex;
    std::string emptyHex;
};

const CrcCase kCrcCases[] = {
    {"CRC-8  (SMBus)", 8, 0x07, 0, false, 0, 0xF4, "F4 ", "00 "},
    {"CRC-8/MAXIM  (1-Wire)", 8, 0x31, 0, true, 0, 0xA1, "A1 ", "00 "},
    {"CRC-16/MODBUS  (low byte first)", 16, 0x8005, 0xFFFF, true, 0, 0x4B37, "37 4B ", "FF FF "},
    {"CRC-16/CCITT-FALSE  (high byte first)", 16, 0x1021, 0xFFFF, false, 0, 0x29B1, "29 B1 ",
     "FF FF "},
    {"CRC-16/XMODEM  (high byte first)", 16, 0x1021, 0, false, 0, 0x31C3, "31 C3 ", "00 00 "},
    {"CRC-16/KERMIT  (low byte first)", 16, 0x1021, 0, true, 0, 0x2189, "89 21 ", "00 00 "},
    {"CRC-32  (low byte first)", 32, 0x04C11DB7, 0xFFFFFFFF, true, 0xFFFFFFFF, 0xCBF43926,
     "26 39 F4 CB ", "00 00 00 00 "},
};

// One message bit at a time through the shift register: nothing in common with the tables.
std::uint32_t BitwiseCrc(std::string_view bytes, const CrcCase& m) {
    const std::uint32_t top = 1u << (m.width - 1);
    const std::uint32_t mask = static_cast<std::uint32_t>((std::uint64_t{1} << m.width) - 1);
    std::uint32_t crc = m.init;
    for (const char c : bytes) {
        for (int bit = 0; bit < 8; ++bit) {
            const bool in = (static_cast<unsigned char>(c) >> (m.reflected ? bit : 7 - bit) & 1);
            const bool out = (crc & top) != 0;
            crc = (crc << 1) & mask;
            if (in != out) {
                crc ^= m.poly;
            }
        }
    }
    if (m.reflected) {
        std::uint32_t reflected = 0;
        for (int bit = 0; bit < m.width; ++bit) {
            reflected = reflected << 1 | (crc >> bit & 1);
        }
        crc = reflected;
    }
    return crc ^ m.xorOut;
}

TEST(ChecksumLabels, OnlyTheListsLabelsNameTypes) {
    EXPECT_EQ(ChecksumTypeFromLabel(kModulo255), ChecksumType::Modulo255Sum);
    for (std::size_t i = 0; i < std::size(kCrcCases); ++i) {
        EXPECT_EQ(kChecksumTypeLabels[5 + i], kCrcCases[i].label) << "the CRCs follow the sums";
    }
    for (const char* label : {"", "xor", "Modulo 255 Sum (Dolby CP500)", "CRC-32"}) {
        EXPECT_EQ(ChecksumTypeFromLabel(label), std::nullopt) << label;
    }
}

TEST(AppendChecksum, WorkedExamplesOverAbc) {
    struct Case {
        std::string_view type;
        std::string ascii;
        std::string hex;
    };
    const Case cases[] = {
        {kNegative, "abc\xDA", "61 62 63 DA "}, {kModulo255, "abc\xD9", "61 62 63 D9 "},
        {kPositive, "abc&", "61 62 63 26 "},    {kXor, "abc`", "61 62 63 60 "},
        {kOr, "abcc", "61 62 63 63 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(AppendChecksum("abc", Ascii, c.type), c.ascii);
        EXPECT_EQ(AppendChecksum("61 62 63 ", Hex, c.type), c.hex);
    }
}

TEST(AppendChecksum, EdgeCases) {
    struct Case {
        const char* reason;
        std::string text;
        DisplayMode mode;
        std::string_view type;
        std::string expected;
    };
    const Case cases[] = {
        {"empty gives start value 0 as ^@", "", Ascii, kXor, "^@"},
        {"empty modulo 255 in Hex", "", Hex, kModulo255, "FF "},
        {"^M^J positive is 23 as ^W", "^M^J", Ascii, kPositive, "^M^J^W"},
        {"^| counts as 94, sum 94 as ^|", "^|", Ascii, kPositive, "^|^|"},
        {"checksum 13 as a pair, never raw", "\r", Ascii, kPositive, "\r^M"},
        {"^^ is a pair, not a lone caret", "^^", Ascii, kPositive, "^^^^"},
        {"^^^ ends in a lone caret", "^^^", Ascii, kPositive, "^^^^"},
        {"Ascii text kept as it stands", "^a", Ascii, kPositive, "^a!"},
        {"Hex bytes below 32 survive the Ascii step", "0D 0A ", Hex, kPositive, "0D 0A 17 "},
        {"Decimal failure truncates", "097 0A0 099 ", Decimal, kPositive, "097 097 "},
        {"CRC caret pairs in and out", "^A^C", Ascii, kXmodem, "^A^C^CR"},
        {"a pair for no byte is kept, not in the CRC", "A^1B", Ascii, kModbus, "A^1B\xB1\xD1"},
        {"CRC over lenient Hex as rewritten", "4G", Hex, kSmbus, "04 1C "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(AppendChecksum(c.text, c.mode, c.type), c.expected);
    }
    // The list's blank entry, or any other text, leaves the string exactly as it was (not
    // even rewritten in its notation).
    EXPECT_EQ(AppendChecksum("abc^", Ascii, ""), "abc^");
    EXPECT_EQ(AppendChecksum("61 6", Hex, "Checksum"), "61 6");
}

TEST(Crc, KnownAnswersAndTheBitwiseReference) {
    std::string longBytes;  // many rounds of eight and a tail
    for (int i = 0; i < 1003; ++i) {
        longBytes.push_back(static_cast<char>(i * 37 + (i >> 3)));
    }
    const std::string texts[] = {"123456789", "",       "^M^J^|x^@^[", "\xE9t\xE9 \xFF\x80\xA0",
                                 "A^1B",      longBytes};
    for (const CrcCase& m : kCrcCases) {
        SCOPED_TRACE(m.label);
        const ChecksumType type = *ChecksumTypeFromLabel(m.label);
        EXPECT_EQ(ComputeCrc("123456789", type), m.check);
        EXPECT_EQ(ComputeCrc("", type), m.init ^ m.xorOut);
        EXPECT_EQ(AppendChecksum("31 32 33 34 35 36 37 38 39 ", Hex, m.label),
                  "31 32 33 34 35 36 37 38 39 " + m.checkHex);
        EXPECT_EQ(AppendChecksum("", Hex, m.label), m.emptyHex);
        for (const std::string& text : texts) {
            const std::string bytes = EncodeTransmitBytes(text, Ascii);
            EXPECT_EQ(ComputeCrc(bytes, type), BitwiseCrc(bytes, m)) << text;
        }
    }
}

// "^0" contributes 48 - 64 = -16 and "^ " -32: the single corrections cannot bring such sums
// back into a byte, so the checksum is reduced modulo 256.
TEST(ComputeChecksum, NegativeContributionsAndLongRunsReduceModulo256) {
    struct Case {
        const char* reason;
        std::string ascii;
        ChecksumType type;
        int expected;
    };
    std::string pairs;  // past 32,767 in a 16-bit accumulator
    for (int i = 0; i < 5000; ++i) {
        pairs += "^0";
    }
    const Case cases[] = {
        {"positive sum below 0 reduces", "^0", ChecksumType::PositiveSum, 240},
        {"negative sum above 255 reduces", "\xFF^ ^ ", ChecksumType::NegativeSum, 65},
        {"xor with a negative contribution", "^0", ChecksumType::Xor, 240},
        {"or with a negative contribution", "A^0", ChecksumType::Or, 0xF1},
        {"modulo 255 start plus", "^0", ChecksumType::Modulo255Sum, 15},
        {"long negative run, negative sum", pairs, ChecksumType::NegativeSum, 80000 % 256},
        {"long negative run, positive sum", pairs, ChecksumType::PositiveSum, 256 - 80000 % 256},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(ComputeChecksum(c.ascii, c.type), c.expected);
    }
}

}  // namespace
}  // namespace kestrum
