#pragma once
// Capture: every byte sent and received written to a file as it passes, so that a run longer
// than the Data Monitor holds, or one whose record must be kept, survives whole. The monitor's
// Clear and capacity never touch it.
//
// Writes are collected and go to the file at most kFlushInterval later (and at Stop), so the
// event loop never waits on the disk for each burst. A write the disk refuses (full, removed)
// ends the capture; what reached the file stays there. So does a file that is no longer at its
// path (removed, or replaced by another file of that name): writing on would reach nothing.

#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "notation/byte_notation.h"

class QDateTime;

namespace kestrum {

namespace capture_text {

// %1 the file.
inline constexpr auto kMsgSenderFile =
    "Error - %1 is the text file being sent; a capture cannot be written to it";
inline constexpr auto kMsgCommandSetFile =
    "Error - %1 is the open command set file; a capture cannot be written to it";
inline constexpr auto kMsgSettingsFile =
    "Error - %1 is Kestrum's settings file; a capture cannot be written to it";
// %1 the file, %2 what was to be saved over it.
inline constexpr auto kMsgCaptureFile =
    "Error - %1 is the file being captured to; %2 cannot be saved over it";
inline constexpr auto kMsgSettingsNotReplaced =
    "Error - %1 is Kestrum's settings file; %2 cannot be saved over it";
inline constexpr auto kSavedMonitor = "the Data Monitor";
inline constexpr auto kSavedCommandSet = "the command set";
inline constexpr auto kSavedReport = "the report";
inline constexpr auto kSavedRecording = "the recording";
// %1 the file, %2 the system's reason.
inline constexpr auto kMsgCannotStart = "Error - The capture could not be started in %1: %2";
inline constexpr auto kMsgStopped =
    "Error - The capture to %1 stopped: %2. What was captured until then is kept.";
// %1 the file.
inline constexpr auto kMsgVanished =
    "Error - The capture to %1 stopped: the file was removed or replaced.";

// The save dialog: the log first; a file ending in .bin or .raw takes the received bytes only.
inline constexpr auto kDialogFilter =
    "Capture Log (*.log)|*.log|Raw Received Bytes (*.bin)|*.bin|All Files (*.*)|*.*";
inline constexpr int kDialogFilterIndex = 1;

// Collected bytes reach the file at least this often, and at once past kFlushBytes.
inline constexpr std::chrono::milliseconds kFlushInterval{500};
inline constexpr std::size_t kFlushBytes = std::size_t{1} << 20;

// "2026-12-06 14:03:07.123": local time to the millisecond, at the start of each log line.
inline constexpr auto kStampFormat = "yyyy-MM-dd HH:mm:ss.zzz";
inline constexpr auto kReceivedTag = "RX";
inline constexpr auto kSentTag = "TX";
inline constexpr auto kEventTag = "EVENT";

}  // namespace capture_text

enum class CaptureForm {
    Raw,  // the received bytes only, exactly as read
    Log,  // one text line per received burst or sent string, stamped and tagged
};

// The form the file's name asks for: Raw for a .bin or .raw file (any case), else Log.
CaptureForm CaptureFormForPath(const QString& path);

// One log line, ended by "\n": "2026-12-06 14:03:07.123 RX 41 54 0D". The bytes are written in
// `mode` as the Data Monitor writes received bytes, with control bytes as caret pairs in Ascii
// (so a line never breaks) and without the trailing separator of Hex and Decimal.
// EncodeTransmitBytes(<text after the tag and its space>, mode) gives the bytes back.
std::string CaptureLogLine(const QDateTime& when, bool received, std::string_view bytes,
                           DisplayMode mode);

// The same file whatever way each is named (links resolved where the file exists); never an
// empty path.
bool SameFile(const QString& a, const QString& b);

// Why a capture must not be written to `path`: it is the file the text file sender sends
// (`senderFile`), the command set file (`commandSetFile`) or the settings file
// (`settingsFile`), which the program rewrites whole at each change. nullopt when none. Each
// may be empty or relative to the working folder.
std::optional<QString> CaptureRefusal(const QString& path, const QString& senderFile,
                                      const QString& commandSetFile, const QString& settingsFile);

class Capture final : public QObject {
    Q_OBJECT
public:
    explicit Capture(QObject* parent = nullptr);
    ~Capture() override;

    // Starts writing to `path` in `form`, replacing what the file held; a running capture
    // then stops. The message to show when the file cannot be written (a folder, a folder that
    // does not exist or may not be written); nothing is started or stopped then.
    std::optional<QString> Start(const QString& path, CaptureForm form);
    // Writes what is collected and closes the file. A failure of that last write is reported
    // through Failed like any other.
    void Stop();
    bool Running() const { return file_ != nullptr; }
    QString Path() const { return path_; }
    CaptureForm Form() const { return form_; }
    // Why another writer must not replace `path` with `saved` (what it writes, such as
    // kSavedMonitor): it is this running capture's file.
    std::optional<QString> RefusalFor(const QString& path, const char* saved) const;

    // Traffic as it passes: a burst drained from the port, a string that went out. `mode` is the
    // notation of the log lines. Nothing happens while no capture runs.
    void Received(std::string_view bytes, DisplayMode mode);
    void Sent(std::string_view bytes, DisplayMode mode);
    // Something that happened to the link ("device lost: ..."), on a line of its own in the
    // log form; the raw form stays bytes only.
    void Event(const QString& text);

signals:
    // The capture ended because a write failed; `message` names the file and the reason.
    void Failed(const QString& message);

private:
    void Collect(std::string_view text);
    // False, with the capture ended and Failed emitted, when the file takes no more or is no
    // longer the one at the capture's path.
    bool Flush();
    bool StillAtPath() const;
    void Close();

    std::unique_ptr<QFile> file_;  // open while the capture runs
    QString path_;
    CaptureForm form_ = CaptureForm::Log;
    std::string pending_;
    QTimer flushTimer_;
};

}  // namespace kestrum
