#pragma once
// The main window on a network port: ser2net started on 127.0.0.1 at a free port with a
// configuration written by the test, serving a pseudo-terminal the test plays the device on.

#include <netinet/in.h>
#include <sys/socket.h>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <fstream>

#include "platform/port_router.h"
#include "support/pty_window.h"

namespace kestrum {

// A socket listening on 127.0.0.1 at a port the system picked.
inline int ListenOnLoopback(quint16& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    ::listen(fd, 1);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    port = ntohs(address.sin_port);
    return fd;
}

// A port nobody listens on, until someone takes it.
inline quint16 FreePort() {
    quint16 port = 0;
    ::close(ListenOnLoopback(port));
    return port;
}

// ser2net on 127.0.0.1 at a free port, serving `device` as its configuration file says.
class Ser2net {
public:
    Ser2net(const QString& folder, const QString& device, bool rfc2217) : port_(FreePort()) {
        const QString config = folder + QStringLiteral("/ser2net.yaml");
        QFile file(config);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QStringLiteral("%YAML 1.1\n---\nconnection: &port\n"
                                  "  accepter: %1tcp,127.0.0.1,%2\n"
                                  "  connector: serialdev,%3,9600n81,local\n"
                                  "  options:\n    kickolduser: true\n")
                       .arg(rfc2217 ? QStringLiteral("telnet(rfc2217),") : QString())
                       .arg(port_)
                       .arg(device)
                       .toUtf8());
        file.close();
        process_.start(QStringLiteral("ser2net"),
                       {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"), config,
                        QStringLiteral("-P"), folder + QStringLiteral("/ser2net.pid")});
        EXPECT_TRUE(process_.waitForStarted()) << "ser2net comes with scripts/install-deps.sh";
        const std::string local =
            QStringLiteral(":%1 ").arg(port_, 4, 16, QLatin1Char('0')).toUpper().toStdString();
        EXPECT_TRUE(PumpEventsUntil(
            [&] {
                std::ifstream in("/proc/net/tcp");
                const std::string table{std::istreambuf_iterator<char>(in), {}};
                return table.find(local + "00000000:0000 0A") != std::string::npos;
            },
            std::chrono::seconds(5)))
            << "ser2net does not listen";
    }
    ~Ser2net() { Kill(); }

    void Kill() {
        process_.kill();
        process_.waitForFinished();
    }
    quint16 Port() const { return port_; }

private:
    quint16 port_;
    QProcess process_;
};

// A stand-in resolver: "localhost" is 127.0.0.1, "silent.invalid" never answers, any other
// name is unknown. No test asks the machine's resolver.
inline void StandInLookup(const QString& host, QObject* context, HostFound done) {
    if (host == QLatin1String("silent.invalid")) {
        return;
    }
    QTimer::singleShot(0, context, [host, done = std::move(done)] {
        if (host == QLatin1String("localhost")) {
            done({QHostAddress(QHostAddress::LocalHost)}, {});
        } else {
            done({}, QStringLiteral("Unknown host"));
        }
    });
}

class NetworkPortTest : public WindowTest {
protected:
    ~NetworkPortTest() override { CloseWindows(); }

    // The window on port 1 = `url`, its open completed unless told not to wait; the notices
    // the port gave are kept.
    Mainfrm& StartAt(const QString& url, const char* mode, bool settle = true) {
        CloseWindows();
        settings_.SaveSetting("Device1", url);
        settings_.SaveSetting("Filetype", QString::fromLatin1(mode));
        port_ =
            std::make_unique<PortRouter>(DevicesFromSettings(settings_), nullptr, StandInLookup);
        QObject::connect(port_.get(), &SerialPort::Notice,
                         [this](const QString& text) { notices_.push_back(text); });
        firstMessage_ = prompts_.Messages().size();
        Mainfrm& window = StartOn(*port_);
        if (settle) {
            Settle();
        }
        return window;
    }

    // Until the open or settings change under way has completed.
    void Settle() {
        EXPECT_TRUE(PumpEventsUntil([this] { return !window_ || !Window().Session().Busy(); },
                                    std::chrono::seconds(5)));
    }

    // Opens the port and waits for the outcome: the failure's kind, or nullopt when open.
    std::optional<PortErrorKind> OpenAndSettle() {
        std::optional<PortErrorKind> failed;
        QObject context;
        QObject::connect(port_.get(), &SerialPort::OpenFailed, &context,
                         [&failed](const PortError& error) { failed = error.kind(); });
        port_->Open();
        EXPECT_TRUE(PumpEventsUntil([this] { return !port_->Opening(); }, std::chrono::seconds(5)));
        return failed;
    }

    // A fresh pseudo-terminal served by a fresh ser2net, and the window on it.
    Mainfrm& StartServed(const char* scheme, const char* mode) {
        notices_.clear();
        CloseWindows();
        port_.reset();
        server_.reset();
        pty_ = std::make_unique<PtyPair>();
        const bool rfc2217 = std::string_view(scheme) == "rfc2217";
        server_ = std::make_unique<Ser2net>(folder_.path(), pty_->DevicePath(), rfc2217);
        return StartAt(QStringLiteral("%1://127.0.0.1:%2").arg(scheme).arg(server_->Port()), mode);
    }

    std::unique_ptr<PtyPair> pty_;
    std::unique_ptr<Ser2net> server_;
    std::unique_ptr<PortRouter> port_;
    std::vector<QString> notices_;
    std::size_t firstMessage_ = 0;

    // The messages since the last start.
    std::vector<QString> Messages() const {
        const auto& all = prompts_.Messages();
        return {all.begin() + static_cast<std::ptrdiff_t>(firstMessage_), all.end()};
    }
};

}  // namespace kestrum
