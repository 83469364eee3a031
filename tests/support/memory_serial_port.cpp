#include "support/memory_serial_port.h"

#include <algorithm>

namespace kestrum {

MemorySerialPort::MemorySerialPort(QObject* parent) : SerialPort(parent) {}

std::optional<PortError> MemorySerialPort::Scripted(Operation operation) {
    auto found = scripted_.find(operation);
    if (found == scripted_.end() || found->second.empty()) {
        return std::nullopt;
    }
    const PortErrorKind kind = found->second.front();
    found->second.erase(found->second.begin());
    return PortError(kind, "scripted failure");
}

void MemorySerialPort::SetCommPort(int port) {
    if (port < 1 || port > 4) {
        throw PortError(PortErrorKind::InvalidPortNumber, "port number outside 1..4");
    }
    commPort_ = port;
}

void MemorySerialPort::ApplySettings(const QString& settings) {
    const std::optional<PortSettingsString> parsed = PortSettingsString::Parse(settings);
    if (!parsed) {
        emit SettingsRefused(PortError(PortErrorKind::SettingsNotApplied, "malformed settings"));
        return;
    }
    // The settings in force again cost nothing, as with every port.
    if (held_ && open_ && *parsed != settings_) {
        heldSettings_ = *parsed;
        return;
    }
    CompleteSettings(*parsed, std::nullopt);
}

void MemorySerialPort::CompleteSettings(const PortSettingsString& settings,
                                        std::optional<PortErrorKind> failure) {
    std::optional<PortError> error = Scripted(Operation::SetSettings);
    if (failure) {
        error = PortError(*failure, "held settings refused");
    }
    if (error) {
        emit SettingsRefused(*error);
        return;
    }
    settings_ = settings;
    emit SettingsApplied();
}

void MemorySerialPort::Close() {
    opening_ = false;
    heldSettings_.reset();
    if (open_) {
        open_ = false;
        history_.push_back({false, commPort_, Settings()});
    }
}

void MemorySerialPort::Open() {
    if (open_ || opening_) {
        return;
    }
    opening_ = true;
    if (!held_) {
        CompleteOpen(std::nullopt);
    }
}

void MemorySerialPort::CompleteOpen(std::optional<PortErrorKind> failure) {
    opening_ = false;
    std::optional<PortError> error = Scripted(Operation::Open);
    if (const auto found = openFailures_.find(commPort_); found != openFailures_.end()) {
        error = PortError(found->second, "scripted open failure");
    }
    if (failure) {
        error = PortError(*failure, "held open failed");
    }
    if (error) {
        emit OpenFailed(*error);
        return;
    }
    open_ = true;
    history_.push_back({true, commPort_, Settings()});
    linesAtOpen_.push_back(Lines());
    emit Opened();
}

void MemorySerialPort::Release(std::optional<PortErrorKind> failure) {
    if (opening_) {
        CompleteOpen(failure);
    } else if (heldSettings_) {
        CompleteSettings(*std::exchange(heldSettings_, std::nullopt), failure);
    }
}

void MemorySerialPort::SetRequestToSend(bool on) {
    rts_ = on;
}

void MemorySerialPort::SetDataTerminalReady(bool on) {
    dtr_ = on;
}

void MemorySerialPort::InjectInputLines(InputLines lines) {
    inputLines_ = lines;
    if (open_) {
        emit InputLinesChanged(lines);
    }
}

void MemorySerialPort::SetRThreshold(int bytes) {
    if (bytes < 0) {
        throw PortError(PortErrorKind::Other, "Receive threshold below 0");
    }
    rThreshold_ = bytes;
}

void MemorySerialPort::SetInputLen(int bytes) {
    if (bytes < 0) {
        throw PortError(PortErrorKind::Other, "Input length below 0");
    }
    inputLen_ = bytes;
}

void MemorySerialPort::SetInBufferCount(int count) {
    if (count != 0) {
        throw PortError(PortErrorKind::Other, "Only 0 can be written to the receive count");
    }
    received_.clear();
}

std::string MemorySerialPort::Input() {
    const std::size_t count = inputLen_ == 0
                                  ? received_.size()
                                  : std::min(received_.size(), static_cast<std::size_t>(inputLen_));
    std::string bytes = received_.substr(0, count);
    received_.erase(0, count);
    return bytes;
}

void MemorySerialPort::Output(std::string_view bytes) {
    ++outputCalls_;
    if (const std::optional<PortError> error = Scripted(Operation::Output)) {
        throw *error;
    }
    if (!open_) {
        throw PortError(PortErrorKind::Other, "The port is closed");
    }
    written_ += bytes;
}

void MemorySerialPort::FailNext(Operation operation, PortErrorKind kind, int times) {
    for (int i = 0; i < times; ++i) {
        scripted_[operation].push_back(kind);
    }
}

void MemorySerialPort::SetOpenFailure(int port, std::optional<PortErrorKind> kind) {
    if (kind) {
        openFailures_[port] = *kind;
    } else {
        openFailures_.erase(port);
    }
}

bool MemorySerialPort::InjectReceived(std::string_view bytes) {
    if (!open_) {
        return false;
    }
    received_ += bytes;
    if (inOnComm_) {
        arrivedDuringOnComm_ = true;
        return true;
    }
    EmitOnComm();
    return true;
}

void MemorySerialPort::EmitOnComm() {
    bool again = true;
    while (again && rThreshold_ > 0 && InBufferCount() >= rThreshold_) {
        arrivedDuringOnComm_ = false;
        inOnComm_ = true;
        commEvent_ = kCommEventReceive;
        try {
            emit OnComm();
        } catch (...) {
            inOnComm_ = false;
            throw;
        }
        inOnComm_ = false;
        again = arrivedDuringOnComm_;
    }
}

void MemorySerialPort::LoseDevice(const QString& reason) {
    if (!open_) {
        return;
    }
    open_ = false;
    history_.push_back({false, commPort_, Settings()});
    emit DeviceLost(reason);
}

void MemorySerialPort::ClearRecords() {
    written_.clear();
    outputCalls_ = 0;
    history_.clear();
    linesAtOpen_.clear();
    breaks_.clear();
}

}  // namespace kestrum
