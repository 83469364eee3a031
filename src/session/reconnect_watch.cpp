#include "session/reconnect_watch.h"

#include <utility>

#include "platform/serial_port.h"
#include "session/port_constants.h"
#include "session/port_session.h"

namespace kestrum {

ReconnectWatch::ReconnectWatch(SerialPort& port, QObject* parent) : QObject(parent), port_(port) {
    timer_.setInterval(kIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &ReconnectWatch::Look);
    connect(&port_, &SerialPort::Opened, this, [this] {
        if (std::exchange(opening_, false)) {
            port_.SetRThreshold(1);
            Stop();
            emit Reopened();
        }
    });
    connect(&port_, &SerialPort::OpenFailed, this, [this](const PortError& error) {
        if (!std::exchange(opening_, false)) {
            return;
        }
        // The status line says what stands at the device's path; the port selection's message
        // keeps the short "Invalid Port Number".
        const QString reason = error.kind() == PortErrorKind::InvalidPortNumber
                                   ? QString::fromLatin1(port_text::kMsgPortOpenFailed) +
                                         QStringLiteral(": ") + QString::fromStdString(error.what())
                                   : PortWarningText(error);
        if (reason != problem_) {
            problem_ = reason;
            emit ProblemChanged(reason);
        }
    });
}

void ReconnectWatch::Start() {
    problem_.clear();
    timer_.start();
}

void ReconnectWatch::Stop() {
    timer_.stop();
    problem_.clear();
    // An open it started goes on for whoever asks for the port next.
    opening_ = false;
}

void ReconnectWatch::Look() {
    if (port_.PortOpen()) {
        Stop();
        return;
    }
    // An open is tried only once the port's own look says the device is back: a stat of a local
    // path, a probe connection to a server. The open never waits; a look while it is under way
    // leaves it be.
    if (opening_ || port_.Opening()) {
        return;
    }
    if (!port_.MayReopen()) {
        // The reason given at the last look went with the device.
        if (!problem_.isEmpty()) {
            problem_.clear();
            emit ProblemChanged(problem_);
        }
        return;
    }
    opening_ = true;
    port_.Open();
}

}  // namespace kestrum
