#include "notation/checksum.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrum {
namespace {

using enum DisplayMode;

const std::string_view kNegative = kChecksumTypeLabels[0];
const std::string_view kModulo255 = kChecksumTypeLabels[1];
const std::string_view kPositive = kChecksumTypeLabels[2];
const std::string_view kXor = kChecksumTypeLabels[3];
const std::string_view kOr = kChecksumTypeLabels[4];

TEST(ChecksumLabels, ExactTextsInListOrderAndOnlyThoseAreTypes) {
    EXPECT_EQ(kNegative, "Negative Two's Complement Sum  (Orvane/Dynalite Dimmers)");
    EXPECT_EQ(kModulo255, "Modulo 255 Sum  (Dolby CP500)");
    EXPECT_EQ(kPositive, "Positive Two's Complement Sum");
    EXPECT_EQ(kXor, "XOR");
    EXPECT_EQ(kOr, "OR");
    EXPECT_EQ(ChecksumTypeFromLabel(kModulo255), ChecksumType::Modulo255Sum);
    for (const char* label :
         {"", "xor", "Modulo 255 Sum (Dolby CP500)", "OR ", "Negative Two's Complement Sum"}) {
        EXPECT_EQ(ChecksumTypeFromLabel(label), std::nullopt) << label;
    }
}

TEST(AppendChecksum, WorkedExamplesOverAbc) {
    struct Case {
        std::string_view type;
        std::string ascii;
        std::string hex;
        std::string decimal;
    };
    const Case cases[] = {
        {kNegative, "abc\xDA", "61 62 63 DA ", "097 098 099 218 "},
        {kModulo255, "abc\xD9", "61 62 63 D9 ", "097 098 099 217 "},
        {kPositive, "abc&", "61 62 63 26 ", "097 098 099 038 "},
        {kXor, "abc`", "61 62 63 60 ", "097 098 099 096 "},
        {kOr, "abcc", "61 62 63 63 ", "097 098 099 099 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(AppendChecksum("abc", Ascii, c.type), c.ascii);
        EXPECT_EQ(AppendChecksum("61 62 63 ", Hex, c.type), c.hex);
        EXPECT_EQ(AppendChecksum("097 098 099 ", Decimal, c.type), c.decimal);
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
        {"empty modulo 255 in Decimal", "", Decimal, kModulo255, "255 "},
        {"^M^J positive is 23 as ^W", "^M^J", Ascii, kPositive, "^M^J^W"},
        {"^M^J negative is 233", "^M^J", Ascii, kNegative, "^M^J\xE9"},
        {"^| counts as 94, sum 94 as ^|", "^|", Ascii, kPositive, "^|^|"},
        {"sum 94 in Hex", "5E ", Hex, kPositive, "5E 5E "},
        {"checksum 13 as a pair, never raw", "\r", Ascii, kPositive, "\r^M"},
        {"lone trailing caret dropped", "abc^", Ascii, kNegative, "abc\xDA"},
        {"^^ is a pair, not a lone caret", "^^", Ascii, kPositive, "^^^^"},
        {"^^^ ends in a lone caret", "^^^", Ascii, kPositive, "^^^^"},
        {"Ascii text kept as it stands", "^a", Ascii, kPositive, "^a!"},
        {"Hex read leniently and rewritten", "61 62 63", Hex, kPositive, "61 62 63 26 "},
        {"Hex bytes below 32 survive the Ascii step", "0D 0A ", Hex, kPositive, "0D 0A 17 "},
        {"Decimal failure truncates", "097 0A0 099 ", Decimal, kPositive, "097 097 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(AppendChecksum(c.text, c.mode, c.type), c.expected);
    }
    // The list's blank entry, or any other text, leaves the string exactly as it was.
    for (DisplayMode mode : {Ascii, Hex, Decimal}) {
        for (const char* text : {"", "abc^", "61 6", "0A0 "}) {
            EXPECT_EQ(AppendChecksum(text, mode, ""), text);
            EXPECT_EQ(AppendChecksum(text, mode, "Checksum"), text);
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
