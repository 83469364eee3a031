#include "session/port_session.h"

#include <QScopedValueRollback>

#include "session/port_constants.h"
#include "storage/settings_keys.h"
#include "storage/settings_store.h"

namespace kestrum {

using namespace port_text;

namespace {

bool IsRefusedSettings(PortErrorKind kind) {
    return kind == PortErrorKind::SettingsNotApplied || kind == PortErrorKind::BaudRateNotSupported;
}

QString Text(const char* text) {
    return QString::fromLatin1(text);
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
        case PortErrorKind::Other:
            break;
    }
    return Text(kMsgPortOpenFailed) + QStringLiteral(": ") + QString::fromStdString(error.what());
}

PortSession::PortSession(SerialPort& port, SettingsStore& settings, QObject* parent)
    : QObject(parent), port_(port), settings_(settings) {
    connect(&port_, &SerialPort::DeviceLost, this, &PortSession::OnDeviceLost);
    connect(&port_, &SerialPort::LineErrorOccurred, &counters_, &TrafficCounters::AddLineError);
    connect(&lines_, &LineControl::Warning, this, &PortSession::Warning);
    connect(&watch_, &ReconnectWatch::Reopened, this, [this] {
        lost_ = false;
        reopenedByWatch_ = true;
        emit StateChanged();
    });
    connect(&watch_, &ReconnectWatch::ProblemChanged, this, &PortSession::StateChanged);
}

PortSession::LinkState PortSession::State() const {
    if (port_.PortOpen()) {
        return LinkState::Open;
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
    lost_ = false;
    badPort_ = false;
    const QString number = boxes_->PortNumberText();
    settings_.SaveSetting(settings::kCommPort, number);
    try {
        if (port_.PortOpen()) {
            port_.SetPortOpen(false);
        }
        port_.SetCommPort(number.toShort());
        lines_.Load(PortNumber());
        if (const int portNumber = PortNumber(); portNumber != 0) {
            port_.SetSettings(settings_.GetSetting(settings::PortLineSettingsKey(portNumber)));
        }
        const QString current = port_.Settings();
        skipComboClick_ = true;
        // A stored baud rate outside the list leaves the box as it is; the port still runs at
        // the stored rate.
        boxes_->PickBaud(BaudPart(current));
        ShowFormatWithoutApplying(FormatPart(current));
        if (!userDisconnected_ && !port_.PortOpen()) {
            port_.SetPortOpen(true);
        }
        port_.SetRThreshold(1);
    } catch (const PortError& error) {
        if (error.kind() == PortErrorKind::InvalidPortNumber) {
            Warn(kMsgInvalidPort);
            badPort_ = true;
            return;
        }
        if (error.kind() == PortErrorKind::PortInUse || IsRefusedSettings(error.kind())) {
            Warn(error.kind() == PortErrorKind::PortInUse ? kMsgPortInUse : kMsgBaudNotSupported);
            // The baud box's handler re-applies both boxes, so the format box must show the
            // port's format first; at start-up it is still blank, and "9600," would be refused.
            ShowFormatWithoutApplying(FormatPart(port_.Settings()));
            skipComboClick_ = false;
            boxes_->PickBaud(BaudPart(port_.Settings()));
            return;
        }
        // Anything else: the port stays closed, and the user is told why rather than left
        // guessing.
        emit Warning(PortWarningText(error));
    }
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
    const StateNotice notice(*this);
    EndWatch();
    try {
        port_.SetSettings(boxes_->BaudText() + QStringLiteral(",") + boxes_->FormatText());
    } catch (const PortError& error) {
        if (error.kind() == PortErrorKind::InvalidPortNumber) {
            Warn(kMsgInvalidPort);
            boxes_->PickPortNumber(QStringLiteral("1"));
            return;
        }
        if (IsRefusedSettings(error.kind())) {
            if (puttingBoxBack_) {
                // The other box does not show what the port runs at (a stored baud rate that
                // is not in the list, say), so putting this one back is refused as well: stop
                // here rather than put it back for ever.
                return;
            }
            Warn(picked == LineBox::Format ? kMsgFormatNotSupported : kMsgBaudNotSupported);
            // Put the box back to what the port still runs at; its handler stores that.
            const QScopedValueRollback puttingBack(puttingBoxBack_, true);
            PutBack(picked, port_.Settings());
            return;
        }
        // Any other failure: skip applying and store what the port accepted.
    }
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
        if (port_.PortOpen()) {
            port_.SetPortOpen(false);
        }
        userDisconnected_ = true;
        return ConnectResult::Disconnected;
    }
    if (!port_.PortOpen()) {
        try {
            port_.SetPortOpen(true);
        } catch (const PortError& error) {
            // The port was taken or vanished meanwhile: stay disconnected and say why.
            emit Warning(PortWarningText(error));
            return ConnectResult::Disconnected;
        }
    }
    lost_ = false;
    userDisconnected_ = false;
    return ConnectResult::Connected;
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

bool PortSession::OpenForSend() {
    if (port_.PortOpen()) {
        return true;
    }
    const StateNotice notice(*this);
    try {
        port_.SetPortOpen(true);
        EndWatch();
        lost_ = false;
        return true;
    } catch (const PortError& error) {
        // Nothing is sent or echoed: a string that did not leave must not look as if it had.
        emit Warning(PortWarningText(error));
        return false;
    }
}

bool PortSession::ApplyDialogSettings(const QString& baud, const QString& format,
                                      bool formatChanged) {
    const StateNotice notice(*this);
    EndWatch();
    try {
        port_.SetSettings(baud + QStringLiteral(",") + format);
    } catch (const PortError& error) {
        const bool baudRefused = error.kind() == PortErrorKind::BaudRateNotSupported;
        if (baudRefused && !formatChanged) {
            Warn(kMsgBaudNotSupported);
            PutBack(LineBox::Baud, port_.Settings());
            return false;
        }
        if (baudRefused || error.kind() == PortErrorKind::SettingsNotApplied) {
            Warn(kMsgFormatNotSupported);
            PutBack(LineBox::Format, port_.Settings());
            return false;
        }
        // Any other failure: the lists apply the settings again below and report their own
        // failures.
    }
    boxes_->PickBaud(baud);
    if (!boxes_->HasFormat(format)) {
        boxes_->AddFormat(format);
    }
    boxes_->PickFormat(format);
    return true;
}

bool PortSession::ChangeDevice(const QString& device) {
    const int number = PortNumber();
    const QString chosen = device.trimmed();
    if (number == 0) {
        return true;
    }
    const settings::SettingKey& key = settings::PortDeviceKey(number);
    const QString previous = settings_.GetSetting(key);
    if (chosen.isEmpty() || chosen == previous) {
        return true;
    }
    const StateNotice notice(*this);
    EndWatch();
    settings_.SaveSetting(key, chosen);
    if (userDisconnected_) {
        // Disconnected by the user: the new device is used at the next Connect.
        return true;
    }
    const bool wasOpen = port_.PortOpen();
    // The port service looks the device up at every open.
    port_.SetPortOpen(false);
    try {
        port_.SetPortOpen(true);
        port_.SetRThreshold(1);
        return true;
    } catch (const PortError& error) {
        emit Warning(PortWarningText(error));
    }
    // Back to the device that worked before, so that Cancel leaves everything as it was.
    settings_.SaveSetting(key, previous);
    if (wasOpen) {
        try {
            port_.SetPortOpen(true);
            port_.SetRThreshold(1);
        } catch (const PortError&) {
            // Gone meanwhile; the next send says why.
        }
    }
    return false;
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

void PortSession::OnDeviceLost(const QString& reason) {
    // The port service has closed the port. Everything shown so far stays; the watch (or the
    // next send) opens the port again when the device is back.
    const StateNotice notice(*this);
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
}

}  // namespace kestrum
