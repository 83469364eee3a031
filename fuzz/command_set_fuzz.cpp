// ParseCommandSet and SerializeCommandSet on any bytes: parsing matches a line-by-line reading,
// never yields a label holding a line end or the separator it split on, and a parsed set
// written and read again is the same set; any set whose labels hold no CR, LF or 0x1E and whose
// commands hold no CR or LF comes back from its file unchanged.
//
// Input: any bytes, read both as a file and, cut at every NUL byte, as labels and commands.

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "storage/command_set_format.h"

namespace kestrum::fuzz {
namespace {

std::string Describe(const CommandSet& set) {
    std::string text;
    for (std::size_t i = 0; i < set.size(); ++i) {
        if (!set[i].label.empty() || !set[i].command.empty()) {
            text += std::to_string(i + 1) + ":\"" + Escaped(set[i].label) + "\"/\"" +
                    Escaped(set[i].command) + "\" ";
        }
    }
    return text;
}

// The file read one line at a time, as the format describes it.
CommandSet ReadLineByLine(std::string_view bytes) {
    CommandSet set;
    std::size_t entry = 0;
    std::string line;
    std::size_t i = 0;
    while (entry < kCommandCount && i < bytes.size()) {
        line.clear();
        while (i < bytes.size() && bytes[i] != '\r' && bytes[i] != '\n') {
            line.push_back(bytes[i++]);
        }
        if (i < bytes.size()) {
            const bool crLf = bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
            i += crLf ? 2 : 1;
        }
        std::size_t separator = line.find('\x1E');
        if (separator == std::string::npos) {
            separator = line.find('~');
        }
        if (separator == std::string::npos) {
            break;
        }
        set[entry].label = line.substr(0, separator);
        set[entry].command = line.substr(separator + 1);
        ++entry;
    }
    return set;
}

void CheckParse(std::string_view bytes) {
    const CommandSet parsed = ParseCommandSet(bytes);
    const CommandSet expected = ReadLineByLine(bytes);
    // The reading also tells which separator each line was split at, so the same entries
    // mean no label holds the separator it was split at.
    KESTRUM_PROPERTY(parsed == expected,
                     "parsed " + Describe(parsed) + "\n  expected " + Describe(expected));
    for (const CommandEntry& entry : parsed) {
        KESTRUM_PROPERTY(entry.label.find_first_of("\r\n\x1E") == std::string::npos,
                         "label \"" + Escaped(entry.label) + "\"");
        KESTRUM_PROPERTY(entry.command.find_first_of("\r\n") == std::string::npos,
                         "command \"" + Escaped(entry.command) + "\"");
    }
    const std::string file = SerializeCommandSet(parsed);
    const CommandSet reread = ParseCommandSet(file);
    KESTRUM_PROPERTY(reread == parsed,
                     "written and read again: " + Describe(reread) + "\n  was " + Describe(parsed));
}

// Labels and commands from the input, cut at NUL bytes, without the characters the file
// format cannot carry.
CommandSet SetFrom(std::string_view bytes) {
    CommandSet set;
    std::size_t field = 0;
    std::string current;
    const auto store = [&] {
        CommandEntry& entry = set[field / 2 % kCommandCount];
        std::string& target = field % 2 == 0 ? entry.label : entry.command;
        for (const char c : current) {
            const bool lineEnd = c == '\r' || c == '\n';
            if (!lineEnd && !(field % 2 == 0 && c == '\x1E')) {
                target.push_back(c);
            }
        }
        current.clear();
        ++field;
    };
    for (const char c : bytes) {
        if (c == '\0') {
            store();
        } else {
            current.push_back(c);
        }
    }
    store();
    return set;
}

void CheckRoundTrip(std::string_view bytes) {
    const CommandSet set = SetFrom(bytes);
    const std::string file = SerializeCommandSet(set);
    std::size_t lineEnds = 0;
    for (std::size_t i = 0; i + 1 < file.size(); ++i) {
        lineEnds += file[i] == '\r' && file[i + 1] == '\n' ? 1 : 0;
    }
    KESTRUM_PROPERTY(lineEnds == kCommandCount && file.ends_with("\r\n"),
                     std::to_string(lineEnds) + " line ends");
    const CommandSet reread = ParseCommandSet(file);
    KESTRUM_PROPERTY(reread == set,
                     "read back " + Describe(reread) + "\n  written " + Describe(set));
}

}  // namespace
}  // namespace kestrum::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrum::fuzz;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CurrentInput() = bytes;
    CheckParse(bytes);
    CheckRoundTrip(bytes);
    return 0;
}
