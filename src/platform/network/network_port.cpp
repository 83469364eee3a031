#include "platform/network/network_port.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include <netdb.h>
#include <sys/socket.h>

#include "platform/network/telnet_codec.h"

namespace kestrum {
namespace {

int Remaining(const QElapsedTimer& clock, int budgetMs) {
    return std::max(0, budgetMs - static_cast<int>(clock.elapsed()));
}

// QAbstractSocket's own wait looks a name up without any time bound, so the lookup runs on a
// thread of its own and is waited for here, within the open's budget. A lookup that outlives
// the wait finishes on its own and is thrown away. The thread calls only the C library, so a
// program that ends meanwhile has no Qt state pulled from under it.
QList<QHostAddress> LookUp(const QString& host, int waitMs, QString& why) {
    QHostAddress literal;
    if (literal.setAddress(host)) {
        return {literal};
    }
    struct Shared {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        std::vector<sockaddr_storage> addresses;
    };
    auto shared = std::make_shared<Shared>();
    std::thread([shared, name = host.toStdString()] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        std::vector<sockaddr_storage> addresses;
        if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) == 0) {
            for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
                sockaddr_storage address{};
                std::memcpy(&address, a->ai_addr,
                            std::min<std::size_t>(a->ai_addrlen, sizeof address));
                addresses.push_back(address);
            }
            ::freeaddrinfo(found);
        }
        const std::lock_guard lock(shared->mutex);
        shared->addresses = std::move(addresses);
        shared->finished = true;
        shared->done.notify_all();
    }).detach();
    std::unique_lock lock(shared->mutex);
    if (!shared->done.wait_for(lock, std::chrono::milliseconds(waitMs),
                               [&] { return shared->finished; })) {
        why = QStringLiteral("The host name could not be looked up in time");
        return {};
    }
    QList<QHostAddress> addresses;
    for (const sockaddr_storage& address : shared->addresses) {
        const QHostAddress qt(reinterpret_cast<const sockaddr*>(&address));
        if (!qt.isNull() && !addresses.contains(qt)) {
            addresses.append(qt);
        }
    }
    if (addresses.isEmpty()) {
        why = QStringLiteral("Unknown host");
    }
    return addresses;
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

}  // namespace

NetworkPort::NetworkPort(DeviceLookup devices, QObject* parent)
    : SerialPort(parent), devices_(std::move(devices)), socket_(std::make_unique<QTcpSocket>()) {
    connect(&received_, &ReceiveQueue::OnComm, this, &SerialPort::OnComm);
    connect(socket_.get(), &QTcpSocket::readyRead, this, &NetworkPort::OnReadyRead);
    connect(socket_.get(), &QTcpSocket::disconnected, this, &NetworkPort::OnDisconnected);
    connect(socket_.get(), &QTcpSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError error) {
                if (error != QAbstractSocket::SocketTimeoutError) {
                    OnDisconnected();
                }
            });
}

NetworkPort::~NetworkPort() {
    socket_->disconnect(this);
    if (connected_) {
        Close();
    }
}

void NetworkPort::SetCommPort(int port) {
    if (port < 1 || port > 4) {
        throw PortError(PortErrorKind::InvalidPortNumber,
                        "Port number " + std::to_string(port) + " is not 1 to 4");
    }
    commPort_ = port;
}

bool NetworkPort::PortOpen() const {
    return connected_ && !lossQueued_;
}

void NetworkPort::SetPortOpen(bool open) {
    if (!open) {
        if (connected_) {
            Close();
        }
        return;
    }
    if (connected_) {
        return;
    }
    QElapsedTimer clock;
    clock.start();
    const QString device = devices_ ? devices_(commPort_) : QString();
    const auto parsed = ParsePortUrl(device);
    if (const auto* error = std::get_if<PortUrlError>(&parsed)) {
        throw PortError(PortErrorKind::Other, error->reason.toStdString());
    }
    url_ = std::get<PortUrl>(parsed);
    Connect(url_, clock);
    lossQueued_ = false;
    lines_ = {};
    client_ = std::make_unique<rfc2217::Client>();
    comPort_ = false;
    ++connection_;
    if (Telnet()) {
        Negotiate(url_, clock);
    } else {
        emit Notice(url_.Endpoint() +
                    QStringLiteral(": line settings cannot be applied to a raw network stream"));
    }
    connected_ = true;
    received_.ScheduleNotify();
}

void NetworkPort::Connect(const PortUrl& url, const QElapsedTimer& clock) {
    const std::string endpoint = url.Endpoint().toStdString();
    QString why;
    const QList<QHostAddress> addresses = LookUp(url.host, Remaining(clock, kOpenMs), why);
    for (const QHostAddress& address : addresses) {
        const int left = Remaining(clock, kOpenMs);
        if (left == 0) {
            break;
        }
        socket_->connectToHost(address, url.port);
        if (socket_->waitForConnected(left)) {
            return;
        }
        why = socket_->error() == QAbstractSocket::SocketTimeoutError
                  ? QStringLiteral("No answer within %1 s").arg((kOpenMs + 999) / 1000)
                  : socket_->errorString();
        socket_->abort();
    }
    if (why.isEmpty()) {
        why = QStringLiteral("No answer within %1 s").arg((kOpenMs + 999) / 1000);
    }
    throw PortError(PortErrorKind::Other, endpoint + ": " + why.toStdString());
}

void NetworkPort::Negotiate(const PortUrl& url, const QElapsedTimer& clock) {
    Write(client_->Start());
    // A server that never takes COM-PORT-OPTION still carries data: it is opened like a raw
    // stream, and the user is told once that the settings are not applied.
    const int negotiateMs = std::min(kConfirmMs, kOpenMs);
    while (!client_->ComPortAgreed() && !client_->ComPortRefused() && !lossQueued_ &&
           socket_->state() == QAbstractSocket::ConnectedState) {
        const int left =
            std::min(Remaining(clock, kOpenMs), negotiateMs - static_cast<int>(clock.elapsed()));
        if (left <= 0 || !socket_->waitForReadyRead(left)) {
            break;
        }
    }
    if (socket_->state() != QAbstractSocket::ConnectedState || lossQueued_) {
        const std::string reason = lossQueued_ ? lossReason_.toStdString() : "";
        socket_->abort();
        lossQueued_ = false;
        throw PortError(PortErrorKind::Other, url.Endpoint().toStdString() +
                                                  ": The server closed the connection" +
                                                  (reason.empty() ? "" : " (" + reason + ")"));
    }
    if (!client_->ComPortAgreed()) {
        emit Notice(url.Endpoint() + QStringLiteral(": the server does not take line settings "
                                                    "(no RFC 2217 COM-PORT-OPTION); they are "
                                                    "not applied"));
        return;
    }
    comPort_ = true;
    // Sent before the settings: a server that answers SET-CONTROL does so before it confirms
    // them, so its silence is known once they are confirmed, without a wait of its own.
    SendControl(FlowValue(flow_));
    if (dtr_) {
        SendControl(*dtr_ ? rfc2217::kDtrOn : rfc2217::kDtrOff);
    }
    if (rts_) {
        SendControl(*rts_ ? rfc2217::kRtsOn : rfc2217::kRtsOff);
    }
    Write(client_->RequestLineStateMask(rfc2217::kLineParityError | rfc2217::kLineFramingError |
                                        rfc2217::kLineBreak));
    const int confirmMs = std::max(1, std::min(kConfirmMs, Remaining(clock, kOpenMs)));
    if (const std::optional<PortError> refused = ApplySettings(settings_, confirmMs)) {
        socket_->abort();
        comPort_ = false;
        lossQueued_ = false;
        throw *refused;
    }
}

std::optional<PortError> NetworkPort::ApplySettings(const PortSettingsString& settings,
                                                    int waitMs) {
    const rfc2217::LineSettings wanted = ToProtocol(settings);
    Write(client_->RequestSettings(wanted));
    QElapsedTimer clock;
    clock.start();
    while (!client_->SettingsAnswers().Complete() && !lossQueued_ &&
           socket_->state() == QAbstractSocket::ConnectedState) {
        const int left = Remaining(clock, waitMs);
        if (left == 0 || !socket_->waitForReadyRead(left)) {
            break;
        }
    }
    const rfc2217::Answers& answers = client_->SettingsAnswers();
    const std::string endpoint = url_.Endpoint().toStdString();
    const std::string text = settings.Format().toStdString();
    if (!answers.Complete()) {
        return PortError(PortErrorKind::SettingsNotApplied,
                         endpoint + " did not confirm the settings " + text + " within " +
                             std::to_string((waitMs + 999) / 1000) + " s");
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

void NetworkPort::SetSettings(const QString& text) {
    const std::optional<PortSettingsString> parsed = PortSettingsString::Parse(text);
    if (!parsed) {
        throw PortError(PortErrorKind::SettingsNotApplied,
                        "Malformed port settings \"" + text.toStdString() + "\"");
    }
    if (PortOpen() && comPort_) {
        if (const std::optional<PortError> refused = ApplySettings(*parsed, kConfirmMs)) {
            Write(client_->RequestSettings(ToProtocol(settings_)));
            throw *refused;
        }
    }
    settings_ = *parsed;
}

void NetworkPort::Write(const std::string& raw) {
    const auto size = static_cast<qint64>(raw.size());
    if (socket_->write(raw.data(), size) != size) {
        throw PortError(PortErrorKind::Other,
                        "Write refused: " + socket_->errorString().toStdString());
    }
}

// Control requests never fail the caller: a connection that went away is reported as lost.
void NetworkPort::SendControl(std::uint8_t value) {
    if (comPort_ && !lossQueued_ && socket_->state() == QAbstractSocket::ConnectedState) {
        const std::string request = client_->RequestControl(value);
        socket_->write(request.data(), static_cast<qint64>(request.size()));
    }
}

void NetworkPort::OnReadyRead() {
    const QByteArray bytes = socket_->readAll();
    const std::string_view raw(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    // A raw stream's bytes go to the queue as read; telnet's are decoded first.
    std::string decoded;
    const std::string_view data = Telnet() && client_ ? (decoded = Decode(raw)) : raw;
    if (data.empty()) {
        return;
    }
    if (connected_) {
        received_.Arrived(data);
    } else {
        received_.Keep(data);  // closing: kept, without a notification
    }
}

std::string NetworkPort::Decode(std::string_view raw) {
    rfc2217::Received got;
    client_->Receive(raw, got);
    if (!got.reply.empty()) {
        socket_->write(got.reply.data(), static_cast<qint64>(got.reply.size()));
    }
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
    if (got.overflow) {
        QueueLoss(QStringLiteral("The server at %1 sent a telnet negotiation longer than "
                                 "64 KiB; the connection was dropped.")
                      .arg(url_.Endpoint()));
    }
    return std::move(got.data);
}

void NetworkPort::OnDisconnected() {
    // While opening, the open itself looks at the socket and says why it failed.
    if (!connected_ || socket_->state() == QAbstractSocket::ConnectedState) {
        return;
    }
    QueueLoss(QStringLiteral("The connection to %1 was closed (%2).")
                  .arg(url_.Endpoint(), socket_->errorString()));
}

void NetworkPort::QueueLoss(const QString& reason) {
    if (lossQueued_) {
        return;
    }
    lossQueued_ = true;
    lossReason_ = reason;
    if (connected_) {
        QMetaObject::invokeMethod(this, &NetworkPort::LoseDevice, Qt::QueuedConnection);
    }
}

void NetworkPort::LoseDevice() {
    if (!lossQueued_ || !connected_) {
        return;
    }
    OnReadyRead();  // what arrived before the end is still delivered
    socket_->abort();
    connected_ = false;
    comPort_ = false;
    lines_ = {};
    lossQueued_ = false;
    emit DeviceLost(lossReason_);
    received_.ScheduleNotify();
}

void NetworkPort::Close() {
    QElapsedTimer waited;
    waited.start();
    while (socket_->bytesToWrite() > 0 && waited.elapsed() < kCloseDrainMs &&
           socket_->state() == QAbstractSocket::ConnectedState) {
        if (!socket_->waitForBytesWritten(kCloseDrainMs - static_cast<int>(waited.elapsed()))) {
            break;
        }
    }
    connected_ = false;  // what still arrives is kept, without a notification
    OnReadyRead();
    socket_->abort();
    comPort_ = false;
    lines_ = {};
    lossQueued_ = false;
}

void NetworkPort::SetRThreshold(int bytes) {
    received_.SetThreshold(bytes);
}

void NetworkPort::SetInputLen(int bytes) {
    received_.SetInputLen(bytes);
}

int NetworkPort::InBufferCount() const {
    return received_.Count();
}

void NetworkPort::SetInBufferCount(int count) {
    if (count != 0) {
        throw PortError(PortErrorKind::Other, "Only 0 can be written to the receive count");
    }
    received_.Clear();
}

std::string NetworkPort::Input() {
    return received_.Take();
}

void NetworkPort::Output(std::string_view bytes) {
    if (!PortOpen()) {
        throw PortError(PortErrorKind::Other, "The port is closed");
    }
    Write(Telnet() ? telnet::Escape(bytes) : std::string(bytes));
}

int NetworkPort::OutBufferCount() const {
    return connected_ ? static_cast<int>(std::min<qint64>(socket_->bytesToWrite(), INT_MAX)) : 0;
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
    QTimer::singleShot(std::max(1, milliseconds), this, [this, connection = connection_] {
        if (connection == connection_ && PortOpen()) {
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
    const auto parsed = ParsePortUrl(devices_ ? devices_(commPort_) : QString());
    const PortUrl* url = std::get_if<PortUrl>(&parsed);
    if (url == nullptr) {
        probe_.reset();
        return false;
    }
    if (probe_ && probe_->state() == QAbstractSocket::ConnectedState) {
        probe_.reset();  // destroying the socket closes it
        return true;
    }
    if (!probe_ || probe_->state() == QAbstractSocket::UnconnectedState) {
        probe_ = std::make_unique<QTcpSocket>();
        probe_->connectToHost(url->host, url->port);
    }
    return false;
}

}  // namespace kestrum
