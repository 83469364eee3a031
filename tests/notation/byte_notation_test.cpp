#include "notation/byte_notation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace kestrum {
namespace {

using enum DisplayMode;
using namespace std::string_literals;

// Reference writer, independent of the code under test: one printf token per byte.
std::string Tokens(const std::string& bytes, const char* format) {
    std::string text;
    char token[16];
    for (unsigned char b : bytes) {
        std::snprintf(token, sizeof token, format, b);
        text += token;
    }
    return text;
}

TEST(ChangeMode, ConvertsByTheTokenRules) {
    std::string high;  // bytes 127..255
    for (int v = 127; v < 256; ++v) {
        high.push_back(static_cast<char>(v));
    }
    struct Case {
        const char* reason;
        std::string input;
        DisplayMode source;
        DisplayMode target;
        bool passThrough;
        std::string expected;
    };
    const Case cases[] = {
        // The worked examples.
        {"caret pairs become their bytes", "AB^M^J", Ascii, Hex, false, "41 42 0D 0A "},
        {"Decimal pads to three digits", "AB^M^J", Ascii, Decimal, false, "065 066 013 010 "},
        {"lower-case Hex digits, escape as a pair", "1b 41", Hex, Ascii, false, "^[A"},
        {"94 as ^|, 127 as itself", "41 5E 7F", Hex, Ascii, false, "A^|\x7F"},
        {"pass-through writes raw Cr Lf", "013 010 ", Decimal, Ascii, true, "\r\n"},
        {"pass-through is one-shot: the next call writes pairs", "013 010 ", Decimal, Ascii, false,
         "^M^J"},
        {"255 into Hex", "255 ", Decimal, Hex, false, "FF "},
        // Tokens and separators.
        {"empty Ascii", "", Ascii, Hex, false, ""},
        {"empty Hex", "", Hex, Ascii, false, ""},
        {"Hex separator skipped unread", "41-42", Hex, Decimal, false, "065 066 "},
        {"missing final separator keeps last byte", "41 42", Hex, Ascii, false, "AB"},
        {"short last Hex token", "41 4", Hex, Decimal, false, "065 004 "},
        {"short last Decimal token", "065 7", Decimal, Hex, false, "41 07 "},
        {"Decimal separator skipped unread", "065x066", Decimal, Hex, false, "41 42 "},
        {"spaces around Decimal digits", " 65 66  ", Decimal, Hex, false, "41 42 "},
        {"same notation gives the input as it stands", "^a 4g xyz", Hex, Hex, false, "^a 4g xyz"},
        // Caret pairs: the flag is carried from one token to the next.
        {"lone caret at the end is dropped", "A^", Ascii, Decimal, false, "065 "},
        {"^^ is 30", "^^", Ascii, Hex, false, "1E "},
        {"30 is written back as ^^", "1E ", Hex, Ascii, false, "^^"},
        {"^| is 94", "^|", Ascii, Hex, false, "5E "},
        {"a caret that closes a pair opens none", "^^^M", Ascii, Hex, false, "1E 0D "},
        {"^@ is 0, ^a is 33", "^@^a", Ascii, Decimal, false, "000 033 "},
        {"raw Cr and Lf are their own bytes", "\r\n", Ascii, Hex, false, "0D 0A "},
        {"caret pair below 0 writes nothing", "A^1B", Ascii, Hex, false, "41 42 "},
        // Writing into Ascii.
        {"127..255 are their own characters", Tokens(high, "%02X "), Hex, Ascii, false, high},
        {"control bytes as caret pairs", "00 1F 20 ", Hex, Ascii, false, "^@^_ "},
        {"pass-through only touches 13 and 10", "0D 0A 09 5E ", Hex, Ascii, true, "\r\n^I^|"},
        // A Decimal failure keeps what came before it.
        {"0A0 (or a sign, a space between digits) is not a number", "065 0A0 066 ", Decimal, Hex,
         false, "41 "},
        {"token of spaces only", "065     066 ", Decimal, Hex, false, "41 "},
        {"above 255 into Ascii stops", "065 256 066 ", Decimal, Ascii, false, "A"},
        {"256 into Hex", "065 256 066 ", Decimal, Hex, false, "41 100 42 "},
        // Hex is read leniently and never fails.
        {"reading stops at a non-digit", "4G ", Hex, Decimal, false, "004 "},
        {"no leading digit (a space too) gives 0", "G4 ", Hex, Decimal, false, "000 "},
        {"mixed case", "aB Cd ", Hex, Decimal, false, "171 205 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(ChangeMode(c.input, c.source, c.target, c.passThrough), c.expected);
    }
}

// Every byte value in every neighbourhood, long enough that results are built over many
// internal chunks: Ascii to Hex to Ascii and Decimal to Hex to Decimal give the bytes back.
TEST(ChangeMode, EveryByteRoundTripsInLongTexts) {
    std::string bytes;
    for (int i = 0; i < 20000; ++i) {
        bytes.push_back(static_cast<char>((i * 37 + i / 256) % 256));
    }
    const std::string hex = Tokens(bytes, "%02X ");
    const std::string decimal = Tokens(bytes, "%03u ");
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

// Pieces cut anywhere, even inside a token or a caret pair, give what the whole text gives.
TEST(ModeConverter, PiecesCutAnywhereGiveWhatChangeModeGives) {
    std::string all;
    for (int v = 0; v < 256; ++v) {
        all.push_back(static_cast<char>(v));
    }
    struct Case {
        const char* reason;
        std::string input;
        DisplayMode source;
        DisplayMode target;
    };
    const Case cases[] = {
        {"caret pairs, a caret pair of the caret", "AB^^^|^M^J^1x^", Ascii, Hex},
        {"every byte into Decimal", ChangeMode(all, Ascii, Hex), Hex, Decimal},
        {"every byte into Ascii, CR and LF raw", ChangeMode(all, Ascii, Hex), Hex, Ascii},
        {"lenient Hex tokens and a short last one", "4G  4 7F 4", Hex, Ascii},
        {"a wide value goes into Hex", "065 999 066 12", Decimal, Hex},
        {"a token that is no number ends it", "065 0x6 067 ", Decimal, Hex},
        {"a value above 255 ends Ascii", "065 256 067 ", Decimal, Ascii},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        const std::string expected = ChangeMode(c.input, c.source, c.target, true);
        ModeConverter converter(c.source, c.target, true);
        for (std::size_t cut = 1; cut <= 5; ++cut) {
            std::string out = "kept ";
            for (std::size_t at = 0; at < c.input.size(); at += cut) {
                converter.Feed(std::string_view(c.input).substr(at, cut), out);
            }
            converter.Finish(out);
            EXPECT_EQ(out, "kept " + expected) << "pieces of " << cut;
        }
    }
}

TEST(EncodeTransmitBytes, SendsOneBytePerTokenAndSkipsTokensThatGiveNone) {
    struct Case {
        const char* reason;
        std::string text;
        DisplayMode mode;
        std::string expected;
    };
    const Case cases[] = {
        // The worked examples.
        {"caret pairs", "AB^M^J", Ascii, "AB\r\n"},
        {"^| is the caret, trailing ^ sends nothing", "^|^", Ascii, "^"},
        {"short last Hex token", "41 4", Hex, "A\x04"},
        {"Decimal without final separator", "065 066", Decimal, "AB"},
        {"Decimal above 255 is skipped, the rest sent", "256 001", Decimal, "\x01"},
        // Tokens that give no byte, and bytes easily lost.
        {"empty sends nothing", "", Ascii, ""},
        {"caret pair below 0 skipped", "A^1B", Ascii, "AB"},
        {"^@ is byte 0, ^^ is 30", "^@^^", Ascii, "\0\x1E"s},
        {"high bytes are themselves", "\xFF\x80", Ascii, "\xFF\x80"},
        {"either case of Hex digit", "ff 0a ", Hex, "\xFF\n"},
        {"non-hex token skipped, rest sent", "4G 41 ", Hex, "A"},
        {"Hex separator unread", "41-42", Hex, "AB"},
        {"not a number skipped, rest sent", "0A0 065 ", Decimal, "A"},
        {"short last Decimal token", "065 7", Decimal, "A\x07"},
        {"spaces around Decimal digits", "65  66 ", Decimal, "AB"},
        {"zero is a byte", "000 00 ", Decimal, "\0\0"s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(EncodeTransmitBytes(c.text, c.mode), c.expected);
    }
}

}  // namespace
}  // namespace kestrum
