#pragma once
// The main window's Line menu: the output lines RTS and DTR, Send Break, and whether a lost
// device is reopened by itself. The rules are the port session's; the menu shows them.

#include <QObject>
#include <array>

class QAction;
class QMenu;
class QMenuBar;

namespace kestrum {

class PortSession;
class SendLineEnd;

namespace line_ui {
inline constexpr auto kTipNoControlLines =
    "This port has no modem control lines (a pseudo-terminal or a network stream)";
inline constexpr auto kTipClosed = "The port is not open";
inline constexpr auto kTipHandshake = "RTS/CTS flow control drives RTS";
inline constexpr auto kTipRequestToSend = "Request To Send: raised when checked";
inline constexpr auto kTipDataTerminalReady = "Data Terminal Ready: raised when checked";
inline constexpr auto kTipSendBreak = "Holds the line in the break state (setting BreakLengthMs)";
inline constexpr auto kTipReconnect =
    "When the device is lost, watch for it to return and reopen the port";
// Shortcuts that no other entry, and no text box, uses.
inline constexpr auto kKeyRequestToSend = "Ctrl+Shift+T";
inline constexpr auto kKeyDataTerminalReady = "Ctrl+Shift+D";
inline constexpr auto kKeySendBreak = "Ctrl+B";
inline constexpr auto kKeyReconnect = "Ctrl+Shift+A";
// Line End None, CR, LF, CR LF: ^M is CR and ^J is LF in Ascii notation.
inline constexpr std::array<const char*, 4> kKeysLineEnd{"Ctrl+Shift+N", "Ctrl+Shift+M",
                                                         "Ctrl+Shift+J", "Ctrl+Shift+L"};
inline constexpr auto kTipLineEnd =
    "Appended to what Send String and the command buttons send (kept per Com Port)";
}  // namespace line_ui

class LineMenu final : public QObject {
    Q_OBJECT
public:
    // Adds the menu to `bar` before `before` (the Help menu's action; null: at the end).
    LineMenu(QMenuBar& bar, QAction* before, PortSession& session, SendLineEnd& lineEnd);

    QAction& RequestToSend() { return *rts_; }
    QAction& DataTerminalReady() { return *dtr_; }
    QAction& SendBreak() { return *break_; }
    QAction& Reconnect() { return *reconnect_; }
    // Line End's None, CR, LF and CR LF, in that order.
    QAction& LineEndChoice(int index) { return *lineEnds_.at(static_cast<std::size_t>(index)); }

    // Shows the session's state: checks, and the items the port can do.
    void Update();

private:
    PortSession& session_;
    SendLineEnd& lineEnd_;
    QMenu* menu_ = nullptr;
    std::array<QAction*, 4> lineEnds_{};
    QAction* rts_ = nullptr;
    QAction* dtr_ = nullptr;
    QAction* break_ = nullptr;
    QAction* reconnect_ = nullptr;
};

}  // namespace kestrum
