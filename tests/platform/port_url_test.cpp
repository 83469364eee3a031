// Network port addresses: the ones taken and the malformed ones the Device box refuses.

#include <gtest/gtest.h>

#include "platform/network/port_url.h"

namespace kestrum {
namespace {

TEST(PortUrlTest, TakesBothSchemesWithNamesAndAddresses) {
    const auto at = [](const char* text) {
        return std::get<PortUrl>(ParsePortUrl(QString::fromLatin1(text)));
    };
    EXPECT_EQ(at("rfc2217://rack-7.lab:4001"),
              (PortUrl{PortUrl::Scheme::Rfc2217, QStringLiteral("rack-7.lab"), 4001}));
    EXPECT_EQ(at("socket://127.0.0.1:65535"),
              (PortUrl{PortUrl::Scheme::Socket, QStringLiteral("127.0.0.1"), 65535}));
    EXPECT_EQ(at("RFC2217://[::1]:1").Endpoint(), QStringLiteral("[::1]:1"));
}

TEST(PortUrlTest, RefusesMalformedAddressesSayingWhy) {
    const struct {
        const char* text;
        const char* why;
    } kMalformed[] = {
        {"rfc2217://host", "no port"},
        {"rfc2217://host:", "no port"},
        {"socket://host:0", "1 to 65535"},
        {"socket://host:65536", "1 to 65535"},
        {"socket://host:123456", "1 to 65535"},
        {"socket://host:-1", "1 to 65535"},
        {"socket://host:40a", "1 to 65535"},
        {"socket://host:4001/x", "1 to 65535"},
        {"rfc2217://:4001", "no host"},
        {"rfc2217://[]:4001", "no host"},
        {"rfc2217://my host:4001", "a space"},
        {"rfc2217:// host:4001", "a space"},
        {"rfc2217://user@host:4001", "no host name has"},
        {"rfc2217://::1:4001", "IPv6"},
        {"rfc2217://[::1]4001", "IPv6"},
        {"telnet://host:23", "neither rfc2217 nor socket"},
        {"://host:23", "neither rfc2217 nor socket"},
    };
    for (const auto& bad : kMalformed) {
        const auto parsed = ParsePortUrl(QString::fromLatin1(bad.text));
        ASSERT_TRUE(std::holds_alternative<PortUrlError>(parsed)) << bad.text;
        EXPECT_TRUE(std::get<PortUrlError>(parsed).reason.contains(QLatin1String(bad.why)))
            << bad.text << ": " << std::get<PortUrlError>(parsed).reason.toStdString();
    }
}

}  // namespace
}  // namespace kestrum
