#pragma once
// The traffic path: every byte between the port and those who show or record it passes here.
// Received bytes are drained in one piece, counted, captured and handed on through Received;
// a send (Send String, a command button, the text file sender, a sequence step) is opened
// for, written, counted, captured and handed on through Sent. The windows only listen: they
// show text and light lamps. A sequence runner attaches here the same way:
//
//     connect(&traffic, &TrafficPath::Received, runner, &Runner::Feed);
//     connect(&traffic, &TrafficPath::Sent, runner, ...);        // what went out
//     connect(&traffic, &TrafficPath::SendFailed, runner, ...);  // what did not
//     if (!traffic.RefuseUse()) traffic.SendBytes(bytes, TrafficSource::Sequence);
//
// Every send starts with RefuseUse(); a window checks what it holds only after it, so that a
// refused port is told before anything else.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "notation/byte_notation.h"
#include "session/capture.h"

namespace kestrum {

struct AppState;
class PortSession;
class TextFileSend;
struct TransmitResult;

namespace traffic_text {

// %1 the bytes refused, %2 the bytes of the string.
inline constexpr auto kMsgStringRefused =
    "Warning: The Com port refused %1 of %2 bytes; the string is not shown as sent";
inline constexpr auto kMsgFileRefused = "Warning: The Com port refused the data; the send stopped";

}  // namespace traffic_text

// Who asked for a send: handed on with the bytes, so that each listener picks its own.
enum class TrafficSource { SendString, CommandButton, TextFile, Sequence, AutoReply };

// Bytes that went out.
struct SentTraffic {
    TrafficSource source = TrafficSource::SendString;
    // The string as its sender wrote it, in `mode`; empty for raw bytes and file sends.
    std::string text;
    DisplayMode mode = DisplayMode::Hex;
    // What the Data Monitor shows as sent; empty shows nothing (the unfinished line of a file
    // send that stopped: it went out, but is not shown as sent).
    std::string echo;
    // What the port took, for a capture.
    std::string bytes;
};

class TrafficPath final : public QObject {
    Q_OBJECT
public:
    // Listens to the session's port from now on. `state` gives the main window's notation
    // and Process Cr/Lf, in which echoes and capture lines are written.
    TrafficPath(PortSession& session, const AppState& state, QObject* parent = nullptr);

    PortSession& Session() { return session_; }
    Capture& TrafficCapture() { return capture_; }
    // Why a file chosen in a save dialog must not be replaced with `saved` (such as
    // capture_text::kSavedMonitor): it is the running capture's file, or Kestrum's settings
    // file (rewritten whole at the next change, it would lose the settings). Nothing when it may.
    std::optional<QString> SaveRefusal(const QString& path, const char* saved) const;

    // --- Receiving
    // Everything waiting is read into one piece; nothing is discarded, and a notification with
    // nothing waiting hands on nothing. Runs on every OnComm of the port.
    void DrainReceived();

    // --- Sending
    // An invalid or disconnected port is refused with its message. True when refused.
    bool RefuseUse();
    // While held (a sequence runs in the window), the user's own sends are refused, so that
    // nothing disturbs what the steps expect.
    void HoldUserSends(bool hold) { userSendsHeld_ = hold; }
    bool UserSendsHeld() const { return userSendsHeld_; }
    // The text file senders on this path; a sequence does not start while one is sending, so
    // that its steps meet only their own traffic.
    void AddFileSender(TextFileSend* sender);
    bool FileSendRunning() const;
    // RefuseUse for a user's send (Send String, a command button, the text file sender):
    // also refused while held, told through UserSendRefused. True when refused.
    bool RefuseUserSend();
    // The one place a send meets the port: opens a closed port, then runs `write`, in order
    // with the user's other port actions (PortSession::OpenForSend). When the port cannot be
    // opened its warning is told (PortSession::Warning) and `dropped` runs instead, as it does
    // when the open is cancelled. Either may run before this returns or later; neither runs
    // once `context` is gone.
    void WhenOpen(QObject* context, const std::function<void()>& write,
                  const std::function<void()>& dropped = {});
    // A string written in `mode` (Send String, a command button): encoded once, written one
    // byte per write, counted, captured and handed on through Sent, echoed as typed. A refusal
    // goes through SendFailed and, while the port stays open, a Warning.
    void SendText(const std::string& text, DisplayMode mode, TrafficSource source);
    // Bytes as they are (a sequence step), as SendText; the echo shows them as received bytes
    // are shown, in the main window's notation.
    void SendBytes(const std::string& bytes, TrafficSource source);

    // A piece of a running send whose port is open (the text file sender): written as it is
    // and counted, to be handed on with HandOn once the sender has its echo. nullopt when the
    // port took it; else the message to show once the send has stopped, empty when there is
    // none (a port that closed under the send was told as a lost device).
    std::optional<QString> Write(std::string_view bytes);
    // Captures what went out and hands it on through Sent.
    void HandOn(const SentTraffic& sent);

signals:
    // A burst the port received, counted and captured.
    void Received(const std::string& bytes);
    // Bytes that went out, counted and captured.
    void Sent(const SentTraffic& sent);
    // A send the port could not be opened for (`written` 0) or refused in part; its `written`
    // bytes left but are not shown as sent. The message, if any, comes through Warning after.
    void SendFailed(TrafficSource source, int written);
    // A message the user must see.
    void Warning(const QString& text);
    // A user's send was refused because a sequence holds the path.
    void UserSendRefused();

private:
    // Opens for `sent` and writes its bytes, one write per byte.
    void Send(const SentTraffic& sent);
    // Counts what a send's writes took; hands `sent` on when the port took every byte.
    void Conclude(const SentTraffic& sent, const TransmitResult& result);
    // What the user is told when the port refused `refused` of `total` bytes of a send.
    QString RefusalMessage(TrafficSource source, int refused, int total) const;

    PortSession& session_;
    const AppState& state_;
    Capture capture_;
    bool userSendsHeld_ = false;
    QList<QPointer<TextFileSend>> fileSenders_;
};

}  // namespace kestrum
