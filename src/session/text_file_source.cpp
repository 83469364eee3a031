#include "session/text_file_source.h"

#include <array>

namespace kestrum {

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kCaret = '^';

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsUpperHexDigit(char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'F');
}

// Files written on this platform end their lines with LF; files from elsewhere with CR LF
// or CR. Each of them ends a line.
bool IsLineEnd(int c) {
    return c == kCr || c == kLf;
}

}  // namespace

FileCheck TextFileSource::Open(const QString& path) {
    FileCheck check = OpenRegularFile(file_, path);
    openedSize_ = check.Ok() ? file_.size() : 0;
    return check;
}

int TextFileSource::Peek() {
    if (position_ == buffer_.size()) {
        if (failed_ || !file_.isOpen()) {
            return failed_ ? kError : kEnd;
        }
        buffer_.resize(kChunkBytes);
        const qint64 got = file_.read(buffer_.data(), static_cast<qint64>(kChunkBytes));
        if (got < 0) {
            failed_ = true;
            buffer_.clear();
            position_ = 0;
            return kError;
        }
        buffer_.resize(static_cast<std::size_t>(got));
        position_ = 0;
        readBytes_ += got;
        // A file cut while it is sent ends early: its last line may be a fragment, which must
        // not go out as if it were whole.
        if (got == 0 && (readBytes_ < openedSize_ || file_.size() < readBytes_)) {
            failed_ = true;
            changed_ = true;
            return kError;
        }
        if (got == 0) {
            return kEnd;
        }
    }
    return static_cast<unsigned char>(buffer_[position_]);
}

TextFileSource::Step TextFileSource::Next() {
    int c = Peek();
    if (c == kError) {
        return {changed_ ? StepKind::FileChanged : StepKind::ReadError, std::nullopt};
    }
    if (!inLine_) {
        if (c == kEnd) {
            return {StepKind::EndOfFile, std::nullopt};
        }
        inLine_ = true;
    }
    if (c == kEnd || IsLineEnd(c)) {
        if (IsLineEnd(c)) {
            Consume();
            // A CR LF is one line end; the LF may start the next chunk.
            if (c == kCr && Peek() == kLf) {
                Consume();
            }
        }
        inLine_ = false;
        return {StepKind::LineEnd, std::nullopt};
    }
    if (fileType_ != DisplayMode::Ascii) {
        return ReadNumberToken();
    }
    Consume();
    const char character = static_cast<char>(c);
    echo_ += character;
    if (caret_) {
        caret_ = false;
        return {StepKind::Token, CaretPairByte(character)};
    }
    if (character == kCaret) {
        caret_ = true;
        return {StepKind::Token, std::nullopt};
    }
    return {StepKind::Token, static_cast<unsigned char>(c)};
}

TextFileSource::Step TextFileSource::ReadNumberToken() {
    const std::size_t width = static_cast<std::size_t>(fileType_);
    std::string token;
    while (token.size() < width) {
        const int c = Peek();
        if (c == kError) {
            return {changed_ ? StepKind::FileChanged : StepKind::ReadError, std::nullopt};
        }
        if (c == kEnd || IsLineEnd(c)) {
            break;
        }
        Consume();
        token += static_cast<char>(c);
    }
    echo_ += token;
    // The separator is skipped without being looked at, unless the line ends there.
    const int separator = Peek();
    if (separator == kError) {
        return {changed_ ? StepKind::FileChanged : StepKind::ReadError, std::nullopt};
    }
    if (separator != kEnd && !IsLineEnd(separator)) {
        Consume();
        echo_ += static_cast<char>(separator);
    }
    const std::optional<int> value =
        fileType_ == DisplayMode::Hex ? HexTokenValue(token) : DecimalTokenValue(token);
    if (!value) {
        return {StepKind::FormatError, std::nullopt};
    }
    if (*value > 255) {
        return {StepKind::Token, std::nullopt};
    }
    return {StepKind::Token, static_cast<unsigned char>(*value)};
}

std::optional<DisplayMode> DetectFileType(const QString& path) {
    QFile file;
    if (!OpenRegularFile(file, path).Ok()) {
        return std::nullopt;
    }
    // Four characters decide; a line end among them ends the first line.
    std::array<char, 4> start{};
    const qint64 got = file.read(start.data(), static_cast<qint64>(start.size()));
    if (got <= 0) {
        return std::nullopt;
    }
    std::string line(start.data(), static_cast<std::size_t>(got));
    line = line.substr(0, line.find_first_of("\r\n"));
    if (line.size() >= 3 && line[2] == ' ' && IsUpperHexDigit(line[0]) &&
        IsUpperHexDigit(line[1])) {
        return DisplayMode::Hex;
    }
    if (line.size() >= 4 && line[3] == ' ' && IsDigit(line[0]) && IsDigit(line[1]) &&
        IsDigit(line[2])) {
        return DisplayMode::Decimal;
    }
    return DisplayMode::Ascii;
}

std::optional<TextFilePreview> LoadTextFilePreview(const QString& path, qint64 limit,
                                                   FileCheck* opened) {
    QFile file;
    const FileCheck check = OpenRegularFile(file, path);
    if (opened != nullptr) {
        *opened = check;
    }
    if (!check.Ok()) {
        return std::nullopt;
    }
    TextFilePreview preview;
    preview.fileSize = file.size();
    const QByteArray bytes = file.read(limit);
    if (bytes.isNull() && file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    preview.truncated = !file.atEnd() || preview.fileSize > bytes.size();
    // One view line per file line: CR LF, a lone CR and a lone LF end a line, as for the send.
    QByteArray lines;
    lines.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == kCr) {
            lines += kLf;
            if (i + 1 < bytes.size() && bytes[i + 1] == kLf) {
                ++i;
            }
        } else {
            lines += c;
        }
    }
    preview.text = QString::fromLatin1(lines);
    return preview;
}

}  // namespace kestrum
