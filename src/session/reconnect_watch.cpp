#include "session/reconnect_watch.h"

#include <QFileInfo>

#include "platform/serial_port.h"
#include "session/port_session.h"

namespace kestrum {

ReconnectWatch::ReconnectWatch(SerialPort& port, std::function<QString()> device, QObject* parent)
    : QObject(parent), port_(port), device_(std::move(device)) {
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
    const QString device = device_();
    // A stat is all an absent device costs; an open is tried only once the path is there.
    // A network port ("rfc2217://...") has no path to look at: its open is the look.
    const bool url = device.contains(QLatin1String("://"));
    if (device.isEmpty() || (!url && !QFileInfo::exists(device))) {
        return;
    }
    try {
        port_.SetPortOpen(true);
        port_.SetRThreshold(1);
    } catch (const PortError& error) {
        const QString reason = PortWarningText(error);
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
