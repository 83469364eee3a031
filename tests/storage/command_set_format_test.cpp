#include "storage/command_set_format.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace kestrum {
namespace {

using namespace std::string_literals;

struct Expected {
    std::size_t index;  // 0-based entry
    std::string label;
    std::string command;
};

struct ParseCase {
    const char* reason;
    std::string bytes;
    std::vector<Expected> filled;  // every other entry must be empty
};

std::string Lines(int count, const std::string& lineEnd = "\r\n") {
    std::string bytes;
    for (int i = 1; i <= count; ++i) {
        bytes += "L" + std::to_string(i) + "\x1E" + "0" + std::to_string(i % 10) + " " + lineEnd;
    }
    return bytes;
}

std::vector<Expected> Filled(std::size_t count) {
    std::vector<Expected> filled;
    for (std::size_t i = 0; i < count; ++i) {
        filled.push_back(
            {i, "L" + std::to_string(i + 1), "0" + std::to_string((i + 1) % 10) + " "});
    }
    return filled;
}

TEST(ParseCommandSet, ReadsEveryFormOfTheFile) {
    std::string line5Broken = Lines(4) + "no separator here\r\n" + Lines(35);
    const std::vector<ParseCase> cases = {
        {"byte-level example: label, 0x1E, Hex string with trailing space, CR LF",
         "\x52\x65\x73\x65\x74\x1E\x31\x42\x20\x34\x30\x20\x0D\x0A"s,
         {{0, "Reset", "1B 40 "}}},
        {"tilde separator when no 0x1E is present",
         "\x53\x74\x6F\x70\x7E\x30\x44\x20"s,
         {{0, "Stop", "0D "}}},
        {"0x1E wins over an earlier tilde, which stays in the label",
         "\x41\x7E\x42\x1E\x34\x31\x20"s,
         {{0, "A~B", "41 "}}},
        {"a tilde after the 0x1E stays in the command",
         "\x4C\x1E\x33\x31\x20\x7E\x33\x32"s,
         {{0, "L", "31 ~32"}}},
        {"further 0x1E bytes belong to the command",
         "L\x1E"
         "41 \x1E"
         "42 \r\n"s,
         {{0, "L",
           "41 \x1E"
           "42 "}}},
        {"an empty label and command still count as an entry",
         "\x1E\r\nB\x1E"
         "42 \r\n"s,
         {{0, "", ""}, {1, "B", "42 "}}},
        {"the last line needs no line end",
         "A\x1E"
         "41 \r\nB\x1E"
         "42 "s,
         {{0, "A", "41 "}, {1, "B", "42 "}}},
        {"three lines fill entries 1 to 3 and empty the rest", Lines(3), Filled(3)},
        {"a line without separator stops the read even if later lines are good", line5Broken,
         Filled(4)},
        {"an empty line stops the read",
         "A\x1E"
         "41 \r\n\r\nB\x1E"
         "42 \r\n"s,
         {{0, "A", "41 "}}},
        {"lines after the fortieth are never read", Lines(45), Filled(40)},
        {"an empty file empties every entry", "", {}},
        {"LF-only line ends", Lines(40, "\n"), Filled(40)},
        {"CR-only line ends", Lines(40, "\r"), Filled(40)},
        {"mixed line ends in one file",
         "A\x1E"
         "41 \nB\x1E"
         "42 \rC\x1E"
         "43 \r\n"s,
         {{0, "A", "41 "}, {1, "B", "42 "}, {2, "C", "43 "}}},
        {"LF CR is two line ends: the empty line between them stops",
         "A\x1E"
         "41 \n\rB\x1E"
         "42 \r\n"s,
         {{0, "A", "41 "}}},
        {"bytes 0x00 and 0x80..0xFF pass through unchanged",
         "\x00\xE9\xFF\x1E"
         "00 FF \r\n"s,
         {{0, "\x00\xE9\xFF"s, "00 FF "}}},
        {"nothing is trimmed or checked", "  sp \x1Ezz 1 \r\n"s, {{0, "  sp ", "zz 1 "}}},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.reason);
        const CommandSet set = ParseCommandSet(c.bytes);
        CommandSet expected;
        for (const Expected& e : c.filled) {
            expected[e.index] = {e.label, e.command};
        }
        for (std::size_t i = 0; i < kCommandCount; ++i) {
            SCOPED_TRACE("entry " + std::to_string(i + 1));
            EXPECT_EQ(set[i].label, expected[i].label);
            EXPECT_EQ(set[i].command, expected[i].command);
        }
    }
}

TEST(SerializeCommandSet, WritesFortyLinesWithRecordSeparatorAndCrLf) {
    CommandSet set;
    set[0] = {"Reset", "1B 40 "};
    set[1] = {"A~B", "41 "};  // a tilde in a label is written as it stands
    for (std::size_t i = 2; i < 10; ++i) {
        set[i] = {"C" + std::to_string(i + 1), "0D 0A "};
    }
    const std::string bytes = SerializeCommandSet(set);

    EXPECT_EQ(bytes.substr(0, 14), "\x52\x65\x73\x65\x74\x1E\x31\x42\x20\x34\x30\x20\x0D\x0A"s);
    EXPECT_EQ(bytes.substr(14, 7),
              "A~B\x1E"
              "41 "s)
        << "the writer never writes a tilde separator";

    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(bytes.substr(start, end - start));
    }
    EXPECT_EQ(start, bytes.size()) << "nothing follows the last CR LF";
    ASSERT_EQ(lines.size(), kCommandCount);
    for (std::size_t i = 10; i < kCommandCount; ++i) {
        EXPECT_EQ(lines[i], "\x1E") << "empty row " << i + 1 << " is only the separator";
    }
    EXPECT_EQ(ParseCommandSet(bytes), set);
}

// Labels: any byte but the line ends and the record separator. Commands: Hex notation as
// the converter writes it.
TEST(SerializeCommandSet, RandomSetsReadBackEntryForEntry) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 24);
    constexpr char kDigits[] = "0123456789ABCDEF";
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        CommandSet set;
        for (CommandEntry& entry : set) {
            for (int n = length(random); n > 0; --n) {
                char c;
                do {
                    c = static_cast<char>(byte(random));
                } while (c == '\r' || c == '\n' || c == kCommandSeparator);
                entry.label += c;
            }
            for (int n = length(random); n > 0; --n) {
                const int value = byte(random);
                entry.command += kDigits[value >> 4];
                entry.command += kDigits[value & 15];
                entry.command += ' ';
            }
        }
        ASSERT_EQ(ParseCommandSet(SerializeCommandSet(set)), set);
    }
}

}  // namespace
}  // namespace kestrum
