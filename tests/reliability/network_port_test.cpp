// Ports on other machines: the main window on rfc2217:// and socket:// addresses that ser2net
// serves from a pseudo-terminal, and on servers that refuse, hang or misbehave.

#include <QTcpServer>
#include <QTcpSocket>

#include "notation/received_formatter.h"
#include "support/network_window.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

TEST_F(NetworkPortTest, SendsReceivesEveryByteAndAppliesLineSettingsThroughSer2net) {
    for (const char* scheme : {"rfc2217", "socket"}) {
        SCOPED_TRACE(scheme);
        const bool rfc2217 = scheme == "rfc2217"s;
        Mainfrm& window = StartServed(scheme, "Ascii");
        ASSERT_TRUE(port_->PortOpen()) << Messages().size();
        // Told once that a raw stream's settings are its server's business.
        EXPECT_EQ(notices_.size(), rfc2217 ? 0u : 1u);
        EXPECT_EQ(ServerSocketsOfThisProcess(), 0);

        window.SendBox().setText("AT^M");
        window.SendButton_Click();
        EXPECT_EQ(pty_->Read(3), "AT\r");
        const std::string before = MonitorText();
        const std::string bytes =
            "\xFF\x00"
            "A\xFF\xFF\r"s;
        ASSERT_TRUE(pty_->Write(bytes));
        EXPECT_TRUE(PumpEventsUntil(
            [&] {
                return MonitorText() == before + FormatReceived(bytes, DisplayMode::Ascii, false);
            },
            3s))
            << MonitorText();

        window.Combo3().SetText("115200");
        window.Combo4().SetText("n,8,2");
        EXPECT_TRUE(Messages().empty()) << Messages().front().toStdString();
        EXPECT_EQ(pty_->DeviceSpeed(), rfc2217 ? B115200 : B9600);
        EXPECT_EQ((pty_->DeviceTermios()->c_cflag & CSTOPB) != 0, rfc2217);
        EXPECT_EQ(notices_.size(), rfc2217 ? 0u : 1u);
    }
}

TEST_F(NetworkPortTest, RefusedHangingAndHostileServersAreBoundedAndReportedOnce) {
    // Nobody listens: the port-open warning names the address, without a long wait.
    const quint16 closed = FreePort();
    QElapsedTimer clock;
    clock.start();
    StartAt(QStringLiteral("socket://127.0.0.1:%1").arg(closed), "Ascii");
    EXPECT_LT(clock.elapsed(), 3000);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0],
              QStringLiteral("Warning: The Com port could not be opened: 127.0.0.1:%1: "
                             "Connection refused")
                  .arg(closed));

    // A server that accepts and never negotiates: open within the bound, data flows, the
    // unapplied settings said once. Then it sends a subnegotiation that never ends.
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    EXPECT_EQ(ServerSocketsOfThisProcess(), 1) << "the test's own server is seen";
    clock.restart();
    StartAt(QStringLiteral("rfc2217://127.0.0.1:%1").arg(server.serverPort()), "Ascii");
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_TRUE(port_->PortOpen());
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(notices_.size(), 1u);
    EXPECT_FALSE(port_->HasControlLines());
    ASSERT_TRUE(PumpEventsUntil([&] { return server.hasPendingConnections(); }, 3s));
    QTcpSocket* far = server.nextPendingConnection();
    far->write(
        "hi\xFF\xFF"
        "\xFF\xFA\x2C\x6B");
    far->write(QByteArray(70 * 1024, 'x'));
    ASSERT_TRUE(PumpEventsUntil([&] { return !Messages().empty(); }, 5s));
    PumpEventsFor(300ms);
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(Messages()[0].contains(QLatin1String("64 KiB")));
    EXPECT_EQ(MonitorText(), FormatReceived("hi\xFF", DisplayMode::Ascii, false));
    EXPECT_FALSE(port_->PortOpen());
}

}  // namespace
}  // namespace kestrum
