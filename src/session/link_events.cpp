#include "session/link_events.h"

namespace kestrum {

using namespace link_event_text;
using State = PortSession::LinkState;

LinkEvents::LinkEvents(PortSession& session, QObject* parent)
    : QObject(parent), session_(session), last_(Take()) {
    connect(&session_, &PortSession::StateChanged, this, &LinkEvents::Compare);
    // The reason is the port's own; the state change that goes with it is then not told again.
    connect(&session_.Port(), &SerialPort::DeviceLost, this, [this](const QString& reason) {
        emit Event(QString::fromLatin1(kLost).arg(last_.device, reason));
    });
}

LinkEvents::Snapshot LinkEvents::Take() const {
    const SerialPort& port = session_.Port();
    return {session_.State(), session_.Device(port.CommPort()), port.Settings()};
}

void LinkEvents::Compare() {
    const Snapshot now = Take();
    const Snapshot before = std::exchange(last_, now);
    const bool wasOpen = before.state == State::Open;
    if (now.state == State::Open) {
        if (!wasOpen || now.device != before.device) {
            const bool watched = before.state == State::Lost || before.state == State::Reconnecting;
            emit Event(
                QString::fromLatin1(watched ? kReopened : kOpened).arg(now.device, now.settings));
        } else if (now.settings != before.settings) {
            emit Event(QString::fromLatin1(kSettingsChanged).arg(now.settings));
        }
    } else if (wasOpen && (now.state == State::Closed || now.state == State::Disconnected)) {
        emit Event(QString::fromLatin1(kClosed).arg(before.device));
    }
}

}  // namespace kestrum
