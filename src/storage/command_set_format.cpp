#include "storage/command_set_format.h"

namespace kestrum {
namespace {

// Returns the line starting at `pos` and moves `pos` past its line end (CR LF, CR or LF).
std::string_view NextLine(std::string_view bytes, std::size_t& pos) {
    const std::size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
        const std::string_view line = bytes.substr(pos);
        pos = bytes.size();
        return line;
    }
    const std::string_view line = bytes.substr(pos, end - pos);
    pos = end + 1;
    if (bytes[end] == '\r' && pos < bytes.size() && bytes[pos] == '\n') {
        ++pos;
    }
    return line;
}

}  // namespace

CommandSet ParseCommandSet(std::string_view fileBytes) {
    CommandSet set;
    std::size_t pos = 0;
    for (CommandEntry& entry : set) {
        if (pos >= fileBytes.size()) {
            break;
        }
        const std::string_view line = NextLine(fileBytes, pos);
        std::size_t separator = line.find(kCommandSeparator);
        if (separator == std::string_view::npos) {
            separator = line.find(kCommandSeparatorTilde);
        }
        if (separator == std::string_view::npos) {
            break;  // this entry and all later ones stay empty
        }
        entry.label = line.substr(0, separator);
        entry.command = line.substr(separator + 1);
    }
    return set;
}

std::string SerializeCommandSet(const CommandSet& set) {
    std::size_t size = 0;
    for (const CommandEntry& entry : set) {
        size += entry.label.size() + entry.command.size() + 3;
    }
    std::string bytes;
    bytes.reserve(size);
    for (const CommandEntry& entry : set) {
        bytes += entry.label;
        bytes += kCommandSeparator;
        bytes += entry.command;
        bytes += "\r\n";
    }
    return bytes;
}

}  // namespace kestrum
