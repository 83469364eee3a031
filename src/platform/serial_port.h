#pragma once
// The serial port service: the operations the program relies on, behind an interface so
// that tests can swap in an in-memory port or drive a pseudo-terminal.

#include <QObject>
#include <QString>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kestrum {

enum class PortErrorKind {
    InvalidPortNumber,     // the port number names no device of this system
    PortInUse,             // the device is open in another program
    BaudRateNotSupported,  // the device does not support the baud rate
    SettingsNotApplied,    // the device refused the line settings
    SettingsUnconfirmed,   // the device left the line settings unanswered; what() says so
    Other,
};

class PortError : public std::runtime_error {
public:
    PortError(PortErrorKind kind, const std::string& what)
        : std::runtime_error(what), kind_(kind) {}
    PortErrorKind kind() const noexcept { return kind_; }

private:
    PortErrorKind kind_;
};

// Flow control of the line: none, RTS/CTS handshake, or XON/XOFF characters.
enum class FlowControl { None, Hardware, Software };

// The modem status lines the far end drives.
struct InputLines {
    bool cts = false;  // Clear To Send
    bool dsr = false;  // Data Set Ready
    bool dcd = false;  // Data Carrier Detect
    bool ri = false;   // Ring Indicator
    bool operator==(const InputLines&) const = default;
};

// Faults of the line the port reports while it receives.
enum class LineError { Framing, Parity, BreakReceived };

// Event codes reported by CommEvent().
inline constexpr int kCommEventReceive = 2;

// All calls come from the UI thread; OnComm is raised there and never re-entered. Nothing here
// waits: an open, a settings change and a close complete through the signals below.
class SerialPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialPort() override = default;

    virtual int CommPort() const = 0;
    // Takes effect at the next open. Throws PortError(InvalidPortNumber) for a number
    // outside 1..4.
    virtual void SetCommPort(int port) = 0;

    // "9600,n,8,1": baud, parity letter (n o e m s), data bits, stop bits.
    virtual QString Settings() const = 0;
    // Starts applying `settings`; SettingsApplied or SettingsRefused follows. A closed port
    // keeps them for the next open and completes within the call, as it does for the settings
    // already in force. A malformed string is refused as SettingsNotApplied. On a
    // refusal the previous settings stay in force (Settings() returns them).
    virtual void ApplySettings(const QString& settings) = 0;

    virtual bool PortOpen() const = 0;
    // An open was started and has not completed yet.
    virtual bool Opening() const = 0;
    // Starts opening with the current CommPort and Settings; Opened or OpenFailed follows. An
    // open port, or one already opening, is left as it is and nothing follows.
    virtual void Open() = 0;
    // Closes the port, or cancels an open under way (nothing follows it, and a settings change
    // under way is dropped with it). Never fails and never waits: queued output is given a
    // bounded time to leave from the event loop, and a later Open waits for that.
    virtual void Close() = 0;
    // What an open under way reaches, for the status line ("127.0.0.1:4001"); empty when
    // there is nothing to wait for.
    virtual QString OpeningTarget() const { return {}; }

    // Completion, the same for every port: emitted within the call that started the operation
    // when nothing needs waiting for (a local device, a closed port), from the event loop
    // otherwise. A caller sets up what follows before it starts the operation.

    // Received-byte count that raises OnComm; the program sets 1. 0 turns the notification
    // off. Implementations start at 1, so nothing received goes unnoticed.
    virtual void SetRThreshold(int bytes) = 0;
    // At most this many bytes per Input() call; 0 reads everything waiting.
    virtual void SetInputLen(int bytes) = 0;
    // Bytes received and not read yet. They stay readable after a close or a device loss.
    virtual int InBufferCount() const = 0;
    // Writing 0 discards every waiting byte; other values throw PortError(Other).
    virtual void SetInBufferCount(int count) = 0;
    // The code of the event being reported by the current OnComm.
    virtual int CommEvent() const = 0;
    // Removes and returns up to InputLen waiting bytes; empty when nothing waits.
    virtual std::string Input() = 0;
    // Queues the bytes for transmission in order and returns without waiting.
    // Throws PortError when the port refuses the write (closed port, device gone).
    virtual void Output(std::string_view bytes) = 0;
    // A look at whether an open of the port's device could succeed now, made without waiting:
    // the reconnect watch asks it twice a second, so waiting for a device costs next to nothing.
    // A local device answers whether its path exists; a network port whether a probe
    // connection got through since the last look. False tells "not yet", never an error.
    virtual bool MayReopen() { return true; }
    // Bytes queued by Output() that have not left yet. A port that hands bytes on at once
    // reports 0. Lets a long send wait instead of queueing a whole file in memory.
    virtual int OutBufferCount() const { return 0; }

    // --- Modem control lines and flow control. A port without control lines (a
    // pseudo-terminal, a raw network stream) keeps the defaults: HasControlLines() false
    // and the setters do nothing, so callers need not ask before every call.
    // Known once the port is open; a closed port answers false.
    virtual bool HasControlLines() const { return false; }
    // Output lines; kept by the port and applied again at every open.
    virtual void SetRequestToSend(bool /*on*/) {}
    virtual void SetDataTerminalReady(bool /*on*/) {}
    // Holds the line in the break state for about this long; returns at once.
    virtual void SendBreak(int /*milliseconds*/) {}
    // Kept by the port and applied at every open, like the line settings.
    virtual void SetFlowControl(FlowControl /*flow*/) {}
    virtual FlowControl Flow() const { return FlowControl::None; }
    // The input lines as last seen; all false on a closed port.
    virtual InputLines ReadInputLines() const { return {}; }

signals:
    void Opened();
    void OpenFailed(const kestrum::PortError& error);
    void SettingsApplied();
    void SettingsRefused(const kestrum::PortError& error);
    // Receive notification: raised on the UI thread from the event loop, never re-entered.
    // Bytes that arrive while a handler runs (and yields) raise it again once it returns.
    void OnComm();
    // The open device disappeared (USB adapter pulled, pty closed); the port is already
    // closed when this is emitted, once per loss. `reason` is a sentence for the user.
    void DeviceLost(const QString& reason);
    // An input line changed (CTS, DSR, DCD, RI), however the port learns of it.
    void InputLinesChanged(kestrum::InputLines lines);
    // The line delivered a damaged byte or a break; counted, never a message box.
    void LineErrorOccurred(kestrum::LineError error);
    // A fact about the port worth one line in the status line, not an error ("line settings
    // cannot be applied to a raw network stream").
    void Notice(const QString& text);
};

}  // namespace kestrum
