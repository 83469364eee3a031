#pragma once
// The serial port service on a TCP connection: "rfc2217://HOST:PORT" (a serial device server,
// ser2net, speaking telnet's COM-PORT-OPTION) or "socket://HOST:PORT" (a raw byte stream whose
// line settings are the server's business). Port numbers 1..4 map to those addresses through
// the same lookup as local devices. Only ever connects: it listens on nothing.
//
// Every step (name lookup, connect, negotiation, settings confirmation, close drain) is driven
// by the socket's signals and timers: nothing waits.

#include <QAbstractSocket>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/buffered_port.h"
#include "platform/network/port_url.h"
#include "platform/network/rfc2217.h"

class QTcpSocket;

namespace kestrum {

// Looks `host` up and calls `done` once from the event loop with its addresses, or none and
// why. Answers that arrive after `context` is gone are dropped. Injectable, so that no test
// asks the machine's resolver.
using HostFound = std::function<void(const QList<QHostAddress>& addresses, const QString& why)>;
using HostLookup = std::function<void(const QString& host, QObject* context, HostFound done)>;
// The system's resolver, through QHostInfo.
HostLookup SystemHostLookup();

class NetworkPort final : public BufferedPort {
    Q_OBJECT
public:
    explicit NetworkPort(DeviceLookup devices, QObject* parent = nullptr,
                         HostLookup lookup = SystemHostLookup());
    ~NetworkPort() override;

    // A server that answered SET-CONTROL; ser2net on a pseudo-terminal never does.
    bool HasControlLines() const override;
    void SetRequestToSend(bool on) override;
    void SetDataTerminalReady(bool on) override;
    void SendBreak(int milliseconds) override;
    void SetFlowControl(FlowControl flow) override;
    FlowControl Flow() const override { return flow_; }
    InputLines ReadInputLines() const override;
    // Starts a probe connection (name lookup included, never waited for) and answers true
    // once one got through; the probe is closed at once, the open connects anew.
    bool MayReopen() override;
    QString OpeningTarget() const override;

    // The open (name lookup, connect, negotiation) completes within kOpenMs. A malformed
    // address, an unknown host, a refused or timed-out connection -> Other, naming HOST:PORT.
    // Settings the server answers with other values, or leaves unanswered after agreeing to
    // COM-PORT-OPTION -> SettingsNotApplied or SettingsUnconfirmed. A server that never
    // negotiates is opened as a raw stream, which Notice says.
    static constexpr int kOpenMs = 2900;
    // On an open RFC 2217 port the server must confirm new settings within this long
    // (BaudRateNotSupported, SettingsNotApplied or SettingsUnconfirmed otherwise, the previous
    // ones sent again). A raw stream and a server without COM-PORT-OPTION keep them unapplied.
    static constexpr int kConfirmMs = 2000;
    static constexpr int kCloseDrainMs = 1000;
    // Output a server leaves unread past this bound drops the connection as a lost device.
    static constexpr qint64 kMaxUnsentBytes = 4 * 1024 * 1024;
    // The socket is read this much at a time, the event loop running between two reads, and
    // not at all while this much received data waits to be taken: the peer is then held back
    // by TCP's own flow control.
    static constexpr qint64 kReadSliceBytes = 64 * 1024;
    static constexpr int kMaxUnreadBytes = 256 * 1024;

private:
    enum class Phase { Idle, LookingUp, Connecting, Negotiating, Confirming, Open };

    void StartOpen(const QString& device) override;
    void CancelOpen() override;
    void StartApply(const PortSettingsString& wanted) override;
    void CancelApply() override;
    bool WriteData(std::string_view bytes) override;
    QIODevice* Device() const override;
    std::unique_ptr<QIODevice> ReleaseDevice() override;

    void OnLookedUp(const QList<QHostAddress>& addresses, const QString& why);
    void ConnectNext();
    void OnConnected();
    void OnSocketError(QAbstractSocket::SocketError error);
    void OnOpenTimeout();
    void OnPhaseTimeout();
    // The negotiation may have moved on after the server's bytes.
    void Advance();
    void FailOpen(PortErrorKind kind, const QString& why);
    void EndOpen();
    // nullopt when all answers match `wanted`, otherwise the refusal.
    std::optional<PortError> Verdict(const PortSettingsString& wanted, int waitedMs) const;
    void FinishApply();
    void SendControl(std::uint8_t value);
    void Write(const std::string& raw);
    // Output the server does not read past the bound: the connection is dropped. True when it
    // is within the bound.
    bool WithinOutputBound();
    // Ends the connection for `lossReason` when open (a lost device), or fails the open under
    // way with `openFailure` once the bytes in hand are dealt with.
    void DropConnection(const QString& lossReason, const QString& openFailure);
    void OnReadyRead();
    void Drained() override;
    // Reads again from the event loop (more waits in the socket than one slice).
    void ReadLater();
    // The data in telnet bytes from the server; answers, line states and modem states are
    // dealt with on the way.
    std::string Decode(std::string_view raw);
    void OnDisconnected();
    bool Telnet() const { return url_.scheme == PortUrl::Scheme::Rfc2217; }
    std::unique_ptr<QTcpSocket> NewSocket();

    HostLookup lookup_;
    std::unique_ptr<QTcpSocket> socket_;
    std::unique_ptr<QTcpSocket> probe_;       // the reconnect watch's look at the server
    std::unique_ptr<QObject> lookupContext_;  // gone with the open or probe it served
    std::unique_ptr<QObject> probeContext_;
    std::unique_ptr<rfc2217::Client> client_;
    PortUrl url_;
    Phase phase_ = Phase::Idle;
    QList<QHostAddress> addresses_;
    QString why_;  // why the last connect attempt failed
    QElapsedTimer openClock_;
    QTimer openLimit_;
    QTimer phaseLimit_;
    int confirmMs_ = kConfirmMs;
    // Data bytes that came with the negotiation: the port's once it opens, nobody's otherwise.
    std::string early_;
    bool comPort_ = false;  // the server took COM-PORT-OPTION on this connection
    bool readQueued_ = false;
    std::optional<PortSettingsString> applying_;
    QTimer applyLimit_;

    std::optional<bool> rts_;
    std::optional<bool> dtr_;
    FlowControl flow_ = FlowControl::None;
    InputLines lines_;
};

}  // namespace kestrum
