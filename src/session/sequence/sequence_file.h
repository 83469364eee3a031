#pragma once
// The sequence file: TOML with top-level name, notation, settings, timeout_ms, command_set,
// on_failure, [[step]] tables and [[reply]] tables. Every mistake is found before anything is
// sent and named with its line and column: a typo in a key must never let a step pass.

#include <QString>
#include <optional>
#include <string_view>

#include "session/sequence/sequence.h"

namespace kestrum {

namespace sequence_text {

inline constexpr auto kUnknownKey = "unknown key \"%1\"";
inline constexpr auto kWantString = "\"%1\" must be a string";
inline constexpr auto kWantInteger = "\"%1\" must be a whole number";
inline constexpr auto kWantBool = "\"%1\" must be true or false";
inline constexpr auto kWantStepTables = "steps are written as [[step]] tables";
inline constexpr auto kWantReplyTables = "replies are written as [[reply]] tables";
inline constexpr auto kRange = "\"%1\" must be between %2 and %3";
inline constexpr auto kNotation = "\"notation\" must be Ascii, Hex or Decimal";
inline constexpr auto kOnFailure = "\"on_failure\" must be continue or stop";
inline constexpr auto kSettings = "\"settings\" must be line settings such as 9600,n,8,1";
inline constexpr auto kChecksum = "unknown checksum \"%1\"";
inline constexpr auto kChecksumWithoutSend = "\"checksum\" needs a send or a command";
inline constexpr auto kNoCommandSet = "\"command\" needs a command_set";
inline constexpr auto kCommandSetUnread = "the command set %1 could not be read: %2";
inline constexpr auto kNoSuchCommand = "\"%1\" is not a command of %2";
inline constexpr auto kSendAndCommand = "a step has one of send and command, not both";
inline constexpr auto kTwoExpectations =
    "a step has at most one of expect, expect_regex and expect_silence_ms";
inline constexpr auto kEmptyExpectation = "\"%1\" stands for no byte";
inline constexpr auto kRegex = "the regular expression does not compile: %1 (at character %2)";
inline constexpr auto kReplyWhen = "a reply has one of when and when_regex";
inline constexpr auto kReplySend = "a reply needs a send";
inline constexpr auto kNoSteps = "the file holds no [[step]]";
inline constexpr auto kTooManyRuns = "the steps would run more than %1 times";
inline constexpr auto kTooBig = "the file is larger than %1 MiB";
// %1 the key, %2 the program's own message about the string.
inline constexpr auto kString = "\"%1\": %2";

}  // namespace sequence_text

struct SequenceFileError {
    QString path;
    int line = 0;  // 0 when the mistake is the file as a whole
    int column = 0;
    QString message;
    // "dimmer.ksq:12:9: unknown key "expcet"", or "dimmer.ksq: <message>".
    QString Text() const;
};

struct SequenceLoad {
    std::optional<Sequence> sequence;  // set when the file is sound
    SequenceFileError error;           // otherwise the first mistake
};

// Reads and checks the file at `path`: a regular file only, of at most kMaxFileBytes.
SequenceLoad LoadSequenceFile(const QString& path);

// Checks the text of a sequence file. `path` names the file in errors and places a relative
// command_set; the command set is the only file read.
SequenceLoad ParseSequence(std::string_view text, const QString& path);

}  // namespace kestrum
