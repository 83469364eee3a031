#include "storage/command_set_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>

namespace kestrum {

void PrintTo(const CommandEntry& entry, std::ostream* os) {
    *os << testing::PrintToString(entry.label) << " " << testing::PrintToString(entry.command);
}

namespace {

using namespace std::string_literals;

// File bytes written readably: "|" stands for the record separator 0x1E.
std::string File(std::string text) {
    std::replace(text.begin(), text.end(), '|', kCommandSeparator);
    return text;
}

// The given entries from entry 1 on; every later entry empty.
CommandSet Set(std::initializer_list<CommandEntry> entries) {
    CommandSet set;
    std::copy(entries.begin(), entries.end(), set.begin());
    return set;
}

// `count` well-formed lines "L<i>|0<i mod 10> "; Filled(count) is what they read as.
std::string Lines(int count) {
    std::string bytes;
    for (int i = 1; i <= count; ++i) {
        bytes += File("L" + std::to_string(i) + "|0" + std::to_string(i % 10) + " \r\n");
    }
    return bytes;
}

CommandSet Filled(int count) {
    CommandSet set;
    for (int i = 1; i <= count; ++i) {
        set[i - 1] = {"L" + std::to_string(i), "0" + std::to_string(i % 10) + " "};
    }
    return set;
}

TEST(ParseCommandSet, ReadsEveryFormOfTheFile) {
    struct Case {
        const char* reason;
        std::string bytes;
        CommandSet expected;
    };
    const Case cases[] = {
        {"byte-level example: label, 0x1E, Hex string with trailing space, CR LF",
         "\x52\x65\x73\x65\x74\x1E\x31\x42\x20\x34\x30\x20\x0D\x0A", Set({{"Reset", "1B 40 "}})},
        {"tilde separator when no 0x1E is present; the last line needs no line end",
         "\x53\x74\x6F\x70\x7E\x30\x44\x20", Set({{"Stop", "0D "}})},
        {"0x1E wins over an earlier tilde, which stays in the label",
         "\x41\x7E\x42\x1E\x34\x31\x20", Set({{"A~B", "41 "}})},
        {"further 0x1E bytes belong to the command", File("L|41 |42 \r\n"),
         Set({{"L", File("41 |42 ")}})},
        {"an empty label and command still count as an entry", File("|\r\nB|42 \r\n"),
         Set({{"", ""}, {"B", "42 "}})},
        {"a line without separator stops the read even if later lines are good",
         Lines(4) + "no separator here\r\n" + Lines(35), Filled(4)},
        {"lines after the fortieth are never read", Lines(45), Filled(40)},
        {"an empty file empties every entry", "", {}},
        {"CR LF, LF and CR line ends in one file", File("A|41 \nB|42 \rC|43 \r\n"),
         Set({{"A", "41 "}, {"B", "42 "}, {"C", "43 "}})},
        {"LF CR is two line ends: the empty line between them stops, as any line without separator",
         File("A|41 \n\rB|42 \r\n"), Set({{"A", "41 "}})},
        {"bytes 0x00 and 0x80..0xFF pass through unchanged", File("\0\xE9\xFF|00 FF \r\n"s),
         Set({{"\0\xE9\xFF"s, "00 FF "}})},
        {"nothing is trimmed or checked", File("  sp |zz 1 \r\n"), Set({{"  sp ", "zz 1 "}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(ParseCommandSet(c.bytes), c.expected);
    }
}

TEST(SerializeCommandSet, WritesFortyCrLfLinesWithTheRecordSeparator) {
    // A tilde in a label is written as it stands: the writer never writes a tilde separator.
    const CommandSet set = Set({{"Reset", "1B 40 "}, {"A~B", "41 "}});
    std::string expected = "\x52\x65\x73\x65\x74\x1E\x31\x42\x20\x34\x30\x20\x0D\x0A"s;
    expected += File("A~B|41 \r\n");
    for (std::size_t i = 2; i < kCommandCount; ++i) {
        expected += File("|\r\n");  // an empty row is only the separator
    }
    EXPECT_EQ(SerializeCommandSet(set), expected);
    EXPECT_EQ(ParseCommandSet(expected), set);
}

}  // namespace
}  // namespace kestrum
