#include "session/traffic_path.h"

#include <algorithm>

#include <QPointer>

#include "notation/received_formatter.h"
#include "platform/transmit.h"
#include "session/app_state.h"
#include "session/port_constants.h"
#include "session/port_session.h"
#include "session/text_file_send.h"
#include "storage/settings_store.h"

namespace kestrum {

TrafficPath::TrafficPath(PortSession& session, const AppState& state, QObject* parent)
    : QObject(parent), session_(session), state_(state) {
    connect(&session_.Port(), &SerialPort::OnComm, this, &TrafficPath::DrainReceived);
}

void TrafficPath::DrainReceived() {
    SerialPort& port = session_.Port();
    port.SetInputLen(0);
    std::string bytes;
    while (port.InBufferCount() > 0) {
        const std::string chunk = port.Input();
        if (chunk.empty()) {
            break;
        }
        bytes += chunk;
    }
    if (bytes.empty()) {
        return;
    }
    session_.Counters().AddReceived(bytes.size());
    capture_.Received(bytes, state_.MainDisplayMode());
    emit Received(bytes);
}

std::optional<QString> TrafficPath::SaveRefusal(const QString& path, const char* saved) const {
    if (SameFile(path, session_.Settings().FileName())) {
        return QString::fromLatin1(capture_text::kMsgSettingsNotReplaced)
            .arg(path, QString::fromLatin1(saved));
    }
    return capture_.RefusalFor(path, saved);
}

void TrafficPath::AddFileSender(TextFileSend* sender) {
    fileSenders_.removeIf([](const QPointer<TextFileSend>& gone) { return gone.isNull(); });
    fileSenders_.append(sender);
}

bool TrafficPath::FileSendRunning() const {
    return std::any_of(
        fileSenders_.begin(), fileSenders_.end(),
        [](const QPointer<TextFileSend>& sender) { return sender && sender->Running(); });
}

bool TrafficPath::RefuseUse() {
    return session_.RefuseUse();
}

bool TrafficPath::RefuseUserSend() {
    if (userSendsHeld_) {
        emit UserSendRefused();
        return true;
    }
    return RefuseUse();
}

void TrafficPath::WhenOpen(QObject* context, const std::function<void()>& write,
                           const std::function<void()>& dropped) {
    // Sends wait for an open under way in the order they were made; the session drops them
    // with the open when it fails or is cancelled.
    const QPointer<QObject> alive(context);
    session_.OpenForSend(
        [alive, write] {
            if (alive != nullptr) {
                write();
            }
        },
        [alive, dropped] {
            if (alive != nullptr && dropped) {
                dropped();
            }
        });
}

void TrafficPath::SendText(const std::string& text, DisplayMode mode, TrafficSource source) {
    // The echo is the string as typed, in the notation and Process Cr/Lf of the moment of the
    // send, whenever the port takes it.
    std::string echo = text;
    if (!(mode == DisplayMode::Ascii && state_.ProcessCrLf == 0)) {
        const bool passThrough = state_.ProcessCrLfOn();
        echo = ChangeMode(ChangeMode(text, DisplayMode::Ascii, DisplayMode::Hex, passThrough),
                          DisplayMode::Hex, DisplayMode::Ascii, passThrough);
    }
    Send({source, text, mode, std::move(echo), EncodeTransmitBytes(text, mode)});
}

void TrafficPath::SendBytes(const std::string& bytes, TrafficSource source) {
    const DisplayMode mode = state_.MainDisplayMode();
    Send({source, {}, mode, FormatReceived(bytes, mode, state_.ProcessCrLfOn()), bytes});
}

void TrafficPath::Send(const SentTraffic& sent) {
    WhenOpen(
        this, [this, sent] { Conclude(sent, TransmitBytes(sent.bytes, session_.Port())); },
        [this, source = sent.source] { emit SendFailed(source, 0); });
}

void TrafficPath::Conclude(const SentTraffic& sent, const TransmitResult& result) {
    session_.Counters().AddSent(static_cast<std::uint64_t>(result.written));
    if (result.refused > 0) {
        // The echo would show bytes that never left.
        const QString message =
            RefusalMessage(sent.source, result.refused, result.written + result.refused);
        emit SendFailed(sent.source, result.written);
        if (!message.isEmpty()) {
            emit Warning(message);
        }
        return;
    }
    HandOn(sent);
}

std::optional<QString> TrafficPath::Write(std::string_view bytes) {
    try {
        session_.Port().Output(bytes);
        session_.Counters().AddSent(bytes.size());
        return std::nullopt;
    } catch (const PortError&) {
        return RefusalMessage(TrafficSource::TextFile, static_cast<int>(bytes.size()),
                              static_cast<int>(bytes.size()));
    }
}

QString TrafficPath::RefusalMessage(TrafficSource source, int refused, int total) const {
    if (session_.UserDisconnected()) {
        return QString::fromLatin1(port_text::kMsgDisconnected);
    }
    if (!session_.Port().PortOpen()) {
        // A port lost under the send is reported once, as a lost device.
        return {};
    }
    if (source == TrafficSource::TextFile) {
        return QString::fromLatin1(traffic_text::kMsgFileRefused);
    }
    return QString::fromLatin1(traffic_text::kMsgStringRefused).arg(refused).arg(total);
}

void TrafficPath::HandOn(const SentTraffic& sent) {
    capture_.Sent(sent.bytes, state_.MainDisplayMode());
    emit Sent(sent);
}

}  // namespace kestrum
