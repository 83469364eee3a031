#include "platform/port_settings.h"

#include <gtest/gtest.h>

#include <vector>

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
        {"mark, 2 stop bits", "115200,m,8,2", {115200, Parity::Mark, 8, 2}, "115200,m,8,2"},
        {"odd parity", "300,o,7,2", {300, Parity::Odd, 7, 2}, "300,o,7,2"},
        {"space parity", "256000,s,7,1", {256000, Parity::Space, 7, 1}, "256000,s,7,1"},
        {"upper-case letter, written lower",
         "9600,N,8,1",
         {9600, Parity::None, 8, 1},
         "9600,n,8,1"},
        {"five data bits", "110,n,5,1", {110, Parity::None, 5, 1}, "110,n,5,1"},
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
    const std::pair<const char*, std::vector<const char*>> cases[] = {
        {"not four fields (another separator gives one)",
         {"9600,n,8", "9600,n,8,1,1", "9600;n;8;1"}},
        {"baud not a positive 32-bit number", {"0,n,8,1", "99999999999,n,8,1", "-9600,n,8,1"}},
        {"parity not one letter of n o e m s", {"9600,x,8,1", "9600,none,8,1"}},
        {"data bits outside 5 to 8", {"9600,n,4,1", "9600,n,9,1"}},
        {"stop bits neither 1 nor 2", {"9600,n,8,1.5", "9600,n,8,3"}},
        {"spaces", {"9600, n, 8, 1"}},
    };
    for (const auto& [reason, texts] : cases) {
        for (const char* text : texts) {
            EXPECT_FALSE(PortSettingsString::Parse(QString(text)).has_value())
                << reason << ": " << text;
        }
    }
}

}  // namespace
}  // namespace kestrum
