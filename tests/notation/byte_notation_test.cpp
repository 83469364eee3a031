#include "notation/byte_notation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

namespace kestrum {
namespace {

using enum DisplayMode;

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int v : values) {
        bytes.push_back(static_cast<char>(v));
    }
    return bytes;
}

// Reference writers, independent of the code under test: one token per byte.
std::string HexOf(const std::string& bytes) {
    std::string text;
    char token[16];
    for (unsigned char b : bytes) {
        std::snprintf(token, sizeof token, "%02X ", b);
        text += token;
    }
    return text;
}

std::string DecimalOf(const std::string& bytes) {
    std::string text;
    char token[16];
    for (unsigned char b : bytes) {
        std::snprintf(token, sizeof token, "%03u ", b);
        text += token;
    }
    return text;
}

std::string AllBytes() {
    std::string bytes;
    for (int v = 0; v < 256; ++v) {
        bytes.push_back(static_cast<char>(v));
    }
    return bytes;
}

struct ConversionCase {
    const char* reason;
    std::string input;
    DisplayMode source;
    DisplayMode target;
    bool passThrough;
    std::string expected;
};

void ExpectConversions(const std::vector<ConversionCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(ChangeMode(c.input, c.source, c.target, c.passThrough), c.expected);
    }
}

struct TransmitCase {
    const char* reason;
    std::string text;
    DisplayMode mode;
    std::string expected;
};

void ExpectTransmits(const std::vector<TransmitCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(EncodeTransmitBytes(c.text, c.mode), c.expected);
    }
}

TEST(DisplayModeText, ListTextsAreExactAndRoundTrip) {
    for (DisplayMode mode : {Ascii, Hex, Decimal}) {
        EXPECT_EQ(DisplayModeFromText(DisplayModeText(mode)), mode);
    }
    EXPECT_EQ(DisplayModeText(Ascii), "Ascii");
    EXPECT_EQ(DisplayModeText(Hex), "Hex");
    EXPECT_EQ(DisplayModeText(Decimal), "Decimal");
    for (const char* text : {"ascii", "HEX", "Decimal ", "", "Binary"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(DisplayModeFromText(text), std::nullopt);
    }
}

TEST(ChangeMode, WorkedExamples) {
    ExpectConversions({
        {"caret pairs become their bytes", "AB^M^J", Ascii, Hex, false, "41 42 0D 0A "},
        {"Decimal pads to three digits", "AB^M^J", Ascii, Decimal, false, "065 066 013 010 "},
        {"lower-case Hex digits, escape as a pair", "1b 41", Hex, Ascii, false, "^[A"},
        {"94 as ^|, 127 as itself", "41 5E 7F", Hex, Ascii, false, "A^|\x7F"},
        {"pass-through writes raw Cr Lf", "013 010 ", Decimal, Ascii, true, "\r\n"},
        {"255 into Hex", "255 ", Decimal, Hex, false, "FF "},
    });
}

TEST(EncodeTransmitBytes, WorkedExamples) {
    ExpectTransmits({
        {"caret pairs", "AB^M^J", Ascii, Bytes({0x41, 0x42, 0x0D, 0x0A})},
        {"^| is the caret, trailing ^ sends nothing", "^|^", Ascii, Bytes({0x5E})},
        {"short last Hex token", "41 4", Hex, Bytes({0x41, 0x04})},
        {"Decimal without final separator", "065 066", Decimal, Bytes({0x41, 0x42})},
        {"Decimal above 255 is skipped, the rest sent", "256 001", Decimal, Bytes({0x01})},
    });
}

TEST(ChangeMode, TokenBoundaries) {
    ExpectConversions({
        {"empty Ascii", "", Ascii, Hex, false, ""},
        {"empty Hex", "", Hex, Ascii, false, ""},
        {"empty Decimal", "", Decimal, Hex, false, ""},
        {"separator is skipped unread", "41-42", Hex, Decimal, false, "065 066 "},
        {"any separator character",
         "41x42\x01"
         "43",
         Hex, Ascii, false, "ABC"},
        {"missing final separator keeps last byte", "41 42", Hex, Ascii, false, "AB"},
        {"short last Hex token", "41 4", Hex, Decimal, false, "065 004 "},
        {"short last Decimal token", "065 7", Decimal, Hex, false, "41 07 "},
        {"Decimal separator skipped unread", "065x066", Decimal, Hex, false, "41 42 "},
        {"spaces around Decimal digits", " 65 66  ", Decimal, Hex, false, "41 42 "},
    });
}

TEST(ChangeMode, AsciiCaretPairs) {
    ExpectConversions({
        {"lone caret converts to nothing", "^", Ascii, Hex, false, ""},
        {"lone caret at the end is dropped", "A^", Ascii, Decimal, false, "065 "},
        {"^^ is 30", "^^", Ascii, Hex, false, "1E "},
        {"30 is written back as ^^", "1E ", Hex, Ascii, false, "^^"},
        {"^| is 94", "^|", Ascii, Hex, false, "5E "},
        {"94 is written back as ^|", "094 ", Decimal, Ascii, false, "^|"},
        {"pair opened by the second char of ^^^M", "^^^M", Ascii, Hex, false, "1E 0D "},
        {"^ inside a pair does not open another", "^^M", Ascii, Hex, false, "1E 4D "},
        {"^@ is 0", "^@", Ascii, Decimal, false, "000 "},
        {"^a is 33", "^a", Ascii, Decimal, false, "033 "},
        {"raw Cr and Lf are their own bytes", "\r\n", Ascii, Hex, false, "0D 0A "},
        {"caret pair below 0 writes nothing", "A^1B", Ascii, Hex, false, "41 42 "},
        {"caret pair below 0 into Decimal", "^ ", Ascii, Decimal, false, ""},
    });
}

TEST(ChangeMode, WritingIntoAscii) {
    std::string high;
    std::string highHex;
    for (int v = 127; v < 256; ++v) {
        high.push_back(static_cast<char>(v));
    }
    highHex = HexOf(high);
    ExpectConversions({
        {"127..255 are their own characters", highHex, Hex, Ascii, false, high},
        {"control bytes as caret pairs", "00 1F 20 ", Hex, Ascii, false, "^@^_ "},
        {"Cr Lf as pairs without pass-through", "0D 0A ", Hex, Ascii, false, "^M^J"},
        {"pass-through only touches 13 and 10", "0D 0A 09 5E ", Hex, Ascii, true, "\r\n^I^|"},
        {"pass-through ignored for a Hex target", "AB^M", Ascii, Hex, true, "41 42 0D "},
    });
}

TEST(ChangeMode, PassThroughAppliesToOneCallOnly) {
    EXPECT_EQ(ChangeMode("013 010 ", Decimal, Ascii, true), "\r\n");
    EXPECT_EQ(ChangeMode("013 010 ", Decimal, Ascii), "^M^J");
    EXPECT_EQ(ChangeMode("0D 0A ", Hex, Ascii, true), "\r\n");
    EXPECT_EQ(ChangeMode("0D 0A ", Hex, Ascii), "^M^J");
}

TEST(ChangeMode, DecimalFailureKeepsWhatCameBefore) {
    ExpectConversions({
        {"0A0 is not a number", "065 0A0 066 ", Decimal, Hex, false, "41 "},
        {"first token fails", "0A0 065 ", Decimal, Ascii, false, ""},
        {"sign is not a number", "065 -01 066 ", Decimal, Hex, false, "41 "},
        {"space between digits", "065 6 6 066 ", Decimal, Ascii, false, "A"},
        {"token of spaces only", "065     066 ", Decimal, Hex, false, "41 "},
        {"above 255 into Ascii stops", "065 256 066 ", Decimal, Ascii, false, "A"},
        {"above 255 into Hex takes more digits", "999 ", Decimal, Hex, false, "3E7 "},
        {"256 into Hex", "065 256 066 ", Decimal, Hex, false, "41 100 42 "},
    });
}

TEST(ChangeMode, HexReadsLeniently) {
    ExpectConversions({
        {"reading stops at a non-digit", "4G ", Hex, Decimal, false, "004 "},
        {"no leading digit gives 0", "G4 ", Hex, Decimal, false, "000 "},
        {"a space before the digit gives 0", " 4 41 ", Hex, Decimal, false, "000 065 "},
        {"mixed case", "aB Cd ", Hex, Decimal, false, "171 205 "},
    });
}

TEST(ChangeMode, SameNotationReturnsInputUnchanged) {
    for (DisplayMode mode : {Ascii, Hex, Decimal}) {
        EXPECT_EQ(ChangeMode("^a 4g xyz", mode, mode), "^a 4g xyz");
    }
}

TEST(ChangeMode, AsciiRoundTripThroughHexNormalises) {
    struct Case {
        const char* reason;
        std::string ascii;
        bool passThrough;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"pair for a printable byte becomes the character", "^a", false, "!"},
        {"^| stays a pair", "^|", false, "^|"},
        {"pairs below 32 stay pairs", "^M^J^[", false, "^M^J^["},
        {"lone trailing caret dropped", "AB^", false, "AB"},
        {"pass-through turns ^M^J into Cr Lf", "OK^M^J", true, "OK\r\n"},
        {"raw Cr Lf become pairs without pass-through", "OK\r\n", false, "OK^M^J"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(ChangeMode(ChangeMode(c.ascii, Ascii, Hex), Hex, Ascii, c.passThrough),
                  c.expected);
    }
}

TEST(ChangeMode, EveryByteRoundTrips) {
    const std::string all = AllBytes();
    const std::string hex = HexOf(all);
    const std::string decimal = DecimalOf(all);

    const std::string ascii = ChangeMode(hex, Hex, Ascii);
    EXPECT_EQ(ChangeMode(ascii, Ascii, Hex), hex);
    EXPECT_EQ(ChangeMode(ascii, Ascii, Decimal), decimal);
    EXPECT_EQ(EncodeTransmitBytes(ascii, Ascii), all);
    EXPECT_EQ(ChangeMode(ChangeMode(decimal, Decimal, Hex), Hex, Decimal), decimal);
    EXPECT_EQ(ChangeMode(decimal, Decimal, Ascii), ascii);

    for (int v = 0; v < 256; ++v) {
        SCOPED_TRACE(v);
        const std::string one(1, static_cast<char>(v));
        const std::string oneAscii = ChangeMode(HexOf(one), Hex, Ascii);
        EXPECT_EQ(ChangeMode(oneAscii, Ascii, Hex), HexOf(one));
        EXPECT_EQ(EncodeTransmitBytes(oneAscii, Ascii), one);
        EXPECT_EQ(ChangeMode(ChangeMode(DecimalOf(one), Decimal, Hex), Hex, Decimal),
                  DecimalOf(one));
        EXPECT_EQ(EncodeTransmitBytes(HexOf(one), Hex), one);
        EXPECT_EQ(EncodeTransmitBytes(DecimalOf(one), Decimal), one);
    }
}

// Long enough that results are built over many internal chunks.
TEST(ChangeMode, LongTextsMatchReferenceWriters) {
    std::string bytes;
    for (int i = 0; i < 20000; ++i) {
        bytes.push_back(static_cast<char>((i * 37 + i / 256) % 256));
    }
    const std::string hex = HexOf(bytes);
    const std::string decimal = DecimalOf(bytes);
    const std::string ascii = ChangeMode(hex, Hex, Ascii);
    EXPECT_EQ(ChangeMode(ascii, Ascii, Hex), hex);
    EXPECT_EQ(ChangeMode(ascii, Ascii, Decimal), decimal);
    EXPECT_EQ(ChangeMode(hex, Hex, Decimal), decimal);
    EXPECT_EQ(ChangeMode(decimal, Decimal, Hex), hex);
    EXPECT_EQ(ChangeMode(decimal, Decimal, Ascii), ascii);
    for (DisplayMode mode : {Ascii, Hex, Decimal}) {
        SCOPED_TRACE(static_cast<int>(mode));
        EXPECT_EQ(EncodeTransmitBytes(ChangeMode(hex, Hex, mode), mode), bytes);
    }
    std::string wide;
    for (int i = 0; i < 5000; ++i) {
        wide += "999 ";
    }
    const std::string wideHex = ChangeMode(wide, Decimal, Hex);
    EXPECT_EQ(wideHex.size(), wide.size());
    EXPECT_EQ(wideHex.substr(wideHex.size() - 8), "3E7 3E7 ");
}

TEST(EncodeTransmitBytes, SkipsTokensThatGiveNoByte) {
    ExpectTransmits({
        {"empty sends nothing", "", Ascii, ""},
        {"lone caret sends nothing", "^", Ascii, ""},
        {"caret pair below 0 skipped", "A^1B", Ascii, "AB"},
        {"^@ is byte 0", "^@", Ascii, Bytes({0})},
        {"^^ is 30", "^^", Ascii, Bytes({30})},
        {"high bytes are themselves", "\xFF\x80", Ascii, Bytes({0xFF, 0x80})},
        {"either case of Hex digit", "ff 0a ", Hex, Bytes({0xFF, 0x0A})},
        {"non-hex token skipped, rest sent", "4G 41 ", Hex, Bytes({0x41})},
        {"token holding a space skipped", "41 4 ", Hex, Bytes({0x41})},
        {"separator unread", "41-42", Hex, Bytes({0x41, 0x42})},
        {"not a number skipped, rest sent", "0A0 065 ", Decimal, Bytes({0x41})},
        {"above 255 skipped", "999 066 ", Decimal, Bytes({0x42})},
        {"short last Decimal token", "065 7", Decimal, Bytes({0x41, 0x07})},
        {"spaces around Decimal digits", "65  66 ", Decimal, Bytes({65, 66})},
        {"zero is a byte", "000 00 ", Decimal, Bytes({0, 0})},
    });
}

}  // namespace
}  // namespace kestrum
