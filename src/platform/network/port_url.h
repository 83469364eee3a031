#pragma once
// A port device that lives on another machine, named the way other serial tools name it:
// "rfc2217://HOST:PORT" (telnet with the COM-PORT-OPTION) or "socket://HOST:PORT" (a raw byte
// stream). Anything without "://" is a local device path and none of this applies.

#include <QString>
#include <QStringView>
#include <optional>
#include <variant>

namespace kestrum {

struct PortUrl {
    enum class Scheme { Rfc2217, Socket };
    Scheme scheme = Scheme::Socket;
    QString host;  // a name or an address; an IPv6 address without its brackets
    quint16 port = 0;

    // "host:port", "[::1]:port" for IPv6, as messages name the far end.
    QString Endpoint() const;
    bool operator==(const PortUrl&) const = default;
};

// Why a text that looks like a network address is not a usable one.
struct PortUrlError {
    QString reason;
};

// True when the device text is meant as a network address (it holds "://").
bool IsNetworkDevice(QStringView device);

// The address, or the reason it is refused: another scheme, an empty or spaced host, a
// missing port, a port of 0 or above 65535, anything after the port.
std::variant<PortUrl, PortUrlError> ParsePortUrl(QStringView device);

// What is wrong with a device entry that is meant as a network address; nullopt for a good
// address and for any local device path.
std::optional<QString> NetworkDeviceProblem(QStringView device);

}  // namespace kestrum
