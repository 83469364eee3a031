#include "platform/port_settings.h"

#include <gtest/gtest.h>

namespace kestrum {
namespace {

TEST(PortSettingsString, ParsesAndFormatsTheLineSettings) {
    struct Case {
        const char* reason;
        const char* text;
        PortSettingsString expected;
        const char* formatted;
    };
    const Case cases[] = {
        {"the default", "9600,n,8,1", {9600, Parity::None, 8, 1}, "9600,n,8,1"},
        {"even parity, 7 data bits", "19200,e,7,1", {19200, Parity::Even, 7, 1}, "19200,e,7,1"},
        {"mark parity, two stop bits",
         "115200,m,8,2",
         {115200, Parity::Mark, 8, 2},
         "115200,m,8,2"},
        {"odd and space parity", "300,o,7,2", {300, Parity::Odd, 7, 2}, "300,o,7,2"},
        {"space parity", "256000,s,7,1", {256000, Parity::Space, 7, 1}, "256000,s,7,1"},
        {"upper-case parity letter is read, written lower",
         "9600,N,8,1",
         {9600, Parity::None, 8, 1},
         "9600,n,8,1"},
        {"five data bits", "110,n,5,1", {110, Parity::None, 5, 1}, "110,n,5,1"},
        {"a rate outside the usual list is the device's business",
         "14400,n,8,1",
         {14400, Parity::None, 8, 1},
         "14400,n,8,1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        const std::optional<PortSettingsString> parsed = PortSettingsString::Parse(QString(c.text));
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(*parsed, c.expected);
        EXPECT_EQ(parsed->Format(), c.formatted);
        EXPECT_EQ(parsed->Format().right(5), QString(c.formatted).section(',', 1))
            << "the last five characters are the format part";
    }
}

TEST(PortSettingsString, RefusesMalformedText) {
    struct Case {
        const char* reason;
        const char* text;
    };
    const Case cases[] = {
        {"empty", ""},
        {"three fields", "9600,n,8"},
        {"five fields", "9600,n,8,1,1"},
        {"baud zero", "0,n,8,1"},
        {"negative baud", "-9600,n,8,1"},
        {"baud beyond 32 bits", "99999999999,n,8,1"},
        {"baud with a letter", "96O0,n,8,1"},
        {"empty baud", ",n,8,1"},
        {"unknown parity letter", "9600,x,8,1"},
        {"parity as a word", "9600,none,8,1"},
        {"no parity letter", "9600,,8,1"},
        {"four data bits", "9600,n,4,1"},
        {"nine data bits", "9600,n,9,1"},
        {"one and a half stop bits", "9600,n,8,1.5"},
        {"three stop bits", "9600,n,8,3"},
        {"zero stop bits", "9600,n,8,0"},
        {"spaces", "9600, n, 8, 1"},
        {"trailing comma", "9600,n,8,1,"},
        {"semicolons", "9600;n;8;1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_FALSE(PortSettingsString::Parse(QString(c.text)).has_value()) << c.text;
    }
}

}  // namespace
}  // namespace kestrum
