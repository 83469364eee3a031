#include "storage/command_set_file.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>

#include "storage/file_writing.h"
#include "storage/regular_file.h"

namespace kestrum {
namespace {

constexpr qint64 kReadChunkBytes = qint64{1} << 16;
// Far beyond any set made by hand or by the editor (ten 10 MB lines fit), short of
// exhausting memory on a huge file without line ends.
constexpr std::size_t kMostCommandSetBytes = std::size_t{256} << 20;

// Counts line ends (CR LF, lone CR, lone LF) in bytes fed piece by piece, a CR LF split
// between two pieces counted once.
class LineEndCounter {
public:
    void Feed(std::string_view piece) {
        for (const char c : piece) {
            if (c == '\r' || (c == '\n' && !afterCr_)) {
                ++count_;
            }
            afterCr_ = c == '\r';
        }
    }
    std::size_t count() const { return count_; }

private:
    std::size_t count_ = 0;
    bool afterCr_ = false;
};

void SetError(QString* errorText, const QString& text) {
    if (errorText != nullptr) {
        *errorText = text;
    }
}

}  // namespace

std::optional<CommandSet> ReadCommandSet(const QString& path, QString* errorText) {
    QFile file;
    if (const FileCheck check = OpenRegularFile(file, path); !check.Ok()) {
        SetError(errorText, check.reason);
        return std::nullopt;
    }
    // Only the first forty lines count, so a large file (a log picked by mistake) is read
    // only that far; a file with fewer line ends is read whole up to a bound.
    std::string bytes;
    LineEndCounter lineEnds;
    while (lineEnds.count() < kCommandCount) {
        if (bytes.size() >= kMostCommandSetBytes) {
            SetError(errorText, QStringLiteral("The file is too large to be a command set"));
            return std::nullopt;
        }
        const std::size_t start = bytes.size();
        bytes.resize(start + kReadChunkBytes);
        const qint64 got = file.read(bytes.data() + start, kReadChunkBytes);
        if (got < 0) {
            SetError(errorText, file.errorString());
            return std::nullopt;
        }
        bytes.resize(start + static_cast<std::size_t>(got));
        if (got == 0) {
            break;
        }
        lineEnds.Feed(std::string_view(bytes).substr(start));
    }
    return ParseCommandSet(bytes);
}

bool WriteCommandSet(const QString& path, const CommandSet& set, QString* errorText) {
    if (const FileCheck target = CheckSaveTarget(path); !target.Ok()) {
        SetError(errorText, target.reason);
        return false;
    }
    const std::string bytes = SerializeCommandSet(set);
    QSaveFile file(path);
    // Unbuffered, so a short write is seen (file_writing.h says why).
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        SetError(errorText, file.errorString());
        return false;
    }
    if (!WriteFully(file, bytes)) {
        SetError(errorText, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        SetError(errorText, file.errorString());
        return false;
    }
    return true;
}

}  // namespace kestrum
