#include "notation/checksum.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrum {
namespace {

using enum DisplayMode;

const std::string_view kNegative = kChecksumTypeLabels[0];
const std::string_view kModulo255 = kChecksumTypeLabels[1];
const std::string_view kPositive = kChecksumTypeLabels[2];
const std::string_view kXor = kChecksumTypeLabels[3];
const std::string_view kOr = kChecksumTypeLabels[4];

struct AppendCase {
    const char* reason;
    std::string text;
    DisplayMode mode;
    std::string_view type;
    std::string expected;
};

void ExpectAppends(const std::vector<AppendCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(AppendChecksum(c.text, c.mode, c.type), c.expected);
    }
}

TEST(ChecksumLabels, ExactTextsInListOrder) {
    EXPECT_EQ(kNegative, "Negative Two's Complement Sum  (Orvane/Dynalite Dimmers)");
    EXPECT_EQ(kModulo255, "Modulo 255 Sum  (Dolby CP500)");
    EXPECT_EQ(kPositive, "Positive Two's Complement Sum");
    EXPECT_EQ(kXor, "XOR");
    EXPECT_EQ(kOr, "OR");
    EXPECT_EQ(ChecksumTypeFromLabel(kModulo255), ChecksumType::Modulo255Sum);
    for (const char* label :
         {"", "xor", "Modulo 255 Sum (Dolby CP500)", "OR ", "Negative Two's Complement Sum"}) {
        SCOPED_TRACE(label);
        EXPECT_EQ(ChecksumTypeFromLabel(label), std::nullopt);
    }
}

TEST(AppendChecksum, WorkedExamplesOverAbc) {
    ExpectAppends({
        {"negative, Ascii", "abc", Ascii, kNegative, "abc\xDA"},
        {"negative, Hex", "61 62 63 ", Hex, kNegative, "61 62 63 DA "},
        {"negative, Decimal", "097 098 099 ", Decimal, kNegative, "097 098 099 218 "},
        {"modulo 255, Ascii", "abc", Ascii, kModulo255, "abc\xD9"},
        {"modulo 255, Hex", "61 62 63 ", Hex, kModulo255, "61 62 63 D9 "},
        {"modulo 255, Decimal", "097 098 099 ", Decimal, kModulo255, "097 098 099 217 "},
        {"positive, Ascii", "abc", Ascii, kPositive, "abc&"},
        {"positive, Hex", "61 62 63 ", Hex, kPositive, "61 62 63 26 "},
        {"positive, Decimal", "097 098 099 ", Decimal, kPositive, "097 098 099 038 "},
        {"xor, Ascii", "abc", Ascii, kXor, "abc`"},
        {"xor, Hex", "61 62 63 ", Hex, kXor, "61 62 63 60 "},
        {"xor, Decimal", "097 098 099 ", Decimal, kXor, "097 098 099 096 "},
        {"or, Ascii", "abc", Ascii, kOr, "abcc"},
        {"or, Hex", "61 62 63 ", Hex, kOr, "61 62 63 63 "},
        {"or, Decimal", "097 098 099 ", Decimal, kOr, "097 098 099 099 "},
    });
}

TEST(AppendChecksum, EdgeCases) {
    ExpectAppends({
        {"empty gives start value 0 as ^@", "", Ascii, kNegative, "^@"},
        {"empty xor", "", Ascii, kXor, "^@"},
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
    });
}

TEST(AppendChecksum, BlankTypeLeavesTextUnchanged) {
    for (DisplayMode mode : {Ascii, Hex, Decimal}) {
        SCOPED_TRACE(static_cast<int>(mode));
        for (const char* text : {"", "abc^", "61 6", "0A0 "}) {
            EXPECT_EQ(AppendChecksum(text, mode, ""), text);
            EXPECT_EQ(AppendChecksum(text, mode, "Checksum"), text);
        }
    }
}

TEST(ComputeChecksum, NegativeContributionsReduceModulo256) {
    struct Case {
        const char* reason;
        std::string ascii;
        ChecksumType type;
        int expected;
    };
    // "^0" contributes 48 - 64 = -16; "^ " contributes -32.
    const std::vector<Case> cases = {
        {"positive sum below 0 reduces", "^0", ChecksumType::PositiveSum, 240},
        {"negative sum above 255 reduces", "\xFF^ ^ ", ChecksumType::NegativeSum, 65},
        {"xor with a negative contribution", "^0", ChecksumType::Xor, 240},
        {"or with a negative contribution", "A^0", ChecksumType::Or, 0xF1},
        {"modulo 255 start plus", "^0", ChecksumType::Modulo255Sum, 15},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(ComputeChecksum(c.ascii, c.type), c.expected);
    }
}

TEST(ComputeChecksum, LongRunsMatchClosedFormsDespite16BitAccumulator) {
    // 5,000 pairs of -16 push the negative sum past 32,767; the byte must still be (-sum) mod 256.
    std::string pairs;
    for (int i = 0; i < 5000; ++i) {
        pairs += "^0";
    }
    EXPECT_EQ(ComputeChecksum(pairs, ChecksumType::NegativeSum), (5000 * 16) % 256);
    EXPECT_EQ(ComputeChecksum(pairs, ChecksumType::PositiveSum), ((-5000 * 16) % 256 + 256) % 256);

    // Every byte value once: sum 32,640.
    std::string all;
    for (int v = 0; v < 256; ++v) {
        all.push_back(static_cast<char>(v == 94 ? 'A' : v));
    }
    const int sum = 32640 - 94 + 'A';
    EXPECT_EQ(ComputeChecksum(all, ChecksumType::PositiveSum), sum % 256);
    EXPECT_EQ(ComputeChecksum(all, ChecksumType::NegativeSum), (256 - sum % 256) % 256);
    EXPECT_EQ(ComputeChecksum(all, ChecksumType::Modulo255Sum), ((255 - sum) % 256 + 256) % 256);
    EXPECT_EQ(ComputeChecksum(all, ChecksumType::Or), 255);
}

}  // namespace
}  // namespace kestrum
