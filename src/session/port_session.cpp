#include "session/port_session.h"

#include <QScopedValueRollback>
#include <memory>
#include <utility>
#include <vector>

#include "session/port_constants.h"
#include "storage/settings_keys.h"
#include "storage/settings_store.h"

namespace kestrum {

using namespace port_text;

namespace {

bool IsRefusedSettings(PortErrorKind kind) {
    return kind == PortErrorKind::SettingsNotApplied ||
           kind == PortErrorKind::BaudRateNotSupported ||
           kind == PortErrorKind::SettingsUnconfirmed;
}

QString Text(const char* text) {
    return QString::fromLatin1(text);
}

// A server that never answered is named with what it did not confirm: the refusal's own text
// would blame settings it may well take.
QString RefusalText(const PortError& error, const char* refused) {
    return error.kind() == PortErrorKind::SettingsUnconfirmed ? PortWarningText(error)
                                                              : Text(refused);
}

// Tells the status line once the operation in hand has run its course, however it ended.
class StateNotice {
public:
    explicit StateNotice(PortSession& session) : session_(session) {}
    ~StateNotice() { emit session_.StateChanged(); }
    StateNotice(const StateNotice&) = delete;
    StateNotice& operator=(const StateNotice&) = delete;

private:
    PortSession& session_;
};

}  // namespace

QString BaudPart(const QString& settings) {
    return settings.left(settings.indexOf(','));
}

QString FormatPart(const QString& settings) {
    return settings.right(5);
}

QString PortWarningText(const PortError& error) {
    switch (error.kind()) {
        case PortErrorKind::InvalidPortNumber:
            return Text(kMsgInvalidPort);
        case PortErrorKind::PortInUse:
            return Text(kMsgPortInUse);
        case PortErrorKind::BaudRateNotSupported:
        case PortErrorKind::SettingsNotApplied:
            return Text(kMsgBaudNotSupported);
        case PortErrorKind::SettingsUnconfirmed:
            return QStringLiteral("Warning: ") + QString::fromStdString(error.what());
        case PortErrorKind::Other:
            break;
    }
    return Text(kMsgPortOpenFailed) + QStringLiteral(": ") + QString::fromStdString(error.what());
}

PortSession::PortSession(SerialPort& port, SettingsStore& settings, QObject* parent)
    : QObject(parent), port_(port), settings_(settings) {
    connect(&port_, &SerialPort::DeviceLost, this, &PortSession::OnDeviceLost);
    connect(&port_, &SerialPort::LineErrorOccurred, &counters_, &TrafficCounters::AddLineError);
    connect(&port_, &SerialPort::Opened, this, &PortSession::OnOpened);
    connect(&port_, &SerialPort::OpenFailed, this, &PortSession::OnOpenFailed);
    connect(&port_, &SerialPort::SettingsApplied, this, [this] {
        settingsPending_ = false;
        opFailed_ = nullptr;
        if (auto applied = std::exchange(opDone_, nullptr)) {
            const QScopedValueRollback nested(nested_, true);
            applied();
        }
        SchedulePump();
    });
    connect(&port_, &SerialPort::SettingsRefused, this, [this](const PortError& error) {
        settingsPending_ = false;
        opDone_ = nullptr;
        if (auto refused = std::exchange(opFailed_, nullptr)) {
            const QScopedValueRollback nested(nested_, true);
            refused(error);
        }
        SchedulePump();
    });
    connect(&lines_, &LineControl::Warning, this, &PortSession::Warning);
    connect(&watch_, &ReconnectWatch::Reopened, this, [this] {
        lost_ = false;
        reopenedByWatch_ = true;
        emit StateChanged();
    });
    connect(&watch_, &ReconnectWatch::ProblemChanged, this, &PortSession::StateChanged);
}

// --- Operations that may complete later. The port completes an open or a settings change
// within the call when nothing needs waiting for, so what follows is set up first; while one
// is under way, the user's next actions wait their turn in `waiting_`.

bool PortSession::PortBusy() const {
    return port_.Opening() || settingsPending_;
}

bool PortSession::Busy() const {
    return PortBusy() || !waiting_.empty();
}

void PortSession::OpenThen(Done opened, Failed failed) {
    if (port_.PortOpen()) {
        opened();
        return;
    }
    opDone_ = std::move(opened);
    opFailed_ = std::move(failed);
    port_.Open();
}

void PortSession::ApplyThen(const QString& settings, Done applied, Failed refused) {
    settingsPending_ = true;
    opDone_ = std::move(applied);
    opFailed_ = std::move(refused);
    port_.ApplySettings(settings);
}

std::optional<PortError> PortSession::KeepSettings(const QString& settings) {
    // The port is closed here, and a closed port takes or refuses settings within the call.
    std::optional<PortError> refusal;
    ApplyThen(
        settings, [] {}, [&refusal](const PortError& error) { refusal = error; });
    return refusal;
}

void PortSession::OnOpened() {
    opFailed_ = nullptr;
    openDropped_ = nullptr;
    if (auto opened = std::exchange(opDone_, nullptr)) {
        const QScopedValueRollback nested(nested_, true);
        opened();
    }
    emit StateChanged();
    SchedulePump();
}

void PortSession::OnOpenFailed(const PortError& error) {
    opDone_ = nullptr;
    openDropped_ = nullptr;
    auto failed = std::exchange(opFailed_, nullptr);
    if (failed) {
        const QScopedValueRollback nested(nested_, true);
        failed(error);
    }
    // Sends that waited for this open go nowhere; their user hears why once.
    if (DropWaitingSends() && !failed) {
        emit Warning(PortWarningText(error));
    }
    emit StateChanged();
    SchedulePump();
}

// An action runs at once when the port is idle and nothing waits before it; one started by
// another action or by a completion runs at once too, as part of it (a refused list put back).
void PortSession::WhenIdle(bool needsPort, Done action, Done dropped) {
    if (!PortBusy() && (waiting_.empty() || nested_)) {
        const QScopedValueRollback nested(nested_, true);
        action();
        return;
    }
    waiting_.push_back({needsPort, std::move(action), std::move(dropped)});
    SchedulePump();
}

// The waiting actions run from the event loop, never inside the completion of another.
void PortSession::SchedulePump() {
    if (!pumpQueued_ && !waiting_.empty()) {
        pumpQueued_ = true;
        QMetaObject::invokeMethod(this, &PortSession::Pump, Qt::QueuedConnection);
    }
}

void PortSession::Pump() {
    pumpQueued_ = false;
    while (!PortBusy() && !waiting_.empty()) {
        const Done action = std::move(waiting_.front().action);
        waiting_.pop_front();
        const QScopedValueRollback nested(nested_, true);
        action();
    }
}

bool PortSession::DropWaitingSends() {
    std::vector<Done> dropped;
    const auto before = waiting_.size();
    std::erase_if(waiting_, [&dropped](WaitingAction& waiting) {
        if (waiting.needsPort && waiting.dropped) {
            dropped.push_back(std::move(waiting.dropped));
        }
        return waiting.needsPort;
    });
    for (const Done& tell : dropped) {
        tell();
    }
    return waiting_.size() != before;
}

void PortSession::CancelPending() {
    // A pending open or settings change ends here, and the sends that waited for it with it.
    opDone_ = nullptr;
    opFailed_ = nullptr;
    settingsPending_ = false;
    port_.Close();
    if (const Done dropped = std::exchange(openDropped_, nullptr)) {
        dropped();
    }
    DropWaitingSends();
}

PortSession::LinkState PortSession::State() const {
    if (port_.PortOpen()) {
        return LinkState::Open;
    }
    if (port_.Opening() && !watch_.Watching() && !port_.OpeningTarget().isEmpty()) {
        return LinkState::Connecting;
    }
    if (userDisconnected_) {
        return LinkState::Disconnected;
    }
    if (watch_.Watching()) {
        return LinkState::Reconnecting;
    }
    return lost_ ? LinkState::Lost : LinkState::Closed;
}

bool PortSession::ReconnectEnabled() const {
    // A damaged value keeps the default, on: the safe reading.
    return settings::ParseFlag(settings_.GetSetting(settings::kReconnectAutomatically))
        .value_or(true);
}

void PortSession::SetReconnectEnabled(bool on) {
    settings_.SaveSetting(settings::kReconnectAutomatically, settings::FlagText(on));
    if (!on) {
        EndWatch();
    } else if (lost_ && !userDisconnected_ && !port_.PortOpen()) {
        watch_.Start();
    }
    emit StateChanged();
}

void PortSession::EndWatch() {
    watch_.Stop();
    reopenedByWatch_ = false;
}

void PortSession::Warn(const char* text) {
    emit Warning(Text(text));
}

int PortSession::PortNumber() const {
    const int number = boxes_ != nullptr ? boxes_->PortNumberText().toInt() : 0;
    return number >= 1 && number <= settings::kPortCount ? number : 0;
}

QString PortSession::Device(int portNumber) const {
    return settings_.GetSetting(settings::PortDeviceKey(portNumber));
}

void PortSession::SelectPort() {
    const StateNotice notice(*this);
    EndWatch();
    CancelPending();
    lost_ = false;
    badPort_ = false;
    const QString number = boxes_->PortNumberText();
    settings_.SaveSetting(settings::kCommPort, number);
    try {
        port_.SetCommPort(number.toShort());
    } catch (const PortError& error) {
        SelectionFailed(error);
        return;
    }
    lines_.Load(PortNumber());
    if (const int portNumber = PortNumber(); portNumber != 0) {
        if (const std::optional<PortError> refused =
                KeepSettings(settings_.GetSetting(settings::PortLineSettingsKey(portNumber)))) {
            SelectionFailed(*refused);
            return;
        }
    }
    const QString current = port_.Settings();
    skipComboClick_ = true;
    // A stored baud rate outside the list leaves the box as it is; the port still runs at the
    // stored rate.
    boxes_->PickBaud(BaudPart(current));
    ShowFormatWithoutApplying(FormatPart(current));
    if (userDisconnected_) {
        port_.SetRThreshold(1);
        return;
    }
    OpenThen([this] { port_.SetRThreshold(1); },
             [this](const PortError& error) { SelectionFailed(error); });
}

void PortSession::SelectionFailed(const PortError& error) {
    if (error.kind() == PortErrorKind::InvalidPortNumber) {
        Warn(kMsgInvalidPort);
        badPort_ = true;
        return;
    }
    if (error.kind() == PortErrorKind::PortInUse || IsRefusedSettings(error.kind())) {
        emit Warning(error.kind() == PortErrorKind::PortInUse
                         ? Text(kMsgPortInUse)
                         : RefusalText(error, kMsgBaudNotSupported));
        // The baud box's handler re-applies both boxes, so the format box must show the port's
        // format first; at start-up it is still blank, and "9600," would be refused.
        ShowFormatWithoutApplying(FormatPart(port_.Settings()));
        skipComboClick_ = false;
        boxes_->PickBaud(BaudPart(port_.Settings()));
        return;
    }
    // Anything else: the port stays closed, and the user is told why rather than left
    // guessing.
    emit Warning(PortWarningText(error));
}

void PortSession::ShowFormatWithoutApplying(const QString& format) {
    skipComboClick_ = true;
    if (!boxes_->HasFormat(format)) {
        boxes_->AddFormat(format);
    }
    boxes_->PickFormat(format);
}

void PortSession::ApplyLineSettings(LineBox picked) {
    if (skipComboClick_) {
        skipComboClick_ = false;
        return;
    }
    const QString wanted = boxes_->BaudText() + QStringLiteral(",") + boxes_->FormatText();
    WhenIdle(false, [this, picked, wanted] {
        const StateNotice notice(*this);
        EndWatch();
        ApplyThen(
            wanted, [this] { StoreLineSettings(); },
            [this, picked](const PortError& error) { LineSettingsRefused(picked, error); });
    });
}

void PortSession::LineSettingsRefused(LineBox picked, const PortError& error) {
    if (error.kind() == PortErrorKind::InvalidPortNumber) {
        Warn(kMsgInvalidPort);
        boxes_->PickPortNumber(QStringLiteral("1"));
        return;
    }
    if (IsRefusedSettings(error.kind())) {
        if (puttingBoxBack_) {
            // The other box does not show what the port runs at (a stored baud rate that is
            // not in the list, say), so putting this one back is refused as well: stop here
            // rather than put it back for ever.
            return;
        }
        emit Warning(RefusalText(
            error, picked == LineBox::Format ? kMsgFormatNotSupported : kMsgBaudNotSupported));
        // Put the box back to what the port still runs at; its handler stores that, at once,
        // since the port already runs at it.
        const QScopedValueRollback puttingBack(puttingBoxBack_, true);
        PutBack(picked, port_.Settings());
        return;
    }
    // Any other failure: skip applying and store what the port accepted.
    StoreLineSettings();
}

void PortSession::PutBack(LineBox box, const QString& settings) {
    // A value the list does not offer leaves the list as it is.
    if (box == LineBox::Format) {
        boxes_->PickFormat(FormatPart(settings));
    } else {
        boxes_->PickBaud(BaudPart(settings));
    }
}

void PortSession::StoreLineSettings() {
    if (const int portNumber = PortNumber(); portNumber != 0) {
        settings_.SaveSetting(settings::PortLineSettingsKey(portNumber), port_.Settings());
    }
}

void PortSession::WarnIfBadPort() {
    if (badPort_) {
        Warn(kMsgInvalidPort);
    }
}

PortSession::ConnectResult PortSession::Connect(bool disconnect) {
    if (badPort_) {
        Warn(kMsgInvalidPort);
        return ConnectResult::Refused;
    }
    const StateNotice notice(*this);
    EndWatch();
    if (disconnect) {
        CancelPending();
        userDisconnected_ = true;
        return ConnectResult::Disconnected;
    }
    // Sends made while the connection is made wait for it.
    const bool wasDisconnected = std::exchange(userDisconnected_, false);
    std::optional<ConnectResult> result;
    auto finish = std::make_shared<std::function<void(ConnectResult)>>(
        [&result](ConnectResult done) { result = done; });
    OpenThen(
        [this, finish] {
            lost_ = false;
            (*finish)(ConnectResult::Connected);
        },
        [this, finish, wasDisconnected](const PortError& error) {
            // The port was taken or vanished meanwhile: stay disconnected and say why.
            userDisconnected_ = wasDisconnected;
            emit Warning(PortWarningText(error));
            (*finish)(ConnectResult::Disconnected);
        });
    if (result) {
        return *result;
    }
    *finish = [this](ConnectResult done) { emit ConnectFinished(done); };
    return ConnectResult::Pending;
}

bool PortSession::RefuseUse() {
    if (badPort_) {
        Warn(kMsgInvalidPort);
        return true;
    }
    if (userDisconnected_) {
        Warn(kMsgDisconnected);
        return true;
    }
    return false;
}

void PortSession::OpenForSend(Done send, Done dropped) {
    auto run = [this, send = std::move(send), dropped] {
        if (port_.PortOpen()) {
            send();
            return;
        }
        const StateNotice notice(*this);
        OpenThen(
            [this, send] {
                EndWatch();
                lost_ = false;
                send();
            },
            // Nothing is sent or echoed: a string that did not leave must not look as if it
            // had.
            [this, dropped](const PortError& error) {
                emit Warning(PortWarningText(error));
                if (dropped) {
                    dropped();
                }
            });
        if (port_.Opening()) {
            openDropped_ = dropped;
        }
    };
    WhenIdle(true, std::move(run), std::move(dropped));
}

void PortSession::ApplyDialogSettings(const QString& baud, const QString& format,
                                      bool formatChanged, std::function<void(bool)> done) {
    if (!done) {
        done = [](bool) {};
    }
    WhenIdle(false, [this, baud, format, formatChanged, done = std::move(done)] {
        const StateNotice notice(*this);
        EndWatch();
        // The lists show the settings and store them. Applied by the port, they are shown
        // without applying them again; after a failure of no particular kind, the lists apply
        // them again and report their own failures.
        const auto show = [this, baud, format, done](bool apply) {
            if (apply || boxes_->BaudText() != baud) {
                skipComboClick_ = !apply;
                if (!boxes_->PickBaud(baud)) {
                    skipComboClick_ = false;
                }
            }
            if (!boxes_->HasFormat(format)) {
                boxes_->AddFormat(format);
            }
            if (apply || boxes_->FormatText() != format) {
                skipComboClick_ = !apply;
                if (!boxes_->PickFormat(format)) {
                    skipComboClick_ = false;
                }
            }
            if (!apply) {
                StoreLineSettings();
            }
            done(true);
        };
        ApplyThen(
            baud + QStringLiteral(",") + format, [show] { show(false); },
            [this, formatChanged, show, done](const PortError& error) {
                const bool baudRefused = error.kind() == PortErrorKind::BaudRateNotSupported ||
                                         error.kind() == PortErrorKind::SettingsUnconfirmed;
                if (baudRefused && !formatChanged) {
                    emit Warning(RefusalText(error, kMsgBaudNotSupported));
                    PutBack(LineBox::Baud, port_.Settings());
                    done(false);
                } else if (baudRefused || error.kind() == PortErrorKind::SettingsNotApplied) {
                    emit Warning(RefusalText(error, kMsgFormatNotSupported));
                    PutBack(LineBox::Format, port_.Settings());
                    done(false);
                } else {
                    show(true);
                }
            });
    });
}

void PortSession::ChangeDevice(const QString& device, std::function<void(bool)> done) {
    if (!done) {
        done = [](bool) {};
    }
    const int number = PortNumber();
    const QString chosen = device.trimmed();
    if (number == 0) {
        done(true);
        return;
    }
    const settings::SettingKey& key = settings::PortDeviceKey(number);
    const QString previous = settings_.GetSetting(key);
    if (chosen.isEmpty() || chosen == previous) {
        done(true);
        return;
    }
    const StateNotice notice(*this);
    EndWatch();
    const bool wasOpen = port_.PortOpen() || port_.Opening();
    CancelPending();
    settings_.SaveSetting(key, chosen);
    if (userDisconnected_) {
        // Disconnected by the user: the new device is used at the next Connect.
        done(true);
        return;
    }
    // The port service looks the device up at every open.
    OpenThen(
        [this, done] {
            port_.SetRThreshold(1);
            done(true);
        },
        [this, key, previous, wasOpen, done](const PortError& error) {
            emit Warning(PortWarningText(error));
            // Back to the device that worked before, so that Cancel leaves everything as it
            // was; one that fails meanwhile is reported by the next send.
            settings_.SaveSetting(key, previous);
            if (wasOpen) {
                OpenThen([this] { port_.SetRThreshold(1); }, [](const PortError&) {});
            }
            done(false);
        });
}

bool PortSession::ChangeDeviceOfInvalidPort(const QString& device) {
    const int number = PortNumber();
    const QString chosen = device.trimmed();
    if (number == 0 || chosen.isEmpty()) {
        return false;
    }
    settings_.SaveSetting(settings::PortDeviceKey(number), chosen);
    // The port selection runs again on the new device; it reports its own failures.
    boxes_->PickPortNumber(boxes_->PortNumberText());
    return !badPort_;
}

void PortSession::Shutdown() {
    EndWatch();
    waiting_.clear();
    CancelPending();
}

void PortSession::OnDeviceLost(const QString& reason) {
    // The port service has closed the port, and dropped a settings change under way with it.
    // Everything shown so far stays; the watch (or the next send) opens the port again when
    // the device is back.
    const StateNotice notice(*this);
    if (settingsPending_) {
        settingsPending_ = false;
        opDone_ = nullptr;
        opFailed_ = nullptr;
    }
    lost_ = true;
    // A device that comes and goes was reported at its first loss; its later losses show
    // in the status line only, never as a message each.
    const bool told = reopenedByWatch_;
    if (ReconnectEnabled() && !userDisconnected_) {
        watch_.Start();
    }
    if (!told) {
        emit Warning(Text(kMsgDeviceLost) +
                     (reason.isEmpty() ? QString() : QStringLiteral(": ") + reason));
    }
    SchedulePump();
}

}  // namespace kestrum
