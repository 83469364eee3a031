#include "notation/received_formatter.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrum {
namespace {

using enum DisplayMode;

TEST(FormatReceived, ExamplesAndEdgeCases) {
    struct Case {
        const char* reason;
        std::string bytes;
        DisplayMode mode;
        bool processCrLf;
        std::string expected;
    };
    const Case cases[] = {
        {"Hex, Process Cr/Lf off", "Hi\r\n", Hex, false, "48 69 0D 0A "},
        {"Hex (as Decimal) ignores Process Cr/Lf", "Hi\r\n", Hex, true, "48 69 0D 0A "},
        {"Decimal ends with two spaces", "Hi\r\n", Decimal, false, "072 105 013 010  "},
        {"Ascii, Process Cr/Lf off", "Hi\r\n", Ascii, false, "Hi^M^J"},
        {"Ascii, Process Cr/Lf on", "Hi\r\n", Ascii, true, "Hi\r\n"},
        {"caret byte", "^", Ascii, true, "^|"},
        {"other controls stay pairs with Process Cr/Lf", "\t\x1B", Ascii, true, "^I^["},
        {"high bytes as themselves", "\x7F\xFF", Ascii, false, "\x7F\xFF"},
        {"high bytes in Decimal", "\xFF\x80", Decimal, false, "255 128  "},
        // No phantom byte 0 when nothing was read.
        {"nothing received shows nothing, not even the final space", "", Decimal, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(FormatReceived(c.bytes, c.mode, c.processCrLf), c.expected);
    }
    for (bool processCrLf : {false, true}) {
        EXPECT_EQ(
            FormatReceived("\r", Ascii, processCrLf) + FormatReceived("\n", Ascii, processCrLf),
            FormatReceived("\r\n", Ascii, processCrLf))
            << "Cr and Lf over two notifications render as together";
    }
}

}  // namespace
}  // namespace kestrum
