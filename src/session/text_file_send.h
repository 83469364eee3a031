#pragma once
// The text file send engine: a text file sent to the port line by line in its notation,
// with a pause after every byte and every line, each finished line echoed for the Data
// Monitor.
//
// The send runs from the event loop, one token per timer step (a batch of tokens when there
// is no byte pause), so every window stays live while it runs.

#include <QObject>
#include <QString>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "notation/byte_notation.h"

namespace kestrum {

struct AppState;
class TrafficPath;
class TextFileSource;
struct FileCheck;

namespace send_text {

inline constexpr auto kMsgFileNotFound = "File Not Found";
inline constexpr auto kMsgFormatError = "File Format or File Type Error";
inline constexpr auto kMsgCommPortError = "CommPort Error";
inline constexpr auto kMsgFileChanged =
    "Warning: The file was cut short while it was sent; the send stopped";

// Without a byte pause, tokens are sent in batches of at most this long before the event
// loop runs again.
inline constexpr int kBatchMs = 20;
// A send waits while the port holds this many bytes it has not sent yet.
inline constexpr int kMaxQueuedBytes = 16 * 1024;
inline constexpr int kQueueWaitMs = 10;
// A line longer than this is echoed in pieces of this size as its tokens go out.
inline constexpr std::size_t kEchoPieceBytes = 64 * 1024;

}  // namespace send_text

class TextFileSend final : public QObject {
    Q_OBJECT
public:
    TextFileSend(TrafficPath& traffic, const AppState& state, QObject* parent = nullptr);
    ~TextFileSend() override;

    // Starts sending the file at `path`, whose lines are in `fileType`; the first line goes
    // after the event loop has run once. False, with nothing started, when the file cannot
    // be opened or is no regular file (`opened`, when given, says which). The port must be
    // open (TrafficPath::WhenOpen).
    bool Start(const QString& path, DisplayMode fileType, FileCheck* opened = nullptr);
    // Ends a running send; Finished follows.
    void Stop();
    bool Running() const { return source_ != nullptr; }

    // Read at every step: a change made during a send applies from then on.
    void SetByteDelayMs(int ms) { byteDelayMs_ = std::max(0, ms); }
    void SetLineDelayMs(int ms) { lineDelayMs_ = std::max(0, ms); }
    // Line ends are sent (CR LF) and echoed unless stripped.
    void SetStripLineEnds(bool strip) { stripLineEnds_ = strip; }

signals:
    // A whole line went out.
    void LineSent();
    // The send has ended, at the end of the file or otherwise; a message may follow.
    void Finished();
    // Why the send stopped, when the user must be told.
    void Warning(const QString& text);

private:
    void Step();
    // Writes to the port; on a refusal ends the send and says why. False when refused.
    // What went out is handed on through the traffic path (TrafficPath::Sent): the echo
    // written as the file writes it, the bytes as the port took them. A send that stops
    // mid-line hands on the bytes of that line with no echo.
    bool Write(std::string_view bytes);
    void EchoPending(std::string text);
    // Hands `echo` and what the port took since the last hand-on to the traffic path.
    void HandOn(std::string echo);
    std::string LineEndEcho() const;
    void Finish();
    void FinishWith(const char* message);

    TrafficPath& traffic_;
    const AppState& state_;
    std::unique_ptr<TextFileSource> source_;
    DisplayMode fileType_ = DisplayMode::Ascii;
    QTimer step_;
    int byteDelayMs_ = 0;
    int lineDelayMs_ = 0;
    bool stripLineEnds_ = false;
    // What the port took since the last Echo.
    std::string sent_;
};

}  // namespace kestrum
