#pragma once
// What every real port service shares: the port number and its device lookup, the line
// settings, the receive queue, the open/apply/close bookkeeping with its completion signals,
// the queued device loss, and the close drain that lets queued output leave from the event
// loop. A subclass only talks to its device (a QSerialPort, a QTcpSocket).

#include <QIODevice>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/port_settings.h"
#include "platform/receive_queue.h"
#include "platform/serial_port.h"

namespace kestrum {

// The device name of port 1..4 ("/dev/ttyS0", "COM1", "rfc2217://host:4001"); an empty name
// means no device.
using DeviceLookup = std::function<QString(int port)>;

class BufferedPort : public SerialPort {
    Q_OBJECT
public:
    BufferedPort(DeviceLookup devices, int closeDrainMs, QObject* parent = nullptr);
    ~BufferedPort() override;

    int CommPort() const final { return commPort_; }
    // Throws PortError(InvalidPortNumber) outside 1..4; an open port uses it at the next open.
    void SetCommPort(int port) final;
    QString Settings() const final { return settings_.Format(); }
    void ApplySettings(const QString& settings) final;
    bool PortOpen() const final { return open_ && !lossQueued_; }
    bool Opening() const final { return opening_; }
    void Open() final;
    void Close() final;

    void SetRThreshold(int bytes) final { received_.SetThreshold(bytes); }
    void SetInputLen(int bytes) final { received_.SetInputLen(bytes); }
    int InBufferCount() const final { return received_.Count(); }
    // Only 0 is accepted: discards every waiting byte, also those the device holds.
    void SetInBufferCount(int count) final;
    int CommEvent() const final { return received_.CommEvent(); }
    std::string Input() final;
    // Throws PortError(Other) when the port is closed or the device refuses the write.
    void Output(std::string_view bytes) final;
    int OutBufferCount() const final;

    // The device name the current port number maps to, for messages.
    QString DeviceName() const { return devices_ ? devices_(commPort_) : QString(); }

protected:
    // Opens `device` with Current() settings and ends with OpenDone() or OpenRefused(), within
    // the call or later. The device object it opens is handed back by ReleaseDevice().
    virtual void StartOpen(const QString& device) = 0;
    // Drops an open under way; nothing is reported.
    virtual void CancelOpen() = 0;
    // Applies `wanted` to the open device and ends with SettingsDone() or SettingsRefusedWith().
    virtual void StartApply(const PortSettingsString& wanted) = 0;
    // Drops a settings change under way (the port closes); nothing is reported.
    virtual void CancelApply() {}
    // Writes data bytes to the open device; false when it refuses them.
    virtual bool WriteData(std::string_view bytes) = 0;
    // The open device, or null.
    virtual QIODevice* Device() const = 0;
    // The open device closes: what it holds unread goes to Received().Keep(), the subclass
    // forgets it and hands it over (null when there is none) to drain its output, or to be
    // dropped at once on a loss.
    virtual std::unique_ptr<QIODevice> ReleaseDevice() = 0;
    // The device holds received bytes of its own that SetInBufferCount(0) must drop too.
    virtual void DiscardDeviceInput() {}
    // Received bytes were taken; a device that stopped reading may read on.
    virtual void Drained() {}

    void OpenDone();
    void OpenRefused(const PortError& error);
    void SettingsDone(const PortSettingsString& taken);
    void SettingsRefusedWith(const PortError& error);
    // The open device failed; it is closed from the event loop, DeviceLost(reason) once.
    void QueueLoss(const QString& reason);

    const PortSettingsString& Current() const { return settings_; }
    ReceiveQueue& Received() { return received_; }
    bool LossQueued() const { return lossQueued_; }
    const QString& LossReason() const { return lossReason_; }
    // Counts the opens, so a late timer of an earlier connection spares a new one.
    int Connection() const { return connection_; }

private:
    void LoseDevice();
    void Drain(std::unique_ptr<QIODevice> device);
    void DrainEnded();

    DeviceLookup devices_;
    const int closeDrainMs_;
    int commPort_ = 1;
    PortSettingsString settings_;
    // Kept across close, so nothing that arrived is lost when the port closes or the device
    // disappears.
    ReceiveQueue received_;
    bool open_ = false;
    bool opening_ = false;
    bool applying_ = false;
    bool lossQueued_ = false;
    QString lossReason_;
    int connection_ = 0;

    // The device of the last close while its queued output leaves; an open waits for it.
    std::unique_ptr<QIODevice> draining_;
    QTimer drainLimit_;
    bool openAfterDrain_ = false;
};

}  // namespace kestrum
