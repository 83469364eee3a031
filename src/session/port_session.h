#pragma once
// The port rules every window shares: selecting a port, applying its line settings,
// Connect/Disconnect, opening before a send, choosing a port's device, and the warning each
// failure shows. The windows only translate their events into these calls.
//
// The main window's three lists (port number, baud rate, format) are the port selection's
// own controls: a program's pick runs the list's click handler as a user's does, and these
// rules rely on that order, so the session drives the lists through `PortBoxes`.

#include <QObject>
#include <QString>
#include <deque>
#include <functional>
#include <optional>

#include "platform/serial_port.h"
#include "session/line_control.h"
#include "session/reconnect_watch.h"
#include "session/traffic_counters.h"

namespace kestrum {

class SettingsStore;

// The port number, baud rate and format lists of the window that shows the selection.
class PortBoxes {
public:
    virtual ~PortBoxes() = default;
    virtual QString PortNumberText() const = 0;
    virtual QString BaudText() const = 0;
    virtual QString FormatText() const = 0;
    // Each picks the first entry with exactly this text and runs that list's click handler,
    // as a user's pick does. False, with nothing changed, when the list has no such entry.
    virtual bool PickPortNumber(const QString& text) = 0;
    virtual bool PickBaud(const QString& text) = 0;
    virtual bool PickFormat(const QString& text) = 0;
    virtual bool HasFormat(const QString& format) const = 0;
    // Adds `format` as the format list's last entry.
    virtual void AddFormat(const QString& format) = 0;
};

// "9600,n,8,1": the baud part is everything before the first comma, the format the last
// five characters.
QString BaudPart(const QString& settings);
QString FormatPart(const QString& settings);

// The message for a port failure; a failure of no particular kind also says why, since no
// fixed text covers it.
QString PortWarningText(const PortError& error);

class PortSession final : public QObject {
    Q_OBJECT
public:
    PortSession(SerialPort& port, SettingsStore& settings, QObject* parent = nullptr);

    // The window whose lists show the selection; set once, before the first selection.
    void SetBoxes(PortBoxes& boxes) { boxes_ = &boxes; }

    SerialPort& Port() { return port_; }
    const SerialPort& Port() const { return port_; }

    // An open or a settings change is under way, or actions wait for their turn.
    bool Busy() const;

    // The last port selection failed because its number names no device.
    bool BadPort() const { return badPort_; }
    // Where Kestrum keeps its settings.
    const SettingsStore& Settings() const { return settings_; }
    // The user pressed Disconnect and has not pressed Connect since.
    bool UserDisconnected() const { return userDisconnected_; }
    // 1 to 4, or 0 when the port number list shows none of them.
    int PortNumber() const;
    // The device behind a port number (settings "Device1".."Device4").
    QString Device(int portNumber) const;

    // The port number list was picked: close, configure from the port's stored settings,
    // show them in the baud and format lists (without applying them again) and open, unless
    // the user disconnected.
    void SelectPort();
    // The baud rate or format list was picked: apply both lists' texts to the port and store
    // what it accepted for this port. A refusal puts the picked list back.
    enum class LineBox { Baud, Format };
    void ApplyLineSettings(LineBox picked);
    // A baud or format list got the focus.
    void WarnIfBadPort();

    // Connect/Disconnect: `disconnect` is the button's new state. Refused puts the button
    // back; a Connect whose open fails says why and leaves the user disconnected. Pending: the
    // open is under way, ConnectFinished tells how it ended; a Disconnect meanwhile cancels it.
    enum class ConnectResult { Connected, Disconnected, Refused, Pending };
    ConnectResult Connect(bool disconnect);

    // Before any send (Send String, a command button, the text file sender): an invalid or
    // disconnected port is refused with its message. True when refused.
    bool RefuseUse();
    // Then, once the send has its bytes: runs `send` once the port is open, opening a closed
    // one, in order with the user's other port actions. An open that fails says why and
    // drops the send; a Disconnect, another port pick or a device change drops it silently.
    // `dropped`, when given, is told of either.
    void OpenForSend(std::function<void()> send, std::function<void()> dropped = nullptr);

    // Port Settings' OK: applies "baud,format" and shows it in the lists, which store it.
    // `formatChanged` tells which part the user changed last, for the refusal's message.
    // `done(false)` when the port refused them (the lists show what it still runs at).
    void ApplyDialogSettings(const QString& baud, const QString& format, bool formatChanged,
                             std::function<void(bool)> done = nullptr);
    // Port Settings' device box: stores the device of the current port number and reopens
    // the port on it, unless the user disconnected. `done(false)`, with the previous device
    // back in force, when the new one cannot be opened.
    void ChangeDevice(const QString& device, std::function<void(bool)> done = nullptr);
    // With the port number naming no device: stores the device and selects the port again.
    // True when the port number now names a device.
    bool ChangeDeviceOfInvalidPort(const QString& device);
    // The program ends: whatever is under way or waiting is dropped and the port closed.
    void Shutdown();

    // --- Beyond the port selection: the link's state, automatic reconnect, the control
    // lines and the counters.
    enum class LinkState {
        Closed,        // not open, for no reason worth a word (no device, not opened yet)
        Connecting,    // an open is under way that takes time (a network port)
        Open,          // open
        Disconnected,  // the user pressed Disconnect
        Lost,          // the device disappeared and nobody is watching for it
        Reconnecting,  // the device disappeared; watching for it to return
    };
    LinkState State() const;
    // Why a returning device could not be reopened, while Reconnecting.
    QString StateDetail() const { return watch_.Problem(); }
    // Setting "ReconnectAutomatically"; off stops a running watch.
    bool ReconnectEnabled() const;
    void SetReconnectEnabled(bool on);

    ReconnectWatch& Watch() { return watch_; }
    LineControl& Lines() { return lines_; }
    TrafficCounters& Counters() { return counters_; }

signals:
    // A message the user must see, in the order the rules meet it.
    void Warning(const QString& text);
    // State(), StateDetail(), the port's device or line settings may have changed.
    void StateChanged();
    // A Connect that answered Pending has ended (Connected or Disconnected).
    void ConnectFinished(kestrum::PortSession::ConnectResult result);

private:
    using Done = std::function<void()>;
    using Failed = std::function<void(const PortError&)>;
    struct WaitingAction {
        bool needsPort;  // a send: dropped with the open it waited for
        Done action;
        Done dropped;  // told when a send is dropped
    };

    // An open or a settings change is under way.
    bool PortBusy() const;
    void OpenThen(Done opened, Failed failed);
    void ApplyThen(const QString& settings, Done applied, Failed refused);
    // Settings for the closed port; the refusal, if any.
    std::optional<PortError> KeepSettings(const QString& settings);
    void OnOpened();
    void OnOpenFailed(const PortError& error);
    void WhenIdle(bool needsPort, Done action, Done dropped = nullptr);
    void SchedulePump();
    void Pump();
    // True when sends were dropped.
    bool DropWaitingSends();
    void CancelPending();
    void SelectionFailed(const PortError& error);
    void LineSettingsRefused(LineBox picked, const PortError& error);
    void Warn(const char* text);
    void OnDeviceLost(const QString& reason);
    void PutBack(LineBox box, const QString& settings);
    void ShowFormatWithoutApplying(const QString& format);
    void StoreLineSettings();
    // A user's pick, Disconnect or settings change ends a watch for a lost device.
    void EndWatch();

    SerialPort& port_;
    SettingsStore& settings_;
    PortBoxes* boxes_ = nullptr;

    bool badPort_ = false;
    bool userDisconnected_ = false;
    // The next baud or format click comes from the port selection showing the port's
    // settings: it applies nothing.
    bool skipComboClick_ = false;
    // A refused list is being put back; a second refusal then stops instead of looping.
    bool puttingBoxBack_ = false;
    // The device was lost and the port has not been opened since.
    bool lost_ = false;
    // The watch reopened the port and nobody has opened or picked it since.
    bool reopenedByWatch_ = false;

    // What follows the open or settings change under way (one at a time).
    Done opDone_;
    Failed opFailed_;
    Done openDropped_;  // the send whose open is under way, told when it is cancelled
    bool settingsPending_ = false;
    // The user's actions made while the port was busy, in order.
    std::deque<WaitingAction> waiting_;
    bool pumpQueued_ = false;
    // An action or a completion is running: the actions it starts run at once.
    bool nested_ = false;

    LineControl lines_{port_, settings_};
    TrafficCounters counters_;
    ReconnectWatch watch_{port_};
};

}  // namespace kestrum
