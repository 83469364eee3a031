#pragma once
// What happened to the link, as one line of text each, for a capture in log form: the port
// opened or closed, the device lost, reopened by the watch, a settings change. Read from the
// port session's state at each change, so that every way the link changes is told.

#include <QObject>
#include <QString>

#include "session/port_session.h"

namespace kestrum {

namespace link_event_text {
// %1 the device, %2 its line settings.
inline constexpr auto kOpened = "port opened: %1 %2";
inline constexpr auto kReopened = "reopened by the watch: %1 %2";
// %1 the device.
inline constexpr auto kClosed = "port closed: %1";
// %1 the device, %2 the reason the port service gave.
inline constexpr auto kLost = "device lost: %1 (%2)";
// %1 the new line settings.
inline constexpr auto kSettingsChanged = "settings changed: %1";
}  // namespace link_event_text

class LinkEvents final : public QObject {
    Q_OBJECT
public:
    explicit LinkEvents(PortSession& session, QObject* parent = nullptr);

signals:
    void Event(const QString& text);

private:
    struct Snapshot {
        PortSession::LinkState state = PortSession::LinkState::Closed;
        QString device;
        QString settings;
    };
    Snapshot Take() const;
    void Compare();

    PortSession& session_;
    Snapshot last_;
};

}  // namespace kestrum
