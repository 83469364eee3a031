#pragma once
// The text file sender's reading side: a text file streamed line by line in bounded memory
// and cut into tokens of its file type, the file type guessed from the first line, and the
// bounded prefix shown in the sender's view.
//
// Lines are bytes (one character per byte). A line ends at a line feed, a carriage return,
// or a carriage return followed by a line feed (one line end); the end belongs to no line.

#include <QFile>
#include <QString>
#include <cstddef>
#include <optional>
#include <string>

#include "notation/byte_notation.h"
#include "storage/regular_file.h"

namespace kestrum {

class TextFileSource {
public:
    enum class StepKind {
        Token,        // one token was read; `byte` is what it sends, if anything
        LineEnd,      // the current line is complete (also a last line without a line end)
        EndOfFile,    // no line is left
        FormatError,  // a Hex or Decimal token that is not a number
        ReadError,    // the file could not be read any further
        FileChanged,  // the file ended short of the size it had when opened (cut meanwhile)
    };
    struct Step {
        StepKind kind = StepKind::EndOfFile;
        std::optional<unsigned char> byte;
    };

    // Reads at most this much of the file at a time, whatever its line lengths.
    static constexpr std::size_t kChunkBytes = 64 * 1024;

    explicit TextFileSource(DisplayMode fileType) : fileType_(fileType) {}

    // Opens the file when it is a regular file (regular_file.h); the check says why not.
    FileCheck Open(const QString& path);

    // The next token of the current line, by the sender's rules:
    // - Ascii: one character. "^" sends nothing and pairs with the next character, also when
    //   that is the first character of the next line: "|" then gives 94, any other character
    //   its code minus 64, and nothing when that is below 0.
    // - Hex: two characters (fewer at the line end), both hexadecimal digits of either case,
    //   then one separator skipped unread; anything else is a FormatError.
    // - Decimal: three characters (fewer at the line end), digits with optional spaces
    //   around them, then one separator; a value above 255 sends nothing; anything that is
    //   not a number is a FormatError.
    Step Next();

    // The characters of the current line consumed since the last take: the echo of the
    // tokens Next() returned. Long lines can be echoed piecewise as their tokens go out.
    std::string TakeEcho() { return std::exchange(echo_, {}); }
    std::size_t PendingEcho() const { return echo_.size(); }

private:
    static constexpr int kEnd = -1;
    static constexpr int kError = -2;

    int Peek();
    void Consume() { ++position_; }
    Step ReadNumberToken();

    DisplayMode fileType_;
    QFile file_;
    qint64 openedSize_ = 0;
    qint64 readBytes_ = 0;
    std::string buffer_;
    std::size_t position_ = 0;
    bool failed_ = false;
    bool changed_ = false;
    bool inLine_ = false;
    bool caret_ = false;  // carried from one line to the next
    std::string echo_;
};

// "Hex" when the first line's third character is a space and its first two are digits or
// upper-case letters A to F; otherwise "Decimal" when its fourth character is a space and
// its first three are digits; otherwise "Ascii". nullopt when the file cannot be read or is
// empty. Reads only the start of the file, and only of a regular file.
std::optional<DisplayMode> DetectFileType(const QString& path);

// What the sender's view shows of a file: at most `limit` bytes from its start, one view
// line per file line, bytes as Latin-1 characters.
struct TextFilePreview {
    QString text;
    qint64 fileSize = 0;
    bool truncated = false;  // the file is longer than what `text` shows
};
inline constexpr qint64 kPreviewLimitBytes = 1024 * 1024;
// nullopt when the file is no regular file or cannot be read; `opened`, when given, says why.
std::optional<TextFilePreview> LoadTextFilePreview(const QString& path,
                                                   qint64 limit = kPreviewLimitBytes,
                                                   FileCheck* opened = nullptr);

}  // namespace kestrum
