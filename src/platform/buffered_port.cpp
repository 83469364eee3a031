#include "platform/buffered_port.h"

#include <climits>

namespace kestrum {

BufferedPort::BufferedPort(DeviceLookup devices, int closeDrainMs, QObject* parent)
    : SerialPort(parent), devices_(std::move(devices)), closeDrainMs_(closeDrainMs) {
    connect(&received_, &ReceiveQueue::OnComm, this, &SerialPort::OnComm);
    drainLimit_.setSingleShot(true);
    connect(&drainLimit_, &QTimer::timeout, this, &BufferedPort::DrainEnded);
}

// A port destroyed while its output drains drops what is left: the program is ending.
BufferedPort::~BufferedPort() = default;

void BufferedPort::SetCommPort(int port) {
    if (port < 1 || port > 4) {
        throw PortError(PortErrorKind::InvalidPortNumber,
                        "Port number " + std::to_string(port) + " is not 1 to 4");
    }
    commPort_ = port;
}

void BufferedPort::ApplySettings(const QString& text) {
    const std::optional<PortSettingsString> parsed = PortSettingsString::Parse(text);
    if (!parsed) {
        emit SettingsRefused(PortError(PortErrorKind::SettingsNotApplied,
                                       "Malformed port settings \"" + text.toStdString() + "\""));
        return;
    }
    // The same settings again (a refused list put back) cost nothing, whatever the device.
    if (!PortOpen() || *parsed == settings_) {
        settings_ = *parsed;
        emit SettingsApplied();
        return;
    }
    applying_ = true;
    StartApply(*parsed);
}

void BufferedPort::SettingsDone(const PortSettingsString& taken) {
    applying_ = false;
    settings_ = taken;
    emit SettingsApplied();
}

void BufferedPort::SettingsRefusedWith(const PortError& error) {
    applying_ = false;
    emit SettingsRefused(error);
}

void BufferedPort::Open() {
    if (open_ || opening_) {
        return;
    }
    opening_ = true;
    if (draining_) {
        openAfterDrain_ = true;
        return;
    }
    ++connection_;
    StartOpen(DeviceName());
}

void BufferedPort::OpenDone() {
    opening_ = false;
    open_ = true;
    lossQueued_ = false;
    emit Opened();
    received_.ScheduleNotify();
}

void BufferedPort::OpenRefused(const PortError& error) {
    opening_ = false;
    emit OpenFailed(error);
}

void BufferedPort::Close() {
    if (opening_) {
        opening_ = false;
        if (openAfterDrain_) {
            openAfterDrain_ = false;
        } else {
            CancelOpen();
        }
        return;
    }
    if (!open_) {
        return;
    }
    if (applying_) {
        applying_ = false;
        CancelApply();
    }
    open_ = false;
    lossQueued_ = false;
    Drain(ReleaseDevice());
}

void BufferedPort::Drain(std::unique_ptr<QIODevice> device) {
    if (!device || device->bytesToWrite() == 0) {
        return;  // destroying the device closes it
    }
    // Output() returns before the bytes leave; they get a bounded time to go from the event
    // loop, so that what was reported as sent is not dropped by the close.
    draining_ = std::move(device);
    connect(draining_.get(), &QIODevice::bytesWritten, this, [this] {
        if (draining_ && draining_->bytesToWrite() == 0) {
            QMetaObject::invokeMethod(this, &BufferedPort::DrainEnded, Qt::QueuedConnection);
        }
    });
    drainLimit_.start(closeDrainMs_);
}

void BufferedPort::DrainEnded() {
    drainLimit_.stop();
    if (!draining_) {
        return;
    }
    draining_->disconnect(this);
    draining_.reset();
    if (openAfterDrain_) {
        openAfterDrain_ = false;
        ++connection_;
        StartOpen(DeviceName());
    }
}

void BufferedPort::QueueLoss(const QString& reason) {
    if (lossQueued_ || !open_) {
        return;
    }
    // A failing device keeps reporting until it is closed; close it from the event loop
    // rather than from inside the device's own notification.
    lossQueued_ = true;
    lossReason_ = reason;
    QMetaObject::invokeMethod(this, &BufferedPort::LoseDevice, Qt::QueuedConnection);
}

void BufferedPort::LoseDevice() {
    if (!lossQueued_ || !open_) {
        return;
    }
    if (applying_) {
        applying_ = false;
        CancelApply();
    }
    open_ = false;
    lossQueued_ = false;
    ReleaseDevice().reset();  // nothing can leave through a lost device
    emit DeviceLost(lossReason_);
    received_.ScheduleNotify();  // bytes that arrived before the loss are still delivered
}

void BufferedPort::SetInBufferCount(int count) {
    if (count != 0) {
        throw PortError(PortErrorKind::Other, "Only 0 can be written to the receive count");
    }
    if (open_) {
        DiscardDeviceInput();
    }
    received_.Clear();
    Drained();
}

std::string BufferedPort::Input() {
    std::string bytes = received_.Take();
    Drained();
    return bytes;
}

void BufferedPort::Output(std::string_view bytes) {
    if (!PortOpen()) {
        throw PortError(PortErrorKind::Other, "The port is closed");
    }
    if (!WriteData(bytes)) {
        const QIODevice* device = Device();
        throw PortError(
            PortErrorKind::Other,
            "Write refused: " + (device ? device->errorString().toStdString() : std::string()));
    }
}

int BufferedPort::OutBufferCount() const {
    const QIODevice* device = open_ ? Device() : nullptr;
    return device ? static_cast<int>(std::min<qint64>(device->bytesToWrite(), INT_MAX)) : 0;
}

}  // namespace kestrum
