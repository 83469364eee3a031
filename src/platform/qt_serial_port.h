#pragma once
// The serial port service on QSerialPort. Port numbers 1..4 map to device names through a
// lookup (normally settings keys "Device1".."Device4").

#include "platform/port_settings.h"
#include "platform/receive_queue.h"
#include "platform/serial_port.h"
#include "storage/settings_store.h"

#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

class QSerialPort;

namespace kestrum {

// The device name of port 1..4 ("/dev/ttyS0", "COM1"); an empty name means no device.
using DeviceLookup = std::function<QString(int port)>;

// Reads "Device1".."Device4" from the store at every open, so an edited file takes effect at
// the next open. The store is copied (it only names its file).
DeviceLookup DevicesFromSettings(SettingsStore store);

class QtSerialPort final : public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(DeviceLookup devices, QObject* parent = nullptr);
    ~QtSerialPort() override;  // closes the port

    int CommPort() const override { return commPort_; }
    // While the port is open the new number takes effect at the next open.
    void SetCommPort(int port) override;

    QString Settings() const override { return settings_.Format(); }
    // Parsed by PortSettingsString; a malformed string throws SettingsNotApplied. On a
    // closed port the settings are kept for the next open. On an open port they are applied
    // and read back from the device: a refused baud rate throws BaudRateNotSupported, a
    // refused data bits, parity or stop bits setting SettingsNotApplied, and the previous
    // settings are put back in both cases.
    void SetSettings(const QString& settings) override;

    bool PortOpen() const override;
    // Opening: no device for the port number or a device that does not exist ->
    // InvalidPortNumber; the device locked by another program -> PortInUse; line settings the
    // device does not take -> SettingsNotApplied (the port stays closed); anything else,
    // such as missing permission -> Other. Closing first lets queued output leave (at most
    // kCloseDrainMs) and keeps received bytes that were not read yet.
    void SetPortOpen(bool open) override;

    int RThreshold() const { return received_.Threshold(); }
    // 0 turns the receive notification off; starts at 1.
    void SetRThreshold(int bytes) override;
    int InputLen() const { return received_.InputLen(); }
    void SetInputLen(int bytes) override;
    int InBufferCount() const override;
    // Only 0 is accepted: discards every waiting byte, also those the driver holds.
    void SetInBufferCount(int count) override;
    int CommEvent() const override { return received_.CommEvent(); }
    std::string Input() override;
    // Throws PortError(Other) when the port is closed or the write is refused.
    void Output(std::string_view bytes) override;
    int OutBufferCount() const override;

    // Control lines work on a device whose driver answers for the modem lines (TIOCMGET);
    // a pseudo-terminal does not.
    bool HasControlLines() const override;
    void SetRequestToSend(bool on) override;
    void SetDataTerminalReady(bool on) override;
    void SendBreak(int milliseconds) override;
    void SetFlowControl(FlowControl flow) override;
    FlowControl Flow() const override { return flow_; }
    InputLines ReadInputLines() const override { return inputLines_; }

    // The device path exists.
    bool MayReopen() override;

    // The device name the current port number maps to, for messages.
    QString DeviceName() const;

    static constexpr int kCloseDrainMs = 2000;
    // How often the input lines and the line error counts are read while the port is open.
    static constexpr int kLinePollMs = 150;

private:
    void OnReadyRead();
    void OnError(int error);  // QSerialPort::SerialPortError
    void LoseDevice();
    void Close();
    void KeepWaitingBytes();
    // Applies `settings` to the open device and reads them back; throws PortError.
    void ApplyToOpenDevice(const PortSettingsString& settings);
    void ConfigureDevice(const PortSettingsString& settings);
    [[noreturn]] void ThrowOpenFailure(const QString& device);
    // After an open: learns whether the control lines work and applies the output lines.
    void StartControlLines();
    void StopControlLines();
    void PollLines();
    void ApplyOutputLines();

    DeviceLookup devices_;
    std::unique_ptr<QSerialPort> serial_;
    int commPort_ = 1;
    PortSettingsString settings_;

    // Kept across close, so nothing that arrived is lost when the port closes or the device
    // disappears.
    ReceiveQueue received_;

    QString openDevice_;  // the device path of the current or last open
    bool lossQueued_ = false;
    QString lossReason_;

    // The output lines as the user wants them; raised, as the kernel raises them at an open,
    // until told otherwise.
    bool requestToSend_ = true;
    bool dataTerminalReady_ = true;
    FlowControl flow_ = FlowControl::None;
    bool hasControlLines_ = false;
    InputLines inputLines_;
    QTimer linePoll_;
    QTimer breakEnd_;
    // The driver's running counts of framing errors, parity errors and breaks, as last read;
    // negative when the driver keeps none.
    struct ErrorCounts {
        long framing = -1;
        long parity = -1;
        long breaks = -1;
    };
    ErrorCounts errorCounts_;
};

}  // namespace kestrum
