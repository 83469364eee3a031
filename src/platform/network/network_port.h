#pragma once
// The serial port service on a TCP connection: "rfc2217://HOST:PORT" (a serial device server,
// ser2net, speaking telnet's COM-PORT-OPTION) or "socket://HOST:PORT" (a raw byte stream whose
// line settings are the server's business). Port numbers 1..4 map to those addresses through
// the same lookup as local devices. Only ever connects: it listens on nothing.

#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "platform/network/port_url.h"
#include "platform/network/rfc2217.h"
#include "platform/port_settings.h"
#include "platform/qt_serial_port.h"
#include "platform/receive_queue.h"

class QTcpSocket;
class QElapsedTimer;

namespace kestrum {

class NetworkPort final : public SerialPort {
    Q_OBJECT
public:
    explicit NetworkPort(DeviceLookup devices, QObject* parent = nullptr);
    ~NetworkPort() override;

    int CommPort() const override { return commPort_; }
    void SetCommPort(int port) override;

    QString Settings() const override { return settings_.Format(); }
    // On an open RFC 2217 port the settings go to the server, which must confirm each within
    // kConfirmMs (BaudRateNotSupported or SettingsNotApplied otherwise, the previous ones
    // sent again). A raw stream and a server without COM-PORT-OPTION keep them unapplied.
    void SetSettings(const QString& settings) override;

    bool PortOpen() const override;
    // Connects within kOpenMs all told (name lookup, connect, negotiation). A malformed
    // address, an unknown host, a refused or timed-out connection -> Other, naming HOST:PORT.
    // Settings the server answers with other values, or leaves unanswered after agreeing to
    // COM-PORT-OPTION -> SettingsNotApplied. A server that never negotiates is opened as a
    // raw stream, which Notice says.
    void SetPortOpen(bool open) override;

    void SetRThreshold(int bytes) override;
    void SetInputLen(int bytes) override;
    int InBufferCount() const override;
    void SetInBufferCount(int count) override;
    int CommEvent() const override { return received_.CommEvent(); }
    std::string Input() override;
    void Output(std::string_view bytes) override;
    int OutBufferCount() const override;

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

    static constexpr int kOpenMs = 2900;
    static constexpr int kConfirmMs = 2000;
    static constexpr int kCloseDrainMs = 1000;

private:
    void Connect(const PortUrl& url, const QElapsedTimer& clock);
    void Negotiate(const PortUrl& url, const QElapsedTimer& clock);
    // Sends the settings and waits up to `waitMs` for the answers; nullopt when all match,
    // otherwise the error to throw.
    std::optional<PortError> ApplySettings(const PortSettingsString& settings, int waitMs);
    void SendControl(std::uint8_t value);
    void Write(const std::string& raw);
    void OnReadyRead();
    // The data in telnet bytes from the server; answers, line states and modem states are
    // dealt with on the way.
    std::string Decode(std::string_view raw);
    void OnDisconnected();
    void QueueLoss(const QString& reason);
    void LoseDevice();
    void Close();
    bool Telnet() const { return url_.scheme == PortUrl::Scheme::Rfc2217; }

    DeviceLookup devices_;
    std::unique_ptr<QTcpSocket> socket_;
    std::unique_ptr<QTcpSocket> probe_;  // the reconnect watch's look at the server
    std::unique_ptr<rfc2217::Client> client_;
    PortUrl url_;
    bool comPort_ = false;  // the server took COM-PORT-OPTION on this connection
    bool connected_ = false;
    int connection_ = 0;  // counts the opens, so a late break end spares a new connection
    int commPort_ = 1;
    PortSettingsString settings_;
    ReceiveQueue received_;  // kept across a close or a loss
    bool lossQueued_ = false;
    QString lossReason_;

    std::optional<bool> rts_;
    std::optional<bool> dtr_;
    FlowControl flow_ = FlowControl::None;
    InputLines lines_;
};

}  // namespace kestrum
