#include "platform/network/network_port.h"

#include <QHostInfo>
#include <QTcpSocket>
#include <algorithm>

#include "platform/network/telnet_codec.h"

namespace kestrum {
namespace {

QString WithinSeconds(int ms) {
    return QStringLiteral("No answer within %1 s").arg((ms + 999) / 1000);
}

rfc2217::LineSettings ToProtocol(const PortSettingsString& settings) {
    rfc2217::LineSettings line;
    line.baud = static_cast<std::uint32_t>(settings.baud);
    line.dataSize = static_cast<std::uint8_t>(settings.dataBits);
    line.parity = static_cast<std::uint8_t>(static_cast<int>(settings.parity) + 1);
    line.stopSize = static_cast<std::uint8_t>(settings.stopBits);
    return line;
}

std::uint8_t FlowValue(FlowControl flow) {
    switch (flow) {
        case FlowControl::Hardware:
            return rfc2217::kFlowHardware;
        case FlowControl::Software:
            return rfc2217::kFlowSoftware;
        case FlowControl::None:
            break;
    }
    return rfc2217::kFlowNone;
}

// Deleted from the event loop: the object may be the one whose notification is running.
template <typename T>
void DropLater(std::unique_ptr<T>& object) {
    if (object) {
        object->disconnect();
        object.release()->deleteLater();
    }
}

}  // namespace

HostLookup SystemHostLookup() {
    return [](const QString& host, QObject* context, HostFound done) {
        QHostInfo::lookupHost(host, context, [done = std::move(done)](const QHostInfo& info) {
            QList<QHostAddress> addresses;
            for (const QHostAddress& address : info.addresses()) {
                if (!address.isNull() && !addresses.contains(address)) {
                    addresses.append(address);
                }
            }
            done(addresses, addresses.isEmpty() ? QStringLiteral("Unknown host") : QString());
        });
    };
}

NetworkPort::NetworkPort(DeviceLookup devices, QObject* parent, HostLookup lookup)
    : BufferedPort(std::move(devices), kCloseDrainMs, parent), lookup_(std::move(lookup)) {
    openLimit_.setSingleShot(true);
    connect(&openLimit_, &QTimer::timeout, this, &NetworkPort::OnOpenTimeout);
    phaseLimit_.setSingleShot(true);
    connect(&phaseLimit_, &QTimer::timeout, this, &NetworkPort::OnPhaseTimeout);
    applyLimit_.setSingleShot(true);
    connect(&applyLimit_, &QTimer::timeout, this, &NetworkPort::FinishApply);
}

NetworkPort::~NetworkPort() {
    if (socket_) {
        socket_->disconnect(this);
    }
    blockSignals(true);
}

std::unique_ptr<QTcpSocket> NetworkPort::NewSocket() {
    auto socket = std::make_unique<QTcpSocket>();
    // Qt reads no more than this ahead of the program; the kernel and TCP hold the rest.
    socket->setReadBufferSize(kReadSliceBytes);
    connect(socket.get(), &QTcpSocket::connected, this, &NetworkPort::OnConnected);
    connect(socket.get(), &QTcpSocket::readyRead, this, &NetworkPort::OnReadyRead);
    connect(socket.get(), &QTcpSocket::disconnected, this, &NetworkPort::OnDisconnected);
    connect(socket.get(), &QTcpSocket::errorOccurred, this, &NetworkPort::OnSocketError);
    return socket;
}

QString NetworkPort::OpeningTarget() const {
    return phase_ != Phase::Idle && phase_ != Phase::Open ? url_.Endpoint() : QString();
}

void NetworkPort::StartOpen(const QString& device) {
    const auto parsed = ParsePortUrl(device);
    if (const auto* error = std::get_if<PortUrlError>(&parsed)) {
        OpenRefused(PortError(PortErrorKind::Other, error->reason.toStdString()));
        return;
    }
    url_ = std::get<PortUrl>(parsed);
    why_.clear();
    early_.clear();
    lines_ = {};
    comPort_ = false;
    client_ = std::make_unique<rfc2217::Client>();
    openClock_.start();
    openLimit_.start(kOpenMs);
    phase_ = Phase::LookingUp;
    QHostAddress literal;
    if (literal.setAddress(url_.host)) {
        OnLookedUp({literal}, {});
        return;
    }
    lookupContext_ = std::make_unique<QObject>();
    lookup_(url_.host, lookupContext_.get(),
            [this](const QList<QHostAddress>& addresses, const QString& why) {
                OnLookedUp(addresses, why);
            });
}

void NetworkPort::OnLookedUp(const QList<QHostAddress>& addresses, const QString& why) {
    if (phase_ != Phase::LookingUp) {
        return;
    }
    DropLater(lookupContext_);
    addresses_ = addresses;
    why_ = why;
    phase_ = Phase::Connecting;
    ConnectNext();
}

void NetworkPort::ConnectNext() {
    if (addresses_.isEmpty()) {
        FailOpen(PortErrorKind::Other, why_.isEmpty() ? WithinSeconds(kOpenMs) : why_);
        return;
    }
    socket_ = NewSocket();
    socket_->connectToHost(addresses_.takeFirst(), url_.port);
}

void NetworkPort::OnSocketError(QAbstractSocket::SocketError error) {
    if (error == QAbstractSocket::SocketTimeoutError) {
        return;
    }
    if (phase_ == Phase::Connecting) {
        why_ = socket_->errorString();
        DropLater(socket_);
        QMetaObject::invokeMethod(
            this,
            [this, connection = Connection()] {
                if (phase_ == Phase::Connecting && connection == Connection() && !socket_) {
                    ConnectNext();
                }
            },
            Qt::QueuedConnection);
        return;
    }
    OnDisconnected();
}

void NetworkPort::OnConnected() {
    if (phase_ != Phase::Connecting) {
        return;
    }
    if (!Telnet()) {
        emit Notice(url_.Endpoint() +
                    QStringLiteral(": line settings cannot be applied to a raw network stream"));
        EndOpen();
        return;
    }
    // A server that never takes COM-PORT-OPTION still carries data: it is opened like a raw
    // stream, and the user is told once that the settings are not applied.
    phase_ = Phase::Negotiating;
    Write(client_->Start());
    phaseLimit_.start(
        std::max(0, std::min(kConfirmMs, kOpenMs) - static_cast<int>(openClock_.elapsed())));
    Advance();
}

void NetworkPort::Advance() {
    if (phase_ == Phase::Negotiating) {
        if (client_->ComPortRefused()) {
            OnPhaseTimeout();
            return;
        }
        if (!client_->ComPortAgreed()) {
            return;
        }
        comPort_ = true;
        // Sent before the settings: a server that answers SET-CONTROL does so before it
        // confirms them, so its silence is known once they are confirmed.
        SendControl(FlowValue(flow_));
        if (dtr_) {
            SendControl(*dtr_ ? rfc2217::kDtrOn : rfc2217::kDtrOff);
        }
        if (rts_) {
            SendControl(*rts_ ? rfc2217::kRtsOn : rfc2217::kRtsOff);
        }
        Write(client_->RequestLineStateMask(rfc2217::kLineParityError | rfc2217::kLineFramingError |
                                            rfc2217::kLineBreak));
        Write(client_->RequestSettings(ToProtocol(Current())));
        phase_ = Phase::Confirming;
        confirmMs_ =
            std::max(1, std::min(kConfirmMs, kOpenMs - static_cast<int>(openClock_.elapsed())));
        phaseLimit_.start(confirmMs_);
    }
    if (phase_ == Phase::Confirming && client_->SettingsAnswers().Complete()) {
        if (const std::optional<PortError> refused = Verdict(Current(), confirmMs_)) {
            comPort_ = false;
            FailOpen(refused->kind(), {});
            // FailOpen reported the verdict's own text.
            return;
        }
        EndOpen();
    }
}

void NetworkPort::OnPhaseTimeout() {
    if (phase_ == Phase::Negotiating) {
        emit Notice(url_.Endpoint() + QStringLiteral(": the server does not take line settings "
                                                     "(no RFC 2217 COM-PORT-OPTION); they are "
                                                     "not applied"));
        EndOpen();
    } else if (phase_ == Phase::Confirming) {
        comPort_ = false;
        FailOpen(PortErrorKind::SettingsUnconfirmed, {});
    }
}

void NetworkPort::OnOpenTimeout() {
    switch (phase_) {
        case Phase::LookingUp:
            FailOpen(PortErrorKind::Other,
                     QStringLiteral("The host name could not be looked up in time"));
            return;
        case Phase::Connecting:
            FailOpen(PortErrorKind::Other, WithinSeconds(kOpenMs));
            return;
        default:
            return;  // the negotiation has bounds of its own within this one
    }
}

void NetworkPort::FailOpen(PortErrorKind kind, const QString& why) {
    const std::string endpoint = url_.Endpoint().toStdString();
    PortError error(kind, endpoint + ": " + why.toStdString());
    if (phase_ == Phase::Confirming && kind != PortErrorKind::Other) {
        error = Verdict(Current(), confirmMs_).value_or(error);
    }
    CancelOpen();
    OpenRefused(error);
}

void NetworkPort::CancelOpen() {
    phase_ = Phase::Idle;
    openLimit_.stop();
    phaseLimit_.stop();
    DropLater(lookupContext_);
    if (socket_) {
        socket_->disconnect(this);  // its abort is no news
        socket_->abort();
        DropLater(socket_);
    }
    // What came with a connection that did not open belongs to no port.
    early_.clear();
    comPort_ = false;
}

void NetworkPort::EndOpen() {
    openLimit_.stop();
    phaseLimit_.stop();
    phase_ = Phase::Open;
    Received().Keep(early_);
    early_.clear();
    OpenDone();
    Drained();
}

std::optional<PortError> NetworkPort::Verdict(const PortSettingsString& settings,
                                              int waitedMs) const {
    const rfc2217::LineSettings wanted = ToProtocol(settings);
    const rfc2217::Answers& answers = client_->SettingsAnswers();
    const std::string endpoint = url_.Endpoint().toStdString();
    const std::string text = settings.Format().toStdString();
    if (!answers.Complete()) {
        return PortError(PortErrorKind::SettingsUnconfirmed,
                         endpoint + " did not confirm " + text + " within " +
                             std::to_string((waitedMs + 999) / 1000) + " s");
    }
    if (*answers.baud != wanted.baud) {
        return PortError(PortErrorKind::BaudRateNotSupported,
                         endpoint + " does not take " + std::to_string(wanted.baud) +
                             " baud (it answered " + std::to_string(*answers.baud) + ")");
    }
    if (*answers.dataSize != wanted.dataSize || *answers.parity != wanted.parity ||
        *answers.stopSize != wanted.stopSize) {
        return PortError(PortErrorKind::SettingsNotApplied,
                         endpoint + " does not take the settings " + text);
    }
    return std::nullopt;
}

void NetworkPort::StartApply(const PortSettingsString& wanted) {
    if (!comPort_) {
        SettingsDone(wanted);  // kept unapplied: the server does not take settings
        return;
    }
    applying_ = wanted;
    Write(client_->RequestSettings(ToProtocol(wanted)));
    applyLimit_.start(kConfirmMs);
}

void NetworkPort::FinishApply() {
    if (!applying_) {
        return;
    }
    const bool complete = client_->SettingsAnswers().Complete();
    if (!complete && applyLimit_.isActive()) {
        return;  // more answers to come
    }
    applyLimit_.stop();
    const PortSettingsString wanted = *std::exchange(applying_, std::nullopt);
    if (const std::optional<PortError> refused = Verdict(wanted, kConfirmMs)) {
        // The server may have taken part of them: the settings in force go again, unanswered.
        Write(client_->RequestSettings(ToProtocol(Current())));
        SettingsRefusedWith(*refused);
        return;
    }
    SettingsDone(wanted);
}

void NetworkPort::CancelApply() {
    applyLimit_.stop();
    applying_.reset();
}

void NetworkPort::Write(const std::string& raw) {
    if (socket_ && !raw.empty()) {
        socket_->write(raw.data(), static_cast<qint64>(raw.size()));
        WithinOutputBound();
    }
}

bool NetworkPort::WriteData(std::string_view bytes) {
    const std::string raw = Telnet() ? telnet::Escape(bytes) : std::string(bytes);
    const auto size = static_cast<qint64>(raw.size());
    return socket_->write(raw.data(), size) == size && WithinOutputBound();
}

bool NetworkPort::WithinOutputBound() {
    if (socket_->bytesToWrite() <= kMaxUnsentBytes) {
        return true;
    }
    const QString reason =
        QStringLiteral("The connection to %1 was dropped: the server does not read what is sent.")
            .arg(url_.Endpoint());
    DropConnection(reason, reason);
    return false;
}

void NetworkPort::DropConnection(const QString& lossReason, const QString& openFailure) {
    if (phase_ == Phase::Open) {
        QueueLoss(lossReason);
        return;
    }
    // Reported once the bytes in hand are dealt with.
    QMetaObject::invokeMethod(
        this,
        [this, openFailure, connection = Connection()] {
            if (connection == Connection() && Opening()) {
                FailOpen(PortErrorKind::Other, openFailure);
            }
        },
        Qt::QueuedConnection);
}

QIODevice* NetworkPort::Device() const {
    return phase_ == Phase::Open ? socket_.get() : nullptr;
}

// Control requests never fail the caller: a connection that went away is reported as lost.
void NetworkPort::SendControl(std::uint8_t value) {
    if (comPort_ && !LossQueued() && socket_ &&
        socket_->state() == QAbstractSocket::ConnectedState) {
        Write(client_->RequestControl(value));
    }
}

void NetworkPort::OnReadyRead() {
    readQueued_ = false;
    const std::size_t waiting =
        phase_ == Phase::Open ? static_cast<std::size_t>(Received().Count()) : early_.size();
    if (!socket_ || waiting >= static_cast<std::size_t>(kMaxUnreadBytes)) {
        return;  // read on once the program has taken what waits (Drained, EndOpen)
    }
    const QByteArray bytes = socket_->read(kReadSliceBytes);
    const std::string_view raw(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    // A raw stream's bytes go to the queue as read; telnet's are decoded first.
    std::string decoded;
    const std::string_view data = Telnet() ? (decoded = Decode(raw)) : raw;
    if (phase_ != Phase::Open) {
        early_.append(data);
        Advance();
    } else {
        if (!data.empty()) {
            Received().Arrived(data);
        }
        if (applying_ && client_->SettingsAnswers().Complete()) {
            FinishApply();
        }
    }
    if (socket_ && socket_->bytesAvailable() > 0) {
        ReadLater();
    }
}

void NetworkPort::ReadLater() {
    if (!readQueued_) {
        readQueued_ = true;
        QMetaObject::invokeMethod(this, &NetworkPort::OnReadyRead, Qt::QueuedConnection);
    }
}

void NetworkPort::Drained() {
    if (phase_ == Phase::Open && socket_ && socket_->bytesAvailable() > 0) {
        ReadLater();
    }
}

std::string NetworkPort::Decode(std::string_view raw) {
    rfc2217::Received got;
    client_->Receive(raw, got);
    Write(got.reply);
    if (got.modemState) {
        const std::uint8_t m = *got.modemState;
        const InputLines lines{(m & rfc2217::kModemCts) != 0, (m & rfc2217::kModemDsr) != 0,
                               (m & rfc2217::kModemDcd) != 0, (m & rfc2217::kModemRi) != 0};
        if (lines != lines_) {
            lines_ = lines;
            emit InputLinesChanged(lines);
        }
    }
    for (const std::uint8_t state : got.lineStates) {
        if ((state & rfc2217::kLineFramingError) != 0) {
            emit LineErrorOccurred(LineError::Framing);
        }
        if ((state & rfc2217::kLineParityError) != 0) {
            emit LineErrorOccurred(LineError::Parity);
        }
        if ((state & rfc2217::kLineBreak) != 0) {
            emit LineErrorOccurred(LineError::BreakReceived);
        }
    }
    if (got.stubbornOption) {
        emit Notice(QStringLiteral("%1: the server keeps changing telnet option %2; it stays as "
                                   "it is")
                        .arg(url_.Endpoint())
                        .arg(*got.stubbornOption));
    }
    if (got.overflow) {
        const QString reason = QStringLiteral(
                                   "The server at %1 sent a telnet negotiation longer "
                                   "than 64 KiB; the connection was dropped.")
                                   .arg(url_.Endpoint());
        DropConnection(reason, QStringLiteral("The server closed the connection (%1)").arg(reason));
    }
    return std::move(got.data);
}

void NetworkPort::OnDisconnected() {
    if (!socket_ || socket_->state() == QAbstractSocket::ConnectedState) {
        return;
    }
    if (phase_ == Phase::Negotiating || phase_ == Phase::Confirming) {
        FailOpen(PortErrorKind::Other, QStringLiteral("The server closed the connection"));
        return;
    }
    if (phase_ == Phase::Open) {
        QueueLoss(QStringLiteral("The connection to %1 was closed (%2).")
                      .arg(url_.Endpoint(), socket_->errorString()));
    }
}

std::unique_ptr<QIODevice> NetworkPort::ReleaseDevice() {
    phase_ = Phase::Idle;
    comPort_ = false;
    lines_ = {};
    if (!socket_) {
        return nullptr;
    }
    // What arrived before the close is still delivered.
    const QByteArray bytes = socket_->readAll();
    const std::string_view raw(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    Received().Keep(Telnet() && client_ ? Decode(raw) : std::string(raw));
    socket_->disconnect(this);
    return std::move(socket_);
}

bool NetworkPort::HasControlLines() const {
    return PortOpen() && comPort_ && client_->ControlAnswered();
}

void NetworkPort::SetRequestToSend(bool on) {
    rts_ = on;
    SendControl(on ? rfc2217::kRtsOn : rfc2217::kRtsOff);
}

void NetworkPort::SetDataTerminalReady(bool on) {
    dtr_ = on;
    SendControl(on ? rfc2217::kDtrOn : rfc2217::kDtrOff);
}

void NetworkPort::SendBreak(int milliseconds) {
    if (!PortOpen() || !comPort_) {
        return;
    }
    SendControl(rfc2217::kBreakOn);
    QTimer::singleShot(std::max(1, milliseconds), this, [this, connection = Connection()] {
        if (connection == Connection() && PortOpen()) {
            SendControl(rfc2217::kBreakOff);
        }
    });
}

void NetworkPort::SetFlowControl(FlowControl flow) {
    flow_ = flow;
    SendControl(FlowValue(flow));
}

InputLines NetworkPort::ReadInputLines() const {
    return PortOpen() ? lines_ : InputLines{};
}

bool NetworkPort::MayReopen() {
    const auto parsed = ParsePortUrl(DeviceName());
    const PortUrl* url = std::get_if<PortUrl>(&parsed);
    if (url == nullptr) {
        probe_.reset();
        probeContext_.reset();
        return false;
    }
    if (probe_ && probe_->state() == QAbstractSocket::ConnectedState) {
        probe_.reset();  // destroying the socket closes it
        return true;
    }
    if (probeContext_ || (probe_ && probe_->state() != QAbstractSocket::UnconnectedState)) {
        return false;  // a look under way
    }
    probeContext_ = std::make_unique<QObject>();
    const auto reach = [this, port = url->port](const QList<QHostAddress>& addresses,
                                                const QString&) {
        DropLater(probeContext_);
        if (addresses.isEmpty()) {
            return;
        }
        probe_ = std::make_unique<QTcpSocket>();
        // The probe keeps nothing a server sends: TCP's flow control holds the server back.
        probe_->setReadBufferSize(1);
        probe_->connectToHost(addresses.first(), port);
    };
    QHostAddress literal;
    if (literal.setAddress(url->host)) {
        reach({literal}, {});
    } else {
        lookup_(url->host, probeContext_.get(), reach);
    }
    return false;
}

}  // namespace kestrum
