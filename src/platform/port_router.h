#pragma once
// The port service the program runs on: at every open it looks at the device the port number
// names and opens it on the local serial port ("/dev/ttyUSB0") or on the network port
// ("rfc2217://rack-7:4001", "socket://10.0.0.5:4002"). Everything set on it (port number,
// settings, threshold, control lines) reaches both, so a switch between them loses nothing.

#include <memory>

#include "platform/network/network_port.h"
#include "platform/qt_serial_port.h"

namespace kestrum {

class PortRouter final : public SerialPort {
    Q_OBJECT
public:
    explicit PortRouter(DeviceLookup devices, QObject* parent = nullptr,
                        HostLookup lookup = SystemHostLookup());

    int CommPort() const override { return local_.CommPort(); }
    void SetCommPort(int port) override;
    QString Settings() const override { return active_->Settings(); }
    // Applied to the port in use (which may refuse), then kept by the other.
    void ApplySettings(const QString& settings) override { active_->ApplySettings(settings); }
    bool PortOpen() const override { return active_->PortOpen(); }
    bool Opening() const override { return active_->Opening(); }
    void Open() override;
    void Close() override { active_->Close(); }
    QString OpeningTarget() const override { return active_->OpeningTarget(); }
    void SetRThreshold(int bytes) override;
    void SetInputLen(int bytes) override;
    // Bytes left unread by the port used before a switch are read first.
    int InBufferCount() const override;
    void SetInBufferCount(int count) override;
    int CommEvent() const override { return active_->CommEvent(); }
    std::string Input() override;
    void Output(std::string_view bytes) override { active_->Output(bytes); }
    int OutBufferCount() const override { return active_->OutBufferCount(); }

    bool HasControlLines() const override { return active_->HasControlLines(); }
    void SetRequestToSend(bool on) override;
    void SetDataTerminalReady(bool on) override;
    void SendBreak(int milliseconds) override { active_->SendBreak(milliseconds); }
    void SetFlowControl(FlowControl flow) override;
    FlowControl Flow() const override { return active_->Flow(); }
    InputLines ReadInputLines() const override { return active_->ReadInputLines(); }

    // Asks the port that would open the current device.
    bool MayReopen() override;

private:
    void Forward(SerialPort& port);
    SerialPort& Other() { return active_ == &local_ ? static_cast<SerialPort&>(network_) : local_; }

    DeviceLookup devices_;
    QtSerialPort local_;
    NetworkPort network_;
    SerialPort* active_ = &local_;
};

}  // namespace kestrum
