#pragma once
// ser2net on 127.0.0.1 at a free port with a configuration written by the test, serving a
// pseudo-terminal the test plays the device on. No widgets: the headless tests use it too.

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QFile>
#include <QProcess>
#include <fstream>
#include <iterator>

#include "support/pty_pair.h"

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
        // Named by the port, so that several servers can share a folder.
        const QString config = QStringLiteral("%1/ser2net-%2.yaml").arg(folder).arg(port_);
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
        process_.start(
            QStringLiteral("ser2net"),
            {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"), config,
             QStringLiteral("-P"), QStringLiteral("%1/ser2net-%2.pid").arg(folder).arg(port_)});
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

}  // namespace kestrum
