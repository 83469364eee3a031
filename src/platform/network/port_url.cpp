#include "platform/network/port_url.h"

namespace kestrum {
namespace {

PortUrlError Refuse(QStringView device, const QString& why) {
    return {QStringLiteral("\"%1\" is not a network port address (%2). Write rfc2217://HOST:PORT "
                           "or socket://HOST:PORT.")
                .arg(device.toString(), why)};
}

bool HostCharactersAllowed(QStringView host) {
    for (const QChar c : host) {
        if (c.isSpace() || c == u'/' || c == u'@' || c == u'?' || c == u'#' || c == u'[' ||
            c == u']' || c.unicode() < 0x20) {
            return false;
        }
    }
    return true;
}

}  // namespace

QString PortUrl::Endpoint() const {
    const QString shownHost = host.contains(u':') ? QStringLiteral("[%1]").arg(host) : host;
    return shownHost + u':' + QString::number(port);
}

bool IsNetworkDevice(QStringView device) {
    return device.contains(u"://");
}

std::variant<PortUrl, PortUrlError> ParsePortUrl(QStringView device) {
    const qsizetype separator = device.indexOf(u"://");
    if (separator < 0) {
        return Refuse(device, QStringLiteral("no scheme"));
    }
    const QStringView scheme = device.left(separator);
    PortUrl url;
    if (scheme.compare(u"rfc2217", Qt::CaseInsensitive) == 0) {
        url.scheme = PortUrl::Scheme::Rfc2217;
    } else if (scheme.compare(u"socket", Qt::CaseInsensitive) == 0) {
        url.scheme = PortUrl::Scheme::Socket;
    } else {
        return Refuse(device, QStringLiteral("the scheme \"%1\" is neither rfc2217 nor socket")
                                  .arg(scheme.toString()));
    }
    QStringView rest = device.mid(separator + 3);
    // Options after the address ("?logging=debug" in other tools) are not taken.
    QStringView hostPart;
    QStringView portPart;
    if (rest.startsWith(u'[')) {
        const qsizetype close = rest.indexOf(u']');
        if (close < 0 || close + 1 >= rest.size() || rest.at(close + 1) != u':') {
            return Refuse(device, QStringLiteral("an IPv6 address needs [ADDRESS]:PORT"));
        }
        hostPart = rest.mid(1, close - 1);
        portPart = rest.mid(close + 2);
    } else {
        const qsizetype colon = rest.lastIndexOf(u':');
        if (colon < 0) {
            return Refuse(device, QStringLiteral("no port"));
        }
        hostPart = rest.left(colon);
        portPart = rest.mid(colon + 1);
        if (hostPart.contains(u':')) {
            return Refuse(device, QStringLiteral("an IPv6 address needs [ADDRESS]:PORT"));
        }
    }
    if (hostPart.isEmpty()) {
        return Refuse(device, QStringLiteral("no host"));
    }
    if (!HostCharactersAllowed(hostPart)) {
        return Refuse(device, QStringLiteral("the host holds a space or a character no host "
                                             "name has"));
    }
    if (portPart.isEmpty()) {
        return Refuse(device, QStringLiteral("no port"));
    }
    bool digits = portPart.size() <= 5;
    for (const QChar c : portPart) {
        digits = digits && c >= u'0' && c <= u'9';
    }
    const int port = digits ? portPart.toInt() : -1;
    if (port < 1 || port > 65535) {
        return Refuse(device, QStringLiteral("the port must be a number from 1 to 65535"));
    }
    url.host = hostPart.toString();
    url.port = static_cast<quint16>(port);
    return url;
}

std::optional<QString> NetworkDeviceProblem(QStringView device) {
    if (!IsNetworkDevice(device)) {
        return std::nullopt;
    }
    const auto parsed = ParsePortUrl(device);
    if (const auto* error = std::get_if<PortUrlError>(&parsed)) {
        return error->reason;
    }
    return std::nullopt;
}

}  // namespace kestrum
