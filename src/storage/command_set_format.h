#pragma once
// The command set file format: forty lines of label, separator 0x1E, Hex-notation command
// string, line end. Pure byte logic: no Qt, no file access.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrum {

struct CommandEntry {
    std::string label;    // button caption, one byte per char; may be empty
    std::string command;  // the bytes to send, in Hex notation ("1B 40 "); may be empty

    bool operator==(const CommandEntry&) const = default;
};

inline constexpr std::size_t kCommandCount = 40;
using CommandSet = std::array<CommandEntry, kCommandCount>;  // entry i+1 at index i

inline constexpr char kCommandSeparator = '\x1E';    // what the writer puts between the fields
inline constexpr char kCommandSeparatorTilde = '~';  // also accepted by the reader

// Reads a command set file's bytes. Each line is one entry, entry 1 first. A line ends at CR
// LF, a lone CR or a lone LF. The separator is the first 0x1E in the line, or, only when
// there is none, the first "~"; the label is what precedes it, the command everything after
// it (further separators included), neither trimmed nor checked. Reading stops at the end of
// the bytes, at the first line without a separator (an empty line included) and after line
// 40; every entry from the stopping point on is empty. Never fails. Linear in the input.
// Example: "Reset\x1E" "1B 40 \r\n" gives entry 1 {"Reset", "1B 40 "} and 39 empty entries.
CommandSet ParseCommandSet(std::string_view fileBytes);

// The bytes of a command set file: exactly 40 lines of label, 0x1E, command, CR LF. A label
// holding CR, LF or 0x1E (the editor never produces one) would not read back as written.
std::string SerializeCommandSet(const CommandSet& set);

}  // namespace kestrum
