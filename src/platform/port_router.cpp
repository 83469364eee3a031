#include "platform/port_router.h"

#include <climits>

#include "platform/network/port_url.h"

namespace kestrum {

PortRouter::PortRouter(DeviceLookup devices, QObject* parent, HostLookup lookup)
    : SerialPort(parent),
      devices_(devices),
      local_(devices),
      network_(devices, nullptr, std::move(lookup)) {
    Forward(local_);
    Forward(network_);
}

// Only the port in use is ever open, so only its signals reach the program. The other one only
// keeps settings, which it takes at once: its completions are not the program's.
void PortRouter::Forward(SerialPort& port) {
    const auto active = [this, &port] { return &port == active_; };
    connect(&port, &SerialPort::Opened, this, [this, active] {
        if (active()) {
            emit Opened();
        }
    });
    connect(&port, &SerialPort::OpenFailed, this, [this, active](const PortError& error) {
        if (active()) {
            emit OpenFailed(error);
        }
    });
    connect(&port, &SerialPort::SettingsApplied, this, [this, active] {
        if (active()) {
            Other().ApplySettings(active_->Settings());
            emit SettingsApplied();
        }
    });
    connect(&port, &SerialPort::SettingsRefused, this, [this, active](const PortError& error) {
        if (active()) {
            emit SettingsRefused(error);
        }
    });
    connect(&port, &SerialPort::OnComm, this, &SerialPort::OnComm);
    connect(&port, &SerialPort::DeviceLost, this, &SerialPort::DeviceLost);
    connect(&port, &SerialPort::InputLinesChanged, this, &SerialPort::InputLinesChanged);
    connect(&port, &SerialPort::LineErrorOccurred, this, &SerialPort::LineErrorOccurred);
    connect(&port, &SerialPort::Notice, this, &SerialPort::Notice);
}

void PortRouter::SetCommPort(int port) {
    local_.SetCommPort(port);
    network_.SetCommPort(port);
}

void PortRouter::Open() {
    if (active_->PortOpen() || active_->Opening()) {
        return;
    }
    const QString device = devices_ ? devices_(CommPort()) : QString();
    SerialPort& wanted = IsNetworkDevice(device) ? static_cast<SerialPort&>(network_) : local_;
    if (&wanted != active_) {
        active_->Close();
        active_ = &wanted;
    }
    active_->Open();
}

bool PortRouter::MayReopen() {
    const QString device = devices_ ? devices_(CommPort()) : QString();
    return IsNetworkDevice(device) ? network_.MayReopen() : local_.MayReopen();
}

void PortRouter::SetRThreshold(int bytes) {
    local_.SetRThreshold(bytes);
    network_.SetRThreshold(bytes);
}

void PortRouter::SetInputLen(int bytes) {
    local_.SetInputLen(bytes);
    network_.SetInputLen(bytes);
}

int PortRouter::InBufferCount() const {
    const long long total =
        static_cast<long long>(local_.InBufferCount()) + network_.InBufferCount();
    return total > INT_MAX ? INT_MAX : static_cast<int>(total);
}

void PortRouter::SetInBufferCount(int count) {
    local_.SetInBufferCount(count);
    network_.SetInBufferCount(count);
}

std::string PortRouter::Input() {
    SerialPort& other = Other();
    return other.InBufferCount() > 0 ? other.Input() : active_->Input();
}

void PortRouter::SetRequestToSend(bool on) {
    local_.SetRequestToSend(on);
    network_.SetRequestToSend(on);
}

void PortRouter::SetDataTerminalReady(bool on) {
    local_.SetDataTerminalReady(on);
    network_.SetDataTerminalReady(on);
}

void PortRouter::SetFlowControl(FlowControl flow) {
    local_.SetFlowControl(flow);
    network_.SetFlowControl(flow);
}

}  // namespace kestrum
