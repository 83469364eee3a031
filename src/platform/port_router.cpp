#include "platform/port_router.h"

#include <climits>

#include "platform/network/port_url.h"

namespace kestrum {

PortRouter::PortRouter(DeviceLookup devices, QObject* parent)
    : SerialPort(parent), devices_(devices), local_(devices), network_(devices) {
    Forward(local_);
    Forward(network_);
}

// Only the port in use is ever open, so only its signals reach the program.
void PortRouter::Forward(SerialPort& port) {
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

void PortRouter::SetSettings(const QString& settings) {
    active_->SetSettings(settings);
    Other().SetSettings(settings);
}

void PortRouter::SetPortOpen(bool open) {
    if (!open || active_->PortOpen()) {
        active_->SetPortOpen(open);
        return;
    }
    const QString device = devices_ ? devices_(CommPort()) : QString();
    SerialPort& wanted = IsNetworkDevice(device) ? static_cast<SerialPort&>(network_) : local_;
    if (&wanted != active_) {
        active_->SetPortOpen(false);
        active_ = &wanted;
    }
    active_->SetPortOpen(true);
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
