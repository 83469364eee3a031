#pragma once
// A sequence as read from its file: what each step sends, what it must get back, and the
// replies given automatically for the whole run. Byte strings are already encoded (one char =
// one byte); the texts as written in the file are kept for the reports.

#include <QRegularExpression>
#include <QString>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "notation/byte_notation.h"

namespace kestrum {

using Millis = std::chrono::milliseconds;

namespace sequence_limits {

// Defaults of the file's top-level keys.
inline constexpr Millis kDefaultTimeout{1000};
// A step runs at most this often; a file runs at most this many steps in all.
inline constexpr int kMaxRepeat = 10000;
inline constexpr int kMaxStepRuns = 100000;
// Sequence files are small; a bigger file is a mistake (a log or an image picked instead).
inline constexpr qint64 kMaxFileBytes = qint64{4} << 20;
// A regular expression sees at most the last this many received bytes.
inline constexpr qsizetype kRegexWindow = qsizetype{64} << 10;
// PCRE2's count of backtracking steps for one match attempt: a pattern that needs more errors
// the step instead of holding the run (about 20 ms of matching).
inline constexpr int kRegexMatchLimit = 1000000;
// A reply rule that has answered this often in one run is taken for a loop and stopped.
inline constexpr int kMaxReplies = 1000;
// Auto replies run for hours: there a loop is that many answers within this time.
inline constexpr Millis kReplyLoopWindow{10000};

}  // namespace sequence_limits

enum class OnFailure { Continue, Stop };

// What a step must receive after its bytes are written. At most one kind per step.
struct Expectation {
    enum class Kind { None, Bytes, Regex, Silence };
    Kind kind = Kind::None;
    std::string bytes;         // Bytes: the encoded bytes to find
    QRegularExpression regex;  // Regex: over the received bytes as Latin-1 text, limited
    QString written;           // the file's text (Bytes in its notation, Regex the pattern)
    Millis silence{0};         // Silence: nothing may arrive for this long
};

struct SequenceStep {
    QString name;
    std::string send;  // the bytes written (checksum included); may be empty
    Expectation expect;
    Millis timeout = sequence_limits::kDefaultTimeout;
    Millis wait{0};  // a pause before the send
    int repeat = 1;
    int line = 0;  // where the step starts in the file
};

// Answered automatically whenever the received bytes match, for the whole run.
struct ReplyRule {
    Expectation when;  // Bytes or Regex
    std::string send;
    Millis delay{0};
    bool once = false;
};

struct Sequence {
    QString name;  // the suite's name in reports
    QString path;  // the file it came from
    DisplayMode notation = DisplayMode::Ascii;
    std::optional<QString> settings;  // line settings, "9600,n,8,1"
    OnFailure onFailure = OnFailure::Continue;
    std::vector<SequenceStep> steps;
    std::vector<ReplyRule> replies;
};

// `bytes` written in `mode` as the Data Monitor shows received bytes, control bytes as caret
// pairs in Ascii and without the last separator in Hex and Decimal: "ERR 7^M", "45 52 0D".
QString WrittenBytes(std::string_view bytes, DisplayMode mode);

// Prepends the match limit to a pattern already known to compile.
QRegularExpression LimitedRegex(const QString& pattern);

}  // namespace kestrum
