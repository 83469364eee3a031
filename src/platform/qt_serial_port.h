#pragma once
// The serial port service on QSerialPort. Port numbers 1..4 map to device names through a
// lookup (normally settings keys "Device1".."Device4").

#include "platform/buffered_port.h"
#include "storage/settings_store.h"

#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

class QSerialPort;

namespace kestrum {

// Reads "Device1".."Device4" from the store at every open, so an edited file takes effect at
// the next open. The store is copied (it only names its file).
DeviceLookup DevicesFromSettings(SettingsStore store);

// Opening: no device for the port number or a device that does not exist -> InvalidPortNumber;
// the device locked by another program -> PortInUse; line settings the device does not take ->
// SettingsNotApplied (the port stays closed); anything else, such as missing permission ->
// Other. A terminal opens without blocking, so an open and a settings change complete within
// the call. Settings on an open port are applied and read back from the device: a refused baud
// rate is BaudRateNotSupported, refused data bits, parity or stop bits SettingsNotApplied, and
// the previous settings are put back in both cases.
class QtSerialPort final : public BufferedPort {
    Q_OBJECT
public:
    explicit QtSerialPort(DeviceLookup devices, QObject* parent = nullptr);
    ~QtSerialPort() override;

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

    static constexpr int kCloseDrainMs = 2000;
    // How often the input lines and the line error counts are read while the port is open.
    static constexpr int kLinePollMs = 150;

private:
    void StartOpen(const QString& device) override;
    void CancelOpen() override {}
    void StartApply(const PortSettingsString& wanted) override;
    bool WriteData(std::string_view bytes) override;
    QIODevice* Device() const override;
    std::unique_ptr<QIODevice> ReleaseDevice() override;
    void DiscardDeviceInput() override;

    void OnReadyRead();
    void OnError(int error);  // QSerialPort::SerialPortError
    std::optional<PortError> OpenDevice(const QString& device);
    // Applies `wanted` to the open device and reads it back; the error when refused.
    std::optional<PortError> ApplyToOpenDevice(const PortSettingsString& wanted);
    static void Configure(QSerialPort& serial, const PortSettingsString& settings);
    PortError OpenFailure(const QString& device) const;
    // After an open: learns whether the control lines work and applies the output lines.
    void StartControlLines();
    void StopControlLines();
    void PollLines();
    void ApplyOutputLines();

    // The open device; null while closed.
    std::unique_ptr<QSerialPort> serial_;
    QString openDevice_;  // the device path of the current or last open

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
