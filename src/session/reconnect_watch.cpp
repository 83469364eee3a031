#include "session/reconnect_watch.h"

#include "platform/serial_port.h"
#include "session/port_constants.h"
#include "session/port_session.h"

namespace kestrum {

ReconnectWatch::ReconnectWatch(SerialPort& port, QObject* parent) : QObject(parent), port_(port) {
    timer_.setInterval(kIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &ReconnectWatch::Look);
}

void ReconnectWatch::Start() {
    problem_.clear();
    timer_.start();
}

void ReconnectWatch::Stop() {
    timer_.stop();
    problem_.clear();
}

void ReconnectWatch::Look() {
    if (port_.PortOpen()) {
        Stop();
        return;
    }
    // An open is tried only once the port's own look says the device is back: a stat of a local
    // path, a probe connection to a server. An open that would wait is never tried blind.
    if (!port_.MayReopen()) {
        // The reason given at the last look went with the device.
        if (!problem_.isEmpty()) {
            problem_.clear();
            emit ProblemChanged(problem_);
        }
        return;
    }
    try {
        port_.SetPortOpen(true);
        port_.SetRThreshold(1);
    } catch (const PortError& error) {
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
        return;
    }
    Stop();
    emit Reopened();
}

}  // namespace kestrum
